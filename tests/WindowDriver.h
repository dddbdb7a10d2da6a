#pragma once

// What the window tests that load db.txt share: the file beside the test
// program, the real window, and a user's clicks on it.

#include "frmMain.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

class WindowDriver
{
protected:
    // The program reads db.txt from its own folder.
    static QString dbPath()
    {
        return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("db.txt"));
    }

    static void writeDb(const QByteArray &bytes, const QString &path = {})
    {
        QFile f(path.isEmpty() ? dbPath() : path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes), bytes.size());
    }

    void openWindow()
    {
        window = std::make_unique<frmMain>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void closeWindow()
    {
        ticker.reset();
        window.reset();
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
    // of that moment (1 is the one before the load begins).
    void atEachEventPass(std::function<void(int)> step)
    {
        ticker = std::make_unique<QTimer>();
        ticker->setInterval(0);
        auto pass = std::make_shared<int>(0);
        QObject::connect(ticker.get(), &QTimer::timeout, ticker.get(),
                         [pass, step] { step(++*pass); });
        ticker->start();
    }

    std::unique_ptr<frmMain> window;
    std::unique_ptr<QTimer> ticker;
};
