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
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

class DemoTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    RecordingPrompter m_prompter;
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
            // Qt's own button texts carry accelerators ("&OK"); the dictionary's do not.
            const QString bare = TOrbTranslate::DeleteAmpersand(text);
            QVERIFY2(column.contains(bare), qPrintable(langId + QStringLiteral(": ") + where + QStringLiteral(" = ") + text));
        }
    }

private slots:
    void initTestCase()
    {
        const QString path = m_dir.filePath(QStringLiteral("demo.lng"));
        QVERIFY(QFile::copy(QStringLiteral(DEMO_DICTIONARY), path));
        m_window = std::make_unique<DemoWindow>(QDir(QCoreApplication::applicationDirPath()).relativeFilePath(path));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->translator()->GetLangIDs(&m_ids);
        QCOMPARE(m_ids, (QStringList{QStringLiteral("English"), QStringLiteral("German"), QStringLiteral("Russian")}));
        QVERIFY(m_prompter.messages.isEmpty());
    }

    void switchesEveryTextBackAndForth()
    {
        QDialog* dialog = m_window->openSettings();
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        auto* delivery = m_window->findChild<QComboBox*>(QStringLiteral("delivery"));
        delivery->setCurrentIndex(1);
        for (const QString& language : {QStringLiteral("German"), QStringLiteral("Russian"), QStringLiteral("English")}) {
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
