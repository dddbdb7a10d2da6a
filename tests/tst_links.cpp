#include "frmMain.h"
#include "links.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace app;

namespace {

class RecordingLauncher : public links::Launcher
{
public:
    explicit RecordingLauncher(QStringList *started) : started(started) {}
    void start(const QString &commandLine) override { *started << commandLine; }

private:
    QStringList *started;
};

} // namespace

// The extended-database button and the credit line open the maker's pages.
class tst_links : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void commandLine_data();
    void commandLine();
    void urls_haveTheirFixedForm();
    void clicks_startOneCommandLineEach_data();
    void clicks_startOneCommandLineEach();
    void twoClicks_startTwice();
    void keys_pressTheFocusedButton_data();
    void keys_pressTheFocusedButton();
    void enterElsewhere_pressesNothing();
    void desktopOpener_receivesEachUrlOnce();
    void missingOpener_isSilent();

private:
    QStringList displayTexts() const;
    void click(const char *element);

    std::unique_ptr<frmMain> window;
    QStringList started;
};

void tst_links::init()
{
    started.clear();
    window = std::make_unique<frmMain>();
    window->setLauncher(std::make_unique<RecordingLauncher>(&started));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void tst_links::cleanup()
{
    window.reset();
    qunsetenv("windir");
}

QStringList tst_links::displayTexts() const
{
    QStringList texts;
    for (const QLabel *label : window->findChildren<QLabel *>())
        texts << label->objectName() + u'=' + label->text();
    return texts;
}

void tst_links::click(const char *element)
{
    QWidget *w = window->findChild<QWidget *>(QLatin1String(element));
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

void tst_links::commandLine_data()
{
    QTest::addColumn<QString>("windir");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("system folder") << "C:\\WINDOWS" << "http://a.example" << "C:\\WINDOWS\\explorer.exe \"http://a.example\"";
    QTest::newRow("no windir") << "" << "http://a.example/qz.html" << "\\explorer.exe \"http://a.example/qz.html\"";
    QTest::newRow("url unchanged") << "D:\\Win" << "http://a.example/x y?z=\"1\"" << "D:\\Win\\explorer.exe \"http://a.example/x y?z=\"1\"\"";
    // clang-format on
}

void tst_links::commandLine()
{
    QFETCH(QString, windir);
    QFETCH(QString, url);
    QFETCH(QString, expected);
    QCOMPARE(links::commandLine(windir, url), expected);
}

void tst_links::urls_haveTheirFixedForm()
{
    QVERIFY(links::kHomePage.startsWith(QStringLiteral("http://")));
    QVERIFY(!links::kHomePage.endsWith(u'/'));
    QCOMPARE(links::kHomePage.count(u'/'), 2);
    QCOMPARE(links::kDatabasePage, links::kHomePage + QStringLiteral("/qz.html"));
    QVERIFY(links::kHomePage.endsWith(QStringLiteral(".example")));
}

void tst_links::clicks_startOneCommandLineEach_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QByteArray>("windir");
    QTest::addColumn<QString>("expected");
    const QString home = links::kHomePage;
    const QString database = links::kDatabasePage;
    // clang-format off
    QTest::newRow("button, windir set") << QByteArray("Command1") << QByteArray("C:\\WINDOWS") << "C:\\WINDOWS\\explorer.exe \"" + database + u'"';
    QTest::newRow("button, windir unset") << QByteArray("Command1") << QByteArray() << "\\explorer.exe \"" + database + u'"';
    QTest::newRow("credit, windir set") << QByteArray("Label5") << QByteArray("C:\\WINDOWS") << "C:\\WINDOWS\\explorer.exe \"" + home + u'"';
    QTest::newRow("credit, windir unset") << QByteArray("Label5") << QByteArray() << "\\explorer.exe \"" + home + u'"';
    // clang-format on
}

void tst_links::clicks_startOneCommandLineEach()
{
    QFETCH(QByteArray, element);
    QFETCH(QByteArray, windir);
    QFETCH(QString, expected);
    if (windir.isEmpty())
        qunsetenv("windir");
    else
        qputenv("windir", windir);
    const QStringList before = displayTexts();
    click(element.constData());
    QCOMPARE(started, QStringList{expected});
    QCOMPARE(displayTexts(), before);
    auto *button = window->findChild<QPushButton *>(QStringLiteral("Command1"));
    QVERIFY(button->isVisible());
    QVERIFY(button->isEnabled());
}

void tst_links::twoClicks_startTwice()
{
    click("Command1");
    click("Command1");
    click("Label5");
    click("Label5");
    QCOMPARE(started.size(), 4);
    QCOMPARE(started[0], started[1]);
    QCOMPARE(started[2], started[3]);
    QVERIFY(started[0] != started[2]);
}

void tst_links::keys_pressTheFocusedButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    // clang-format off
    QTest::newRow("Return")       << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter)  << int(Qt::KeypadModifier);
    QTest::newRow("Space")        << int(Qt::Key_Space)  << int(Qt::NoModifier);
    // clang-format on
}

void tst_links::keys_pressTheFocusedButton()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    auto *button = window->findChild<QPushButton *>(QStringLiteral("Command1"));
    // Reached by Tab from the day drop-down, as a user would.
    window->findChild<QWidget *>(QStringLiteral("cDay"))->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), button);
    QTest::keyClick(button, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(started,
             QStringList{links::commandLine(qEnvironmentVariable("windir"), links::kDatabasePage)});
}

void tst_links::enterElsewhere_pressesNothing()
{
    // Neither button is a default button: Enter in a drop-down or the list
    // presses none.
    for (const char *name : {"cDay", "List1"}) {
        auto *widget = window->findChild<QWidget *>(QLatin1String(name));
        widget->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    }
    QVERIFY(started.isEmpty());
    QVERIFY(window->findChild<QPushButton *>(QStringLiteral("Command2"))->isVisible());
}

void tst_links::desktopOpener_receivesEachUrlOnce()
{
    QTemporaryDir bin;
    QStringList expected;
#ifdef Q_OS_WIN
    // The real path: a stand-in explorer.exe in a system folder of the test's
    // own records the command line it was started with, in a file of its own
    // for each click.
    const QString windir = QDir::toNativeSeparators(bin.path());
    QVERIFY(QFile::copy(QStringLiteral(FAMESCOPE_RECORDER),
                        bin.filePath(QStringLiteral("explorer.exe"))));
    qputenv("windir", windir.toLocal8Bit());
    window->setLauncher(links::systemLauncher());
    const auto record = [&bin](int n) {
        return bin.filePath(QStringLiteral("started-%1.txt").arg(n));
    };
    qputenv("FAMESCOPE_RECORD", QDir::toNativeSeparators(record(1)).toLocal8Bit());
    click("Command1");
    qputenv("FAMESCOPE_RECORD", QDir::toNativeSeparators(record(2)).toLocal8Bit());
    click("Label5");
    qunsetenv("FAMESCOPE_RECORD");
    // Each started maximised and focused: STARTF_USESHOWWINDOW (1) and
    // SW_SHOWMAXIMIZED (3).
    const QString maximised = QStringLiteral("flags=1 show=3");
    expected = QStringList{links::commandLine(windir, links::kDatabasePage), maximised,
                           links::commandLine(windir, links::kHomePage), maximised};
    const auto readLines = [&]() -> QStringList {
        QStringList lines;
        for (int n : {1, 2}) {
            QFile f(record(n));
            if (!f.open(QIODevice::ReadOnly))
                return {};
            const QByteArray utf16 = f.readAll();
            // The command line, then how the browser's window is to show.
            lines << QString::fromUtf16(reinterpret_cast<const char16_t *>(utf16.constData()),
                                        utf16.size() / 2)
                         .split(u'\n');
        }
        return lines;
    };
#else
    // A stand-in for the desktop's opener records what it is given.
    const QString log = bin.filePath(QStringLiteral("opened.txt"));
    QFile script(bin.filePath(QStringLiteral("xdg-open")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" >> '" + log.toUtf8() + "'\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8() + ':' + path);
    qputenv("windir", "C:\\WINDOWS");
    window->setLauncher(links::systemLauncher());

    click("Command1");
    click("Label5");
    qputenv("PATH", path);
    expected = QStringList{QStringLiteral("1|") + links::kDatabasePage,
                           QStringLiteral("1|") + links::kHomePage};
    const auto readLines = [&]() -> QStringList {
        QFile f(log);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
        lines.sort();
        return lines.size() >= 2 ? lines : QStringList{};
    };
    expected.sort();
#endif
    QStringList lines;
    QTRY_VERIFY_WITH_TIMEOUT(!(lines = readLines()).isEmpty(), 30000);
    QCOMPARE(lines, expected);
}

void tst_links::missingOpener_isSilent()
{
    QTemporaryDir empty;
#ifdef Q_OS_WIN
    // No explorer.exe in the system folder.
    qputenv("windir", QDir::toNativeSeparators(empty.path()).toLocal8Bit());
#endif
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", empty.path().toUtf8());
    window->setLauncher(links::systemLauncher());
    const QStringList before = displayTexts();
    click("Command1");
    click("Label5");
    qputenv("PATH", path);
    QCOMPARE(displayTexts(), before);
    QVERIFY(window->isVisible());
}

QTEST_MAIN(tst_links)
#include "tst_links.moc"
