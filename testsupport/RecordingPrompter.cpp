#include "RecordingPrompter.h"

Prompter::Button RecordingPrompter::messageBox(QWidget* owner, const QString& caption,
                                               const QString& text, Icon icon, int buttons)
{
    return messageBoxWithDefault(owner, caption, text, icon, buttons, Button(0));
}

Prompter::Button RecordingPrompter::messageBoxWithDefault(QWidget* owner, const QString& caption,
                                                          const QString& text, Icon icon,
                                                          int buttons, Button defaultButton)
{
    messages.append({owner, caption, text, icon, buttons, defaultButton});
    if (!answers.isEmpty())
        return answers.takeFirst();
    for (Button b : {Ok, Yes, No, Cancel}) {
        if (buttons & b)
            return b;
    }
    return Ok;
}

void RecordingPrompter::showMessage(const QString& text)
{
    simpleMessages.append(text);
}

QString RecordingPrompter::nextFileAnswer(const QString& caption)
{
    fileCaptions.append(caption);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString RecordingPrompter::openFileName(QWidget*, const QString& caption, const QString&, const QString& filter)
{
    fileFilters.append(filter);
    return nextFileAnswer(caption);
}

QString RecordingPrompter::saveFileName(QWidget*, const QString& caption, const QString&, const QString& filter)
{
    fileFilters.append(filter);
    return nextFileAnswer(caption);
}

QString RecordingPrompter::existingDirectory(QWidget*, const QString& caption, const QString&)
{
    return nextFileAnswer(caption);
}

QStringList RecordingPrompter::texts() const
{
    QStringList result;
    for (const Message& m : messages)
        result.append(m.text);
    return result;
}

void RecordingPrompter::clear()
{
    messages.clear();
    simpleMessages.clear();
}
