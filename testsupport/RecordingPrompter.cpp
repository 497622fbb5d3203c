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

QString RecordingPrompter::nextFileAnswer(const QString& caption, const QString& directory)
{
    fileCaptions.append(caption);
    fileDirectories.append(directory);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString RecordingPrompter::openFileName(QWidget*, const QString& caption, const QString& directory, const QString& filter)
{
    fileFilters.append(filter);
    return nextFileAnswer(caption, directory);
}

QString RecordingPrompter::saveFileName(QWidget*, const QString& caption, const QString& directory, const QString& filter)
{
    fileFilters.append(filter);
    return nextFileAnswer(caption, directory);
}

QString RecordingPrompter::existingDirectory(QWidget*, const QString& caption, const QString& directory)
{
    return nextFileAnswer(caption, directory);
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
