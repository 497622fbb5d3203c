// orb-lng export and import of one language of a 100k-row dictionary against the gettext and
// Qt tools on the same data: msgfmt compiling the .po we write, lconvert converting the .ts.
#include "BestOfRuns.h"
#include "FreshProcessMemory.h"
#include "SyntheticDictionary.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Runs a program to its end; false (with its error output printed) when it fails.
bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAllStandardError().constData());
        return false;
    }
    return true;
}

QString tool(const QString& name)
{
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStandardPaths::findExecutable(name, {QStringLiteral("/usr/lib/qt6/bin")}) : found;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString orbLng = QStringLiteral(ORB_LNG_EXECUTABLE);
    const QString msgfmt = tool(QStringLiteral("msgfmt"));
    const QString lconvert = tool(QStringLiteral("lconvert"));
    if (msgfmt.isEmpty() || lconvert.isEmpty()) {
        std::printf("msgfmt or lconvert is not installed; nothing measured\n");
        return 0;
    }
    QTemporaryDir dir;
    const int rows = 100000;
    const QList<TLangDict> dictionary = orb::synthetic::makeDictionary(rows, 4);
    const QString lng = dir.filePath(QStringLiteral("big.lng"));
    orb::synthetic::writeDictionary(dictionary, lng);
    const QString source = dictionary[0].LangID;
    const QString language = dictionary[1].LangID;
    const QString po = dir.filePath(QStringLiteral("out.po"));
    const QString ts = dir.filePath(QStringLiteral("out.ts"));
    const QString work = dir.filePath(QStringLiteral("work.lng"));
    const int runs = 3;
    bool ok = true;
    const auto timed = [&](const QString& program, const QStringList& arguments, const std::function<void()>& prepare = [] {}) {
        return orb::bestOfRunsMs(runs, prepare, [&] { ok = run(program, arguments) && ok; });
    };
    const double exportPo = timed(orbLng, {QStringLiteral("export"), lng, QStringLiteral("--language"), language,
                                           QStringLiteral("--source"), source, QStringLiteral("-o"), po});
    const double exportTs = timed(orbLng, {QStringLiteral("export"), lng, QStringLiteral("--language"), language,
                                           QStringLiteral("--source"), source, QStringLiteral("-o"), ts});
    const double compilePo = timed(msgfmt, {QStringLiteral("-o"), dir.filePath(QStringLiteral("out.mo")), po});
    const double convertTs = timed(lconvert, {QStringLiteral("-i"), ts, QStringLiteral("-o"), dir.filePath(QStringLiteral("back.po"))});
    // Into a copy, whose new column the import adds each time.
    const auto fresh = [&] {
        QFile::remove(work);
        QFile::copy(lng, work);
    };
    const QStringList importInto{QStringLiteral("--language"), QStringLiteral("xx"), QStringLiteral("--source"), source};
    const double importPo = timed(orbLng, QStringList{QStringLiteral("import"), work, po} + importInto, fresh);
    const double importTs = timed(orbLng, QStringList{QStringLiteral("import"), work, ts} + importInto, fresh);
    if (!ok)
        return 1;
    std::printf("One language of a %d-row, 4-language dictionary; best of %d runs, whole processes\n", rows, runs);
    std::printf("  orb-lng export to .po         %8.0f ms   msgfmt on it   %8.0f ms   %5.2f x (target <= 2)\n",
                exportPo, compilePo, exportPo / compilePo);
    std::printf("  orb-lng export to .ts         %8.0f ms   lconvert on it %8.0f ms   %5.2f x (target <= 2)\n",
                exportTs, convertTs, exportTs / convertTs);
    std::printf("  orb-lng import of the .po     %8.0f ms   msgfmt on it   %8.0f ms   %5.2f x (target <= 2)\n",
                importPo, compilePo, importPo / compilePo);
    std::printf("  orb-lng import of the .ts     %8.0f ms   lconvert on it %8.0f ms   %5.2f x (target <= 2)\n",
                importTs, convertTs, importTs / convertTs);

    // Against the dictionary's size: what the import holds is the dictionary and the catalogue.
    fresh();
    const orb::freshprocess::Figures importMemory = orb::freshprocess::measureProgram(
        orbLng, QStringList{QStringLiteral("import"), work, ts} + importInto, {QStringLiteral("--help")});
    std::printf("  orb-lng import of the .ts, memory beyond orb-lng --help: %s\n",
                qPrintable(orb::freshprocess::describe(importMemory, QFileInfo(lng).size() / 1048576.0)));
    return 0;
}
