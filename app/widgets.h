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

// One of the program's own pictures, a PNG among its resources.
QPixmap picture(const QString &resource);

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
