#include "widgets.h"

#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResource>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QtEndian>

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

QImage pictureFromPixels(const uchar *bytes, qsizetype size)
{
    constexpr qsizetype kHeader = 8;
    // Far larger than any picture the window shows, and small enough that
    // width times height times four cannot overflow.
    constexpr quint32 kSideMax = 1 << 14;
    if (!bytes || size < kHeader)
        return {};
    const quint32 width = qFromLittleEndian<quint32>(bytes);
    const quint32 height = qFromLittleEndian<quint32>(bytes + 4);
    if (width == 0 || height == 0 || width > kSideMax || height > kSideMax ||
        size != kHeader + qsizetype(width) * height * 4)
        return {};
    const uchar *pixels = bytes + kHeader;
    // Where the stored numbers are already the machine's own, the image
    // reads them where they lie: no copy, and no memory to fill.
    if (QSysInfo::ByteOrder == QSysInfo::LittleEndian &&
        reinterpret_cast<quintptr>(pixels) % alignof(quint32) == 0)
        return QImage(pixels, int(width), int(height), int(width) * 4, QImage::Format_RGB32);
    QImage image(int(width), int(height), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const uchar *stored = pixels + qsizetype(y) * width * 4;
        for (quint32 x = 0; x < width; ++x)
            line[x] = qFromLittleEndian<quint32>(stored + x * 4);
    }
    return image;
}

QPixmap storedPicture(const QString &resource)
{
    const QResource stored(resource);
    if (stored.compressionAlgorithm() == QResource::NoCompression)
        return QPixmap::fromImage(pictureFromPixels(stored.data(), stored.size()));
    // Compressed, the pixels are copied out of their bytes anyway.
    const QByteArray bytes = stored.uncompressedData();
    return QPixmap::fromImage(
        pictureFromPixels(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size()).copy());
}

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent) {}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace app
