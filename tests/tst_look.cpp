#include "frmMain.h"
#include "startup.h"
#include "widgets.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <algorithm>

using namespace app;

// The window's look: every element's place, the colours a user sees, the
// stacking and the fonts. Also run with QT_SCALE_FACTOR=2, where the same
// logical layout must come out twice as large.
class tst_look : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void geometry_data();
    void geometry();
    void colours_data();
    void colours();
    void background_isStretchedGradient();
    void storedPixels_data();
    void storedPixels();
    void stacking_data();
    void stacking();
    void fonts_data();
    void fonts();
    void labels_wrapFromTheTopAndKeepTheirSize();
    void loadButton_coversTheListUntilHidden();
    void accessibleNames();
    void applicationInfo();
    void labels_showPlainTextOnly();
    void darkTheme_textStaysReadable();

private:
    QColor pixel(int x, int y) const
    {
        const qreal dpr = shot.devicePixelRatio();
        return shot.pixelColor(qRound(x * dpr + dpr / 2 - 0.5), qRound(y * dpr + dpr / 2 - 0.5));
    }

    std::unique_ptr<frmMain> window;
    QImage shot;
};

void tst_look::initTestCase()
{
    window = std::make_unique<frmMain>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    shot = window->grab().toImage();
}

void tst_look::cleanupTestCase()
{
    window.reset();
}

void tst_look::geometry_data()
{
    QTest::addColumn<QRect>("rect");
    const struct
    {
        const char *name;
        QRect rect;
    } table[] = {
        {"Image1", {8, 24, 252, 65}},     {"Image2", {264, 12, 261, 102}},
        {"Image3", {-40, 128, 569, 361}}, {"Label1", {280, 52, 193, 17}},
        {"cDay", {280, 72, 49, 24}},      {"cMonth", {336, 72, 105, 24}},
        {"cYear", {448, 72, 65, 24}},     {"Label6", {8, 96, 153, 17}},
        {"List1", {8, 112, 217, 322}},    {"Command2", {24, 128, 185, 145}},
        {"Label3", {240, 143, 225, 17}},  {"Label2", {240, 160, 129, 17}},
        {"lpNumber", {384, 160, 25, 17}}, {"Label7", {240, 176, 129, 17}},
        {"aNumber", {384, 176, 25, 17}},  {"Label9", {240, 206, 225, 17}},
        {"Label12", {240, 224, 97, 17}},  {"Label13", {384, 224, 153, 17}},
        {"Label10", {240, 240, 129, 17}}, {"Label14", {384, 240, 153, 17}},
        {"Label11", {240, 256, 145, 17}}, {"Label15", {384, 256, 153, 17}},
        {"Label8", {304, 284, 153, 17}},  {"Shape1", {304, 304, 137, 49}},
        {"Label16", {304, 304, 137, 49}}, {"Command1", {240, 368, 273, 57}},
        {"Label5", {264, 432, 241, 17}},  {"stat", {8, 440, 281, 17}},
    };
    for (const auto &row : table)
        QTest::newRow(row.name) << row.rect;
}

void tst_look::geometry()
{
    QFETCH(QRect, rect);
    const QWidget *w = window->findChild<QWidget *>(QLatin1String(QTest::currentDataTag()));
    QVERIFY(w);
    QCOMPARE(w->geometry(), rect);
    QCOMPARE(window->size(), QSize(535, 460));
    QCOMPARE(window->minimumSize(), window->maximumSize());
}

void tst_look::colours_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("colour");
    const QColor green(51, 91, 54);
    // clang-format off
    QTest::newRow("window colour in the top band") << QPoint(2, 2) << green;
    QTest::newRow("window colour between banner and panel") << QPoint(262, 50) << green;
    QTest::newRow("window colour in the right-hand strip") << QPoint(532, 300) << green;
    QTest::newRow("pale blue list") << QPoint(16, 420) << QColor(216, 227, 243);
    QTest::newRow("percentage box fill") << QPoint(308, 308) << QColor(193, 207, 247);
    QTest::newRow("percentage box outline") << QPoint(304, 330) << QColor(Qt::black);
    QTest::newRow("banner field") << QPoint(14, 30) << QColor(50, 114, 78);
    QTest::newRow("banner frame") << QPoint(9, 25) << QColor(77, 176, 119);
    QTest::newRow("panel frame") << QPoint(265, 13) << QColor(77, 176, 119);
    // clang-format on
}

void tst_look::colours()
{
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);
    QCOMPARE(pixel(at.x(), at.y()).name(), colour.name());
}

void tst_look::background_isStretchedGradient()
{
    const auto near = [](const QColor &c, int r, int g, int b) {
        return std::abs(c.red() - r) <= 16 && std::abs(c.green() - g) <= 16 &&
               std::abs(c.blue() - b) <= 16;
    };
    // Mid blue under the lighter band at the top, pale blue at the bottom:
    // the 234 rows of the picture fill the 361 of its box.
    QVERIFY2(near(pixel(250, 140), 88, 154, 220), qPrintable(pixel(250, 140).name()));
    QVERIFY2(near(pixel(300, 456), 199, 221, 243), qPrintable(pixel(300, 456).name()));
    QVERIFY(pixel(250, 129).lightness() > pixel(250, 140).lightness());
}

void tst_look::storedPixels_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<quint32>("width");
    QTest::addColumn<int>("sizeChange");
    QTest::addColumn<bool>("whole");
    // clang-format off
    QTest::newRow("as stored") << 0 << 2u << 0 << true;
    QTest::newRow("one byte off, read by copying") << 1 << 2u << 0 << true;
    QTest::newRow("cut short") << 0 << 2u << -1 << false;
    QTest::newRow("longer than its pixels") << 0 << 2u << 4 << false;
    QTest::newRow("header only") << 0 << 2u << -16 << false;
    QTest::newRow("no width") << 0 << 0u << 0 << false;
    QTest::newRow("width past any picture") << 0 << 0x80000000u << 0 << false;
    // clang-format on
}

void tst_look::storedPixels()
{
    QFETCH(int, offset);
    QFETCH(quint32, width);
    QFETCH(int, sizeChange);
    QFETCH(bool, whole);
    // A picture of two by two pixels as tools/makeart stores one.
    const quint32 words[] = {width, 2, 0xff102030, 0xff405060, 0xff708090, 0xffa0b0c0, 0};
    alignas(quint32) uchar stored[sizeof words + 4] = {};
    for (int i = 0; i < 7; ++i)
        qToLittleEndian(words[i], stored + offset + i * 4);
    const uchar *bytes = stored + offset;
    const QImage image = pictureFromPixels(bytes, 24 + sizeChange);
    QCOMPARE(!image.isNull(), whole);
    if (!whole)
        return;
    QCOMPARE(image.size(), QSize(2, 2));
    QCOMPARE(image.pixel(0, 0), 0xff102030u);
    QCOMPARE(image.pixel(1, 0), 0xff405060u);
    QCOMPARE(image.pixel(0, 1), 0xff708090u);
    QCOMPARE(image.pixel(1, 1), 0xffa0b0c0u);
    // Aligned, the picture is shown from the stored bytes themselves.
    QCOMPARE(image.constBits() == bytes + 8, offset == 0);
}

void tst_look::stacking_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QString>("front");
    // clang-format off
    QTest::newRow("button over the list") << QPoint(100, 200) << "Command2";
    QTest::newRow("percentage over its box") << QPoint(310, 310) << "Label16";
    QTest::newRow("date heading over the panel") << QPoint(285, 55) << "Label1";
    QTest::newRow("drop-down over the panel") << QPoint(290, 80) << "cDay";
    QTest::newRow("background at the back") << QPoint(250, 300) << "Image3";
    QTest::newRow("banner") << QPoint(100, 50) << "Image1";
    // clang-format on
}

void tst_look::stacking()
{
    QFETCH(QPoint, at);
    QFETCH(QString, front);
    QWidget *w = window->childAt(at);
    // A drop-down's line edit or a view's viewport stands for its owner.
    while (w && w->parentWidget() != window.get())
        w = w->parentWidget();
    QVERIFY(w);
    QCOMPARE(w->objectName(), front);
}

void tst_look::fonts_data()
{
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("bold");
    // clang-format off
    QTest::newRow("Label1") << 13 << true;
    QTest::newRow("Label2") << 11 << false;
    QTest::newRow("Label13") << 11 << true;
    QTest::newRow("Label16") << 37 << true;
    QTest::newRow("Command2") << 19 << false;
    QTest::newRow("Command1") << 11 << true;
    QTest::newRow("cMonth") << 13 << false;
    QTest::newRow("List1") << 13 << false;
    QTest::newRow("Label5") << 13 << true;
    // clang-format on
}

void tst_look::fonts()
{
    QFETCH(int, pixelSize);
    QFETCH(bool, bold);
    const QWidget *w = window->findChild<QWidget *>(QLatin1String(QTest::currentDataTag()));
    QCOMPARE(w->font().pixelSize(), pixelSize);
    QCOMPARE(w->font().bold(), bold);
    QCOMPARE(w->font().families().value(0), QStringLiteral("Verdana"));
}

void tst_look::labels_wrapFromTheTopAndKeepTheirSize()
{
    auto *name = window->findChild<QLabel *>(QStringLiteral("Label9"));
    QVERIFY(name->wordWrap());
    QVERIFY(name->alignment() & Qt::AlignTop);
    name->setText(QStringLiteral("MARA QUILL") + QString(500, u' ') +
                  QStringLiteral(", 7 28 1900,9"));
    QCOMPARE(name->geometry(), QRect(240, 206, 225, 17));
    // The first line, not the middle of the wrapped text, is what shows.
    const QImage label = name->grab().toImage();
    bool ink = false;
    for (int x = 0; x < 40 && !ink; ++x) {
        for (int y = 0; y < label.height() && !ink; ++y)
            ink = label.pixelColor(x, y).lightness() < 80;
    }
    QVERIFY(ink);
    auto *credit = window->findChild<QLabel *>(QStringLiteral("Label5"));
    QVERIFY(credit->alignment() & Qt::AlignRight);
    QVERIFY(credit->font().underline());
    QCOMPARE(credit->cursor().shape(), Qt::CrossCursor);
    auto *percent = window->findChild<QLabel *>(QStringLiteral("Label16"));
    QCOMPARE(percent->alignment(), Qt::AlignCenter);
}

void tst_look::loadButton_coversTheListUntilHidden()
{
    auto *list = window->findChild<QAbstractItemView *>(QStringLiteral("List1"));
    auto *button = window->findChild<QPushButton *>(QStringLiteral("Command2"));
    QVERIFY(button->isVisible());
    QCOMPARE(window->childAt(100, 200), button);
    button->hide();
    QCOMPARE(window->childAt(100, 200), list->viewport());
    button->show();
}

void tst_look::accessibleNames()
{
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->parentWidget() != window.get())
            continue;
        const bool hasText =
            qobject_cast<QLabel *>(w) && !qobject_cast<QLabel *>(w)->text().isEmpty();
        QVERIFY2(hasText || !w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }
}

void tst_look::applicationInfo()
{
    setApplicationInfo();
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.00"));
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Vantorel"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Famescope"));
    const QIcon icon = QApplication::windowIcon();
    QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
    QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
    // The title bar's colour at the top of the 32-pixel icon.
    const QImage image = icon.pixmap(QSize(32, 32), 1.0).toImage();
    QCOMPARE(image.pixelColor(16, 6).name(), QStringLiteral("#00ffff"));
    QCOMPARE(image.pixelColor(16, 20).name(), QStringLiteral("#ffffff"));
}

QTEST_MAIN(tst_look)
#include "tst_look.moc"

void tst_look::labels_showPlainTextOnly()
{
    // A name from db.txt such as "<b>Bold</b>" or "<img src=...>" is text, never markup.
    for (const QLabel *label : window->findChildren<QLabel *>())
        QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
    auto *name = window->findChild<QLabel *>(QStringLiteral("Label9"));
    const QString saved = name->text();
    name->setText(QStringLiteral("<b>X</b>"));
    const QImage shot = name->grab().toImage();
    name->setText(saved);
    // The tags show as eight characters: ink reaches far past a lone bold X.
    int rightmost = -1;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (shot.pixelColor(x, y).lightness() < 80)
                rightmost = std::max(rightmost, x);
        }
    }
    QVERIFY2(rightmost / shot.devicePixelRatio() > 40, qPrintable(QString::number(rightmost)));
}

void tst_look::darkTheme_textStaysReadable()
{
    // A dark desktop theme: light text on dark backgrounds.
    const QPalette saved = QApplication::palette();
    QPalette dark(QColor(40, 40, 40));
    dark.setColor(QPalette::WindowText, QColor(240, 240, 240));
    dark.setColor(QPalette::Text, QColor(240, 240, 240));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    QApplication::setPalette(dark);
    frmMain themed;
    themed.show();
    QVERIFY(QTest::qWaitForWindowExposed(&themed));
    const QImage image = themed.grab().toImage();
    QApplication::setPalette(saved);

    // The darkest pixel inside a text that lies on a fixed light background
    // is dark: the status line and the credit line on the background
    // picture; and the list's text colour on its own pale blue.
    const auto darkest = [&](const char *name) {
        const QWidget *w = themed.findChild<QWidget *>(QLatin1String(name));
        const qreal dpr = image.devicePixelRatio();
        int least = 255;
        const QRect r(w->geometry().topLeft() * dpr, w->geometry().size() * dpr);
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x)
                least = std::min(least, image.pixelColor(x, y).lightness());
        }
        return least;
    };
    QVERIFY2(darkest("stat") < 60, "stat");
    QVERIFY2(darkest("Label5") < 60, "Label5");
    auto *list = themed.findChild<QAbstractItemView *>(QStringLiteral("List1"));
    QVERIFY(list->palette().color(QPalette::Text).lightness() < 60);
    QVERIFY(list->palette().color(QPalette::Base).lightness() > 200);
    // The white heading on the window's fixed green stays white.
    QVERIFY(themed.findChild<QLabel *>(QStringLiteral("Label6"))
                ->palette()
                .color(QPalette::WindowText)
                .lightness() > 240);
}
