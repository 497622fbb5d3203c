// The harvest of C++ sources: the tokenizer, what is offered and what is taken for a key, the
// literals harvested without a question, the rewrite and the #include it offers.
#include "wizard/CppHarvest.h"
#include "wizard/SourceFile.h"
#include "WizardTestHelpers.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using wizardtest::encoded;
using wizardtest::readFile;
using wizardtest::RecordingSink;
using wizardtest::ScriptedPrompt;
using wizardtest::writeFile;

Q_DECLARE_METATYPE(orb::CppOffer)
Q_DECLARE_METATYPE(orb::SourceKind)

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
    orb::UnitScanResult result;
};

CppRun scanCpp(const QString& source, QStringList script, orb::CppOffer offer = orb::CppOffer::WithLetter)
{
    orb::EditedText text(source);
    ScriptedPrompt prompt(std::move(script), &text);
    RecordingSink sink;
    const orb::UnitScanResult result = orb::harvestCppText(text, prompt, sink, kPath, offer);
    if (prompt.mirror != text.toString())
        qFatal("the view was not told of every insertion");
    return {prompt.log, text.toString(), result};
}

// Every offer answered No: what a scan offers ("offer PHRASE", whether a Yes would rewrite it
// or not) and harvests silently.
QStringList offersIn(const QString& source, orb::CppOffer offer)
{
    QStringList log = scanCpp(source, QStringList(100, u"no"_s), offer).log;
    for (QString& line : log)
        line.replace(QRegularExpression(u"^(wrap|add) "_s), u"offer "_s);
    return log;
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
        QTEST(orb::decodeCppLiteral(source), "phrase");
    }

    void offersWhatTheTokenizerTakesForText_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<orb::CppOffer>("offer");
        QTest::addColumn<QStringList>("log");
        const auto ascii = orb::CppOffer::NonAscii;
        const auto letters = orb::CppOffer::WithLetter;
        QTest::newRow("comments") << u"// \"Привет\"\n/* \"Мир\"\n*/ s = \"Да\";"_s << ascii << QStringList{u"offer Да"_s};
        QTest::newRow("character literals") << u"c = '\"'; d = '\\''; s = \"Да\";"_s << ascii << QStringList{u"offer Да"_s};
        QTest::newRow("digit separators") << u"n = 1'000 + .5'0; s = \"Да\"; m = 0x1'F;"_s << ascii << QStringList{u"offer Да"_s};
        QTest::newRow("include lines, not defines") << u"#include \"Окно.h\"\n  #  include <a>\n#define T \"Текст\"\n"_s << ascii
                                                 << QStringList{u"offer Текст"_s};
        QTest::newRow("raw string") << u"s = R\"(Да \"и\" нет)\";"_s << ascii << QStringList{u"offer Да \"и\" нет"_s};
        QTest::newRow("identifier ending like a prefix") << u"FOOR\"Да\"; uR\"(Нет)\";"_s << ascii
                                                      << QStringList{u"offer Да"_s, u"offer Нет"_s};
        QTest::newRow("unterminated string") << u"s = \"Да\nt = \"Нет\";"_s << ascii << QStringList{u"offer Нет"_s};
        QTest::newRow("unterminated raw string at the end") << u"s = R\"(Да"_s << ascii << QStringList{};
        QTest::newRow("unterminated comment at the end") << u"/* \"Да\""_s << ascii << QStringList{};
        QTest::newRow("adjacent across a spliced line") << u"#define TEXT \"Первая \" \\\n    \"вторая\"\n"_s << ascii
                                                     << QStringList{u"offer Первая вторая"_s};
        QTest::newRow("last line without a line break") << u"s = \"Да\";"_s << ascii << QStringList{u"offer Да"_s};
        QTest::newRow("ASCII only when not asked for") << u"s = \"Hello\"; t = \"Привет\";"_s << ascii << QStringList{u"offer Привет"_s};
        QTest::newRow("texts with a letter") << u"a = \"Hello\"; b = \"%1: %2\"; c = \"Save...\";"_s << letters
                                          << QStringList{u"offer Hello"_s, u"offer Save..."_s};
        QTest::newRow("identifiers, paths and files") << u"a(\"mainWindow\"); b(\"window/geometry\"); c(\"notes.lng\"); d(\"e.g. this\");"_s
                                                   << letters << QStringList{u"offer e.g. this"_s};
        QTest::newRow("translated already") << u"tr(\"Файл\"); QObject::tr(\"Правка\", \"menu\"); qApp->translate(\"Ctx\", \"Вид\");\n"
                                               "QT_TR_NOOP(\"Окно\"); QT_TRANSLATE_NOOP(\"Ctx\", \"Помощь\"); Translate(QStringLiteral(\"Ещё\"));"
                                               "qtTrId(\"id_text\");"_s
                                            << letters
                                            << QStringList{u"wrapped Файл"_s, u"wrapped Правка"_s, u"wrapped Вид"_s, u"wrapped Окно"_s,
                                                           u"wrapped Помощь"_s, u"wrapped Ещё"_s};
        QTest::newRow("log statements") << u"qDebug() << \"window created\" << x; qCWarning(lc) << \"lost\"; l->setText(\"Shown\");"_s
                                     << letters << QStringList{u"offer Shown"_s};
        QTest::newRow("linkage and literal operators") << u"extern \"C\" { int f(); } operator\"\" _km(); s = \"Shown\";"_s
                                                    << letters << QStringList{u"offer Shown"_s};
        QTest::newRow("a block inside a key call") << u"connect(a, &A::b, [=] { l->setText(\"Hello there\"); });"_s << letters
                                                << QStringList{u"offer Hello there"_s};
        QTest::newRow("compared values and subscripts")
            << u"if (a == \"yes\" || \"no\" != b || c <= \"Shown\") d = json[\"title\"] + m[\"Shown \" + x];"_s << letters
            << QStringList{u"offer Shown"_s, u"offer Shown "_s};
        QTest::newRow("a key in Russian is a key") << u"setObjectName(\"Окно\"); s = \"Окно\";"_s << ascii
                                                << QStringList{u"offer Окно"_s};
    }
    void offersWhatTheTokenizerTakesForText()
    {
        QFETCH(QString, source);
        QFETCH(orb::CppOffer, offer);
        QTEST(offersIn(source, offer), "log");
    }

    // Every rule of the table keeps its call's literals out, bare or wrapped, and nothing else.
    void keyRulesKeepTheirArgumentsOut()
    {
        for (const orb::CppKeyRule& rule : orb::cppKeyRules()) {
            const QString callee = rule.callee.toString();
            const QString source = callee + raw(R"(("Some text", QStringLiteral("More text"), u"Last text"_s); show("Shown");)");
            QVERIFY2(offersIn(source, orb::CppOffer::WithLetter) == QStringList{u"offer Shown"_s}, qPrintable(callee));
        }
    }

    // Every offer accepted: only where Translate's QString can stand is the literal rewritten;
    // elsewhere its phrase is added and the note says why the source stayed.
    void rewritesOnlyWhereAQStringCanStand_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("rewritten");
        // The sources are written with ' for ", which no C++ source here needs otherwise.
        const auto row = [](const char* name, const char* source, const char* rewritten) {
            QTest::newRow(name) << QString::fromUtf8(source).replace(u'\'', u'"') << QString::fromUtf8(rewritten).replace(u'\'', u'"');
        };
        row("text setters", "l->setText('Да'); b.setToolTip(u8'Нет' '!');",
            "l->setText(Translate('Да')); b.setToolTip(Translate(u8'Нет' '!'));");
        row("standard dialogs", "QMessageBox::warning(this, 'Окно', x ? 'Да' : 'Нет');",
            "QMessageBox::warning(this, Translate('Окно'), x ? Translate('Да') : Translate('Нет'));");
        row("a list given to a setter", "t->setHeaderLabels({'Имя', 'Размер'});",
            "t->setHeaderLabels({Translate('Имя'), Translate('Размер')});");
        row("constructors", "new QLabel('Имя', this); QPushButton button('Да');",
            "new QLabel(Translate('Имя'), this); QPushButton button(Translate('Да'));");
        row("QString initialised", "QString a = 'Да'; const QString& b = 'Нет'; QString c('Имя'); QString d{'Файл'};",
            "QString a = Translate('Да'); const QString& b = Translate('Нет'); QString c(Translate('Имя')); QString d{Translate('Файл')};");
        row("assigned to a QString of this file", "QString a; a = 'Да'; const char* b; b = 'Нет'; m.c = 'Имя';",
            "QString a; a = Translate('Да'); const char* b; b = 'Нет'; m.c = 'Имя';");
        row("a name declared QString and otherwise", "QString a; void f() { int* a; a = 'Да'; }",
            "QString a; void f() { int* a; a = 'Да'; }");
        row("QString made of the literal, anywhere", "f(QStringLiteral('Да'), QString::fromUtf8('Нет'), u'Имя'_s, QString('Файл').arg(1));",
            "f(Translate(QStringLiteral('Да')), Translate(QString::fromUtf8('Нет')), Translate(u'Имя'_s), QString(Translate('Файл')).arg(1));");
        row("Latin-1 strings where a QString goes", "l->setText(QLatin1String('Да')); f(QLatin1String('Нет'));",
            "l->setText(Translate(QLatin1String('Да'))); f(QLatin1String('Нет'));");
        row("byte arrays and C strings", "b.startsWith('Да'); QByteArray('Нет'); const char* raw = R'x(Имя)x'; f('Файл');",
            "b.startsWith('Да'); QByteArray('Нет'); const char* raw = R'x(Имя)x'; f('Файл');");
        row("a cast, a call inside a setter, a return", "l->setText((const char*)'Да'); l->setText(f('Нет')); return 'Имя';",
            "l->setText((const char*)'Да'); l->setText(f('Нет')); return 'Имя';");
        row("a macro's definition", "#define TITLE QStringLiteral(\"Да\")\n#define TEXT \\\n    \"Нет\"\n",
            "#define TITLE QStringLiteral(\"Да\")\n#define TEXT \\\n    \"Нет\"\n");
    }
    void rewritesOnlyWhereAQStringCanStand()
    {
        QFETCH(QString, source);
        const CppRun run = scanCpp(u"#include <OrbTranslate.h>\n"_s + source, QStringList(40, u"yes"_s), orb::CppOffer::NonAscii);
        QTEST(run.text.sliced(26), "rewritten");
        for (const QString& line : run.log) {
            if (line.startsWith(u"add "))
                QVERIFY2(run.log.contains(u"no QString "_s + line.sliced(4)), qPrintable(run.log.join(u" / ")));
        }
    }

    // Program names and their arguments, image formats and MIME types are keys.
    void keysOfProcessesImagesAndMimeTypes()
    {
        const QString source = raw(R"(QProcess::startDetached("lp", {"-t", "Notes", path}); p.start("ssh-add", QStringList{"-l"});
image.loadFromData(data, "PNG"); pixmap.save(path, "JPEG"); mime->hasFormat("text notes"); l->setText("Shown");)");
        QCOMPARE(offersIn(source, orb::CppOffer::WithLetter), QStringList{u"offer Shown"_s});
    }

    void rewritesAcceptedLiterals_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QString>("rewritten");
        QTest::addColumn<qsizetype>("addedLineBreak");
        QTest::newRow("no include yet") << u"  l->setText(\"Да\");\n"_s << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
                                     << u"#include <OrbTranslate.h>\n  l->setText(Translate(\"Да\"));\n"_s << qsizetype(0);
        QTest::newRow("after the last include, prefixes and pieces kept")
            << u"#include <a>\n#include \"b.h\"\n\nx.setText(u\"Да\"\n  \"нет\");\n"_s << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << u"#include <a>\n#include \"b.h\"\n#include <OrbTranslate.h>\n\nx.setText(Translate(u\"Да\"\n  \"нет\"));\n"_s << qsizetype(1);
        QTest::newRow("a whole QStringLiteral, the header there already")
            << u"#include <OrbTranslate.h>\nx(QStringLiteral( \"Да\" ), QStringLiteral(\"Нет\") + y);"_s
            << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << u"#include <OrbTranslate.h>\nx(Translate(QStringLiteral( \"Да\" )), Translate(QStringLiteral(\"Нет\")) + y);"_s
            << qsizetype(-1);
        QTest::newRow("include declined") << u"#include <a>\nl.setText(\"Да\");"_s << QStringList{u"yes"_s, u"no"_s, u"yes"_s}
                                       << u"#include <a>\nl.setText(Translate(\"Да\"));"_s << qsizetype(-1);
        // Release builds would not see a header included inside a conditional block.
        QTest::newRow("not after an include inside #ifdef")
            << u"#include <a>\n#ifdef QT_DEBUG\n#include <QDebug>\n#endif\nl.setText(\"Да\");\n"_s << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << u"#include <a>\n#include <OrbTranslate.h>\n#ifdef QT_DEBUG\n#include <QDebug>\n#endif\nl.setText(Translate(\"Да\"));\n"_s
            << qsizetype(0);
        QTest::newRow("the header included only inside #if")
            << u"#if X\n#include <OrbTranslate.h>\n#endif\nl.setText(\"Да\");\n"_s << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << u"#include <OrbTranslate.h>\n#if X\n#include <OrbTranslate.h>\n#endif\nl.setText(Translate(\"Да\"));\n"_s << qsizetype(0);
        QTest::newRow("an include guard is file level")
            << u"#ifndef A_H\n#define A_H\n#include <QLabel>\ninline void f(QLabel* l) { l->setText(\"Да\"); }\n#endif\n"_s
            << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << u"#ifndef A_H\n#define A_H\n#include <QLabel>\n#include <OrbTranslate.h>\ninline void f(QLabel* l) { l->setText(Translate(\"Да\")); }\n#endif\n"_s
            << qsizetype(2);
        QTest::newRow("an include guard without includes")
            << u"#ifndef A_H\n#define A_H\ninline QString f() { return QStringLiteral(\"Да\"); }\n#endif\n"_s
            << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << u"#ifndef A_H\n#define A_H\n#include <OrbTranslate.h>\ninline QString f() { return Translate(QStringLiteral(\"Да\")); }\n#endif\n"_s
            << qsizetype(1);
        QTest::newRow("after #pragma once")
            << u"// A header.\n#pragma once\ninline QString f() { return QStringLiteral(\"Да\"); }\n"_s
            << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << u"// A header.\n#pragma once\n#include <OrbTranslate.h>\ninline QString f() { return Translate(QStringLiteral(\"Да\")); }\n"_s
            << qsizetype(1);
        QTest::newRow("not after the first rewritten literal")
            << u"l.setText(\"Да\");\n#include <b>\n"_s << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << u"#include <OrbTranslate.h>\nl.setText(Translate(\"Да\"));\n#include <b>\n"_s << qsizetype(0);
        QTest::newRow("an #include in a comment is none")
            << u"#include <a>\n/*\n#include <b>\n*/\nl.setText(\"Да\");\n"_s << QStringList{u"yes"_s, u"yes"_s, u"yes"_s}
            << u"#include <a>\n#include <OrbTranslate.h>\n/*\n#include <b>\n*/\nl.setText(Translate(\"Да\"));\n"_s << qsizetype(0);
    }
    void rewritesAcceptedLiterals()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, script);
        const CppRun run = scanCpp(source, script, orb::CppOffer::NonAscii);
        QVERIFY2(!run.log.contains(u"unscripted"_s), qPrintable(run.log.join(u" / ")));
        QTEST(run.text, "rewritten");
        QTEST(run.result.addedLineBreak, "addedLineBreak");
        QVERIFY(run.result.save);
    }

    // A selection other than the literal asked about only adds what it stands for.
    void otherSelectionsAreNotRewritten_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("log");
        const QString asked = u"wrap Файл \"a\" не найден"_s;
        QTest::newRow("a word inside the literal") << QStringList{u"yes|Файл"_s, u"yes"_s, u"no"_s}
            << QStringList{asked, u"add Файл"_s, u"partial Файл"_s, u"wrap Нет"_s};
        QTest::newRow("an escape inside the literal") << QStringList{u"yes|\\\"a\\\""_s, u"yes"_s, u"no"_s}
            << QStringList{asked, u"add \"a\""_s, u"partial \"a\""_s, u"wrap Нет"_s};
        QTest::newRow("another literal") << QStringList{u"yes|\"Нет\""_s, u"yes"_s, u"no"_s}
            << QStringList{asked, u"add Нет"_s, u"partial Нет"_s, u"wrap Нет"_s};
        QTest::newRow("code without text") << QStringList{u"yes|l->"_s, u"yes"_s, u"no"_s}
            << QStringList{asked, u"add "_s, u"nothing added"_s, u"wrap Нет"_s};
    }
    void otherSelectionsAreNotRewritten()
    {
        QFETCH(QStringList, script);
        const QString source = u"l->setText(\"Файл \\\"a\\\" не найден\"); l->setToolTip(\"Нет\");"_s;
        const CppRun run = scanCpp(source, script, orb::CppOffer::NonAscii);
        QTEST(run.log, "log");
        QCOMPARE(run.text, source);
    }

    void cancelStopsTheWalk()
    {
        const CppRun run = scanCpp(u"a.setText(\"Да\"); b = \"Нет\";"_s, {u"cancel"_s}, orb::CppOffer::NonAscii);
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
            << encoded("windows-1251", u"#include <a>\r\n\r\ns.setText(\"Да\");\r\n"_s)
            << encoded("windows-1251", u"#include <a>\r\n#include <OrbTranslate.h>\r\n\r\ns.setText(Translate(\"Да\"));\r\n"_s);
        QTest::newRow("UTF-8 with a byte-order mark, LF, no final line break")
            << ("\xEF\xBB\xBF" + u"#include <a>\ns.setText(u8\"Да\");"_s.toUtf8())
            << ("\xEF\xBB\xBF" + u"#include <a>\n#include <OrbTranslate.h>\ns.setText(Translate(u8\"Да\"));"_s.toUtf8());
        QTest::newRow("one line, CR LF nowhere") << u"#include <a>"_s.toUtf8() + "\r\ns.setText(\"\\u0414a\");"
                                              << u"#include <a>\r\n#include <OrbTranslate.h>\r\ns.setText(Translate(\"\\u0414a\"));"_s.toUtf8();
    }
    void rewritesFilesByteForByte()
    {
        QFETCH(QByteArray, before);
        QTemporaryDir dir;
        const QString path = dir.filePath(kPath);
        writeFile(path, before);
        ScriptedPrompt prompt({u"yes"_s, u"yes"_s, u"yes"_s});
        RecordingSink sink;
        orb::FileHarvester harvester(prompt, sink, {"windows-1251", orb::CppOffer::NonAscii});
        QVERIFY2(harvester.harvestCppSource(path) == orb::HarvestStep::Continue, qPrintable(harvester.errorText()));
        QTEST(readFile(path), "after");
    }

    void toldByTheFilesName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<orb::SourceKind>("kind");
        for (const QString& name : {u"a.cpp"_s, u"a.CC"_s, u"a.cxx"_s, u"a.c++"_s, u"a.h"_s, u"a.hh"_s, u"a.Hpp"_s, u"a.hxx"_s})
            QTest::newRow(qPrintable(name)) << name << orb::SourceKind::CppSource;
        QTest::newRow("form") << u"Main.UI"_s << orb::SourceKind::DesignerForm;
        QTest::newRow("unit") << u"Main.pas"_s << orb::SourceKind::PascalUnit;
        QTest::newRow("Delphi form") << u"Main.dfm"_s << orb::SourceKind::DelphiForm;
        for (const QString& name : {u"moc_Main.cpp"_s, u"qrc_icons.cpp"_s, u"ui_Main.h"_s, u"Main.moc"_s, u"a.c"_s, u"a.ui~"_s})
            QTest::newRow(qPrintable(name)) << name << orb::SourceKind::None;
    }
    void toldByTheFilesName()
    {
        QFETCH(QString, name);
        QTEST(orb::sourceKindOf(name), "kind");
    }
};

QTEST_GUILESS_MAIN(TestWizardCpp)
#include "tst_wizard_cpp.moc"
