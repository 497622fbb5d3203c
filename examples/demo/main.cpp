#include "DemoWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Orders"));
    DemoWindow window;
    window.resize(720, 480);
    window.show();
    return app.exec();
}
