// Start-up of the program to the window's first paint, beside a bare Qt
// program that shows one label, each timed as a whole process: from the
// moment it is started to the moment its window has painted, as the child
// reads the same steady clock. Its exit is no part of that.
//   build/default/bench/bench_startup [runs]   (default 20 runs of each)
#include "frmMain.h"
#include "startup.h"

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace app;

namespace {

qint64 steadyNow()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Once the watched window has painted, prints when that was and ends the
// process, before anything the program leaves for after its first paint
// (readying the order's tables) can run: that is no part of the start-up a
// user waits for.
class FirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !done) {
            done = true;
            // The window's elements have all painted by the time the event
            // loop comes round again.
            QTimer::singleShot(0, qApp, [] {
                std::printf("%lld\n", static_cast<long long>(steadyNow()));
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done = false;
};

int runChild(int argc, char **argv, bool famescope)
{
    QApplication app(argc, argv);
    FirstPaint watcher;
    // The program starts as main() starts it; the label as the plainest Qt
    // program would.
    std::unique_ptr<QWidget> window;
    if (famescope) {
        window = openWindow();
    } else {
        window = std::make_unique<QLabel>(QStringLiteral("Hello"));
        window->show();
    }
    window->installEventFilter(&watcher);
    return app.exec();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && (qstrcmp(argv[1], "--famescope") == 0 || qstrcmp(argv[1], "--bare") == 0))
        return runChild(argc, argv, qstrcmp(argv[1], "--famescope") == 0);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    std::vector<double> bare;
    std::vector<double> famescope;
    // Interleaved, so that both see the same machine conditions, and in turn
    // first and second (ABBA): a process starts a little slower right after
    // a larger one has ended, and neither should always follow the other.
    for (int i = 0; i < runs + 1; ++i) {
        const bool famescopeFirst = i % 2 == 1;
        for (const bool isFamescope : {famescopeFirst, !famescopeFirst}) {
            QProcess child;
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            const qint64 started = steadyNow();
            child.start(QCoreApplication::applicationFilePath(),
                        {isFamescope ? QStringLiteral("--famescope") : QStringLiteral("--bare")});
            bool painted = false;
            const qint64 paintedAt =
                child.waitForFinished(30000) && child.exitCode() == 0
                    ? child.readAllStandardOutput().trimmed().toLongLong(&painted)
                    : 0;
            if (!painted) {
                std::fprintf(stderr, "child run failed\n");
                return 1;
            }
            if (i > 0) // the first round only warms the file cache
                (isFamescope ? famescope : bare).push_back((paintedAt - started) / 1e6);
        }
    }
    const double b = median(bare);
    const double f = median(famescope);
    std::printf("start-up to first paint, median of %d runs (%s platform)\n", runs,
                qPrintable(env.value(QStringLiteral("QT_QPA_PLATFORM"))));
    std::printf("  bare Qt label : %7.1f ms\n", b);
    std::printf("  famescope     : %7.1f ms\n", f);
    std::printf("  ratio         : %7.2f\n", f / b);
    return 0;
}
