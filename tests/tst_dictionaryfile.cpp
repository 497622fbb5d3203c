#include "component/DictionaryFile.h"
#include "component/PhraseTable.h"
#include "SyntheticDictionary.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace orb;

namespace {

QByteArray dictionaryXml(const QByteArray& body)
{
    return "<Varnok_translation_toolkit_dictionary_file>" + body
        + "</Varnok_translation_toolkit_dictionary_file>";
}

const QByteArray kTwoLanguages = "<Languages><en Name=\"English\"/><de Name=\"Deutsch\"/></Languages>"
                                 "<Charsets><en Charset=\"0\"/><de Charset=\"0\"/></Charsets>";

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A table that already holds something, to see what a failed read leaves behind.
orb::PhraseTable previousTable()
{
    orb::PhraseTable table;
    table.addLanguage(u"old"_qs, u"Old"_qs);
    table.setCell(0, table.appendEmptyRows(1), u"kept"_qs);
    table.indexPendingRows();
    return table;
}

} // namespace

class DictionaryFileTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const QByteArray& bytes, const QString& name = u"d.lng"_qs)
    {
        const QString path = m_dir.filePath(name);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qFatal("cannot write test file");
        return path;
    }

    orb::ReadResult read(const QByteArray& bytes, orb::PhraseTable& table)
    {
        return orb::readDictionaryFile(file(bytes), table);
    }

private slots:
    void firstFailureInDocumentOrderDecides()
    {
        // Many rows, so that the failures stand far apart in the file.
        auto items = [](int count, int missingMessageAt, int badBytesAt) {
            QByteArray body;
            for (int i = 0; i < count; ++i) {
                if (i == missingMessageAt)
                    body += "<Item><en/></Item>";
                else if (i == badBytesAt)
                    body += "<Item><en Message=\"bad \xC3\x28\"/></Item>";
                else
                    body += "<Item><en Message=\"row " + QByteArray::number(i) + "\"/><de Message=\"Zeile\"/></Item>";
            }
            return dictionaryXml(kTwoLanguages + body);
        };
        {
            orb::PhraseTable table = previousTable();
            QCOMPARE(read(items(1000, 100, 900), table), orb::ReadResult::ReadError);
            QCOMPARE(table.rowCount(), 101); // the row that failed included
            QCOMPARE(table.languages()[0].Phrases[99], u"row 99"_qs);
            QCOMPARE(table.languages()[0].Phrases[100], QString());
            int last = -1;
            QCOMPARE(table.findPhrase(u"ROW 42", last), 42);
        }
        {
            orb::PhraseTable table = previousTable();
            QCOMPARE(read(items(1000, 900, 100), table), orb::ReadResult::ReadError);
            QCOMPARE(table.languages()[0].LangID, u"old"_qs);
        }
        {
            orb::PhraseTable table = previousTable();
            QCOMPARE(read(items(1000, 700, -1), table), orb::ReadResult::ReadError);
            QCOMPARE(table.rowCount(), 701);
            QCOMPARE(table.languages()[1].Phrases[699], u"Zeile"_qs);
            int last = -1;
            QCOMPARE(table.findPhrase(u"row 650", last), 650);
        }
    }

    void pairsCharsetsByPositionNotByName()
    {
        orb::PhraseTable table;
        QCOMPARE(read(dictionaryXml("<Languages><en Name=\"English\"/><de Name=\"Deutsch\"/></Languages>"
                                    "<Charsets><de Charset=\"1\"/><en Charset=\"460\"/></Charsets>"),
                      table),
                 orb::ReadResult::Ok);
        QCOMPARE(table.languages()[0].LangID, u"de"_qs);
        QCOMPARE(table.languages()[0].LangName, u"English"_qs);
        QCOMPARE(table.languages()[0].Charset, quint8(1));
        QCOMPARE(table.languages()[1].LangID, u"en"_qs);
        QCOMPARE(table.languages()[1].Charset, quint8(204)); // only the low eight bits
    }

    void rowsWhereverItemsStandAndWhateverCellsTheyHave()
    {
        orb::PhraseTable table;
        QCOMPARE(read(dictionaryXml("<Item><en Message=\"File\"/><de Message=\"Datei\"/></Item>"
                                    + kTwoLanguages
                                    + "<Item><en Message=\"Open\"/><xx Message=\"ignored\"/></Item>"
                                      "<Other/><Item><de Message=\"a\"/><de Message=\"b\"/></Item>"),
                      table),
                 orb::ReadResult::Ok);
        QCOMPARE(table.rowCount(), 3);
        QCOMPARE(table.languages()[0].Phrases, (QStringList{u"File"_qs, u"Open"_qs, QString()}));
        QCOMPARE(table.languages()[1].Phrases, (QStringList{u"Datei"_qs, QString(), u"b"_qs}));
        // Indexing reads the missing cells too; it must not turn them into allocated texts.
        QVERIFY(table.languages()[0].Phrases[2].isNull());
        QVERIFY(table.languages()[1].Phrases[1].isNull());
    }

    void whatEachFailureLeavesInMemory()
    {
        {   // not a dictionary at all: the previous table stays as it was
            orb::PhraseTable table = previousTable();
            QCOMPARE(read("<other/>", table), orb::ReadResult::UnknownFile);
            QCOMPARE(read(dictionaryXml("<Languages/>"), table), orb::ReadResult::UnknownFile);
            QCOMPARE(read(dictionaryXml("<Charsets><en Charset=\"0\"/></Charsets>"), table), orb::ReadResult::UnknownFile);
            QCOMPARE(table.languages()[0].Phrases, QStringList{u"kept"_qs});
        }
        {   // no charsets: the languages of the file, with charset 0 and no phrases
            orb::PhraseTable table = previousTable();
            QCOMPARE(read(dictionaryXml("<Languages><en Name=\"English\"/><de Name=\"D\"/></Languages>"
                                        "<Item><en Message=\"File\"/></Item>"),
                          table),
                     orb::ReadResult::UnknownCharset);
            QCOMPARE(table.languageCount(), 2);
            QCOMPARE(table.rowCount(), 0);
            QCOMPARE(table.languages()[1].Charset, quint8(0));
        }
        {   // a language without a name: the languages before it
            orb::PhraseTable table = previousTable();
            QCOMPARE(read(dictionaryXml("<Languages><en Name=\"English\"/><de/></Languages>"), table),
                     orb::ReadResult::ReadError);
            QCOMPARE(table.languageCount(), 1);
            QCOMPARE(table.languages()[0].LangID, u"en"_qs);
        }
        {   // a charset that is not a number
            orb::PhraseTable table;
            QCOMPARE(read(dictionaryXml("<Languages><en Name=\"E\"/></Languages><Charsets><en Charset=\"x1\"/></Charsets>"), table),
                     orb::ReadResult::ReadError);
            QCOMPARE(table.languageCount(), 1);
        }
        {   // a cell without a message: the rows read so far, the broken one included, and
            // they are found by lookups
            orb::PhraseTable table;
            QCOMPARE(read(dictionaryXml(kTwoLanguages + "<Item><en Message=\"File\"/><de Message=\"Datei\"/></Item>"
                                        "<Item><en Message=\"Open\"/><de/></Item><Item><en Message=\"x\"/></Item>"),
                          table),
                     orb::ReadResult::ReadError);
            QCOMPARE(table.rowCount(), 2);
            QCOMPARE(table.languages()[0].Phrases[1], u"Open"_qs);
            int last = -1;
            QCOMPARE(table.findPhrase(u"OPEN", last), 1);
        }
        {   // malformed XML is rejected before anything changes
            orb::PhraseTable table = previousTable();
            QCOMPARE(read(dictionaryXml(kTwoLanguages + "<Item>"), table), orb::ReadResult::ReadError);
            QCOMPARE(table.languages()[0].LangID, u"old"_qs);
        }
    }

    void writesAndReadsBackEverything()
    {
        QList<TLangDict> dict = orb::synthetic::makeDictionary(200, 4);
        dict[0].Phrases[3] = u"first line\nsecond line"_qs;
        dict[1].Phrases[4] = u"tab\there & <markup> \"quoted\" 'single'"_qs;
        dict[2].Phrases[5] = QString();
        dict[3].LangName = QString();
        const QString path = m_dir.filePath(u"roundtrip.lng"_qs);
        for (orb::Layout layout : {orb::Layout::Compact, orb::Layout::Indented}) {
            QVERIFY(orb::writeDictionaryFile(dict, path, layout));
            const QByteArray bytes = readAll(path);
            QCOMPARE(bytes.contains("\n  <"), layout == orb::Layout::Indented);
            QVERIFY(bytes.contains("first line&#10;second line"));
            orb::PhraseTable table;
            QCOMPARE(orb::readDictionaryFile(path, table), orb::ReadResult::Ok);
            QCOMPARE(table.languageCount(), 4);
            for (int l = 0; l < 4; ++l) {
                QCOMPARE(table.languages()[l].LangID, dict[l].LangID);
                QCOMPARE(table.languages()[l].LangName, dict[l].LangName);
                QCOMPARE(table.languages()[l].Charset, dict[l].Charset);
                QCOMPARE(table.languages()[l].Phrases, dict[l].Phrases);
            }
        }
    }

    void decodesByteOrderMarksAndDeclaredEncodings()
    {
        const QString text = QString::fromUtf8(
            dictionaryXml("<Languages><ru Name=\"Русский\"/></Languages><Charsets><ru Charset=\"204\"/></Charsets>"
                          "<Item><ru Message=\"Файл\"/></Item>"));
        QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        QStringEncoder cp1251("windows-1251");
        QVERIFY(cp1251.isValid());
        const QList<QByteArray> encodings = {
            QByteArray(utf16.encode(text)),
            "<?xml version=\"1.0\" encoding=\"windows-1251\"?>" + QByteArray(cp1251.encode(text)),
            "\xEF\xBB\xBF" + text.toUtf8(),
        };
        for (const QByteArray& bytes : encodings) {
            orb::PhraseTable table;
            QCOMPARE(read(bytes, table), orb::ReadResult::Ok);
            QCOMPARE(table.languages()[0].LangName, u"Русский"_qs);
            QCOMPARE(table.languages()[0].Phrases, QStringList{u"Файл"_qs});
        }
    }

    // Whatever the bytes, a read ends quickly with a result, and never with a crash.
    void survivesMalformedInput()
    {
        const QByteArray valid = readAll(m_dir.filePath(u"roundtrip.lng"_qs));
        QVERIFY(!valid.isEmpty());
        for (qsizetype cut = 0; cut < valid.size(); cut += 997) {
            orb::PhraseTable table;
            const orb::ReadResult result = read(valid.left(cut), table);
            QVERIFY2(result == orb::ReadResult::ReadError || result == orb::ReadResult::UnknownFile,
                     qPrintable(QString::number(cut)));
        }

        const QByteArray billionLaughs =
            "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">"
            "<!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
            "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">]>"
            + dictionaryXml(kTwoLanguages + "<Item><en Message=\"&lol3;\"/></Item>");
        const QByteArray externalEntity =
            "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
            + dictionaryXml(kTwoLanguages + "<Item><en Message=\"&x;\"/></Item>");
        const QList<QByteArray> rejected = {
            "", "not xml at all", "\x00\x01\x02garbage", billionLaughs, externalEntity,
            dictionaryXml(kTwoLanguages + "<Item><en Message=\"bad \xC3\x28 utf8\"/></Item>"),
            dictionaryXml(kTwoLanguages + "<Item><en Message=\"surrogate \xED\xA0\x80\"/></Item>"),
            "<?xml version=\"1.0\" encoding=\"no-such-encoding\"?>" + dictionaryXml(kTwoLanguages),
        };
        for (const QByteArray& bytes : rejected) {
            orb::PhraseTable table = previousTable();
            QCOMPARE(read(bytes, table), orb::ReadResult::ReadError);
            QCOMPARE(table.languages()[0].LangID, u"old"_qs);
        }

        orb::PhraseTable wrongRoot;
        QCOMPARE(read("<Varnok_translation_toolkit_dictionary/>", wrongRoot), orb::ReadResult::UnknownFile);

        // Large but well-formed inputs load, with everything in them.
        const QByteArray longText(8 * 1024 * 1024, 'x');
        QByteArray manyCells;
        for (int i = 0; i < 5000; ++i)
            manyCells += "<en Message=\"" + QByteArray::number(i) + "\"/>";
        QByteArray deep;
        for (int i = 0; i < 100000; ++i)
            deep += "<n>";
        for (int i = 0; i < 100000; ++i)
            deep += "</n>";
        orb::PhraseTable table;
        QCOMPARE(read(dictionaryXml(kTwoLanguages + "<Item><en Message=\"" + longText + "\"/></Item><Item>"
                                    + manyCells + "<de Message=\"deep\">" + deep + "</de></Item>"),
                      table),
                 orb::ReadResult::Ok);
        QCOMPARE(table.languages()[0].Phrases, (QStringList{QString::fromLatin1(longText), u"4999"_qs}));
        QCOMPARE(table.languages()[1].Phrases[1], u"deep"_qs);
    }

    // A value that would read back altered or cut (a control character, raw or referenced, a
    // surrogate, U+FFFE, bytes a declared code page leaves undefined) makes the file unreadable,
    // with the line where it stands; what a dictionary may hold reads as it is.
    void refusesCharactersNoDictionaryCanHold_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason"); // empty: the file reads
        QTest::addColumn<QString>("text");   // what it reads as
        const auto message = [](const QByteArray& value) {
            return dictionaryXml(kTwoLanguages + "\n<Item><en Message=\"" + value + "\"/></Item>");
        };
        const QString atLine2 = u", which a dictionary cannot hold, at line 2"_qs;
        QTest::newRow("U+0001 referenced") << message("a&#1;b&#0;c") << u"the character U+0001"_qs + atLine2 << QString();
        QTest::newRow("U+0000 referenced") << message("ab&#x0;c") << u"the character U+0000"_qs + atLine2 << QString();
        QTest::newRow("U+0007 raw") << message("a\x07") << u"the character U+0007"_qs + atLine2 << QString();
        QTest::newRow("a surrogate referenced") << message("A&#xD800;B") << u"the character U+D800"_qs + atLine2 << QString();
        QTest::newRow("U+FFFE referenced") << message("&#65534;") << u"the character U+FFFE"_qs + atLine2 << QString();
        QTest::newRow("U+FFFF raw") << message("\xEF\xBF\xBF") << u"the character U+FFFF"_qs + atLine2 << QString();
        QTest::newRow("beyond Unicode") << message("&#x110000;") << u"a code point beyond U+10FFFF"_qs + atLine2 << QString();
        QTest::newRow("a control in a name")
            << dictionaryXml("<Languages><en Name=\"E\x01\"/></Languages><Charsets><en Charset=\"0\"/></Charsets>")
            << u"the character U+0001, which a dictionary cannot hold, at line 1"_qs << QString();
        QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        QByteArray loneSurrogate = utf16.encode(QString::fromUtf8(message("A#B")));
        loneSurrogate.replace(QByteArray("#\0", 2), QByteArray("\x00\xD8", 2));
        QTest::newRow("a lone surrogate in UTF-16") << loneSurrogate << u"the character U+D800"_qs + atLine2 << QString();
        QTest::newRow("Shift_JIS that encodes back otherwise")
            << "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>" + message("\xED\x40")
            << u"bytes invalid in the declared encoding shift_jis"_qs << QString();
        QTest::newRow("bytes Shift_JIS leaves undefined")
            << "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>" + message("\x82\xA0\xFF\xFD")
            << u"bytes invalid in the declared encoding shift_jis"_qs << QString();
        QTest::newRow("tab, line feed and return referenced")
            << message("a&#9;b&#10;c&#xD;") << QString() << u"a\tb\nc\r"_qs;
        QTest::newRow("marks and a character beyond the BMP")
            << message("&amp;Open &#x1F600; \xF0\x9F\x98\x80 \x7F") << QString() << u"&Open 😀 😀 \x7f"_qs;
        QTest::newRow("windows-1251 that decodes")
            << "<?xml version=\"1.0\" encoding=\"windows-1251\"?>" + message("\xD4\xE0\xE9\xEB") << QString()
            << u"Файл"_qs;
    }

    void refusesCharactersNoDictionaryCanHold()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        QFETCH(QString, text);
        const QString path = this->file(file);
        orb::DictionaryDocument document;
        QString error;
        QCOMPARE(document.load(path, &error, orb::Utf8Check::Values), reason.isEmpty());
        QCOMPARE(error, reason);
        orb::PhraseTable table = previousTable();
        if (!reason.isEmpty()) {
            QCOMPARE(orb::readDictionaryFile(path, table), orb::ReadResult::ReadError);
            QCOMPARE(table.languages()[0].LangID, u"old"_qs);
            return;
        }
        QCOMPARE(orb::readDictionaryFile(path, table), orb::ReadResult::Ok);
        QCOMPARE(table.languages()[0].Phrases, QStringList{text});
    }

    // Every class of code point: what the reader takes is written and read back as it was;
    // what it refuses is never written, and the file stays as it was.
    void writesOnlyWhatItReadsBack()
    {
        struct Case
        {
            QString text;
            bool writable;
        };
        QList<Case> cases = {
            {u"\t\n\r"_qs, true},         {u"\x20\x7e\x7f"_qs, true},     {QString(QChar(0x80)) + QChar(0x9F), true},
            {u"Файл 文件 ملف"_qs, true},  {QString(QChar(0xD7FF)), true}, {QString(QChar(0xE000)), true},
            {QString(QChar(0xFFFD)), true}, {u"😀"_qs, true},            {QString::fromUcs4(U"\U0010FFFF", 1), true},
            {QString(QChar(0xFFFE)), false}, {QString(QChar(0xFFFF)), false},
            {QString(QChar(0xD800)) + u'a', false}, {u'a' + QString(QChar(0xDC00)), false},
        };
        for (char16_t c = 0; c < 0x20; ++c)
            cases.append({u'x' + QString(QChar(c)), c == u'\t' || c == u'\n' || c == u'\r'});
        const QString path = m_dir.filePath(u"classes.lng"_qs);
        QVERIFY(orb::writeDictionaryFile(orb::synthetic::makeDictionary(2, 1), path, orb::Layout::Compact));
        for (const Case& c : cases) {
            QList<TLangDict> dict = orb::synthetic::makeDictionary(2, 1);
            dict[0].Phrases[1] = c.text;
            const QByteArray before = readAll(path);
            QString error;
            QCOMPARE(orb::writeDictionaryFile(dict, path, orb::Layout::Compact, &error), c.writable);
            if (!c.writable) {
                QVERIFY2(error.contains(u"phrase 2"_qs) && error.contains(u"cannot hold"_qs), qPrintable(error));
                QCOMPARE(readAll(path), before);
                continue;
            }
            orb::PhraseTable table;
            QCOMPARE(orb::readDictionaryFile(path, table), orb::ReadResult::Ok);
            QCOMPARE(table.languages()[0].Phrases[1], c.text);
        }
    }

    void failedWriteLeavesTheFileAsItWas()
    {
        const QString path = m_dir.filePath(u"keep.lng"_qs);
        QList<TLangDict> dict = orb::synthetic::makeDictionary(3000, 4);
        QVERIFY(orb::writeDictionaryFile(orb::synthetic::makeDictionary(5, 2), path, orb::Layout::Compact));
        const QByteArray before = readAll(path);

        QString error;
        for (const QString& id : {u"not valid"_qs, dict[0].LangID}) { // the second one twice
            QList<TLangDict> invalid = dict;
            invalid[1].LangID = id;
            QVERIFY(!orb::writeDictionaryFile(invalid, path, orb::Layout::Compact, &error));
            QVERIFY(!error.isEmpty());
            QCOMPARE(readAll(path), before);
        }

        // A full disk: the kernel refuses to let the file grow beyond the limit, root or not.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = orb::writeDictionaryFile(dict, path, orb::Layout::Compact);
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!written);
        QCOMPARE(readAll(path), before);

        // A directory that cannot exist, because its parent is a file.
        QVERIFY(!orb::writeDictionaryFile(dict, path + u"/inside.lng"_qs, orb::Layout::Compact));
        QCOMPARE(readAll(path), before);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).filter(u"keep"_qs),
                 QStringList{u"keep.lng"_qs}); // no temporary file left behind
    }
};

QTEST_GUILESS_MAIN(DictionaryFileTest)
#include "tst_dictionaryfile.moc"
