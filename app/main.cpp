#include "frmMain.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    markProgramRunning();
    installAccessibility();
    frmMain window;
    setApplicationInfo();
    centreOnScreen(&window);
    prepareOrderAfterFirstPaint(&window);
    window.show();
    return app.exec();
}
