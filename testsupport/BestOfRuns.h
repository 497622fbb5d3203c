#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>

namespace orb {

// The fastest of a number of runs of measured, in milliseconds; prepare runs before each and
// is not timed. The fastest run is the one least disturbed by the rest of the machine.
inline double bestOfRunsMs(int runs, const std::function<void()>& prepare, const std::function<void()>& measured)
{
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace orb
