// orb-lng export, import and qm: one language of a dictionary out to the translators' tools
// (Qt Linguist's .ts, gettext's .po) and back, and compiled into a .qm for QTranslator.
#include "cli/Diagnostics.h"
#include "cli/LockedDictionary.h"
#include "cli/Subcommands.h"

#include "dictionary/DictTable.h"
#include "interop/Interop.h"
#include "dictionary/LangIdentifier.h"
#include "component/SafeFile.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>

namespace orb {

namespace {

struct ExportOptions
{
    QString dictionary;
    QString language;
    QString source; // empty: the first language
    InteropFormat format = InteropFormat::Po;
    QString output;
    QString context;
};

struct ImportOptions
{
    QString dictionary;
    QString input;
    QString language;
    QString source;
    InteropImportOptions import;
};

const QCommandLineOption kLanguageOption{QStringLiteral("language"),
                                         QStringLiteral("The identifier of the translated language."),
                                         QStringLiteral("id")};
const QCommandLineOption kSourceOption{QStringLiteral("source"),
                                       QStringLiteral("The identifier of the source language (default: the first)."),
                                       QStringLiteral("id")};
const QCommandLineOption kOutputOption{{QStringLiteral("o"), QStringLiteral("output")},
                                       QStringLiteral("The file to write."), QStringLiteral("file")};
const QCommandLineOption kContextOption{
    QStringLiteral("context"),
    QStringLiteral("The context of the messages (default: the dictionary's file name without its extension in "
                   ".ts files, none in .po files)."),
    QStringLiteral("name")};

void describeExportOptions(QCommandLineParser& parser, const QString& positional)
{
    parser.addPositionalArgument(QStringLiteral("dictionary"), QStringLiteral("The dictionary file (.lng)."), positional);
    parser.addOption(kLanguageOption);
    parser.addOption(kSourceOption);
    parser.addOption(kOutputOption);
    parser.addOption(kContextOption);
}

void describeExport(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Writes one language of the dictionary as a Qt Linguist (.ts) or gettext (.po) file: one message per "
        "row with a source text, the language's text as its translation; an empty one is written unfinished "
        "(.ts) or untranslated (.po). A source text in several rows is written once, with the first row's "
        "translation, and the other rows are reported. The file is written atomically."));
    describeExportOptions(parser, QStringLiteral("export FILE"));
    parser.addOption({QStringLiteral("to"), QStringLiteral("ts or po (default: the extension of -o)."),
                      QStringLiteral("format")});
}

void describeQm(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Compiles one language of the dictionary into a Qt .qm file for QTranslator, through a .ts file and "
        "Qt's lrelease (searched on PATH, then in /usr/lib/qt6/bin; ORB_LRELEASE names another). The messages' "
        "context is the one a program passes to QTranslator::translate; unfinished (empty) translations are "
        "left out, so that Qt shows the source text."));
    describeExportOptions(parser, QStringLiteral("qm FILE"));
}

void describeImport(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Takes the translations of a Qt Linguist (.ts) or gettext (.po) file into a language of the "
        "dictionary (the format by the extension .ts, .po or .pot, else by the content). Every row whose "
        "source text is a message's source gets its translation; a new language is added at the right end. "
        "Reported as FILE:LINE: messages no row has (--add-missing adds a row for each), plural forms (the "
        "singular is taken), a source text again with another translation (the first is kept), unfinished "
        "translations (taken as empty unless --keep-unfinished). Obsolete messages are skipped and counted. "
        "The dictionary is written atomically, and only while no other orb-lng writes it and no other program "
        "has changed it since it was read."));
    parser.addPositionalArgument(QStringLiteral("dictionary"), QStringLiteral("The dictionary file (.lng)."),
                                 QStringLiteral("import FILE"));
    parser.addPositionalArgument(QStringLiteral("input"), QStringLiteral("The .ts or .po file."), QStringLiteral("IN"));
    parser.addOption(kLanguageOption);
    parser.addOption(kSourceOption);
    parser.addOption({QStringLiteral("add-missing"),
                      QStringLiteral("Append a row (source text and translation) for each message no row has.")});
    parser.addOption({QStringLiteral("keep-unfinished"),
                      QStringLiteral("Take unfinished (.ts) and fuzzy (.po) translations as they are.")});
}

bool readLanguageOptions(const QCommandLineParser& parser, const QString& command, QString& language,
                         QString& source, QString& problem)
{
    language = parser.value(kLanguageOption);
    source = parser.value(kSourceOption);
    if (language.isEmpty()) {
        problem = QStringLiteral("%1 needs --language").arg(command);
        return false;
    }
    if (checkLangId(language, {}) != LangIdCheck::Valid) {
        problem = QStringLiteral("--language %1 is no language identifier (an XML element name)").arg(language);
        return false;
    }
    if (language == source) {
        problem = QStringLiteral("--language and --source name the same language");
        return false;
    }
    return true;
}

bool readExportCommon(const QCommandLineParser& parser, const QString& command, ExportOptions& options,
                      QString& problem)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        problem = QStringLiteral("%1 takes one dictionary file").arg(command);
        return false;
    }
    options.dictionary = positional.first();
    options.output = parser.value(kOutputOption);
    if (options.output.isEmpty()) {
        problem = QStringLiteral("%1 needs -o").arg(command);
        return false;
    }
    options.context = parser.isSet(kContextOption) ? parser.value(kContextOption) : QString();
    return readLanguageOptions(parser, command, options.language, options.source, problem);
}

bool readExportOptions(const QCommandLineParser& parser, ExportOptions& options, QString& problem)
{
    if (!readExportCommon(parser, QStringLiteral("export"), options, problem))
        return false;
    const QString to = parser.isSet(QStringLiteral("to")) ? parser.value(QStringLiteral("to"))
                                                          : QFileInfo(options.output).suffix().toLower();
    if (to == u"ts") {
        options.format = InteropFormat::Ts;
    } else if (to == u"po" || to == u"pot") {
        options.format = InteropFormat::Po;
    } else {
        problem = QStringLiteral("--to %1: ts or po").arg(to.isEmpty() ? QStringLiteral("missing") : to);
        return false;
    }
    if (!parser.isSet(kContextOption) && options.format == InteropFormat::Ts)
        options.context = QFileInfo(options.dictionary).completeBaseName();
    return true;
}

bool readQmOptions(const QCommandLineParser& parser, ExportOptions& options, QString& problem)
{
    if (!readExportCommon(parser, QStringLiteral("qm"), options, problem))
        return false;
    options.format = InteropFormat::Ts;
    if (!parser.isSet(kContextOption))
        options.context = QFileInfo(options.dictionary).completeBaseName();
    return true;
}

bool readImportOptions(const QCommandLineParser& parser, ImportOptions& options, QString& problem)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        problem = QStringLiteral("import takes a dictionary file and a .ts or .po file");
        return false;
    }
    options.dictionary = positional[0];
    options.input = positional[1];
    options.import.addMissing = parser.isSet(QStringLiteral("add-missing"));
    options.import.keepUnfinished = parser.isSet(QStringLiteral("keep-unfinished"));
    return readLanguageOptions(parser, QStringLiteral("import"), options.language, options.source, problem);
}

// What an option of the import does about a note, to follow its text; empty for the others.
QString optionHint(InteropNote::Code code)
{
    switch (code) {
    case InteropNote::Code::UnfinishedLeftOut:
        return QStringLiteral(" (--keep-unfinished takes it)");
    case InteropNote::Code::NoRowForSource:
        return QStringLiteral(" (--add-missing adds one)");
    default:
        return {};
    }
}

void printNotes(const QString& file, const std::vector<InteropNote>& notes)
{
    for (const InteropNote& note : notes) {
        const QString where = note.line > 0 ? QStringLiteral("%1:%2").arg(file).arg(note.line)
                                            : QStringLiteral("%1: row %2").arg(file).arg(note.row);
        printDiagnostic(
            QStringLiteral("%1: %2%3: %4").arg(where, note.message, optionHint(note.code), jsonString(note.text)));
    }
}

// The source column named by --source, or the first; -1 with the problem reported.
int sourceColumn(const DictTable& table, const QString& dictionary, const QString& source)
{
    const int col = source.isEmpty() ? 0 : table.findLangIdColumn(source);
    if (col < 0)
        reportProblem(dictionary, QStringLiteral("no language %1").arg(source));
    return col;
}

bool writeAtomically(const QString& path, const QByteArray& bytes)
{
    orb::SafeFile out(path);
    if (out.open() && out.write(bytes.constData(), bytes.size()) && out.commit())
        return true;
    reportProblem(path, QStringLiteral("cannot write: %1").arg(out.errorString()));
    return false;
}

// The exported file's bytes, with the rows that gave no message of their own reported; empty
// with the problem reported when the dictionary or a language is missing.
std::optional<QByteArray> exportedBytes(const ExportOptions& options)
{
    DictTable table;
    if (!loadDictionary(options.dictionary, table))
        return std::nullopt;
    const int langCol = table.findLangIdColumn(options.language);
    if (langCol < 0) {
        reportProblem(options.dictionary, QStringLiteral("no language %1").arg(options.language));
        return std::nullopt;
    }
    const int sourceCol = sourceColumn(table, options.dictionary, options.source);
    if (sourceCol < 0)
        return std::nullopt;
    if (sourceCol == langCol) {
        reportProblem(options.dictionary, QStringLiteral("%1 is the source language").arg(options.language));
        return std::nullopt;
    }
    std::vector<InteropNote> notes;
    InteropCatalog catalog = catalogFromTable(table, langCol, sourceCol, options.context, notes);
    catalog.project = QFileInfo(options.dictionary).completeBaseName();
    if (options.format == InteropFormat::Po) {
        for (const InteropMessage& message : catalog.messages) {
            if (const QString objection = msgfmtObjection(message); !objection.isEmpty())
                notes.push_back({InteropNote::Code::msgfmtObjection, message.line, 0, objection, message.translation});
        }
    }
    printNotes(options.dictionary, notes);
    return options.format == InteropFormat::Ts ? writeTs(catalog) : writePo(catalog);
}

int exportLanguage(const ExportOptions& options)
{
    const std::optional<QByteArray> bytes = exportedBytes(options);
    return bytes && writeAtomically(options.output, *bytes) ? ExitSuccess : ExitUnusableInput;
}

int importLanguage(const ImportOptions& options)
{
    LockedDictionary dictionary;
    if (!dictionary.open(options.dictionary))
        return ExitUnusableInput;
    DictTable& table = dictionary.table();
    const int sourceCol = sourceColumn(table, options.dictionary, options.source);
    if (sourceCol < 0)
        return ExitUnusableInput;
    if (table.column(sourceCol).langId == options.language) {
        reportProblem(options.dictionary, QStringLiteral("%1 is the source language").arg(options.language));
        return ExitUnusableInput;
    }
    InteropCatalog catalog;
    QString error;
    if (!readInteropFile(options.input, catalog, &error)) {
        reportProblem(options.input, error);
        return ExitUnusableInput;
    }
    std::vector<InteropNote> notes;
    const InteropImportResult result = importCatalog(table, catalog, sourceCol, options.language, options.import, notes);
    printNotes(options.input, notes);
    if (result.obsolete > 0)
        reportProblem(options.input, QStringLiteral("obsolete messages skipped: %1").arg(result.obsolete));
    return dictionary.save() ? ExitSuccess : ExitUnusableInput;
}

// lrelease: ORB_LRELEASE, else on PATH, else where Debian's Qt 6 puts it; empty when missing.
QString findLrelease()
{
    const QString named = qEnvironmentVariable("ORB_LRELEASE");
    if (!named.isEmpty())
        return QStandardPaths::findExecutable(named);
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("lrelease"));
    return onPath.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("lrelease"), {QStringLiteral("/usr/lib/qt6/bin")})
                            : onPath;
}

int compileQm(const ExportOptions& options)
{
    const QString lrelease = findLrelease();
    if (lrelease.isEmpty()) {
        reportProblem(QCoreApplication::applicationName(),
                      QStringLiteral("Qt's lrelease is not installed (Debian: apt-get install qt6-l10n-tools)"));
        return ExitUnusableInput;
    }
    const std::optional<QByteArray> ts = exportedBytes(options);
    if (!ts)
        return ExitUnusableInput;
    QTemporaryDir scratch;
    const QString tsPath = scratch.filePath(QStringLiteral("messages.ts"));
    const QString qmPath = scratch.filePath(QStringLiteral("messages.qm"));
    QFile tsFile(tsPath);
    if (!scratch.isValid() || !tsFile.open(QIODevice::WriteOnly) || tsFile.write(*ts) != ts->size() || !tsFile.flush()) {
        reportProblem(scratch.path(), QStringLiteral("cannot write a temporary file: %1").arg(tsFile.errorString()));
        return ExitUnusableInput;
    }
    tsFile.close();
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(lrelease, {QStringLiteral("-silent"), tsPath, QStringLiteral("-qm"), qmPath});
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        reportProblem(lrelease, QStringLiteral("failed: %1").arg(process.error() == QProcess::FailedToStart
                                                                     ? process.errorString()
                                                                     : QStringLiteral("exit code %1").arg(process.exitCode())));
        return ExitUnusableInput;
    }
    QFile qm(qmPath);
    if (!qm.open(QIODevice::ReadOnly)) {
        reportProblem(qmPath, qm.errorString());
        return ExitUnusableInput;
    }
    return writeAtomically(options.output, qm.readAll()) ? ExitSuccess : ExitUnusableInput;
}

} // namespace

int runExport(const QStringList& arguments)
{
    return runSubcommand(arguments, describeExport, readExportOptions, exportLanguage);
}

int runImport(const QStringList& arguments)
{
    return runSubcommand(arguments, describeImport, readImportOptions, importLanguage);
}

int runQm(const QStringList& arguments)
{
    return runSubcommand(arguments, describeQm, readQmOptions, compileQm);
}

} // namespace orb
