#pragma once

#include <QMainWindow>

#include <memory>

class QActionGroup;
class TOrbTranslate;

namespace Ui {
class MainWindow;
}

// The main window of Notes: a list of notes, an editor for one, and a Language menu made from
// the dictionary's languages.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // dictName: the dictionary, relative to the executable's directory.
    explicit MainWindow(const QString& dictName, QWidget* parent = nullptr);
    ~MainWindow() override;

    TOrbTranslate* translator() const { return m_translator; }

private:
    void buildLanguageMenu();
    void addNote();
    void removeNote();
    void importNote();
    void printNotes();
    void showAbout();
    void openSettings();

    std::unique_ptr<Ui::MainWindow> ui;
    TOrbTranslate* m_translator;
    QActionGroup* m_languages;
};
