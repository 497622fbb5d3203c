#include "HarvestLoop.h"

#include <algorithm>

namespace {

Selection clippedTo(Selection selection, qsizetype size)
{
    selection.start = std::clamp<qsizetype>(selection.start, 0, size);
    selection.length = std::clamp<qsizetype>(selection.length, 0, size - selection.start);
    return selection;
}

// The selection holds the text the question was asked about. The text cannot change while a
// question is open, so that only another selection needs its text compared.
bool holdsAskedText(const EditedText& text, Selection selection, Selection asked)
{
    return selection == asked
        || (selection.length == asked.length && text.matchesAt(selection.start, SelectedText(text, asked)));
}

} // namespace

QString SelectedText(const EditedText& text, Selection selection)
{
    return text.mid(selection.start, selection.length);
}

PromptOutcome AskAboutSelection(PromptKind kind, const EditedText& text, Selection selection,
                                HarvestPrompt& prompt, LiteralDecoder decode, QString phrase)
{
    for (bool first = true;; first = false) {
        const Selection asked = selection;
        if (!first || phrase.isNull())
            phrase = decode(SelectedText(text, asked));
        const Answer answer = prompt.ask(kind, phrase, selection);
        selection = clippedTo(selection, text.size());
        if (answer != Answer::Yes || holdsAskedText(text, selection, asked))
            return {answer, asked, std::move(phrase), selection};
    }
}

void InsertText(EditedText& text, qsizetype pos, QStringView inserted, HarvestPrompt& prompt)
{
    text.insert(pos, inserted);
    prompt.textInserted(pos, inserted);
}
