#include "capture/SweepSinks.h"

#include "analysis/MeasurementLog.h"
#include "analysis/ShownSweep.h"
#include "files/SweepCsv.h"

#include <QTimeZone>

namespace {

std::unique_ptr<AppendOnlyFile> OpenOutput(const QString& path, QIODevice& standardOutput) {
    if (path == QStringLiteral("-"))
        return std::make_unique<AppendOnlyFile>(standardOutput, StandardOutputName());
    return std::make_unique<AppendOnlyFile>(path);
}

} // namespace

QString StandardOutputName() {
    return QStringLiteral("la sortie standard");
}

CsvSweepSink::CsvSweepSink(const QString& path, QIODevice& standardOutput)
    : file(OpenOutput(path, standardOutput)) {}

void CsvSweepSink::Write(int number, const SweepRecord& record) {
    QByteArray bytes;
    const QByteArray columns = SweepSeriesCsv::Header(record);
    if (columns != header)
        bytes = columns;
    bytes += series.Rows(number, record);
    file->Append(bytes);
    header = columns;
}

RecordSweepSink::RecordSweepSink(const QString& path, QIODevice& standardOutput) {
    if (path == QStringLiteral("-"))
        writer = std::make_unique<AcquisitionWriter>(standardOutput, StandardOutputName());
    else
        writer = std::make_unique<AcquisitionWriter>(path);
}

void RecordSweepSink::Write(int, const SweepRecord& record) {
    writer->Write(record);
}

namespace {

// The log's lines as the program's log writer makes them, each sweep's line written whole.
class MeasurementLogSink : public SweepSink {
public:
    MeasurementLogSink(const QString& path, QIODevice& standardOutput)
        : file(OpenOutput(path, standardOutput)) {
        file->Append(MeasurementLog::HeaderLine());
    }

    void Write(int number, const SweepRecord& record) override {
        const SweepMeasurements m =
            MeasureRecordedSweep(record.sweep, record.instrument, record.magnification);
        LoggedSweep line;
        line.number = number;
        line.time = QDateTime::fromMSecsSinceEpoch(record.msecsSinceEpoch,
                                                   QTimeZone(record.utcOffsetMinutes * 60));
        if (record.instrument.channelA.traceOn)
            line.channelA = m.channelA;
        if (record.instrument.channelB.traceOn)
            line.channelB = m.channelB;
        file->Append(MeasurementLog::Line(line));
    }

private:
    std::unique_ptr<AppendOnlyFile> file;
};

} // namespace

std::unique_ptr<SweepSink> OpenMeasurementLog(const QString& path, QIODevice& standardOutput) {
    return std::make_unique<MeasurementLogSink>(path, standardOutput);
}
