#pragma once

#include "analysis/Measurements.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <memory>
#include <optional>
#include <stdexcept>

// The measurement log: one CSV line per sweep, for machines. The same conventions as the
// sample export: UTF-8, comma separator, decimal point whatever the locale, CR LF after
// every line, one header line; numbers in base units that pandas and numpy read as they
// are ("0.001", "1.25e-05").
//
// Columns, in this order:
//   sweep                  the sweep's number in the run (the first completed sweep is 1;
//                          sweeps not logged leave gaps)
//   time                   when the sweep was completed, local time in ISO 8601 with
//                          milliseconds and the offset from UTC: 2024-03-08T14:05:09.123+01:00
//                          ("Z" for UTC itself)
// then for channel A (prefix "a_") and channel B ("b_"):
//   a_on                   1 while the channel's trace is on, 0 otherwise (its readings
//                          are then empty)
//   a_reference            what reads 0 V: "ground" (the channel's measured ground level)
//                          or "centre" (the screen's centre line); empty when off
//   and for each reading, in the order of ReadingKind, its value and its flags:
//   a_frequency_hz, a_frequency_hz_flags, a_period_s, ..._flags, a_peak_to_peak_v,
//   a_maximum_v, a_minimum_v, a_mean_v, a_rms_v, a_ac_rms_v, a_duty_cycle_pct,
//   a_rise_time_s, a_fall_time_s (each followed by its _flags column).
//   A value is empty when the reading is not available. Its flags are words separated by
//   spaces: "not_available", "clipped", "few_periods", "resolution_limit"; empty for a
//   plain reading.
//
// Every line is written whole to the file at once, so that what was written before stays
// when the disk fills or the folder goes: the log then stops, with an exception.

// A log that cannot be opened or written; the text, in French, says which and why.
class MeasurementLogError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One logged sweep.
struct LoggedSweep {
    int number = 0;
    QDateTime time;
    std::optional<ChannelMeasurements> channelA; // nothing: the channel is off
    std::optional<ChannelMeasurements> channelB;
};

class MeasurementLog {
public:
    // Creates the file, or empties the one there, and writes the header line. Throws
    // MeasurementLogError.
    static std::unique_ptr<MeasurementLog> ToFile(const QString& path);
    // The same on the standard output, which stays open afterwards.
    static std::unique_ptr<MeasurementLog> ToStandardOutput();
    ~MeasurementLog();
    MeasurementLog(const MeasurementLog&) = delete;
    MeasurementLog& operator=(const MeasurementLog&) = delete;

    // Writes the line of one sweep. A line that cannot be written whole is taken back from
    // the file where that can be done, the file is closed and MeasurementLogError thrown:
    // nothing more is written. A file that is no longer at its path (removed, or its folder
    // removed or moved) is such a failure too.
    void Append(const LoggedSweep& sweep);

    // The path, or "-" for the standard output.
    QString Path() const { return path; }
    // Sweep lines written, the header not counted.
    int Lines() const { return lines; }
    bool Open() const { return file.isOpen(); }

    static QByteArray HeaderLine();
    static QByteArray Line(const LoggedSweep& sweep);

private:
    explicit MeasurementLog(const QString& path);
    void Write(const QByteArray& bytes);
    [[noreturn]] void Fail(const QString& why);

    QString path;
    bool standardOutput = false;
    QFile file;
    qint64 written = 0; // bytes of whole lines in the file
    int lines = 0;
};
