#pragma once

#include <functional>

namespace orb {

// Runs work (a read or write of a whole file) on a thread of its own under the busy cursor,
// while the windows repaint and the window manager's close reaches them. The user's clicks
// and keys wait until the work is done, so that nothing changes a document meanwhile.
class ResponsiveWork
{
public:
    void run(const std::function<void()>& work);
    // run is under way (a window's close then waits for it).
    bool running() const { return m_running; }
    // What to do once the work under way is done (a close that came meanwhile): run once, the
    // next time run ends. A second request before then replaces the first.
    void whenDone(std::function<void()> then) { m_then = std::move(then); }

private:
    bool m_running = false;
    std::function<void()> m_then;
};

} // namespace orb
