#include "DemoWindow.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Orders"));
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption language(QStringLiteral("language"),
                                      QStringLiteral("Start in the language with this identifier (German, Hebrew, Pseudo...)."),
                                      QStringLiteral("id"));
    parser.addOption(language);
    parser.process(app);
    DemoWindow window;
    window.resize(720, 480);
    window.show();
    if (parser.isSet(language))
        window.chooseLanguage(parser.value(language));
    return app.exec();
}
