#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>

class QWidget;

namespace app {

// A load runs on the window's own thread and lets the window handle its
// events at each progress point: thousands of times a second on a big file.
// Repainting at each of them would cost more than the load itself, so while a
// pacer lives the window repaints at most once a frame; a repaint asked for in
// between is held and made at the first point a frame later. Input is still
// handled at every point, so a click during the load is answered at once.
//
// What the window shows may be brought up to date lazily: the pacer calls
// its `beforeShowing` hook right before anything of the application paints
// or takes input, and at no other time. How the load uses it: docs/load.md.
class FramePacer : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FramePacer)

public:
    explicit FramePacer(QWidget *window, std::function<void()> beforeShowing = {});
    // A frame still held is asked for.
    ~FramePacer() override;

    // Lets the window repaint (if a frame has passed) and handle its pending
    // input, then returns. False once the window has been closed.
    bool letEventsRun();
    // Shows the last frame at once and lets the window handle its events.
    void finish();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void requestFrame();

    QWidget *window;
    std::function<void()> beforeShowing;
    QElapsedTimer sinceFrame;
    bool holding = true;
    bool framePending = false;
    bool closed = false;
};

} // namespace app
