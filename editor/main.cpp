#include "Main.h"
#include "SourceFile.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char* argv[])
{
    KeepFreedMemoryForTheNextFile();
    QApplication application(argc, argv);
    TfrmMain window;
    const QRect desktop = window.screen()->availableGeometry();
    window.move(desktop.center() - window.rect().center());
    window.show();
    return application.exec();
}
