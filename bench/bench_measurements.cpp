// Cost of the automatic measurements of one sweep: every reading of both channels over
// the 300 points shown, from the sample store and the instrument state, as the window,
// the log and the capture take them; and the same with the texts of every reading (the
// window's French and the CSV numbers and flags). The sweep is the simulated box's
// bench at 1 ms/div in DC: a 1 kHz sine of 2 V peak on A, a 500 Hz square of 1 V peak
// on 1.5 V on B, at 1 V/div.

#include "BenchMain.h"
#include "analysis/ReadingText.h"
#include "analysis/ShownSweep.h"
#include "core/SampleTable.h"
#include "link/SimulatedBox.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

struct SimulatedSweep {
    InstrumentSettings instrument;
    SampleTable samples;

    SimulatedSweep() {
        SimulatedBox::State state;
        state.timeBaseIndex = 9;
        state.coupling = {Coupling::DC, Coupling::DC};
        state.voltsPerDivIndex = {3, 3};
        const SimulatedBox::Memory memory = SimulatedBox::Acquire(state, 0.0);
        for (int row = 1; row <= Sweep::Points; ++row) {
            samples.At(row).displayA = memory[0][static_cast<std::size_t>(row - 1)];
            samples.At(row).displayB = memory[1][static_cast<std::size_t>(row - 1)];
        }
        instrument.timeBaseIndex = 9;
        instrument.channelA.voltsPerDivIndex = 3;
        instrument.channelB.voltsPerDivIndex = 3;
        instrument.channelA.groundLevel = 128;
        instrument.channelB.groundLevel = 128;
    }
};

// Whether the readings are those of the bench's signals: the work measured is the real one.
const char* Check(const SweepMeasurements& m) {
    auto near = [](const Reading& r, double expected, double tolerance) {
        return r.available && std::fabs(r.value - expected) <= tolerance;
    };
    if (!near(m.channelA.frequency, 1000, 5) || !near(m.channelB.frequency, 500, 2.5))
        return "the frequencies are not those of the bench";
    if (!near(m.channelB.dutyCycle, 50, 1) || !near(m.channelA.peakToPeak, 4, 1.0 / 32))
        return "the duty cycle or the peak-to-peak voltage is not that of the bench";
    if (!m.channelA.riseTime.available || !m.channelB.fallTime.available)
        return "no edge time";
    return nullptr;
}

void BM_MeasureSweep(benchmark::State& state) {
    const SimulatedSweep sweep;
    SweepMeasurements m;
    for (auto _ : state) {
        m = MeasureShownSweep(sweep.samples, sweep.instrument, 1);
        benchmark::DoNotOptimize(m);
    }
    if (const char* error = Check(m))
        state.SkipWithError(error);
}
BENCHMARK(BM_MeasureSweep)->Unit(benchmark::kMicrosecond);

void BM_MeasureAndFormatSweep(benchmark::State& state) {
    const SimulatedSweep sweep;
    SweepMeasurements m;
    qsizetype characters = 0;
    for (auto _ : state) {
        m = MeasureShownSweep(sweep.samples, sweep.instrument, 1);
        characters = 0;
        for (const ChannelMeasurements* channel : {&m.channelA, &m.channelB}) {
            for (int kind = 0; kind < ReadingKindCount; ++kind) {
                const ReadingKind k = static_cast<ReadingKind>(kind);
                const Reading& r = channel->Of(k);
                const QString french = FrenchReadingText(r, ReadingRowOf(k).unit);
                const QString note = FrenchReadingNote(r);
                const QString csv = CsvReadingValue(r);
                const QString flags = CsvReadingFlags(r);
                characters += french.size() + note.size() + csv.size() + flags.size();
                benchmark::DoNotOptimize(french.constData());
                benchmark::DoNotOptimize(csv.constData());
            }
        }
        benchmark::DoNotOptimize(characters);
    }
    if (const char* error = Check(m))
        state.SkipWithError(error);
    else if (characters < 2 * ReadingKindCount * 6)
        state.SkipWithError("texts missing");
}
BENCHMARK(BM_MeasureAndFormatSweep)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
