// Loading db.txt through the real window, shown on the offscreen platform,
// from the click on the load button to the completion text.
//   build/default/bench/bench_load            (32,767 and 1,000,000 lines, then
//                                             1,000,000 in UTF-16 and mixed)
//   build/default/bench/bench_load 200000     (one size of your choice)
//   build/default/bench/bench_load 200000 utf16|mixed|skipped|shared|alike40  (one size, one kind)
//   build/default/bench/bench_load --scale    (1, 4 and 10 million lines: UTF-8,
//                                             commented out, UTF-16; 3 runs each)
//   build/default/bench/bench_load --long-line (one line of 50 MB, and closing
//                                             the window in the middle of it)
// Kinds: UTF-8 (the default); UTF-16 LE with a byte-order mark, as Notepad
// saves "Unicode"; mixed, where every tenth line is in Windows-1252; skipped,
// where every line is commented out; shared, where the names come from 300
// first-and-last-name pairs, each followed by a five-digit number; alike40,
// where every name starts with the same 40 characters. Every other kind's
// names have a distinct part.
// It writes db.txt into a folder of its own and points the window there:
// files of generated, realistic names with CR LF line ends. Peak memory is the growth of the
// process's peak resident size (VmHWM, reset before each load) over its size before the load;
// on Windows the largest working set seen at the load's moments, over the one before it.
// Per line, it counts the sort keys (or their starts) worked out and the texts compared by
// the collation, ICU's or the system's.
#include "database/order/Collation.h"
#include "database/reading/ParseAhead.h"
#include "engine/numerology.h"
#include "frmMain.h"
#include "platform/heap.h"
#include "startup.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>
#endif

using namespace app;

namespace {

const char *const kFirst[] = {
    "James",  "Mary",    "John",      "Patricia", "Robert",   "Jennifer", "Michael",
    "Linda",  "William", "Elizabeth", "David",    "Barbara",  "Richard",  "Susan",
    "Joseph", "Jessica", "Thomas",    "Sarah",    "Charles",  "Karen",    "Christopher",
    "Nancy",  "Daniel",  "Lisa",      "Matthew",  "Margaret", "Anthony",  "Betty",
    "Mark",   "Sandra",  "Donald",    "Ashley",   "Émile",    "Zoë",      "Björn",
    "Renée",  "José",    "Chloé",     "Søren",    "Ångström", "Ava",      "Liam",
    "Noah",   "Olivia",  "Ethan",     "Mia",      "Lucas",    "Isabella"};
const char *const kLast[] = {
    "Smith",    "Johnson",      "Williams", "Brown",     "Jones",    "Garcia",   "Miller",
    "Davis",    "Rodriguez",    "Martinez", "Hernandez", "Lopez",    "Gonzalez", "Wilson",
    "Anderson", "Thomas",       "Taylor",   "Moore",     "Jackson",  "Martin",   "Lee",
    "Perez",    "Thompson",     "White",    "Harris",    "Sanchez",  "Clark",    "Ramirez",
    "Lewis",    "Robinson",     "Walker",   "Young",     "Allen",    "King",     "Wright",
    "Scott",    "Torres",       "Nguyen",   "Hill",      "Flores",   "Green",    "Adams",
    "Nelson",   "Baker",        "Hall",     "Rivera",    "Campbell", "Mitchell", "O'Brien",
    "McDonald", "van der Berg", "Müller",   "Dubois",    "Rossi",    "Novák",    "Kowalski"};
enum class Kind { Utf8, Utf16, Mixed, Skipped, Shared, Alike40 };

// A distinct part for each generated name, so that no cache of keys by name
// could stand in for the work: the line's number in letters.
QString distinctPart(int i)
{
    QString part;
    do {
        part += QChar(u'a' + i % 26);
        i /= 26;
    } while (i > 0);
    part[0] = part[0].toUpper();
    return part;
}

QByteArray generate(int lines, Kind kind = Kind::Utf8)
{
    QRandomGenerator rng(20261208);
    QByteArray bytes;
    bytes.reserve(qsizetype(lines) * 36);
    for (int i = 0; i < lines; ++i) {
        const int month = rng.bounded(1, 13);
        const int day = rng.bounded(1, 29);
        const int year = rng.bounded(1900, 2011);
        const int first = rng.bounded(int(std::size(kFirst)));
        const int last = rng.bounded(int(std::size(kLast)));
        QString name;
        if (kind == Kind::Shared) {
            // 300 first-and-last-name pairs, each followed by a number, so
            // that names share their first ten to fifteen characters.
            const int pair = rng.bounded(300);
            name = QString::fromUtf8(kFirst[pair % std::size(kFirst)]) + u' ' +
                   QString::fromUtf8(kLast[(pair / 48 + pair * 5) % std::size(kLast)]) + u' ' +
                   QString::number(rng.bounded(10000, 100000));
        } else if (kind == Kind::Alike40) {
            // The same forty characters, then a name of its own.
            name = QStringLiteral("Sir Alexander Hamilton of the Clan Gray ") +
                   QString::fromUtf8(kFirst[first]) + u' ' + distinctPart(i) + u' ' +
                   QString::fromUtf8(kLast[last]);
        } else {
            name = QString::fromUtf8(kFirst[first]) + u' ' + distinctPart(i) + u' ' +
                   QString::fromUtf8(kLast[last]);
        }
        const QString yearText = QString::number(year);
        const auto lp =
            engine::lifePath(QString::number(day), engine::monthNames()[month - 1], yearText);
        const QByteArray nameBytes =
            kind == Kind::Mixed && i % 10 == 0 ? name.toLatin1() : name.toUtf8();
        // A commented-out line: skipped, as a long run of them in a file would be.
        if (kind == Kind::Skipped)
            bytes += "# ";
        bytes += nameBytes + ", " + QByteArray::number(month) + ' ' + QByteArray::number(day) +
                 ' ' + yearText.toLatin1() + ',' + lp->toLatin1() + "\r\n";
    }
    if (kind == Kind::Utf16) {
        const QString text = QString::fromUtf8(bytes);
        QByteArray wide("\xFF\xFE");
        wide.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        return wide;
    }
    return bytes;
}

// The process's memory in use now, and the most since the last reset, in KiB.
#ifdef Q_OS_WIN
long residentKb()
{
    PROCESS_MEMORY_COUNTERS counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    return long(counters.WorkingSetSize / 1024);
}
// The system keeps the process's peak for its whole life: the largest seen
// at the load's moments stands in.
long sampledPeakKb = 0;
void resetPeak()
{
    sampledPeakKb = residentKb();
}
void samplePeak()
{
    sampledPeakKb = std::max(sampledPeakKb, residentKb());
}
long peakKb()
{
    samplePeak();
    return sampledPeakKb;
}
#else
long readStatusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}
long residentKb()
{
    return readStatusKb("VmRSS:");
}
void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}
void samplePeak() {}
long peakKb()
{
    return readStatusKb("VmHWM:");
}
#endif

struct LoadRun
{
    double seconds;
    double maxGapMs;
    int passes;
    long growthKb;
    double keysPerLine;
    double comparisonsPerLine;
};

LoadRun loadOnce(std::unique_ptr<frmMain> &window, const QString &folder, int lines)
{
    window = std::make_unique<frmMain>();
    window->setProgramFolder(folder);
    // As at start-up, the collation tables load after the first paint.
    prepareOrderAfterFirstPaint(window.get());
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        std::fprintf(stderr, "window not exposed\n");
    QCoreApplication::processEvents();

    std::vector<qint64> passes;
    QElapsedTimer clock;
    QTimer ticker;
    ticker.setInterval(0);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        passes.push_back(clock.nsecsElapsed());
        samplePeak();
    });
    ticker.start();

    resetPeak();
    const long before = residentKb();
    const database::Collation::Work used = database::Collation::work();
    auto *button = window->findChild<QPushButton *>(QStringLiteral("Command2"));
    clock.start();
    QTest::mouseClick(button, Qt::LeftButton);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const long peak = peakKb();
    const database::Collation::Work after = database::Collation::work();
    ticker.stop();

    double maxGap = 0;
    for (std::size_t i = 1; i < passes.size(); ++i)
        maxGap = std::max(maxGap, (passes[i] - passes[i - 1]) / 1e6);
    const double perLine = 1.0 / std::max(1, lines);
    return {seconds,
            maxGap,
            int(passes.size()),
            peak - before,
            double(after.keys - used.keys) * perLine,
            double(after.comparisons - used.comparisons) * perLine};
}

double timeMs(const std::function<void()> &action, int repeats)
{
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer t;
        t.start();
        action();
        // Includes the repaint the action asks for.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void benchFile(const QString &what, const QByteArray &bytes, int runs, int lines)
{
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("db.txt"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return;
        }
    }
    const double fileMb = QFile(path).size() / 1048576.0;
    std::vector<LoadRun> results;
    std::unique_ptr<frmMain> window;
    for (int i = 0; i < runs; ++i) {
        window.reset();
        results.push_back(loadOnce(window, folder.path(), lines));
    }
    std::sort(results.begin(), results.end(),
              [](const LoadRun &a, const LoadRun &b) { return a.seconds < b.seconds; });
    const LoadRun &median = results[results.size() / 2];
    long worstGrowth = 0;
    double worstGap = 0;
    for (const LoadRun &r : results) {
        worstGrowth = std::max(worstGrowth, r.growthKb);
        worstGap = std::max(worstGap, r.maxGapMs);
    }
    std::printf("%s (%.1f MB file), %d run(s)\n", qPrintable(what), fileMb, runs);
    std::printf("  load, click to completion : %.3f s (median)\n", median.seconds);
    std::printf("  event passes              : %d\n", median.passes);
    std::printf("  longest gap between passes: %.1f ms (worst run)\n", worstGap);
    std::printf("  peak memory growth        : %.1f MB = %.2f x the file (worst run)\n",
                worstGrowth / 1024.0, worstGrowth / 1024.0 / fileMb);
    std::printf("  collation, per line       : %.2f keys worked out, %.2f texts compared\n",
                median.keysPerLine, median.comparisonsPerLine);
    std::printf("  status line               : %s\n",
                qPrintable(window->findChild<QLabel *>(QStringLiteral("stat"))->text()));

    // With the list loaded: a click on a celebrity, and a keystroke in a drop-down.
    auto *list = window->findChild<QAbstractItemView *>(QStringLiteral("List1"));
    const int rows = list->model()->rowCount();
    int row = 0;
    const double click = timeMs(
        [&] {
            const QRect r = list->visualRect(list->model()->index(row, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
            row = (row + 1) % std::max(1, std::min(rows, 10));
        },
        51);
    QLineEdit *day = window->findChild<QComboBox *>(QStringLiteral("cDay"))->lineEdit();
    bool type = true;
    const double key = timeMs(
        [&] {
            QTest::keyClick(day, type ? Qt::Key_7 : Qt::Key_Backspace);
            type = !type;
        },
        51);
    // Type-ahead in the list: one letter again and again, each press a full
    // search that moves the selection to the next name with that letter.
    list->setFocus();
    const double typeAhead = timeMs([&] { QTest::keyClick(list, 'm'); }, 51);
    std::printf("  click on a celebrity      : %.3f ms (median, with repaint)\n", click);
    std::printf("  type-ahead, per character : %.3f ms (median, with repaint)\n", typeAhead);
    std::printf("  keystroke in cDay         : %.3f ms (median, with repaint)\n", key);
    const double paint = timeMs([&] { (void)window->grab(); }, 11);
    std::printf("  the whole window painted  : %.3f ms (median)\n", paint);
}

// Closing the window in the middle of a huge line: the reading thread is
// stopped wherever it is, so the time to destroy the reader is what closing
// waits for the load.
void benchClosingInALongLine(const QByteArray &bytes)
{
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("db.txt"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return;
    f.close();
    std::printf("closing in the middle of the line (the reader destroyed):\n");
    for (const int afterMs : {0, 2, 5, 10, 20, 40, 80}) {
        std::vector<double> times;
        for (int run = 0; run < 3; ++run) {
            auto reader = std::make_unique<database::ParseAhead>(path);
            QTest::qSleep(afterMs);
            QElapsedTimer clock;
            clock.start();
            reader.reset();
            times.push_back(clock.nsecsElapsed() / 1e6);
        }
        std::sort(times.begin(), times.end());
        std::printf("  %2d ms after its start     : %.2f ms (median of 3, worst %.2f)\n", afterMs,
                    times[1], times[2]);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The heap as the program's start-up leaves it, so that a load here
    // allocates as it does in the program.
    platform::heapInLargePages();
    const auto lines = [](int n, Kind kind) {
        const char *kinds[] = {"",
                               " in UTF-16",
                               " in UTF-8 and Windows-1252",
                               ", all commented out",
                               ", names alike in their first characters",
                               ", names alike in their first 40 characters"};
        return std::make_pair(
            QStringLiteral("%1 data lines%2").arg(n).arg(QLatin1String(kinds[int(kind)])),
            generate(n, kind));
    };
    if (argc > 1 && qstrcmp(argv[1], "--long-line") == 0) {
        // One line of 50 MB behind a name and a date, as a damaged file might hold.
        QByteArray bytes = "Giant, 1 2 1900,3" + QByteArray(50 * 1024 * 1024, '7') + "\r\n";
        benchFile(QStringLiteral("one line of 50 MB"), bytes, 3, 1);
        benchClosingInALongLine(bytes);
        return 0;
    }
    if (argc > 1 && qstrcmp(argv[1], "--scale") == 0) {
        // 1, 4 and 10 million lines of each kind, three runs each.
        for (const int n : {1000000, 4000000, 10000000}) {
            for (const Kind kind :
                 {Kind::Utf8, Kind::Skipped, Kind::Utf16, Kind::Shared, Kind::Alike40}) {
                const auto [what, bytes] = lines(n, kind);
                benchFile(what, bytes, 3, n);
            }
        }
        return 0;
    }
    if (argc > 1) {
        const Kind kind = argc > 2 && qstrcmp(argv[2], "utf16") == 0     ? Kind::Utf16
                          : argc > 2 && qstrcmp(argv[2], "mixed") == 0   ? Kind::Mixed
                          : argc > 2 && qstrcmp(argv[2], "skipped") == 0 ? Kind::Skipped
                          : argc > 2 && qstrcmp(argv[2], "shared") == 0  ? Kind::Shared
                          : argc > 2 && qstrcmp(argv[2], "alike40") == 0 ? Kind::Alike40
                                                                         : Kind::Utf8;
        const int n = QString::fromLocal8Bit(argv[1]).toInt();
        const auto [what, bytes] = lines(n, kind);
        benchFile(what, bytes, 3, n);
        return 0;
    }
    const std::pair<int, Kind> sizes[] = {{32767, Kind::Utf8},     {1000000, Kind::Utf8},
                                          {1000000, Kind::Utf16},  {1000000, Kind::Mixed},
                                          {1000000, Kind::Shared}, {1000000, Kind::Alike40}};
    for (const auto &[n, kind] : sizes) {
        const auto [what, bytes] = lines(n, kind);
        benchFile(what, bytes, n > 100000 ? 1 : 5, n);
    }
    return 0;
}
