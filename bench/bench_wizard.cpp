// The project wizard's harvest through its scanners into a 100k-row dictionary column, against
// reading and decoding the same files alone: a generated Delphi project of a few hundred units
// and forms, the same project twice over, and one large unit, every question answered Yes; a
// generated C++ tree of about 20 MB and twice that, and Qt's examples where installed, every
// question answered No.
// Prints a table; run by hand (orb_bench_wizard [the directory of Qt's examples]).
#include "BestOfRuns.h"
#include "cli/ColumnSink.h"
#include "wizard/CppHarvest.h"
#include "wizard/DesignerForm.h"
#include "dictionary/DictTable.h"
#include "wizard/Harvest.h"
#include "wizard/SourceFile.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

const int kRuns = 9;
const int kDictionaryRows = 100000;
const QByteArray kEncoding = "windows-1251";

// The text as a form file writes it: non-ASCII characters as codes, runs of others quoted.
QString formCodes(const QString& text)
{
    QString codes;
    bool quoted = false;
    for (const QChar ch : text) {
        if ((ch.unicode() < 128) != quoted) {
            codes += u'\'';
            quoted = !quoted;
        }
        codes += quoted ? QString(ch) : u'#' + QString::number(ch.unicode());
    }
    return quoted ? codes + u'\'' : codes;
}

// A unit of the given number of literals, in windows-1251 with CR LF: one in ten already
// inside Translate, each followed by lines of plain code; unit is a number that keeps phrases
// apart.
QByteArray unitSource(int unit, int literals, int codeLines)
{
    QString text = QStringLiteral("unit U%1;\ninterface\nuses Windows, SysUtils, Forms;\nimplementation\n"
                                  "procedure Run;\nvar\n  i: Integer;\nbegin\n").arg(unit);
    for (int i = 0; i < literals; ++i) {
        const QString phrase = QStringLiteral("Сообщение %1 модуля %2").arg(i).arg(unit);
        if (i % 10 == 0)
            text += QStringLiteral("  Caption := Translate('%1');\n").arg(phrase);
        else
            text += QStringLiteral("  ShowMessage('%1');\n").arg(phrase);
        for (int line = 0; line < codeLines; ++line)
            text += QStringLiteral("    Items[i + %1].Enabled := (i mod 2 = 0) and Visible; // toggle\n").arg(line);
    }
    text += QStringLiteral("end;\n\nend.\n");
    text.replace(u'\n', QStringLiteral("\r\n"));
    return QStringEncoder(kEncoding.constData()).encode(text);
}

// A text form of the given number of captions written as character codes.
QByteArray formSource(int form, int captions)
{
    QString text = QStringLiteral("object Form%1: TForm%1\n  Left = 0\n  Top = 0\n").arg(form);
    for (int i = 0; i < captions; ++i) {
        text += QStringLiteral("  object Label%1: TLabel\n    Left = 8\n    Top = %2\n    Caption = %3\n  end\n")
                    .arg(i).arg(i * 16).arg(formCodes(QStringLiteral("Надпись %1 формы %2").arg(i).arg(form)));
    }
    text += QStringLiteral("end\n");
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text.toLatin1();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// What to generate: units of so many literals each followed by so many lines of code, and the
// first so many of them with a form of so many captions.
struct Workload
{
    const char* name;
    int units;
    int literalsPerUnit;
    int codeLines;
    int forms;
    int captionsPerForm;
};

struct Project
{
    int literals = 0;
    qint64 bytes = 0;
};

Project writeProject(const QString& directory, const Workload& workload)
{
    Project project{workload.units * workload.literalsPerUnit + workload.forms * workload.captionsPerForm, 0};
    for (int unit = 0; unit < workload.units; ++unit) {
        const QString folder = directory + QStringLiteral("/part%1").arg(unit % 10);
        QDir().mkpath(folder);
        const QByteArray source = unitSource(unit, workload.literalsPerUnit, workload.codeLines);
        writeFile(folder + QStringLiteral("/Unit%1.pas").arg(unit), source);
        project.bytes += source.size();
        if (unit < workload.forms) {
            const QByteArray form = formSource(unit, workload.captionsPerForm);
            writeFile(folder + QStringLiteral("/Unit%1.dfm").arg(unit), form);
            project.bytes += form.size();
        }
    }
    return project;
}

// Every question answered alike, nothing shown.
class AnsweringPrompt : public orb::HarvestPrompt
{
public:
    explicit AnsweringPrompt(orb::Answer answer) : m_answer(answer) {}
    orb::Answer ask(orb::PromptKind, const QString&, orb::Selection&) override { return m_answer; }

private:
    orb::Answer m_answer;
};

// Reads every file and decodes it, and nothing more: what any harvest must spend.
class DecodingHarvester : public orb::ProjectHarvester
{
public:
    qsizetype characters = 0;

    orb::HarvestStep harvestUnit(const QString& path) override { return decode(path); }
    orb::HarvestStep harvestForm(const QString& path) override { return decode(path); }
    orb::HarvestStep harvestCppSource(const QString& path) override { return decode(path); }
    orb::HarvestStep harvestDesignerForm(const QString& path) override { return decode(path); }

private:
    orb::HarvestStep decode(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(path));
        const QByteArray bytes = file.readAll();
        const QString text = QByteArrayView(bytes).isValidUtf8()
            ? QString::fromUtf8(bytes)
            : QString(QStringDecoder(kEncoding.constData()).decode(bytes));
        characters += text.size();
        return orb::HarvestStep::Continue;
    }
};

// Reads every file into the form the scans work on (decoded, line ends made LF), as the harvest
// does first.
class ReadingHarvester : public orb::ProjectHarvester
{
public:
    orb::HarvestStep harvestUnit(const QString& path) override { return read(path); }
    orb::HarvestStep harvestForm(const QString& path) override { return read(path); }
    orb::HarvestStep harvestCppSource(const QString& path) override { return read(path); }
    orb::HarvestStep harvestDesignerForm(const QString& path) override { return read(path); }

protected:
    orb::HarvestStep read(const QString& path)
    {
        QString error;
        if (!orb::readSourceFile(path, kEncoding, m_file, &error))
            qFatal("%s: %s", qPrintable(path), qPrintable(error));
        return orb::HarvestStep::Continue;
    }

    orb::SourceFile m_file;
};

// Reads, then scans with every question answered alike (C++ literals with a letter offered);
// a rewritten source is made but not written, so that every run sees the same project.
class ScanningHarvester : public ReadingHarvester
{
public:
    ScanningHarvester(orb::PhraseSink& sink, orb::Answer answer) : m_sink(sink), m_prompt(answer) {}
    qsizetype rewrittenCharacters = 0;

    orb::HarvestStep harvestUnit(const QString& path) override
    {
        read(path);
        orb::EditedText text(m_file.text);
        if (orb::harvestUnitText(text, m_prompt, m_sink, path).save)
            rewrittenCharacters += text.toString().size();
        return orb::HarvestStep::Continue;
    }
    orb::HarvestStep harvestForm(const QString& path) override
    {
        read(path);
        orb::harvestFormText(orb::EditedText(orb::NormalizeFormText(m_file.text)), m_prompt, m_sink);
        return orb::HarvestStep::Continue;
    }
    orb::HarvestStep harvestCppSource(const QString& path) override
    {
        read(path);
        orb::EditedText text(m_file.text);
        if (orb::harvestCppText(text, m_prompt, m_sink, path, orb::CppOffer::WithLetter).save)
            rewrittenCharacters += text.toString().size();
        return orb::HarvestStep::Continue;
    }
    orb::HarvestStep harvestDesignerForm(const QString& path) override
    {
        read(path);
        std::vector<orb::DesignerString> strings;
        QString error;
        if (orb::readDesignerStrings(m_file.text, strings, &error))
            orb::harvestDesignerStrings(orb::EditedText(m_file.text), strings, m_prompt, m_sink);
        return orb::HarvestStep::Continue;
    }

private:
    orb::PhraseSink& m_sink;
    AnsweringPrompt m_prompt;
};

orb::DictTable dictionaryOfRows(int rows)
{
    orb::DictTable table;
    table.setColumn(0, {QStringLiteral("ru"), QStringLiteral("Russian"), 204});
    table.reserveRows(rows);
    for (int row = 1; row <= rows; ++row) {
        if (row > 1)
            table.appendRow();
        table.setCell(0, row, QStringLiteral("Фраза словаря %1").arg(row));
    }
    return table;
}

struct Timing
{
    double decodeMs;
    double readMs;
    double indexMs;
    double harvestMs;
    int phrasesAdded;
};

Timing timeProject(const QString& directory, orb::Answer answer)
{
    const orb::DictTable dictionary = dictionaryOfRows(kDictionaryRows);
    const double decodeMs = orb::bestOfRunsMs(kRuns, [] {}, [&] {
        DecodingHarvester decoder;
        orb::walkProjectDir(directory, decoder);
    });
    const double readMs = orb::bestOfRunsMs(kRuns, [] {}, [&] {
        ReadingHarvester reader;
        orb::walkProjectDir(directory, reader);
    });
    orb::DictTable table;
    std::unique_ptr<orb::ColumnSink> sink;
    // The sink hashes the column's texts once for the dictionary, whatever the project:
    // measured apart, the harvest measured with it made.
    const double indexMs = orb::bestOfRunsMs(kRuns, [&] { table = dictionary; }, [&] { orb::ColumnSink(table, 0); });
    const double harvestMs = orb::bestOfRunsMs(kRuns,
        [&] {
            table = dictionary;
            sink = std::make_unique<orb::ColumnSink>(table, 0);
        },
        [&] {
            ScanningHarvester harvester(*sink, answer);
            orb::walkProjectDir(directory, harvester);
        });
    return {decodeMs, readMs, indexMs, harvestMs, table.rowCount() - 1 - kDictionaryRows};
}

void printTiming(const Timing& timing, const char* answers)
{
    std::printf("  read and decode only              %8.1f ms\n", timing.decodeMs);
    std::printf("  read into the scans' text         %8.1f ms  (%.2f x decoding)\n", timing.readMs,
                timing.readMs / timing.decodeMs);
    std::printf("  harvest, all answers %-3s          %8.1f ms  (%.2f x reading into text; %.2f x decoding)\n",
                answers, timing.harvestMs, timing.harvestMs / timing.readMs, timing.harvestMs / timing.decodeMs);
    std::printf("  and once before it: indexing the %d rows of the column %.1f ms\n", kDictionaryRows, timing.indexMs);
}

// Harvests a workload and one twice as large, and tells how the time grew.
void harvestAndDouble(const QTemporaryDir& dir, const Workload& workload, const Workload& twice)
{
    Timing timings[2];
    int index = 0;
    for (const Workload& each : {workload, twice}) {
        const QString directory = dir.filePath(QString::fromLatin1(each.name));
        const Project project = writeProject(directory, each);
        timings[index] = timeProject(directory, orb::Answer::Yes);
        std::printf("%s: %d units, %d forms, %d literals, %.1f MB, %d phrases added\n", each.name, each.units,
                    each.forms, project.literals, double(project.bytes) / 1e6, timings[index].phrasesAdded);
        printTiming(timings[index++], "Yes");
    }
    std::printf("  twice as large costs %.2f x (linear: 2)\n\n", timings[1].harvestMs / timings[0].harvestMs);
}

// A C++ source of Qt code of about 50 KB: includes, comments, calls with user texts in English
// and Russian, translated texts, keys, log statements and raw strings.
QByteArray cppSource(int file)
{
    QString text = QStringLiteral("// Window %1 of the generated tree.\n#include \"Window%1.h\"\n#include \"ui_Window%1.h\"\n\n"
                                  "#include <QMessageBox>\n#include <QSettings>\n\n").arg(file);
    for (int function = 0; text.size() < 50000; ++function) {
        text += QStringLiteral(
                    "/* Shows part %2 of the window, with its texts. */\n"
                    "void Window%1::showPart%2()\n{\n"
                    "    setObjectName(QStringLiteral(\"part%2\"));\n"
                    "    ui->label%2->setText(\"Part %2 of window %1\");\n"
                    "    ui->title%2->setText(\"Часть %2 окна %1\");\n"
                    "    ui->button%2->setToolTip(tr(\"Open part %2\"));\n"
                    "    QSettings settings;\n"
                    "    const int size = settings.value(QStringLiteral(\"window%1/part%2\"), 10).toInt(); // remembered\n"
                    "    qDebug() << \"part\" << %2 << \"shown with\" << size;\n"
                    "    ui->help%2->setHtml(R\"(<p>Press <b>Next</b> to go on, \"Back\" to return.</p>)\");\n"
                    "    const char c = '\"';\n"
                    "    if (size > 1'000)\n"
                    "        QMessageBox::warning(this, \"Window %1\", \"The part is too large: \" \"%2\");\n}\n\n")
                    .arg(file)
                    .arg(function);
    }
    return text.toUtf8();
}

Project writeCppTree(const QString& directory, int files)
{
    Project project;
    for (int file = 0; file < files; ++file) {
        const QString folder = directory + QStringLiteral("/module%1").arg(file % 10);
        QDir().mkpath(folder);
        const QByteArray source = cppSource(file);
        writeFile(folder + QStringLiteral("/Window%1.cpp").arg(file), source);
        project.bytes += source.size();
    }
    return project;
}

void harvestCppAndDouble(const QTemporaryDir& dir, int files)
{
    Timing timings[2];
    for (int index = 0; index < 2; ++index) {
        const int count = files << index;
        const QString directory = dir.filePath(QStringLiteral("cpp%1").arg(count));
        const Project project = writeCppTree(directory, count);
        timings[index] = timeProject(directory, orb::Answer::No);
        std::printf("C++ tree: %d files, %.1f MB\n", count, double(project.bytes) / 1e6);
        printTiming(timings[index], "No");
    }
    std::printf("  twice as large costs %.2f x (linear: 2)\n\n", timings[1].harvestMs / timings[0].harvestMs);
}

// Qt's own examples: in the directory given, or where a distribution installs them.
void harvestQtExamples(const char* given)
{
    for (const char* candidate : {given, "/usr/share/qt6/examples", "/usr/lib/qt6/examples", "/usr/lib/x86_64-linux-gnu/qt6/examples"}) {
        const QString directory = QString::fromLocal8Bit(candidate);
        if (!candidate || !QDir(directory).exists())
            continue;
        std::printf("Qt's examples in %s\n", candidate);
        printTiming(timeProject(directory, orb::Answer::No), "No");
        return;
    }
    std::printf("Qt's examples are not installed here (orb_bench_wizard DIRECTORY measures them there); not measured\n");
}

class NoSink : public orb::PhraseSink
{
public:
    bool phraseExists(const QString&) const override { return false; }
    void addPhrase(const QString&) override {}
};

// A line of calls that never close ("Translate('" over and over, no ")" after it): the
// search for each call's end would walk to the end of the text every time.
double unclosedCallsMs(int calls)
{
    const QString text = QStringLiteral("uses Forms;\n") + QStringLiteral("Translate('").repeated(calls) + u'\n';
    AnsweringPrompt prompt(orb::Answer::Yes);
    NoSink sink;
    orb::EditedText buffer;
    return orb::bestOfRunsMs(
        3, [&] { buffer = orb::EditedText(text); },
        [&] { orb::harvestUnitText(buffer, prompt, sink, QStringLiteral("Unclosed.pas")); });
}

void harvestUnclosedCalls()
{
    const double once = unclosedCallsMs(100000);
    const double twice = unclosedCallsMs(200000);
    std::printf("a line of 100,000 calls without an end: %.1f ms; 200,000: %.1f ms (%.2f x, linear: 2)\n",
                once, twice, twice / once);
}

} // namespace

int main(int argc, char** argv)
{
    // As the editor and orb-lng do, so that the figures are theirs.
    orb::keepFreedMemoryForTheNextFile();
    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("no temporary directory");
    // About 20,000 literals in 300 units and 150 forms, then twice that.
    harvestAndDouble(dir, {"project", 300, 50, 2, 150, 35}, {"twice the project", 600, 50, 2, 300, 35});
    // One unit of about 5 MB with 20,000 literals, against one half its size.
    harvestAndDouble(dir, {"half the large unit", 1, 10000, 3, 0, 0}, {"one large unit", 1, 20000, 3, 0, 0});
    harvestUnclosedCalls();
    // About 20 MB of C++ in 400 files, then twice that, every offer answered No.
    harvestCppAndDouble(dir, 400);
    harvestQtExamples(argc > 1 ? argv[1] : nullptr);
    return 0;
}
