// Framing and decoding of one sweep as the box sends it: 300 packets, 2700 bytes, which
// a 115200 bit/s line delivers in 234 ms. The bytes arrive in chunks; the benchmark feeds
// them to the instrument session as the serial layer hands them over (about 10 ms of line
// each), which frames them, decodes every packet into the sample store and completes the
// sweep (display codes) at its 300th point.

#include "BenchMain.h"
#include "BenchSweep.h"
#include "instrument/Instrument.h"
#include "link/PacketFramer.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void FrameAndDecodeSweep(benchmark::State& st) {
    const QByteArray sweep = BenchSweep();
    const qsizetype chunk = st.range(0);
    QTemporaryDir folder;
    Instrument session(folder.path() + QLatin1Char('/'));
    session.LoadSettings();
    session.NoteProgramFolder();
    session.SwitchTrace(Channel::A, true);
    session.SwitchTrace(Channel::B, true);
    long completions = 0;
    QObject::connect(&session, &Instrument::redrawRequested, [&] { ++completions; });
    completions = 0;
    for (auto _ : st)
        FeedSweep(sweep, chunk, [&](QByteArrayView bytes) { session.ReceiveBytes(bytes); });
    if (completions != st.iterations())
        st.SkipWithError("not one completion per sweep");
    if (session.Samples().At(300).displayB != session.Samples().At(300).codeB)
        st.SkipWithError("the sweep did not reach the display codes");
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
    for (auto _ : st)
        FeedSweep(sweep, 115, [&](QByteArrayView bytes) { framer.Feed(bytes, deliver); });
    if (packets != 300 * st.iterations())
        st.SkipWithError("not 300 packets per sweep");
    st.SetBytesProcessed(st.iterations() * sweep.size());
}
BENCHMARK(FrameSweepOnly)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QCoreApplication>(argc, argv);
}
