#include "frmMain.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app::frmMain window;
    return window.windowTitle() == QStringLiteral("Famescope") ? 0 : 1;
}
