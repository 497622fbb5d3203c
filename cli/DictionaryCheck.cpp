#include "cli/DictionaryCheck.h"

#include "dictionary/Charsets.h"
#include "dictionary/DictTable.h"
#include "dictionary/LangIdentifier.h"
#include "component/TextRoutines.h"

#include <QHash>

#include <algorithm>

namespace orb {

namespace {

bool isAsciiLetter(QChar ch)
{
    return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z');
}

bool isDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

// The length of the entity at pos ("&amp;", "&#160;", "&#x41;"), or 0.
qsizetype entityLength(QStringView text, qsizetype pos)
{
    qsizetype end = pos + 1;
    if (end < text.size() && text[end] == u'#') {
        ++end;
        const bool hex = end < text.size() && (text[end] == u'x' || text[end] == u'X');
        if (hex)
            ++end;
        const qsizetype digits = end;
        while (end < text.size() && (isDigit(text[end]) || (hex && isAsciiLetter(text[end]) && text[end].toLower() <= u'f')))
            ++end;
        if (end == digits)
            return 0;
    } else {
        const qsizetype letters = end;
        while (end < text.size() && (isAsciiLetter(text[end]) || isDigit(text[end])))
            ++end;
        if (end == letters)
            return 0;
    }
    return end < text.size() && text[end] == u';' ? end + 1 - pos : 0;
}

// The length of the Qt placeholder at pos (%1..%99, %L1, %n, %Ln), or 0.
qsizetype qtPlaceholderLength(QStringView text, qsizetype pos)
{
    qsizetype end = pos + 1;
    if (end < text.size() && text[end] == u'L')
        ++end;
    if (end < text.size() && text[end] == u'n')
        return end + 1 - pos;
    if (end >= text.size() || !isDigit(text[end]) || text[end] == u'0')
        return 0;
    ++end;
    if (end < text.size() && isDigit(text[end]))
        ++end;
    return end - pos;
}

// The length of the printf format at pos (%s, %-5d, %.2f, %ld), or 0. A blank is no flag
// here: "100 % sure" is prose.
qsizetype printfFormatLength(QStringView text, qsizetype pos)
{
    qsizetype end = pos + 1;
    while (end < text.size() && QStringView(u"-+0#'").contains(text[end]))
        ++end;
    while (end < text.size() && (isDigit(text[end]) || text[end] == u'*'))
        ++end;
    if (end < text.size() && text[end] == u'.') {
        ++end;
        while (end < text.size() && (isDigit(text[end]) || text[end] == u'*'))
            ++end;
    }
    while (end < text.size() && QStringView(u"hlLqjzt").contains(text[end]))
        ++end;
    if (end < text.size() && QStringView(u"diouxXeEfFgGaAcsp").contains(text[end]))
        return end + 1 - pos;
    return 0;
}

// The length of the tag at pos ("<b>", "</p>", "<a href=\"x\">", "<br/>"), or 0: a "<" that
// starts no tag ("a < b") is text.
qsizetype tagLength(QStringView text, qsizetype pos)
{
    qsizetype end = pos + 1;
    if (end < text.size() && text[end] == u'/')
        ++end;
    if (end >= text.size() || !isAsciiLetter(text[end]))
        return 0;
    const qsizetype close = text.indexOf(u'>', end);
    const qsizetype next = text.indexOf(u'<', end);
    if (close < 0 || (next >= 0 && next < close))
        return 0;
    return close + 1 - pos;
}

// A tag as compared: its name with the slash, attributes aside ("<a href=...>" is "<a>").
QString tagName(QStringView tag)
{
    qsizetype end = tag.startsWith(u"</") ? 2 : 1;
    while (end < tag.size() && (isAsciiLetter(tag[end]) || isDigit(tag[end])))
        ++end;
    return tag.first(end).toString().toLower() + u'>';
}

void readMarks(QStringView text, TextShape& shape)
{
    for (qsizetype pos = 0; pos < text.size(); ++pos) {
        const QChar ch = text[pos];
        if (ch == u'%') {
            if (pos + 1 < text.size() && text[pos + 1] == u'%') {
                ++pos;
            } else if (const qsizetype qt = qtPlaceholderLength(text, pos)) {
                shape.qtPlaceholders.append(text.sliced(pos, qt).toString());
                pos += qt - 1;
            } else if (const qsizetype printf = printfFormatLength(text, pos)) {
                shape.printfFormats.append(text.sliced(pos, printf).toString());
                pos += printf - 1;
            }
        } else if (ch == u'&') {
            if (pos + 1 < text.size() && text[pos + 1] == u'&') {
                ++pos;
            } else if (const qsizetype entity = entityLength(text, pos)) {
                pos += entity - 1;
            } else if (pos + 1 < text.size() && text[pos + 1].isLetterOrNumber()) {
                ++shape.accelerators;
            }
        } else if (ch == u'<') {
            if (const qsizetype tag = tagLength(text, pos)) {
                shape.tags.append(tagName(text.sliced(pos, tag)));
                pos += tag - 1;
            }
        }
    }
}

QString listed(const QStringList& items)
{
    return items.isEmpty() ? QStringLiteral("none") : items.join(u' ');
}

QStringList sorted(QStringList items)
{
    items.sort();
    return items;
}

class Checker
{
public:
    Checker(const DictTable& table, int source) : m_table(table), m_source(source) {}

    CheckReport run()
    {
        checkLanguages();
        for (int row = 1; row < m_table.rowCount(); ++row) {
            const QString& source = m_table.cell(m_source, row);
            if (source.isEmpty())
                continue;
            const TextShape sourceShape = shapeOf(source);
            for (int col = 0; col < m_table.columnCount(); ++col) {
                if (col != m_source)
                    compare(row, col, sourceShape);
            }
        }
        for (int col = 0; col < m_table.columnCount(); ++col)
            checkUnreachableKeys(col);
        std::stable_sort(m_report.findings.begin(), m_report.findings.end(),
                         [](const CheckFinding& a, const CheckFinding& b) {
                             return a.row != b.row ? a.row < b.row : a.column < b.column;
                         });
        m_report.completeness = languageCompletenessOf(m_table, m_source);
        return std::move(m_report);
    }

private:
    void add(int row, int col, CheckSeverity severity, const char* rule, const QString& message)
    {
        m_report.findings.push_back({row, col, severity, QString::fromLatin1(rule), message});
    }

    void checkLanguages()
    {
        QStringList ids;
        for (int col = 0; col < m_table.columnCount(); ++col)
            ids.append(m_table.column(col).langId);
        for (int col = 0; col < m_table.columnCount(); ++col) {
            const LangColumn& language = m_table.column(col);
            QStringList others = ids;
            others.removeAt(col);
            const LangIdCheck id = checkLangId(language.langId, others);
            if (id == LangIdCheck::Taken)
                add(0, col, CheckSeverity::Error, "identifier",
                    QStringLiteral("the identifier %1 names another language too; its texts are read from the first").arg(language.langId));
            else if (id != LangIdCheck::Valid)
                add(0, col, CheckSeverity::Error, "identifier",
                    QStringLiteral("the identifier \"%1\" is no XML name").arg(language.langId));
            if (CharsetName(language.charset).isEmpty())
                add(0, col, CheckSeverity::Error, "charset",
                    QStringLiteral("the charset %1 is none of the 19 known").arg(language.charset));
        }
    }

    void compare(int row, int col, const TextShape& source)
    {
        const QString& text = m_table.cell(col, row);
        if (text.isEmpty()) {
            add(row, col, CheckSeverity::Warning, "untranslated", QStringLiteral("not translated"));
            return;
        }
        const TextShape shape = shapeOf(text);
        if (sorted(shape.qtPlaceholders) != sorted(source.qtPlaceholders))
            add(row, col, CheckSeverity::Error, "placeholders",
                QStringLiteral("placeholders differ: %1 in the source, %2 here")
                    .arg(listed(source.qtPlaceholders), listed(shape.qtPlaceholders)));
        if (shape.printfFormats != source.printfFormats)
            add(row, col, CheckSeverity::Error, "placeholders",
                QStringLiteral("printf formats differ: %1 in the source, %2 here")
                    .arg(listed(source.printfFormats), listed(shape.printfFormats)));
        if (shape.accelerators != source.accelerators)
            add(row, col, CheckSeverity::Error, "accelerators",
                QStringLiteral("%1 accelerators (&) in the source, %2 here").arg(source.accelerators).arg(shape.accelerators));
        if (sorted(shape.tags) != sorted(source.tags))
            add(row, col, CheckSeverity::Error, "tags",
                QStringLiteral("tags differ: %1 in the source, %2 here").arg(listed(source.tags), listed(shape.tags)));
        if (shape.leading != source.leading || shape.trailing != source.trailing)
            add(row, col, CheckSeverity::Warning, "whitespace",
                QStringLiteral("the blanks at the %1 differ from the source's")
                    .arg(shape.leading != source.leading ? QStringLiteral("start") : QStringLiteral("end")));
        if (shape.lines != source.lines)
            add(row, col, CheckSeverity::Warning, "lines",
                QStringLiteral("%1 lines in the source, %2 here").arg(source.lines).arg(shape.lines));
    }

    // The lookup finds a text in the first row that holds it, in any case: a later row with
    // the same key is never reached, which matters when its other texts differ. Keys that
    // differ only by their accelerators ("&Open", "Op&en", "Open") are one text to a reader.
    void checkUnreachableKeys(int col)
    {
        QHash<QString, int> firstByKey;
        QHash<QString, int> firstWithoutAmpersand;
        firstByKey.reserve(m_table.rowCount());
        firstWithoutAmpersand.reserve(m_table.rowCount());
        for (int row = 1; row < m_table.rowCount(); ++row) {
            const QString& text = m_table.cell(col, row);
            if (text.isEmpty())
                continue;
            const QString key = text.toCaseFolded();
            // Rows count from 1: a 0 is the slot just made.
            int& first = firstByKey[key];
            if (first == 0) {
                first = row;
            } else {
                if (otherTextsDiffer(first, row, col))
                    add(row, col, CheckSeverity::Error, "duplicate",
                        QStringLiteral("\"%1\" is the key of row %2 too%3, whose translations differ; "
                                       "the lookup only ever finds row %2")
                            .arg(text)
                            .arg(first)
                            .arg(m_table.cell(col, first) == text ? QString()
                                                                  : QStringLiteral(" (as \"%1\")").arg(m_table.cell(col, first))));
                continue;
            }
            int& plain = firstWithoutAmpersand[key.contains(u'&') ? orb::deleteAmpersand(key) : key];
            if (plain == 0)
                plain = row;
            else if (otherTextsDiffer(plain, row, col, IgnoringAccelerators))
                add(row, col, CheckSeverity::Warning, "duplicate",
                    QStringLiteral("\"%1\" differs from row %2 (\"%3\") only by accelerators, and their translations differ")
                        .arg(text).arg(plain).arg(m_table.cell(col, plain)));
        }
    }

    // Rows that differ only by accelerators in every language are one text on a menu and
    // in a tooltip, not a conflict.
    static constexpr bool IgnoringAccelerators = true;
    bool otherTextsDiffer(int first, int row, int keyColumn, bool ignoringAccelerators = false) const
    {
        for (int col = 0; col < m_table.columnCount(); ++col) {
            if (col == keyColumn)
                continue;
            const QString& a = m_table.cell(col, first);
            const QString& b = m_table.cell(col, row);
            if (ignoringAccelerators ? orb::deleteAmpersand(a) != orb::deleteAmpersand(b) : a != b)
                return true;
        }
        return false;
    }

    const DictTable& m_table;
    const int m_source;
    CheckReport m_report;
};

} // namespace

TextShape shapeOf(const QString& text)
{
    TextShape shape;
    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    qsizetype end = text.size();
    while (end > start && text[end - 1].isSpace())
        --end;
    shape.leading = text.first(start);
    shape.trailing = text.sliced(end);
    shape.lines = int(text.count(u'\n')) + 1;
    // Most texts hold none of the marks: three vectorised searches spare them the scan.
    if (text.contains(u'%') || text.contains(u'&') || text.contains(u'<'))
        readMarks(text, shape);
    return shape;
}

std::vector<LanguageCompleteness> languageCompletenessOf(const DictTable& table, int sourceColumn)
{
    std::vector<LanguageCompleteness> figures;
    for (int col = 0; col < table.columnCount(); ++col) {
        if (col == sourceColumn)
            continue;
        LanguageCompleteness figure{col, 0, 0};
        for (int row = 1; row < table.rowCount(); ++row) {
            if (table.cell(sourceColumn, row).isEmpty())
                continue;
            ++figure.rows;
            figure.translated += table.cell(col, row).isEmpty() ? 0 : 1;
        }
        figures.push_back(figure);
    }
    return figures;
}

CheckReport checkDictionary(const DictTable& table, int sourceColumn)
{
    return Checker(table, sourceColumn).run();
}

} // namespace orb
