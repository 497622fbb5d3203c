#pragma once

#include "orbtranslatetoolkit_export.h"

#include <QString>

class QWidget;

// The one seam through which the toolkit and the editor talk to the user: message boxes,
// the simple message dialog and file and directory choosers. Tests install their own
// Prompter to see every message and answer every question without a display.
class ORBTRANSLATETOOLKIT_EXPORT Prompter
{
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum Button { Ok = 0x1, Cancel = 0x2, Yes = 0x4, No = 0x8 };

    virtual ~Prompter();

    // Shows a message box with the given buttons (an OR of Button) and returns the one chosen;
    // a box closed without a choice answers Cancel, or No, or Ok, whichever it offers first.
    virtual Button messageBox(QWidget* owner, const QString& caption, const QString& text,
                              Icon icon, int buttons) = 0;
    // As messageBox, with the button that Enter chooses, for questions whose safe answer is
    // not the first button. The base version ignores defaultButton and calls messageBox.
    virtual Button messageBoxWithDefault(QWidget* owner, const QString& caption,
                                         const QString& text, Icon icon, int buttons,
                                         Button defaultButton);
    // The simple message dialog: the text and an OK button, captioned with the application title.
    virtual void showMessage(const QString& text) = 0;
    // The chosen file, or empty when the user cancels. filter is in Qt's "Name (*.x);;..." form.
    virtual QString openFileName(QWidget* owner, const QString& caption, const QString& directory,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* owner, const QString& caption, const QString& directory,
                                 const QString& filter) = 0;
    // The chosen directory, or empty when the user cancels.
    virtual QString existingDirectory(QWidget* owner, const QString& caption,
                                      const QString& directory) = 0;

    // The prompter in use: the installed one, else the one built on Qt's dialogs.
    static Prompter& current();
    // Installs a prompter (not owned); nullptr goes back to Qt's dialogs.
    static void install(Prompter* prompter);
};

// Prompter built on QMessageBox, QFileDialog and friends.
class ORBTRANSLATETOOLKIT_EXPORT QtPrompter : public Prompter
{
public:
    Button messageBox(QWidget* owner, const QString& caption, const QString& text, Icon icon,
                      int buttons) override;
    Button messageBoxWithDefault(QWidget* owner, const QString& caption, const QString& text,
                                 Icon icon, int buttons, Button defaultButton) override;
    void showMessage(const QString& text) override;
    QString openFileName(QWidget* owner, const QString& caption, const QString& directory,
                         const QString& filter) override;
    QString saveFileName(QWidget* owner, const QString& caption, const QString& directory,
                         const QString& filter) override;
    QString existingDirectory(QWidget* owner, const QString& caption,
                              const QString& directory) override;
};
