#include "FramePacer.h"

#include "FrameBudget.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace app {

namespace {
using budget::kFrameMs;
}

FramePacer::FramePacer(QWidget *window, std::function<void()> beforeShowing)
    : window(window), beforeShowing(std::move(beforeShowing))
{
    window->installEventFilter(this);
    // Input and painting reach every widget through the application.
    if (this->beforeShowing)
        QCoreApplication::instance()->installEventFilter(this);
}

FramePacer::~FramePacer()
{
    window->removeEventFilter(this);
    QCoreApplication::instance()->removeEventFilter(this);
    if (framePending)
        requestFrame();
}

void FramePacer::requestFrame()
{
    framePending = false;
    QCoreApplication::postEvent(window, new QEvent(QEvent::UpdateRequest));
}

bool FramePacer::letEventsRun()
{
    if (framePending && sinceFrame.elapsed() >= kFrameMs)
        requestFrame();
    QCoreApplication::processEvents();
    return !closed;
}

void FramePacer::finish()
{
    holding = false;
    requestFrame();
    letEventsRun();
}

bool FramePacer::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::UpdateRequest:
        if (watched != window)
            break;
        if (holding && sinceFrame.isValid() && sinceFrame.elapsed() < kFrameMs) {
            framePending = true;
            return true;
        }
        sinceFrame.start();
        if (beforeShowing)
            beforeShowing();
        break;
    case QEvent::Close:
        if (watched == window)
            closed = true;
        break;
    case QEvent::Paint:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::InputMethod:
        if (beforeShowing)
            beforeShowing();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace app
