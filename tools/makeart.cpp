// Draws the window's pictures and the program icon into a folder.
//   makeart assets/
// Writes the window's pictures as their pixels, title.pixels (252x65),
// panel.pixels (261x102) and background.pixels (305x234); the icon as
// famescope-16.png to famescope-256.png (16, 32, 48, 64, 128 and 256 pixels)
// and famescope.ico (32x32 in 2 colours, 32x32 and 16x16 in 16 colours).
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <vector>

namespace {

const QColor kFrame(77, 176, 119);

void drawFrame(QPainter &p, const QSize &size)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kFrame);
    const int w = size.width(), h = size.height();
    p.drawRect(0, 0, w, 3);
    p.drawRect(0, h - 3, w, 3);
    p.drawRect(0, 0, 3, h);
    p.drawRect(w - 3, 0, 3, h);
}

QFont artFont(int pixelSize, int weight)
{
    QFont f;
    f.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(pixelSize);
    f.setWeight(QFont::Weight(weight));
    return f;
}

QImage title()
{
    QImage img(252, 65, QImage::Format_RGB32);
    img.fill(QColor(50, 114, 78));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawFrame(p, img.size());
    // The product name in two colours, with a dark shadow for depth.
    const QFont font = artFont(38, QFont::Black);
    p.setFont(font);
    const QString fame = QStringLiteral("Fame");
    const QString scope = QStringLiteral("scope");
    const QFontMetrics fm(font);
    const int total = fm.horizontalAdvance(fame + scope);
    const int x = (img.width() - total) / 2;
    const int y = (img.height() + fm.ascent() - fm.descent()) / 2;
    p.setPen(QColor(20, 50, 32));
    p.drawText(x + 2, y + 2, fame + scope);
    p.setPen(QColor(255, 221, 51));
    p.drawText(x, y, fame);
    p.setPen(QColor(140, 210, 255));
    p.drawText(x + fm.horizontalAdvance(fame), y, scope);
    return img;
}

QImage panel()
{
    QImage img(261, 102, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, img.height());
    g.setColorAt(0, QColor(93, 184, 132));
    g.setColorAt(1, QColor(80, 168, 118));
    p.fillRect(img.rect(), g);
    drawFrame(p, img.size());
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(artFont(14, QFont::Bold));
    p.setPen(Qt::white);
    p.drawText(QRect(12, 10, 240, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("YOUR INFORMATION"));
    return img;
}

QImage background()
{
    QImage img(305, 234, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, img.height());
    g.setColorAt(0, QColor(88, 154, 220));
    g.setColorAt(1, QColor(199, 221, 243));
    p.fillRect(img.rect(), g);
    // A thin lighter band along the top edge.
    p.fillRect(0, 0, img.width(), 2, QColor(150, 196, 240));
    return img;
}

// A plain window: white body, cyan title bar, dark outline.
QImage iconImage(int size, bool twoColours)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    const int m = size / 16; // margin
    const QRect body(m, m + size / 16, size - 2 * m, size - 2 * m - size / 8);
    const int bar = std::max(3, size / 5);
    p.fillRect(body, Qt::white);
    p.fillRect(QRect(body.left(), body.top(), body.width(), bar),
               twoColours ? Qt::black : QColor(0, 255, 255));
    p.setPen(Qt::black);
    p.drawRect(body.adjusted(0, 0, -1, -1));
    if (!twoColours) {
        p.drawLine(body.left(), body.top() + bar, body.right(), body.top() + bar);
    } else {
        // The title bar's buttons, white on the black bar.
        p.fillRect(QRect(body.right() - bar + 1, body.top() + 1, bar - 2, bar - 2), Qt::white);
    }
    return img;
}

// The 16 colours of the standard VGA palette.
const QRgb kVga[16] = {0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080,
                       0xff008080, 0xffc0c0c0, 0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00,
                       0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff};

void put16(QByteArray &b, int v)
{
    b += char(v & 0xff);
    b += char((v >> 8) & 0xff);
}
void put32(QByteArray &b, quint32 v)
{
    put16(b, int(v & 0xffff));
    put16(b, int(v >> 16));
}

// One icon image in the ICO's bitmap form: header, palette, colour rows and
// the transparency mask, rows bottom-up and padded to four bytes.
QByteArray iconBitmap(const QImage &img, int bits)
{
    const int w = img.width(), h = img.height();
    const int colours = 1 << bits;
    QByteArray b;
    put32(b, 40);
    put32(b, quint32(w));
    put32(b, quint32(h * 2));
    put16(b, 1);
    put16(b, bits);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    std::vector<QRgb> palette;
    if (bits == 1)
        palette = {0xff000000, 0xffffffff};
    else
        palette.assign(std::begin(kVga), std::end(kVga));
    for (const QRgb c : palette) {
        b += char(qBlue(c));
        b += char(qGreen(c));
        b += char(qRed(c));
        b += char(0);
    }
    const auto nearest = [&](QRgb c) {
        int best = 0, bestDist = INT_MAX;
        for (int i = 0; i < colours; ++i) {
            const int dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]),
                      db = qBlue(c) - qBlue(palette[i]);
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDist)
                bestDist = d, best = i;
        }
        return best;
    };
    const int rowBytes = ((w * bits + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(rowBytes, 0);
        for (int x = 0; x < w; ++x) {
            const QRgb c = img.pixel(x, y);
            const int index = qAlpha(c) < 128 ? 0 : nearest(c);
            const int bit = x * bits;
            row[bit / 8] = char(row[bit / 8] | (index << (8 - bits - bit % 8)));
        }
        b += row;
    }
    const int maskBytes = ((w + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(maskBytes, 0);
        for (int x = 0; x < w; ++x) {
            if (qAlpha(img.pixel(x, y)) < 128)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        b += row;
    }
    return b;
}

QByteArray ico()
{
    struct Part
    {
        QImage img;
        int bits;
    };
    const std::vector<Part> parts = {
        {iconImage(32, true), 1}, {iconImage(32, false), 4}, {iconImage(16, false), 4}};
    QByteArray header;
    put16(header, 0);
    put16(header, 1);
    put16(header, int(parts.size()));
    QByteArray images;
    quint32 offset = 6 + 16 * quint32(parts.size());
    for (const Part &part : parts) {
        const QByteArray bmp = iconBitmap(part.img, part.bits);
        header += char(part.img.width());
        header += char(part.img.height());
        header += char(part.bits == 1 ? 2 : 16);
        header += char(0);
        put16(header, 1);
        put16(header, part.bits);
        put32(header, quint32(bmp.size()));
        put32(header, offset);
        offset += quint32(bmp.size());
        images += bmp;
    }
    return header + images;
}

bool saveBytes(const QByteArray &bytes, const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        return true;
    std::fprintf(stderr, "makeart: cannot write %s\n", qPrintable(path));
    return false;
}

bool save(const QImage &img, const QString &path)
{
    if (img.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "makeart: cannot write %s\n", qPrintable(path));
    return false;
}

// The window shows its pictures straight from the program's own bytes, with
// nothing to decode as it starts (app::storedPicture reads them): the width,
// the height, then row after row of pixels as 0xffRRGGBB, each a 32-bit
// little-endian number.
bool savePixels(const QImage &img, const QString &path)
{
    const QImage rgb = img.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    bytes.reserve(8 + rgb.width() * rgb.height() * 4);
    put32(bytes, quint32(rgb.width()));
    put32(bytes, quint32(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x)
            put32(bytes, rgb.pixel(x, y) | 0xff000000u);
    }
    return saveBytes(bytes, path);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeart folder\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = savePixels(title(), out.filePath(QStringLiteral("title.pixels"))) &&
              savePixels(panel(), out.filePath(QStringLiteral("panel.pixels"))) &&
              savePixels(background(), out.filePath(QStringLiteral("background.pixels")));
    // The window's icon takes 16 to 48; the desktop's icon theme all six.
    for (const int size : {16, 32, 48, 64, 128, 256})
        ok = ok && save(iconImage(size, false),
                        out.filePath(QStringLiteral("famescope-%1.png").arg(size)));
    ok = ok && saveBytes(ico(), out.filePath(QStringLiteral("famescope.ico")));
    return ok ? 0 : 1;
}
