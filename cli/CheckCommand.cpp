// orb-lng check and orb-lng stats: the faults of a dictionary that would ship to users, for a
// CI job to fail on, and how complete each language is.
#include "cli/Diagnostics.h"
#include "cli/DictionaryCheck.h"
#include "cli/Subcommands.h"

#include "dictionary/DictTable.h"

#include <QCommandLineParser>

#include <algorithm>
#include <cstdio>

namespace orb {

namespace {

struct CheckOptions
{
    QString dictionary;
    QString source; // empty: the first language
    bool json = false;
    bool strict = false;
};

void describeDictionary(QCommandLineParser& parser, const QString& syntax)
{
    parser.addPositionalArgument(QStringLiteral("dictionary"), QStringLiteral("The dictionary file (.lng)."), syntax);
    parser.addOption({QStringLiteral("source"),
                      QStringLiteral("The identifier of the language the others are checked against (default: the first)."),
                      QStringLiteral("id")});
}

void describeCheck(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Checks every text of the dictionary against the source language's text of its row: "
        "placeholders (%1, %L1, %n, printf formats), accelerators (&), tags, the blanks at either "
        "end, the line count and empty texts; keys the lookup never reaches because an earlier "
        "row holds them too (in any case, or with other accelerators) with other translations; "
        "identifiers that are no XML names and unknown charsets. Prints file:row: language: "
        "severity: message and each language's completeness. Exit status 0 without errors, 1 "
        "with errors (warnings too with --strict), 2 when the file cannot be read."));
    describeDictionary(parser, QStringLiteral("check FILE"));
    parser.addOption({QStringLiteral("format"), QStringLiteral("text (default) or json (one object per line)."),
                      QStringLiteral("format"), QStringLiteral("text")});
    parser.addOption({QStringLiteral("strict"), QStringLiteral("Warnings count as errors for the exit status.")});
}

void describeStats(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Prints the dictionary's rows, its languages and how complete each is against the source."));
    describeDictionary(parser, QStringLiteral("stats FILE"));
}

bool readDictionaryOptions(const QCommandLineParser& parser, CheckOptions& options, QString& problem)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        problem = QStringLiteral("give one dictionary file");
        return false;
    }
    options.dictionary = positional.first();
    options.source = parser.value(QStringLiteral("source"));
    return true;
}

bool readCheckOptions(const QCommandLineParser& parser, CheckOptions& options, QString& problem)
{
    if (!readDictionaryOptions(parser, options, problem))
        return false;
    const QString format = parser.value(QStringLiteral("format"));
    if (format != u"text" && format != u"json") {
        problem = QStringLiteral("--format is text or json, not %1").arg(format);
        return false;
    }
    options.json = format == u"json";
    options.strict = parser.isSet(QStringLiteral("strict"));
    return true;
}

// The table and its source column, or false with the problem reported.
bool loadWithSource(const CheckOptions& options, DictTable& table, int& source)
{
    if (!loadDictionary(options.dictionary, table))
        return false;
    source = options.source.isEmpty() ? 0 : table.findLangIdColumn(options.source);
    if (source < 0) {
        reportProblem(options.dictionary, QStringLiteral("no language %1").arg(options.source));
        return false;
    }
    return true;
}

double percent(const LanguageCompleteness& figure)
{
    return figure.rows == 0 ? 100.0 : 100.0 * figure.translated / figure.rows;
}

QString severityName(CheckSeverity severity)
{
    return severity == CheckSeverity::Error ? QStringLiteral("error") : QStringLiteral("warning");
}

void print(const QString& line)
{
    std::fputs(qUtf8Printable(line + u'\n'), stdout);
}

void printText(const QString& path, const DictTable& table, const CheckReport& report)
{
    for (const CheckFinding& finding : report.findings) {
        const QString where = finding.row > 0 ? QStringLiteral("%1:%2").arg(path).arg(finding.row) : path;
        print(QStringLiteral("%1: %2: %3: %4")
                  .arg(where, table.column(finding.column).langId, severityName(finding.severity), finding.message));
    }
    for (const LanguageCompleteness& figure : report.completeness)
        print(QStringLiteral("%1: %2: %3 % translated (%4 of %5 rows)")
                  .arg(path, table.column(figure.column).langId)
                  .arg(percent(figure), 0, 'f', 1)
                  .arg(figure.translated)
                  .arg(figure.rows));
}

void printJson(const QString& path, const DictTable& table, const CheckReport& report)
{
    const QString file = jsonString(path);
    for (const CheckFinding& finding : report.findings)
        print(QStringLiteral("{\"kind\":\"finding\",\"file\":%1,\"row\":%2,\"language\":%3,\"severity\":\"%4\",\"rule\":\"%5\",\"message\":%6}")
                  .arg(file)
                  .arg(finding.row)
                  .arg(jsonString(table.column(finding.column).langId), severityName(finding.severity), finding.rule,
                       jsonString(finding.message)));
    for (const LanguageCompleteness& figure : report.completeness)
        print(QStringLiteral("{\"kind\":\"completeness\",\"file\":%1,\"language\":%2,\"translated\":%3,\"rows\":%4}")
                  .arg(file, jsonString(table.column(figure.column).langId))
                  .arg(figure.translated)
                  .arg(figure.rows));
}

int check(const CheckOptions& options)
{
    DictTable table;
    int source = 0;
    if (!loadWithSource(options, table, source))
        return ExitUnusableInput;
    const CheckReport report = checkDictionary(table, source);
    if (options.json)
        printJson(options.dictionary, table, report);
    else
        printText(options.dictionary, table, report);
    const bool failed = std::any_of(report.findings.begin(), report.findings.end(), [&](const CheckFinding& finding) {
        return options.strict || finding.severity == CheckSeverity::Error;
    });
    return failed ? ExitFindings : ExitSuccess;
}

int stats(const CheckOptions& options)
{
    DictTable table;
    int source = 0;
    if (!loadWithSource(options, table, source))
        return ExitUnusableInput;
    const std::vector<LanguageCompleteness> figures = languageCompletenessOf(table, source);
    print(QStringLiteral("%1: %2 rows, %3 languages, source %4")
              .arg(options.dictionary)
              .arg(table.rowCount() - 1)
              .arg(table.columnCount())
              .arg(table.column(source).langId));
    for (const LanguageCompleteness& figure : figures)
        print(QStringLiteral("%1 (%2): %3 % (%4 of %5 rows)")
                  .arg(table.column(figure.column).langId, table.column(figure.column).langName)
                  .arg(percent(figure), 0, 'f', 1)
                  .arg(figure.translated)
                  .arg(figure.rows));
    return ExitSuccess;
}

} // namespace

int runCheck(const QStringList& arguments)
{
    return runSubcommand(arguments, describeCheck, readCheckOptions, check);
}

int runStats(const QStringList& arguments)
{
    return runSubcommand(arguments, describeStats, readDictionaryOptions, stats);
}

} // namespace orb
