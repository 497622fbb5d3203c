#include "MainWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("OrbExamples"));
    QApplication::setApplicationName(QStringLiteral("notes"));
    MainWindow window(QStringLiteral("notes.lng"));
    window.show();
    return app.exec();
}
