#pragma once

#include "component/Prompter.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace orb {

// A prompter for tests: records every message and answers from queues that the test fills.
// Installs itself on construction and restores Qt's dialogs on destruction.
class RecordingPrompter : public Prompter
{
public:
    struct Message
    {
        QWidget* owner;
        QString caption;
        QString text;
        Icon icon;
        int buttons;
        int defaultButton = 0; // the button Enter would choose; 0 when the platform decides
        bool nonModal = false; // asked through nonModalQuestion
        QString details;       // what the question offers to show on demand
    };

    RecordingPrompter() { Prompter::install(this); }
    ~RecordingPrompter() override { Prompter::install(nullptr); }

    QList<Message> messages;          // message boxes, in order
    QStringList simpleMessages;       // texts of the simple message dialog, in order
    QList<Button> answers;            // next answers to message boxes; Ok/Cancel/... when empty
    QStringList fileAnswers;          // next answers to file and directory choosers
    QStringList fileCaptions;         // captions the choosers were opened with
    QStringList fileDirectories;      // directories the choosers started in, in order
    QStringList fileFilters;          // name filters of the file choosers, in order
    // What the user does while a non-modal question is open, one for each question in turn
    // (none when empty): run before the answer is taken. A question whose window was closed
    // meanwhile answers Cancel and takes no answer from answers.
    QList<std::function<void()>> whileAsked;

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

    QStringList texts() const;
    void clear();

private:
    Button nextAnswer(int buttons);
    QString nextFileAnswer(const QString& caption, const QString& directory);
};

} // namespace orb
