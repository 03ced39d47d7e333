// libFuzzer target: random byte chunks through the packet framer and the sample decoder,
// checking after every chunk what must always hold of the framer and the sample table.
//
// Input layout: one byte of trace switches (bit 0 channel A, bit 1 channel B), then
// (length byte, up to that many data bytes) records, each one received chunk. The table
// is checked at the end, and also at the first few records of length 0.

#include "FakeServices.h"
#include "app/InstrumentSettings.h"
#include "app/PersistedSettings.h"
#include "link/PacketFramer.h"
#include "link/SampleDecoder.h"
#include "link/SampleTable.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

[[noreturn]] void Fail(const char* what, int column = -1, int row = -1) {
    std::fprintf(stderr, "invariant broken: %s (column %d, row %d)\n", what, column, row);
    std::abort();
}

// The checks are not instrumented for coverage: the fuzzer explores the framer and the
// decoder, not the checker.
#define NOT_EXPLORED __attribute__((no_sanitize("coverage")))

// Plain decimal without leading zeros, within [low, high]; its value in `value`.
NOT_EXPLORED bool IsNumber(const QString& text, int low, int high, int* value = nullptr) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == u'-') {
        negative = true;
        ++i;
    }
    if (i == text.size() || text.size() - i > 4 || (text[i] == u'0' && text.size() - i > 1))
        return false;
    int v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return false;
        v = v * 10 + (text[i].unicode() - '0');
    }
    if (negative && v == 0)
        return false;
    v = negative ? -v : v;
    if (value)
        *value = v;
    return v >= low && v <= high;
}

NOT_EXPLORED void CheckTable(const SampleTable& t, const SampleTable& initial) {
    for (int c = 0; c < SampleTable::ColumnCount; ++c)
        if (t.Cell(c, 0) != initial.Cell(c, 0))
            Fail("header changed", c, 0);
    for (int row = 1; row <= SampleTable::PointCount; ++row) {
        if (t.Cell(SampleTable::PointNumber, row) != QString::number(row))
            Fail("point number changed", 0, row);
        const QString& packet = t.Cell(SampleTable::Packet, row);
        for (int i = 0; i < 9; ++i) {
            const QString& cell = t.Cell(SampleTable::FirstByte + i, row);
            if (cell.size() > 1)
                Fail("raw byte cell longer than one character", SampleTable::FirstByte + i, row);
            if (i < packet.size() ? cell.size() != 1 || cell[0] != packet[i] : !cell.isEmpty())
                Fail("raw byte cell differs from the packet", SampleTable::FirstByte + i, row);
        }
        for (int c : {int(SampleTable::CodeA), int(SampleTable::CodeB), int(SampleTable::DisplayA),
                      int(SampleTable::DisplayB)})
            if (!IsNumber(t.Cell(c, row), 0, 999))
                Fail("code out of 0..999", c, row);
        const QString& sum = t.Cell(SampleTable::Sum, row);
        const QString& difference = t.Cell(SampleTable::Difference, row);
        if (sum.isEmpty() != difference.isEmpty())
            Fail("sum and difference written apart", SampleTable::Sum, row);
        if (!sum.isEmpty()) {
            int a = 0, b = 0, plus = 0, minus = 0;
            if (!IsNumber(sum, 0, 1998, &plus) || !IsNumber(difference, -999, 999, &minus))
                Fail("sum or difference out of range", SampleTable::Sum, row);
            IsNumber(t.Cell(SampleTable::CodeA, row), 0, 999, &a);
            IsNumber(t.Cell(SampleTable::CodeB, row), 0, 999, &b);
            if (plus != a + b)
                Fail("sum is not A + B", SampleTable::Sum, row);
            if (minus != a - b)
                Fail("difference is not A - B", SampleTable::Difference, row);
        }
        if (!t.Cell(SampleTable::WeightedA, row).isEmpty() ||
            !t.Cell(SampleTable::WeightedB, row).isEmpty())
            Fail("weighted columns written", SampleTable::WeightedA, row);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const SampleTable initial;
    FakeServices services;
    services.linkActive = true;
    services.instrument.channelA.traceOn = size > 0 && (data[0] & 1);
    services.instrument.channelB.traceOn = size > 0 && (data[0] & 2);
    SampleDecoder decoder(services);
    PacketFramer framer;

    // The decoder's pointCounter, followed independently.
    long expectedCounter = 1;
    long expectedCompletions = 0;

    const PacketFramer::Deliver deliver = [&](QByteArrayView packet) {
        if (packet.isEmpty() || packet[0] != 'A')
            Fail("packet does not begin with the start byte");
        if (packet.size() > 9)
            Fail("packet longer than 9 bytes");
        if (packet.size() < 9 && (packet.size() < 2 || packet.back() != 'B'))
            Fail("short packet not ended by the stop byte");
        // A copy of exactly the packet's size, so that reading past it is caught.
        std::unique_ptr<char[]> copy(new char[packet.size()]);
        std::memcpy(copy.get(), packet.data(), packet.size());
        decoder.DecodeSamplePacket(QByteArrayView(copy.get(), packet.size()));

        if (packet.size() > 4 && packet[4] == '#')
            expectedCounter = 1;
        if (expectedCounter == SampleTable::PointCount)
            ++expectedCompletions;
        if (expectedCounter < INT_MAX)
            ++expectedCounter;
        if (decoder.pointCounter() != expectedCounter)
            Fail("pointCounter");
        if (services.redraws != expectedCompletions)
            Fail("one completion per point 300");
    };

    int checks = 0;
    size_t at = size > 0 ? 1 : 0;
    while (at < size) {
        const size_t length = data[at++];
        const size_t take = length < size - at ? length : size - at;
        framer.Feed(QByteArrayView(reinterpret_cast<const char*>(data + at), qsizetype(take)),
                    deliver);
        at += take;
        if (framer.Buffer().size() >= PacketFramer::BufferLimit)
            Fail("framer buffer over its limit");
        if (framer.InsidePacket() != framer.Buffer().startsWith('A'))
            Fail("inside flag disagrees with the buffer");
        if (!framer.InsidePacket() && framer.Buffer().contains('A'))
            Fail("a start byte waits while not inside a packet");
        if (length == 0 && checks++ < 3)
            CheckTable(services.samples, initial);
    }
    CheckTable(services.samples, initial);
    const SweepExtremes& e = decoder.Extremes();
    for (int v : {e.sumMax, e.sumMin, e.differenceMax, e.differenceMin, e.channelAMax,
                  e.channelAMin, e.channelBMax, e.channelBMin})
        if (v < -999 || v > 1998)
            Fail("extreme out of range");
    return 0;
}
