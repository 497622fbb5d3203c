// The harvest's scanners: literals decoded, form texts normalised, units and forms scanned with
// a scripted user, and source files read and rewritten byte for byte.
#include "wizard/Harvest.h"
#include "wizard/SourceFile.h"
#include "WizardTestHelpers.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using wizardtest::encoded;
using wizardtest::readFile;
using wizardtest::RecordingSink;
using wizardtest::ScriptedPrompt;
using wizardtest::writeFile;

Q_DECLARE_METATYPE(QList<qsizetype>)

namespace {

const QString kUnitPath = u"Unit1.pas"_s;

// The scan of a unit's text with a scripted user.
struct UnitRun
{
    QStringList log;
    QStringList added;
    QString text;
    orb::UnitScanResult result;
};

UnitRun scanUnit(const QString& source, const QStringList& script, const QStringList& held = {})
{
    orb::EditedText text(source);
    ScriptedPrompt prompt(script, &text);
    RecordingSink sink(held);
    const orb::UnitScanResult result = orb::harvestUnitText(text, prompt, sink, kUnitPath);
    return {prompt.log, sink.added, text.toString(), result};
}

struct FormRun
{
    QStringList log;
    QStringList added;
    QStringList shown;
    bool proceed;
};

FormRun scanForm(const QString& formText, const QStringList& script, const QStringList& held = {})
{
    const orb::EditedText text(orb::NormalizeFormText(formText));
    ScriptedPrompt prompt(script, &text);
    RecordingSink sink(held);
    const bool proceed = orb::harvestFormText(text, prompt, sink);
    return {prompt.log, sink.added, prompt.shown, proceed};
}

} // namespace

class TestWizardScan : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void decodeLiteral_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("phrase");
        QTest::newRow("plain") << u"'Привет'"_s << u"Привет"_s;
        QTest::newRow("line codes") << u"'Да'#13#10'Нет'"_s << u"Да\nНет"_s;
        QTest::newRow("doubled quote") << u"'Don''t'"_s << u"Don't"_s;
        QTest::newRow("concatenation") << u"'Файл ' + 'открыт'"_s << u"Файл открыт"_s;
        QTest::newRow("empty") << u"''"_s << QString();
        QTest::newRow("#10 alone is a line break") << u"'Да' + #10 + 'Нет'"_s << u"Да\nНет"_s;
        QTest::newRow("#13 dropped: the pieces meet in a quote pair") << u"'Да'#13'Нет'"_s << u"Да'Нет"_s;
        QTest::newRow("#130 is another code") << u"'a'#130'b'"_s << u"ab"_s;
        QTest::newRow("#100 is another code") << u"'a'#100'b'"_s << u"ab"_s;
        QTest::newRow("codes inside a piece count too") << u"'a#13#10b'"_s << u"a\nb"_s;
        QTest::newRow("#39 outside is dropped") << u"'a'#39'b'"_s << u"ab"_s;
        QTest::newRow("source line breaks dropped") << u"'a' +\r\n  'b'\n"_s << u"ab"_s;
        QTest::newRow("quote pair closing a piece") << u"'a'''"_s << u"a'"_s;
        QTest::newRow("unclosed piece") << u"'abc"_s << u"abc"_s;
        QTest::newRow("text outside pieces dropped") << u"Format('%d файлов', [n])"_s << u"%d файлов"_s;
    }
    void decodeLiteral()
    {
        QFETCH(QString, source);
        QFETCH(QString, phrase);
        QCOMPARE(orb::DecodeLiteral(source), phrase);
    }

    void normalizeFormText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("run of codes") << u"#1055#1088#1080#1074#1077#1090"_s << u"'Привет'"_s;
        QTest::newRow("pieces and codes") << u"'Файл '#1085#1077' найден'"_s << u"'Файл не найден'"_s;
        QTest::newRow("two lines") << u"#1044#1072#13#10#1053#1077#1090"_s << u"'Да'#13#10'Нет'"_s;
        QTest::newRow("empty text at a line end") << u"Caption = ''\n"_s << u"Caption = ''\n"_s;
        QTest::newRow("code ending the text") << u"x #1055"_s << u"x 'П'"_s;
        QTest::newRow("three digits ending the text") << u"x #105"_s << u"x #105"_s;
        QTest::newRow("short codes stay") << u"'a'#39'b'#169"_s << u"'a'#39'b'#169"_s;
        QTest::newRow("fifth digit stays as text") << u"#10555"_s << u"'П'5"_s;
        QTest::newRow("code zero") << u"'a'#0065"_s << u"'aA'"_s;
        QTest::newRow("code of a hash") << u"#0035#1055"_s << u"'#П'"_s;
        QTest::newRow("non-ASCII digits are no code") << u"#١٢٣٤"_s << u"#١٢٣٤"_s;
        QTest::newRow("quote pair inside a text") << u"'Don''t'\n"_s << u"'Dont'\n"_s;
        QTest::newRow("pair at the start") << u"''x"_s << u"x"_s;
        QTest::newRow("pair ending the text stays") << u"a ''"_s << u"a ''"_s;
        QTest::newRow("pair after a blank inside a line") << u"a '' b"_s << u"a  b"_s;
        QTest::newRow("character after a removed pair starts no pair") << u"x''''y"_s << u"x''y"_s;
    }
    void normalizeFormText()
    {
        QFETCH(QString, text);
        QFETCH(QString, normalized);
        QCOMPARE(orb::NormalizeFormText(text), normalized);
    }

    void findCallEnd_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("start");
        QTest::addColumn<qsizetype>("end");
        QTest::newRow("literal") << u"Translate('a');"_s << qsizetype(10) << qsizetype(13);
        QTest::newRow("parenthesis inside quotes") << u"Translate('a)b' + 'c')"_s << qsizetype(10) << qsizetype(21);
        QTest::newRow("quote pair") << u"T('a'')b')"_s << qsizetype(2) << qsizetype(9);
        QTest::newRow("unclosed call") << u"Translate('a'"_s << qsizetype(10) << qsizetype(-1);
        QTest::newRow("parenthesis only inside quotes") << u"T('a)"_s << qsizetype(2) << qsizetype(-1);
    }
    void findCallEnd()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, start);
        QFETCH(qsizetype, end);
        QCOMPARE(orb::FindCallEnd(orb::EditedText(text), start), end);
    }

    // The unit scan remembers where no call end follows, rather than walking to the end of the
    // text from every quote; on texts of ASCII only (nothing offered) it must harvest exactly
    // what a walk from every quote would.
    void wrappedLiteralsAsIfSearchedFromEveryQuote()
    {
        const QStringList tokens = {u"Translate("_s, u"'"_s, u")"_s, u"x"_s, u"\n"_s, u" "_s, u"''"_s};
        std::uint32_t state = 12345;
        const auto nextRandom = [&state] { return (state = state * 1103515245u + 12345u) >> 16; };
        for (int sample = 0; sample < 3000; ++sample) {
            QString source;
            for (int i = 0, n = int(nextRandom() % 40); i < n; ++i)
                source += tokens[int(nextRandom() % tokens.size())];
            const orb::EditedText text(source);
            QStringList expected;
            for (qsizetype from = 0;;) {
                const qsizetype open = text.indexOf(u'\'', from);
                if (open < 0)
                    break;
                from = open + 1;
                if (text.matchesAt(std::max<qsizetype>(open - 10, 0), u"Translate")) {
                    const qsizetype end = orb::FindCallEnd(text, open);
                    if (end >= 0) {
                        if (const QString phrase = orb::DecodeLiteral(text.mid(open, end - open)); !phrase.isEmpty())
                            expected << u"wrapped "_s + phrase;
                        from = end + 1;
                    }
                    continue;
                }
                qsizetype close = text.indexOf(u'\'', open + 1);
                while (close >= 0 && text.at(close + 1) == u'\'')
                    close = text.indexOf(u'\'', close + 2);
                if (close < 0 || text.indexOf(u'\n', open + 1) < 0)
                    break;
            }
            QCOMPARE(scanUnit(source, {}).log, expected);
        }
    }

    void editedTextFollowsInsertions_data()
    {
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QList<qsizetype>>("positions");
        QTest::addColumn<QStringList>("insertions");
        QTest::newRow("forward") << u"abcdefgh"_s << QList<qsizetype>{1, 4, 8, 12} << QStringList{u"X"_s, u"YY"_s, u"Z"_s, u"!"_s};
        QTest::newRow("backward") << u"abcdefgh"_s << QList<qsizetype>{7, 3, 0} << QStringList{u"X"_s, u"YY"_s, u"Z"_s};
        QTest::newRow("into empty") << QString() << QList<qsizetype>{0, 0, 1} << QStringList{u"ab"_s, u"c"_s, u"d"_s};
        QTest::newRow("wider than the gap") << u"abc"_s << QList<qsizetype>{1, 153, 2} << QStringList{QString(150, u'x'), QString(90, u'y'), u"z"_s};
        QTest::newRow("forward past the room, back, forward") << QString(400, u'a')
            << QList<qsizetype>{10, 200, 399, 620, 5, 682} << QStringList{QString(100, u'x'), QString(120, u'y'), u"z"_s, QString(60, u'w'), u"v"_s, u"u"_s};
    }
    void editedTextFollowsInsertions()
    {
        QFETCH(QString, initial);
        QFETCH(QList<qsizetype>, positions);
        QFETCH(QStringList, insertions);
        const QString unchanged(initial.constData(), initial.size()); // a copy of its own
        orb::EditedText text(initial);
        QString expected = initial;
        for (qsizetype i = 0; i < positions.size(); ++i) {
            text.insert(positions[i], insertions[i]);
            expected.insert(positions[i], insertions[i]);
        }
        QCOMPARE(text.toString(), expected);
        QCOMPARE(text.size(), expected.size());
        for (qsizetype pos = 0; pos <= expected.size(); ++pos) {
            QCOMPARE(text.at(pos), pos < expected.size() ? expected[pos] : QChar());
            QCOMPARE(text.mid(pos, 3), expected.mid(pos, 3));
            QCOMPARE(text.indexOf(expected.mid(pos, 2), 0), expected.indexOf(expected.mid(pos, 2), 0));
            QCOMPARE(text.indexOf(u'Z', pos), expected.indexOf(u'Z', pos));
        }
        QCOMPARE(initial, unchanged); // the buffer reads the string it was made from, never writes it
    }

    void unitScan_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("rewritten");
        QTest::addColumn<bool>("proceed");
        QTest::addColumn<bool>("save");

        const QString show = u"uses Windows, Forms;\nbegin\n  ShowMessage('Готово');\nend.\n"_s;
        const QString shown = u"uses Windows, Forms, OrbTranslate;\nbegin\n  ShowMessage(Translate('Готово'));\nend.\n"_s;
        QTest::newRow("accepted literal wrapped, uses and save")
            << show << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << QStringList{u"wrap Готово"_s, u"uses OrbTranslate"_s, u"save Unit1.pas"_s}
            << QStringList{u"Готово"_s} << shown << true << true;
        QTest::newRow("uses and save declined")
            << show << QStringList{u"yes"_s, u"no"_s, u"no"_s}
            << QStringList{u"wrap Готово"_s, u"uses OrbTranslate"_s, u"save Unit1.pas"_s}
            << QStringList{u"Готово"_s}
            << u"uses Windows, Forms;\nbegin\n  ShowMessage(Translate('Готово'));\nend.\n"_s << true << false;
        QTest::newRow("declined literal: no uses, no save")
            << show << QStringList{u"no"_s} << QStringList{u"wrap Готово"_s} << QStringList() << show << true << false;
        QTest::newRow("wrapped ASCII literal harvested silently")
            << u"Caption := Translate('Hello');\n"_s << QStringList() << QStringList{u"wrapped Hello"_s}
            << QStringList{u"Hello"_s} << u"Caption := Translate('Hello');\n"_s << true << false;
        QTest::newRow("wrapped expression gives one phrase")
            << u"  Translate('Строка 1' + #13#10 + 'Строка 2');\n"_s << QStringList()
            << QStringList{u"wrapped Строка 1\nСтрока 2"_s} << QStringList{u"Строка 1\nСтрока 2"_s}
            << u"  Translate('Строка 1' + #13#10 + 'Строка 2');\n"_s << true << false;
        QTest::newRow("parenthesis inside the wrapped literal")
            << u"x := Translate('a)b' + 'Ещё'); y := 'Мир';\n"_s << QStringList{u"no"_s}
            << QStringList{u"wrapped a)bЕщё"_s, u"wrap Мир"_s} << QStringList{u"a)bЕщё"_s}
            << u"x := Translate('a)b' + 'Ещё'); y := 'Мир';\n"_s << true << false;
        QTest::newRow("character before the quote not examined")
            << u"  x := Translate#'Hello');\n"_s << QStringList() << QStringList{u"wrapped Hello"_s}
            << QStringList{u"Hello"_s} << u"  x := Translate#'Hello');\n"_s << true << false;
        QTest::newRow("call name at the start of the text")
            << u"Translate('Hi');\n"_s << QStringList() << QStringList{u"wrapped Hi"_s}
            << QStringList{u"Hi"_s} << u"Translate('Hi');\n"_s << true << false;
        QTest::newRow("lower-case call offered")
            << u"  translate('Привет');\n"_s << QStringList{u"no"_s} << QStringList{u"wrap Привет"_s}
            << QStringList() << u"  translate('Привет');\n"_s << true << false;
        QTest::newRow("ASCII and empty literals never offered")
            << u"  a := 'OK'; b := '';\n"_s << QStringList() << QStringList() << QStringList()
            << u"  a := 'OK'; b := '';\n"_s << true << false;
        QTest::newRow("apostrophe in a comment not offered")
            << u"  // it's fine\n  x := 'Мир';\n"_s << QStringList{u"no"_s} << QStringList{u"wrap Мир"_s}
            << QStringList() << u"  // it's fine\n  x := 'Мир';\n"_s << true << false;
        const QString twoLines = u"  a := 'Да'; b := 'x'; // Комментарий\n  c := 'Нет';\n"_s;
        QTest::newRow("selection moved back, then No: the scan goes on from there")
            << twoLines << QStringList{u"no"_s, u"no|'Да'"_s, u"no"_s}
            << QStringList{u"wrap Да"_s, u"wrap Нет"_s, u"wrap Нет"_s} << QStringList() << twoLines << true << false;
        QTest::newRow("ASCII literal, then a stretch with a comment")
            << u"  a := 'OK'; { Комментарий } b := 'x';\n"_s << QStringList{u"no"_s}
            << QStringList{u"add ; { Комментарий } b := "_s} << QStringList()
            << u"  a := 'OK'; { Комментарий } b := 'x';\n"_s << true << false;
        QTest::newRow("no stretch after an offered literal")
            << u"  a := 'Да'; { Комментарий } b := 'x';\n"_s << QStringList{u"no"_s}
            << QStringList{u"wrap Да"_s} << QStringList()
            << u"  a := 'Да'; { Комментарий } b := 'x';\n"_s << true << false;
        QTest::newRow("wrapped and plain literal on one line")
            << u"  X(Translate('Привет'), 'Мир');\n"_s << QStringList{u"yes"_s, u"yes"_s}
            << QStringList{u"wrapped Привет"_s, u"wrap Мир"_s, u"save Unit1.pas"_s}
            << QStringList{u"Привет"_s, u"Мир"_s} << u"  X(Translate('Привет'), Translate('Мир'));\n"_s << true << true;
        QTest::newRow("last line without line end not offered")
            << u"x := 'Привет';"_s << QStringList() << QStringList() << QStringList() << u"x := 'Привет';"_s << true << false;
        QTest::newRow("wrapped literal on the last line without line end")
            << u"x := Translate('Привет');"_s << QStringList() << QStringList{u"wrapped Привет"_s}
            << QStringList{u"Привет"_s} << u"x := Translate('Привет');"_s << true << false;
        QTest::newRow("translation unit in the first uses clause already")
            << u"uses Windows, OrbTranslate;\n  X('Да');\n"_s << QStringList{u"yes"_s, u"yes"_s}
            << QStringList{u"wrap Да"_s, u"save Unit1.pas"_s} << QStringList{u"Да"_s}
            << u"uses Windows, OrbTranslate;\n  X(Translate('Да'));\n"_s << true << true;
        // A unit that names a unit twice does not compile.
        QTest::newRow("translation unit only in a later uses clause")
            << u"uses Windows;\nimplementation\nuses OrbTranslate;\n  X('Да');\n"_s << QStringList{u"yes"_s, u"yes"_s}
            << QStringList{u"wrap Да"_s, u"save Unit1.pas"_s} << QStringList{u"Да"_s}
            << u"uses Windows;\nimplementation\nuses OrbTranslate;\n  X(Translate('Да'));\n"_s << true << true;
        QTest::newRow("translation unit in a later clause, in another case")
            << u"uses Windows;\nimplementation\nUSES SysUtils,\n  orbtranslate in 'OrbTranslate.pas';\n  X('Да');\n"_s
            << QStringList{u"yes"_s, u"yes"_s} << QStringList{u"wrap Да"_s, u"save Unit1.pas"_s} << QStringList{u"Да"_s}
            << u"uses Windows;\nimplementation\nUSES SysUtils,\n  orbtranslate in 'OrbTranslate.pas';\n  X(Translate('Да'));\n"_s
            << true << true;
        QTest::newRow("translation unit named only in comments and strings")
            << u"uses Windows { , OrbTranslate };\n// uses OrbTranslate;\n  X('Да', 'uses OrbTranslate;');\n"_s
            << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << QStringList{u"wrap Да"_s, u"uses OrbTranslate"_s, u"save Unit1.pas"_s} << QStringList{u"Да"_s}
            << u"uses Windows { , OrbTranslate }, OrbTranslate;\n// uses OrbTranslate;\n  X(Translate('Да'), 'uses OrbTranslate;');\n"_s
            << true << true;
        QTest::newRow("uses in upper case")
            << u"USES Windows;\n  X('Да');\n"_s << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << QStringList{u"wrap Да"_s, u"uses OrbTranslate"_s, u"save Unit1.pas"_s} << QStringList{u"Да"_s}
            << u"USES Windows, OrbTranslate;\n  X(Translate('Да'));\n"_s << true << true;
        QTest::newRow("uses in a comment and inside a longer word is no clause")
            << u"// causes trouble; uses B;\nuses A;\n  X('Да');\n"_s << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << QStringList{u"wrap Да"_s, u"uses OrbTranslate"_s, u"save Unit1.pas"_s} << QStringList{u"Да"_s}
            << u"// causes trouble; uses B;\nuses A, OrbTranslate;\n  X(Translate('Да'));\n"_s << true << true;
        QTest::newRow("no uses clause")
            << u"program P;\n  X('Да');\n"_s << QStringList{u"yes"_s, u"yes"_s}
            << QStringList{u"wrap Да"_s, u"save Unit1.pas"_s} << QStringList{u"Да"_s}
            << u"program P;\n  X(Translate('Да'));\n"_s << true << true;
        QTest::newRow("cancel stops without uses or save")
            << u"uses A;\n  X('Да'); Y('Нет');\n"_s << QStringList{u"yes"_s, u"cancel"_s}
            << QStringList{u"wrap Да"_s, u"wrap Нет"_s} << QStringList{u"Да"_s}
            << u"uses A;\n  X(Translate('Да')); Y('Нет');\n"_s << false << false;
        QTest::newRow("cleared selection confirmed stops")
            << u"uses A;\n  X('Да');\n"_s << QStringList{u"yes|"_s, u"yes"_s}
            << QStringList{u"wrap Да"_s, u"add "_s} << QStringList() << u"uses A;\n  X('Да');\n"_s << false << false;
    }

    // What the user selects before a Yes: one whole string expression is rewritten; anything
    // else only adds what it stands for, and says so; what stands for no text adds nothing.
    void unitScanOfSelections_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("rewritten");

        const QString doubled = u"uses A;\n  s := 'Файл ''a'' не найден';\n"_s;
        const QString doubledWrapped = u"uses A, OrbTranslate;\n  s := Translate('Файл ''a'' не найден');\n"_s;
        const QStringList accepted{u"wrap Файл 'a' не найден"_s, u"uses OrbTranslate"_s, u"save Unit1.pas"_s};
        QTest::newRow("doubled quotes: the whole literal offered and wrapped")
            << doubled << QStringList{u"yes"_s, u"yes"_s, u"yes"_s} << accepted
            << QStringList{u"Файл 'a' не найден"_s} << doubledWrapped;
        QTest::newRow("doubled quotes declined: the literal is not offered piece by piece")
            << doubled << QStringList{u"no"_s} << QStringList{u"wrap Файл 'a' не найден"_s} << QStringList() << doubled;
        QTest::newRow("a word inside the literal")
            << doubled << QStringList{u"yes|Файл"_s, u"yes"_s}
            << QStringList{u"wrap Файл 'a' не найден"_s, u"add Файл"_s, u"partial Файл"_s} << QStringList{u"Файл"_s} << doubled;
        QTest::newRow("a doubled quote cut in two")
            << doubled << QStringList{u"yes|'a'' не"_s, u"yes"_s}
            << QStringList{u"wrap Файл 'a' не найден"_s, u"add 'a' не"_s, u"partial 'a' не"_s} << QStringList{u"'a' не"_s} << doubled;
        QTest::newRow("the literal and the code around it")
            << doubled << QStringList{u"yes|s := 'Файл ''a'' не найден';"_s, u"yes"_s}
            << QStringList{u"wrap Файл 'a' не найден"_s, u"add Файл 'a' не найден"_s, u"partial Файл 'a' не найден"_s}
            << QStringList{u"Файл 'a' не найден"_s} << doubled;
        QTest::newRow("code without text adds nothing")
            << doubled << QStringList{u"yes|s :="_s, u"yes"_s, u"no"_s}
            << QStringList{u"wrap Файл 'a' не найден"_s, u"add "_s, u"nothing added"_s, u"wrap Файл 'a' не найден"_s}
            << QStringList() << doubled;
        const QString lines = u"uses A;\n  ShowMessage('Да' + #13#10 + 'Нет');\n"_s;
        QTest::newRow("an expression of pieces and codes")
            << lines << QStringList{u"yes|'Да' + #13#10 + 'Нет'"_s, u"yes"_s, u"yes"_s, u"yes"_s}
            << QStringList{u"wrap Да"_s, u"wrap Да\nНет"_s, u"uses OrbTranslate"_s, u"save Unit1.pas"_s}
            << QStringList{u"Да\nНет"_s} << u"uses A, OrbTranslate;\n  ShowMessage(Translate('Да' + #13#10 + 'Нет'));\n"_s;
        QTest::newRow("an expression cut inside a code")
            << lines << QStringList{u"yes|'Да' + #1"_s, u"yes"_s, u"no"_s}
            << QStringList{u"wrap Да"_s, u"add Да"_s, u"partial Да"_s, u"wrap Нет"_s} << QStringList{u"Да"_s} << lines;
        QTest::newRow("an empty literal selected")
            << u"uses A;\n  s := 'Да' + '';\n"_s << QStringList{u"yes|''"_s, u"yes"_s}
            << QStringList{u"wrap Да"_s, u"wrap "_s, u"nothing added"_s} << QStringList() << u"uses A;\n  s := 'Да' + '';\n"_s;
        QTest::newRow("the stretch between two literals is not rewritten")
            << u"uses A;\n  a := 'OK'; { Комментарий } b := 'x';\n"_s << QStringList{u"yes"_s}
            << QStringList{u"add ; { Комментарий } b := "_s, u"partial ; { Комментарий } b := "_s}
            << QStringList{u"; { Комментарий } b := "_s} << u"uses A;\n  a := 'OK'; { Комментарий } b := 'x';\n"_s;
        QTest::newRow("an empty literal inside Translate adds nothing")
            << u"  s := Translate('');\n"_s << QStringList() << QStringList() << QStringList() << u"  s := Translate('');\n"_s;
    }
    void unitScanOfSelections()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, script);
        const UnitRun run = scanUnit(source, script);
        QTEST(run.log, "log");
        QTEST(run.added, "added");
        QTEST(run.text, "rewritten");
        QVERIFY(run.result.proceed);
    }
    void unitScan()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, script);
        const UnitRun run = scanUnit(source, script);
        QTEST(run.log, "log");
        QTEST(run.added, "added");
        QTEST(run.text, "rewritten");
        QTEST(run.result.proceed, "proceed");
        QTEST(run.result.save, "save");
    }

    void unitScanShowsOfferedLiteralsAndInsertionPoint()
    {
        orb::EditedText text(u"uses A;\n  X('Да', 'OK', 'Нет');\n"_s);
        ScriptedPrompt prompt({u"yes"_s, u"no"_s, u"no"_s, u"no"_s}, &text);
        RecordingSink sink;
        orb::harvestUnitText(text, prompt, sink, kUnitPath);
        QCOMPARE(prompt.shown, (QStringList{u"+'Да'"_s, u"+'Нет'"_s, QString()}));
    }

    void unitScanReportsEveryInsertion()
    {
        orb::EditedText text(u"uses A;\n  X('Да', 'Нет');\n  Y('Ещё');\n"_s);
        ScriptedPrompt prompt({u"yes"_s, u"yes"_s, u"yes"_s, u"yes"_s, u"no"_s}, &text);
        RecordingSink sink;
        orb::harvestUnitText(text, prompt, sink, kUnitPath);
        QCOMPARE(prompt.mirror, text.toString());
        QCOMPARE(text.toString(), u"uses A, OrbTranslate;\n  X(Translate('Да'), Translate('Нет'));\n  Y(Translate('Ещё'));\n"_s);
    }

    void formScan_data()
    {
        QTest::addColumn<QString>("formText");
        QTest::addColumn<QStringList>("held");
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<bool>("proceed");

        const QString privet = u"  Caption = #1055#1088#1080#1074#1077#1090\n"_s;
        QTest::newRow("codes offered as one text")
            << privet << QStringList() << QStringList{u"yes"_s}
            << QStringList{u"add Привет"_s} << QStringList{u"Привет"_s} << true;
        QTest::newRow("phrase in the column passed over")
            << privet << QStringList{u"Привет"_s} << QStringList() << QStringList() << QStringList() << true;
        QTest::newRow("declined")
            << u"  Caption = 'Да'\n  Hint = 'Нет'\n"_s << QStringList() << QStringList{u"no"_s, u"yes"_s}
            << QStringList{u"add Да"_s, u"add Нет"_s} << QStringList{u"Нет"_s} << true;
        const QString twoLines = u"  Caption = #1044#1072#13#10#1053#1077#1090\n"_s;
        QTest::newRow("two-line caption offered line by line")
            << twoLines << QStringList() << QStringList{u"yes"_s, u"yes"_s}
            << QStringList{u"add Да"_s, u"add Нет"_s} << QStringList{u"Да"_s, u"Нет"_s} << true;
        QTest::newRow("two-line caption selected whole")
            << twoLines << QStringList() << QStringList{u"yes|'Да'#13#10'Нет'"_s, u"yes"_s}
            << QStringList{u"add Да"_s, u"add Да\nНет"_s} << QStringList{u"Да\nНет"_s} << true;
        QTest::newRow("quote code splits the text")
            << u"  Caption = 'Не'#39't знаю'\n"_s << QStringList() << QStringList{u"no"_s, u"no"_s}
            << QStringList{u"add Не"_s, u"add t знаю"_s} << QStringList() << true;
        QTest::newRow("copyright code is ASCII")
            << u"  Caption = 'Company '#169' 2024'\n  Hint = 'Фирма '#169\n"_s << QStringList() << QStringList{u"no"_s}
            << QStringList{u"add Фирма "_s} << QStringList() << true;
        QTest::newRow("doubled quote removed")
            << u"  Caption = 'Файл ''a'' открыт'\n"_s << QStringList() << QStringList{u"yes"_s}
            << QStringList{u"add Файл a открыт"_s} << QStringList{u"Файл a открыт"_s} << true;
        QTest::newRow("a word selected inside a text")
            << u"  Caption = 'Привет, мир'\n"_s << QStringList() << QStringList{u"yes|мир"_s, u"yes"_s}
            << QStringList{u"add Привет, мир"_s, u"add мир"_s} << QStringList{u"мир"_s} << true;
        QTest::newRow("a selection without text adds nothing")
            << u"  Caption = 'Привет'\n"_s << QStringList() << QStringList{u"yes|Caption"_s, u"yes"_s, u"no"_s}
            << QStringList{u"add Привет"_s, u"add "_s, u"nothing added"_s, u"add Привет"_s} << QStringList() << true;
        QTest::newRow("cancel")
            << u"  Caption = 'Да'\n  Hint = 'Нет'\n"_s << QStringList() << QStringList{u"cancel"_s}
            << QStringList{u"add Да"_s} << QStringList() << false;
        QTest::newRow("cleared selection confirmed")
            << u"  Caption = 'Да'\n  Hint = 'Нет'\n"_s << QStringList() << QStringList{u"yes|"_s, u"yes"_s}
            << QStringList{u"add Да"_s, u"add "_s} << QStringList() << false;
        QTest::newRow("last line without line end")
            << u"  Caption = 'Да'"_s << QStringList() << QStringList() << QStringList() << QStringList() << true;
    }
    void formScan()
    {
        QFETCH(QString, formText);
        QFETCH(QStringList, held);
        QFETCH(QStringList, script);
        const FormRun run = scanForm(formText, script, held);
        QTEST(run.log, "log");
        QTEST(run.added, "added");
        QTEST(run.proceed, "proceed");
    }

    void formScanShowsPassedOverTextsWithoutScrolling()
    {
        const FormRun run = scanForm(u"  Caption = 'Да'\n  Hint = 'Нет'\n"_s, {u"no"_s}, {u"Да"_s});
        QCOMPARE(run.shown, (QStringList{u"'Да'"_s, u"+'Нет'"_s}));
    }

    void promptTexts_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("text");
        QTest::newRow("wrap") << int(orb::PromptKind::WrapLiteral) << u"Да"_s
            << u"Добавить <Да> в словарь\r\nи заменить его функцией перевода ?\r\n(выберите слово или фразу для добавления в словарь)"_s;
        QTest::newRow("add") << int(orb::PromptKind::AddPhrase) << u"%s"_s
            << u"Добавить <%s> в словарь ?\r\n(выберите слово или фразу для добавления в словарь)"_s;
        QTest::newRow("uses") << int(orb::PromptKind::AddUses) << u"OrbTranslate"_s
            << u"Вставить в заголовок модуль перевода\r\nOrbTranslate ?"_s;
        QTest::newRow("save") << int(orb::PromptKind::SaveFile) << u"/p/Unit1.pas"_s << u"/p/Unit1.pas\r\nЗаменить файл ?"_s;
    }
    void promptTexts()
    {
        QFETCH(int, kind);
        QFETCH(QString, argument);
        const auto promptKind = orb::PromptKind(kind);
        QTEST(orb::promptText(promptKind, promptSource(promptKind), argument), "text");
    }

    void readsSourceFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("encoding");
        QTest::addColumn<bool>("byteOrderMark");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("lineEnds");
        QTest::newRow("ASCII is UTF-8") << QByteArray("a\r\nb") << QByteArray("UTF-8") << false << u"a\nb"_s << QByteArray("R");
        QTest::newRow("UTF-8") << u"Да\nНет\n"_s.toUtf8() << QByteArray("UTF-8") << false << u"Да\nНет\n"_s << QByteArray("nn");
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") + u"Да\r"_s.toUtf8() << QByteArray("UTF-8") << true << u"Да\n"_s << QByteArray("r");
        QTest::newRow("windows-1251") << encoded("windows-1251", u"Да\r\n\r\n"_s) << QByteArray("windows-1251") << false << u"Да\n\n"_s << QByteArray("RR");
        QTest::newRow("mixed line ends") << QByteArray("a\r\rb\n\r\nc") << QByteArray("UTF-8") << false << u"a\n\nb\n\nc"_s << QByteArray("rrnR");
        QTest::newRow("mark before invalid UTF-8") << QByteArray("\xEF\xBB\xBF\xC4\xE0") << QByteArray("windows-1251") << false << u"п»їДа"_s << QByteArray();
    }
    void readsSourceFiles()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_dir.filePath(u"read.pas"_s);
        writeFile(path, bytes);
        orb::SourceFile file;
        QString error;
        QVERIFY2(orb::readSourceFile(path, "windows-1251", file, &error), qPrintable(error));
        QTEST(file.encoding, "encoding");
        QTEST(file.byteOrderMark, "byteOrderMark");
        QTEST(file.text, "text");
        QTEST(file.lineEnds, "lineEnds");
        QCOMPARE(file.bytes, bytes);
    }

    void unknownCodePageRefused()
    {
        const QString path = m_dir.filePath(u"legacy.pas"_s);
        writeFile(path, encoded("windows-1251", u"Да"_s));
        orb::SourceFile file;
        QString error;
        QVERIFY(!orb::readSourceFile(path, "no-such-code-page", file, &error));
        QCOMPARE(error, u"unknown code page no-such-code-page"_s);
    }

    void rewriteKeepsBytes_data()
    {
        QTest::addColumn<QByteArray>("legacyEncoding");
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QByteArray>("rewritten");
        const QString before = u"unit U;%1uses A;%1x := 'Привет';%1end.%2"_s;
        const QString after = u"unit U;%1uses A, OrbTranslate;%1x := Translate('Привет');%1end.%2"_s;
        const auto row = [&](const char* name, const char* encoding, const QString& lineEnd, const QString& last,
                             const QByteArray& mark = {}) {
            QTest::newRow(name) << QByteArray(encoding) << mark + encoded(encoding, before.arg(lineEnd, last))
                                << mark + encoded(encoding, after.arg(lineEnd, last));
        };
        row("UTF-8, LF", "UTF-8", u"\n"_s, u"\n"_s);
        row("UTF-8 with mark, CR LF", "UTF-8", u"\r\n"_s, u"\r\n"_s, "\xEF\xBB\xBF");
        row("windows-1251, CR LF", "windows-1251", u"\r\n"_s, u"\r\n"_s);
        row("KOI8-R, CR", "KOI8-R", u"\r"_s, u"\r"_s);
        row("no final line end", "windows-1251", u"\r\n"_s, QString());
        QTest::newRow("mixed line ends") << QByteArray("windows-1251")
            << encoded("windows-1251", u"unit U;\r\nuses A;\nx := 'Привет';\rend.\r\n"_s)
            << encoded("windows-1251", u"unit U;\r\nuses A, OrbTranslate;\nx := Translate('Привет');\rend.\r\n"_s);
    }
    void rewriteKeepsBytes()
    {
        QFETCH(QByteArray, legacyEncoding);
        QFETCH(QByteArray, original);
        const QString path = m_dir.filePath(u"Rewrite.pas"_s);
        writeFile(path, original);
        ScriptedPrompt prompt({u"yes"_s, u"yes"_s, u"yes"_s});
        RecordingSink sink;
        orb::FileHarvester harvester(prompt, sink, {legacyEncoding});
        QCOMPARE(harvester.harvestUnit(path), orb::HarvestStep::Continue);
        QCOMPARE(harvester.savedFiles(), QStringList{path});
        QTEST(readFile(path), "rewritten");
    }

    void lossyLegacyFileNotRewritten_data()
    {
        QTest::addColumn<QByteArray>("encoding");
        QTest::addColumn<QByteArray>("original");
        QTest::newRow("undefined byte") << QByteArray("ISO-8859-3") << QByteArray("uses A;\r\nx := '\xA5\xC4';\r\n");
        QTest::newRow("incomplete character at the end")
            << QByteArray("Shift_JIS") << encoded("Shift_JIS", u"uses A;\r\nx := 'Да';\r\n"_s) + "\x82";
    }
    void lossyLegacyFileNotRewritten()
    {
        QFETCH(QByteArray, encoding);
        QFETCH(QByteArray, original);
        const QString path = m_dir.filePath(u"Lossy.pas"_s);
        writeFile(path, original);
        ScriptedPrompt prompt({u"yes"_s, u"yes"_s, u"yes"_s});
        RecordingSink sink;
        orb::FileHarvester harvester(prompt, sink, {encoding});
        QCOMPARE(harvester.harvestUnit(path), orb::HarvestStep::Failed);
        QCOMPARE(prompt.log.size(), 3);
        QCOMPARE(harvester.errorText(), path + u": not replaced: its bytes do not all decode in "_s
                                            + QString::fromLatin1(encoding) + u", and writing it back would change them"_s);
        QCOMPARE(readFile(path), original);
    }
};

QTEST_GUILESS_MAIN(TestWizardScan)
#include "tst_wizard_scan.moc"
