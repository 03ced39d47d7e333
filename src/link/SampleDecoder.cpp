#include "link/SampleDecoder.h"

#include "core/SampleTable.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// Three bytes of the packet from `first` on, hundreds first; a byte that is missing or
// not a digit counts as the default digit of its place.
int ThreeDigits(QByteArrayView packet, qsizetype first) {
    static constexpr int defaults[3] = {1, 2, 7};
    static constexpr int weights[3] = {100, 10, 1};
    int value = 0;
    for (int i = 0; i < 3; ++i) {
        const qsizetype at = first + i;
        int digit = defaults[i];
        if (at < packet.size()) {
            const char c = packet[at];
            if (c >= '0' && c <= '9')
                digit = c - '0';
        }
        value += weights[i] * digit;
    }
    return value;
}

bool WellFormed(QByteArrayView packet) {
    if (packet.size() != SampleTable::PacketBytes || packet[0] != 'A' || packet[8] != 'B' ||
        (packet[4] != '#' && packet[4] != '%'))
        return false;
    for (qsizetype at : {1, 2, 3, 5, 6, 7})
        if (packet[at] < '0' || packet[at] > '9')
            return false;
    return true;
}

} // namespace

SampleDecoder::SampleDecoder(SampleTable& samples, QObject* parent)
    : QObject(parent), table(samples) {}

void SampleDecoder::DecodeSamplePacket(QByteArrayView packet) {
    if (!WellFormed(packet))
        ++malformed;
    const char marker = packet.size() > 4 ? packet[4] : '\0';
    if (marker == '#')
        counter = 1;
    const int row = counter;
    const bool stored = SampleTable::IsPoint(row);

    if (stored) {
        SampleTable::Point& point = table.At(row);
        const auto size =
            static_cast<std::uint8_t>(std::min<qsizetype>(packet.size(), SampleTable::PacketBytes));
        // The bytes of a shorter packet replace the whole of the point's: no byte of an
        // earlier packet stays behind.
        const auto end = std::copy_n(packet.data(), size, point.packet.begin());
        std::fill(end, point.packet.end(), '\0');
        point.packetSize = size;
    }

    if (marker == '#' || marker == '%') {
        const int codeA = ThreeDigits(packet, 1);
        const int codeB = ThreeDigits(packet, 5);
        const int sum = codeA + codeB;
        const int difference = codeA - codeB;
        if (stored) {
            SampleTable::Point& point = table.At(row);
            point.codeA = codeA;
            point.codeB = codeB;
            point.sum = sum;
            point.difference = difference;
            point.mathWritten = true;
        }
        extremes.Update(codeA, codeB, sum, difference);
    }

    if (counter == Sweep::Points)
        CompleteSweep();
    if (counter < INT_MAX)
        ++counter;
}

void SampleDecoder::CompleteSweep() {
    const int sumHalfRange = (extremes.sumMax - extremes.sumMin) / 2;
    sumOffset = sumHalfRange + extremes.sumMin - Sweep::CentreCode;
    const int differenceHalfRange = (extremes.differenceMax - extremes.differenceMin) / 2;
    differenceOffset = std::abs(extremes.differenceMin) - differenceHalfRange + Sweep::CentreCode;

    // The extremes are reset before the sweep is handed on, so that the next sweep starts
    // from the initial values whatever the handlers do.
    const SweepExtremes completed = extremes;
    extremes.Reset();
    emit sweepCompleted(completed);
}
