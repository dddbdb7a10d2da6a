// famescope-db check and match on generated databases, each run as its own
// process: wall time and peak memory (the child's maximum resident size)
// against the file's size.
//   build/default/bench/bench_db            (1,000,000 lines)
//   build/default/bench/bench_db 200000     (a size of your choice)
// Files: realistic names with correct Life Paths (nothing to report), and the
// same with every Life Path off by one (every line reported).
#include "engine/numerology.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <vector>

extern char **environ;

namespace {

QByteArray generate(int lines, bool wrongLifePath)
{
    const char *first[] = {"James", "Mary", "John", "Émile", "Zoë", "Björn", "Renée", "Ava"};
    const char *last[] = {"Smith", "Müller", "Dubois", "Novák", "Nguyen", "O'Brien", "Rossi"};
    QRandomGenerator rng(20261208);
    QByteArray bytes;
    bytes.reserve(qsizetype(lines) * 40);
    for (int i = 0; i < lines; ++i) {
        const int month = rng.bounded(1, 13);
        const int day = rng.bounded(1, 29);
        const int year = rng.bounded(1900, 2011);
        const QString yearText = QString::number(year);
        QString lp =
            *engine::lifePath(QString::number(day), engine::monthNames()[month - 1], yearText);
        if (wrongLifePath)
            lp = QString::number(lp.toInt() % 9 + 1);
        // Every name distinct, so that no two lines are the same celebrity.
        bytes += QByteArray(first[rng.bounded(8)]) + ' ' + last[rng.bounded(7)] + ' ' +
                 QByteArray::number(i) + ", " + QByteArray::number(month) + ' ' +
                 QByteArray::number(day) + ' ' + yearText.toLatin1() + ',' + lp.toLatin1() + "\r\n";
    }
    return bytes;
}

struct Measure
{
    double seconds;
    long peakKb;
    int status;
};

Measure runTool(const std::vector<std::string> &args)
{
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        return {0, 0, -1};
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    posix_spawn_file_actions_destroy(&actions);
    return {clock.nsecsElapsed() / 1e9, usage.ru_maxrss, WEXITSTATUS(status)};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;
    const std::string tool = QDir(QCoreApplication::applicationDirPath())
                                 .filePath(QStringLiteral("../bin/famescope-db"))
                                 .toStdString();
    QTemporaryDir dir;
    // The tool's own size with the smallest file, to subtract.
    const QString tiny = dir.filePath(QStringLiteral("tiny.txt"));
    {
        QFile f(tiny);
        f.open(QIODevice::WriteOnly);
        f.write(generate(10, false));
    }
    const long baseKb = runTool({tool, "check", tiny.toStdString()}).peakKb;
    for (const bool wrong : {false, true}) {
        const QString path =
            dir.filePath(wrong ? QStringLiteral("all-reported.txt") : QStringLiteral("clean.txt"));
        const QByteArray bytes = generate(lines, wrong);
        {
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
        }
        const double mb = bytes.size() / 1048576.0;
        std::printf("%d lines, %s (%.1f MB)\n", lines,
                    wrong ? "every line reported" : "nothing to report", mb);
        const std::string file = path.toStdString();
        const std::pair<const char *, std::vector<std::string>> runs[] = {
            {"check        ", {tool, "check", file}},
            {"check --json ", {tool, "check", "--json", file}},
            {"match        ", {tool, "match", "--date", "1980-01-01", "--db", file}},
            {"match --json ", {tool, "match", "--date", "1980-01-01", "--json", "--db", file}}};
        for (const auto &[what, args] : runs) {
            std::vector<double> times;
            long peak = 0;
            int status = 0;
            for (int i = 0; i < 3; ++i) {
                const Measure m = runTool(args);
                times.push_back(m.seconds);
                peak = std::max(peak, m.peakKb);
                status = m.status;
            }
            std::sort(times.begin(), times.end());
            const double growth = (peak - baseKb) / 1024.0;
            std::printf("  %s: %.2f s (median of 3), memory growth %.1f MB = %.2f x the file, "
                        "exit %d\n",
                        what, times[1], growth, growth / mb, status);
        }
    }
    return 0;
}
