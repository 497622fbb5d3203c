// An application written the usual Qt way (tr() in code, a uic form with retranslateUi,
// changeEvent) driven only through the component.
#include "component/OrbTranslate.h"
#include "RecordingPrompter.h"
#include "ui_qtprotocolform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

namespace {

// English, German, Russian and Hebrew (charset 177) texts of the window, and Qt's own Yes/No.
const char kDictionary[] = R"(<Varnok_translation_toolkit_dictionary_file>
<Languages><en Name="English"/><de Name="Deutsch"/><ru Name="Русский"/><he Name="עברית"/></Languages>
<Charsets><en Charset="0"/><de Charset="0"/><ru Charset="204"/><he Charset="177"/></Charsets>
<Item><en Message="Settings"/><de Message="Einstellungen"/><ru Message="Настройки"/><he Message="הגדרות"/></Item>
<Item><en Message="Welcome"/><de Message="Willkommen"/><ru Message="Добро пожаловать"/><he Message="ברוכים הבאים"/></Item>
<Item><en Message="&amp;Open"/><de Message="Ö&amp;ffnen"/><ru Message="&amp;Открыть"/><he Message="&amp;פתח"/></Item>
<Item><en Message="Opens a file"/><de Message="Öffnet eine Datei"/><ru Message="Открывает файл"/><he Message="פותח קובץ"/></Item>
<Item><en Message="%n file(s) saved"/><de Message="%n Datei(en) gespeichert"/><ru Message="Сохранено файлов: %n"/><he Message="%n קבצים נשמרו"/></Item>
<Item><en Message="Yes"/><de Message="Ja"/><ru Message="Да"/><he Message="כן"/></Item>
<Item><en Message="Two&#10;lines"/><de Message="Zwei&#13;&#10;Zeilen"/><ru Message=""/><he Message=""/></Item>
<Item><en Message="Three&#10;lines"/><de Message="Drei&#10;Zeilen"/><ru Message=""/><he Message=""/></Item>
<Item><en Message="Home"/><de Message="Startseite"/><ru Message="Главная"/><he Message="בית"/></Item>
<Item><en Message="No"/><de Message="Nein"/><ru Message="Нет"/><he Message="לא"/></Item>
</Varnok_translation_toolkit_dictionary_file>)";

class UsualQtWindow : public QWidget
{
    Q_OBJECT

public:
    UsualQtWindow()
    {
        ui.setupUi(this);
        saved = new QLabel(this);
        ui.layout->addWidget(saved);
        retranslate();
    }

    // Title, label, button, its tooltip, the text the dictionary lacks, the text set in code.
    QStringList texts() const
    {
        return {windowTitle(), ui.greeting->text(), ui.open->text(), ui.open->toolTip(), ui.untranslated->text(),
                saved->text()};
    }

    Ui::QtProtocolForm ui;
    QLabel* saved;
    int languageChanges = 0;

protected:
    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::LanguageChange) {
            ++languageChanges;
            ui.retranslateUi(this);
            retranslate();
        }
        QWidget::changeEvent(event);
    }

private:
    void retranslate() { saved->setText(tr("%n file(s) saved", nullptr, 3)); }
};

QStringList expectedTexts(const QString& language)
{
    static const QHash<QString, QStringList> texts = {
        {u"en"_qs, {u"Settings"_qs, u"Welcome"_qs, u"&Open"_qs, u"Opens a file"_qs, u"Not in the dictionary"_qs, u"3 file(s) saved"_qs}},
        {u"de"_qs, {u"Einstellungen"_qs, u"Willkommen"_qs, u"Ö&ffnen"_qs, u"Öffnet eine Datei"_qs, u"Not in the dictionary"_qs, u"3 Datei(en) gespeichert"_qs}},
        {u"ru"_qs, {u"Настройки"_qs, u"Добро пожаловать"_qs, u"&Открыть"_qs, u"Открывает файл"_qs, u"Not in the dictionary"_qs, u"Сохранено файлов: 3"_qs}},
        {u"he"_qs, {u"הגדרות"_qs, u"ברוכים הבאים"_qs, u"&פתח"_qs, u"פותח קובץ"_qs, u"Not in the dictionary"_qs, u"3 קבצים נשמרו"_qs}},
    };
    return texts.value(language);
}

} // namespace

class QtProtocolTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    orb::RecordingPrompter m_prompter; // no message box may block a test

    std::unique_ptr<TOrbTranslate> started(bool useQtTranslator = true)
    {
        const QString path = m_dir.filePath(u"language.lng"_qs);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(kDictionary) != qint64(sizeof kDictionary - 1))
            qFatal("cannot write the dictionary");
        file.close();
        auto component = std::make_unique<TOrbTranslate>();
        component->SetDictName(QDir(QCoreApplication::applicationDirPath()).relativeFilePath(path));
        component->SetUseQtTranslator(useQtTranslator);
        component->DefineProperties();
        return component;
    }

private slots:
    void everyTextFollowsEverySwitchBackAndForth()
    {
        const auto component = started();
        UsualQtWindow window;
        window.show();
        for (const QString& language : {u"de"_qs, u"ru"_qs, u"en"_qs, u"he"_qs, u"de"_qs, u"en"_qs}) {
            QVERIFY(component->SetLangID(language));
            QCOMPARE(window.texts(), expectedTexts(language));
            // The walk again, as when the window is activated: it and the handler agree.
            component->TranslateForm(&window);
            QCOMPARE(window.texts(), expectedTexts(language));
        }
        QCOMPARE(window.languageChanges, 6);
        // A miss shows the source text and is never learned.
        QCOMPARE(QCoreApplication::translate("Any", "Not in the dictionary"), u"Not in the dictionary"_qs);
        QVERIFY(!component->Modified());
        QVERIFY(component->SaveDictionary());
        QFile saved(m_dir.filePath(u"language.lng"_qs));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(!saved.readAll().contains("Not in the dictionary"));
    }

    void lineBreaksReachQtAsLineFeedsAlone()
    {
        const auto component = started();
        QVERIFY(component->SetLangID(u"de"_qs));
        QCOMPARE(QCoreApplication::translate("Any", "Two\nlines"), u"Zwei\nZeilen"_qs);
        QCOMPARE(QCoreApplication::translate("Any", "Three\nlines"), u"Drei\nZeilen"_qs);
        // The host's own Translate() keeps its CR LF.
        QCOMPARE(component->Translate(u"Three\nlines"_qs), u"Drei\r\nZeilen"_qs);
    }

    void qtsOwnButtonsFollowTheLanguage()
    {
        const auto component = started();
        QVERIFY(component->SetLangID(u"de"_qs));
        QMessageBox box(QMessageBox::Question, u"?"_qs, u"?"_qs, QMessageBox::Yes | QMessageBox::No);
        box.show();
        QCOMPARE(box.button(QMessageBox::Yes)->text(), u"Ja"_qs);
        QCOMPARE(box.button(QMessageBox::No)->text(), u"Nein"_qs);
        QVERIFY(component->SetLangID(u"ru"_qs));
        QCOMPARE(box.button(QMessageBox::Yes)->text(), u"Да"_qs);
        QCOMPARE(box.button(QMessageBox::No)->text(), u"Нет"_qs);
    }

    void keyNamesAreNotPhrases()
    {
        const auto component = started();
        QVERIFY(component->SetLangID(u"de"_qs));
        QCOMPARE(QCoreApplication::translate("Any", "Home"), u"Startseite"_qs);
        QCOMPARE(QKeySequence(Qt::Key_Home).toString(QKeySequence::NativeText), u"Home"_qs);
    }

    void hebrewAndArabicLayOutRightToLeft()
    {
        const auto component = started();
        UsualQtWindow window;
        for (const auto& [language, direction] :
             {std::pair{u"he"_qs, Qt::RightToLeft}, {u"de"_qs, Qt::LeftToRight}, {u"he"_qs, Qt::RightToLeft},
              {u"en"_qs, Qt::LeftToRight}}) {
            QVERIFY(component->SetLangID(language));
            QCOMPARE(QGuiApplication::layoutDirection(), direction);
            QCOMPARE(window.layoutDirection(), direction);
        }
    }

    void withoutTheTranslatorQtsMachineryIsLeftAlone()
    {
        const auto component = started(false);
        UsualQtWindow window;
        QVERIFY(component->SetLangID(u"de"_qs));
        QCOMPARE(window.languageChanges, 0);
        QCOMPARE(window.saved->text(), u"3 file(s) saved"_qs);
        QCOMPARE(window.ui.greeting->text(), u"Willkommen"_qs); // the walk still translates
    }

    void destroyingTheComponentRemovesItsTranslator()
    {
        auto component = started();
        QVERIFY(component->SetLangID(u"de"_qs));
        QCOMPARE(QCoreApplication::translate("Any", "Welcome"), u"Willkommen"_qs);
        component.reset();
        QCOMPARE(QCoreApplication::translate("Any", "Welcome"), u"Welcome"_qs);
    }
};

QTEST_MAIN(QtProtocolTest)
#include "tst_qt_protocol.moc"
