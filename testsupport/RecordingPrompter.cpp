#include "RecordingPrompter.h"

#include <QPointer>
#include <QWidget>

namespace orb {

Prompter::Button RecordingPrompter::messageBox(QWidget* owner, const QString& caption,
                                               const QString& text, Icon icon, int buttons)
{
    return messageBoxWithDefault(owner, caption, text, icon, buttons, Button(0));
}

Prompter::Button RecordingPrompter::messageBoxWithDefault(QWidget* owner, const QString& caption,
                                                          const QString& text, Icon icon,
                                                          int buttons, Button defaultButton)
{
    messages.append({owner, caption, text, icon, buttons, defaultButton, false, QString()});
    return nextAnswer(buttons);
}

Prompter::Button RecordingPrompter::nextAnswer(int buttons)
{
    if (!answers.isEmpty())
        return answers.takeFirst();
    for (Button b : {Ok, Yes, No, Cancel}) {
        if (buttons & b)
            return b;
    }
    return Ok;
}

Prompter::Button RecordingPrompter::nonModalQuestion(QWidget* beside, const QString& caption, const QString& text,
                                                     int buttons, const QString& details)
{
    messages.append({nullptr, caption, text, Icon::Question, buttons, 0, true, details});
    const QPointer<QWidget> window(beside);
    const bool shown = beside && beside->isVisible();
    if (!whileAsked.isEmpty())
        whileAsked.takeFirst()();
    if (shown && (!window || !window->isVisible()))
        return Cancel;
    return nextAnswer(buttons);
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

} // namespace orb
