#include "editor/Main.h"
#include "editor/QtTranslations.h"
#include "wizard/SourceFile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>

#include <cstring>

namespace {

void describe(QCommandLineParser& parser)
{
    QCoreApplication::setApplicationVersion(QStringLiteral(ORB_VERSION));
    parser.setApplicationDescription(QStringLiteral("The dictionary editor of the Varnok Translation Toolkit."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A dictionary (.lng) to open."),
                                 QStringLiteral("[file]"));
}

// --help and --version answer without a display: scripts and packages ask them anywhere.
bool asksForTextOnly(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "-?", "-v", "--version", "--help-all"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (asksForTextOnly(argc, argv)) {
        QCoreApplication application(argc, argv);
        QCommandLineParser parser;
        describe(parser);
        parser.process(application); // prints and exits
        return 0;
    }
    orb::keepFreedMemoryForTheNextFile();
    QApplication application(argc, argv);
    QCommandLineParser parser;
    describe(parser);
    parser.process(application);
    // Installed before the window's component installs its dictionary, which Qt thus asks
    // first; the window loads the interface language into it.
    orb::loadQtTranslations(QString());
    TfrmMain window;
    const QRect desktop = window.screen()->availableGeometry();
    window.move(desktop.center() - window.rect().center());
    window.show();
    // A file manager's "Open with" and the command line: a file that cannot be read is
    // reported as one chosen in the open dialog would be, over an empty window.
    if (!parser.positionalArguments().isEmpty())
        window.openGivenDictionary(parser.positionalArguments().first());
    return application.exec();
}
