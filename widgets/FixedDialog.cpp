#include "widgets/FixedDialog.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLayout>

namespace orb {

namespace {

// Room for the title bar's icon and its buttons, in lines of the title's font: the window
// manager draws them, and no platform interface tells their size beforehand.
const int kTitleBarButtonLines = 5;

} // namespace

int FixedDialog::titleBarWidth() const
{
    const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
    return metrics.horizontalAdvance(windowTitle()) + kTitleBarButtonLines * metrics.height();
}

void FixedDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

bool FixedDialog::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    // A changed text asks the layout again (LayoutRequest); a changed title says so itself.
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::LayoutRequest:
    case QEvent::WindowTitleChange:
        fitToTexts();
        break;
    default:
        break;
    }
    return handled;
}

void FixedDialog::fitToTexts()
{
    if (!m_designSize.isValid())
        m_designSize = minimumSize();
    QSize size = m_designSize;
    if (layout())
        size = size.expandedTo(layout()->totalMinimumSize());
    size.setWidth(std::max(size.width(), titleBarWidth()));
    if (size != this->size() || size != minimumSize() || size != maximumSize())
        setFixedSize(size);
}

} // namespace orb
