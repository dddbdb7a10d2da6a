#pragma once

// What the window tests that load db.txt share: a program folder of the
// test's own, the real window looking there, and a user's clicks on it.

#include "frmMain.h"
#include "startup.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace app;

class WindowDriver
{
protected:
    // The window looks for db.txt beside the program and in the data folders;
    // each test has its own of all of them, so that test programs can run
    // side by side and no user's or system's database gets in.
    QString dbPath() const { return folder->filePath(QStringLiteral("bin/db.txt")); }

    void writeDb(const QByteArray &bytes, const QString &path = {})
    {
        QFile f(path.isEmpty() ? dbPath() : path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes), bytes.size());
    }

    void openWindow()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("bin")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder->filePath(QStringLiteral("user"))));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(folder->filePath(QStringLiteral("system"))));
        installAccessibility();
        window = std::make_unique<frmMain>();
        window->setProgramFolder(folder->filePath(QStringLiteral("bin")));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void closeWindow()
    {
        ticker.reset();
        window.reset();
        folder.reset();
    }

    QLabel *label(const char *name) { return window->findChild<QLabel *>(QLatin1String(name)); }
    QAbstractItemView *list()
    {
        return window->findChild<QAbstractItemView *>(QStringLiteral("List1"));
    }
    int rows() { return list()->model()->rowCount(); }
    QString rowText(int row) { return list()->model()->index(row, 0).data().toString(); }

    void clickLoad()
    {
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("Command2")),
                          Qt::LeftButton);
    }

    void clickRow(int row)
    {
        const QRect rect = list()->visualRect(list()->model()->index(row, 0));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
    }

    // Runs `step` each time the window lets its events run, with the number
    // of that moment (1 is the one before the load begins, 2 the first
    // progress point). While the first lines are being read the window may
    // handle its events too, as often as a slow start makes it: those moments
    // are not counted, so that the numbers stay the same on a busy machine.
    // A user acts on what the window shows: it is painted before each step,
    // whatever order the platform delivers its events in.
    void atEachEventPass(std::function<void(int)> step)
    {
        ticker = std::make_unique<QTimer>();
        ticker->setInterval(0);
        auto pass = std::make_shared<int>(0);
        QObject::connect(ticker.get(), &QTimer::timeout, ticker.get(), [this, pass, step] {
            if (*pass == 1 && label("stat")->text() == QStringLiteral("Loading..."))
                return;
            window->repaint();
            step(++*pass);
        });
        ticker->start();
    }

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<frmMain> window;
    std::unique_ptr<QTimer> ticker;
};
