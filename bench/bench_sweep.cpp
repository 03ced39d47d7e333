// Framing and decoding of one sweep as the box sends it: 300 packets, 2700 bytes, which
// a 115200 bit/s line delivers in 234 ms. The bytes arrive in chunks; the benchmark
// feeds them as the serial layer hands them over (about 10 ms of line each) and decodes
// every packet into the sample table, the sweep completion (display columns) included.

#include "FakeServices.h"
#include "app/InstrumentSettings.h"
#include "app/PersistedSettings.h"
#include "link/PacketFramer.h"
#include "link/SampleDecoder.h"
#include "link/SampleTable.h"
#include "link/SimulatedBox.h"

#include <benchmark/benchmark.h>

namespace {

// The sweep of the simulated box with both channels in DC at 1 V/div.
QByteArray BenchSweep() {
    SimulatedBox::State state;
    state.coupling = {Coupling::DC, Coupling::DC};
    return SimulatedBox::SweepBytes(SimulatedBox::Acquire(state, 0.0), 0);
}

void FrameAndDecodeSweep(benchmark::State& st) {
    const QByteArray sweep = BenchSweep();
    const qsizetype chunk = st.range(0);
    FakeServices services;
    services.linkActive = true;
    services.instrument.channelA.traceOn = true;
    services.instrument.channelB.traceOn = true;
    SampleDecoder decoder(services);
    PacketFramer framer;
    const PacketFramer::Deliver deliver = [&](QByteArrayView p) { decoder.DecodeSamplePacket(p); };
    for (auto _ : st) {
        for (qsizetype at = 0; at < sweep.size(); at += chunk)
            framer.Feed(QByteArrayView(sweep).sliced(at, std::min(chunk, sweep.size() - at)),
                        deliver);
    }
    if (services.redraws != static_cast<int>(st.iterations()))
        st.SkipWithError("not one completion per sweep");
    constexpr double lineSeconds = 2700 * 10 / 115200.0;
    st.counters["line_ratio"] =
        benchmark::Counter(lineSeconds * double(st.iterations()), benchmark::Counter::kIsRate);
    st.SetBytesProcessed(st.iterations() * sweep.size());
}
// 115 bytes: 10 ms of line; 2700: the whole sweep at once; 9: one packet at a time.
BENCHMARK(FrameAndDecodeSweep)->Arg(115)->Arg(2700)->Arg(9)->Unit(benchmark::kMicrosecond);

void FrameSweepOnly(benchmark::State& st) {
    const QByteArray sweep = BenchSweep();
    PacketFramer framer;
    long packets = 0;
    const PacketFramer::Deliver deliver = [&](QByteArrayView) { ++packets; };
    for (auto _ : st) {
        for (qsizetype at = 0; at < sweep.size(); at += 115)
            framer.Feed(
                QByteArrayView(sweep).sliced(at, std::min<qsizetype>(115, sweep.size() - at)),
                deliver);
    }
    benchmark::DoNotOptimize(packets);
    st.SetBytesProcessed(st.iterations() * sweep.size());
}
BENCHMARK(FrameSweepOnly)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
