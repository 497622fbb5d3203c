#include "component/Prompter.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>

#include <functional>
#include <utility>

namespace orb {

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

const std::pair<Prompter::Button, QMessageBox::StandardButton> kButtons[] = {
    {Prompter::Yes, QMessageBox::Yes}, {Prompter::No, QMessageBox::No},
    {Prompter::Ok, QMessageBox::Ok}, {Prompter::Cancel, QMessageBox::Cancel}};

void addButtons(QMessageBox& box, int buttons, Prompter::Button defaultButton)
{
    for (const auto& [ours, theirs] : kButtons) {
        if (buttons & ours) {
            QPushButton* button = box.addButton(theirs);
            if (ours == defaultButton)
                box.setDefaultButton(button);
        }
    }
}

// The button chosen; for a box closed without a choice, the first of Cancel, No and Ok that
// it offers.
Prompter::Button answerOf(QMessageBox::StandardButton chosen, int buttons)
{
    for (const auto& [ours, theirs] : kButtons) {
        if (chosen == theirs)
            return ours;
    }
    for (Prompter::Button fallback : {Prompter::Cancel, Prompter::No, Prompter::Ok}) {
        if (buttons & fallback)
            return fallback;
    }
    return Prompter::Ok;
}

// Room beside a window's caption for the title bar's icon, buttons and padding, in lines of
// the caption's font: the window manager draws them, and no platform interface tells their
// size (Openbox's take about seven).
const int kTitleBarButtonLines = 7;

// A box as wide as its caption needs: a short question (a file's path and "Replace the
// file?") would otherwise have its caption cut by the window manager. The box sets its own
// fixed size from its layout whenever it is shown, so the room is a spacer across the layout.
void widenForCaption(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    // Window managers draw captions in bold, as the title bar's font here is not.
    QFont captionFont = QApplication::font("QMdiSubWindowTitleBar");
    captionFont.setBold(true);
    const QFontMetrics metrics(captionFont);
    const int needed = metrics.horizontalAdvance(box.windowTitle()) + kTitleBarButtonLines * metrics.height();
    grid->addItem(new QSpacerItem(needed, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

// The box's "Show Details..." part, in a fixed-pitch font so that the columns of a diff line up.
void showDetailsOnDemand(QMessageBox& box, const QString& details)
{
    if (details.isEmpty())
        return;
    box.setDetailedText(details);
    for (QTextEdit* shown : box.findChildren<QTextEdit*>())
        shown->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

// Calls back once the watched window is closed or destroyed. A close hides the window from the
// program's side; the hide of a minimised window comes from the window system (spontaneous)
// and does not count.
class CloseWatch : public QObject
{
public:
    CloseWatch(QWidget* window, std::function<void()> closed) : m_window(window), m_closed(std::move(closed))
    {
        if (!window)
            return;
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, [this] { m_closed(); });
    }
    ~CloseWatch() override
    {
        if (m_window)
            m_window->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && !event->spontaneous())
            m_closed();
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> m_window;
    std::function<void()> m_closed;
};

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

Prompter::Button Prompter::nonModalQuestion(QWidget*, const QString& caption, const QString& text, int buttons,
                                            const QString&)
{
    return messageBox(nullptr, caption, text, Icon::Question, buttons);
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
    addButtons(box, buttons, defaultButton);
    return answerOf(QMessageBox::StandardButton(box.exec()), buttons);
}

Prompter::Button QtPrompter::nonModalQuestion(QWidget* beside, const QString& caption, const QString& text,
                                              int buttons, const QString& details)
{
    QMessageBox box(QMessageBox::Question, caption, forDisplay(text), QMessageBox::NoButton, nullptr);
    box.setWindowModality(Qt::NonModal);
    addButtons(box, buttons, Button(0));
    showDetailsOnDemand(box, details);
    // Only now: the box sets its window flags anew as buttons are added.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    // Waited for here rather than in exec(), which would make the box modal.
    QEventLoop answered;
    QObject::connect(&box, &QDialog::finished, &answered, &QEventLoop::quit);
    bool abandoned = false;
    const CloseWatch watch(beside, [&] {
        abandoned = true;
        box.hide(); // close() is refused by a box without a Cancel button
        answered.quit();
    });
    widenForCaption(box);
    box.show();
    answered.exec();
    if (abandoned)
        return Cancel;
    return answerOf(box.standardButton(box.clickedButton()), buttons);
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

} // namespace orb
