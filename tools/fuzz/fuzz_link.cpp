// libFuzzer target: random byte chunks through the packet framer and the sample decoder,
// each followed step by step by a small reference of its own, written from the rules of
// the packet format rather than from the code under test.
//
// Input layout: one byte of trace switches, then (length byte, up to that many data
// bytes) records, each one received chunk. The switches in force at the n-th completed
// sweep (n = 0, 1, 2...) are bits 2n and 2n + 1 of the first byte, taken modulo 8:
// channel A, then channel B.
//
// Checked after every chunk: the packets delivered, the framer's buffer and flag. After
// every packet: the point it went to (its bytes, codes, sum and difference), the point
// counter and the sweep extremes. After every completed sweep: the extremes handed on,
// the math offsets and the display codes of all 300 points (copied only for a channel
// whose trace is on, kept from before for the other). At the end: every point.

#include "core/InstrumentSettings.h"
#include "core/SampleTable.h"
#include "core/SweepExtremes.h"
#include "core/WeightingWindow.h"
#include "link/PacketFramer.h"
#include "link/SampleDecoder.h"

#include <QObject>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The checks are not instrumented for coverage: the fuzzer explores the framer and the
// decoder, not the reference.
#define NOT_EXPLORED __attribute__((no_sanitize("coverage")))

[[noreturn]] NOT_EXPLORED void Fail(const char* what, int row = -1) {
    std::fprintf(stderr, "invariant broken: %s (point %d)\n", what, row);
    std::abort();
}

constexpr int Points = 300;
constexpr int PacketSize = 9;
constexpr std::size_t BufferLimit = 1024;

struct Packet {
    char bytes[PacketSize];
    int size;
};

// The framing rules: "A" starts a packet; a packet is the next 9 bytes, or, while fewer
// are buffered, ends at the first "B" after its first byte; bytes before a start byte
// are dropped; a buffer of 1024 bytes or more after a pass is dropped whole. Plain
// arrays: the checks must cost little beside the code they check.
struct ReferenceFramer {
    static constexpr std::size_t Capacity = BufferLimit + 256; // a chunk is 255 bytes at most
    char buffer[Capacity];
    std::size_t size = 0;
    bool inside = false;
    Packet packets[Capacity]; // the packets of the last chunk
    std::size_t count = 0;

    NOT_EXPLORED void Feed(const char* data, std::size_t length) {
        std::memcpy(buffer + size, data, length);
        size += length;
        count = 0;
        std::size_t front = 0;
        for (;;) {
            if (!inside) {
                const void* start = std::memchr(buffer + front, 'A', size - front);
                if (!start)
                    break;
                front = std::size_t(static_cast<const char*>(start) - buffer);
                inside = true;
            }
            std::size_t packet = PacketSize;
            if (size - front < PacketSize) {
                const void* stop = size - front > 1
                                       ? std::memchr(buffer + front + 1, 'B', size - front - 1)
                                       : nullptr;
                if (!stop)
                    break;
                packet = std::size_t(static_cast<const char*>(stop) - buffer) - front + 1;
            }
            Packet& out = packets[count++];
            std::memcpy(out.bytes, buffer + front, packet);
            out.size = int(packet);
            front += packet;
            inside = false;
        }
        std::memmove(buffer, buffer + front, size - front);
        size -= front;
        if (size >= BufferLimit) {
            size = 0;
            inside = false;
        }
    }
};

struct Extremes {
    int sumMax = 0, sumMin = 255, differenceMax = 0, differenceMin = 255;
    int aMax = 0, aMin = 255, bMax = 0, bMin = 255;
};

// The decoding rules: "#" sends the packet to point 1, any other packet to the point
// after the last; points after 300 are not stored; a packet with a point marker ("#" or
// "%" as its fifth byte) gives two codes of three digits each, a byte that is missing or
// not a digit counting as 1, 2 or 7 by its place; the 300th point completes the sweep.
//
// It keeps its points in a store of its own, written field by field as the rules say,
// so that the whole store can be compared at once.
struct ReferenceDecoder {
    SampleTable points;
    long counter = 1;
    Extremes extremes;
    Extremes completed;
    int sumOffset = 0;
    int differenceOffset = 0;
    int completions = 0;

    NOT_EXPLORED static int Code(const Packet& p, int first) {
        static const int defaults[3] = {1, 2, 7};
        int value = 0;
        for (int i = 0; i < 3; ++i) {
            const int at = first + i;
            const bool digit = at < p.size && p.bytes[at] >= '0' && p.bytes[at] <= '9';
            value = value * 10 + (digit ? p.bytes[at] - '0' : defaults[i]);
        }
        return value;
    }

    NOT_EXPLORED static void Track(int v, int& max, int& min) {
        if (v > max)
            max = v;
        if (v < min)
            min = v;
    }

    // Returns the point the packet went to, 0 when none.
    NOT_EXPLORED int Decode(const Packet& p) {
        const char marker = p.size > 4 ? p.bytes[4] : '\0';
        if (marker == '#')
            counter = 1;
        const int row = counter >= 1 && counter <= Points ? int(counter) : 0;
        if (row) {
            SampleTable::Point& point = points.At(row);
            // The packet's bytes replace the point's whole packet: none of an earlier one
            // stays behind a shorter one.
            point.packetSize = uint8_t(p.size);
            point.packet.fill('\0');
            std::memcpy(point.packet.data(), p.bytes, std::size_t(p.size));
        }
        if (marker == '#' || marker == '%') {
            const int a = Code(p, 1), b = Code(p, 5);
            if (row) {
                SampleTable::Point& point = points.At(row);
                point.codeA = a;
                point.codeB = b;
                point.mathWritten = true;
                point.sum = a + b;
                point.difference = a - b;
            }
            Track(a + b, extremes.sumMax, extremes.sumMin);
            Track(a - b, extremes.differenceMax, extremes.differenceMin);
            Track(a, extremes.aMax, extremes.aMin);
            Track(b, extremes.bMax, extremes.bMin);
        }
        if (counter == Points) {
            sumOffset = (extremes.sumMax - extremes.sumMin) / 2 + extremes.sumMin - 128;
            differenceOffset = std::abs(extremes.differenceMin) -
                               (extremes.differenceMax - extremes.differenceMin) / 2 + 128;
            completed = extremes;
            extremes = Extremes{};
            ++completions;
        }
        ++counter;
        return row;
    }

    // The end of a sweep: the display codes of a channel whose trace is on, and the
    // weighted codes of the rectangular window.
    NOT_EXPLORED void CopyDisplay(bool a, bool b) {
        for (int row = 1; row <= Points; ++row) {
            SampleTable::Point& point = points.At(row);
            if (a)
                point.displayA = point.codeA;
            if (b)
                point.displayB = point.codeB;
            // The rectangular window: the codes themselves, for both channels.
            point.weightedA = point.codeA;
            point.weightedB = point.codeB;
            point.weightedWritten = true;
        }
    }
};

NOT_EXPLORED bool Same(const SweepExtremes& e, const Extremes& r) {
    return e.sumMax == r.sumMax && e.sumMin == r.sumMin && e.differenceMax == r.differenceMax &&
           e.differenceMin == r.differenceMin && e.channelAMax == r.aMax &&
           e.channelAMin == r.aMin && e.channelBMax == r.bMax && e.channelBMin == r.bMin;
}

NOT_EXPLORED void CheckPoint(const SampleTable& table, const SampleTable& reference, int row) {
    const SampleTable::Point& p = table.At(row);
    const SampleTable::Point& r = reference.At(row);
    if (p.packetSize != r.packetSize)
        Fail("packet size", row);
    for (std::size_t i = 0; i < r.packetSize; ++i)
        if (p.packet[i] != r.packet[i])
            Fail("packet bytes", row);
    if (p.codeA != r.codeA || p.codeB != r.codeB)
        Fail("channel codes", row);
    if (p.mathWritten != r.mathWritten ||
        (r.mathWritten && (p.sum != r.sum || p.difference != r.difference)))
        Fail("sum or difference", row);
    if (p.displayA != r.displayA || p.displayB != r.displayB)
        Fail("display codes", row);
    if (p.weightedWritten != r.weightedWritten ||
        (r.weightedWritten && (p.weightedA != r.weightedA || p.weightedB != r.weightedB)))
        Fail("weighted codes", row);
}

// Every point, field by field (a point's padding bytes are no part of it), the bytes of a
// packet beyond its size included: a shorter packet leaves them as they were.
NOT_EXPLORED void CheckAllPoints(const SampleTable& table, const SampleTable& reference) {
    for (int r = 1; r <= Points; ++r) {
        if (table.At(r) == reference.At(r))
            continue;
        CheckPoint(table, reference, r);
        Fail("point differs outside the values checked", r);
    }
}

NOT_EXPLORED bool Switch(uint8_t switches, int completion, int channel) {
    return (switches >> ((2 * completion + channel) % 8)) & 1;
}

// The packet handed to the decoder sits at the very end of this array, so that a read
// past its end falls in the array's red zone.
char packetSlot[PacketSize];

// The store under test stands alone, so that a write beyond its last point falls in its
// red zone.
SampleTable store;

// One input's run, kept from one input to the next and set back at the start of each:
// under the sanitizers every allocation is costly.
struct Run {
    uint8_t switches = 0;
    SampleTable& table = store;
    InstrumentSettings instrument;
    PacketFramer framer;
    ReferenceFramer referenceFramer;
    ReferenceDecoder reference;
    std::size_t next = 0; // the next packet of the chunk to be delivered
    int completions = 0;
    bool completedNow = false;

    NOT_EXPLORED void Reset(uint8_t inputSwitches) {
        switches = inputSwitches;
        static const SampleTable initial; // copied: cheaper than refilled point by point
        table = initial;
        reference.points = initial;
        instrument = InstrumentSettings{};
        framer = PacketFramer{};
        referenceFramer.size = 0;
        referenceFramer.inside = false;
        referenceFramer.count = 0;
        reference.counter = 1;
        reference.extremes = Extremes{};
        reference.completed = Extremes{};
        reference.sumOffset = 0;
        reference.differenceOffset = 0;
        reference.completions = 0;
        next = 0;
        completions = 0;
        completedNow = false;
    }

    // The session's part at the end of a sweep, with the switches of this completion.
    NOT_EXPLORED void Completed(const SampleDecoder& decoder, const SweepExtremes& e) {
        if (!Same(e, reference.completed) || completions + 1 != reference.completions)
            Fail("extremes handed on at the completion");
        if (!Same(decoder.Extremes(), Extremes{}))
            Fail("extremes not reset at the completion");
        instrument.channelA.traceOn = Switch(switches, completions, 0);
        instrument.channelB.traceOn = Switch(switches, completions, 1);
        ApplyWeightingWindow(table, instrument, e);
        reference.CopyDisplay(instrument.channelA.traceOn, instrument.channelB.traceOn);
        ++completions;
        completedNow = true;
    }

    __attribute__((noinline)) NOT_EXPLORED void Deliver(SampleDecoder& decoder,
                                                        QByteArrayView packet) {
        if (next >= referenceFramer.count)
            Fail("packet beyond the framing rules");
        const Packet& p = referenceFramer.packets[next++];
        if (packet.size() != p.size || std::memcmp(packet.data(), p.bytes, std::size_t(p.size)))
            Fail("packet differs from the framing rules");
        // The reference goes first, so that the completion's checks find it up to date.
        const int row = reference.Decode(p);
        char* copy = packetSlot + PacketSize - p.size;
        std::memcpy(copy, p.bytes, std::size_t(p.size));
        completedNow = false;
        decoder.DecodeSamplePacket(QByteArrayView(copy, p.size));

        if (decoder.PointCounter() != reference.counter)
            Fail("point counter");
        if (!Same(decoder.Extremes(), reference.extremes))
            Fail("sweep extremes");
        if (completions != reference.completions)
            Fail("one completion per point 300");
        if (row)
            CheckPoint(table, reference.points, row);
        if (completedNow) {
            if (decoder.SumOffset() != reference.sumOffset ||
                decoder.DifferenceOffset() != reference.differenceOffset)
                Fail("math offsets");
            CheckAllPoints(table, reference.points);
        }
    }

    __attribute__((noinline)) NOT_EXPLORED void ReferenceChunk(const char* chunk,
                                                               std::size_t size) {
        next = 0;
        referenceFramer.Feed(chunk, size);
    }

    __attribute__((noinline)) NOT_EXPLORED void AfterChunk() {
        if (next != referenceFramer.count)
            Fail("packet not delivered");
        const QByteArray& buffer = framer.Buffer();
        if (buffer.size() != qsizetype(referenceFramer.size) ||
            std::memcmp(buffer.constData(), referenceFramer.buffer, referenceFramer.size) != 0)
            Fail("framer buffer");
        if (framer.InsidePacket() != referenceFramer.inside)
            Fail("framer flag");
    }

    __attribute__((noinline)) NOT_EXPLORED void AtEnd() { CheckAllPoints(table, reference.points); }
};

} // namespace

// The allocator's settings for this target. Each input allocates a few small blocks and
// frees them: a smaller quarantine still holds every block freed during one input, and
// filling new blocks with a pattern only costs time here (the reference checks every
// value that is read).
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16:max_malloc_fill_size=0";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Run run;
    run.Reset(size > 0 ? data[0] : 0);
    SampleDecoder decoder(run.table);
    QObject::connect(&decoder, &SampleDecoder::sweepCompleted,
                     [&decoder](const SweepExtremes& e) { run.Completed(decoder, e); });
    const PacketFramer::Deliver deliver = [&decoder](QByteArrayView packet) {
        run.Deliver(decoder, packet);
    };

    size_t at = size > 0 ? 1 : 0;
    while (at < size) {
        const size_t length = data[at++];
        const size_t take = length < size - at ? length : size - at;
        const char* chunk = reinterpret_cast<const char*>(data + at);
        run.ReferenceChunk(chunk, take);
        run.framer.Feed(QByteArrayView(chunk, qsizetype(take)), deliver);
        run.AfterChunk();
        at += take;
    }
    run.AtEnd();
    return 0;
}
