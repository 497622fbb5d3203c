#pragma once

namespace orb {

// The hourglass for the span of a long piece of work, taken back on every way out, or
// earlier by restore(). Nothing in a program without a GUI application.
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor() { restore(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    void restore();

private:
    bool m_shown;
};

} // namespace orb
