#include "CelebrityModel.h"
#include "WindowDriver.h"
#include "database/order/Collation.h"
#include "frmMain.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include <functional>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace app;

// Loading db.txt through the window and selecting celebrities, driven as a
// user would: a click on the load button, clicks and arrow keys in the list.
class tst_celebritylist : public QObject, public WindowDriver
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void load_sortsAndCounts();
    void load_missingFile_saysSoAndRetries();
    void load_emptyFile_isComplete();
    void load_usersOwnDatabase_isFoundAndNamed();
    void status_longestTextFitsItsBox();
    void load_99Lines_showsNoProgress();
    void load_progressTexts();
    void load_lineEnds_data();
    void load_lineEnds();
    void load_sampleDatabase();
    void load_past32767Lines_losesNothing();
    void load_systemCodePage_showsNamesRight();

    void select_showsCelebrity_data();
    void select_showsCelebrity();
    void select_withArrowKeys();
    void select_onlyTheFirstButtonSelects_data();
    void select_onlyTheFirstButtonSelects();
    void select_keepsFailedFieldsAndRunsCompat();
    void select_longName_readsBack_data();
    void select_longName_readsBack();
    void select_duringLoad_atProgressPoint();
    void close_duringLoad_stopsAtProgressPoint();

    void enterOnLoadButton_loads();
    void keys_showTheSelectedRow_data();
    void keys_showTheSelectedRow();
    void load_rowsSortedInAbove_keepTheTopRow();
    void load_untouchedView_staysAtTheFirstRow();
    void typeAhead_movesAndShowsTheSelection();

private:
    QByteArray dataLines(int count, int skippedEvery = 0) const;
    // The current row is in full view and painted highlighted.
    void verifyCurrentRowShown();
};

void tst_celebritylist::init()
{
    openWindow();
}

void tst_celebritylist::cleanup()
{
    closeWindow();
}

QByteArray tst_celebritylist::dataLines(int count, int skippedEvery) const
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes += "Person " + QByteArray::number(100000 + i) + ", 1 1 1900,2\r\n";
        if (skippedEvery && i % skippedEvery == 0)
            bytes += "# skipped\r\n";
    }
    return bytes;
}

void tst_celebritylist::load_sortsAndCounts()
{
    // The rules of a line and of the order are the loader's own tests; here,
    // that the click reaches the list and the status line.
    writeDb("zed Zulu, 3 3 1903,7\r\n"
            "# a comment, skipped\r\n"
            "   adam Smith  , 1 1 1901,9");
    clickLoad();
    QVERIFY(!window->findChild<QPushButton *>(QStringLiteral("Command2"))->isVisible());
    QCOMPARE(label("stat")->text(), QStringLiteral("2 Names Loaded. (COMPLETE)"));
    const QString blanks(500, u' ');
    const QStringList expected = {"adam Smith" + blanks + ", 1 1 1901,9",
                                  "zed Zulu" + blanks + ", 3 3 1903,7"};
    QCOMPARE(list()->model()->rowCount(), expected.size());
    for (int row = 0; row < expected.size(); ++row)
        QCOMPARE(rowText(row), expected[row]);
}

void tst_celebritylist::load_missingFile_saysSoAndRetries()
{
    auto *button = window->findChild<QPushButton *>(QStringLiteral("Command2"));
    clickLoad();
    QCOMPARE(label("stat")->text(), QStringLiteral("0 Names Loaded. (NOT FOUND)"));
    QCOMPARE(rows(), 0);
    // Nothing could be loaded: the button is back for another try.
    QVERIFY(button->isVisible());
    writeDb("A, 1 1 1901,1\r\n");
    clickLoad();
    QCOMPARE(label("stat")->text(), QStringLiteral("1 Names Loaded. (COMPLETE)"));
    QCOMPARE(rows(), 1);
    QVERIFY(!button->isVisible());
}

void tst_celebritylist::load_usersOwnDatabase_isFoundAndNamed()
{
    clickLoad();
    const QString looked = label("stat")->toolTip();
    QVERIFY2(looked.contains(QDir::toNativeSeparators(dbPath())), qPrintable(looked));
    const QString own = folder->filePath(QStringLiteral("user/famescope/db.txt"));
#ifdef Q_OS_WIN
    // Windows looks beside the program only.
    QCOMPARE(looked, QStringLiteral("No db.txt found in:\n") + QDir::toNativeSeparators(dbPath()));
    QVERIFY(QDir().mkpath(QFileInfo(own).path()));
    writeDb("Mine, 1 1 1901,1\r\n", own);
    clickLoad();
    QCOMPARE(label("stat")->text(), QStringLiteral("0 Names Loaded. (NOT FOUND)"));
#else
    // Where it looked: beside the program, the user's folder, the prefix and
    // the system's folders.
    QVERIFY(looked.contains(QDir::toNativeSeparators(folder->filePath("user/famescope/db.txt"))));
    QVERIFY(looked.contains(QDir::toNativeSeparators(folder->filePath("system/famescope/db.txt"))));

    QVERIFY(QDir().mkpath(QFileInfo(own).path()));
    writeDb("Mine, 1 1 1901,1\r\n", own);
    clickLoad();
    QCOMPARE(label("stat")->text(), QStringLiteral("1 Names Loaded. (COMPLETE)"));
    QCOMPARE(label("stat")->toolTip(), QDir::toNativeSeparators(own));
    QVERIFY(rowText(0).startsWith(QStringLiteral("Mine ")));
#endif
}

void tst_celebritylist::load_emptyFile_isComplete()
{
    writeDb({});
    clickLoad();
    QCOMPARE(label("stat")->text(), QStringLiteral("0 Names Loaded. (COMPLETE)"));
    QVERIFY(!window->findChild<QPushButton *>(QStringLiteral("Command2"))->isVisible());
}

void tst_celebritylist::status_longestTextFitsItsBox()
{
    QLabel *stat = label("stat");
    stat->setText(QStringLiteral("10000000 Names Loaded. (CANNOT READ)"));
    QVERIFY(stat->fontMetrics().horizontalAdvance(stat->text()) <= stat->width());
}

void tst_celebritylist::load_99Lines_showsNoProgress()
{
    writeDb(dataLines(99, 10));
    QStringList seen;
    atEachEventPass([&](int) { seen << label("stat")->text(); });
    clickLoad();
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen.first(), QStringLiteral("Loading..."));
    QCOMPARE(seen.last(), QStringLiteral("99 Names Loaded. (COMPLETE)"));
}

void tst_celebritylist::load_progressTexts()
{
    // One skipped line follows each of the 1001st to 1010th items. The
    // statuses the window shows, in order; how often a progress point
    // repeats one is the loader's own test, since the window may also handle
    // its events while it waits for lines.
    QByteArray bytes = dataLines(1000);
    for (int i = 0; i < 10; ++i)
        bytes += dataLines(1) + "# skipped\r\n";
    bytes += dataLines(5);
    writeDb(bytes);
    QStringList seen;
    atEachEventPass([&](int) {
        const QString count = label("stat")->text().section(u' ', 0, 0);
        if (seen.isEmpty() || seen.last() != count)
            seen << count;
    });
    clickLoad();
    QStringList expected = {QStringLiteral("Loading...")};
    for (int n = 100; n <= 1000; n += 100)
        expected << QString::number(n);
    for (int n = 1001; n <= 1009; ++n)
        expected << QString::number(n);
    expected << QStringLiteral("1015");
    QCOMPARE(seen, expected);
    QCOMPARE(label("stat")->text(), QStringLiteral("1015 Names Loaded. (COMPLETE)"));
}

void tst_celebritylist::load_lineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");
    // clang-format off
    QTest::newRow("CR LF") << QByteArray("a, 1 1 1900,2\r\nb, 1 1 1900,2\r\n") << 2;
    QTest::newRow("LF only") << QByteArray("a, 1 1 1900,2\nb, 1 1 1900,2\n") << 2;
    QTest::newRow("CR only") << QByteArray("a, 1 1 1900,2\rb, 1 1 1900,2\r") << 2;
    QTest::newRow("no end on the last line") << QByteArray("a, 1 1 1900,2\r\nb, 1 1 1900,2") << 2;
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF" "a, 1 1 1900,2") << 1;
    // clang-format on
}

void tst_celebritylist::load_lineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    writeDb(bytes);
    clickLoad();
    QCOMPARE(list()->model()->rowCount(), count);
    QVERIFY(rowText(0).startsWith(QStringLiteral("a ")));
    QVERIFY(rowText(count - 1).endsWith(QStringLiteral(", 1 1 1900,2")));
}

void tst_celebritylist::load_sampleDatabase()
{
    QFile sample(QStringLiteral(FAMESCOPE_SAMPLE_DB));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    writeDb(sample.readAll());
    clickLoad();
    QCOMPARE(label("stat")->text(), QStringLiteral("470 Names Loaded. (COMPLETE)"));
    // In the collation's order of the whole rows: "John-Philippe Rameau"
    // after "Johnny Winter", its hyphen deciding only after the letters.
    const database::Collation collation;
    const QAbstractItemModel *model = list()->model();
    for (int row = 1; row < model->rowCount(); ++row) {
        QVERIFY2(collation.compareUtf8(rowText(row - 1).toUtf8(), rowText(row).toUtf8()) <= 0,
                 qPrintable(rowText(row)));
    }
    const auto rowOf = [&](const QString &name) {
        for (int row = 0; row < model->rowCount(); ++row) {
            if (rowText(row).startsWith(name + u' '))
                return row;
        }
        return -1;
    };
    QVERIFY(rowOf(QStringLiteral("Johnny Winter")) >= 0);
    QVERIFY(rowOf(QStringLiteral("Johnny Winter")) < rowOf(QStringLiteral("John-Philippe Rameau")));
}

void tst_celebritylist::load_past32767Lines_losesNothing()
{
    writeDb(dataLines(41012));
    QStringList seen;
    atEachEventPass([&](int) { seen << label("stat")->text().section(u' ', 0, 0); });
    clickLoad();
    QCOMPARE(list()->model()->rowCount(), 41012);
    QCOMPARE(label("stat")->text(), QStringLiteral("41012 Names Loaded. (COMPLETE)"));
    QVERIFY(seen.contains(QStringLiteral("41009")));
    QVERIFY(!seen.contains(QStringLiteral("41010")));
    QVERIFY(rowText(41011).startsWith(QStringLiteral("Person 141011 ")));
}

void tst_celebritylist::load_systemCodePage_showsNamesRight()
{
    // A line that is no UTF-8 is read in the system's 8-bit code page (on
    // Windows its ANSI code page, elsewhere Windows-1252), a line that is in
    // UTF-8, from the same file. The bytes C8 E2 E0 ED are "Иван" in
    // Windows-1251 and "Èâàí" in Windows-1252.
    int codePage = 1252;
#ifdef Q_OS_WIN
    codePage = int(GetACP());
#endif
    if (qEnvironmentVariableIsSet("FAMESCOPE_EXPECT_CODE_PAGE"))
        QCOMPARE(codePage, qEnvironmentVariableIntValue("FAMESCOPE_EXPECT_CODE_PAGE"));
    const QHash<int, QString> inCodePage = {{1251, QString::fromUtf8("Иван")},
                                            {1252, QString::fromUtf8("Èâàí")}};
    QVERIFY2(inCodePage.contains(codePage), "a code page this test knows");
    writeDb("\xC8\xE2\xE0\xED, 1 1 1900,2\r\nZo\xC3\xAB Ra\xC3\xAFs, 2 2 1902,4\r\n");
    clickLoad();
    QCOMPARE(label("stat")->text(), QStringLiteral("2 Names Loaded. (COMPLETE)"));
    QStringList names;
    for (int row = 0; row < rows(); ++row) {
        names << list()->model()->index(row, 0).data(CelebrityModel::NameRole).toString();
        clickRow(row);
        QVERIFY(label("Label9")->text().startsWith(names.last().toUpper() + u' '));
    }
    names.sort();
    QStringList expected = {inCodePage.value(codePage), QString::fromUtf8("Zoë Raïs")};
    expected.sort();
    QCOMPARE(names, expected);
}

void tst_celebritylist::select_showsCelebrity_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("birthDate");
    QTest::addColumn<QString>("lifePath");
    QTest::addColumn<QString>("attitude");
    QTest::addColumn<QString>("percent");
    // The user is born on 1 January 1980: Life Path 2.
    // Life Path score (2, 9) 20, Attitude score (8, 2) 10.
    // clang-format off
    QTest::newRow("example") << QByteArray("Mara Quill, 7 28 1900,9") << " July 28 1900" << "9" << "8" << "30%";
    QTest::newRow("day as month") << QByteArray("Mara Quill, 11 5 1900,6") << " November 5 1900" << "6" << "7" << "100%";
    QTest::newRow("no blank after comma") << QByteArray("Mara Quill,7 28 1900,2") << "7 28 1900" << "2" << "8" << "100%";
    // Life Path score (2, 9) 20, Attitude score (6, 2) 10.
    QTest::newRow("two blanks after comma") << QByteArray("Mara Quill,  7 8 1900,9") << "  July 8 1900" << "9" << "6" << "30%";
    // clang-format on
}

void tst_celebritylist::select_showsCelebrity()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, birthDate);
    QFETCH(QString, lifePath);
    QFETCH(QString, attitude);
    QFETCH(QString, percent);
    writeDb(line + "\r\n");
    clickLoad();
    clickRow(0);
    QCOMPARE(label("Label9")->text(), rowText(0).toUpper());
    QVERIFY(label("Label9")->text().startsWith(QStringLiteral("MARA QUILL ")));
    QCOMPARE(label("Label13")->text(), birthDate);
    QCOMPARE(label("Label14")->text(), lifePath);
    QCOMPARE(label("Label15")->text(), attitude);
    QCOMPARE(label("Label16")->text(), percent);
}

void tst_celebritylist::select_withArrowKeys()
{
    writeDb("B, 2 2 1902,3\r\nA, 1 1 1901,1\r\nC, 3 3 1903,5\r\n");
    clickLoad();
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Down);
    QCOMPARE(label("Label13")->text(), QStringLiteral(" January 1 1901"));
    QTest::keyClick(list(), Qt::Key_Down);
    QCOMPARE(label("Label13")->text(), QStringLiteral(" February 2 1902"));
    QCOMPARE(label("Label14")->text(), QStringLiteral("3"));
    QTest::keyClick(list(), Qt::Key_End);
    QCOMPARE(label("Label14")->text(), QStringLiteral("5"));
    // Picking a new date recomputes against the same celebrity:
    // user Life Path 2, celebrity 5 and Attitude 6 (3 + 3): 20 + 10.
    QCOMPARE(label("Label16")->text(), QStringLiteral("30%"));
}

void tst_celebritylist::select_onlyTheFirstButtonSelects_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("key");      // 0 for the mouse
    QTest::addColumn<int>("button");   // the mouse button
    QTest::addColumn<QString>("path"); // the rows the mouse goes to, pressed from the first
    QTest::addColumn<int>("selected"); // the row selected after, 1 before
    const int left = int(Qt::LeftButton);
    // clang-format off
    // No gesture empties the selection.
    QTest::newRow("Ctrl+click on the selected row") << int(Qt::ControlModifier) << 0 << left << "1" << 1;
    QTest::newRow("Ctrl+Space")                     << int(Qt::ControlModifier) << int(Qt::Key_Space) << left << "" << 1;
    QTest::newRow("Space")                          << int(Qt::NoModifier) << int(Qt::Key_Space) << left << "" << 1;
    QTest::newRow("click below the last row")       << int(Qt::NoModifier) << 0 << left << "below" << 1;
    QTest::newRow("Ctrl+click below the last row")  << int(Qt::ControlModifier) << 0 << left << "below" << 1;
    // Only the first button selects, by a click or by dragging over rows.
    QTest::newRow("click on another row")           << int(Qt::NoModifier) << 0 << left << "2" << 2;
    QTest::newRow("drag over rows")                 << int(Qt::NoModifier) << 0 << left << "1 0 2" << 2;
    QTest::newRow("right click on another row")     << int(Qt::NoModifier) << 0 << int(Qt::RightButton) << "2" << 1;
    QTest::newRow("middle click on another row")    << int(Qt::NoModifier) << 0 << int(Qt::MiddleButton) << "0" << 1;
    QTest::newRow("right drag over rows")           << int(Qt::NoModifier) << 0 << int(Qt::RightButton) << "1 0 2" << 1;
    QTest::newRow("right double click")             << int(Qt::NoModifier) << 0 << int(Qt::RightButton) << "2 2" << 1;
    // clang-format on
}

void tst_celebritylist::select_onlyTheFirstButtonSelects()
{
    QFETCH(int, modifiers);
    QFETCH(int, key);
    QFETCH(int, button);
    QFETCH(QString, path);
    QFETCH(int, selected);
    writeDb(dataLines(3));
    clickLoad();
    clickRow(1);
    const QString shown = label("Label9")->text();
    QVERIFY(shown.startsWith(QStringLiteral("PERSON 100001 ")));
    const auto mods = Qt::KeyboardModifiers(modifiers);
    const auto pointAt = [this](const QString &place) {
        const QRect last = list()->visualRect(list()->model()->index(2, 0));
        return place == QLatin1String("below")
                   ? QPoint(last.center().x(), last.bottom() + 20)
                   : list()->visualRect(list()->model()->index(place.toInt(), 0)).center();
    };
    if (key != 0) {
        QTest::keyClick(list(), Qt::Key(key), mods);
    } else {
        const QStringList places = path.split(u' ');
        const auto mouse = Qt::MouseButton(button);
        QWidget *viewport = list()->viewport();
        for (const QString &place : places)
            QVERIFY(viewport->rect().contains(pointAt(place)));
        if (places.size() == 2 && places[0] == places[1]) {
            QTest::mouseDClick(viewport, mouse, mods, pointAt(places[0]));
        } else {
            QTest::mousePress(viewport, mouse, mods, pointAt(places.first()));
            for (const QString &place : places.mid(1))
                QTest::mouseMove(viewport, pointAt(place));
            QTest::mouseRelease(viewport, mouse, mods, pointAt(places.last()));
        }
    }
    // The row the labels show is the one highlighted.
    QCOMPARE(list()->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(list()->selectionModel()->selectedRows().value(0).row(), selected);
    QCOMPARE(list()->currentIndex().row(), selected);
    if (selected == 1)
        QCOMPARE(label("Label9")->text(), shown);
    else
        QVERIFY(label("Label9")->text().startsWith(QStringLiteral("PERSON 10000") +
                                                   QString::number(selected) + u' '));
    verifyCurrentRowShown();
}

void tst_celebritylist::select_keepsFailedFieldsAndRunsCompat()
{
    writeDb("A, 1 1 1901,1\r\nB, 7 28 1900\r\n");
    clickLoad();
    clickRow(0);
    QCOMPARE(label("Label13")->text(), QStringLiteral(" January 1 1901"));
    QCOMPARE(label("Label15")->text(), QStringLiteral("2"));
    // No second comma: the date and Attitude stay, the Life Path becomes the
    // blank after the first comma, and the percentage is recomputed.
    clickRow(1);
    QVERIFY(label("Label9")->text().startsWith(QStringLiteral("B ")));
    QCOMPARE(label("Label13")->text(), QStringLiteral(" January 1 1901"));
    QCOMPARE(label("Label14")->text(), QStringLiteral(" "));
    QCOMPARE(label("Label15")->text(), QStringLiteral("2"));
    // User Life Path 2: Life Path score 0, Attitude(2, 2) 10.
    QCOMPARE(label("Label16")->text(), QStringLiteral("10%"));
}

void tst_celebritylist::select_longName_readsBack_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("kept");
    // clang-format off
    QTest::newRow("700 letters") << QByteArray(700, 'N') << QString(499, u'N');
    // Not UTF-8 after all: the line is read in the code page, every byte a
    // character, and cut as the selection counts.
    QTest::newRow("600 bytes of no UTF-8 after a UTF-8 mark") << "\xEF\xBB\xBF" + QByteArray(600, '\x80') << QString(499, QChar(0x20AC));
    // clang-format on
}

void tst_celebritylist::select_longName_readsBack()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, kept);
    writeDb(name + ", 7 28 1900,9\r\n");
    clickLoad();
    QCOMPARE(rowText(0), kept + QString(500, u' ') + ", 7 28 1900,9");
    clickRow(0);
    QCOMPARE(label("Label13")->text(), QStringLiteral(" July 28 1900"));
    QCOMPARE(label("Label14")->text(), QStringLiteral("9"));
    QCOMPARE(label("Label15")->text(), QStringLiteral("8"));
}

void tst_celebritylist::select_duringLoad_atProgressPoint()
{
    // A click at the progress point of 100 picks among the items loaded so
    // far; the items loaded after it sort before the one clicked.
    QByteArray bytes = "Zelda, 1 1 1900,4\r\nAaron, 2 3 1901,3\r\n" + dataLines(98) +
                       dataLines(201).replace("Person 1", "Aa Person 2");
    writeDb(bytes);
    QString statAtClick;
    atEachEventPass([&](int pass) {
        if (pass == 2) {
            statAtClick = label("stat")->text();
            clickRow(0);
            QVERIFY(label("Label9")->text().startsWith(QStringLiteral("AARON ")));
            QCOMPARE(label("Label13")->text(), QStringLiteral(" February 3 1901"));
            // Items moving under the selection are no new selection: a marker
            // that only a selection would overwrite stays to the end.
            label("Label13")->setText(QStringLiteral("marker"));
        }
    });
    clickLoad();
    QCOMPARE(statAtClick, QStringLiteral("100 Names Loaded. (LOADING)"));
    // Aaron was the first row when clicked, and stays the current item.
    QVERIFY(label("Label9")->text().startsWith(QStringLiteral("AARON ")));
    QCOMPARE(label("Label13")->text(), QStringLiteral("marker"));
    QCOMPARE(label("Label16")->text(), QStringLiteral("52%"));
    QCOMPARE(label("stat")->text(), QStringLiteral("301 Names Loaded. (COMPLETE)"));
    QVERIFY(list()->currentIndex().data().toString().startsWith(QStringLiteral("Aaron ")));
    QVERIFY(list()->selectionModel()->isSelected(list()->currentIndex()));
}

void tst_celebritylist::close_duringLoad_stopsAtProgressPoint()
{
    writeDb(dataLines(1000));
    // Closed at the second progress point.
    atEachEventPass([&](int) {
        if (label("stat")->text().startsWith(QStringLiteral("200 ")) && window->isVisible())
            window->close();
    });
    clickLoad();
    QVERIFY(!window->isVisible());
    QCOMPARE(label("stat")->text(), QStringLiteral("200 Names Loaded. (LOADING)"));
    QCOMPARE(list()->model()->rowCount(), 200);
}

void tst_celebritylist::verifyCurrentRowShown()
{
    const QModelIndex current = list()->currentIndex();
    QVERIFY(current.isValid());
    QVERIFY(list()->selectionModel()->isSelected(current));
    const QRect rect = list()->visualRect(current);
    QVERIFY2(list()->viewport()->rect().contains(rect),
             qPrintable(QStringLiteral("row %1 at y %2").arg(current.row()).arg(rect.y())));
    const QImage shot = list()->viewport()->grab().toImage();
    const qreal dpr = shot.devicePixelRatio();
    // Right of the name, where only the row's background shows.
    const QPoint at = QPoint(rect.right() - 4, rect.center().y()) * dpr;
    QCOMPARE(shot.pixelColor(at).name(), list()->palette().color(QPalette::Highlight).name());
}

void tst_celebritylist::enterOnLoadButton_loads()
{
    writeDb("A, 1 1 1901,1\r\n");
    auto *button = window->findChild<QPushButton *>(QStringLiteral("Command2"));
    window->findChild<QWidget *>(QStringLiteral("Command1"))->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), button);
    QTest::keyClick(button, Qt::Key_Return);
    QCOMPARE(label("stat")->text(), QStringLiteral("1 Names Loaded. (COMPLETE)"));
    QVERIFY(!button->isVisible());
}

void tst_celebritylist::keys_showTheSelectedRow_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("row");
    // clang-format off
    QTest::newRow("End")                  << QList<int>{Qt::Key_End}                 << 299;
    QTest::newRow("Page Down twice")      << QList<int>{Qt::Key_PageDown, Qt::Key_PageDown} << -1;
    QTest::newRow("Down past the view")   << QList<int>(40, Qt::Key_Down)           << 40;
    QTest::newRow("End, then Home")       << QList<int>{Qt::Key_End, Qt::Key_Home}  << 0;
    QTest::newRow("End, then Page Up")    << QList<int>{Qt::Key_End, Qt::Key_PageUp} << -1;
    // clang-format on
}

void tst_celebritylist::keys_showTheSelectedRow()
{
    QFETCH(QList<int>, keys);
    QFETCH(int, row);
    writeDb(dataLines(300));
    clickLoad();
    clickRow(0);
    for (const int key : keys)
        QTest::keyClick(list(), Qt::Key(key));
    if (row >= 0)
        QCOMPARE(list()->currentIndex().row(), row);
    QVERIFY(list()->currentIndex().row() != 0 || keys.last() == Qt::Key_Home);
    QVERIFY(label("Label9")->text().startsWith(
        list()->currentIndex().data(CelebrityModel::NameRole).toString().toUpper()));
    verifyCurrentRowShown();
}

void tst_celebritylist::load_rowsSortedInAbove_keepTheTopRow()
{
    // 200 late names sort before the 100 early ones.
    writeDb(dataLines(100) + dataLines(200).replace("Person 1", "Aa Person 2"));
    QString topBefore;
    QString topAfter;
    atEachEventPass([&](int pass) {
        if (pass == 2) {
            // At the first point, the user scrolls down by five rows.
            QCOMPARE(list()->model()->rowCount(), 100);
            for (int i = 0; i < 5; ++i)
                list()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            topBefore = list()->indexAt(QPoint(1, 1)).data().toString();
        }
    });
    clickLoad();
    topAfter = list()->indexAt(QPoint(1, 1)).data().toString();
    QVERIFY(topBefore.startsWith(QStringLiteral("Person 100005 ")));
    QCOMPARE(topAfter, topBefore);
}

void tst_celebritylist::load_untouchedView_staysAtTheFirstRow()
{
    writeDb(dataLines(100) + dataLines(200).replace("Person 1", "Aa Person 2"));
    clickLoad();
    QVERIFY(list()->indexAt(QPoint(1, 1)).data().toString().startsWith(QStringLiteral("Aa ")));
    QCOMPARE(list()->verticalScrollBar()->value(), 0);
}

void tst_celebritylist::typeAhead_movesAndShowsTheSelection()
{
    // Rows: Alban Berg, Albert Einstein, Émile, Emily, Eve, 200 Persons, Zoe.
    writeDb("Zoe, 1 1 1900,2\r\nEve, 1 1 1900,2\r\nEmily, 1 1 1900,2\r\n"
            "Émile, 1 1 1900,2\r\nAlbert Einstein, 3 14 1879,6\r\n"
            "Alban Berg, 2 9 1885,2\r\n" +
            dataLines(200));
    clickLoad();
    // Characters typed within the keyboard input interval build one prefix;
    // a pause longer than it starts a new one. Here the interval is an hour
    // while the user types, and a pause is the interval dropped to nothing
    // for a moment: what the list does decides, never how fast the machine
    // runs the keys.
    const int interval = QApplication::keyboardInputInterval();
    const auto restoreInterval =
        qScopeGuard([interval] { QApplication::setKeyboardInputInterval(interval); });
    bool paused = false;
    const auto type = [&](const QString &keys) {
        QString rest = keys;
        if (paused) {
            // The first key after a pause comes once the interval is over.
            QApplication::setKeyboardInputInterval(0);
            QTest::qSleep(2);
            QTest::keyClicks(list(), rest.left(1));
            rest.remove(0, 1);
            paused = false;
        }
        QApplication::setKeyboardInputInterval(3600 * 1000);
        QTest::keyClicks(list(), rest);
    };
    const auto pause = [&] { paused = true; };
    const auto name = [this] { return list()->currentIndex().data(CelebrityModel::NameRole); };
    list()->setFocus();

    type(QStringLiteral("alb"));
    QCOMPARE(name(), QStringLiteral("Alban Berg"));
    QVERIFY(label("Label9")->text().startsWith(QStringLiteral("ALBAN BERG ")));
    QCOMPARE(label("Label13")->text(), QStringLiteral(" February 9 1885"));
    verifyCurrentRowShown();
    pause();
    // One letter again and again steps through the names that begin with it,
    // accents ignored, and wraps round.
    QStringList stepped;
    for (int i = 0; i < 4; ++i) {
        type(QStringLiteral("e"));
        stepped << name().toString();
    }
    QCOMPARE(stepped, (QStringList{QStringLiteral("Émile"), QStringLiteral("Emily"),
                                   QStringLiteral("Eve"), QStringLiteral("Émile")}));
    pause();
    type(QStringLiteral("z"));
    QCOMPARE(name(), QStringLiteral("Zoe"));
    QCOMPARE(list()->currentIndex().row(), rows() - 1);
    verifyCurrentRowShown();
    pause();
    // No match: nothing changes and nothing runs.
    label("Label13")->setText(QStringLiteral("marker"));
    type(QStringLiteral("q"));
    QCOMPARE(name(), QStringLiteral("Zoe"));
    QCOMPARE(label("Label13")->text(), QStringLiteral("marker"));
    pause();
    // A pause starts a new prefix: "e" after "q" is no "qe".
    type(QStringLiteral("e"));
    QCOMPARE(name(), QStringLiteral("Émile"));
}

QTEST_MAIN(tst_celebritylist)
#include "tst_celebritylist.moc"
