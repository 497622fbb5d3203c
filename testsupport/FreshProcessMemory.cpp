#include "FreshProcessMemory.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace orb {


namespace freshprocess {

namespace {

constexpr char kFlag[] = "--measure-memory-in-fresh-process";

// A field of /proc/self/status in kilobytes (VmRSS, VmHWM), or -1.
long statusKilobytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// The peak resident size of a run of the program, in kilobytes; -1 when it failed.
long peakOfRun(const QString& program, const QStringList& arguments)
{
    QList<QByteArray> storage{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        storage.append(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status))
        return -1;
    return usage.ru_maxrss;
}

} // namespace

bool measureIfAsked(int argc, char** argv, const Loaders& loaders)
{
    if (argc != 4 || std::strcmp(argv[1], kFlag) != 0)
        return false;
    const auto loader = loaders.find(QString::fromLocal8Bit(argv[2]));
    if (loader == loaders.end())
        return true;
    const QString file = QString::fromLocal8Bit(argv[3]);
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts from here
    const long before = statusKilobytes("VmRSS:");
    const bool loaded = loader->second(file);
    const long peak = statusKilobytes("VmHWM:");
    const long after = statusKilobytes("VmRSS:");
    if (loaded)
        std::printf("%ld %ld\n", after - before, peak - before);
    return true;
}

Figures measure(const QString& loader, const QString& file)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kFlag), loader, file});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return {};
    const QList<QByteArray> numbers = child.readAllStandardOutput().trimmed().split(' ');
    if (numbers.size() != 2)
        return {};
    return {true, numbers[0].toDouble() / 1024.0, numbers[1].toDouble() / 1024.0};
}

Figures measureProgram(const QString& program, const QStringList& arguments, const QStringList& baselineArguments)
{
    const long baseline = peakOfRun(program, baselineArguments);
    const long peak = peakOfRun(program, arguments);
    if (baseline < 0 || peak < 0)
        return {};
    return {true, 0, double(peak - baseline) / 1024.0};
}

QString describe(const Figures& figures, double fileMb)
{
    if (!figures.ok)
        return QStringLiteral("not measured: the measuring process failed");
    QString text;
    if (figures.heldMb > 0)
        text = QStringLiteral("held %1 MB = %2x, ").arg(figures.heldMb, 0, 'f', 1).arg(figures.heldMb / fileMb, 0, 'f', 2);
    return text + QStringLiteral("peak %1 MB = %2x the file of %3 MB")
                      .arg(figures.peakMb, 0, 'f', 1)
                      .arg(figures.peakMb / fileMb, 0, 'f', 2)
                      .arg(fileMb, 0, 'f', 1);
}

} // namespace freshprocess

} // namespace orb
