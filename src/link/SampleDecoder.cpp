#include "link/SampleDecoder.h"

#include "app/InstrumentSettings.h"
#include "app/ProgramServices.h"
#include "link/SampleTable.h"
#include "spectrum/WeightingWindow.h"

#include <QString>
#include <array>
#include <climits>
#include <cstdlib>

namespace {

// Cell texts are shared, not rebuilt: every one-byte text and every number a packet can
// give (-999 for a difference up to 1998 for a sum) exists once.
constexpr int LowestNumber = -999;
constexpr int HighestNumber = 1998;

const QString& ByteText(unsigned char byte) {
    static const std::array<QString, 256> texts = [] {
        std::array<QString, 256> t;
        for (int b = 0; b < 256; ++b)
            t[b] = QString(QChar(char16_t(b)));
        return t;
    }();
    return texts[byte];
}

const QString& NumberText(int value) {
    static const std::array<QString, HighestNumber - LowestNumber + 1> texts = [] {
        std::array<QString, HighestNumber - LowestNumber + 1> t;
        for (int v = LowestNumber; v <= HighestNumber; ++v)
            t[v - LowestNumber] = QString::number(v);
        return t;
    }();
    return texts[value - LowestNumber];
}

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

} // namespace

SampleDecoder::SampleDecoder(ProgramServices& owner) : services(owner) {}

void SampleDecoder::DecodeSamplePacket(QByteArrayView packet) {
    const char marker = packet.size() > 4 ? packet[4] : '\0';
    if (marker == '#')
        counter = 1;
    const int row = counter;
    SampleTable& table = services.Samples();
    const bool stored = row >= 1 && row <= SampleTable::PointCount;

    if (stored) {
        table.SetCell(SampleTable::Packet, row, QString::fromLatin1(packet));
        for (int i = 0; i < 9; ++i) {
            const int column = SampleTable::FirstByte + i;
            if (i < packet.size())
                table.SetCell(column, row, ByteText(static_cast<unsigned char>(packet[i])));
            else
                table.SetCell(column, row, QString());
        }
    }

    if (marker == '#' || marker == '%') {
        const int codeA = ThreeDigits(packet, 1);
        const int codeB = ThreeDigits(packet, 5);
        const int sum = codeA + codeB;
        const int difference = codeA - codeB;
        if (stored) {
            table.SetCell(SampleTable::CodeA, row, NumberText(codeA));
            table.SetCell(SampleTable::CodeB, row, NumberText(codeB));
            table.SetCell(SampleTable::Sum, row, NumberText(sum));
            table.SetCell(SampleTable::Difference, row, NumberText(difference));
        }
        // The values are those just written into the row (the cells hold their text).
        extremes.Update(codeA, codeB, sum, difference);
    }

    if (counter == SampleTable::PointCount)
        CompleteSweep();
    if (counter < INT_MAX)
        ++counter;
}

void SampleDecoder::CompleteSweep() {
    const int sumHalfRange = (extremes.sumMax - extremes.sumMin) / 2;
    sumOffset = sumHalfRange + extremes.sumMin - 128;
    const int differenceHalfRange = (extremes.differenceMax - extremes.differenceMin) / 2;
    differenceOffset = std::abs(extremes.differenceMin) - differenceHalfRange + 128;

    // The extremes are reset even when a later step fails, so that the next sweep starts
    // from the initial values.
    const SweepExtremes completed = extremes;
    extremes.Reset();
    ApplyWeightingWindow(services.Samples(), services.Instrument(), completed);
    services.RedrawScreen();
}
