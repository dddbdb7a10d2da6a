#include "startup.h"
#include "version.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QWidget>

void setApplicationInfo()
{
    QApplication::setApplicationName(QStringLiteral(FAMESCOPE_NAME));
    // The same as the window title, so that no platform appends it there.
    QApplication::setApplicationDisplayName(QStringLiteral(FAMESCOPE_NAME));
    QApplication::setApplicationVersion(QStringLiteral(FAMESCOPE_VERSION));
    QApplication::setOrganizationName(QStringLiteral(FAMESCOPE_COMPANY));
    QApplication::setDesktopFileName(QStringLiteral("famescope"));
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/famescope-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
}

void centreOnScreen(QWidget *window)
{
    if (const QScreen *screen = window->screen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}
