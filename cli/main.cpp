// orb-lng SUBCOMMAND [options]: the toolkit's work on dictionaries and projects without the
// editor, for scripts and builds.
#include "cli/Diagnostics.h"
#include "wizard/SourceFile.h"
#include "cli/Subcommands.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const std::vector<orb::Subcommand>& subcommands()
{
    static const std::vector<orb::Subcommand> all = {
        {QStringLiteral("harvest"),
         QStringLiteral("collect the literals of a Delphi or Qt project into a dictionary column"),
         orb::runHarvest},
        {QStringLiteral("pseudo"),
         QStringLiteral("fill a language column with the pseudo-translation of another"),
         orb::runPseudo},
        {QStringLiteral("check"),
         QStringLiteral("find the translation faults of a dictionary (exit status 1 on errors)"),
         orb::runCheck},
        {QStringLiteral("stats"), QStringLiteral("rows, languages and how complete each language is"), orb::runStats},
        {QStringLiteral("export"),
         QStringLiteral("write a language as a Qt Linguist (.ts) or gettext (.po) file for translators"),
         orb::runExport},
        {QStringLiteral("import"),
         QStringLiteral("take the translations of a .ts or .po file into a language column"),
         orb::runImport},
        {QStringLiteral("qm"),
         QStringLiteral("compile a language into a Qt .qm file with lrelease"),
         orb::runQm},
    };
    return all;
}

void printUsage(std::FILE* stream)
{
    QString usage = QStringLiteral("Usage: orb-lng SUBCOMMAND [options]\n\nSubcommands:\n");
    for (const orb::Subcommand& subcommand : subcommands())
        usage += QStringLiteral("  %1  %2\n").arg(subcommand.name, -10).arg(subcommand.summary);
    usage += QStringLiteral("\norb-lng SUBCOMMAND --help describes the options of one of them.\n");
    std::fputs(qUtf8Printable(usage), stream);
}

} // namespace

int main(int argc, char* argv[])
{
    orb::keepFreedMemoryForTheNextFile();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orb-lng"));
    const QStringList arguments = QCoreApplication::arguments();
    const QString name = arguments.value(1);
    if (name == u"--help" || name == u"-h" || name == u"help") {
        printUsage(stdout);
        return orb::ExitSuccess;
    }
    const auto& all = subcommands();
    const auto found = std::find_if(all.begin(), all.end(),
                                    [&](const orb::Subcommand& subcommand) { return subcommand.name == name; });
    if (found == all.end()) {
        orb::reportProblem(QCoreApplication::applicationName(),
                      name.isEmpty() ? QStringLiteral("no subcommand given")
                                     : QStringLiteral("unknown subcommand %1").arg(name));
        printUsage(stderr);
        return orb::ExitUnusableInput;
    }
    return found->run(arguments.sliced(1));
}
