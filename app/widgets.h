#pragma once

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace app {

// Small widgets the window's look needs and Qt's own do not give.

// A push button whose caption is centred and wrapped onto as many lines as
// the button needs. As on Windows, Enter presses it while it has the focus,
// as Space does; it is no default button, so Enter elsewhere presses nothing.
class WrapButton : public QPushButton
{
    Q_OBJECT

public:
    explicit WrapButton(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// A filled rectangle with a thin outline in the text colour.
class ShapeRect : public QWidget
{
    Q_OBJECT

public:
    explicit ShapeRect(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A picture stretched to fill its box, scaled as it is painted: a label with
// scaled contents would first make a smoothly scaled copy of the whole picture.
class StretchedPicture : public QLabel
{
    Q_OBJECT

public:
    explicit StretchedPicture(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// One of the program's own PNG pictures among its resources (the icons).
QPixmap picture(const QString &resource);

// One of the window's pictures, stored among the resources as its pixels
// (tools/makeart writes them): shown straight from the program's bytes, with
// nothing to decode at start-up. A null pixmap if the resource holds none.
QPixmap storedPicture(const QString &resource);

// The picture in stored pixels: the width and the height, then each row's
// pixels as 0xffRRGGBB, all 32-bit little-endian numbers. The image uses the
// bytes where they lie when it can, so they must outlive it; a null image
// if they hold no whole picture.
QImage pictureFromPixels(const uchar *bytes, qsizetype size);

// A label that reports a click of the left mouse button.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LinkLabel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace app
