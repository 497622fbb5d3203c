#pragma once

#include "cli/Diagnostics.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace orb {

// What a subcommand tells the shell.
enum ExitStatus {
    ExitSuccess = 0,
    ExitFindings = 1,       // the subcommand found what it looks for (checks)
    ExitSourcesLeftAlone = 1, // harvest: a source changed on disk meanwhile was not rewritten
    ExitUnusableInput = 2,  // a missing or unreadable input, or wrong options
};

// One subcommand: its name on the command line, a line for orb-lng --help, and its entry point,
// which gets the command line from the subcommand's name on.
struct Subcommand
{
    QString name;
    QString summary;
    int (*run)(const QStringList& arguments);
};

// What every subcommand's entry point does: sets up the parser with describe (--help shows
// it), reads the options with readOptions, which says what makes them unusable, and runs.
template <typename Options>
int runSubcommand(const QStringList& arguments, void (*describe)(QCommandLineParser&),
                  bool (*readOptions)(const QCommandLineParser&, Options&, QString&), int (*run)(const Options&))
{
    QCommandLineParser parser;
    describe(parser);
    if (!parseCommandLine(parser, arguments))
        return ExitUnusableInput;
    Options options;
    QString problem;
    if (!readOptions(parser, options, problem)) {
        reportProblem(QCoreApplication::applicationName(), problem);
        return ExitUnusableInput;
    }
    return run(options);
}

int runHarvest(const QStringList& arguments);
int runPseudo(const QStringList& arguments);
int runCheck(const QStringList& arguments);
int runStats(const QStringList& arguments);
int runExport(const QStringList& arguments);
int runImport(const QStringList& arguments);
int runQm(const QStringList& arguments);

} // namespace orb
