#include "frmMain.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const auto window = app::openWindow();
    return application.exec();
}
