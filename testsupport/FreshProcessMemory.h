#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

namespace orb {

// Memory measured where nothing was allocated before: a benchmark that measured in its own
// process, after generating its data and freeing it, would see a loader reuse pages already
// resident and report next to nothing. The benchmark runs itself again, told which loader to
// run on which file, and that fresh process reports its resident size before and after the
// load and its peak.
namespace freshprocess {

struct Figures
{
    bool ok = false;
    double heldMb = 0; // resident after the load, less the process's resident size before it
    double peakMb = 0; // the peak during the load, less the same
};

using Loaders = std::map<QString, std::function<bool(const QString& file)>>;

// In main, before anything else: when this process was started to measure (the arguments
// say which loader on which file), runs it, prints the figures for the parent and returns
// true, and main then returns 0.
bool measureIfAsked(int argc, char** argv, const Loaders& loaders);
// Starts this program again to run the loader on the file, and reads its figures.
Figures measure(const QString& loader, const QString& file);

// The peak resident size of a whole program run to its end, less that of a run of the same
// program with baselineArguments (which loads nothing): for command-line tools.
Figures measureProgram(const QString& program, const QStringList& arguments, const QStringList& baselineArguments);

// "held 70.1 MB = 2.61x, peak 95.3 MB = 3.55x the file of 26.8 MB"
QString describe(const Figures& figures, double fileMb);

} // namespace freshprocess

} // namespace orb
