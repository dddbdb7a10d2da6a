#pragma once

class QWidget;

// The program's name, version, maker and icon, the same on every platform as
// in the Windows version record; and the window's first place on the screen.
void setApplicationInfo();
void centreOnScreen(QWidget *window);
