#pragma once

#include "wizard/Harvest.h"

#include <vector>

// The harvest of translatable string literals from C++ sources (.cpp .cc .cxx .c++ .h .hh
// .hpp .hxx) of a Qt project: a tokenizer that knows comments, character literals,
// preprocessor lines, raw strings and encoding prefixes, so that only real string literals are
// candidates. Same prompts, sink and buffer conventions as the Pascal unit scan (Harvest.h).

// What a C++ string-literal expression stands for: one literal or several adjacent ones
// (whitespace, line breaks and comments between them), each with its prefix (u8 u U L) and
// raw or not, escapes decoded (\n \t \" \\ \' \xHH \uXXXX \UXXXXXXXX, octal and the rest of
// the standard's simple escapes), the pieces joined.
QString DecodeCppLiteral(QStringView source);

// A call whose string arguments are keys, not user texts: a literal passed to it (bare, or
// inside QStringLiteral, QLatin1String, QLatin1StringView or u"..."_s) is not offered, whatever
// the CppOffer: a key in Russian is still a key. With CppOffer::WithLetter a text without
// blanks that reads as an identifier, a path or a file name ("mainWindow/geometry",
// "notes.lng") is not offered either. Literals streamed into qDebug() and its kin, after
// extern and in operator"" are keys as well.
struct CppKeyRule
{
    QStringView callee; // the name as it stands before "(", e.g. u"setObjectName", u"SIGNAL"
    QStringView why;    // for the reader of the table
};
const std::vector<CppKeyRule>& CppKeyRules();

// Scans a C++ source: offers every candidate literal, the phrase DecodeCppLiteral's: with
// PromptKind::WrapLiteral where a QString can stand in its place (CppContexts.h), and an
// accepted one is rewritten into Translate(...) (a literal inside QStringLiteral(...) or
// QString::fromUtf8(...) by wrapping the whole call); elsewhere, and for a selection other
// than the literal, with PromptKind::AddPhrase, a Yes adding the phrase only, with a
// HarvestNote. Harvests the literals of calls that translate already (Translate, tr,
// QObject::tr, QCoreApplication::translate's second argument, QT_TR_NOOP, QT_TRANSLATE_NOOP's
// second) silently through HarvestPrompt::wrappedLiteralHarvested, and when something was
// rewritten offers the #include of the component (PromptKind::AddUses with argument
// CppIncludeLine()) where FindIncludePlace puts it, then the save of the file at path.
UnitScanResult HarvestCppText(EditedText& text, HarvestPrompt& prompt, PhraseSink& sink,
                              const QString& path, CppOffer offer);

// "#include <OrbTranslate.h>"
QString CppIncludeLine();
