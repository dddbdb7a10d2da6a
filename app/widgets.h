#pragma once

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

// Small widgets the window's look needs and Qt's own do not give.

// A push button whose caption is centred and wrapped onto as many lines as
// the button needs.
class WrapButton : public QPushButton
{
    Q_OBJECT

public:
    explicit WrapButton(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
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

// A picture stretched to fill its box, scaled as it is painted: a scaled copy
// of the whole picture would cost its memory and its scaling at start-up.
class StretchedPicture : public QWidget
{
    Q_OBJECT

public:
    explicit StretchedPicture(QWidget *parent = nullptr);
    void setPixmap(const QPixmap &pixmap);
    const QPixmap &pixmap() const { return picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap picture;
};

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
