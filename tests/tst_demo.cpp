// The demo program's own window, driven as a user would: every visible text of the main
// window and its dialog must be the current language's text of its dictionary row.
#include "DemoWindow.h"
#include "RecordingPrompter.h"
#include "VisibleTexts.h"

#include <OrbTranslate.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

class DemoTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    orb::RecordingPrompter m_prompter;
    QString m_dictName;
    std::unique_ptr<DemoWindow> m_window;
    QStringList m_ids;

    void expectAllIn(const QString& langId, QObject* root, int atLeast)
    {
        TOrbTranslate* translator = m_window->translator();
        const QStringList& column = translator->GetDictLang(langId)->Phrases;
        QSet<QObject*> skip;
        for (QAction* entry : m_window->languageMenu()->actions())
            skip.insert(entry);
        // The language menu's entries keep their own names on purpose.
        const auto texts = visibleTexts(root, skip);
        QVERIFY(texts.size() >= atLeast); // the walk over the window found what it shows
        for (const auto& [where, text] : texts) {
            // Qt's own button texts carry accelerators ("&OK") that the dictionary's do not; a
            // menu entry's text is held with its accelerator and without, as its tooltip shows it.
            const QString bare = TOrbTranslate::DeleteAmpersand(text);
            QVERIFY2(column.contains(bare), qPrintable(langId + QStringLiteral(": ") + where + QStringLiteral(" = ") + text));
        }
    }

    // A new start of the program: one window at a time, as the component serves one.
    void startWindow()
    {
        m_window.reset();
        m_window = std::make_unique<DemoWindow>(m_dictName);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

private slots:
    void initTestCase()
    {
        // The remembered language goes to a folder of the test's own, empty at the start.
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).removeRecursively());
        const QString path = m_dir.filePath(QStringLiteral("demo.lng"));
        QVERIFY(QFile::copy(QStringLiteral(DEMO_DICTIONARY), path));
        m_dictName = QDir(QCoreApplication::applicationDirPath()).relativeFilePath(path);
        startWindow();
        m_window->translator()->GetLangIDs(&m_ids);
        QCOMPARE(m_ids, (QStringList{QStringLiteral("English"), QStringLiteral("German"), QStringLiteral("Russian"),
                                     QStringLiteral("Hebrew"), QStringLiteral("Pseudo")}));
        QVERIFY(m_prompter.messages.isEmpty());
    }

    void switchesEveryTextBackAndForth()
    {
        QDialog* dialog = m_window->openSettings();
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        auto* delivery = m_window->findChild<QComboBox*>(QStringLiteral("delivery"));
        delivery->setCurrentIndex(1);
        for (const QString& language : {QStringLiteral("German"), QStringLiteral("Russian"), QStringLiteral("Pseudo"),
                                        QStringLiteral("English")}) {
            m_window->chooseLanguage(language);
            QCOMPARE(m_window->translator()->CurrentLangID(), language);
            expectAllIn(language, m_window.get(), 40); // the dialog is owned by the window
            QCOMPARE(delivery->currentIndex(), 1);
            // The language menu offers each language under its own name, checked when current.
            for (QAction* entry : m_window->languageMenu()->actions()) {
                QCOMPARE(entry->text(), m_window->translator()->GetLangName(entry->data().toString()));
                QCOMPARE(entry->isChecked(), entry->data().toString() == language);
            }
        }
        dialog->close();
        // Every text shown was in the dictionary: nothing had to be learned.
        QVERIFY(!m_window->translator()->Modified());
    }

    // Qt's file dialog and message box ask the component's translator for their texts.
    void qtsOwnDialogsFollowTheLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("texts"); // look in, file name, file type, Open, Yes, No
        QTest::newRow("German") << QStringLiteral("German")
                                << QStringList{u"Suchen in:"_qs, u"Dateiname:"_qs, u"Dateien des Typs:"_qs,
                                               u"Öffnen"_qs, u"Ja"_qs, u"Nein"_qs};
        QTest::newRow("Russian") << QStringLiteral("Russian")
                                 << QStringList{u"Папка:"_qs, u"Имя файла:"_qs, u"Типы файлов:"_qs, u"Открыть"_qs,
                                                u"Да"_qs, u"Нет"_qs};
    }

    void qtsOwnDialogsFollowTheLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, texts);
        m_window->chooseLanguage(language);
        QFileDialog* files = m_window->openOrderFile();
        QMessageBox* question = m_window->askToRemoveOrders();
        const auto label = [files](const char* name) { return files->findChild<QLabel*>(QLatin1String(name))->text(); };
        const auto* buttons = files->findChild<QDialogButtonBox*>();
        QCOMPARE((QStringList{label("lookInLabel"), label("fileNameLabel"), label("fileTypeLabel"),
                              TOrbTranslate::DeleteAmpersand(buttons->button(QDialogButtonBox::Open)->text()),
                              question->button(QMessageBox::Yes)->text(), question->button(QMessageBox::No)->text()}),
                 texts);
        files->close();
        question->close();
        m_window->chooseLanguage(QStringLiteral("English"));
    }

    void languageIsRememberedForTheNextStart()
    {
        QCOMPARE(m_window->translator()->CurrentLangID(), QStringLiteral("English"));
        m_window->chooseLanguage(QStringLiteral("German"));
        startWindow();
        QCOMPARE(m_window->translator()->CurrentLangID(), QStringLiteral("German"));
        m_window->chooseLanguage(QStringLiteral("English"));
    }

    // Ctrl+Q, the desktops' quit key, also where the platform names none (as offscreen).
    void ctrlQQuits()
    {
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!m_window->isVisible());
        startWindow();
    }

    // In every language each entry of the menu bar and of its menus has an accelerator of
    // its own. The language menu offers each language under its own name, without one.
    void menusHoldAcceleratorsInEveryLanguage()
    {
        QList<QMenu*> menus{};
        for (QAction* title : m_window->menuBar()->actions()) {
            if (title->menu() != m_window->languageMenu())
                menus << title->menu();
        }
        for (const QString& language : std::as_const(m_ids)) {
            m_window->chooseLanguage(language);
            QList<QList<QAction*>> groups{m_window->menuBar()->actions()};
            for (QMenu* menu : std::as_const(menus))
                groups << menu->actions();
            for (const QList<QAction*>& group : std::as_const(groups)) {
                QSet<QKeySequence> keys;
                for (const QAction* entry : group) {
                    if (entry->isSeparator())
                        continue;
                    const QKeySequence key = QKeySequence::mnemonic(entry->text());
                    QVERIFY2(!key.isEmpty() && !keys.contains(key), qPrintable(language + u": "_qs + entry->text()));
                    keys.insert(key);
                }
            }
        }
        m_window->chooseLanguage(QStringLiteral("English"));
    }

    void hebrewLaysTheWindowOutRightToLeft()
    {
        m_window->chooseLanguage(QStringLiteral("Hebrew"));
        QCOMPARE(m_window->layoutDirection(), Qt::RightToLeft);
        QCOMPARE(m_window->windowTitle(), u"הזמנות"_qs);
        m_window->chooseLanguage(QStringLiteral("English"));
        QCOMPARE(m_window->layoutDirection(), Qt::LeftToRight);
    }

    void windowOpenedAfterTheSwitchIsTranslatedOnActivation()
    {
        m_window->chooseLanguage(QStringLiteral("Russian"));
        QDialog* dialog = m_window->openSettings();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Settings"));
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Настройки"));
        expectAllIn(QStringLiteral("Russian"), dialog, 8);
        dialog->close();
        m_window->chooseLanguage(QStringLiteral("English"));
    }
};

QTEST_MAIN(DemoTest)
#include "tst_demo.moc"
