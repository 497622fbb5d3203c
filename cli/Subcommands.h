#pragma once

#include <QString>
#include <QStringList>

// What a subcommand tells the shell.
enum ExitStatus {
    ExitSuccess = 0,
    ExitFindings = 1,       // the subcommand found what it looks for (checks)
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

int runHarvest(const QStringList& arguments);
int runPseudo(const QStringList& arguments);
