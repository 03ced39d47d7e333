// The sweep history: stepping to another sweep kept and redrawing the oscilloscope screen
// (the record read back from the ring, the sample store made from it, the full redraw), and
// what a full history of 1000 sweeps takes in memory (the ring's bytes, and the growth of
// the process's resident memory while the sweeps come, in the counters).

#include "BenchMain.h"
#include "BenchSweep.h"
#include "instrument/Instrument.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <unistd.h>

namespace {

// The resident memory of the process, in kilobytes (/proc/self/statm, in pages).
double ResidentKb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// A session whose screen redraws each sweep, acquiring (no link: nothing is sent), both
// channels and their sum shown.
struct Scene {
    QTemporaryDir folder;
    Instrument session{folder.path() + QLatin1Char('/')};
    ScreenView view;
    ScreenController screen{session, view};
    QByteArray sweep = BenchSweep();
    long redraws = 0;

    Scene() {
        session.LoadSettings();
        session.NoteProgramFolder();
        screen.StopAnimation();
        screen.StopClock();
        screen.SetClock([] { return QDateTime(QDate(2007, 3, 5), QTime(9, 5, 7)); });
        QObject::connect(&screen, &ScreenController::redrawn, [this] { ++redraws; });
        session.SwitchTrace(Channel::A, true);
        session.SwitchTrace(Channel::B, true);
        session.SelectCoupling(Channel::A, static_cast<int>(Coupling::DC));
        session.SelectMathMode(static_cast<int>(MathMode::Sum));
    }
    void Sweeps(int count) {
        for (int i = 0; i < count; ++i)
            FeedSweep(sweep, 115, [this](QByteArrayView bytes) { session.ReceiveBytes(bytes); });
    }
};

void BM_StepAndRedraw(benchmark::State& state) {
    Scene scene;
    scene.Sweeps(1000);
    scene.session.Pause();
    const int count = scene.session.BrowsableCount();
    if (count != 1000) {
        state.SkipWithError("the history does not hold the 1000 sweeps");
        return;
    }
    scene.redraws = 0;
    int index = count - 1;
    for (auto _ : state) {
        // Back through the whole history, one sweep a step, then again from the newest.
        index = index == 0 ? count - 1 : index - 1;
        scene.session.BrowseTo(index);
    }
    if (scene.redraws != state.iterations() || scene.session.BrowsedIndex() != index)
        state.SkipWithError("not one browsed sweep and one redraw per step");
}
BENCHMARK(BM_StepAndRedraw)->Unit(benchmark::kMicrosecond);

// The resident memory tells the truth only in a fresh process: pages an earlier benchmark
// freed stay resident and are reused. Run alone: --benchmark_filter=Memory.
void BM_FullHistoryMemory(benchmark::State& state) {
    for (auto _ : state) {
        Scene scene;
        scene.session.SetHistoryLength(10); // the screen's first drawings settle first
        scene.Sweeps(20);
        scene.session.SetHistoryLength(1000);
        const double before = ResidentKb();
        scene.Sweeps(1000);
        const double after = ResidentKb();
        const qsizetype ring = scene.session.History().MemoryBytes();
        state.counters["rss_before_kB"] = before;
        state.counters["rss_after_kB"] = after;
        state.counters["rss_growth_kB"] = after - before;
        state.counters["ring_kB"] = double(ring) / 1024.0;
        if (scene.session.History().Size() != 1000 || ring > 1000 * 1254 + 64)
            state.SkipWithError("the history is not 1000 sweeps in 1000 records");
    }
}
BENCHMARK(BM_FullHistoryMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
