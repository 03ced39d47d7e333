// The capture's own work for each sweep, on a fixed sweep at 1 ms/div with both channels
// on: the bytes framed and decoded by the session (with the weighting pass that ends a
// sweep), the sweep's record taken as the capture takes it, and the capture's three
// writers into memory: the CSV, the measurement log (the measurement engine over both
// channels, one line) and the acquisition file. The box gives a sweep every 234 ms; the
// capture's overhead per sweep is the figure.

#include "BenchMain.h"
#include "BenchSweep.h"
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
    QBuffer logOut;
    QBuffer recordOut;
    csvOut.open(QIODevice::WriteOnly);
    logOut.open(QIODevice::WriteOnly);
    recordOut.open(QIODevice::WriteOnly);
    CsvSweepSink csv(QStringLiteral("-"), csvOut);
    const std::unique_ptr<SweepSink> log = OpenMeasurementLog(QStringLiteral("-"), logOut);
    RecordSweepSink record(QStringLiteral("-"), recordOut);
    const QDateTime when = QDateTime::currentDateTime();
    int number = 0;
    for (auto _ : st) {
        csvOut.seek(0);
        logOut.seek(0);
        recordOut.seek(0);
        FeedSweep(sweep, 2700, [&](QByteArrayView bytes) { session.ReceiveBytes(bytes); });
        const SweepRecord r = RecordOfLastSweep(session, when);
        csv.Write(++number, r);
        log->Write(number, r);
        record.Write(number, r);
    }
    // The work was done: a whole CSV sweep, a whole record, and a log line that reads the
    // bench sweep's 1 kHz on channel A.
    // (sweep, time, a_on, a_reference, then a_frequency.)
    const QList<QByteArray> fields = logOut.data().left(int(logOut.pos())).split(',');
    const double frequency = fields.size() > 4 ? fields[4].toDouble() : 0;
    if (csvOut.pos() < 300 * 40 || recordOut.pos() != AcquisitionFile::RecordBytes ||
        !(frequency > 900 && frequency < 1100))
        st.SkipWithError("the sweep was not decoded, measured and written");
    st.counters["sweeps_per_line_sweep"] =
        benchmark::Counter(0.234 * double(st.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(CaptureOneSweep)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QCoreApplication>(argc, argv);
}
