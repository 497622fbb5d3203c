#pragma once

#include "wizard/Harvest.h"

#include <functional>

namespace orb {

// The steps the scans of every kind of source share: the selection's text, the question that
// is asked again when the user selected something else meanwhile, insertions mirrored to the
// view, and the phrase added only when it holds text. For the scanners, not for their callers.

// What a source's literal stands for: DecodeLiteral for Pascal, decodeCppLiteral for C++.
using LiteralDecoder = QString (*)(QStringView);

// A question about a selection: its kind (whether a Yes rewrites) and the phrase it quotes.
struct Question
{
    PromptKind kind;
    QString phrase;
};
// The question a scan asks about a selection the user made while one was open.
using QuestionAbout = std::function<Question(Selection)>;

struct PromptOutcome
{
    Answer answer;
    Selection asked;     // the selection the last question was about
    PromptKind kind;     // the kind of that question
    QString phrase;      // the phrase it quoted
    Selection selection; // the selection as it stood when the user answered
};

QString selectedText(const EditedText& text, Selection selection);

// Asks the question about the selection, and again, as questionAbout says, when the user
// answered Yes but had selected something else meanwhile, so that a Yes always confirms the
// text and the kind of question it was asked about.
PromptOutcome askAboutSelection(Question question, const EditedText& text, Selection selection,
                                HarvestPrompt& prompt, const QuestionAbout& questionAbout);
// The same with one kind of question whatever is selected, its phrase what decode makes of
// the selection (phrase: of the first selection, when the caller knows it already).
PromptOutcome askAboutSelection(PromptKind kind, const EditedText& text, Selection selection,
                                HarvestPrompt& prompt, LiteralDecoder decode, QString phrase = {});

// Where a scan goes on after a question about candidate: after the selection answered about,
// but not inside the candidate, whose quotes would then be read out of step.
qsizetype resumePosition(Selection candidate, Selection answered);

// Adds an accepted phrase, or tells the user that the selection held none: an empty phrase
// is never added. False when nothing was added.
bool addAcceptedPhrase(const QString& phrase, Selection selection, PhraseSink& sink, HarvestPrompt& prompt);

// Inserts into the text and into the prompt's view of it.
void insertText(EditedText& text, qsizetype pos, QStringView inserted, HarvestPrompt& prompt);

} // namespace orb
