#pragma once

#include "orbtranslatetoolkit_export.h"

#include <QString>

class QWidget;

namespace orb {

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
    // A question with no owner window, on top of every other window, with the question icon,
    // that blocks no window: while it is open the user may go on working in the others, for
    // instance select another word in beside. Returns the button chosen, or Cancel when
    // beside is closed or destroyed while the question is open (the box then closes too).
    // details, when not empty, is there to be shown on demand below the text, in a fixed-pitch
    // font (the changes a save would make, as a diff). The base version asks through
    // messageBox, which blocks, and leaves details out.
    virtual Button nonModalQuestion(QWidget* beside, const QString& caption, const QString& text,
                                    int buttons, const QString& details = QString());
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
    Button nonModalQuestion(QWidget* beside, const QString& caption, const QString& text,
                            int buttons, const QString& details = QString()) override;
    void showMessage(const QString& text) override;
    QString openFileName(QWidget* owner, const QString& caption, const QString& directory,
                         const QString& filter) override;
    QString saveFileName(QWidget* owner, const QString& caption, const QString& directory,
                         const QString& filter) override;
    QString existingDirectory(QWidget* owner, const QString& caption,
                              const QString& directory) override;
};

} // namespace orb
