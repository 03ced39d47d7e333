// libFuzzer target: any bytes read as an acquisition file. Reading never fails other than
// by refusing the file with a message. A file that is not refused gives one sweep for
// each whole record after the 16-byte header, and leaves out the bytes of an incomplete
// last one; each sweep read, written again, gives the record's bytes exactly, so nothing
// the reader accepts is read other than as it was written. The same bytes are read a
// second time with the CRC of every whole record made right, so that the values behind
// the CRC (a hostile file rather than a damaged one) are fuzzed as well.
#include "files/AcquisitionFile.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool holds) {
    if (!holds)
        std::abort();
}

void ReadAndCheck(const QByteArray& bytes) {
    const AcquisitionContents read = ReadAcquisitionBytes(bytes, QStringLiteral("fuzz.oscacq"));
    if (!read.error.isEmpty()) {
        Check(read.sweeps.empty());
        Check(read.error.startsWith(QStringLiteral("Le fichier")));
        return;
    }
    const qsizetype header = AcquisitionFile::HeaderBytes;
    const qsizetype record = AcquisitionFile::RecordBytes;
    if (bytes.size() < header) {
        Check(read.sweeps.empty());
        Check(read.truncatedBytes == bytes.size());
        Check(AcquisitionFile::Header().startsWith(bytes));
        return;
    }
    Check(bytes.first(header) == AcquisitionFile::Header());
    Check(qsizetype(read.sweeps.size()) == (bytes.size() - header) / record);
    Check(read.truncatedBytes == (bytes.size() - header) % record);
    for (std::size_t i = 0; i < read.sweeps.size(); ++i)
        Check(AcquisitionFile::EncodeSweep(read.sweeps[i]) ==
              bytes.sliced(header + qsizetype(i) * record, record));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ReadAndCheck(bytes);
    const qsizetype header = AcquisitionFile::HeaderBytes;
    const qsizetype record = AcquisitionFile::RecordBytes;
    for (qsizetype at = header; at + record <= bytes.size(); at += record) {
        const quint32 crc = AcquisitionFile::Crc32(QByteArrayView(bytes).sliced(at, record - 4));
        for (int i = 0; i < 4; ++i)
            bytes[at + record - 4 + i] = char((crc >> (8 * i)) & 0xFF);
    }
    ReadAndCheck(bytes);
    return 0;
}
