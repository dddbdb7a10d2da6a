#include "frmMain.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    app::markProgramRunning();
    app::installAccessibility();
    app::frmMain window;
    app::setApplicationInfo();
    app::centreOnScreen(&window);
    app::prepareOrderAfterFirstPaint(&window);
    window.show();
    return application.exec();
}
