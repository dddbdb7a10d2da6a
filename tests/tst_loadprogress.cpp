#include "CelebrityLoader.h"
#include "CelebrityModel.h"

#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

using namespace app;

// The load on its own, with no window: the file read into the model, the
// progress points and their status texts, and stopping at a progress point.
class tst_loadprogress : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void progressCount_data();
    void progressCount();
    void progressCount_885PointsUpTo32767();

    void load_mixedFile_sortsAndCountsDataLines();
    void load_skippedLinesAtAPoint_repeatTheStatus();
    void load_failures_areNamed_data();
    void load_failures_areNamed();
    void load_stoppedAtSecondPoint_keepsWhatItLoaded();
    void load_longRunOfSkippedLines_pausesForInput();
    void load_neverShown_keepsFewItemsUnsorted();

private:
    QString writeDb(const QByteArray &bytes);
    QStringList rowNames() const;

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<CelebrityModel> model;
};

void tst_loadprogress::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    model = std::make_unique<CelebrityModel>();
}

QString tst_loadprogress::writeDb(const QByteArray &bytes)
{
    const QString path = dir->filePath(QStringLiteral("db.txt"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QStringList tst_loadprogress::rowNames() const
{
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row).data(CelebrityModel::NameRole).toString();
    return names;
}

QByteArray numbered(int from, int count, const QByteArray &after = {})
{
    QByteArray bytes;
    for (int i = from; i < from + count; ++i)
        bytes += "Person " + QByteArray::number(100000 + i) + ", 1 1 1900,2\r\n" + after;
    return bytes;
}

void tst_loadprogress::progressCount_data()
{
    QTest::addColumn<qint64>("count");
    QTest::addColumn<bool>("shown");
    // clang-format off
    QTest::newRow("0")            << qint64(0)       << false;
    QTest::newRow("99")           << qint64(99)      << false;
    QTest::newRow("100")          << qint64(100)     << true;
    QTest::newRow("101")          << qint64(101)     << false;
    QTest::newRow("900")          << qint64(900)     << true;
    QTest::newRow("1000")         << qint64(1000)    << true;
    QTest::newRow("1009")         << qint64(1009)    << true;
    QTest::newRow("1010")         << qint64(1010)    << false;
    QTest::newRow("1100")         << qint64(1100)    << true;
    QTest::newRow("10050")        << qint64(10050)   << true;
    QTest::newRow("10100")        << qint64(10100)   << true;
    QTest::newRow("10101")        << qint64(10101)   << false;
    QTest::newRow("11005")        << qint64(11005)   << true;
    QTest::newRow("11010")        << qint64(11010)   << false;
    QTest::newRow("32767")        << qint64(32767)   << false;
    QTest::newRow("past 16 bits") << qint64(40012)   << true;
    QTest::newRow("a million")    << qint64(1000000) << true;
    QTest::newRow("1010101")      << qint64(1010101) << false;
    // clang-format on
}

void tst_loadprogress::progressCount()
{
    QFETCH(qint64, count);
    QFETCH(bool, shown);
    QCOMPARE(CelebrityLoader::isProgressCount(count), shown);
}

void tst_loadprogress::progressCount_885PointsUpTo32767()
{
    int points = 0;
    for (qint64 n = 1; n <= 32767; ++n)
        points += CelebrityLoader::isProgressCount(n) ? 1 : 0;
    QCOMPARE(points, 885);
}

void tst_loadprogress::load_mixedFile_sortsAndCountsDataLines()
{
    const QString path = writeDb("zed Zulu, 3 3 1903,7\r\n"
                                 "# a comment, skipped\r\n"
                                 "Émile Ange, 2 2 1902,8\r\n"
                                 "   adam Smith  , 1 1 1901,9\r\n"
                                 "no comma here\r\n"
                                 "\r\n"
                                 "Eve, 4 4 1904,1\r\n"
                                 "Bert & Ernie, 5 5 1905,2\r\n"
                                 "Adam smith, 6 6 1906,3");
    CelebrityLoader loader(*model);
    int points = 0;
    QVERIFY(loader.load(path, [&](const QString &) { return ++points, true; }));
    QCOMPARE(points, 0);
    QCOMPARE(loader.statusText(), QStringLiteral("5 Names Loaded. (COMPLETE)"));
    const QStringList expected = {QStringLiteral("adam Smith"), QStringLiteral("Adam smith"),
                                  QStringLiteral("Émile Ange"), QStringLiteral("Eve"),
                                  QStringLiteral("zed Zulu")};
    QCOMPARE(rowNames(), expected);
    QCOMPARE(model->index(4).data().toString(),
             QStringLiteral("zed Zulu") + QString(500, u' ') + QStringLiteral(", 3 3 1903,7"));
}

void tst_loadprogress::load_skippedLinesAtAPoint_repeatTheStatus()
{
    // Two skipped lines follow the 100th item; the 1000th to 1009th each
    // reach a point, the 1010th does not.
    const QString path = writeDb(numbered(0, 100) + "#\r\nno comma\r\n" + numbered(100, 920));
    CelebrityLoader loader(*model);
    QStringList seen;
    QList<int> rowsAtPoint;
    QVERIFY(loader.load(path, [&](const QString &status) {
        seen << status.section(u' ', 0, 0);
        // As the window does before it shows the list.
        loader.flushShown();
        rowsAtPoint << model->rowCount();
        return true;
    }));
    QStringList expected = {QStringLiteral("100"), QStringLiteral("100"), QStringLiteral("100")};
    for (int n = 200; n <= 900; n += 100)
        expected << QString::number(n);
    for (int n = 1000; n <= 1009; ++n)
        expected << QString::number(n);
    QCOMPARE(seen, expected);
    // Every item counted at a point is in the list once it is shown.
    for (int i = 0; i < seen.size(); ++i)
        QCOMPARE(QString::number(rowsAtPoint[i]), seen[i]);
    QCOMPARE(loader.statusText(), QStringLiteral("1020 Names Loaded. (COMPLETE)"));
}

void tst_loadprogress::load_failures_areNamed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("status");
    // An empty file, or one of skipped lines only, is a complete load.
    // clang-format off
    QTest::newRow("missing")       << "missing" << "0 Names Loaded. (NOT FOUND)";
    QTest::newRow("folder")        << "folder"  << "0 Names Loaded. (NOT A FILE)";
    QTest::newRow("empty")         << "empty"   << "0 Names Loaded. (COMPLETE)";
    QTest::newRow("skipped lines") << "skipped" << "0 Names Loaded. (COMPLETE)";
    // clang-format on
}

void tst_loadprogress::load_failures_areNamed()
{
    QFETCH(QString, kind);
    QFETCH(QString, status);
    const QString path = dir->filePath(QStringLiteral("db.txt"));
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));
    else if (kind == QLatin1String("empty"))
        writeDb({});
    else if (kind == QLatin1String("skipped"))
        writeDb("# a comment, with a comma\r\nno comma\r\n\r\n");
    CelebrityLoader loader(*model);
    QVERIFY(loader.load(path, [](const QString &) { return true; }));
    QCOMPARE(loader.statusText(), status);
    QCOMPARE(model->rowCount(), 0);
}

void tst_loadprogress::load_stoppedAtSecondPoint_keepsWhatItLoaded()
{
    const QString path = writeDb(numbered(0, 1000));
    CelebrityLoader loader(*model);
    int points = 0;
    QVERIFY(!loader.load(path, [&](const QString &) { return ++points < 2; }));
    QCOMPARE(points, 2);
    QCOMPARE(model->rowCount(), 200);
    QCOMPARE(loader.statusText(), QStringLiteral("200 Names Loaded. (LOADING)"));
}

void tst_loadprogress::load_longRunOfSkippedLines_pausesForInput()
{
    // Three million commented-out lines reach no progress point; the load
    // still hands over about once a frame, changing nothing anyone reads.
    QByteArray bytes = numbered(0, 150);
    bytes += QByteArray("#\r\n").repeated(3000000);
    bytes += numbered(150, 10);
    const QString path = writeDb(bytes);
    CelebrityLoader loader(*model);
    QStringList points;
    int pauses = 0;
    QVERIFY(loader.load(
        path,
        [&](const QString &status) {
            points << status;
            return true;
        },
        [&] {
            ++pauses;
            // Shown at a pause, the list is as at the last progress point:
            // 100 names, not the 150 read by then.
            loader.flushShown();
            if (model->rowCount() != 100)
                qFatal("a pause changed the list");
            return true;
        }));
    QVERIFY2(pauses >= 2, qPrintable(QString::number(pauses)));
    QCOMPARE(points, QStringList{QStringLiteral("100 Names Loaded. (LOADING)")});
    QCOMPARE(loader.statusText(), QStringLiteral("160 Names Loaded. (COMPLETE)"));

    // A pause, too, can stop the load.
    auto other = std::make_unique<CelebrityModel>();
    CelebrityLoader stopped(*other);
    QVERIFY(!stopped.load(
        path, [](const QString &) { return true; }, [] { return false; }));
}

void tst_loadprogress::load_neverShown_keepsFewItemsUnsorted()
{
    // A window that never paints (hidden, minimised) never asks for the
    // items to be sorted in; left to the end, sorting them all would freeze it.
    constexpr int kLines = 400000;
    QByteArray bytes;
    for (int i = 0; i < kLines; ++i) {
        bytes +=
            "Person " + QByteArray::number(100000 + qint64(i) * 7919 % kLines) + ", 1 1 1900,2\r\n";
    }
    const QString path = writeDb(bytes);
    CelebrityLoader loader(*model);
    qsizetype mostWaiting = 0;
    QVERIFY(loader.load(path, [&](const QString &) {
        mostWaiting = std::max(mostWaiting, model->waitingCount());
        return true;
    }));
    QVERIFY2(mostWaiting <= 140000, qPrintable(QString::number(mostWaiting)));
    QCOMPARE(model->rowCount(), kLines);
    for (int row = 0; row < kLines; row += 997) {
        QCOMPARE(model->index(row).data(CelebrityModel::NameRole).toString(),
                 QStringLiteral("Person ") + QString::number(100000 + row));
    }
}

QTEST_GUILESS_MAIN(tst_loadprogress)
#include "tst_loadprogress.moc"
