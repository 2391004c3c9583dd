#include "gui/shell/Application.h"
#include "gui/shell/WindowSet.h"

int main(int argc, char* argv[])
{
    // Windows are drawn in software, without graphics-card acceleration.
    QCoreApplication::setAttribute(Qt::AA_UseSoftwareOpenGL);
    TApplication app(argc, argv);
    TWindowSet windows;
    windows.start();
    return app.exec();
}
