// The editor's document logic: header texts, the code-point order, the charset table and
// the phrase-row and column operations of the table and its Qt model.
#include "dictionary/Charsets.h"
#include "DictTableContents.h"
#include "editor/DictGridModel.h"
#include "dictionary/DictTable.h"
#include "dictionary/DictionaryImport.h"

#include <QSignalSpy>
#include <QUndoStack>
#include <QTest>

#include <algorithm>
#include <functional>
#include <random>

using namespace Qt::StringLiterals;
using editortest::headersOf;
using editortest::makeTable;
using editortest::rowsOf;

namespace {

// The row order of the straight insertion sort the window's sort is defined by, for
// comparison with the fast one.
QList<QStringList> insertionSorted(QList<QStringList> rows, int col, bool ascending)
{
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QStringList copy = rows[i];
        qsizetype j = i;
        auto before = [&](const QString& a, const QString& b) {
            return ascending ? orb::lessByCodePoint(a, b) : !orb::lessByCodePoint(a, b);
        };
        while (j > 0 && before(copy[col], rows[j - 1][col])) {
            rows[j] = rows[j - 1];
            --j;
        }
        rows[j] = copy;
    }
    return rows;
}

// The table the phrase lookups start from: "two" twice in one column, an empty row.
orb::DictTable lookupTable()
{
    return makeTable({u"en"_s, u"de"_s, u"fr"_s}, {{u"one"_s, u"eins"_s, u"un"_s},
                                                    {u"two"_s, u"zwei"_s, u"deux"_s},
                                                    {QString(), QString(), QString()},
                                                    {u"two"_s, u"drei"_s, u"trois"_s}});
}

// What phraseExists must answer, by looking at every phrase row.
bool phraseInRows(const orb::DictTable& table, const QString& header, const QString& text)
{
    const int col = table.findLangColumn(header);
    for (int row = 1; col >= 0 && row < table.rowCount(); ++row) {
        if (table.cell(col, row) == text)
            return true;
    }
    return false;
}

struct TableChange
{
    const char* name;
    std::function<void(orb::DictTable&)> apply;
};

// Every kind of change a document goes through, each run on a table whose lookups have
// already indexed one of its columns.
const TableChange kTableChanges[] = {
    {"nothing", [](orb::DictTable&) {}},
    {"cell replaced", [](orb::DictTable& t) { t.setCell(1, 1, u"neu"_s); }},
    {"one of two equal texts replaced", [](orb::DictTable& t) { t.setCell(0, 4, u"four"_s); }},
    {"both equal texts replaced", [](orb::DictTable& t) { t.setCell(0, 2, u"x"_s); t.setCell(0, 4, u"y"_s); }},
    {"cell emptied", [](orb::DictTable& t) { t.setCell(2, 1, QString()); }},
    {"text moved between columns", [](orb::DictTable& t) { t.setCell(1, 2, QString()); t.setCell(2, 2, u"zwei"_s); }},
    {"row appended", [](orb::DictTable& t) { t.appendRow(); t.setCell(1, 5, u"fünf"_s); }},
    {"row deleted", [](orb::DictTable& t) { t.deleteRow(1); }},
    {"empty row deleted", [](orb::DictTable& t) { t.deleteRow(3); }},
    {"empty rows deleted", [](orb::DictTable& t) { t.deleteEmptyRows(); }},
    {"sorted", [](orb::DictTable& t) { t.sortColumn(1, false); }},
    {"column moved right", [](orb::DictTable& t) { t.moveColumn(0, 2); }},
    {"column moved left", [](orb::DictTable& t) { t.moveColumn(2, 0); }},
    {"column removed", [](orb::DictTable& t) { t.removeColumn(0); }},
    {"column appended", [](orb::DictTable& t) { t.appendColumn({u"it"_s, u"it-name"_s, 0}); t.setCell(3, 1, u"uno"_s); }},
    {"language renamed", [](orb::DictTable& t) { t.setColumn(1, {u"nl"_s, u"nl-name"_s, 0}); }},
    {"cleared", [](orb::DictTable& t) { t.clear(); }},
    {"columns reset", [](orb::DictTable& t) { t.resetColumns({{u"de"_s, u"de-name"_s, 0}, {u"en"_s, u"en-name"_s, 0}}); }},
    {"another document read in", [](orb::DictTable& t) { t = makeTable({u"fr"_s, u"de"_s}, {{u"un"_s, u"neu"_s}}); }},
    {"language imported into a column", [](orb::DictTable& t) {
         orb::applyImportPlan(t, {1, {u"de"_s, u"de-name"_s, 0}, {{1, u"Eins"_s}, {2, u"zwei"_s}, {3, u"drei"_s}}});
     }},
    {"language imported as a new column", [](orb::DictTable& t) {
         orb::applyImportPlan(t, {3, {u"it"_s, u"it-name"_s, 0}, {{1, u"uno"_s}, {4, u"tre"_s}}});
     }},
};

struct ModelChange
{
    const char* name;
    std::function<void(orb::DictGridModel&)> apply;
};

// Every change the window makes through the model, on lookupTable(): each is one step of
// the history, however many parts it has.
const ModelChange kModelChanges[] = {
    {"cell set", [](orb::DictGridModel& m) { m.setCell(1, 2, u"neu"_s); }},
    {"cell typed in place", [](orb::DictGridModel& m) {
         m.setData(m.cellIndex(0, 3), u"o"_s);
         m.setData(m.cellIndex(0, 3), u"on"_s);
     }},
    {"cell left as it was in place", [](orb::DictGridModel& m) { m.setData(m.cellIndex(0, 3), QString()); }},
    {"language described", [](orb::DictGridModel& m) { m.setColumn(1, {u"nl"_s, u"nl-name"_s, 7}); }},
    {"row appended", [](orb::DictGridModel& m) { m.appendRow(); }},
    {"row deleted", [](orb::DictGridModel& m) { m.deleteRow(2); }},
    {"empty rows deleted", [](orb::DictGridModel& m) { m.deleteEmptyRows(); }},
    {"sorted ascending", [](orb::DictGridModel& m) { m.sortColumn(1, true); }},
    {"sorted descending", [](orb::DictGridModel& m) { m.sortColumn(0, false); }},
    {"column appended", [](orb::DictGridModel& m) { m.appendColumn({u"it"_s, u"it-name"_s, 0}); }},
    {"first column removed", [](orb::DictGridModel& m) { m.removeColumn(0); }},
    {"middle column removed", [](orb::DictGridModel& m) { m.removeColumn(1); }},
    {"column moved right", [](orb::DictGridModel& m) { m.moveColumn(0, 2); }},
    {"column moved left", [](orb::DictGridModel& m) { m.moveColumn(2, 0); }},
    {"language imported into a column", [](orb::DictGridModel& m) {
         m.applyImport({1, {u"de"_s, u"de-name"_s, 3}, {{1, u"Eins"_s}, {4, u"vier"_s}}});
     }},
    {"language imported as a new column", [](orb::DictGridModel& m) {
         m.applyImport({3, {u"it"_s, u"it-name"_s, 0}, {{1, u"uno"_s}, {4, u"tre"_s}}});
     }},
    {"phrases of one harvest", [](orb::DictGridModel& m) {
         QCOMPARE(m.addPhrase(2, u"a"_s, 1), 5); // the last row holds text: a new one
         QCOMPARE(m.addPhrase(2, u"b"_s, 1), 6);
     }},
    {"phrase into an empty last row", [](orb::DictGridModel& m) {
         m.setTable(makeTable({u"en"_s, u"de"_s}, {{u"one"_s, u"eins"_s}, {QString(), QString()}}));
         QCOMPARE(m.addPhrase(1, u"zwei"_s, 1), 2);
     }},
};

struct Contents
{
    QStringList headers;
    QList<QStringList> rows;
    bool operator==(const Contents&) const = default;
};

Contents contentsOf(const orb::DictTable& table)
{
    return {headersOf(table), rowsOf(table)};
}

} // namespace

class TestEditorGrid : public QObject
{
    Q_OBJECT

private slots:
    void headerPart_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("id");
        QTest::newRow("name and identifier") << u"Русский(Russian)"_s << u"Русский"_s << u"Russian"_s;
        QTest::newRow("no parenthesis") << u"Русский"_s << u"Русский"_s << QString();
        QTest::newRow("no closing parenthesis") << u"Deutsch(German"_s << u"Deutsch"_s << QString();
        QTest::newRow("two pairs") << u"A(B)C(D)"_s << u"A"_s << u"B"_s;
        QTest::newRow("empty identifier") << u"Русский()"_s << u"Русский"_s << QString();
        QTest::newRow("empty") << QString() << QString() << QString();
    }
    void headerPart()
    {
        QFETCH(QString, header);
        QFETCH(QString, name);
        QFETCH(QString, id);
        QCOMPARE(orb::HeaderPart(1, header), name);
        QCOMPARE(orb::HeaderPart(0, header), id);
        QCOMPARE(orb::HeaderPart(2, header), QString());
    }

    void headerTextJoinsWithoutBlank()
    {
        QCOMPARE(orb::languageHeader(u"Русский"_s, u"Russian"_s), u"Русский(Russian)"_s);
        orb::DictTable table = makeTable({u"German"_s}, {{u"x"_s}});
        table.setColumn(0, {u"German"_s, u"Deutsch (Schweiz)"_s, 0});
        QCOMPARE(table.headerText(0), u"Deutsch (Schweiz)(German)"_s);
        // The identifier is kept as such, not taken back out of the header.
        QCOMPARE(table.column(0).langId, u"German"_s);
        QCOMPARE(table.findLangIdColumn(u"German"), 0);
    }

    void codePointOrder()
    {
        QVERIFY(orb::lessByCodePoint(u"", u"a"));
        QVERIFY(!orb::lessByCodePoint(u"a", u""));
        QVERIFY(!orb::lessByCodePoint(u"a", u"a"));
        QVERIFY(orb::lessByCodePoint(u"B", u"a"));
        QVERIFY(orb::lessByCodePoint(u"ab", u"abc"));
        QVERIFY(orb::lessByCodePoint(u"Z", u"é"));
        QVERIFY(orb::lessByCodePoint(u"я", u"ё"));
        // U+FF21 (fullwidth A) is below U+1F600, although its UTF-16 unit is above the
        // surrogate that starts U+1F600: UTF-8 byte order says FF21 first.
        const QString emoji = QString::fromUcs4(U"\U0001F600");
        QVERIFY(orb::lessByCodePoint(u"\uFF21", emoji));
        QVERIFY(!orb::lessByCodePoint(emoji, u"\uFF21"));
        QVERIFY(QString(u"\uFF21"_s) > emoji); // what plain UTF-16 order would have said
        QVERIFY(orb::lessByCodePoint(u"\uD7FF", emoji));
        QVERIFY(orb::lessByCodePoint(QString::fromUcs4(U"\U00010000"), QString::fromUcs4(U"\U0010FFFF")));
    }

    void codePointOrderIsUtf8ByteOrder()
    {
        std::mt19937 random(7);
        const char32_t samples[] = {U'a', U'Z', U'é', U'я', U'\uD7FF', U'\uE000', U'\uFFFD', U'\U00010000', U'\U0001F600'};
        for (int i = 0; i < 2000; ++i) {
            QString a, b;
            for (int k = int(random() % 4); k > 0; --k)
                a += QString::fromUcs4(&samples[random() % std::size(samples)], 1);
            for (int k = int(random() % 4); k > 0; --k)
                b += QString::fromUcs4(&samples[random() % std::size(samples)], 1);
            const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
            const bool bytesLess = std::lexicographical_compare(
                ua.begin(), ua.end(), ub.begin(), ub.end(),
                [](char x, char y) { return uchar(x) < uchar(y); });
            QCOMPARE(orb::lessByCodePoint(a, b), bytesLess);
        }
    }

    void charsetListOrder()
    {
        const auto list = orb::charsetList();
        QCOMPARE(list.size(), std::size_t(19));
        QCOMPARE(QLatin1String(list[0].name), "DEFAULT_CHARSET"_L1);
        QCOMPARE(list[0].number, 1);
        QCOMPARE(QLatin1String(list[0].help), " "_L1);
        QCOMPARE(QLatin1String(list[1].name), "ANSI_CHARSET"_L1);
        QCOMPARE(QLatin1String(list[4].help), "Shift-JIS (Japanese Industry Standard) \"Katakana Extended\" Japan."_L1);
        QCOMPARE(QLatin1String(list[15].name), "RUSSIAN_CHARSET"_L1);
        QCOMPARE(list[15].number, 204);
        QCOMPARE(QLatin1String(list[18].name), "OEM_CHARSET"_L1);
        QCOMPARE(list[18].number, 255);
    }

    void charsetConversions()
    {
        QCOMPARE(orb::CharsetByName(u"RUSSIAN_CHARSET"_s), quint8(204));
        QCOMPARE(orb::CharsetByName(u"ANSI_CHARSET"_s), quint8(0));
        QCOMPARE(orb::CharsetByName(u"DEFAULT_CHARSET"_s), quint8(1));
        QCOMPARE(orb::CharsetByName(u"russian_charset"_s), quint8(1));
        QCOMPARE(orb::CharsetByName(QString()), quint8(1));
        QCOMPARE(orb::CharsetName(0), u"ANSI_CHARSET"_s);
        QCOMPARE(orb::CharsetName(1), u"DEFAULT_CHARSET"_s);
        QCOMPARE(orb::CharsetName(238), u"EASTEUROPE_CHARSET"_s);
        QCOMPARE(orb::CharsetName(100), QString());
        QCOMPARE(orb::CharsetName(460), QString());
        for (const orb::CharsetEntry& entry : orb::charsetList())
            QCOMPARE(int(orb::CharsetByName(orb::CharsetName(entry.number))), entry.number);
    }

    void clearedTableHasOneColumnAndOneEmptyRow()
    {
        orb::DictTable table = makeTable({u"a"_s, u"b"_s}, {{u"1"_s, u"2"_s}, {u"3"_s, u"4"_s}});
        table.clear();
        QCOMPARE(table.columnCount(), 1);
        QCOMPARE(table.rowCount(), 2);
        QCOMPARE(table.cell(0, 1), QString());
        QCOMPARE(table.column(0).charset, 0);
    }

    void cellsOutsideTheTableAreIgnored()
    {
        orb::DictTable table = makeTable({u"a"_s}, {{u"x"_s}});
        table.setCell(1, 1, u"no"_s);
        table.setCell(0, 0, u"no"_s);
        table.setCell(0, 2, u"no"_s);
        QCOMPARE(table.cell(0, 0), QString());
        QCOMPARE(table.cell(5, 1), QString());
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"x"_s}}));
    }

    void deleteRowRefusals()
    {
        orb::DictTable table = makeTable({u"a"_s}, {{u"only"_s}});
        QVERIFY(!table.deleteRow(1));
        table.appendRow();
        QVERIFY(!table.deleteRow(0));
        QVERIFY(!table.deleteRow(3));
        QVERIFY(!table.deleteRow(-1));
        QCOMPARE(table.rowCount(), 3);
        QVERIFY(table.deleteRow(1));
        QCOMPARE(rowsOf(table), (QList<QStringList>{{QString()}}));
    }

    void deletedRowLeavesNoTextBehind()
    {
        orb::DictTable table = makeTable({u"a"_s, u"b"_s}, {{u"1"_s, u"2"_s}, {u"3"_s, u"4"_s}});
        QVERIFY(table.deleteRow(2));
        table.appendRow();
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"1"_s, u"2"_s}, {QString(), QString()}}));
    }

    void deleteEmptyRows()
    {
        orb::DictTable table = makeTable({u"a"_s, u"b"_s},
                                    {{}, {}, {u"1"_s, QString()}, {}, {}, {}, {QString(), u"2"_s}, {}});
        QCOMPARE(table.deleteEmptyRows(), 6);
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"1"_s, QString()}, {QString(), u"2"_s}}));
        QCOMPARE(table.deleteEmptyRows(), 0);
    }

    void deleteEmptyRowsKeepsOneRowOfAnAllEmptyTable()
    {
        orb::DictTable table = makeTable({u"a"_s, u"b"_s}, {{}, {}, {}});
        QCOMPARE(table.deleteEmptyRows(), 2);
        QCOMPARE(table.rowCount(), 2);
        QVERIFY(table.isRowEmpty(1));
    }

    void sortByColumn()
    {
        // Every row has some text in the second column, so none of them is empty.
        orb::DictTable table = makeTable({u"a"_s, u"b"_s},
                                    {{u"b"_s, u"1"_s}, {}, {u"B"_s, u"2"_s}, {u"a"_s, u"3"_s}, {}, {QString(), u"4"_s}});
        table.sortColumn(0, true);
        QCOMPARE(rowsOf(table), (QList<QStringList>{{QString(), u"4"_s}, {u"B"_s, u"2"_s}, {u"a"_s, u"3"_s}, {u"b"_s, u"1"_s}}));
    }

    void sortIsStable()
    {
        orb::DictTable table = makeTable({u"k"_s, u"v"_s},
                                    {{u"x"_s, u"1"_s}, {u"a"_s, u"2"_s}, {u"x"_s, u"3"_s}, {u"a"_s, u"4"_s}, {u"x"_s, u"5"_s}});
        table.sortColumn(0, true);
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"a"_s, u"2"_s}, {u"a"_s, u"4"_s}, {u"x"_s, u"1"_s}, {u"x"_s, u"3"_s}, {u"x"_s, u"5"_s}}));
    }

    // Rows given as key and row number, the result as "key/number" in the sorted order.
    void sortOrders_data()
    {
        QTest::addColumn<orb::SortOrder>("order");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("sorted");
        const QStringList accents{u"f"_s, u"é"_s, u"e"_s};
        QTest::newRow("code point: accented after every ASCII letter")
            << orb::SortOrder::CodePoint << u"fr_FR"_s << true << accents << QStringList{u"e/3"_s, u"f/1"_s, u"é/2"_s};
        QTest::newRow("French: accented between e and f")
            << orb::SortOrder::Locale << u"fr_FR"_s << true << accents << QStringList{u"e/3"_s, u"é/2"_s, u"f/1"_s};
        QTest::newRow("English: accented between e and f")
            << orb::SortOrder::Locale << u"en_US"_s << true << accents << QStringList{u"e/3"_s, u"é/2"_s, u"f/1"_s};
        QTest::newRow("English: a letter's cases side by side, small first")
            << orb::SortOrder::Locale << u"en_US"_s << true << QStringList{u"B"_s, u"c"_s, u"b"_s, u"a"_s}
            << QStringList{u"a/4"_s, u"b/3"_s, u"B/1"_s, u"c/2"_s};
        QTest::newRow("English descending: equal keys in reverse")
            << orb::SortOrder::Locale << u"en_US"_s << false << QStringList{u"x"_s, u"é"_s, u"x"_s, u"e"_s, u"é"_s}
            << QStringList{u"x/3"_s, u"x/1"_s, u"é/5"_s, u"é/2"_s, u"e/4"_s};
        QTest::newRow("English ascending: equal keys in order")
            << orb::SortOrder::Locale << u"en_US"_s << true << QStringList{u"x"_s, u"é"_s, u"x"_s, u"e"_s, u"é"_s}
            << QStringList{u"e/4"_s, u"é/2"_s, u"é/5"_s, u"x/1"_s, u"x/3"_s};
    }
    void sortOrders()
    {
        QFETCH(orb::SortOrder, order);
        QFETCH(QString, locale);
        QFETCH(bool, ascending);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, sorted);
        QLocale::setDefault(QLocale(locale));
        QList<QStringList> rows;
        for (qsizetype r = 0; r < keys.size(); ++r)
            rows << QStringList{keys[r], QString::number(r + 1)};
        orb::DictTable table = makeTable({u"k"_s, u"n"_s}, rows);
        table.sortColumn(0, ascending, order);
        QLocale::setDefault(QLocale::system());
        QStringList result;
        for (const QStringList& row : rowsOf(table))
            result << row.join(u'/');
        QCOMPARE(result, sorted);
    }

    void sortOfAColumnOutsideTheTableDoesNothing()
    {
        orb::DictTable table = makeTable({u"k"_s}, {{u"b"_s}, {}, {u"a"_s}});
        table.sortColumn(1, true);
        table.sortColumn(-1, true);
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"b"_s}, {QString()}, {u"a"_s}}));
    }

    void sortMatchesTheInsertionSort_data()
    {
        QTest::addColumn<bool>("ascending");
        QTest::newRow("ascending") << true;
        QTest::newRow("descending") << false;
    }
    void sortMatchesTheInsertionSort()
    {
        QFETCH(bool, ascending);
        std::mt19937 random(11);
        const QStringList keys = {u"a"_s, u"B"_s, u"b"_s, u"ё"_s, u"е"_s, QString(), u"ab"_s, u"\uFF21"_s,
                                  QString::fromUcs4(U"\U0001F600")};
        QList<QStringList> rows;
        for (int r = 0; r < 300; ++r)
            rows << QStringList{keys[random() % keys.size()], QString::number(r)};
        orb::DictTable table = makeTable({u"k"_s, u"n"_s}, rows);
        table.sortColumn(0, ascending);
        QCOMPARE(rowsOf(table), insertionSorted(rows, 0, ascending));
    }

    void columnsAppendRemoveAndMove()
    {
        orb::DictTable table = makeTable({u"a"_s, u"b"_s, u"c"_s}, {{u"a1"_s, u"b1"_s, u"c1"_s}, {u"a2"_s, u"b2"_s, u"c2"_s}});
        table.setColumn(2, {u"c"_s, u"C"_s, 204});

        table.moveColumn(2, 0);
        QCOMPARE(table.column(0).langId, u"c"_s);
        QCOMPARE(table.column(0).charset, 204);
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"c1"_s, u"a1"_s, u"b1"_s}, {u"c2"_s, u"a2"_s, u"b2"_s}}));
        table.moveColumn(0, 2);
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"a1"_s, u"b1"_s, u"c1"_s}, {u"a2"_s, u"b2"_s, u"c2"_s}}));

        QVERIFY(table.removeColumn(1));
        QCOMPARE(table.column(1).langId, u"c"_s);
        QCOMPARE(table.column(1).charset, 204);
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"a1"_s, u"c1"_s}, {u"a2"_s, u"c2"_s}}));

        table.appendColumn({u"d"_s, u"D"_s, 1});
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"a1"_s, u"c1"_s, QString()}, {u"a2"_s, u"c2"_s, QString()}}));

        QVERIFY(table.removeColumn(0));
        QVERIFY(table.removeColumn(0));
        QVERIFY(!table.removeColumn(0));
        QCOMPARE(table.columnCount(), 1);
    }

    void findColumnsAndPhrases()
    {
        orb::DictTable table = makeTable({u"en"_s, u"de"_s, u"en"_s}, {{u"one"_s, u"eins"_s, u"uno"_s}});
        QCOMPARE(table.findLangColumn(u"de-name(de)"_s), 1);
        QCOMPARE(table.findLangColumn(u"de-name(DE)"_s), -1);
        QCOMPARE(table.findLangIdColumn(u"en"), 0);
        QCOMPARE(table.findLangIdColumn(u"EN"), -1);
        QVERIFY(table.phraseExists(u"de-name(de)"_s, u"eins"_s));
        QVERIFY(!table.phraseExists(u"de-name(de)"_s, u"Eins"_s));
        QVERIFY(!table.phraseExists(u"nowhere(x)"_s, u"eins"_s));
        // The first column with the header is the one searched.
        QVERIFY(!table.phraseExists(u"en-name(en)"_s, u"uno"_s));
    }

    void phraseLookupFollowsEveryChange_data()
    {
        QTest::addColumn<int>("change");
        for (int i = 0; i < int(std::size(kTableChanges)); ++i)
            QTest::newRow(kTableChanges[i].name) << i;
    }
    void phraseLookupFollowsEveryChange()
    {
        QFETCH(int, change);
        const QStringList headers = {u"en-name(en)"_s, u"de-name(de)"_s, u"fr-name(fr)"_s, u"it-name(it)"_s,
                                     u"nl-name(nl)"_s};
        const QStringList texts = {QString(), u"one"_s, u"two"_s, u"four"_s, u"x"_s, u"eins"_s, u"Eins"_s,
                                   u"neu"_s, u"zwei"_s, u"drei"_s, u"fünf"_s, u"un"_s, u"deux"_s, u"uno"_s,
                                   u"tre"_s};
        for (int indexed = 0; indexed < 3; ++indexed) {
            orb::DictTable table = lookupTable();
            QVERIFY(table.phraseExists(table.headerText(indexed), table.cell(indexed, 1)));
            kTableChanges[change].apply(table);
            // The column at the indexed place is asked first, while an index left over from
            // before the change would still answer for it.
            QStringList asked = headers;
            if (indexed < table.columnCount())
                asked.prepend(table.headerText(indexed));
            for (const QString& header : std::as_const(asked)) {
                for (const QString& text : texts) {
                    QVERIFY2(table.phraseExists(header, text) == phraseInRows(table, header, text),
                             qPrintable(u"indexed column %1, %2 holds \"%3\"?"_s.arg(indexed).arg(header, text)));
                }
            }
        }
    }

    void modelShowsPhraseRowsBelowTheHeader()
    {
        orb::DictGridModel model;
        model.setTable(makeTable({u"en"_s, u"ru"_s}, {{u"one"_s, u"один"_s}, {u"two"_s, u"два"_s}}));
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.columnCount(), 2);
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), u"ru-name(ru)"_s);
        QCOMPARE(model.data(model.index(1, 1)).toString(), u"два"_s);
        QCOMPARE(model.cellIndex(0, 1), model.index(0, 0));
        QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    }

    void modelReportsEveryEdit()
    {
        orb::DictGridModel model;
        model.setTable(makeTable({u"en"_s}, {{u"one"_s}}));
        QSignalSpy edits(&model, &orb::DictGridModel::cellEdited);
        QVERIFY(model.setData(model.index(0, 0), u"one"_s));
        QVERIFY(model.setData(model.index(0, 0), u"uno"_s));
        QCOMPARE(edits.size(), 2);
        QCOMPARE(edits[0], (QList<QVariant>{0, 1, u"one"_s}));
        QCOMPARE(edits[1], (QList<QVariant>{0, 1, u"uno"_s}));
        QCOMPARE(model.table().cell(0, 1), u"uno"_s);
    }

    void modelSignalsStructuralChanges()
    {
        orb::DictGridModel model;
        model.setTable(makeTable({u"en"_s, u"de"_s}, {{u"one"_s, u"eins"_s}}));
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy moved(&model, &QAbstractItemModel::columnsMoved);
        QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);
        model.appendRow();
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(model.rowCount(), 2);
        QVERIFY(model.deleteRow(2));
        QCOMPARE(removed.size(), 1);
        QVERIFY(!model.deleteRow(1));
        QCOMPARE(removed.size(), 1);
        model.moveColumn(0, 1);
        QCOMPARE(moved.size(), 1);
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), u"en-name(en)"_s);
        QCOMPARE(model.data(model.index(0, 0)).toString(), u"eins"_s);
        model.setColumn(0, {u"German"_s, u"Deutsch"_s, 0});
        QCOMPARE(header.size(), 1);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), u"Deutsch(German)"_s);
    }

    void everyModelChangeIsOneStepUndoneAndRedone_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<int>("filter");
        for (std::size_t i = 0; i < std::size(kModelChanges); ++i) {
            QTest::addRow("%s", kModelChanges[i].name) << int(i) << -1;
            QTest::addRow("%s, filtered", kModelChanges[i].name) << int(i) << 2;
        }
    }
    void everyModelChangeIsOneStepUndoneAndRedone()
    {
        QFETCH(int, change);
        QFETCH(int, filter);
        orb::DictGridModel model;
        model.setTable(lookupTable());
        model.setRowFilter(filter);
        // The views see the rows the filter shows, each once, in table order.
        auto verifyShownRows = [&model, filter] {
            int previous = 0;
            for (int row = 0; row < model.rowCount(); ++row) {
                const int shown = model.tableRow(row);
                QVERIFY(shown > previous);
                QCOMPARE(model.modelRow(shown), row);
                previous = shown;
            }
            if (filter < 0 || model.rowFilter() < 0)
                QCOMPARE(model.rowCount(), model.table().rowCount() - 1);
        };
        kModelChanges[change].apply(model);
        verifyShownRows();
        QUndoStack* history = model.history();
        QVERIFY(history->isClean() == false);
        QCOMPARE(history->count(), 1);
        const Contents changed = contentsOf(model.table());
        model.table().phraseExists(model.table().headerText(0), QString()); // indexes column 0
        model.endTyping();
        history->undo();
        QVERIFY(history->isClean());
        const Contents original = contentsOf(model.table());
        // What the harvest asks follows the undo too.
        for (const QStringList& row : changed.rows) {
            for (const QString& text : row) {
                const QString header = model.table().headerText(0);
                QCOMPARE(model.table().phraseExists(header, text), phraseInRows(model.table(), header, text));
            }
        }
        if (std::string_view(kModelChanges[change].name) != "phrase into an empty last row")
            QCOMPARE(original, contentsOf(lookupTable()));
        history->redo();
        QCOMPARE(contentsOf(model.table()), changed);
        verifyShownRows();
        QCOMPARE(model.columnCount(), model.table().columnCount());
        history->undo();
        QCOMPARE(contentsOf(model.table()), original);
        verifyShownRows();
    }

    void filterShowsTheRowsLeftToTranslate()
    {
        orb::DictGridModel model;
        model.setTable(lookupTable());
        model.setRowFilter(1);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.tableRow(0), 3);
        QCOMPARE(model.modelRow(1), -1);
        QVERIFY(!model.cellIndex(0, 1).isValid());
        QVERIFY(model.setData(model.index(0, 1), u"drei"_s));
        QCOMPARE(model.table().cell(1, 3), u"drei"_s);
        QCOMPARE(model.rowCount(), 1); // stays while it is translated
        model.setRowFilter(1);
        QCOMPARE(model.rowCount(), 0);
        model.setRowFilter(-1);
        QCOMPARE(model.rowCount(), 4);
    }

    void typingRunsAndHarvestsAreSeparateSteps()
    {
        orb::DictGridModel model;
        model.setTable(lookupTable());
        model.setData(model.cellIndex(0, 1), u"x"_s);
        model.endTyping();
        model.setData(model.cellIndex(0, 1), u"y"_s);
        model.setData(model.cellIndex(1, 1), u"z"_s);
        model.addPhrase(2, u"a"_s, 1);
        model.setCell(0, 2, u"typed between"_s);
        model.addPhrase(2, u"b"_s, 1);
        model.addPhrase(2, u"c"_s, 2);
        QCOMPARE(model.history()->count(), 7);
        model.setCell(0, 2, u"typed between"_s); // no change, no step
        QCOMPARE(model.history()->count(), 7);
        while (model.history()->canUndo())
            model.history()->undo();
        QCOMPARE(contentsOf(model.table()), contentsOf(lookupTable()));
    }

    void modelSortKeepsCurrentPosition()
    {
        orb::DictGridModel model;
        model.setTable(makeTable({u"k"_s}, {{u"c"_s}, {u"a"_s}, {u"b"_s}}));
        const QPersistentModelIndex current = model.index(2, 0);
        model.sortColumn(0, true);
        QCOMPARE(current.row(), 2);
        QCOMPARE(model.data(current).toString(), u"c"_s);
        QCOMPARE(model.data(model.index(0, 0)).toString(), u"a"_s);
    }
};

QTEST_GUILESS_MAIN(TestEditorGrid)
#include "tst_editor_grid.moc"
