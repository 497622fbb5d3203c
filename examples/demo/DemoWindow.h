#pragma once

#include <QMainWindow>

class QActionGroup;
class QDialog;
class QFileDialog;
class QMenu;
class QMessageBox;
class TOrbTranslate;

// A small order-entry window that shows what a host does with the component: one
// TOrbTranslate owned by the main window, a language menu built from the dictionary, host
// literals wrapped in Translate, and a command that keeps learned phrases.
class DemoWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit DemoWindow(const QString& dictName = QStringLiteral("language.lng"), QWidget* parent = nullptr);

    TOrbTranslate* translator() const { return m_translator; }
    QMenu* languageMenu() const { return m_languageMenu; }
    // Switches the interface language, refreshes the host's own texts and remembers the
    // language for the next start.
    void chooseLanguage(const QString& langId);
    // Creates and shows the settings dialog (owned by this window, not modal).
    QDialog* openSettings();
    // Qt's own dialogs, which the component translates through tr(): a file chooser and a
    // question with Qt's Yes and No buttons (both owned by this window, not modal).
    QFileDialog* openOrderFile();
    QMessageBox* askToRemoveOrders();

private:
    void buildMenus();
    void buildLanguageMenu();
    QWidget* buildOrderPanel();
    void showReady();
    void saveLearnedPhrases();

    TOrbTranslate* m_translator;
    QMenu* m_languageMenu = nullptr;
    QActionGroup* m_languages = nullptr;
};
