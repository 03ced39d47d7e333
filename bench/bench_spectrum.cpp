// Cost of the spectrum analyser on fixed inputs: ComputeSpectrum at 300 bins with both
// channels on, beside the direct evaluation it must equal (every cosine and sine computed
// afresh), and one full redraw in the spectrum view through the screen's refresh cycle
// (the channel labels, the computation, the chart's series, labels and axes), then the
// same with the chart painted.

#include "../tests/spectrum/SpectrumReference.h"
#include "BenchMain.h"
#include "BenchSweep.h"
#include "core/WeightingWindow.h"
#include "instrument/Instrument.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"
#include "spectrum/SpectrumComputation.h"
#include "spectrum/SpectrumView.h"

#include <QApplication>
#include <QLineSeries>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

constexpr int Bins = 300;

// A simulated sweep of both channels, weighted with Hanning: the weighted codes of a real
// spectrum.
SampleTable WeightedSweep() {
    SampleTable samples;
    const QByteArray bytes = BenchSweep();
    for (int point = 1; point <= Sweep::Points; ++point) {
        const QByteArray packet = bytes.mid((point - 1) * SampleTable::PacketBytes, 9);
        samples.At(point).codeA = packet.mid(1, 3).toInt();
        samples.At(point).codeB = packet.mid(5, 3).toInt();
    }
    SweepExtremes extremes;
    for (int point = 1; point <= Sweep::Points; ++point)
        extremes.Update(samples.At(point).codeA, samples.At(point).codeB, 0, 0);
    InstrumentSettings both;
    both.channelA.traceOn = true;
    both.channelB.traceOn = true;
    ApplyWeightingWindow(samples, both, extremes, WeightingWindow::Hanning);
    return samples;
}

struct Inputs {
    SampleTable samples = WeightedSweep();
    InstrumentSettings instrument;
    PersistedSettings settings;
    Inputs() {
        instrument.channelA.traceOn = true;
        instrument.channelB.traceOn = true;
        instrument.timeBaseIndex = 9;
    }
    SpectrumInputs Of() const { return {samples, instrument, settings, Bins, {}}; }
    std::array<int, SpectrumLength> Codes(bool a) const {
        std::array<int, SpectrumLength> x;
        for (int n = 1; n <= SpectrumLength; ++n)
            x[std::size_t(n - 1)] = a ? samples.At(n).weightedA : samples.At(n).weightedB;
        return x;
    }
};

// The direct evaluation of both channels' values: every phase's cosine and sine computed
// for each bin and channel, then the same amplitude and rounding.
std::array<std::vector<int>, 2> DirectValues(const Inputs& in) {
    std::array<std::vector<int>, 2> values;
    for (int c = 0; c < 2; ++c) {
        const auto sums = SpectrumReference::DirectBins(in.Codes(c == 0), Bins);
        for (const auto& s : sums)
            values[std::size_t(c)].push_back(BinValue(BinAmplitude(s.re, s.im), {}, 1.0L));
    }
    return values;
}

bool SameAsDirect(const Inputs& in, const SpectrumChartData& chart) {
    const auto direct = DirectValues(in);
    return chart.series[0].values == direct[0] && chart.series[1].values == direct[1];
}

bool Varied(const SpectrumChartData& chart) {
    // A real spectrum on both channels: a peak well above the rest, and lines around it.
    for (const SpectrumSeriesData& s : chart.series) {
        const auto& v = s.values;
        if (v.size() != std::size_t(Bins) || *std::max_element(v.begin(), v.end()) < 5 ||
            Bins - std::count(v.begin(), v.end(), 0) < 20)
            return false;
    }
    return true;
}

void BM_ComputeSpectrum300Both(benchmark::State& state) {
    const Inputs in;
    SpectrumChartData chart = ComputeSpectrum(in.Of()); // the phases are made on first use
    for (auto _ : state) {
        chart = ComputeSpectrum(in.Of());
        benchmark::DoNotOptimize(chart.series[1].values.data());
    }
    if (!Varied(chart))
        state.SkipWithError("the inputs give no spectrum to speak of");
    else if (!SameAsDirect(in, chart))
        state.SkipWithError("the values differ from the direct evaluation");
}
BENCHMARK(BM_ComputeSpectrum300Both)->Unit(benchmark::kMicrosecond);

void BM_DirectEvaluation300Both(benchmark::State& state) {
    const Inputs in;
    std::array<std::vector<int>, 2> values;
    for (auto _ : state) {
        values = DirectValues(in);
        benchmark::DoNotOptimize(values[1].data());
    }
    const SpectrumChartData chart = ComputeSpectrum(in.Of());
    if (values[0] != chart.series[0].values || values[1] != chart.series[1].values)
        state.SkipWithError("the values differ from ComputeSpectrum");
}
BENCHMARK(BM_DirectEvaluation300Both)->Unit(benchmark::kMicrosecond);

// The session in the spectrum view, both channels on, 300 lines, a sweep received.
struct SpectrumScene {
    QTemporaryDir folder;
    Instrument session{folder.path() + QLatin1Char('/')};
    ScreenView screenView;
    ScreenController screen{session, screenView};
    QWidget panel;
    SpectrumView view{session, &panel};

    SpectrumScene() {
        session.LoadSettings();
        session.NoteProgramFolder();
        screen.StopAnimation();
        screen.StopClock();
        panel.resize(662, 341);
        ScreenLayers layers;
        layers.computeSpectrum = [this] { view.ComputeSpectrum(); };
        screen.SetLayers(layers);
        session.SwitchTrace(Channel::A, true);
        session.SwitchTrace(Channel::B, true);
        session.SelectWeightingWindow(static_cast<int>(WeightingWindow::Hanning));
        FeedSweep(BenchSweep(), 115, [this](QByteArrayView b) { session.ReceiveBytes(b); });
        session.SwitchSpectrum(true);
        for (int i = 0; i < 60; ++i)
            view.ZoomButton(2)->click(); // ">" up to 300 lines
    }
    bool Shown() const {
        return session.Spectrum().binCount == Bins && view.Series(Channel::A)->count() == Bins &&
               view.Series(Channel::B)->count() == Bins && view.FrequencyLabels().size() == Bins;
    }
};

void BM_SpectrumRedraw(benchmark::State& state) {
    SpectrumScene scene;
    scene.screen.RedrawScreen();
    for (auto _ : state)
        scene.screen.RedrawScreen();
    if (!scene.Shown())
        state.SkipWithError("the chart does not show 300 lines of both channels");
}
BENCHMARK(BM_SpectrumRedraw)->Unit(benchmark::kMicrosecond);

void BM_SpectrumRedrawAndPaint(benchmark::State& state) {
    SpectrumScene scene;
    scene.panel.show();
    scene.screen.RedrawScreen();
    QImage image;
    for (auto _ : state) {
        scene.screen.RedrawScreen();
        image = scene.view.grab().toImage();
    }
    if (!scene.Shown() ||
        image.size() != QSize(SpectrumView::ChartWidth, SpectrumView::ChartHeight))
        state.SkipWithError("the chart was not painted with 300 lines of both channels");
}
BENCHMARK(BM_SpectrumRedrawAndPaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
