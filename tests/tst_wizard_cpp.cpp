// The harvest of C++ sources: the tokenizer, what is offered and what is taken for a key, the
// literals harvested without a question, the rewrite and the #include it offers.
#include "CppHarvest.h"
#include "SourceFile.h"
#include "WizardTestHelpers.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using wizardtest::encoded;
using wizardtest::readFile;
using wizardtest::RecordingSink;
using wizardtest::ScriptedPrompt;
using wizardtest::writeFile;

Q_DECLARE_METATYPE(CppOffer)
Q_DECLARE_METATYPE(SourceKind)

namespace {

const QString kPath = u"Window.cpp"_s;

// Sources written as raw strings read best; moc only knows raw strings without a prefix.
QString raw(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

struct CppRun
{
    QStringList log;
    QString text;
    UnitScanResult result;
};

CppRun scanCpp(const QString& source, QStringList script, CppOffer offer = CppOffer::WithLetter)
{
    EditedText text(source);
    ScriptedPrompt prompt(std::move(script), &text);
    RecordingSink sink;
    const UnitScanResult result = HarvestCppText(text, prompt, sink, kPath, offer);
    if (prompt.mirror != text.toString())
        qFatal("the view was not told of every insertion");
    return {prompt.log, text.toString(), result};
}

// Every offer answered No: what a scan offers and harvests silently.
QStringList offersIn(const QString& source, CppOffer offer)
{
    return scanCpp(source, QStringList(100, u"no"_s), offer).log;
}

} // namespace

class TestWizardCpp : public QObject
{
    Q_OBJECT

private slots:
    void decodesLiterals_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("phrase");
        QTest::newRow("simple escapes") << raw(R"("a\tb\n\\\"\'\?")") << u"a\tb\n\\\"'?"_s;
        QTest::newRow("numeric escapes") << raw(R"("\x41\102\u0416\U0001F600")") << u"ABЖ😀"_s;
        QTest::newRow("narrow bytes are UTF-8") << raw(R"("\xD0\x96\320\226")") << u"ЖЖ"_s;
        QTest::newRow("wide hex is a code unit") << raw(R"(u"\xD0")") << u"Ð"_s;
        QTest::newRow("surrogate code point") << raw(R"("\uD800")") << u"\uFFFD"_s;
        QTest::newRow("prefixes") << raw(R"(u8"Да" L"и" U"нет")") << u"Даинет"_s;
        QTest::newRow("adjacent across lines and comments") << u"\"a\" /* \"x\" */ \"b\"\n  // \"y\"\n  \"c\""_s << u"abc"_s;
        QTest::newRow("raw with delimiter") << u"R\"x(a\"b)\"c)x\""_s << u"a\"b)\"c"_s;
        QTest::newRow("raw keeps line breaks and backslashes") << u"LR\"(a\\n\nb)\""_s << u"a\\n\nb"_s;
        QTest::newRow("suffix") << raw(R"(u"x"_s)") << u"x"_s;
        QTest::newRow("continued line") << u"\"a\\\nb\""_s << u"ab"_s;
        QTest::newRow("inside a wrapper") << raw(R"(QStringLiteral("Да"))") << u"Да"_s;
    }
    void decodesLiterals()
    {
        QFETCH(QString, source);
        QTEST(DecodeCppLiteral(source), "phrase");
    }

    void offersWhatTheTokenizerTakesForText_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<CppOffer>("offer");
        QTest::addColumn<QStringList>("log");
        const auto ascii = CppOffer::NonAscii;
        const auto letters = CppOffer::WithLetter;
        QTest::newRow("comments") << u"// \"Привет\"\n/* \"Мир\"\n*/ s = \"Да\";"_s << ascii << QStringList{u"wrap Да"_s};
        QTest::newRow("character literals") << u"c = '\"'; d = '\\''; s = \"Да\";"_s << ascii << QStringList{u"wrap Да"_s};
        QTest::newRow("digit separators") << u"n = 1'000 + .5'0; s = \"Да\"; m = 0x1'F;"_s << ascii << QStringList{u"wrap Да"_s};
        QTest::newRow("include lines, not defines") << u"#include \"Окно.h\"\n  #  include <a>\n#define T \"Текст\"\n"_s << ascii
                                                 << QStringList{u"wrap Текст"_s};
        QTest::newRow("raw string") << u"s = R\"(Да \"и\" нет)\";"_s << ascii << QStringList{u"wrap Да \"и\" нет"_s};
        QTest::newRow("identifier ending like a prefix") << u"FOOR\"Да\"; uR\"(Нет)\";"_s << ascii
                                                      << QStringList{u"wrap Да"_s, u"wrap Нет"_s};
        QTest::newRow("unterminated string") << u"s = \"Да\nt = \"Нет\";"_s << ascii << QStringList{u"wrap Нет"_s};
        QTest::newRow("unterminated raw string at the end") << u"s = R\"(Да"_s << ascii << QStringList{};
        QTest::newRow("unterminated comment at the end") << u"/* \"Да\""_s << ascii << QStringList{};
        QTest::newRow("adjacent across a spliced line") << u"#define TEXT \"Первая \" \\\n    \"вторая\"\n"_s << ascii
                                                     << QStringList{u"wrap Первая вторая"_s};
        QTest::newRow("last line without a line break") << u"s = \"Да\";"_s << ascii << QStringList{u"wrap Да"_s};
        QTest::newRow("ASCII only when not asked for") << u"s = \"Hello\"; t = \"Привет\";"_s << ascii << QStringList{u"wrap Привет"_s};
        QTest::newRow("texts with a letter") << u"a = \"Hello\"; b = \"%1: %2\"; c = \"Save...\";"_s << letters
                                          << QStringList{u"wrap Hello"_s, u"wrap Save..."_s};
        QTest::newRow("identifiers, paths and files") << u"a(\"mainWindow\"); b(\"window/geometry\"); c(\"notes.lng\"); d(\"e.g. this\");"_s
                                                   << letters << QStringList{u"wrap e.g. this"_s};
        QTest::newRow("translated already") << u"tr(\"Файл\"); QObject::tr(\"Правка\", \"menu\"); qApp->translate(\"Ctx\", \"Вид\");\n"
                                               "QT_TR_NOOP(\"Окно\"); QT_TRANSLATE_NOOP(\"Ctx\", \"Помощь\"); Translate(QStringLiteral(\"Ещё\"));"
                                               "qtTrId(\"id_text\");"_s
                                            << letters
                                            << QStringList{u"wrapped Файл"_s, u"wrapped Правка"_s, u"wrapped Вид"_s, u"wrapped Окно"_s,
                                                           u"wrapped Помощь"_s, u"wrapped Ещё"_s};
        QTest::newRow("log statements") << u"qDebug() << \"window created\" << x; qCWarning(lc) << \"lost\"; l->setText(\"Shown\");"_s
                                     << letters << QStringList{u"wrap Shown"_s};
        QTest::newRow("linkage and literal operators") << u"extern \"C\" { int f(); } operator\"\" _km(); s = \"Shown\";"_s
                                                    << letters << QStringList{u"wrap Shown"_s};
        QTest::newRow("a block inside a key call") << u"connect(a, &A::b, [=] { l->setText(\"Hello there\"); });"_s << letters
                                                << QStringList{u"wrap Hello there"_s};
        QTest::newRow("compared values and subscripts")
            << u"if (a == \"yes\" || \"no\" != b || c <= \"Shown\") d = json[\"title\"] + m[\"Shown \" + x];"_s << letters
            << QStringList{u"wrap Shown"_s, u"wrap Shown "_s};
        QTest::newRow("a key in Russian is a key") << u"setObjectName(\"Окно\"); s = \"Окно\";"_s << ascii
                                                << QStringList{u"wrap Окно"_s};
    }
    void offersWhatTheTokenizerTakesForText()
    {
        QFETCH(QString, source);
        QFETCH(CppOffer, offer);
        QTEST(offersIn(source, offer), "log");
    }

    // Every rule of the table keeps its call's literals out, bare or wrapped, and nothing else.
    void keyRulesKeepTheirArgumentsOut()
    {
        for (const CppKeyRule& rule : CppKeyRules()) {
            const QString callee = rule.callee.toString();
            const QString source = callee + raw(R"(("Some text", QStringLiteral("More text"), u"Last text"_s); show("Shown");)");
            QVERIFY2(offersIn(source, CppOffer::WithLetter) == QStringList{u"wrap Shown"_s}, qPrintable(callee));
        }
    }

    void rewritesAcceptedLiterals_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QString>("rewritten");
        QTest::addColumn<qsizetype>("addedLineBreak");
        QTest::newRow("no include yet") << u"  s = \"Да\";\n"_s << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
                                     << u"#include <OrbTranslate.h>\n  s = Translate(\"Да\");\n"_s << qsizetype(0);
        QTest::newRow("after the last include, prefixes and pieces kept")
            << u"#include <a>\n#include \"b.h\"\n\nx(u\"Да\"\n  \"нет\");\n"_s << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << u"#include <a>\n#include \"b.h\"\n#include <OrbTranslate.h>\n\nx(Translate(u\"Да\"\n  \"нет\"));\n"_s << qsizetype(1);
        QTest::newRow("a whole QStringLiteral, the header there already")
            << u"#include <OrbTranslate.h>\nx(QStringLiteral( \"Да\" ), QStringLiteral(\"Нет\") + y);"_s
            << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << u"#include <OrbTranslate.h>\nx(Translate(QStringLiteral( \"Да\" )), Translate(QStringLiteral(\"Нет\")) + y);"_s
            << qsizetype(-1);
        QTest::newRow("include declined") << u"#include <a>\ns = \"Да\";"_s << QStringList{u"yes"_s, u"no"_s, u"yes"_s}
                                       << u"#include <a>\ns = Translate(\"Да\");"_s << qsizetype(-1);
        QTest::newRow("another selection is asked about again")
            << u"#include <OrbTranslate.h>\nx(\"Да\", \"Нет\");"_s << QStringList{u"yes|\"Нет\""_s, u"yes"_s, u"yes"_s}
            << u"#include <OrbTranslate.h>\nx(\"Да\", Translate(\"Нет\"));"_s << qsizetype(-1);
    }
    void rewritesAcceptedLiterals()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, script);
        const CppRun run = scanCpp(source, script, CppOffer::NonAscii);
        QVERIFY2(!run.log.contains(u"unscripted"_s), qPrintable(run.log.join(u" / ")));
        QTEST(run.text, "rewritten");
        QTEST(run.result.addedLineBreak, "addedLineBreak");
        QVERIFY(run.result.save);
    }

    void cancelStopsTheWalk()
    {
        const CppRun run = scanCpp(u"a = \"Да\"; b = \"Нет\";"_s, {u"cancel"_s}, CppOffer::NonAscii);
        QCOMPARE(run.log, QStringList{u"wrap Да"_s});
        QVERIFY(!run.result.proceed);
    }

    // Through the file harvester: the file's code page, byte-order mark and line ends survive,
    // and the added #include line gets the line end of its neighbours.
    void rewritesFilesByteForByte_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("windows-1251, CR LF")
            << encoded("windows-1251", u"#include <a>\r\n\r\ns = \"Да\";\r\n"_s)
            << encoded("windows-1251", u"#include <a>\r\n#include <OrbTranslate.h>\r\n\r\ns = Translate(\"Да\");\r\n"_s);
        QTest::newRow("UTF-8 with a byte-order mark, LF, no final line break")
            << ("\xEF\xBB\xBF" + u"#include <a>\ns = u8\"Да\";"_s.toUtf8())
            << ("\xEF\xBB\xBF" + u"#include <a>\n#include <OrbTranslate.h>\ns = Translate(u8\"Да\");"_s.toUtf8());
        QTest::newRow("one line, CR LF nowhere") << u"#include <a>"_s.toUtf8() + "\r\ns = \"\\u0414a\";"
                                              << u"#include <a>\r\n#include <OrbTranslate.h>\r\ns = Translate(\"\\u0414a\");"_s.toUtf8();
    }
    void rewritesFilesByteForByte()
    {
        QFETCH(QByteArray, before);
        QTemporaryDir dir;
        const QString path = dir.filePath(kPath);
        writeFile(path, before);
        ScriptedPrompt prompt({u"yes"_s, u"yes"_s, u"yes"_s});
        RecordingSink sink;
        FileHarvester harvester(prompt, sink, {"windows-1251", CppOffer::NonAscii});
        QVERIFY2(harvester.harvestCppSource(path) == HarvestStep::Continue, qPrintable(harvester.errorText()));
        QTEST(readFile(path), "after");
    }

    void toldByTheFilesName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<SourceKind>("kind");
        for (const QString& name : {u"a.cpp"_s, u"a.CC"_s, u"a.cxx"_s, u"a.c++"_s, u"a.h"_s, u"a.hh"_s, u"a.Hpp"_s, u"a.hxx"_s})
            QTest::newRow(qPrintable(name)) << name << SourceKind::CppSource;
        QTest::newRow("form") << u"Main.UI"_s << SourceKind::DesignerForm;
        QTest::newRow("unit") << u"Main.pas"_s << SourceKind::PascalUnit;
        QTest::newRow("Delphi form") << u"Main.dfm"_s << SourceKind::DelphiForm;
        for (const QString& name : {u"moc_Main.cpp"_s, u"qrc_icons.cpp"_s, u"ui_Main.h"_s, u"Main.moc"_s, u"a.c"_s, u"a.ui~"_s})
            QTest::newRow(qPrintable(name)) << name << SourceKind::None;
    }
    void toldByTheFilesName()
    {
        QFETCH(QString, name);
        QTEST(SourceKindOf(name), "kind");
    }
};

QTEST_GUILESS_MAIN(TestWizardCpp)
#include "tst_wizard_cpp.moc"
