#include "capture/SweepSinks.h"

#include "files/SweepCsv.h"

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
