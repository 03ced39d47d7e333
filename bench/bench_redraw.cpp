// Cost of the screen on fixed inputs, through the screen's own refresh cycle: a full
// redraw of a sweep with both channels and a math trace (the session's preparation, whose
// cutting of the sum writes into the store, then the drawing), one tick of the idle
// animation, and a whole sweep from the line to the screen (framing, decoding, display
// codes, preparation, drawing).

#include "BenchMain.h"
#include "BenchSweep.h"
#include "instrument/Instrument.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>

namespace {

// The session and its screen, with the display options of a factory settings file.
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
    }

    // Both channels on, A + B shown, trigger on channel A: the busiest screen.
    void ShowBothWithSum() {
        session.SwitchTrace(Channel::A, true);
        session.SwitchTrace(Channel::B, true);
        session.SelectCoupling(Channel::A, static_cast<int>(Coupling::DC));
        session.SelectTrigger(static_cast<int>(TriggerSource::ChannelA));
        session.SelectMathMode(static_cast<int>(MathMode::Sum));
    }

    bool SumWasCut() const {
        for (int row = 1; row <= Sweep::Points; ++row) {
            const SampleTable::Point& point = session.Samples().At(row);
            if (point.sum != point.codeA + point.codeB)
                return true;
        }
        return false;
    }

    void ReceiveSweep() {
        FeedSweep(sweep, 115, [this](QByteArrayView bytes) { session.ReceiveBytes(bytes); });
    }
};

void BM_RedrawScreenFullSweep(benchmark::State& state) {
    Scene scene;
    scene.ShowBothWithSum();
    for (auto _ : state) {
        // A fresh sweep each time, so that the sum is cut anew as every real sweep's is.
        state.PauseTiming();
        scene.ReceiveSweep();
        state.ResumeTiming();
        scene.screen.RedrawScreen();
    }
    if (!scene.SumWasCut())
        state.SkipWithError("the sum was never cut: the inputs do not exercise the cutting");
}
BENCHMARK(BM_RedrawScreenFullSweep)->Unit(benchmark::kMicrosecond);

// The drawing alone, from fixed inputs: a sine on A, a triangle on B, their sum already
// within the screen, A coupled DC and B grounded, trigger on A.
void BM_DrawScreenOnly(benchmark::State& state) {
    InstrumentSettings instrument;
    instrument.channelA.traceOn = true;
    instrument.channelB.traceOn = true;
    instrument.channelA.coupling = Coupling::DC;
    instrument.channelB.coupling = Coupling::GND;
    instrument.triggerSource = TriggerSource::ChannelA;
    instrument.mathMode = MathMode::Sum;
    PersistedSettings settings;
    for (int line : {2, 3, 4, 5})
        settings.SetOn(line, true);
    SampleTable samples;
    for (int row = 1; row <= Sweep::Points; ++row) {
        SampleTable::Point& p = samples.At(row);
        p.displayA = 128 + static_cast<int>(std::lround(100 * std::sin(row * 0.0628)));
        p.displayB = 40 + std::abs((row * 3) % 160 - 80);
        p.sum = p.displayA + p.displayB;
        p.difference = p.displayA - p.displayB;
        p.mathWritten = true;
    }
    const ScreenInputs in{
        instrument, settings, samples, 1, 0,
        false,      false,    40,      0, QDateTime(QDate(2007, 3, 5), QTime(9, 5, 7)),
        nullptr};
    OscilloscopeScreen screen;
    for (auto _ : state) {
        screen.RedrawScreen(in);
        benchmark::DoNotOptimize(screen.Image().constBits());
    }
}
BENCHMARK(BM_DrawScreenOnly)->Unit(benchmark::kMicrosecond);

void BM_IdleAnimationTick(benchmark::State& state) {
    Scene scene; // the idle screen: start-up store, both traces off
    for (auto _ : state) {
        // The same figure every time (ratio 2 at phase 50.1).
        scene.screen.Screen().SetAnimationPhase(50);
        scene.screen.AnimationTick();
    }
    if (scene.redraws != state.iterations())
        state.SkipWithError("not one redraw per tick");
}
BENCHMARK(BM_IdleAnimationTick)->Unit(benchmark::kMicrosecond);

void BM_SweepToScreen(benchmark::State& state) {
    Scene scene;
    scene.ShowBothWithSum();
    scene.redraws = 0;
    for (auto _ : state)
        scene.ReceiveSweep();
    if (scene.redraws != state.iterations())
        state.SkipWithError("not one redraw per sweep");
}
BENCHMARK(BM_SweepToScreen)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
