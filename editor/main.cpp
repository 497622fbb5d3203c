#include "Main.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    TfrmMain window;
    const QRect desktop = window.screen()->availableGeometry();
    window.move(desktop.center() - window.rect().center());
    window.show();
    return application.exec();
}
