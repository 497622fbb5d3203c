// orb-lng check of a large dictionary (reading it into the editor's table and checking every
// text) against the component's InitDictionary of the same file.
#include "BestOfRuns.h"
#include "dictionary/DictTable.h"
#include "cli/DictionaryCheck.h"
#include "dictionary/DictionaryGridIO.h"
#include "component/OrbTranslate.h"
#include "SyntheticDictionary.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const int rows = 100000;
    const QString path = dir.filePath(QStringLiteral("check.lng"));
    orb::synthetic::writeDictionary(orb::synthetic::makeDictionary(rows, 4), path);

    TOrbTranslate component;
    component.SetSuppressMessage(true);
    component.SetDictName(QDir(QCoreApplication::applicationDirPath()).relativeFilePath(path));
    component.DefineProperties();
    const int runs = 5;
    const double load = orb::bestOfRunsMs(runs, [] {}, [&] { component.InitDictionary(); });
    std::size_t findings = 0;
    const double check = orb::bestOfRunsMs(runs, [] {}, [&] {
        orb::DictTable table;
        if (orb::readDictionaryGrid(path, table) != orb::GridRead::Ok)
            qFatal("cannot read %s", qPrintable(path));
        findings = orb::checkDictionary(table, 0).findings.size();
    });
    std::printf("%d rows x 4 languages (%zu findings)\n", rows, findings);
    std::printf("  InitDictionary                 %8.1f ms\n", load);
    std::printf("  orb-lng check (read + check)   %8.1f ms  (%.2f x InitDictionary; target <= 3)\n", check, check / load);
    return 0;
}
