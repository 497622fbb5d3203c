// The texts of Qt Designer forms: what is read (checked against Qt's own lupdate), where each
// stands in the XML, what a malformed form says, and the questions about them.
#include "wizard/DesignerForm.h"
#include "WizardTestHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;
using wizardtest::readFile;
using wizardtest::RecordingSink;
using wizardtest::ScriptedPrompt;
using wizardtest::writeFile;

namespace {

// A form with what real forms hold beside the plain texts.
const QString kTrickyForm = uR"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Dialog</class>
 <widget class="QDialog" name="Dialog">
  <property name="windowTitle"><string comment="title">Save &amp; close</string></property>
  <widget class="QLabel" name="label">
   <property name="text"><string extracomment="two lines">First line
second &lt;line&gt; &#1046;&#x416;</string></property>
   <property name="toolTip"><string><![CDATA[<b>bold</b>]]></string></property>
   <property name="whatsThis"><string><!-- a note --></string></property>
   <property name="statusTip"><string notr="true">status-key</string></property>
  </widget>
  <widget class="QTableWidget" name="table">
   <column><property name="text"><string>Name</string></property></column>
  </widget>
  <widget class="QTreeWidget" name="tree">
   <property name="headerLabels"><stringlist><string>Column</string><string>Other</string></stringlist></property>
  </widget>
  <widget class="QComboBox" name="combo">
   <item><property name="text"><string/></property></item>
   <item><property name="text"><string>Второй</string></property></item>
  </widget>
 </widget>
</ui>
)"_s;

std::vector<orb::DesignerString> stringsOf(const QString& xml)
{
    std::vector<orb::DesignerString> strings;
    QString error;
    if (!orb::readDesignerStrings(xml, strings, &error))
        qFatal("%s", qPrintable(error));
    return strings;
}

QStringList phrasesOf(const std::vector<orb::DesignerString>& strings)
{
    QStringList phrases;
    for (const orb::DesignerString& string : strings)
        phrases << string.phrase;
    return phrases;
}

// The source texts lupdate writes into a .ts file for the form.
QStringList lupdateSources(const QString& form)
{
    QTemporaryDir dir;
    const QString ts = dir.filePath(u"out.ts"_s);
    QProcess lupdate;
    lupdate.start(QStringLiteral(ORB_LUPDATE), {u"-silent"_s, form, u"-ts"_s, ts});
    if (!lupdate.waitForFinished(-1) || lupdate.exitCode() != 0)
        qFatal("lupdate failed on %s", qPrintable(form));
    QXmlStreamReader xml(readFile(ts));
    QStringList sources;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"source")
            sources << xml.readElementText();
    }
    return sources;
}

} // namespace

class TestWizardDesigner : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatLupdateReads()
    {
        if (!QFileInfo(QStringLiteral(ORB_LUPDATE)).isExecutable())
            QSKIP("Qt's lupdate is not installed");
        QTemporaryDir dir;
        writeFile(dir.filePath(u"tricky.ui"_s), kTrickyForm.toUtf8());
        QStringList forms{dir.filePath(u"tricky.ui"_s), QStringLiteral(ORB_WALK_FORM)};
        for (const QString& name : QDir(QStringLiteral(ORB_QTAPP_DIR)).entryList({u"*.ui"_s}))
            forms << QStringLiteral(ORB_QTAPP_DIR "/") + name;
        for (const QString& form : std::as_const(forms)) {
            QStringList ours = phrasesOf(stringsOf(QString::fromUtf8(readFile(form))));
            QStringList theirs = lupdateSources(form);
            // lupdate keeps one message per text and context; the harvest offers each place.
            ours.removeDuplicates();
            theirs.removeDuplicates();
            ours.sort();
            theirs.sort();
            QCOMPARE(ours, theirs);
        }
    }

    void placesSelectExactlyTheText()
    {
        const std::vector<orb::DesignerString> strings = stringsOf(kTrickyForm);
        QCOMPARE(phrasesOf(strings), (QStringList{u"Save & close"_s, u"First line\nsecond <line> ЖЖ"_s, u"<b>bold</b>"_s,
                                                  u"Name"_s, u"Column"_s, u"Other"_s, u"Второй"_s}));
        QStringList forms{kTrickyForm, QString::fromUtf8(readFile(QStringLiteral(ORB_WALK_FORM)))};
        for (const QString& name : QDir(QStringLiteral(ORB_QTAPP_DIR)).entryList({u"*.ui"_s}))
            forms << QString::fromUtf8(readFile(QStringLiteral(ORB_QTAPP_DIR "/") + name));
        for (const QString& form : std::as_const(forms)) {
            for (const orb::DesignerString& string : stringsOf(form))
                QCOMPARE(orb::decodeXmlText(QStringView(form).sliced(string.source.start, string.source.length)), string.phrase);
        }
    }

    void refusesWhatIsNoForm_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<QString>("errorStart");
        QTest::newRow("document type") << u"<?xml version=\"1.0\"?>\n<!DOCTYPE ui [<!ENTITY a \"aaaa\">]>\n<ui/>"_s << u"line 2: "_s;
        QTest::newRow("unclosed") << u"<ui>\n<string>x</string>\n<widget>\n</ui>"_s << u"line 4: "_s;
        QTest::newRow("element inside a string") << u"<ui>\n<string>a<b/></string></ui>"_s << u"line 2: "_s;
        QTest::newRow("unknown entity") << u"<ui><string>&nbsp;</string></ui>"_s << u"line 1: "_s;
    }
    void refusesWhatIsNoForm()
    {
        QFETCH(QString, xml);
        std::vector<orb::DesignerString> strings;
        QString error;
        QVERIFY(!orb::readDesignerStrings(xml, strings, &error));
        QFETCH(QString, errorStart);
        QVERIFY2(error.startsWith(errorStart), qPrintable(error));
    }

    void decodesCharacterData_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("text");
        QTest::newRow("predefined") << u"&lt;&gt;&amp;&quot;&apos;"_s << u"<>&\"'"_s;
        QTest::newRow("numeric") << u"&#1046;&#x416;&#X1F600;"_s << u"ЖЖ😀"_s;
        QTest::newRow("not a character") << u"&#xD800;&#0;&#x110000;"_s << u"\uFFFD\uFFFD\uFFFD"_s;
        QTest::newRow("unknown and lone") << u"&nbsp; & a;"_s << u"&nbsp; & a;"_s;
        QTest::newRow("CDATA") << u"a<![CDATA[&amp;<b>]]>c"_s << u"a&amp;<b>c"_s;
        QTest::newRow("unclosed CDATA") << u"<![CDATA[x"_s << u"x"_s;
    }
    void decodesCharacterData()
    {
        QFETCH(QString, source);
        QTEST(orb::decodeXmlText(source), "text");
    }

    void asksAboutTextsTheColumnLacks_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<bool>("proceed");
        QTest::newRow("held ones passed over") << QStringList{u"yes"_s, u"no"_s, u"yes"_s}
                                            << QStringList{u"add Open"_s, u"add Save & close"_s, u"add Второй"_s}
                                            << QStringList{u"Open"_s, u"Второй"_s} << true;
        QTest::newRow("cancel") << QStringList{u"cancel"_s} << QStringList{u"add Open"_s} << QStringList{} << false;
        QTest::newRow("another selection asked about again")
            << QStringList{u"yes|close"_s, u"yes"_s, u"no"_s, u"no"_s}
            << QStringList{u"add Open"_s, u"add close"_s, u"add Save & close"_s, u"add Второй"_s} << QStringList{u"close"_s} << true;
    }
    void asksAboutTextsTheColumnLacks()
    {
        const QString xml = u"<ui><string>Open</string><string>Name</string><string>Save &amp; close</string>"
                            "<string>Name</string><string>Второй</string></ui>"_s;
        const orb::EditedText text(xml);
        QFETCH(QStringList, script);
        ScriptedPrompt prompt(script, &text);
        RecordingSink sink({u"Name"_s});
        const bool proceed = orb::harvestDesignerStrings(text, stringsOf(xml), prompt, sink);
        QTEST(prompt.log, "log");
        QTEST(sink.added, "added");
        QTEST(proceed, "proceed");
        QCOMPARE(prompt.shown.first(), u"+Open"_s);
        if (proceed)
            QVERIFY(prompt.shown.contains(u"Name"_s)); // shown, not asked about
    }
};

QTEST_GUILESS_MAIN(TestWizardDesigner)
#include "tst_wizard_designer.moc"
