#include "wizard/HarvestLoop.h"

#include <algorithm>

namespace orb {

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
        || (selection.length == asked.length && text.matchesAt(selection.start, selectedText(text, asked)));
}

} // namespace

QString selectedText(const EditedText& text, Selection selection)
{
    return text.mid(selection.start, selection.length);
}

PromptOutcome askAboutSelection(Question question, const EditedText& text, Selection selection,
                                HarvestPrompt& prompt, const QuestionAbout& questionAbout)
{
    for (;;) {
        const Selection asked = selection;
        const Answer answer = prompt.ask(question.kind, question.phrase, selection);
        selection = clippedTo(selection, text.size());
        if (answer != Answer::Yes || holdsAskedText(text, selection, asked))
            return {answer, asked, question.kind, std::move(question.phrase), selection};
        question = questionAbout(selection);
    }
}

PromptOutcome askAboutSelection(PromptKind kind, const EditedText& text, Selection selection,
                                HarvestPrompt& prompt, LiteralDecoder decode, QString phrase)
{
    if (phrase.isNull())
        phrase = decode(selectedText(text, selection));
    return askAboutSelection({kind, std::move(phrase)}, text, selection, prompt, [&](Selection other) {
        return Question{kind, decode(selectedText(text, other))};
    });
}

qsizetype resumePosition(Selection candidate, Selection answered)
{
    const qsizetype end = answered.end();
    return end > candidate.start && end < candidate.end() ? candidate.end() : end;
}

bool addAcceptedPhrase(const QString& phrase, Selection selection, PhraseSink& sink, HarvestPrompt& prompt)
{
    if (phrase.isEmpty()) {
        prompt.noted(HarvestNote::NothingToAdd, selection, phrase);
        return false;
    }
    sink.addPhrase(phrase);
    return true;
}

void insertText(EditedText& text, qsizetype pos, QStringView inserted, HarvestPrompt& prompt)
{
    text.insert(pos, inserted);
    prompt.textInserted(pos, inserted);
}

} // namespace orb
