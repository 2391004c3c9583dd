#include "shell/WindowSet.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Windows are drawn in software, without graphics-card acceleration.
    QCoreApplication::setAttribute(Qt::AA_UseSoftwareOpenGL);
    QApplication app(argc, argv);
    TWindowSet windows;
    windows.start();
    return app.exec();
}
