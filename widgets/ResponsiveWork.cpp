#include "widgets/ResponsiveWork.h"

#include "component/BusyCursor.h"

#include <QEventLoop>
#include <QMetaObject>

#include <thread>
#include <utility>

namespace orb {

void ResponsiveWork::run(const std::function<void()>& work)
{
    const BusyCursor busy;
    m_running = true;
    QEventLoop loop;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // Painting, timers and the window manager's close go on.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    m_running = false;
    if (const std::function<void()> then = std::exchange(m_then, {}))
        then();
}

} // namespace orb
