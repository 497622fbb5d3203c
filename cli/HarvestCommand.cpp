// orb-lng harvest: the project wizard's scan without windows. Every question is answered as the
// command line says, and every offer is reported as a JSON line.
#include "cli/ColumnSink.h"
#include "cli/Diagnostics.h"
#include "cli/LockedDictionary.h"
#include "cli/Subcommands.h"

#include "dictionary/DictTable.h"
#include "wizard/Harvest.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <cstdio>

namespace orb {

namespace {

// What a run does with what it found.
enum class HarvestOutput {
    List,  // reports, writes nothing
    Diff,  // answers yes, prints the rewrites as a diff, writes nothing
    Write, // writes the dictionary, then the rewritten sources
};

struct HarvestOptions
{
    QString directory;
    QString language;
    QString dictionary;
    HarvestSettings settings;
    Answer answer = Answer::No;
    HarvestOutput output = HarvestOutput::List;
};

// Line and column (both from 1) of positions in the scanned text. The scans report positions
// in increasing order, so each is counted on from the previous one and a whole file costs one
// pass, however many literals it holds.
class TextPosition
{
public:
    void restart(const EditedText& text)
    {
        m_text = &text;
        m_counted = 0;
        m_line = 1;
        m_lineStart = 0;
    }

    // The text grew at pos by these units.
    void textInserted(qsizetype pos, QStringView inserted)
    {
        const qsizetype length = inserted.size();
        // A line added (an #include) before what was counted: counted again when next asked.
        if (pos < m_counted && inserted.contains(u'\n')) {
            m_counted = 0;
            m_line = 1;
            m_lineStart = 0;
            return;
        }
        if (pos < m_lineStart)
            m_lineStart += length;
        if (pos < m_counted)
            m_counted += length;
    }

    std::pair<qsizetype, qsizetype> lineAndColumn(qsizetype pos)
    {
        if (pos < m_counted)
            restart(*m_text);
        for (; m_counted < pos; ++m_counted) {
            if (m_text->at(m_counted) == u'\n') {
                ++m_line;
                m_lineStart = m_counted + 1;
            }
        }
        return {m_line, pos - m_lineStart + 1};
    }

private:
    const EditedText* m_text = nullptr;
    qsizetype m_counted = 0;   // the positions before this one have been counted
    qsizetype m_line = 1;
    qsizetype m_lineStart = 0; // the position where line m_line begins
};

QString answerName(Answer answer)
{
    return answer == Answer::Yes ? QStringLiteral("yes") : QStringLiteral("no");
}

// Answers every question alike and writes a JSON line for every literal offered or harvested
// (unless standard output carries a diff), and a note on standard error for every file left alone.
class ReportingPrompt : public HarvestPrompt
{
public:
    ReportingPrompt(Answer answer, bool reportLiterals) : m_answer(answer), m_reportLiterals(reportLiterals) {}

    // A source was not rewritten because it changed on disk after it was read.
    bool sourceChangedOnDisk() const { return m_changedOnDisk; }

    void fileNoted(const QString& path, FileNote note, const QString& reason) override
    {
        m_changedOnDisk = m_changedOnDisk || note == FileNote::ChangedOnDisk;
        std::fflush(stdout);
        reportProblem(path, reason);
    }

    void showFile(const QString& path, const EditedText& text) override
    {
        m_path = path;
        m_file = jsonString(path);
        m_source = jsonString(sourceKindName(sourceKindOf(QFileInfo(path).fileName())));
        m_position.restart(text);
    }

    void textInserted(qsizetype pos, QStringView inserted) override
    {
        m_position.textInserted(pos, inserted);
    }

    void wrappedLiteralHarvested(Selection literal, const QString& phrase) override
    {
        report(u"wrapped", literal, phrase, QString());
    }

    void noted(HarvestNote note, Selection selection, const QString& phrase) override
    {
        const auto [line, column] = m_position.lineAndColumn(selection.start);
        std::fflush(stdout); // the note follows the offer it is about
        printDiagnostic(QStringLiteral("%1:%2:%3: note: %4").arg(m_path, QString::number(line), QString::number(column), noteText(note, phrase)));
    }

    Answer ask(PromptKind kind, const QString& argument, Selection& selection) override
    {
        if (kind == PromptKind::WrapLiteral || kind == PromptKind::AddPhrase)
            report(u"offer", selection, argument, QStringLiteral(",\"answer\":\"%1\"").arg(answerName(m_answer)));
        return m_answer;
    }

private:
    void report(QStringView kind, Selection literal, const QString& phrase, const QString& more)
    {
        if (!m_reportLiterals)
            return;
        const auto [line, column] = m_position.lineAndColumn(literal.start);
        // One pass over the pattern, so that a path or phrase holding "%3" stays as it is.
        const QString json = QStringLiteral("{\"kind\":\"%1\",\"source\":%2,\"file\":%3,\"line\":%4,\"column\":%5,\"phrase\":%6%7}\n")
                                 .arg(kind, m_source, m_file, QString::number(line), QString::number(column),
                                      jsonString(phrase), more);
        std::fputs(qUtf8Printable(json), stdout);
    }

    static QString noteText(HarvestNote note, const QString& phrase)
    {
        switch (note) {
        case HarvestNote::NotWholeLiteral:
            return QStringLiteral("added to the dictionary, not rewritten: not a whole string: ") + jsonString(phrase);
        case HarvestNote::NoQStringHere:
            return QStringLiteral("added to the dictionary, not rewritten: no QString can stand here: ") + jsonString(phrase);
        case HarvestNote::NothingToAdd:
            break;
        }
        return QStringLiteral("nothing added: the selection holds no text");
    }

    Answer m_answer;
    bool m_reportLiterals;
    bool m_changedOnDisk = false;
    QString m_path;
    QString m_file;
    QString m_source;
    TextPosition m_position;
};

void describeHarvest(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Walks a project directory and its subdirectories, as the editor's project wizard does, "
        "and offers every string literal with a non-ASCII character in its Delphi units (.pas) "
        "and text forms (.dfm), the literals of its C++ sources (.cpp .cc .cxx .c++ .h .hh .hpp "
        ".hxx) that --offer chooses, and the texts of its Qt Designer forms (.ui). Every offer, "
        "and every literal already translated (Translate, tr, QT_TR_NOOP...), is written as a "
        "JSON line on standard output. Accepted phrases go into the language column of the "
        "dictionary; accepted literals of units and C++ sources are rewritten into "
        "Translate(...) calls. The dictionary is written first, then the sources, each only "
        "while it is still what was read and only inside the project folder; every source left "
        "alone, and every entry passed over as no file, is noted on standard error. Exit status "
        "1: a source changed on disk during the harvest and was not rewritten."));
    parser.addPositionalArgument(QStringLiteral("directory"), QStringLiteral("The project directory."),
                                 QStringLiteral("harvest DIR"));
    parser.addOption({QStringLiteral("language"),
                      QStringLiteral("The target column's header, as the editor shows it: Name(id)."),
                      QStringLiteral("header")});
    parser.addOption({QStringLiteral("dictionary"), QStringLiteral("The dictionary file (.lng)."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("answer"),
                      QStringLiteral("Answer every question yes (add, rewrite and save) or no "
                                     "(keep only the literals inside Translate(...))."),
                      QStringLiteral("yes|no")});
    parser.addOption({QStringLiteral("list"),
                      QStringLiteral("Answer no and write nothing: only report (the default).")});
    parser.addOption({QStringLiteral("diff"),
                      QStringLiteral("Answer yes, but write nothing: print the rewrites of the sources as a "
                                     "unified diff (UTF-8, for patch -p1 in the project folder) instead of "
                                     "the JSON lines.")});
    parser.addOption({QStringLiteral("encoding"),
                      QStringLiteral("The code page of source files that are not UTF-8 (default windows-1251)."),
                      QStringLiteral("name"), QStringLiteral("windows-1251")});
    parser.addOption({QStringLiteral("offer"),
                      QStringLiteral("Which C++ literals are offered: those with a non-ASCII character "
                                     "(the default), or every one with a letter that is not a key "
                                     "(object names, settings keys, log messages...)."),
                      QStringLiteral("non-ascii|letters"), QStringLiteral("non-ascii")});
}

// The options, or a reason why they cannot be used.
bool readOptions(const QCommandLineParser& parser, HarvestOptions& options, QString& problem)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        problem = QStringLiteral("harvest takes one project directory");
        return false;
    }
    options.directory = QDir::cleanPath(positional.first());
    options.language = parser.value(QStringLiteral("language"));
    options.dictionary = parser.value(QStringLiteral("dictionary"));
    options.settings.legacyEncoding = parser.value(QStringLiteral("encoding")).toLatin1();
    const QString offer = parser.value(QStringLiteral("offer"));
    if (offer != u"non-ascii" && offer != u"letters") {
        problem = QStringLiteral("--offer is non-ascii or letters, not %1").arg(offer);
        return false;
    }
    options.settings.cppOffer = offer == u"letters" ? CppOffer::WithLetter : CppOffer::NonAscii;
    if (options.language.isEmpty() || options.dictionary.isEmpty()) {
        problem = QStringLiteral("harvest needs --language and --dictionary");
        return false;
    }
    const int modes = int(parser.isSet(QStringLiteral("answer"))) + int(parser.isSet(QStringLiteral("list")))
                      + int(parser.isSet(QStringLiteral("diff")));
    if (modes > 1) {
        problem = QStringLiteral("--answer, --list and --diff exclude each other");
        return false;
    }
    if (parser.isSet(QStringLiteral("diff"))) {
        options.answer = Answer::Yes;
        options.output = HarvestOutput::Diff;
    }
    if (parser.isSet(QStringLiteral("answer"))) {
        const QString answer = parser.value(QStringLiteral("answer"));
        if (answer != u"yes" && answer != u"no") {
            problem = QStringLiteral("--answer is yes or no, not %1").arg(answer);
            return false;
        }
        options.answer = answer == u"yes" ? Answer::Yes : Answer::No;
        options.output = HarvestOutput::Write;
    }
    if (!QStringDecoder(options.settings.legacyEncoding.constData()).isValid()) {
        problem = QStringLiteral("unknown code page %1").arg(QString::fromLatin1(options.settings.legacyEncoding));
        return false;
    }
    return true;
}

void printDiffs(const FileHarvester& harvester, const QString& directory)
{
    for (const SourceRewrite& rewrite : harvester.keptRewrites())
        std::fputs(qUtf8Printable(rewriteDiff(rewrite, QDir(directory).relativeFilePath(rewrite.path))), stdout);
}

// The dictionary first, then the sources: a kill between the two, or during either, leaves no
// Translate call on disk whose phrase the dictionary on disk lacks.
bool writeResults(LockedDictionary& dictionary, const ColumnSink& sink, FileHarvester& harvester)
{
    if (sink.changed() && !dictionary.save())
        return false;
    if (harvester.writeKeptRewrites() == HarvestStep::Failed) {
        printDiagnostic(harvester.errorText());
        return false;
    }
    return true;
}

int harvest(const HarvestOptions& options)
{
    if (!QFileInfo(options.directory).isDir()) {
        reportProblem(options.directory, QStringLiteral("no such directory"));
        return ExitUnusableInput;
    }
    // Only a run that writes holds the lock; the others read what is there.
    LockedDictionary dictionary;
    const bool writes = options.output == HarvestOutput::Write;
    if (!(writes ? dictionary.open(options.dictionary) : loadDictionary(options.dictionary, dictionary.table())))
        return ExitUnusableInput;
    DictTable& table = dictionary.table();
    const int column = table.findLangColumn(options.language);
    if (column < 0) {
        reportProblem(options.dictionary, QStringLiteral("no language column %1").arg(options.language));
        return ExitUnusableInput;
    }

    ColumnSink sink(table, column);
    ReportingPrompt prompt(options.answer, options.output != HarvestOutput::Diff);
    FileHarvester harvester(prompt, sink, options.settings);
    harvester.keepRewrites();
    const bool walked = walkProjectDir(options.directory, harvester) != HarvestStep::Failed;
    std::fflush(stdout);
    if (!walked)
        printDiagnostic(harvester.errorText());
    if (options.output == HarvestOutput::Diff)
        printDiffs(harvester, options.directory);
    // What was harvested before a failure is written as well: it is whole file by file.
    if (writes && !writeResults(dictionary, sink, harvester))
        return ExitUnusableInput;
    if (!walked)
        return ExitUnusableInput;
    return prompt.sourceChangedOnDisk() ? ExitSourcesLeftAlone : ExitSuccess;
}

} // namespace

int runHarvest(const QStringList& arguments)
{
    return runSubcommand(arguments, describeHarvest, readOptions, harvest);
}

} // namespace orb
