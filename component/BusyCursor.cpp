#include "component/BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace orb {

BusyCursor::BusyCursor() : m_shown(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
{
    if (m_shown)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void BusyCursor::restore()
{
    if (m_shown)
        QGuiApplication::restoreOverrideCursor();
    m_shown = false;
}

} // namespace orb
