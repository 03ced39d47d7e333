// The capture's own work for each sweep, on a fixed sweep at 1 ms/div with both channels
// on: the bytes framed and decoded by the session (with the weighting pass that ends a
// sweep), the sweep's record taken as the capture takes it, the measurement engine over
// both channels (what the measurement log will write), and the two writers of the capture,
// the CSV and the acquisition file, into memory. The box gives a sweep every 234 ms; the
// capture's overhead per sweep is the figure.

#include "BenchSweep.h"
#include "analysis/ShownSweep.h"
#include "capture/Capture.h"
#include "capture/SweepSinks.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <benchmark/benchmark.h>

namespace {

void CaptureOneSweep(benchmark::State& st) {
    const QByteArray sweep = BenchSweep();
    Instrument session{QString()};
    session.KeepSettingsInMemory(FactorySettings());
    session.SelectTimeBase(9); // 1 ms/div, as the bench sweep was taken
    session.SwitchTrace(Channel::A, true);
    session.SwitchTrace(Channel::B, true);
    // Room for one sweep of each output, written again at every sweep.
    QBuffer csvOut;
    QBuffer recordOut;
    csvOut.open(QIODevice::WriteOnly);
    recordOut.open(QIODevice::WriteOnly);
    CsvSweepSink csv(QStringLiteral("-"), csvOut);
    RecordSweepSink record(QStringLiteral("-"), recordOut);
    const QDateTime when = QDateTime::currentDateTime();
    int number = 0;
    double frequency = 0;
    for (auto _ : st) {
        csvOut.seek(0);
        recordOut.seek(0);
        FeedSweep(sweep, 2700, [&](QByteArrayView bytes) { session.ReceiveBytes(bytes); });
        const SweepRecord r = RecordOfLastSweep(session, when);
        const SweepMeasurements m = MeasureShownSweep(session.Samples(), r.instrument, 1);
        frequency = m.channelA.frequency.value;
        csv.Write(++number, r);
        record.Write(number, r);
    }
    // The work was done: a whole CSV sweep, a whole record, a real reading.
    if (csvOut.pos() < 300 * 40 || recordOut.pos() != AcquisitionFile::RecordBytes ||
        !(frequency > 900 && frequency < 1100))
        st.SkipWithError("the sweep was not decoded, measured and written");
    st.counters["sweeps_per_line_sweep"] =
        benchmark::Counter(0.234 * double(st.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(CaptureOneSweep)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
