#include "FramePacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace {
constexpr qint64 kFrameMs = 16;
}

FramePacer::FramePacer(QWidget *window) : window(window)
{
    window->installEventFilter(this);
}

FramePacer::~FramePacer()
{
    window->removeEventFilter(this);
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
    if (watched == window) {
        if (event->type() == QEvent::UpdateRequest) {
            if (holding && sinceFrame.isValid() && sinceFrame.elapsed() < kFrameMs) {
                framePending = true;
                return true;
            }
            sinceFrame.start();
        } else if (event->type() == QEvent::Close) {
            closed = true;
        }
    }
    return QObject::eventFilter(watched, event);
}
