#pragma once

#include "wizard/CppKeyRules.h"
#include "wizard/CppLiteral.h"
#include "wizard/Harvest.h"

namespace orb {

// The harvest of translatable string literals from C++ sources (.cpp .cc .cxx .c++ .h .hh
// .hpp .hxx) of a Qt project: a tokenizer that knows comments, character literals,
// preprocessor lines, raw strings and encoding prefixes, so that only real string literals are
// candidates. Same prompts, sink and buffer conventions as the Pascal unit scan (Harvest.h).
// The tokenizer is CppLexer.h, the decoding of literals CppLiteral.h, and the table of calls
// whose literals are keys cppKeyRules.h.

// Scans a C++ source: offers every candidate literal, the phrase decodeCppLiteral's: with
// PromptKind::WrapLiteral where a QString can stand in its place (CppContexts.h), and an
// accepted one is rewritten into Translate(...) (a literal inside QStringLiteral(...) or
// QString::fromUtf8(...) by wrapping the whole call); elsewhere, and for a selection other
// than the literal, with PromptKind::AddPhrase, a Yes adding the phrase only, with a
// HarvestNote. Harvests the literals of calls that translate already (Translate, tr,
// QObject::tr, QCoreApplication::translate's second argument, QT_TR_NOOP, QT_TRANSLATE_NOOP's
// second) silently through HarvestPrompt::wrappedLiteralHarvested, and when something was
// rewritten offers the #include of the component (PromptKind::AddUses with argument
// cppIncludeLine()) where findIncludePlace puts it, then the save of the file at path.
UnitScanResult harvestCppText(EditedText& text, HarvestPrompt& prompt, PhraseSink& sink,
                              const QString& path, CppOffer offer);

// "#include <OrbTranslate.h>"
QString cppIncludeLine();

} // namespace orb
