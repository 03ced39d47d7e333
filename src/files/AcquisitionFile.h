#pragma once

#include "files/AppendOnlyFile.h"
#include "files/SweepRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <stdexcept>
#include <vector>

class QIODevice;

// The acquisition file: recorded sweeps, each with everything needed to show it again
// (SweepRecord). A 16-byte header, then one fixed-size record per sweep, appended as the
// sweeps come, each ended by its own CRC-32; little-endian throughout. The layout is in
// docs/ACQUISITION-FILE.md, with a short reader in Python.
//
// Header: the 8 bytes "OSCACQ" 0x1A 0x0A, the version (u16, 1), the record size (u16,
// 1254), 4 bytes of zero.
//
// Record (version 1):
//   0 i64 completion time, milliseconds since 1970-01-01 UTC
//   8 i16 the local time's offset from UTC, minutes
//  10 u8 time base row (1..18)     11 u8 trigger source (1..4)
//  12 u8 flags: 1 trigger armed, 2 running
//  13 u8 math mode (0..3)          14 u8 magnifier (1, 2, 5)      15 u8 zero
//  16 u16 the RAM window's first sample (0..1747)
//  18 channel A, 26 channel B: u8 volts/div row (1..9), u8 coupling (1..3), u8 position
//     (0..255), u8 flags (1 trace on, 2 probe x10, 4 ground marker shown, 8 ground
//     measured), i32 ground level (a code)
//  34 8 x i16 the extremes: sum max and min, difference max and min, A max and min, B max
//     and min
//  50 300 x u16 the codes of channel A as received (0..999), 650 the same for channel B
// 1250 u32 CRC-32 (that of zlib) of bytes 0 to 1249
namespace AcquisitionFile {

inline constexpr const char* Extension = "oscacq";
inline constexpr const char* MimeType = "application/x-oscilloscope-acquisition";
inline constexpr int Version = 1;
inline constexpr int HeaderBytes = 16;
inline constexpr int RecordBytes = 1254;

QByteArray Header();

// The record of one sweep. Throws std::invalid_argument for a value the file cannot hold
// (a row outside its table, a code above 999...): the reader would refuse it.
QByteArray EncodeSweep(const SweepRecord& record);

// The sweep of one record's RecordBytes bytes; nothing when they are not one, with the
// reason in French in `why` ("sa somme de contrôle ne correspond pas").
std::optional<SweepRecord> DecodeSweep(QByteArrayView bytes, QString& why);

// CRC-32 as zlib computes it (polynomial 0xEDB88320, reflected, inverted).
quint32 Crc32(QByteArrayView bytes);

} // namespace AcquisitionFile

// Writes an acquisition file: the header at once, then each sweep as one whole record at
// the end of the file (AppendOnlyFile): a crash or a pulled cable loses at most the sweep
// being written.
class AcquisitionWriter {
public:
    // Creates the file, or empties it. Throws FileWriteError.
    explicit AcquisitionWriter(const QString& path);
    // Writes to a device open for writing (the standard output), named `name` in messages.
    AcquisitionWriter(QIODevice& device, const QString& name);

    // Throws FileWriteError, or std::invalid_argument for a record the file cannot hold.
    void Write(const SweepRecord& record);
    int SweepsWritten() const { return sweeps; }
    const QString& Name() const { return file.Name(); }

private:
    AppendOnlyFile file;
    int sweeps = 0;
};

// Reads an acquisition file sweep by sweep. Every whole sweep of a truncated file is
// read (the incomplete last one is left out and counted); a file that is not an
// acquisition file, of another version, or damaged (a record whose CRC or values are
// wrong) stops the reading with a message in French. Reads nothing it does not need: one
// record at a time, whatever the file claims.
class AcquisitionReader {
public:
    // `name` is the file's name in the messages.
    AcquisitionReader(QIODevice& device, const QString& name);

    // The next whole sweep; false at the end, or when the file is refused (Error()).
    bool Next(SweepRecord& record);
    // Why the file is refused; empty while it is not.
    const QString& Error() const { return error; }
    // The bytes of an incomplete last record (or header) left out at the end.
    qint64 TruncatedBytes() const { return truncated; }
    int SweepsRead() const { return sweeps; }

private:
    bool ReadHeader();
    bool Refuse(const QString& why);

    QIODevice& device;
    QString name;
    QString error;
    bool headerRead = false;
    bool ended = false;
    qint64 truncated = 0;
    int sweeps = 0;
};

// Everything a reader gets from a whole file: every whole sweep, or, for a file refused,
// none and the reason.
struct AcquisitionContents {
    std::vector<SweepRecord> sweeps;
    QString error;
    qint64 truncatedBytes = 0;
};
AcquisitionContents ReadAcquisitionFile(const QString& path);
AcquisitionContents ReadAcquisitionBytes(const QByteArray& bytes, const QString& name);
