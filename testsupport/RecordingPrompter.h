#pragma once

#include "Prompter.h"

#include <QList>
#include <QString>
#include <QStringList>

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

    QStringList texts() const;
    void clear();

private:
    QString nextFileAnswer(const QString& caption, const QString& directory);
};
