#include "files/SweepHistory.h"

#include "files/AcquisitionFile.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

int Bounded(int length) {
    return std::clamp(length, SweepHistory::LeastLength, SweepHistory::MostLength);
}

} // namespace

SweepHistory::SweepHistory(int length) : capacity(Bounded(length)) {}

void SweepHistory::SetCapacity(int newCapacity) {
    const int next = Bounded(newCapacity);
    if (next == capacity)
        return;
    const int kept = std::min(count, next);
    QByteArray packed;
    packed.reserve(qsizetype(kept) * AcquisitionFile::RecordBytes);
    for (int i = count - kept; i < count; ++i)
        packed.append(ring.constData() + qsizetype(Slot(i)) * AcquisitionFile::RecordBytes,
                      AcquisitionFile::RecordBytes);
    packed.squeeze();
    ring = std::move(packed);
    capacity = next;
    first = 0;
    count = kept;
}

bool SweepHistory::Add(const SweepRecord& record) {
    QByteArray bytes;
    try {
        bytes = AcquisitionFile::EncodeSweep(record);
    } catch (const std::invalid_argument&) {
        return false;
    }
    if (count < capacity) {
        // The whole ring at once, so that it never holds more than its records; it fills
        // in order before it wraps: slot count is the next free one.
        if (ring.capacity() < qsizetype(capacity) * AcquisitionFile::RecordBytes)
            ring.reserve(qsizetype(capacity) * AcquisitionFile::RecordBytes);
        ring.append(bytes);
        ++count;
    } else {
        std::copy(bytes.cbegin(), bytes.cend(),
                  ring.begin() + qsizetype(first) * AcquisitionFile::RecordBytes);
        first = (first + 1) % capacity;
    }
    return true;
}

void SweepHistory::Clear() {
    ring = QByteArray();
    first = 0;
    count = 0;
}

std::optional<SweepRecord> SweepHistory::At(int index) const {
    if (index < 0 || index >= count)
        return std::nullopt;
    QString why;
    return AcquisitionFile::DecodeSweep(
        QByteArrayView(ring.constData() + qsizetype(Slot(index)) * AcquisitionFile::RecordBytes,
                       AcquisitionFile::RecordBytes),
        why);
}
