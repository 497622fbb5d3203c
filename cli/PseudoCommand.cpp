// orb-lng pseudo: fills a language column with the pseudo-translation of another, so that a
// build can make the pseudo language from the dictionary it ships.
#include "cli/Diagnostics.h"
#include "cli/LockedDictionary.h"
#include "cli/Subcommands.h"

#include "dictionary/DictTable.h"
#include "dictionary/DictionaryImport.h"
#include "dictionary/LangIdentifier.h"
#include "dictionary/PseudoTranslation.h"

#include <QCommandLineParser>

namespace orb {

namespace {

struct PseudoOptions
{
    QString dictionary;
    QString from;
    QString to;
};

void describePseudo(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Fills the language --to of the dictionary with the pseudo-translation of the language "
        "--from: every text with accented letters, bracketed and padded with middle dots to about "
        "30 % more, its accelerators, placeholders, printf formats, tags, entities and "
        "line breaks kept, so that a program running in the pseudo language shows at a glance "
        "every text that is not translated or does not fit. A missing --to language is added at "
        "the right end, named Pseudo; the texts of an existing one are replaced. The dictionary "
        "is written atomically, and only while no other orb-lng writes it and no other program has changed it "
        "since it was read."));
    parser.addPositionalArgument(QStringLiteral("dictionary"), QStringLiteral("The dictionary file (.lng)."),
                                 QStringLiteral("pseudo FILE"));
    parser.addOption({QStringLiteral("from"), QStringLiteral("The identifier of the source language."),
                      QStringLiteral("id")});
    parser.addOption({QStringLiteral("to"),
                      QStringLiteral("The identifier of the pseudo language (default %1).").arg(defaultPseudoLangId()),
                      QStringLiteral("id"), defaultPseudoLangId()});
}

// The options, or a reason why they cannot be used.
bool readOptions(const QCommandLineParser& parser, PseudoOptions& options, QString& problem)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        problem = QStringLiteral("pseudo takes one dictionary file");
        return false;
    }
    options.dictionary = positional.first();
    options.from = parser.value(QStringLiteral("from"));
    options.to = parser.value(QStringLiteral("to"));
    if (options.from.isEmpty()) {
        problem = QStringLiteral("pseudo needs --from");
        return false;
    }
    // The writer would refuse the file with such an identifier; better said before reading it.
    if (checkLangId(options.to, {}) != LangIdCheck::Valid) {
        problem = QStringLiteral("--to %1 is no language identifier (an XML element name)").arg(options.to);
        return false;
    }
    if (options.to == options.from) {
        problem = QStringLiteral("--from and --to name the same language");
        return false;
    }
    return true;
}

int pseudo(const PseudoOptions& options)
{
    LockedDictionary dictionary;
    if (!dictionary.open(options.dictionary))
        return ExitUnusableInput;
    DictTable& table = dictionary.table();
    ImportPlan plan;
    if (!planPseudoColumn(table, table.findLangIdColumn(options.from), options.to, plan)) {
        reportProblem(options.dictionary, QStringLiteral("no language %1").arg(options.from));
        return ExitUnusableInput;
    }
    applyImportPlan(table, plan);
    return dictionary.save() ? ExitSuccess : ExitUnusableInput;
}

} // namespace

int runPseudo(const QStringList& arguments)
{
    return runSubcommand(arguments, describePseudo, readOptions, pseudo);
}

} // namespace orb
