#include "wizard/CppHarvest.h"

#include "wizard/CppContexts.h"
#include "wizard/CppInclude.h"
#include "wizard/CppLexer.h"
#include "wizard/HarvestLoop.h"

#include <algorithm>
#include <optional>

namespace orb {

namespace {

constexpr QStringView kCallOpen = u"Translate(";
constexpr QStringView kCallClose = u")";
constexpr QStringView kHeaderName = u"OrbTranslate.h";

// A text without blanks that reads as an identifier, a path, a file or an object name
// ("mainWindow/geometry", "notes.lng", "org.example"), not as words for a user.
bool looksLikeKey(QStringView phrase)
{
    bool separated = false;
    for (qsizetype i = 0; i < phrase.size(); ++i) {
        const QChar ch = phrase[i];
        if (ch.isSpace())
            return false;
        if (ch == u'/' || ch == u'\\' || ch == u'_' || ch == u':' || ch == u'.') {
            if (i > 0 && i + 1 < phrase.size() && phrase[i - 1].isLetterOrNumber() && phrase[i + 1].isLetterOrNumber())
                separated = true;
        } else if (ch.isUpper() && i > 0 && phrase[i - 1].isLower()) {
            separated = true; // camelCase
        }
    }
    return separated;
}

bool holdsNonAscii(QStringView phrase)
{
    return std::any_of(phrase.begin(), phrase.end(), [](QChar ch) { return ch.unicode() >= 128; });
}

bool holdsLetter(QStringView phrase)
{
    return std::any_of(phrase.begin(), phrase.end(), [](QChar ch) { return ch.isLetter(); });
}

enum class Verdict { Skip, Translated, Offer };

// Looks the frame's callee up by its last component, and for a key also by its qualified name.
void lookUpCallee(const CppLexer& lexer, Frame& frame)
{
    static const CalleeNames names;
    if (!frame.named()) {
        frame.callee = Callee::Unnamed;
        return;
    }
    QString copy;
    const CalleeName* found = names.find(lexer.textOf(frame.lastStart, frame.nameEnd, copy));
    frame.callee = found ? found->callee : Callee::Other;
    frame.textArgument = found ? found->textArgument : 0;
    if (frame.callee == Callee::Other && frame.nameStart < frame.lastStart) {
        found = names.find(lexer.textOf(frame.nameStart, frame.nameEnd, copy));
        if (found && found->callee == Callee::Key)
            frame.callee = Callee::Key;
    }
}

Callee calleeOf(const CppLexer& lexer, Frame& frame)
{
    if (frame.callee == Callee::Unknown)
        lookUpCallee(lexer, frame);
    return frame.callee;
}

// Where the literal stands: in a call that translates it, in one that takes a key, or free.
Verdict verdictOf(CppLexer& lexer)
{
    std::vector<Frame>& frames = lexer.frames();
    if (lexer.afterLinkageOrOperator() || lexer.inLoggingStatement())
        return Verdict::Skip;
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
        if (frame->list)
            continue;
        if (frame->brace)
            break;
        const Callee callee = calleeOf(lexer, *frame);
        if (callee == Callee::Unnamed || callee == Callee::WrappedWhole || callee == Callee::Wrapper)
            continue;
        if (callee == Callee::Translating)
            return frame->argument == frame->textArgument ? Verdict::Translated : Verdict::Skip;
        if (callee == Callee::Key)
            return Verdict::Skip;
        break;
    }
    return lexer.literalComparedOrSubscript() ? Verdict::Skip : Verdict::Offer;
}

bool offered(const QString& phrase, CppOffer offer)
{
    if (offer == CppOffer::NonAscii)
        return holdsNonAscii(phrase);
    return holdsLetter(phrase) && !looksLikeKey(phrase);
}

qsizetype lineBreaksBefore(const EditedText& text, qsizetype pos)
{
    qsizetype count = 0;
    for (qsizetype at = text.indexOf(u'\n', 0); at >= 0 && at < pos; at = text.indexOf(u'\n', at + 1))
        ++count;
    return count;
}

// Offers the component's header where findIncludePlace puts it; the caret the question was
// shown with, and the index of the line break a Yes added.
Selection offerInclude(EditedText& text, qsizetype firstRewrite, Selection shown, HarvestPrompt& prompt,
                       qsizetype& addedLineBreak)
{
    const IncludePlace place = findIncludePlace(text, kHeaderName, firstRewrite);
    if (place.included)
        return shown;
    Selection caret{std::max<qsizetype>(place.lineEnd, 0), 0};
    prompt.showSelection(caret, false);
    if (prompt.ask(PromptKind::AddUses, cppIncludeLine(), caret) != Answer::Yes)
        return caret;
    if (place.lineEnd < 0) {
        insertText(text, 0, QString(cppIncludeLine() + u'\n'), prompt);
        addedLineBreak = 0;
    } else {
        insertText(text, place.lineEnd, QString(u'\n' + cppIncludeLine()), prompt);
        addedLineBreak = lineBreaksBefore(text, place.lineEnd);
    }
    return caret;
}

// The frame's name: with its qualifiers, and its last component.
QStringView qualifiedName(const CppLexer& lexer, const Frame& frame, QString& copy)
{
    return lexer.textOf(frame.nameStart, frame.nameEnd, copy);
}
QStringView lastName(const CppLexer& lexer, const Frame& frame, QString& copy)
{
    return lexer.textOf(frame.lastStart, frame.nameEnd, copy);
}

// The call, or the declaration `Type name(...)`, takes QStrings for its literals.
bool takesQString(const CppLexer& lexer, const EditedText& text, const Frame& frame)
{
    QString qualifiedCopy, lastCopy;
    const QStringView last = lastName(lexer, frame, lastCopy);
    if (last == u"QString") // QString(...) of more than a literal: QString(const QChar*, size)
        return false;
    if (takesQStringArguments(qualifiedName(lexer, frame, qualifiedCopy), last) || constructedFromQString(last))
        return true;
    const qsizetype type = identifierEndingAt(text, frame.nameStart);
    return type >= 0 && constructedFromQString(text.mid(type, lastNonBlankBefore(text, frame.nameStart) + 1 - type));
}

// What a rewrite encloses in Translate(...), where Translate's QString can stand in its place:
// the literal, or the call that makes a string of it alone (QStringLiteral(...),
// QString::fromUtf8(...)). None when the context is not known to take a QString.
std::optional<Selection> rewrittenPart(CppLexer& lexer, const EditedText& text, Selection literal,
                                       QStringNames& qstringNames)
{
    if (lexer.inDirective())
        return std::nullopt; // a macro's uses may lie where Translate is not declared
    const std::vector<Frame>& frames = lexer.frames();
    auto frame = frames.rbegin();
    Selection unit = literal;
    // u"..."_s is a QString already.
    bool qstring = text.at(literal.start) == u'u' && text.at(literal.start + 1) == u'"'
        && text.mid(literal.end() - 3, 3) == u"\"_s";
    const qsizetype close = lexer.skipBlanks(literal.end());
    if (frame != frames.rend() && !frame->brace && frame->named() && frame->argument == 0 && text.at(close) == u')') {
        QString qualifiedCopy, lastCopy;
        const QStringView last = lastName(lexer, *frame, lastCopy);
        const bool makesQString = last == u"QStringLiteral" || isQStringMaker(qualifiedName(lexer, *frame, qualifiedCopy));
        if (last == u"QString")
            return literal; // QString(Translate("...")) is a QString as QString("...") was
        if (makesQString || last == u"QLatin1String" || last == u"QLatin1StringView") {
            unit = {frame->nameStart, close + 1 - frame->nameStart};
            qstring = makesQString;
            ++frame;
        }
    }
    if (qstring)
        return unit; // one QString for another compiles wherever the first did
    if (!standsAsOperand(text, unit))
        return std::nullopt;
    for (; frame != frames.rend(); ++frame) {
        if (frame->list)
            continue;
        if (frame->brace)
            break;
        if (!frame->named())
            continue; // a grouping: the call around it decides
        return takesQString(lexer, text, *frame) ? std::optional(unit) : std::nullopt;
    }
    // Not inside a call: a declaration, or an assignment to a name this file declares QString.
    const qsizetype before = lastNonBlankBefore(text, unit.start);
    if (declaresQStringBefore(text, before))
        return unit;
    if (text.at(before) != u'=' || QStringView(u"=!<>+-*/%&|^").contains(text.at(before - 1)))
        return std::nullopt;
    const qsizetype name = identifierEndingAt(text, before);
    const qsizetype nameEnd = lastNonBlankBefore(text, before) + 1;
    const qsizetype previous = name >= 0 ? lastNonBlankBefore(text, name) : -1;
    const bool member = previous >= 0 && (text.at(previous) == u'.' || text.at(previous) == u'>' || text.at(previous) == u':');
    if (name < 0 || member)
        return std::nullopt;
    return qstringNames.isQString(text.mid(name, nameEnd - name)) ? std::optional(unit) : std::nullopt;
}

// Encloses the part with Translate(...); the position after the ")".
qsizetype wrapPart(EditedText& text, CppLexer& lexer, Selection part, Selection literal, HarvestPrompt& prompt)
{
    if (part.end() > literal.end())
        lexer.popFrame(); // the rewrite took in the ")" of the call around the literal
    insertText(text, part.start, kCallOpen, prompt);
    insertText(text, part.end() + kCallOpen.size(), kCallClose, prompt);
    return part.end() + kCallOpen.size() + kCallClose.size();
}

// Decodes into phrase, in its storage when nothing else holds it: the phrase of a literal that
// was not offered, or declined, leaves its storage to the next.
// verbatim: source is the body of one literal without escapes, its phrase as it stands.
void decodeInto(QString& phrase, QStringView source, bool verbatim)
{
    if (!phrase.isDetached())
        phrase = QString();
    phrase.resize(0);
    if (verbatim) {
        phrase.append(source);
        return;
    }
    phrase.reserve(source.size());
    appendCppLiteral(source, phrase);
}

// The phrase of a selection other than the literal asked about: inside that literal, what the
// part selected stands for (a word of it is that word); elsewhere what decodeCppLiteral makes
// of the selection.
QString cppSelectionPhrase(const EditedText& text, Selection literal, Selection selection)
{
    QString source = selectedText(text, selection);
    if (selection.length == 0 || selection.start < literal.start || selection.end() > literal.end())
        return decodeCppLiteral(source);
    const QString whole = selectedText(text, literal);
    source.prepend(literalBodyDelimitersAround(whole, selection.start - literal.start).open);
    source.append(literalBodyDelimitersAround(whole, selection.end() - 1 - literal.start).close);
    return decodeCppLiteral(source);
}

} // namespace

QString cppIncludeLine()
{
    return QStringLiteral("#include <OrbTranslate.h>");
}

UnitScanResult harvestCppText(EditedText& text, HarvestPrompt& prompt, PhraseSink& sink,
                              const QString& path, CppOffer offer)
{
    CppLexer lexer(text);
    QStringNames qstringNames(text);
    qsizetype firstRewrite = -1;
    Selection shown;
    QString phrase;
    for (;;) {
        prompt.searchStarted();
        const CppLexer::Literal* literal = nullptr;
        while (!literal && lexer.next()) {
            const CppLexer::Literal& found = lexer.literal();
            if (!found.closed)
                continue;
            const Verdict verdict = verdictOf(lexer);
            if (verdict == Verdict::Skip)
                continue;
            QString copy;
            const Selection decoded = found.verbatim.value_or(found.source);
            decodeInto(phrase, lexer.textOf(decoded.start, decoded.end(), copy), found.verbatim.has_value());
            if (verdict == Verdict::Translated) {
                if (!phrase.isEmpty()) {
                    sink.addPhrase(phrase);
                    prompt.wrappedLiteralHarvested(found.source, phrase);
                }
                continue;
            }
            if (offered(phrase, offer))
                literal = &found;
        }
        prompt.searchFinished();
        if (!literal)
            break;
        const Selection source = literal->source;
        const std::optional<Selection> part = rewrittenPart(lexer, text, source, qstringNames);
        const PromptKind kind = part ? PromptKind::WrapLiteral : PromptKind::AddPhrase;
        prompt.showSelection(source, true);
        PromptOutcome outcome = askAboutSelection({kind, std::move(phrase)}, text, source, prompt, [&](Selection other) {
            return other == source ? Question{kind, decodeCppLiteral(selectedText(text, source))}
                                   : Question{PromptKind::AddPhrase, cppSelectionPhrase(text, source, other)};
        });
        shown = outcome.selection;
        phrase = std::move(outcome.phrase); // and with it its storage, for the next literal
        if (outcome.answer == Answer::Cancel || outcome.asked.length == 0)
            return {false, false};
        if (outcome.answer == Answer::No || !addAcceptedPhrase(phrase, outcome.selection, sink, prompt))
            continue;
        // Only the literal asked about, where a QString can stand, is rewritten: anything else
        // would change the program's text or no longer compile.
        if (outcome.selection != source || !part) {
            prompt.noted(outcome.selection != source ? HarvestNote::NotWholeLiteral : HarvestNote::NoQStringHere,
                         outcome.selection, phrase);
            continue;
        }
        if (firstRewrite < 0)
            firstRewrite = part->start;
        lexer.continueAt(wrapPart(text, lexer, *part, source, prompt));
    }
    if (firstRewrite < 0)
        return {true, false};
    qsizetype addedLineBreak = -1;
    shown = offerInclude(text, firstRewrite, shown, prompt, addedLineBreak);
    return {true, prompt.ask(PromptKind::SaveFile, path, shown) == Answer::Yes, addedLineBreak};
}

} // namespace orb
