#include "HarvestLoop.h"

#include <algorithm>

namespace {

Selection clippedTo(Selection selection, qsizetype size)
{
    selection.start = std::clamp<qsizetype>(selection.start, 0, size);
    selection.length = std::clamp<qsizetype>(selection.length, 0, size - selection.start);
    return selection;
}

bool holdsText(const EditedText& text, Selection selection, const QString& expected)
{
    return selection.length == expected.size() && text.matchesAt(selection.start, expected);
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
        const QString asked = SelectedText(text, selection);
        if (!first || phrase.isNull())
            phrase = decode(asked);
        const Answer answer = prompt.ask(kind, phrase, selection);
        selection = clippedTo(selection, text.size());
        if (answer != Answer::Yes || holdsText(text, selection, asked))
            return {answer, asked, phrase, selection};
    }
}

void InsertText(EditedText& text, qsizetype pos, QStringView inserted, HarvestPrompt& prompt)
{
    text.insert(pos, inserted);
    prompt.textInserted(pos, inserted);
}
