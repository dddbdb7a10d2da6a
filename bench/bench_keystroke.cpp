// Costs of the work behind one keystroke in a date drop-down.
//   build/default/bench/bench_keystroke   (QT_QPA_PLATFORM=offscreen is set if unset)
#include "engine/numerology.h"
#include "frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <benchmark/benchmark.h>

using namespace app;

namespace {

void numberValueLongest(benchmark::State &state)
{
    // The longest text numberValue sums; mixed characters so every branch runs.
    QString text;
    const QString pattern = QStringLiteral("Abc 19é,");
    while (text.size() < 32766)
        text += pattern;
    text.truncate(32766);
    for (auto _ : state)
        benchmark::DoNotOptimize(engine::numberValue(text));
}
BENCHMARK(numberValueLongest)->Unit(benchmark::kMicrosecond);

void calcDob(benchmark::State &state)
{
    frmMain window;
    window.show();
    for (auto _ : state)
        window.CalcDOB();
}
BENCHMARK(calcDob)->Unit(benchmark::kMicrosecond);

void keystrokeInDay(benchmark::State &state)
{
    frmMain window;
    window.show();
    QLineEdit *day = window.findChild<QComboBox *>(QStringLiteral("cDay"))->lineEdit();
    // Alternates a typed digit and its deletion: each is one edit, one CalcDOB.
    bool type = true;
    for (auto _ : state) {
        QTest::keyClick(day, type ? Qt::Key_5 : Qt::Key_Backspace);
        type = !type;
    }
}
BENCHMARK(keystrokeInDay)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
