#include "component/PhraseTable.h"
#include "component/TextRoutines.h"

#include <QSet>
#include <QTest>

#include <array>
#include <random>

using namespace orb;

class TextRoutinesTest : public QObject
{
    Q_OBJECT

private slots:
    void lineBreaksAndAmpersands()
    {
        QCOMPARE(orb::cleanStr(u"a\r\nb\rc"_qs), u"a\nbc"_qs);
        QCOMPARE(orb::restoreStr(u"\nfirst"_qs), u"\r\nfirst"_qs);
        QCOMPARE(orb::restoreStr(u"one\r\ntwo"_qs), u"one\r\ntwo"_qs);
        QCOMPARE(orb::restoreStr(u"a\rb\n\nc"_qs), u"a\rb\r\n\r\nc"_qs);
        QCOMPARE(orb::deleteAmpersand(u"Save && &Exit"_qs), u"Save  Exit"_qs);
    }

    void blankMeansCode32OrLess()
    {
        QVERIFY(orb::isBlank(u""));
        QVERIFY(orb::isBlank(u" \t\r\n\x01"));
        QVERIFY(!orb::isBlank(u" x "));
        QVERIFY(!orb::isBlank(u"\u00A0")); // a no-break space is text, not a control character
    }

    // The index relies on its own folding agreeing with Qt's case-insensitive comparison
    // for every character; a disagreement would make the index and a scan find other rows.
    void foldingAgreesWithQtOnEveryBmpCharacter()
    {
        for (char32_t c = 0; c < 0x10000; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const QString one{QChar(char16_t(c))};
            for (const QString& other : QStringList{one.toUpper(), one.toLower(), QString(QChar(char16_t(orb::foldCase(c))))}) {
                const bool qtEqual = QString::compare(one, other, Qt::CaseInsensitive) == 0;
                if (orb::equalsFolded(one, other) != qtEqual)
                    QFAIL(qPrintable(QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0'))));
                if (qtEqual && foldedHash(one) != foldedHash(other))
                    QFAIL(qPrintable(QStringLiteral("hash of U+%1").arg(uint(c), 4, 16, QLatin1Char('0'))));
            }
        }
    }

    void foldingOfTextsOutsideAscii()
    {
        const QList<std::pair<QString, QString>> equal = {
            {u"Datei"_qs, u"DATEI"_qs},          {u"ÖFFNEN"_qs, u"öffnen"_qs},
            {u"Файл"_qs, u"фАЙЛ"_qs},            {u"µ"_qs, u"Μ"_qs},
            {u"ſ"_qs, u"S"_qs},                  {u"\U00010400x"_qs, u"\U00010428X"_qs}, // Deseret
        };
        for (const auto& [a, b] : equal) {
            QVERIFY2(orb::equalsFolded(a, b), qPrintable(a + QStringLiteral(" / ") + b));
            QCOMPARE(QString::compare(a, b, Qt::CaseInsensitive), 0);
            QCOMPARE(foldedHash(a), foldedHash(b));
        }
        QVERIFY(!orb::equalsFolded(u"File", u"Files"));
        QVERIFY(!orb::equalsFolded(u"\U00010400", u"\U00010401"));
        QVERIFY(orb::equalsFolded(QStringView(), QStringView(QString()))); // null texts: no pointer to compare
        QVERIFY(foldedHash(u"File") != foldedHash(u"Filf"));
    }

    // Texts alike at both ends that differ only inside (formatted texts a host learns by
    // the thousand) must get hashes of their own, or they all share one probe run; a block
    // of the hash cut next to a surrogate pair must cut texts equal under folding alike.
    void longTextsDifferingOnlyInside()
    {
        const QString head(40, u'h'), tail(100, u't');
        auto text = [&](int i) { return head + QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')) + tail; };
        orb::PhraseTable table;
        table.addLanguage(u"en"_qs, QString());
        QSet<std::uint32_t> hashes;
        for (int i = 0; i < 2000; ++i) {
            table.setCell(0, table.appendEmptyRows(1), text(i));
            hashes.insert(foldedHash(text(i)));
        }
        QVERIFY2(hashes.size() > 1990, qPrintable(QString::number(hashes.size())));
        for (int i = 0; i < 2000; i += 7)
            QCOMPARE(table.findInLanguage(0, text(i).toUpper()), i);

        for (int at : {62, 63, 64, 127}) {
            const QString upper = QString(at, u'a') + u"\U00010400"_qs + QString(70, u'b') + u"\U00010401"_qs;
            const QString lower = QString(at, u'A') + u"\U00010428"_qs + QString(70, u'B') + u"\U00010429"_qs;
            QVERIFY(orb::equalsFolded(upper, lower));
            QCOMPARE(foldedHash(upper), foldedHash(lower));
        }
    }

    // Loading decodes every value with its own decoder: on any bytes it must accept exactly
    // what Qt's decoder decodes without a replacement character it did not find in the
    // bytes, and give the same text.
    void utf8DecodingAgreesWithQt()
    {
        std::mt19937 random(7);
        auto append = [&](QByteArray& bytes) {
            switch (random() % 9) {
            case 0: bytes += char(random() % 256); break;                                     // any byte
            case 1: bytes += QByteArray(int(random() % 12), char('a' + random() % 26)); break; // ASCII run
            case 2: bytes += "\xEF\xBB\xBF"; break;                                           // byte-order mark
            case 3: bytes += QString(QChar(char16_t(0x80 + random() % 0x780))).toUtf8(); break; // two bytes
            case 4: bytes += QString(QChar(char16_t(0x800 + random() % 0xF800))).toUtf8(); break; // three, or a lone surrogate
            case 5: bytes += QString::fromUcs4(std::array{char32_t(0x10000 + random() % 0x100000)}.data(), 1).toUtf8(); break;
            case 6: bytes += QString(QChar(char16_t(0x800 + random() % 0xF800))).toUtf8().left(int(random() % 3)); break; // cut short
            case 7: bytes += char(0xE0 | random() % 32); bytes += char(0x80 | random() % 64); bytes += char(0x80 | random() % 64); break; // overlong, surrogate, too large
            default: bytes += "\xEF\xBF\xBD"; break;                                          // a real replacement character
            }
        };
        for (int round = 0; round < 20000; ++round) {
            QByteArray bytes;
            for (int parts = int(random() % 6); parts > 0; --parts)
                append(bytes);
            const QString expected = QString::fromUtf8(bytes);
            const bool expectedValid = !expected.contains(QChar::ReplacementCharacter) || bytes.isValidUtf8();
            QString decoded;
            const bool valid = orb::decodeUtf8(bytes, decoded);
            QVERIFY2(valid == expectedValid, bytes.toHex().constData());
            if (valid) {
                QVERIFY2(decoded == expected, bytes.toHex().constData());
                QCOMPARE(decoded.isNull(), expected.isNull());
            }
        }
    }

    void xmlNames()
    {
        for (const char* valid : {"en", "_x", "a-b.c9", "Русский", "English", "x\xC2\xB7y"})
            QVERIFY2(orb::isValidXmlName(QString::fromUtf8(valid)), valid);
        for (const char* invalid : {"", "1a", "a b", "-a", "a<b", ".x", "a&b", "x\"y"})
            QVERIFY2(!orb::isValidXmlName(QString::fromUtf8(invalid)), invalid);
    }
};

QTEST_GUILESS_MAIN(TextRoutinesTest)
#include "tst_textroutines.moc"
