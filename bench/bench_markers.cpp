// Cost of the markers on the screen: a full redraw of the busiest screen (both channels,
// A + B, trigger on A) through the screen's own refresh cycle, without and with the
// markers and both readouts (RMS included, both channels measured); the same on fixed
// inputs without the session; and a drag: one mouse move with the button held, which
// places the nearer marker and redraws the whole screen, and a whole press, move and
// release.

#include "BenchMain.h"
#include "BenchSweep.h"
#include "core/Colour.h"
#include "core/SettingsLines.h"
#include "instrument/Instrument.h"
#include "measure/MarkerController.h"
#include "measure/MarkerReadouts.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

struct Scene {
    QTemporaryDir folder;
    Instrument session{folder.path() + QLatin1Char('/')};
    ScreenView view;
    ScreenController screen{session, view};
    MarkerController markers;
    QByteArray sweep = BenchSweep();
    long redraws = 0;

    Scene() {
        session.LoadSettings();
        session.NoteProgramFolder();
        screen.StopAnimation();
        screen.StopClock();
        screen.SetClock([] { return QDateTime(QDate(2007, 3, 5), QTime(9, 5, 7)); });
        screen.SetLayers(MarkerLayers(markers, session));
        QObject::connect(&markers, &MarkerController::redrawRequested, &screen,
                         [this] { screen.RedrawScreen(); });
        QObject::connect(&screen, &ScreenController::redrawn, [this] { ++redraws; });
        session.SwitchTrace(Channel::A, true);
        session.SwitchTrace(Channel::B, true);
        session.SelectCoupling(Channel::A, static_cast<int>(Coupling::DC));
        session.SelectTrigger(static_cast<int>(TriggerSource::ChannelA));
        session.SelectMathMode(static_cast<int>(MathMode::Sum));
        ReceiveSweep();
    }

    void MarkersOnWithRms() {
        markers.ToggleMarkers();
        markers.ToggleRms();
    }

    void ReceiveSweep() {
        FeedSweep(sweep, 115, [this](QByteArrayView bytes) { session.ReceiveBytes(bytes); });
    }

    // Pixels of the marker colour on the screen shown.
    int MarkerPixels() const {
        const QRgb marker =
            ColourFromSetting(session.Settings().Number(SettingsLine::MarkerColour)).rgb();
        int n = 0;
        const QImage& image = view.Image();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += (image.pixel(x, y) | 0xff000000u) == marker;
        return n;
    }
};

void RedrawThroughTheCycle(benchmark::State& state, bool withMarkers) {
    Scene scene;
    if (withMarkers)
        scene.MarkersOnWithRms();
    for (auto _ : state)
        scene.screen.RedrawScreen();
    const bool drawn = scene.MarkerPixels() > 1000;
    if (drawn != withMarkers)
        state.SkipWithError(withMarkers ? "no marker lines on the screen"
                                        : "marker lines on a screen without markers");
}

void BM_RedrawWithoutMarkers(benchmark::State& state) {
    RedrawThroughTheCycle(state, false);
}
BENCHMARK(BM_RedrawWithoutMarkers)->Unit(benchmark::kMicrosecond);

void BM_RedrawWithMarkersAndReadouts(benchmark::State& state) {
    RedrawThroughTheCycle(state, true);
}
BENCHMARK(BM_RedrawWithMarkersAndReadouts)->Unit(benchmark::kMicrosecond);

// The drawing alone on fixed inputs: the three marker layers over the busiest screen.
void DrawOnly(benchmark::State& state, bool withMarkers) {
    InstrumentSettings instrument;
    instrument.channelA.traceOn = true;
    instrument.channelB.traceOn = true;
    instrument.channelB.voltsPerDivIndex = 6;
    instrument.channelB.probeTimesTen = true;
    instrument.channelA.coupling = Coupling::DC;
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
    MarkerState markers;
    markers.mode = MarkerMode::Time;
    markers.rmsShown = true;
    ScreenLayers layers;
    if (withMarkers) {
        layers.drawMarkerLines = [&](ScreenCanvas& c) { DrawMarkerLines(c, markers, settings); };
        layers.drawTimeReadout = [&](ScreenCanvas& c) {
            DrawTimeReadout(c, markers, instrument, 2);
        };
        layers.drawVoltageReadout = [&](ScreenCanvas& c) {
            DrawVoltageReadout(c, markers, instrument, settings);
        };
    }
    const ScreenInputs in{
        instrument, settings, samples, 2, 0,
        false,      false,    40,      0, QDateTime(QDate(2007, 3, 5), QTime(9, 5, 7)),
        &layers};
    OscilloscopeScreen screen;
    for (auto _ : state) {
        screen.RedrawScreen(in);
        benchmark::DoNotOptimize(screen.Image().constBits());
    }
    if (withMarkers && screen.Image().pixel(50, 40) == screen.Image().pixel(49, 40))
        state.SkipWithError("no marker line at x = 50");
}

void BM_DrawScreenOnlyWithoutMarkers(benchmark::State& state) {
    DrawOnly(state, false);
}
BENCHMARK(BM_DrawScreenOnlyWithoutMarkers)->Unit(benchmark::kMicrosecond);

void BM_DrawScreenOnlyWithMarkers(benchmark::State& state) {
    DrawOnly(state, true);
}
BENCHMARK(BM_DrawScreenOnlyWithMarkers)->Unit(benchmark::kMicrosecond);

// A drag: the button went down on the image; each move places the nearer marker and
// redraws the whole screen with both readouts. The pointer goes to and fro between two
// columns left of the midpoint, so that the left marker moves at every step.
void BM_MarkerDragStep(benchmark::State& state) {
    Scene scene;
    scene.MarkersOnWithRms();
    scene.markers.Press({100, 150});
    scene.redraws = 0;
    long moved = 0;
    bool right = false;
    for (auto _ : state) {
        const int x = right ? 140 : 100;
        right = !right;
        scene.markers.Move({x, 150});
        moved += scene.markers.State().timeLeft == x;
    }
    scene.markers.Release();
    if (scene.redraws != state.iterations())
        state.SkipWithError("not one redraw per move");
    if (moved != state.iterations())
        state.SkipWithError("the left marker did not follow every move");
}
BENCHMARK(BM_MarkerDragStep)->Unit(benchmark::kMicrosecond);

// A whole short drag: press (the left marker jumps there, a redraw), one move (another
// redraw), release.
void BM_MarkerPressMoveRelease(benchmark::State& state) {
    Scene scene;
    scene.MarkersOnWithRms();
    scene.redraws = 0;
    long moved = 0;
    for (auto _ : state) {
        scene.markers.Press({100, 150});
        scene.markers.Move({140, 150});
        scene.markers.Release();
        moved += scene.markers.State().timeLeft == 140;
    }
    if (scene.redraws != 2 * state.iterations())
        state.SkipWithError("not two redraws per drag");
    if (moved != state.iterations())
        state.SkipWithError("the left marker did not follow the drag");
}
BENCHMARK(BM_MarkerPressMoveRelease)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
