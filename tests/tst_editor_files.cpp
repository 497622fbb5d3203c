// Reading dictionary files into the editor's table and writing them back.
#include "DictTableContents.h"
#include "dictionary/DictionaryGridIO.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using editortest::rowsOf;
using editortest::headersOf;

namespace {

QString root(const QString& body)
{
    return u"<Varnok_translation_toolkit_dictionary_file>"_s + body + u"</Varnok_translation_toolkit_dictionary_file>"_s;
}

const QString kTwoLanguages = u"<Languages><Russian Name=\"Русский\"/><English Name=\"English\"/></Languages>"
                              "<Charsets><Russian Charset=\"204\"/><English Charset=\"0\"/></Charsets>"_s;

// A table that stands for an open document the read must not disturb.
orb::DictTable previousDocument()
{
    orb::DictTable table;
    table.setColumn(0, {u"Old"_s, u"Old"_s, 7});
    table.setCell(0, 1, u"kept"_s);
    return table;
}

} // namespace

class TestEditorFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QString write(const QString& name, const QString& text) { return write(name, text.toUtf8()); }

    QByteArray contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void readsLanguagesCharsetsAndItems()
    {
        const QString path = write(u"two.lng"_s, root(kTwoLanguages
            + u"<Item><Russian Message=\"Файл\"/><English Message=\"File\"/></Item>"
              "<Item><English Message=\"Line one&#10;line two\"/></Item>"_s));
        orb::DictTable table;
        QCOMPARE(orb::readDictionaryGrid(path, table), orb::GridRead::Ok);
        QCOMPARE(headersOf(table), (QStringList{u"Русский(Russian)/204"_s, u"English(English)/0"_s}));
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"Файл"_s, u"File"_s}, {QString(), u"Line one\nline two"_s}}));
    }

    void fileWithoutItemsHasOneEmptyRow()
    {
        orb::DictTable table;
        QCOMPARE(orb::readDictionaryGrid(write(u"empty.lng"_s, root(kTwoLanguages)), table), orb::GridRead::Ok);
        QCOMPARE(rowsOf(table), (QList<QStringList>{{QString(), QString()}}));
    }

    void itemsAnywhereAmongTheRootsChildren()
    {
        const QString path = write(u"order.lng"_s, root(u"<Item><English Message=\"first\"/></Item>"_s + kTwoLanguages
                                                         + u"<Other/><Item><English Message=\"second\"/></Item>"_s));
        orb::DictTable table;
        QCOMPARE(orb::readDictionaryGrid(path, table), orb::GridRead::Ok);
        QCOMPARE(rowsOf(table), (QList<QStringList>{{QString(), u"first"_s}, {QString(), u"second"_s}}));
    }

    void charsetsPairedByPositionOnly()
    {
        const QString path = write(u"swapped.lng"_s, root(
            u"<Languages><Russian Name=\"Русский\"/><English Name=\"English\"/></Languages>"
            "<Charsets><English Charset=\"0\"/><Russian Charset=\"204\"/><Extra Charset=\"x\"/></Charsets>"
            "<Item><Russian Message=\"да\"/><English Message=\"yes\"/></Item>"_s));
        orb::DictTable table;
        QCOMPARE(orb::readDictionaryGrid(path, table), orb::GridRead::Ok);
        QCOMPARE(headersOf(table), (QStringList{u"Русский(Russian)/0"_s, u"English(English)/204"_s}));
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"да"_s, u"yes"_s}}));
    }

    void emptyCharsetsLeaveZero()
    {
        const QString path = write(u"nocharsets.lng"_s, root(u"<Languages><English Name=\"E\"/></Languages><Charsets/>"_s));
        orb::DictTable table;
        QCOMPARE(orb::readDictionaryGrid(path, table), orb::GridRead::Ok);
        QCOMPARE(headersOf(table), (QStringList{u"E(English)/0"_s}));
    }

    void wholeCharsetValueKeptAndWrittenBack()
    {
        const QString path = write(u"460.lng"_s, root(u"<Languages><English Name=\"E\"/></Languages>"
                                                       "<Charsets><English Charset=\"460\"/></Charsets>"_s));
        orb::DictTable table;
        QCOMPARE(orb::readDictionaryGrid(path, table), orb::GridRead::Ok);
        QCOMPARE(table.column(0).charset, 460);
        QVERIFY(orb::writeDictionaryGrid(table, path));
        orb::DictTable again;
        QCOMPARE(orb::readDictionaryGrid(path, again), orb::GridRead::Ok);
        QCOMPARE(again.column(0).charset, 460);
    }

    void cellsMatchedByIdentifier()
    {
        const QString path = write(u"match.lng"_s, root(kTwoLanguages
            + u"<Item><English Message=\"one\"/><Russian Message=\"один\"/><German/><russian Message=\"x\"/></Item>"
              "<Item><Russian Message=\"первый\"/><Russian Message=\"второй\"/></Item>"_s));
        orb::DictTable table;
        QCOMPARE(orb::readDictionaryGrid(path, table), orb::GridRead::Ok);
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"один"_s, u"one"_s}, {u"второй"_s, QString()}}));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<orb::GridRead>("result");
        QTest::newRow("not well-formed") << u"<Varnok_translation_toolkit_dictionary_file><Languages>"_s << orb::GridRead::ReadError;
        QTest::newRow("another root") << u"<Dictionary><Languages><E Name=\"e\"/></Languages></Dictionary>"_s << orb::GridRead::UnknownFile;
        QTest::newRow("no Languages") << root(u"<Charsets><E Charset=\"0\"/></Charsets>"_s) << orb::GridRead::UnknownFile;
        QTest::newRow("empty Languages") << root(u"<Languages><!-- none --></Languages><Charsets/>"_s) << orb::GridRead::UnknownFile;
        QTest::newRow("no Charsets") << root(u"<Languages><E Name=\"e\"/></Languages>"_s) << orb::GridRead::ReadError;
        QTest::newRow("no Name") << root(u"<Languages><E/></Languages><Charsets/>"_s) << orb::GridRead::ReadError;
        QTest::newRow("no Charset") << root(u"<Languages><E Name=\"e\"/></Languages><Charsets><E/></Charsets>"_s) << orb::GridRead::ReadError;
        QTest::newRow("charset not a number") << root(u"<Languages><E Name=\"e\"/></Languages><Charsets><E Charset=\"cp1251\"/></Charsets>"_s) << orb::GridRead::ReadError;
        QTest::newRow("known cell without Message") << root(u"<Languages><E Name=\"e\"/></Languages><Charsets/><Item><E/></Item>"_s) << orb::GridRead::ReadError;
        QTest::newRow("entity declaration") << u"<!DOCTYPE d [<!ENTITY x \"y\">]>"_s + root(kTwoLanguages) << orb::GridRead::ReadError;
    }
    void failures()
    {
        QFETCH(QString, body);
        QFETCH(orb::GridRead, result);
        orb::DictTable table = previousDocument();
        QCOMPARE(orb::readDictionaryGrid(write(u"bad.lng"_s, body), table), result);
        QCOMPARE(headersOf(table), (QStringList{u"Old(Old)/7"_s}));
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"kept"_s}}));
    }

    void invalidUtf8IsAReadError()
    {
        QByteArray bytes = root(kTwoLanguages + u"<Item><English Message=\"X\"/></Item>"_s).toUtf8();
        bytes.replace("\"X\"", "\"\xC3\x28\"");
        orb::DictTable table = previousDocument();
        QCOMPARE(orb::readDictionaryGrid(write(u"utf8.lng"_s, bytes), table), orb::GridRead::ReadError);
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"kept"_s}}));
    }

    void legacyEncodingIsDecoded()
    {
        QByteArray bytes = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"
                           "<Varnok_translation_toolkit_dictionary_file><Languages><Russian Name=\"\xD0\xF3\xF1\xF1\xEA\xE8\xE9\"/></Languages>"
                           "<Charsets><Russian Charset=\"204\"/></Charsets></Varnok_translation_toolkit_dictionary_file>";
        orb::DictTable table;
        QCOMPARE(orb::readDictionaryGrid(write(u"cp1251.lng"_s, bytes), table), orb::GridRead::Ok);
        QCOMPARE(table.column(0).langName, u"Русский"_s);
    }

    void missingFile()
    {
        orb::DictTable table = previousDocument();
        QCOMPARE(orb::readDictionaryGrid(m_dir.filePath(u"nothing.lng"_s), table), orb::GridRead::Missing);
        QCOMPARE(orb::readDictionaryGrid(m_dir.path(), table), orb::GridRead::Missing);
        QCOMPARE(rowsOf(table), (QList<QStringList>{{u"kept"_s}}));
    }

    void writesIndentedStructure()
    {
        orb::DictTable table;
        table.resetColumns({{u"Russian"_s, u"Русский"_s, 204}, {u"English"_s, u"English"_s, 0}});
        table.setCell(0, 1, u"Файл"_s);
        table.setCell(1, 1, u"File"_s);
        table.appendRow();
        table.setCell(1, 2, u"a\nb"_s);
        const QString path = m_dir.filePath(u"out.lng"_s);
        QVERIFY(orb::writeDictionaryGrid(table, path));
        const QString expected = u"<?xml version=\"1.0\"?>\n"
                                 "<Varnok_translation_toolkit_dictionary_file>\n"
                                 "  <Languages>\n"
                                 "    <Russian Name=\"Русский\" />\n"
                                 "    <English Name=\"English\" />\n"
                                 "  </Languages>\n"
                                 "  <Charsets>\n"
                                 "    <Russian Charset=\"204\" />\n"
                                 "    <English Charset=\"0\" />\n"
                                 "  </Charsets>\n"
                                 "  <Item>\n"
                                 "    <Russian Message=\"Файл\" />\n"
                                 "    <English Message=\"File\" />\n"
                                 "  </Item>\n"
                                 "  <Item>\n"
                                 "    <Russian Message=\"\" />\n"
                                 "    <English Message=\"a&#10;b\" />\n"
                                 "  </Item>\n"
                                 "</Varnok_translation_toolkit_dictionary_file>\n"_s;
        QCOMPARE(QString::fromUtf8(contents(path)), expected);
    }

    void roundTripKeepsEverything()
    {
        orb::DictTable table;
        table.resetColumns({{u"German"_s, u"Deutsch (Schweiz)"_s, 0}, {u"Russian"_s, u"Рус(ский"_s, 204},
                            {u"French"_s, u"a)b(c"_s, 255}});
        const QList<QStringList> rows = {{u"Datei"_s, u"Файл"_s, u"fichier"_s},
                                         {u"Zwei\nZeilen"_s, QString(), u"<&>\"'"_s},
                                         {QString(), u"  blanks  "_s, u"tab\there"_s}};
        for (qsizetype r = 0; r < rows.size(); ++r) {
            if (r > 0)
                table.appendRow();
            for (int c = 0; c < 3; ++c)
                table.setCell(c, int(r + 1), rows[r][c]);
        }
        const QString path = m_dir.filePath(u"round.lng"_s);
        QVERIFY(orb::writeDictionaryGrid(table, path));
        orb::DictTable back;
        QCOMPARE(orb::readDictionaryGrid(path, back), orb::GridRead::Ok);
        QCOMPARE(headersOf(back), headersOf(table));
        for (int c = 0; c < 3; ++c) {
            QCOMPARE(back.column(c).langId, table.column(c).langId);
            QCOMPARE(back.column(c).langName, table.column(c).langName);
        }
        QCOMPARE(rowsOf(back), rows);
    }

    void invalidIdentifierLeavesTheFileAlone()
    {
        const QString path = write(u"keep.lng"_s, QByteArray("previous contents"));
        for (const QString& id : {QString(), u"1st"_s, u"two words"_s}) {
            orb::DictTable table;
            table.setColumn(0, {id, u"x"_s, 0});
            QString error;
            QVERIFY(!orb::writeDictionaryGrid(table, path, &error));
            QVERIFY(!error.isEmpty());
            QCOMPARE(contents(path), QByteArray("previous contents"));
        }
    }

    void repeatedIdentifierIsNotWritten()
    {
        // Read back, the second column's texts would land in the first.
        const QString path = write(u"twice.lng"_s, QByteArray("previous contents"));
        orb::DictTable table;
        table.resetColumns({{u"English"_s, u"English"_s, 0}, {u"English"_s, u"British"_s, 0}});
        table.setCell(0, 1, u"color"_s);
        table.setCell(1, 1, u"colour"_s);
        QString error;
        QVERIFY(!orb::writeDictionaryGrid(table, path, &error));
        QVERIFY(error.contains(u"English"_s));
        QCOMPARE(contents(path), QByteArray("previous contents"));
    }

    void unwritablePathFails()
    {
        orb::DictTable table;
        table.setColumn(0, {u"English"_s, u"English"_s, 0});
        QVERIFY(!orb::writeDictionaryGrid(table, m_dir.filePath(u"no/such/dir/x.lng"_s)));
    }

    void lngExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("other extension") << u"/d/dict.xml"_s << u"/d/dict.lng"_s;
        QTest::newRow("no extension") << u"/d/dict"_s << u"/d/dict.lng"_s;
        QTest::newRow("already .lng") << u"/d/dict.lng"_s << u"/d/dict.lng"_s;
        QTest::newRow("last extension only") << u"/d/a.b.c"_s << u"/d/a.b.lng"_s;
        QTest::newRow("dot in a directory") << u"/d.x/dict"_s << u"/d.x/dict.lng"_s;
    }
    void lngExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QCOMPARE(orb::withLngExtension(typed), saved);
    }
};

QTEST_GUILESS_MAIN(TestEditorFiles)
#include "tst_editor_files.moc"
