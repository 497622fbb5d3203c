// The editor's document operations on a 100k-row, 4-language dictionary, each against what
// it is measured by: reading into the grid against the component's InitDictionary, importing
// one language into a document of the same rows against reading the whole file, writing
// against its SaveDictionary, sorting a column and removing empty rows against a plain
// std::stable_sort of the column's keys, the wizard's AddPhrase into the shown grid, and the
// open document's memory against the file.
// Prints a table; run by hand (QT_QPA_PLATFORM=offscreen orb_bench_editor [rows]).
#include "BestOfRuns.h"
#include "editor/DictGridModel.h"
#include "dictionary/DictSearch.h"
#include "dictionary/DictTable.h"
#include "dictionary/DictionaryGridIO.h"
#include "FreshProcessMemory.h"
#include "dictionary/DictionaryImport.h"
#include "wizard/EditedText.h"
#include "wizard/FindWords.h"
#include "editor/Main.h"
#include "component/OrbTranslate.h"
#include "SyntheticDictionary.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QUndoStack>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

const int kRuns = 5;

double bestMs(const std::function<void()>& prepare, const std::function<void()>& measured)
{
    return orb::bestOfRunsMs(kRuns, prepare, measured);
}

void row(const char* what, double ms, const char* reference, double referenceMs, const char* target)
{
    std::printf("%-34s %9.1f ms   %-30s %9.1f ms   %5.2fx  (%s)\n", what, ms, reference, referenceMs,
                ms / referenceMs, target);
}

// A table of the dictionary with every tenth row emptied, for the removal of empty rows.
orb::DictTable withEmptyRows(const orb::DictTable& table)
{
    orb::DictTable copy = table;
    for (int r = 1; r < copy.rowCount(); r += 10) {
        for (int c = 0; c < copy.columnCount(); ++c)
            copy.setCell(c, r, QString());
    }
    return copy;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The open document: the table the window's model holds, read as the window reads it.
    const orb::freshprocess::Loaders loaders{{QStringLiteral("editor"), [](const QString& file) {
        return orb::readDictionaryGrid(file, *new orb::DictTable) == orb::GridRead::Ok;
    }}};
    if (orb::freshprocess::measureIfAsked(argc, argv, loaders))
        return 0;
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dictionary.lng"));
    orb::synthetic::writeDictionary(orb::synthetic::makeDictionary(rows, 4), path);
    const qint64 fileBytes = QFileInfo(path).size();
    const QString relative = QDir(QCoreApplication::applicationDirPath()).relativeFilePath(path);
    std::printf("dictionary: %d rows x 4 languages, %.1f MB, best of %d runs\n\n", rows, fileBytes / 1e6, kRuns);

    // ---- reading ----
    std::unique_ptr<TOrbTranslate> component;
    const double init = bestMs(
        [&] {
            component.reset();
            component = std::make_unique<TOrbTranslate>();
            component->SetSuppressMessage(true);
            component->SetDictName(relative);
        },
        [&] { component->InitDictionary(); });

    std::unique_ptr<TfrmMain> window;
    const double read = bestMs(
        [&] {
            window.reset();
            window = std::make_unique<TfrmMain>();
        },
        [&] {
            if (!window->ReadDictionary(path))
                std::abort();
        });
    row("ReadDictionary (window, grid)", read, "InitDictionary (component)", init, "target <= 2x");

    // ---- importing one language ----
    orb::DictTable fileTable;
    const double readGrid = bestMs([] {}, [&] {
        if (orb::readDictionaryGrid(path, fileTable) != orb::GridRead::Ok)
            std::abort();
    });
    // Every row's key matches, and the imported language lands in a new column: all of it.
    orb::DictTable withoutImported = fileTable;
    withoutImported.removeColumn(1);
    orb::DictTable document;
    const double import = bestMs([&] { document = withoutImported; }, [&] {
        orb::ImportSource source;
        orb::ImportPlan plan;
        if (source.open(path) != orb::GridRead::Ok || !source.plan(document, 0, 0, 1, plan))
            std::abort();
        orb::applyImportPlan(document, plan);
    });
    row("import of one language (table)", import, "readDictionaryGrid", readGrid, "target <= 2x");

    // ---- writing ----
    const QString componentCopy = dir.filePath(QStringLiteral("component.lng"));
    QFile::copy(path, componentCopy);
    component.reset();
    component = std::make_unique<TOrbTranslate>();
    component->SetSuppressMessage(true);
    component->SetDictName(QDir(QCoreApplication::applicationDirPath()).relativeFilePath(componentCopy));
    component->InitDictionary();
    const double save = bestMs([] {}, [&] {
        if (!component->SaveDictionary())
            std::abort();
    });
    component.reset();
    const QString written = dir.filePath(QStringLiteral("written.lng"));
    const double write = bestMs([] {}, [&] {
        if (!window->WriteDictionary(written))
            std::abort();
    });
    row("WriteDictionary (window, indented)", write, "SaveDictionary (component)", save, "target <= 2x");

    // ---- sorting and removing empty rows ----
    const orb::DictTable& open = window->Dictionary();
    for (int col : {0, 2}) {
        std::vector<QString> keys;
        const double keysOnly = bestMs(
            [&] {
                keys.clear();
                for (int r = 1; r < open.rowCount(); ++r)
                    keys.push_back(open.cell(col, r));
            },
            [&] { std::stable_sort(keys.begin(), keys.end()); });
        orb::DictTable table;
        const double sort = bestMs([&] { table = open; }, [&] { table.sortColumn(col, true); });
        const QByteArray label = "SortColumn(" + QByteArray::number(col) + ")";
        row(label.constData(), sort, "std::stable_sort of the keys", keysOnly, "target < 2x");

        if (col == 0) {
            const double none = bestMs([&] { table = open; }, [&] { table.deleteEmptyRows(); });
            row("DeleteEmptyRows (no empty row)", none, "std::stable_sort of the keys", keysOnly, "target < 2x");
            const orb::DictTable emptied = withEmptyRows(open);
            const double some = bestMs([&] { table = emptied; }, [&] { table.deleteEmptyRows(); });
            row("DeleteEmptyRows (every 10th empty)", some, "std::stable_sort of the keys", keysOnly, "target < 2x");
        }
    }

    // ---- the grid at this size ----
    // The benchmark has no interface dictionary beside it; the window need not say so.
    window->translator()->SetSuppressMessage(true);
    window->resize(834, 621);
    window->show();
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
    orb::DictGrid* grid = window->Grid();
    QScrollBar* bar = grid->verticalScrollBar();
    int step = 0;
    const double scroll = bestMs([] {}, [&] {
        for (int i = 0; i < 20; ++i) {
            bar->setValue((bar->maximum() / 20) * (++step % 20));
            grid->viewport()->repaint();
        }
    }) / 20;
    const double edit = bestMs([] {}, [&] {
        for (int i = 0; i < 100; ++i)
            grid->dictModel()->setData(grid->dictModel()->index(rows / 2, 1), QStringLiteral("edited %1").arg(i));
    }) / 100;
    std::printf("%-34s %9.2f ms per step (%d rows to scroll through)\n", "grid: scroll and repaint", scroll, bar->maximum());
    std::printf("%-34s %9.1f us per edit\n", "grid: in-place edit stored", edit * 1000);

    // ---- harvesting into the document ----
    // As the wizard adds its phrases: each new one into a row of its own at the bottom, made
    // the current cell; then the same phrases again, which the column holds already.
    const QString header = window->Dictionary().headerText(1);
    const int phrases = 20000;
    for (const char* what : {"AddPhrase (new phrase)", "AddPhrase (phrase already there)"}) {
        QElapsedTimer harvest;
        harvest.start();
        for (int i = 0; i < phrases; ++i)
            window->AddPhrase(header, QStringLiteral("harvested phrase %1").arg(i));
        std::printf("%-34s %9.2f us per phrase (%d phrases into %d rows)\n", what,
                    double(harvest.nsecsElapsed()) / 1e3 / phrases, phrases, rows);
    }

    // ---- finding, filtering, counting and undoing in the shown grid ----
    // What a translator does many times a session: a search through every cell that finds
    // nothing, the filter of rows left to translate on and off, the status bar's figures, and
    // a sort undone and redone.
    const orb::DictTable& shownTable = window->Dictionary();
    const double findNothing = bestMs([] {}, [&] {
        if (orb::findCell(shownTable, {QStringLiteral("no such text"), -1, true, {}}, {0, 1}))
            std::abort();
    });
    std::printf("%-34s %9.1f ms (%d cells)\n", "find: a text in no cell", findNothing,
                (shownTable.rowCount() - 1) * shownTable.columnCount());
    const double filter = bestMs([] {}, [&] {
        window->applyFilter(2);
        window->applyFilter(-1);
    });
    std::printf("%-34s %9.1f ms (on and off)\n", "filter: rows without a text", filter);
    const double figures = bestMs([] {}, [&] {
        if (orb::completenessOf(shownTable).phrases == 0)
            std::abort();
    });
    std::printf("%-34s %9.1f ms\n", "status bar: completeness", figures);
    window->SortColumn(0, orb::SortChoice{});
    QUndoStack* history = grid->dictModel()->history();
    const double undoSort = bestMs([] {}, [&] {
        history->undo();
        history->redo();
    });
    std::printf("%-34s %9.1f ms (undo and redo)\n", "history: a sort", undoSort);

    // ---- the harvest window ----
    // A unit of 5 MB shown for its scan, and a literal in its middle selected.
    QString unit;
    for (int line = 0; unit.size() < 5'000'000; ++line)
        unit += QStringLiteral("  ShowMessage('Сообщение номер %1'); // строка\n").arg(line);
    const orb::EditedText unitText(unit);
    std::unique_ptr<TfrmFindWords> harvestWindow;
    const qsizetype middle = unitText.indexOf(u'\'', unitText.size() / 2);
    const double shown = bestMs(
        [&] {
            harvestWindow = std::make_unique<TfrmFindWords>();
            harvestWindow->show();
            QApplication::processEvents();
        },
        [&] {
            harvestWindow->showFile(QStringLiteral("Unit1.pas"), unitText);
            harvestWindow->showSelection({middle, unitText.indexOf(u'\'', middle + 1) - middle + 1}, true);
            QApplication::processEvents();
        });
    std::printf("%-34s %9.1f ms (a unit of %.1f million characters, a literal in its middle selected)\n",
                "harvest window: show a unit", shown, double(unit.size()) / 1e6);
    harvestWindow.reset();

    // ---- memory of the open document ----
    std::printf("\n%-34s %s  (targets: held <= 3x, peak <= 4x)\n", "memory of the open document",
                qPrintable(orb::freshprocess::describe(orb::freshprocess::measure(QStringLiteral("editor"), path),
                                                  fileBytes / 1048576.0)));
    return 0;
}
