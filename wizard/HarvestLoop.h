#pragma once

#include "Harvest.h"

// The steps the scans of every kind of source share: the selection's text, the question that
// is asked again when the user selected something else meanwhile, and insertions mirrored to
// the view. For the scanners, not for their callers.

// What a source's literal stands for: DecodeLiteral for Pascal, DecodeCppLiteral for C++.
using LiteralDecoder = QString (*)(QStringView);

struct PromptOutcome
{
    Answer answer;
    QString asked;       // the selection's text the last question was about
    QString phrase;      // what the decoder makes of it
    Selection selection; // the selection as it stood when the user answered
};

QString SelectedText(const EditedText& text, Selection selection);

// Asks about the selection, and again when the user answered Yes but had selected something
// else meanwhile, so that a Yes always confirms the text it was asked about. phrase: what
// decode makes of the selection, when the caller knows it already.
PromptOutcome AskAboutSelection(PromptKind kind, const EditedText& text, Selection selection,
                                HarvestPrompt& prompt, LiteralDecoder decode, QString phrase = {});

// Inserts into the text and into the prompt's view of it.
void InsertText(EditedText& text, qsizetype pos, QStringView inserted, HarvestPrompt& prompt);
