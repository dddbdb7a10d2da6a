#include "startup.h"
#include "CelebrityListAccessible.h"
#include "DateComboAccessible.h"
#include "database/order/Collation.h"
#include "frmMain.h"
#include "version.h"
#include "widgets.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "platform/heap.h"
#ifdef Q_OS_WIN
#include "platform/win32.h"
#endif

namespace app {

void setApplicationInfo()
{
    QApplication::setApplicationName(QStringLiteral(FAMESCOPE_NAME));
    // The same as the window title, so that no platform appends it there.
    QApplication::setApplicationDisplayName(QStringLiteral(FAMESCOPE_NAME));
    QApplication::setApplicationVersion(QStringLiteral(FAMESCOPE_VERSION));
    QApplication::setOrganizationName(QStringLiteral(FAMESCOPE_COMPANY));
    QApplication::setDesktopFileName(QStringLiteral("example.vantorel.Famescope"));
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addPixmap(picture(QStringLiteral(":/famescope-%1.png").arg(size)));
    QApplication::setWindowIcon(icon);
}

void installAccessibility()
{
    QAccessible::installFactory(&CelebrityListAccessible::create);
    QAccessible::installFactory(&DateComboAccessible::create);
}

void centreOnScreen(QWidget *window)
{
    if (const QScreen *screen = window->screen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

void markProgramRunning()
{
#ifdef Q_OS_WIN
    platform::markRunning(FAMESCOPE_RUNNING_MARK);
#endif
}

namespace {

class FirstPaintWatch : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            deleteLater();
            // The tables stay cached by ICU once a collator has opened them.
            QTimer::singleShot(0, [] { database::Collation().prepare(); });
        }
        return false;
    }
};

} // namespace

void prepareOrderAfterFirstPaint(QWidget *window)
{
    window->installEventFilter(new FirstPaintWatch(window));
}

std::unique_ptr<frmMain> openWindow()
{
    // Before the window exists, whose first paint writes the most memory.
    platform::heapInLargePages();
    markProgramRunning();
    installAccessibility();
    auto window = std::make_unique<frmMain>();
    setApplicationInfo();
    centreOnScreen(window.get());
    prepareOrderAfterFirstPaint(window.get());
    window->show();
    return window;
}

} // namespace app
