#pragma once

#include <QString>

class QCommandLineParser;

namespace orb {

class DictTable;

// Writes one line on standard error.
void printDiagnostic(const QString& diagnostic);
// Writes "subject: message" on standard error: subject is the file concerned, or the program
// for a wrong command line.
void reportProblem(const QString& subject, const QString& message);

// Parses a subcommand's command line; --help shows the help and exits. False, with the
// problem reported, when the command line is wrong.
bool parseCommandLine(QCommandLineParser& parser, const QStringList& arguments);

// Reads a dictionary file into the table. False, with the problem reported as "file: reason",
// when that cannot be done. (Subcommands that write one use LockedDictionary.)
bool loadDictionary(const QString& path, DictTable& table);

// The text as a JSON string, quotes included.
QString jsonString(const QString& text);

} // namespace orb
