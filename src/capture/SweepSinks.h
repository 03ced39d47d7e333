#pragma once

#include "files/AcquisitionFile.h"
#include "files/AppendOnlyFile.h"
#include "files/SweepCsv.h"
#include "files/SweepRecord.h"

#include <QByteArray>
#include <QString>
#include <memory>

class QIODevice;

// Where the capture writes each recorded sweep: one sink per output option. Each sweep
// goes out whole, at once (AppendOnlyFile): a file ends with the last whole sweep whatever
// ends the capture.
class SweepSink {
public:
    virtual ~SweepSink() = default;
    // Sweep `number` (from 1). Throws FileWriteError.
    virtual void Write(int number, const SweepRecord& record) = 0;
};

// The name of the standard output in messages.
QString StandardOutputName();

// --csv: the sample CSV of a series of sweeps (SweepSeriesCsvHeader and Rows). The header
// goes first, and again before a sweep whose columns differ (a file read back may hold
// sweeps taken with other trace switches). "-" is the standard output.
class CsvSweepSink : public SweepSink {
public:
    CsvSweepSink(const QString& path, QIODevice& standardOutput);
    void Write(int number, const SweepRecord& record) override;

private:
    std::unique_ptr<AppendOnlyFile> file;
    SweepSeriesCsv series;
    QByteArray header;
};

// --record: the acquisition file.
class RecordSweepSink : public SweepSink {
public:
    RecordSweepSink(const QString& path, QIODevice& standardOutput);
    void Write(int number, const SweepRecord& record) override;

private:
    std::unique_ptr<AcquisitionWriter> writer;
};

// --measurements: the measurement log, one line per sweep, written by the program's log
// writer (MeasurementLog, analysis) from the readings of each sweep as the window of the
// automatic measurements takes them. "-" is the standard output.
std::unique_ptr<SweepSink> OpenMeasurementLog(const QString& path, QIODevice& standardOutput);
