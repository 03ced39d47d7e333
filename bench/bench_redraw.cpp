// Cost of the screen's drawing on fixed inputs: a full redraw of a sweep with both channels
// and a math trace, and one tick of the idle animation (a redraw and the figure).

#include "app/InstrumentSettings.h"
#include "app/PersistedSettings.h"
#include "link/SampleTable.h"
#include "screen/OscilloscopeScreen.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>

namespace {

PersistedSettings DisplaySettings() {
    PersistedSettings s;
    s.SetLine(2, QStringLiteral("PERIPHERIQUE_ON"));
    s.SetLine(3, QStringLiteral("LIGNE1090%_ON"));
    s.SetLine(4, QStringLiteral("HEURE_ON"));
    s.SetLine(5, QStringLiteral("DATE_ON"));
    s.SetLine(8, QStringLiteral("0"));
    s.SetLine(9, QStringLiteral("0"));
    s.SetLine(10, QStringLiteral("255"));
    s.SetLine(11, QStringLiteral("16711680"));
    s.SetLine(15, QStringLiteral("1813282"));
    return s;
}

// A completed sweep: a sine on A, a triangle on B, their sum and difference.
void FillSweep(SampleTable& samples) {
    for (int row = 1; row <= SampleTable::PointCount; ++row) {
        const int a = 128 + static_cast<int>(std::lround(100 * std::sin(row * 0.0628)));
        const int b = 40 + std::abs((row * 3) % 160 - 80);
        samples.SetCell(SampleTable::DisplayA, row, QString::number(a));
        samples.SetCell(SampleTable::DisplayB, row, QString::number(b));
        samples.SetCell(SampleTable::Sum, row, QString::number(a + b));
        samples.SetCell(SampleTable::Difference, row, QString::number(a - b));
    }
}

struct Scene {
    InstrumentSettings instrument;
    PersistedSettings settings = DisplaySettings();
    SampleTable samples;
    ScreenInputs in{instrument, settings, samples, 1, 0,
                    false,      false,    0,       0, QDateTime(QDate(2007, 3, 5), QTime(9, 5, 7)),
                    nullptr};
    OscilloscopeScreen screen;
};

void BM_RedrawScreenFullSweep(benchmark::State& state) {
    Scene scene;
    FillSweep(scene.samples);
    scene.instrument.channelA.traceOn = true;
    scene.instrument.channelB.traceOn = true;
    scene.instrument.channelA.coupling = Coupling::DC;
    scene.instrument.channelB.coupling = Coupling::GND;
    scene.instrument.triggerSource = TriggerSource::ChannelA;
    scene.in.sumOffset = 40;
    for (auto _ : state) {
        scene.instrument.mathMode = MathMode::Sum;
        scene.screen.RedrawScreen(scene.in);
        benchmark::DoNotOptimize(scene.screen.Image().constBits());
    }
}
BENCHMARK(BM_RedrawScreenFullSweep)->Unit(benchmark::kMicrosecond);

void BM_IdleAnimationTick(benchmark::State& state) {
    Scene scene; // the idle screen: start-up table, both traces off
    scene.screen.SetAnimationPhase(50);
    for (auto _ : state) {
        scene.screen.IdleAnimation(scene.in);
        benchmark::DoNotOptimize(scene.screen.Image().constBits());
    }
}
BENCHMARK(BM_IdleAnimationTick)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // The screen font needs a GUI application; no display is needed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
