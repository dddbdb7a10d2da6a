#include "frmMain.h"
#include "platform/heap.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace app;

// Drives the real window with key and mouse events and checks what it shows.
class tst_window : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUp_heapInLargePages();
    void startUp_showsInitialState();
    void startUp_focusAndTabOrder();
    void typing_recomputes_data();
    void typing_recomputes();
    void typing_eachKeystrokeRecomputes();
    void typing_deletingEverything();
    void picking_withMouse();
    void picking_withArrowKeys_stepsFromTypedText();
    void typingAndPicking_giveTheSameNumbers();
    void calcDob_runsOncePerEditAndPick_data();
    void calcDob_runsOncePerEditAndPick();
    void enterAndLeaving_insertNothing();
    void typing_isNotCompleted();
    void overflow_keepsPreviousNumbers_data();
    void overflow_keepsPreviousNumbers();
    void percentage_followsTheDate();

private:
    QLabel *label(const char *name) { return window->findChild<QLabel *>(QLatin1String(name)); }
    QComboBox *combo(const char *name)
    {
        return window->findChild<QComboBox *>(QLatin1String(name));
    }
    // Replaces the whole text of a drop-down by typing, as a user selecting
    // the field's text and typing over it would.
    void typeInto(QComboBox *box, const QString &text);
    void pickWithMouse(QComboBox *box, const QString &item);

    std::unique_ptr<frmMain> window;
    bool heapReady = false;
};

void tst_window::initTestCase()
{
    // As the program does before it builds its window.
    heapReady = platform::heapInLargePages();
}

void tst_window::init()
{
    window = std::make_unique<frmMain>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void tst_window::cleanup()
{
    window.reset();
}

void tst_window::typeInto(QComboBox *box, const QString &text)
{
    QLineEdit *edit = box->lineEdit();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
    QCOMPARE(box->currentText(), text);
}

void tst_window::pickWithMouse(QComboBox *box, const QString &item)
{
    box->showPopup();
    QAbstractItemView *view = box->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QModelIndex index = view->model()->index(box->findText(item), 0);
    view->scrollTo(index);
    const QPoint centre = view->visualRect(index).center();
    // The popup takes the release that follows a press on an item as the pick.
    QTest::mouseMove(view->viewport(), centre);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(box->currentText(), item);
}

// Catches a C library whose heap no longer lays its blocks out as the
// start-up's large pages expect: they would go without a word, and every
// start-up would be slower again.
void tst_window::startUp_heapInLargePages()
{
    if (!platform::kLargePageHeap)
        QSKIP("not glibc's heap in this build");
    if (!QFile::exists(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled")))
        QSKIP("no transparent huge pages in this kernel");
    QVERIFY(heapReady);
}

void tst_window::startUp_showsInitialState()
{
    QCOMPARE(window->windowTitle(), QStringLiteral("Famescope"));
    QCOMPARE(window->size(), QSize(535, 460));
    QCOMPARE(combo("cDay")->count(), 31);
    QCOMPARE(combo("cMonth")->count(), 12);
    QCOMPARE(combo("cYear")->count(), 111);
    QCOMPARE(combo("cDay")->itemText(30), QStringLiteral("31"));
    QCOMPARE(combo("cMonth")->itemText(11), QStringLiteral("December"));
    QCOMPARE(combo("cYear")->itemText(0), QStringLiteral("1900"));
    QCOMPARE(combo("cYear")->itemText(110), QStringLiteral("2010"));
    QCOMPARE(combo("cDay")->currentText(), QStringLiteral("1"));
    QCOMPARE(combo("cMonth")->currentText(), QStringLiteral("January"));
    QCOMPARE(combo("cYear")->currentText(), QStringLiteral("1980"));
    for (const char *name : {"cDay", "cMonth", "cYear"})
        QCOMPARE(combo(name)->currentIndex(), -1);
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("2"));
    QCOMPARE(label("aNumber")->text(), QStringLiteral("2"));
    QCOMPARE(label("Label16")->text(), QStringLiteral("0%"));
    QCOMPARE(label("stat")->text(), QStringLiteral("Loading..."));
    QCOMPARE(label("Label9")->text(), QStringLiteral("NONE SELECTED"));
    QCOMPARE(label("Label13")->text(), QStringLiteral("None Selected"));
    auto *list = window->findChild<QAbstractItemView *>(QStringLiteral("List1"));
    QVERIFY(list);
    QCOMPARE(list->model()->rowCount(), 0);
    auto *load = window->findChild<QPushButton *>(QStringLiteral("Command2"));
    QCOMPARE(load->text(), QStringLiteral("CLICK HERE TO LOAD THE CELEBRITY LIST"));
    QVERIFY(load->isVisible());
}

void tst_window::startUp_focusAndTabOrder()
{
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    auto *list = window->findChild<QWidget *>(QStringLiteral("List1"));
    QTRY_COMPARE(QApplication::focusWidget(), list);

    const char *order[] = {"cYear", "cMonth", "cDay", "Command1", "Command2", "List1"};
    for (const char *name : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *expected = window->findChild<QWidget *>(QLatin1String(name));
        QWidget *focused = QApplication::focusWidget();
        // A drop-down hands its focus to its line edit.
        QVERIFY2(focused == expected || focused->parentWidget() == expected, name);
    }
}

void tst_window::typing_recomputes_data()
{
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("lifePath");
    QTest::addColumn<QString>("attitude");
    // clang-format off
    QTest::newRow("29 July 1985") << "29" << "July" << "1985" << "5" << "9";
    QTest::newRow("11 November 2010") << "11" << "November" << "2010" << "7" << "4";
    QTest::newRow("31 December 1999") << "31" << "December" << "1999" << "8" << "7";
    QTest::newRow("19 September 1999") << "19" << "September" << "1999" << "2" << "1";
    QTest::newRow("5 October 1990") << "5" << "October" << "1990" << "7" << "6";
    QTest::newRow("5 January 1990") << "5" << "January" << "1990" << "7" << "6";
    QTest::newRow("month as number") << "5" << "10" << "1990" << "6" << "5";
    QTest::newRow("day as letters") << "Jan" << "January" << "1980" << "8" << "8";
    QTest::newRow("year not listed") << "1" << "January" << "1850" << "7" << "2";
    QTest::newRow("word") << "abc" << "  MAY " << "abc" << "8" << "2";
    QTest::newRow("all empty") << "" << "" << "" << "0" << "0";
    // clang-format on
}

void tst_window::typing_recomputes()
{
    QFETCH(QString, day);
    QFETCH(QString, month);
    QFETCH(QString, year);
    QFETCH(QString, lifePath);
    QFETCH(QString, attitude);
    typeInto(combo("cYear"), year);
    typeInto(combo("cMonth"), month);
    typeInto(combo("cDay"), day);
    QCOMPARE(label("lpNumber")->text(), lifePath);
    QCOMPARE(label("aNumber")->text(), attitude);
    QCOMPARE(label("Label16")->text(), QStringLiteral("0%"));
}

void tst_window::typing_eachKeystrokeRecomputes()
{
    QLineEdit *day = combo("cDay")->lineEdit();
    QTest::keyClick(day, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(day, Qt::Key_2);
    // 2 January 1980: 2 1 18 -> 2118 -> 12 -> 3; attitude 21 -> 3.
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("3"));
    QCOMPARE(label("aNumber")->text(), QStringLiteral("3"));
    QTest::keyClick(day, Qt::Key_5);
    // 25 January 1980: 7 1 18 -> 7118 -> 17 -> 8; attitude 71 -> 8.
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("8"));
    QCOMPARE(label("aNumber")->text(), QStringLiteral("8"));
    QTest::keyClick(day, Qt::Key_Backspace);
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("3"));
    QTest::keyClick(day, Qt::Key_Backspace);
    // Empty day, January 1980: 0 1 18 -> 0118 -> 10 -> 1; attitude 01 -> 1.
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("1"));
    QCOMPARE(label("aNumber")->text(), QStringLiteral("1"));
}

void tst_window::typing_deletingEverything()
{
    typeInto(combo("cMonth"), QString());
    // Day 1, empty month, 1980: 1 0 18 -> 1018 -> 10 -> 1; attitude 10 -> 1.
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("1"));
    QCOMPARE(label("aNumber")->text(), QStringLiteral("1"));
}

void tst_window::picking_withMouse()
{
    pickWithMouse(combo("cDay"), QStringLiteral("29"));
    pickWithMouse(combo("cMonth"), QStringLiteral("July"));
    pickWithMouse(combo("cYear"), QStringLiteral("1985"));
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("5"));
    QCOMPARE(label("aNumber")->text(), QStringLiteral("9"));
}

void tst_window::picking_withArrowKeys_stepsFromTypedText()
{
    QComboBox *year = combo("cYear");
    QTest::keyClick(year->lineEdit(), Qt::Key_Down);
    QCOMPARE(year->currentText(), QStringLiteral("1981"));
    // 1 January 1981: 1 1 19 -> 1119 -> 12 -> 3.
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("3"));

    typeInto(year, QStringLiteral("2000"));
    QTest::keyClick(year->lineEdit(), Qt::Key_Up);
    QCOMPARE(year->currentText(), QStringLiteral("1999"));
    // 1 January 1999: 1 1 28 -> 1128 -> 12 -> 3.
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("3"));
    QTest::keyClick(year->lineEdit(), Qt::Key_Up);
    // 1998: 1 1 27 -> 1127 -> 11 -> 2.
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("2"));
}

void tst_window::typingAndPicking_giveTheSameNumbers()
{
    typeInto(combo("cDay"), QStringLiteral("19"));
    typeInto(combo("cMonth"), QStringLiteral("September"));
    typeInto(combo("cYear"), QStringLiteral("1999"));
    const QString typedLp = label("lpNumber")->text();
    const QString typedA = label("aNumber")->text();

    typeInto(combo("cDay"), QStringLiteral("x"));
    QVERIFY(label("aNumber")->text() != typedA);
    pickWithMouse(combo("cDay"), QStringLiteral("19"));
    QCOMPARE(label("lpNumber")->text(), typedLp);
    QCOMPARE(label("aNumber")->text(), typedA);
}

void tst_window::calcDob_runsOncePerEditAndPick_data()
{
    QTest::addColumn<QString>("before"); // typed into the day first
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("runs");
    // clang-format off
    QTest::newRow("a typed character")           << "1"  << "type 7"      << 1;
    QTest::newRow("a paste")                     << "1"  << "paste 12"    << 1;
    QTest::newRow("an undo")                     << "15" << "undo"        << 1;
    QTest::newRow("Down to the next item")       << "15" << "Down"        << 1;
    QTest::newRow("a pick in the open list")     << "15" << "pick 29"     << 1;
    QTest::newRow("Down on the last item")       << "31" << "Down"        << 0;
    QTest::newRow("Enter")                       << "15" << "Enter"       << 0;
    QTest::newRow("Tab")                         << "15" << "Tab"         << 0;
    QTest::newRow("focus moving in")             << "15" << "focus in"    << 0;
    QTest::newRow("focus moving out")            << "15" << "focus out"   << 0;
    // clang-format on
}

void tst_window::calcDob_runsOncePerEditAndPick()
{
    QFETCH(QString, before);
    QFETCH(QString, gesture);
    QFETCH(int, runs);
    QComboBox *day = combo("cDay");
    QLineEdit *edit = day->lineEdit();
    typeInto(day, before);
    if (gesture == QLatin1String("focus in"))
        combo("cYear")->setFocus();
    else
        edit->setFocus();
    const QSignalSpy ran(window.get(), &frmMain::calcDobRan);
    const QString argument = gesture.section(u' ', 1);
    if (gesture.startsWith(QLatin1String("type"))) {
        QTest::keyClicks(edit, argument);
    } else if (gesture.startsWith(QLatin1String("paste"))) {
        QApplication::clipboard()->setText(argument);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(day->currentText(), argument);
    } else if (gesture == QLatin1String("undo")) {
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(day->currentText(), QStringLiteral("1"));
    } else if (gesture == QLatin1String("Down")) {
        QTest::keyClick(edit, Qt::Key_Down);
    } else if (gesture.startsWith(QLatin1String("pick"))) {
        pickWithMouse(day, argument);
    } else if (gesture == QLatin1String("Enter")) {
        QTest::keyClick(edit, Qt::Key_Return);
    } else if (gesture == QLatin1String("Tab")) {
        QTest::keyClick(edit, Qt::Key_Tab);
    } else if (gesture == QLatin1String("focus in")) {
        day->setFocus(Qt::TabFocusReason);
        QVERIFY(edit->hasFocus());
    } else if (gesture == QLatin1String("focus out")) {
        combo("cYear")->setFocus(Qt::TabFocusReason);
        QVERIFY(!edit->hasFocus());
    }
    QCOMPARE(ran.count(), runs);
}

void tst_window::enterAndLeaving_insertNothing()
{
    QComboBox *day = combo("cDay");
    typeInto(day, QStringLiteral("99"));
    QTest::keyClick(day->lineEdit(), Qt::Key_Enter);
    QTest::keyClick(day->lineEdit(), Qt::Key_Tab);
    QCOMPARE(day->count(), 31);
    QCOMPARE(day->findText(QStringLiteral("99")), -1);
    QCOMPARE(day->currentText(), QStringLiteral("99"));
}

void tst_window::typing_isNotCompleted()
{
    QComboBox *year = combo("cYear");
    typeInto(year, QStringLiteral("1"));
    QCOMPARE(year->lineEdit()->text(), QStringLiteral("1"));
    // 1 January, year 1: 1 1 1 -> 111 -> 3.
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("3"));
}

void tst_window::overflow_keepsPreviousNumbers_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("lifePathAfterTypingOne");
    // 1 July 1985: 1 7 23 -> 1723 -> 13 -> 4.
    // clang-format off
    QTest::newRow("day of 3641 nines") << QByteArray("cDay") << QString(3641, u'9') << "4";
    // 29 July, year 1: 11 7 1 -> 1171 -> 10 -> 1.
    QTest::newRow("year of 3641 nines") << QByteArray("cYear") << QString(3641, u'9') << "1";
    QTest::newRow("year of 40000 blanks") << QByteArray("cYear") << QString(40000, u' ') << "1";
    // clang-format on
}

void tst_window::overflow_keepsPreviousNumbers()
{
    QFETCH(QByteArray, field);
    QFETCH(QString, text);
    QFETCH(QString, lifePathAfterTypingOne);
    label("Label14")->setText(QStringLiteral("1"));
    label("Label15")->setText(QStringLiteral("1"));
    typeInto(combo("cDay"), QStringLiteral("29"));
    typeInto(combo("cMonth"), QStringLiteral("July"));
    typeInto(combo("cYear"), QStringLiteral("1985"));
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("5"));
    QCOMPARE(label("aNumber")->text(), QStringLiteral("9"));
    QCOMPARE(label("Label16")->text(), QStringLiteral("100%"));

    // Pasting is one edit of the whole text.
    QComboBox *box = combo(field.constData());
    QApplication::clipboard()->setText(text);
    QTest::keyClick(box->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box->lineEdit(), Qt::Key_V, Qt::ControlModifier);
    QVERIFY(box->currentText().size() >= 3641);
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("5"));
    QCOMPARE(label("aNumber")->text(), QStringLiteral("9"));
    QCOMPARE(label("Label16")->text(), QStringLiteral("100%"));

    // The window stays usable.
    typeInto(box, QStringLiteral("1"));
    QCOMPARE(label("lpNumber")->text(), lifePathAfterTypingOne);
}

void tst_window::percentage_followsTheDate()
{
    // A celebrity with Life Path 2 and Attitude 7 is shown.
    label("Label14")->setText(QStringLiteral("2"));
    label("Label15")->setText(QStringLiteral("7"));
    // 6 January 1980: 6 1 18 -> 6118 -> 16 -> 7; LP(7,2) 90 + Att(7,7) 10.
    typeInto(combo("cDay"), QStringLiteral("6"));
    QCOMPARE(label("Label16")->text(), QStringLiteral("100%"));
    // 8 January 1980: 8 1 18 -> 8118 -> 18 -> 9; LP(9,2) 50 + Att(7,9) 2.
    typeInto(combo("cDay"), QStringLiteral("8"));
    QCOMPARE(label("Label16")->text(), QStringLiteral("52%"));
    // 2 January 1979: 2 1 26 -> 2126 -> 11 -> 2; LP(2,2) 90 + Att(7,2) 10,
    // with an Attitude of 3 where 1 January 1980 has 2 and the same percentage.
    typeInto(combo("cYear"), QStringLiteral("1979"));
    typeInto(combo("cDay"), QStringLiteral("2"));
    QCOMPARE(label("lpNumber")->text(), QStringLiteral("2"));
    QCOMPARE(label("aNumber")->text(), QStringLiteral("3"));
    QCOMPARE(label("Label16")->text(), QStringLiteral("100%"));
    // Nobody selected again: any date shows 0%.
    label("Label14")->setText(QStringLiteral("None Selected"));
    typeInto(combo("cDay"), QStringLiteral("7"));
    QCOMPARE(label("Label16")->text(), QStringLiteral("10%"));
}

QTEST_MAIN(tst_window)
#include "tst_window.moc"
