#pragma once

#include <memory>

class QWidget;

namespace app {

class frmMain;

// What the program does from its start to its window's first paint, in
// order: the heap's large pages, the running mark, the accessibility
// factories, the window, the application's data and icon, the window's
// place, the order's tables readied after the first paint; then the window
// is shown. main() and the start-up benchmark both start so.
std::unique_ptr<frmMain> openWindow();

// The program's name, version, maker and icon, the same on every platform as
// in the Windows version record; and the window's first place on the screen.
void setApplicationInfo();
// Gives assistive technology the window's own kinds of element as it should
// see them: the celebrity list and the date drop-downs. Once, before the
// window is made.
void installAccessibility();
void centreOnScreen(QWidget *window);
// On Windows, lets the installer see that the program runs, so that it asks
// the user to close it before replacing or removing it; elsewhere nothing.
void markProgramRunning();
// Once the window has first been painted, long before anyone can click the
// load button, readies the list's alphabetical order (the locale's collation
// tables take a while to load), so that neither the first paint nor the load
// waits for them.
void prepareOrderAfterFirstPaint(QWidget *window);

} // namespace app
