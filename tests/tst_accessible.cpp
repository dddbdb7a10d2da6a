#include "CelebrityListAccessible.h"
#include "CelebrityModel.h"
#include "FrameBudget.h"
#include "WindowDriver.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

using namespace app;

// The celebrity list as a screen reader sees it: a list of rows named after
// the celebrities, the selection marked, and its changes announced.
class tst_accessible : public QObject, public WindowDriver
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void dropDowns_areNamedForWhatTheyAsk();
    void list_rowsAreItemsNamedAfterCelebrities();
    void selection_isMarkedAndAnnounced();
    void rows_keepTheirIdentityAsRowsAreSortedIn();
    void load_announcesAtMostOnceAFrame();
    void bigList_costsOnlyTheRowsAskedFor();

private:
    static void record(QAccessibleEvent *event);
    QAccessibleInterface *listInterface() { return QAccessible::queryAccessibleInterface(list()); }

    struct Seen
    {
        QAccessible::Event type;
        QObject *object;
        int child;
    };
    static QList<Seen> events;
};

QList<tst_accessible::Seen> tst_accessible::events;

void tst_accessible::record(QAccessibleEvent *event)
{
    events.append({event->type(), event->object(), event->child()});
}

void tst_accessible::initTestCase()
{
    // The offscreen platform keeps accessibility off; a screen reader would
    // switch it on.
    QPlatformAccessibility *platform =
        QGuiApplicationPrivate::platformIntegration()->accessibility();
    QVERIFY(platform);
    platform->setActive(true);
    QVERIFY(QAccessible::isActive());
    QAccessible::installUpdateHandler(&tst_accessible::record);
}

void tst_accessible::init()
{
    openWindow();
    events.clear();
}

void tst_accessible::cleanup()
{
    closeWindow();
}

void tst_accessible::dropDowns_areNamedForWhatTheyAsk()
{
    // Named for what they ask, valued by what they show, on every platform.
    const struct
    {
        const char *name;
        QString purpose;
        QString value;
    } dropDowns[] = {{"cDay", QStringLiteral("Day of birth"), QStringLiteral("1")},
                     {"cMonth", QStringLiteral("Month of birth"), QStringLiteral("January")},
                     {"cYear", QStringLiteral("Year of birth"), QStringLiteral("1980")}};
    for (const auto &d : dropDowns) {
        auto *combo = window->findChild<QComboBox *>(QLatin1String(d.name));
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(combo);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::ComboBox);
        QCOMPARE(iface->text(QAccessible::Name), d.purpose);
        QCOMPARE(iface->text(QAccessible::Value), d.value);
        QVERIFY(iface->state().editable);
        QCOMPARE(iface->childCount(), 2);
        QCOMPARE(iface->child(1)->object(), combo->lineEdit());
        QCOMPARE(iface->indexOfChild(iface->child(1)), 1);
        QCOMPARE(iface->child(1)->text(QAccessible::Value), d.value);
    }
    // Typed into, the name stays and the value follows.
    auto *day = window->findChild<QComboBox *>(QStringLiteral("cDay"));
    QTest::keyClick(day->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(day->lineEdit(), QStringLiteral("29"));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(day);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Day of birth"));
    QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("29"));
    // A screen reader opens the list as a click would.
    iface->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    QTRY_VERIFY(day->view()->isVisible());
    QVERIFY(iface->state().expanded);
    iface->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    QTRY_VERIFY(!day->view()->isVisible());
}

void tst_accessible::list_rowsAreItemsNamedAfterCelebrities()
{
    writeDb("Zoe, 1 1 1900,2\r\nÉmile, 2 2 1902,8\r\nAdam, 3 3 1903,7\r\n");
    clickLoad();
    QAccessibleInterface *iface = listInterface();
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::List);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Celebrity list"));
    QCOMPARE(iface->childCount(), 3);
    QStringList names;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *row = iface->child(i);
        QCOMPARE(row->role(), QAccessible::ListItem);
        QCOMPARE(row->parent(), iface);
        QCOMPARE(iface->indexOfChild(row), i);
        names << row->text(QAccessible::Name);
    }
    QCOMPARE(names,
             (QStringList{QStringLiteral("Adam"), QStringLiteral("Émile"), QStringLiteral("Zoe")}));
    QAccessibleTableInterface *table = iface->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->cellAt(1, 0), iface->child(1));
    // A row's place on the screen is where the list paints it.
    const QRect rect = iface->child(0)->rect();
    QCOMPARE(iface->childAt(rect.center().x(), rect.center().y()), iface->child(0));
}

void tst_accessible::selection_isMarkedAndAnnounced()
{
    writeDb("Zoe, 1 1 1900,2\r\nÉmile, 2 2 1902,8\r\nAdam, 3 3 1903,7\r\n");
    clickLoad();
    list()->setFocus();
    events.clear();
    clickRow(1);
    QAccessibleInterface *iface = listInterface();
    QAccessibleInterface *row = iface->child(1);
    QVERIFY(row->state().selected);
    QVERIFY(row->state().focused);
    QVERIFY(!iface->child(0)->state().selected);
    QCOMPARE(iface->focusChild(), row);
    QCOMPARE(iface->tableInterface()->selectedRows(), QList<int>{1});
    const auto announced = [&](QAccessible::Event type, int child) {
        return std::any_of(events.begin(), events.end(), [&](const Seen &s) {
            return s.type == type && s.object == list() && s.child == child;
        });
    };
    QVERIFY(announced(QAccessible::SelectionAdd, 1));
    QVERIFY(announced(QAccessible::Focus, 1));
    events.clear();
    QTest::keyClick(list(), Qt::Key_Down);
    QVERIFY(announced(QAccessible::SelectionAdd, 2));
    QVERIFY(announced(QAccessible::Focus, 2));
    QVERIFY(iface->child(2)->state().selected);
    QVERIFY(!row->state().selected);
    // A screen reader can select a row too, as a click would.
    QVERIFY(iface->tableInterface()->selectRow(0));
    QVERIFY(label("Label9")->text().startsWith(QStringLiteral("ADAM ")));
}

void tst_accessible::rows_keepTheirIdentityAsRowsAreSortedIn()
{
    // A row asked for at the first progress point stays the same object, on
    // the same celebrity, when 200 names sort in above it.
    writeDb(QByteArray("Zed, 1 1 1900,2\r\n").repeated(100) +
            QByteArray("Abe, 1 1 1900,2\r\n").repeated(200));
    QAccessibleInterface *first = nullptr;
    atEachEventPass([&](int pass) {
        if (pass == 2) {
            first = listInterface()->child(0);
            QVERIFY(first);
            QCOMPARE(first->text(QAccessible::Name), QStringLiteral("Zed"));
        }
    });
    clickLoad();
    QVERIFY(first);
    QCOMPARE(first->text(QAccessible::Name), QStringLiteral("Zed"));
    QCOMPARE(listInterface()->indexOfChild(first), 200);
    QCOMPARE(listInterface()->child(200), first);
    QCOMPARE(listInterface()->child(0)->text(QAccessible::Name), QStringLiteral("Abe"));
}

void tst_accessible::load_announcesAtMostOnceAFrame()
{
    QByteArray bytes;
    for (int i = 0; i < 20000; ++i)
        bytes += "Person " + QByteArray::number(i) + ", 1 1 1900,2\r\n";
    writeDb(bytes);
    QElapsedTimer clock;
    clock.start();
    clickLoad();
    const qint64 ms = clock.elapsed();
    QTest::qWait(50);
    qsizetype changes = 0;
    for (const Seen &s : std::as_const(events))
        changes += s.type == QAccessible::TableModelChanged && s.object == list() ? 1 : 0;
    // 20,000 lines pass 578 progress points.
    QVERIFY2(changes >= 1 && changes <= ms / app::budget::kFrameMs + 2,
             qPrintable(QStringLiteral("%1 announcements in %2 ms").arg(changes).arg(ms)));
    QCOMPARE(listInterface()->childCount(), 20000);
}

namespace {
// An interface of no object, whose id tells how many interfaces Qt made
// before it: ids are handed out one after the other.
class Probe : public QAccessibleInterface
{
public:
    bool isValid() const override { return true; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return nullptr; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text) const override { return {}; }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::NoRole; }
    QAccessible::State state() const override { return {}; }
};

QAccessible::Id probeId()
{
    return QAccessible::registerAccessibleInterface(new Probe);
}
} // namespace

void tst_accessible::bigList_costsOnlyTheRowsAskedFor()
{
    QByteArray bytes;
    for (int i = 0; i < 50000; ++i)
        bytes += "P" + QByteArray::number(i) + ",\r\n";
    writeDb(bytes);
    const QAccessible::Id beforeLoad = probeId();
    clickLoad();
    QAccessibleInterface *iface = listInterface();
    QCOMPARE(iface->childCount(), 50000);
    // The load made no row's interface, only a few of other widgets' at most.
    const QAccessible::Id afterLoad = probeId();
    QVERIFY2(afterLoad - beforeLoad < 100, qPrintable(QString::number(afterLoad - beforeLoad)));
    // Each row asked for is made once, and no other.
    QCOMPARE(QAccessible::uniqueId(iface->child(49999)), afterLoad + 1);
    QCOMPARE(QAccessible::uniqueId(iface->child(7)), afterLoad + 2);
    QCOMPARE(QAccessible::uniqueId(iface->child(7)), afterLoad + 2);
    QCOMPARE(probeId(), afterLoad + 3);
}

QTEST_MAIN(tst_accessible)
#include "tst_accessible.moc"
