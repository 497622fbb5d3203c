#include "wizard/Harvest.h"

#include "wizard/HarvestLoop.h"
#include "wizard/PascalSource.h"

#include <algorithm>
#include <optional>

namespace orb {

namespace {

constexpr QChar kQuote = u'\'';
constexpr QChar kLineBreak = u'\n';
constexpr QStringView kCallName = u"Translate";
constexpr QStringView kCallOpen = u"Translate(";
constexpr QStringView kCallClose = u")";
constexpr QStringView kTranslationUnit = u"OrbTranslate";
constexpr QStringView kUsesInsertion = u", OrbTranslate";

bool isAsciiDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

bool isDigitAt(QStringView text, qsizetype pos)
{
    return pos < text.size() && isAsciiDigit(text[pos]);
}

// #13 or #10 with no digit after it (#130 is another code).
bool isLineCodeAt(QStringView text, qsizetype pos, QStringView code)
{
    return text[pos] == u'#' && text.sliced(pos).startsWith(code) && !isDigitAt(text, pos + code.size());
}

// DecodeLiteral's first pass: the source's line breaks dropped, #13 dropped, #10 a line break.
QString resolveLineCodes(QStringView source)
{
    QString resolved(source.size(), Qt::Uninitialized);
    QChar* out = resolved.data();
    for (qsizetype i = 0; i < source.size(); ++i) {
        const QChar ch = source[i];
        if (ch == u'\r' || ch == u'\n')
            continue;
        if (ch == u'#' && isLineCodeAt(source, i, u"#13")) {
            i += 2;
        } else if (ch == u'#' && isLineCodeAt(source, i, u"#10")) {
            *out++ = kLineBreak;
            i += 2;
        } else {
            *out++ = ch;
        }
    }
    resolved.truncate(out - resolved.constData());
    return resolved;
}

// DecodeLiteral's second pass: what stands inside the quoted pieces, and the line breaks
// between them.
QString joinQuotedPieces(QStringView text)
{
    QString phrase(text.size(), Qt::Uninitialized);
    QChar* out = phrase.data();
    bool inside = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (inside && ch == kQuote && i + 1 < text.size() && text[i + 1] == kQuote) {
            *out++ = kQuote;
            ++i;
        } else if (ch == kQuote) {
            inside = !inside;
        } else if (inside || ch == kLineBreak) {
            *out++ = ch;
        }
    }
    phrase.truncate(out - phrase.constData());
    return phrase;
}

// NormalizeFormText's first pass: every "#" with four digits after it becomes a quoted piece
// of that character. Five characters become three, so the result is never longer.
QString quoteCharacterCodes(QStringView text)
{
    QString quoted(text.size(), Qt::Uninitialized);
    QChar* out = quoted.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool isCode = text[i] == u'#' && i + 4 < text.size()
            && std::all_of(text.begin() + i + 1, text.begin() + i + 5, isAsciiDigit);
        if (!isCode) {
            *out++ = text[i];
            continue;
        }
        *out++ = kQuote;
        *out++ = QChar(char16_t(text.sliced(i + 1, 4).toInt()));
        *out++ = kQuote;
        i += 4;
    }
    quoted.truncate(out - quoted.constData());
    return quoted;
}

// NormalizeFormText's second pass: "''" removed wherever pieces meet, kept as an empty text
// between a blank and the end of a line. The character that moves into a removed pair's
// place is not taken as the start of another pair.
QString joinAdjacentPieces(QStringView text)
{
    QString joined(text.size(), Qt::Uninitialized);
    QChar* const begin = joined.data();
    QChar* out = begin;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool isPair = text[i] == kQuote && i + 1 < text.size() && text[i + 1] == kQuote;
        if (!isPair) {
            *out++ = text[i];
        } else if (i + 2 == text.size() || (out > begin && out[-1] == u' ' && text[i + 2] == kLineBreak)) {
            *out++ = kQuote;
            *out++ = kQuote;
            ++i;
        } else {
            *out++ = text[i + 2];
            i += 2;
        }
    }
    joined.truncate(out - begin);
    return joined;
}

// Where a unit scan sends the literals it finds inside Translate(...) already.
struct WrappedHarvest
{
    HarvestPrompt& prompt;
    PhraseSink& sink;
};

// FindCallEnd walks to the end of the text when no call end follows its quote; a line of
// thousands of "Translate'" would have it do so from every one of them. A search that found
// no end holds for every later quote an even number of quotes further on (the walk from
// there is the tail of the failed one), until the text changes.
class CallEndSearch
{
public:
    qsizetype find(const EditedText& text, qsizetype open)
    {
        if (m_base >= 0 && open < m_counted)
            forget(); // the user moved the scan back
        if (m_base >= 0) {
            countQuotesUpTo(text, open);
            if (m_failed[m_oddCount])
                return -1;
        }
        const qsizetype end = FindCallEnd(text, open);
        if (end < 0) {
            if (m_base < 0) {
                m_base = m_counted = open;
                m_oddCount = false;
            }
            m_failed[m_oddCount] = true;
        }
        return end;
    }
    void forget()
    {
        m_base = -1;
        m_failed[0] = m_failed[1] = false;
    }

private:
    void countQuotesUpTo(const EditedText& text, qsizetype pos)
    {
        for (; m_counted < pos; ++m_counted)
            m_oddCount ^= text.at(m_counted) == kQuote;
    }

    qsizetype m_base = -1;    // where the first failed search since the last change began
    qsizetype m_counted = -1; // quotes from m_base are counted up to here
    bool m_oddCount = false;  // an odd number of them
    bool m_failed[2] = {false, false}; // a search failed from a quote after an even, an odd count
};

// The search for candidates shared by the unit and form scans. It takes every quote in turn as
// the opening one of a literal, unless a caller moves it past one; the literal runs to the
// next quote that no second one follows (two stand for one inside it), and is offered when it
// closes before the end of its line and holds a non-ASCII character. A literal that is not
// offered is read again from its next quote, so that a stray apostrophe (in a comment) costs
// no more than one literal.
class LiteralScanner
{
public:
    LiteralScanner(const EditedText& text, WrappedHarvest* wrapped)
        : m_text(text), m_wrapped(wrapped)
    {
    }

    // The next literal to offer, quotes included; none when the scan of the file is over.
    std::optional<Selection> next()
    {
        for (;;) {
            const qsizetype open = m_text.indexOf(kQuote, m_from);
            if (open < 0)
                return std::nullopt;
            m_from = open + 1;
            if (m_wrapped && followsCallName(open)) {
                harvestWrapped(open);
                continue;
            }
            const qsizetype close = closingQuoteAfter(open);
            const qsizetype lineEnd = lineEndAfter(open);
            if (close < 0 || lineEnd < 0)
                return std::nullopt;
            if (lineEnd > close && holdsNonAscii(open + 1, close))
                return Selection{open, close - open + 1};
        }
    }

    // The next search begins at pos.
    void continueAt(qsizetype pos) { m_from = pos; }
    // The text changed before the scan position.
    void textInserted()
    {
        m_lineEnd = -1;
        m_callEnds.forget();
    }

private:
    // The quote that closes a literal opened at open, or -1.
    qsizetype closingQuoteAfter(qsizetype open) const
    {
        qsizetype close = m_text.indexOf(kQuote, open + 1);
        while (close >= 0 && m_text.at(close + 1) == kQuote)
            close = m_text.indexOf(kQuote, close + 2);
        return close;
    }

    // The nine characters that end one before the quote (from the start of a shorter text).
    bool followsCallName(qsizetype open) const
    {
        return m_text.matchesAt(std::max<qsizetype>(open - 10, 0), kCallName);
    }

    void harvestWrapped(qsizetype open)
    {
        const qsizetype callEnd = m_callEnds.find(m_text, open);
        if (callEnd < 0)
            return;
        const Selection literal{open, callEnd - open};
        const QString phrase = DecodeLiteral(selectedText(m_text, literal));
        if (!phrase.isEmpty()) { // Translate('') holds no phrase
            m_wrapped->sink.addPhrase(phrase);
            m_wrapped->prompt.wrappedLiteralHarvested(literal, phrase);
        }
        m_from = callEnd + 1;
    }

    // A character of code 128 or more from begin up to end.
    bool holdsNonAscii(qsizetype begin, qsizetype end) const
    {
        for (qsizetype pos = begin; pos < end; ++pos) {
            if (m_text.at(pos).unicode() >= 128)
                return true;
        }
        return false;
    }

    // Remembered, so that a line with many quotes is searched to its end only once. It holds
    // for positions from where it was searched up to it; the user may move the scan back.
    qsizetype lineEndAfter(qsizetype pos)
    {
        if (pos < m_lineEndSearchedFrom || m_lineEnd <= pos) {
            m_lineEnd = m_text.indexOf(kLineBreak, pos + 1);
            m_lineEndSearchedFrom = pos;
        }
        return m_lineEnd;
    }

    const EditedText& m_text;
    WrappedHarvest* m_wrapped;
    qsizetype m_from = 0;
    qsizetype m_lineEnd = -1;
    qsizetype m_lineEndSearchedFrom = 0;
    CallEndSearch m_callEnds;
};

std::optional<Selection> searchNext(LiteralScanner& scanner, HarvestPrompt& prompt)
{
    prompt.searchStarted();
    const std::optional<Selection> literal = scanner.next();
    prompt.searchFinished();
    return literal;
}

// Encloses the selected literal in Translate(...); the position after the ")".
qsizetype wrapInCall(EditedText& text, Selection literal, HarvestPrompt& prompt)
{
    insertText(text, literal.start, kCallOpen, prompt);
    const qsizetype closing = literal.end() + kCallOpen.size();
    insertText(text, closing, kCallClose, prompt);
    return closing + kCallClose.size();
}

// The position before the ";" that ends the first uses clause, unless a uses clause names the
// translation unit already (a unit that names it twice does not compile); -1 when there is no
// such place. Clauses are read as Pascal reads them: a "uses" in a comment or inside a longer
// word is none.
qsizetype usesClauseEnd(const EditedText& text)
{
    const UsesClauses clauses = readUsesClauses(text, kTranslationUnit);
    return clauses.name ? -1 : clauses.firstEnd;
}

// Offers the translation unit for the uses clause; the caret the question was shown with.
Selection offerUsesClause(EditedText& text, Selection shown, HarvestPrompt& prompt)
{
    const qsizetype end = usesClauseEnd(text);
    if (end < 0)
        return shown;
    Selection caret{end, 0};
    prompt.showSelection(caret, false);
    if (prompt.ask(PromptKind::AddUses, kTranslationUnit.toString(), caret) == Answer::Yes)
        insertText(text, end, kUsesInsertion, prompt);
    return caret;
}

bool hasExtension(const QString& name, QStringView extension)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 || name.size() - dot != extension.size())
        return false;
    for (qsizetype i = 0; i < extension.size(); ++i) {
        QChar ch = name[dot + i];
        if (ch >= u'a' && ch <= u'z')
            ch = QChar(ch.unicode() - u'a' + u'A');
        if (ch != extension[i])
            return false;
    }
    return true;
}

bool hasAnyExtension(const QString& name, std::initializer_list<QStringView> extensions)
{
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](QStringView extension) { return hasExtension(name, extension); });
}

bool isGeneratedByQt(const QString& name)
{
    return name.startsWith(u"moc_") || name.startsWith(u"qrc_") || name.endsWith(u".moc")
        || (name.startsWith(u"ui_") && hasExtension(name, u".H"));
}

} // namespace

QString DecodeLiteral(QStringView source)
{
    const bool hasLineCodesOrBreaks = std::any_of(source.begin(), source.end(), [](QChar ch) {
        return ch == u'#' || ch == u'\r' || ch == u'\n';
    });
    if (!hasLineCodesOrBreaks)
        return joinQuotedPieces(source);
    return joinQuotedPieces(resolveLineCodes(source));
}

QString NormalizeFormText(QStringView text)
{
    return joinAdjacentPieces(quoteCharacterCodes(text));
}

qsizetype FindCallEnd(const EditedText& text, qsizetype start)
{
    bool insideQuotes = false;
    for (qsizetype pos = std::max<qsizetype>(start, 0); pos < text.size(); ++pos) {
        const QChar ch = text.at(pos);
        if (ch == kQuote)
            insideQuotes = !insideQuotes;
        else if (ch == u')' && !insideQuotes)
            return pos;
    }
    return -1;
}

QString promptSource(PromptKind kind)
{
    switch (kind) {
    case PromptKind::WrapLiteral:
        return QStringLiteral("Добавить <%s> в словарь\r\nи заменить его функцией перевода ?\r\n"
                              "(выберите слово или фразу для добавления в словарь)");
    case PromptKind::AddPhrase:
        return QStringLiteral("Добавить <%s> в словарь ?\r\n"
                              "(выберите слово или фразу для добавления в словарь)");
    case PromptKind::AddUses:
        return QStringLiteral("Вставить в заголовок модуль перевода\r\n%s ?");
    case PromptKind::SaveFile:
        return QStringLiteral("Заменить файл ?");
    }
    return {};
}

QString promptText(PromptKind kind, const QString& translatedSource, const QString& argument)
{
    if (kind == PromptKind::SaveFile)
        return argument + QStringLiteral("\r\n") + translatedSource;
    QString text = translatedSource;
    const qsizetype placeholder = text.indexOf(u"%s");
    if (placeholder >= 0)
        text.replace(placeholder, 2, argument);
    return text;
}

QString noteSource(HarvestNote note)
{
    switch (note) {
    case HarvestNote::NotWholeLiteral:
        return QStringLiteral("<%s> добавлено в словарь, текст не изменён: выделена не вся строка");
    case HarvestNote::NoQStringHere:
        return QStringLiteral("<%s> добавлено в словарь, текст не изменён: здесь не может стоять QString");
    case HarvestNote::NothingToAdd:
        return QStringLiteral("В выделении нет текста: в словарь ничего не добавлено");
    }
    return {};
}

HarvestPrompt::~HarvestPrompt() = default;
QString HarvestPrompt::cannotShow(const EditedText&) const
{
    return QString();
}
void HarvestPrompt::showFile(const QString&, const EditedText&) {}
void HarvestPrompt::showSelection(Selection, bool) {}
void HarvestPrompt::textInserted(qsizetype, QStringView) {}
void HarvestPrompt::searchStarted() {}
void HarvestPrompt::searchFinished() {}
void HarvestPrompt::wrappedLiteralHarvested(Selection, const QString&) {}
void HarvestPrompt::noted(HarvestNote, Selection, const QString&) {}
void HarvestPrompt::fileNoted(const QString&, FileNote, const QString&) {}

PhraseSink::~PhraseSink() = default;

UnitScanResult harvestUnitText(EditedText& text, HarvestPrompt& prompt, PhraseSink& sink,
                               const QString& path)
{
    WrappedHarvest wrapped{prompt, sink};
    LiteralScanner scanner(text, &wrapped);
    bool changed = false;
    Selection shown;
    // Only a whole string expression is enclosed: anything else would change the program's text
    // or no longer compile. The scan's own literal is one when its quote opens a piece.
    PascalQuoteReader quotes(text);
    const auto questionAbout = [&text](Selection selection) {
        const PromptKind kind = isPascalStringExpression(text, selection) ? PromptKind::WrapLiteral : PromptKind::AddPhrase;
        return Question{kind, pascalSelectionPhrase(text, selection)};
    };
    while (const std::optional<Selection> literal = searchNext(scanner, prompt)) {
        prompt.showSelection(*literal, true);
        const bool whole = quotes.opensPiece(literal->start);
        const Question first{whole ? PromptKind::WrapLiteral : PromptKind::AddPhrase,
                             DecodeLiteral(selectedText(text, *literal))};
        const PromptOutcome outcome = askAboutSelection(first, text, *literal, prompt, questionAbout);
        shown = outcome.selection;
        scanner.continueAt(resumePosition(*literal, outcome.selection));
        if (outcome.answer == Answer::Cancel || outcome.asked.length == 0)
            return {false, false};
        if (outcome.answer == Answer::No || !addAcceptedPhrase(outcome.phrase, outcome.selection, sink, prompt))
            continue;
        const bool expression = outcome.selection == *literal ? whole : isPascalStringExpression(text, outcome.selection);
        if (outcome.kind != PromptKind::WrapLiteral || !expression) {
            prompt.noted(HarvestNote::NotWholeLiteral, outcome.selection, outcome.phrase);
            continue;
        }
        const qsizetype after = wrapInCall(text, outcome.selection, prompt);
        scanner.continueAt(after);
        scanner.textInserted();
        quotes.continueInCodeAt(after);
        changed = true;
    }
    if (!changed)
        return {true, false};
    shown = offerUsesClause(text, shown, prompt);
    return {true, prompt.ask(PromptKind::SaveFile, path, shown) == Answer::Yes};
}

bool harvestFormText(const EditedText& text, HarvestPrompt& prompt, PhraseSink& sink)
{
    LiteralScanner scanner(text, nullptr);
    while (const std::optional<Selection> literal = searchNext(scanner, prompt)) {
        scanner.continueAt(literal->end());
        if (sink.phraseExists(DecodeLiteral(selectedText(text, *literal)))) {
            prompt.showSelection(*literal, false);
            continue;
        }
        prompt.showSelection(*literal, true);
        const auto questionAbout = [&text](Selection selection) {
            return Question{PromptKind::AddPhrase, pascalSelectionPhrase(text, selection)};
        };
        const Question first{PromptKind::AddPhrase, DecodeLiteral(selectedText(text, *literal))};
        const PromptOutcome outcome = askAboutSelection(first, text, *literal, prompt, questionAbout);
        scanner.continueAt(resumePosition(*literal, outcome.selection));
        if (outcome.answer == Answer::Cancel || outcome.asked.length == 0)
            return false;
        if (outcome.answer == Answer::Yes)
            addAcceptedPhrase(outcome.phrase, outcome.selection, sink, prompt);
    }
    return true;
}

SourceKind sourceKindOf(const QString& fileName)
{
    if (hasExtension(fileName, u".PAS"))
        return SourceKind::PascalUnit;
    if (hasExtension(fileName, u".DFM"))
        return SourceKind::DelphiForm;
    if (isGeneratedByQt(fileName))
        return SourceKind::None;
    if (hasAnyExtension(fileName, {u".CPP", u".CC", u".CXX", u".C++", u".H", u".HH", u".HPP", u".HXX"}))
        return SourceKind::CppSource;
    if (hasExtension(fileName, u".UI"))
        return SourceKind::DesignerForm;
    return SourceKind::None;
}

QString sourceKindName(SourceKind kind)
{
    switch (kind) {
    case SourceKind::PascalUnit:
        return QStringLiteral("pascal");
    case SourceKind::DelphiForm:
        return QStringLiteral("delphi-form");
    case SourceKind::CppSource:
        return QStringLiteral("cpp");
    case SourceKind::DesignerForm:
        return QStringLiteral("qt-form");
    case SourceKind::None:
        break;
    }
    return {};
}

} // namespace orb
