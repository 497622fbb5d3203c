#include "Prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

Prompter* installedPrompter = nullptr;

// Message texts keep Windows line ends (CR LF) because hosts and dictionaries compare them
// exactly; a Qt label shows a lone line feed as the line break it means.
QString forDisplay(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

QMessageBox::Icon toQt(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::Information: return QMessageBox::Information;
    case Prompter::Icon::Warning: return QMessageBox::Warning;
    case Prompter::Icon::Error: return QMessageBox::Critical;
    case Prompter::Icon::Question: return QMessageBox::Question;
    case Prompter::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Prompter::~Prompter() = default;

Prompter& Prompter::current()
{
    static QtPrompter qtPrompter;
    return installedPrompter ? *installedPrompter : qtPrompter;
}

void Prompter::install(Prompter* prompter)
{
    installedPrompter = prompter;
}

Prompter::Button Prompter::messageBoxWithDefault(QWidget* owner, const QString& caption,
                                                const QString& text, Icon icon, int buttons,
                                                Button)
{
    return messageBox(owner, caption, text, icon, buttons);
}

Prompter::Button QtPrompter::messageBox(QWidget* owner, const QString& caption,
                                        const QString& text, Icon icon, int buttons)
{
    return messageBoxWithDefault(owner, caption, text, icon, buttons, Button(0));
}

Prompter::Button QtPrompter::messageBoxWithDefault(QWidget* owner, const QString& caption,
                                                   const QString& text, Icon icon, int buttons,
                                                   Button defaultButton)
{
    QMessageBox box(toQt(icon), caption, forDisplay(text), QMessageBox::NoButton, owner);
    const std::pair<Button, QMessageBox::StandardButton> mapping[] = {
        {Yes, QMessageBox::Yes}, {No, QMessageBox::No}, {Ok, QMessageBox::Ok}, {Cancel, QMessageBox::Cancel}};
    for (const auto& [ours, theirs] : mapping) {
        if (buttons & ours) {
            QPushButton* button = box.addButton(theirs);
            if (ours == defaultButton)
                box.setDefaultButton(button);
        }
    }
    const auto chosen = QMessageBox::StandardButton(box.exec());
    for (const auto& [ours, theirs] : mapping) {
        if (chosen == theirs)
            return ours;
    }
    for (Button fallback : {Cancel, No, Ok}) {
        if (buttons & fallback)
            return fallback;
    }
    return Ok;
}

void QtPrompter::showMessage(const QString& text)
{
    QMessageBox::information(nullptr, QApplication::applicationDisplayName(), forDisplay(text));
}

QString QtPrompter::openFileName(QWidget* owner, const QString& caption, const QString& directory,
                                 const QString& filter)
{
    return QFileDialog::getOpenFileName(owner, caption, directory, filter);
}

QString QtPrompter::saveFileName(QWidget* owner, const QString& caption, const QString& directory,
                                 const QString& filter)
{
    return QFileDialog::getSaveFileName(owner, caption, directory, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString QtPrompter::existingDirectory(QWidget* owner, const QString& caption,
                                      const QString& directory)
{
    return QFileDialog::getExistingDirectory(owner, caption, directory);
}
