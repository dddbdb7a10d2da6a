#include "widgets.h"

#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace app {

WrapButton::WrapButton(QWidget *parent) : QPushButton(parent) {}

void WrapButton::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    p.drawControl(QStyle::CE_PushButtonBevel, option);

    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(contents.adjusted(2, 1, -2, -1), Qt::AlignCenter | Qt::TextWordWrap, caption);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

void WrapButton::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && modifiers == Qt::NoModifier && !event->isAutoRepeat()) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

ShapeRect::ShapeRect(QWidget *parent) : QWidget(parent) {}

void ShapeRect::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QColor line = palette().color(QPalette::WindowText);
    p.fillRect(rect(), line);
    // The outline is one pixel of the layout wide, so it scales with it.
    p.fillRect(rect().adjusted(1, 1, -1, -1), palette().color(QPalette::Window));
}

StretchedPicture::StretchedPicture(QWidget *parent) : QLabel(parent) {}

void StretchedPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawPixmap(rect(), pixmap());
}

QPixmap picture(const QString &resource)
{
    // Told the format and not to guess, the reader goes straight to Qt's
    // own PNG reader. Left to guess, it would first load every image
    // plugin installed to ask each whether it reads the file, which costs
    // the start-up more than decoding the pictures does.
    QImageReader reader(resource, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent) {}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace app
