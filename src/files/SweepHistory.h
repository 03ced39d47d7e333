#pragma once

#include "core/HistoryOptions.h"
#include "files/SweepRecord.h"

#include <QByteArray>
#include <optional>

// The last completed sweeps, each with the settings it was taken with, oldest first: a
// ring of at most Capacity() sweeps, the oldest forgotten when a new one comes. Each sweep
// is kept as the record the acquisition file holds (AcquisitionFile::RecordBytes bytes),
// so the memory is at most Capacity() x 1254 bytes, and a sweep kept reads back exactly.
class SweepHistory {
public:
    static constexpr int LeastLength = HistoryOptions::LeastLength;
    static constexpr int MostLength = HistoryOptions::MostLength;
    static constexpr int DefaultLength = HistoryOptions::DefaultLength;

    // A capacity outside LeastLength..MostLength is brought to the nearest bound.
    explicit SweepHistory(int capacity = DefaultLength);

    int Capacity() const { return capacity; }
    // Changes the capacity; the newest sweeps that fit are kept.
    void SetCapacity(int newCapacity);

    // Keeps a sweep; false (and nothing kept) for a record the file could not hold.
    bool Add(const SweepRecord& record);
    void Clear();

    int Size() const { return count; }
    bool Empty() const { return count == 0; }
    // Sweep 0 is the oldest kept, Size() - 1 the newest; nothing outside.
    std::optional<SweepRecord> At(int index) const;
    // The bytes the sweeps take: what the ring has allocated.
    qsizetype MemoryBytes() const { return ring.capacity(); }

private:
    int Slot(int index) const { return (first + index) % capacity; }

    int capacity;
    int first = 0; // the slot of the oldest sweep
    int count = 0;
    QByteArray ring; // grows by whole records up to capacity records
};
