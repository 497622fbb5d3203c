// examples/qtapp harvested by orb-lng, as a developer would on an untranslated Qt application:
// the dictionary it produces, with a second language filled in, must make the component
// translate every text the example's windows show, and the keys and log messages in its
// sources must stay out of it.
#include "RecordingPrompter.h"
#include "SettingsDialog.h"
#include "MainWindow.h"
#include "VisibleTexts.h"

#include <OrbTranslate.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamWriter>

using namespace Qt::StringLiterals;

namespace {

const QString kMarker = u"de:"_s;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A dictionary of English texts and their "translations": the marker before each.
void writeMarkedDictionary(const QString& path, const QStringList& english)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(u"Varnok_translation_toolkit_dictionary_file"_s);
    xml.writeStartElement(u"Languages"_s);
    xml.writeEmptyElement(u"en"_s);
    xml.writeAttribute(u"Name"_s, u"English"_s);
    xml.writeEmptyElement(u"de"_s);
    xml.writeAttribute(u"Name"_s, u"Deutsch"_s);
    xml.writeEndElement();
    xml.writeStartElement(u"Charsets"_s);
    for (const QString& id : {u"en"_s, u"de"_s}) {
        xml.writeEmptyElement(id);
        xml.writeAttribute(u"Charset"_s, u"0"_s);
    }
    xml.writeEndElement();
    for (const QString& text : english) {
        xml.writeStartElement(u"Item"_s);
        xml.writeEmptyElement(u"en"_s);
        xml.writeAttribute(u"Message"_s, text);
        xml.writeEmptyElement(u"de"_s);
        xml.writeAttribute(u"Message"_s, kMarker + text);
        xml.writeEndElement();
    }
    xml.writeEndDocument();
}

} // namespace

class QtAppExampleTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    orb::RecordingPrompter m_prompter;
    QStringList m_harvested;

    QString project() const { return m_dir.filePath(u"qtapp"_s); }

    // Every text the window and what it owns show is a marked one, but the language menu's
    // entries (the languages' own names) and the texts of Qt's standard buttons (Qt's own).
    void expectAllMarked(QWidget* window, int atLeast)
    {
        QSet<QObject*> skip;
        for (QMenu* menu : window->findChildren<QMenu*>(u"menuLanguage"_s))
            for (QAction* entry : menu->actions())
                skip.insert(entry);
        for (QDialogButtonBox* box : window->findChildren<QDialogButtonBox*>())
            for (QAbstractButton* button : box->buttons())
                skip.insert(button);
        const auto texts = visibleTexts(window, skip);
        QVERIFY(texts.size() >= atLeast);
        for (const auto& [where, text] : texts) {
            if (text == u"notes 1.0") // marked notr in its form: the version stays as it is
                continue;
            QVERIFY2(text.startsWith(kMarker), qPrintable(where + u" = "_s + text));
        }
    }

private slots:
    void initTestCase()
    {
        QDir().mkpath(project());
        QDirIterator files(QStringLiteral(ORB_QTAPP_DIR), QDir::Files);
        while (files.hasNext()) {
            const QString source = files.next();
            QVERIFY(QFile::copy(source, project() + u'/' + files.fileName()));
        }
        QProcess orbLng;
        orbLng.start(QStringLiteral(ORB_LNG_EXECUTABLE),
                     {u"harvest"_s, project(), u"--language"_s, u"English(en)"_s, u"--dictionary"_s,
                      project() + u"/notes.lng"_s, u"--offer"_s, u"letters"_s, u"--answer"_s, u"yes"_s});
        QVERIFY(orbLng.waitForFinished(-1));
        QVERIFY2(orbLng.exitCode() == 0, orbLng.readAllStandardError().constData());

        TOrbTranslate reader;
        reader.SetSuppressMessage(true);
        reader.SetDictName(QDir(QCoreApplication::applicationDirPath()).relativeFilePath(project() + u"/notes.lng"_s));
        QVERIFY(reader.InitDictionary());
        m_harvested = reader.GetDictLang(u"en"_s)->Phrases;
        m_harvested.removeAll(QString());
    }

    void keysAndLogMessagesStayOut()
    {
        for (const QString& key : {u"notesMainWindow"_s, u"mainWindow/geometry"_s, u"main window created"_s,
                                   u"settings/saveOnExit"_s, u"notes 1.0"_s, u"OrbTranslate.h"_s})
            QVERIFY2(!m_harvested.contains(key), qPrintable(key));
        for (const QString& text : {u"Ready"_s, u"About Notes"_s, u"An empty note is not added."_s,
                                    u"Notes keeps short notes.\nIt is an example of translation at run time."_s,
                                    uR"(Select a note to <b>edit</b> it, or press "Add")"_s})
            QVERIFY2(m_harvested.contains(text), qPrintable(text));
    }

    void sourcesAreRewrittenIntoTranslateCalls()
    {
        const QByteArray window = readAll(project() + u"/MainWindow.cpp"_s);
        QVERIFY(window.contains(R"(setWindowTitle(Translate("Notes")))"));
        QVERIFY(window.contains(R"(setPlaceholderText(Translate(QStringLiteral("Write your note here"))))"));
        QVERIFY(window.contains(R"(tr("Ready"))")); // translated already: left as it is
        QCOMPARE(window.count("#include <OrbTranslate.h>"), 1);
        const QByteArray dialog = readAll(project() + u"/SettingsDialog.cpp"_s);
        QVERIFY(dialog.contains("#include \"ui_SettingsDialog.h\"\n#include <OrbTranslate.h>\n")
                || dialog.contains("#include <QSettings>\n#include <OrbTranslate.h>\n"));
        QCOMPARE(readAll(project() + u"/MainWindow.ui"_s), readAll(QStringLiteral(ORB_QTAPP_DIR "/MainWindow.ui")));
    }

    void windowsShowTheSecondLanguage()
    {
        const QString dictionary = m_dir.filePath(u"marked.lng"_s);
        writeMarkedDictionary(dictionary, m_harvested);
        MainWindow window(QDir(QCoreApplication::applicationDirPath()).relativeFilePath(dictionary));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.translator()->SetLangID(u"de"_s));
        expectAllMarked(&window, 25);

        SettingsDialog dialog(&window);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        expectAllMarked(&dialog, 5);
        // A standard button's text is Qt's; the tool tip the code gave it is the example's.
        const auto* buttons = dialog.findChild<QDialogButtonBox*>();
        QCOMPARE(buttons->button(QDialogButtonBox::RestoreDefaults)->toolTip(),
                 kMarker + u"Back to the settings Notes came with"_s);
        QVERIFY(m_prompter.messages.isEmpty());
    }
};

QTEST_MAIN(QtAppExampleTest)
#include "tst_qtapp_example.moc"
