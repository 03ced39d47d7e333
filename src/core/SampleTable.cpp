#include "core/SampleTable.h"

namespace {

const char* const Headers[] = {"VA",        "VB",        "VA\"", "VB\"",
                               "VA\"+VB\"", "VA\"-VB\"", "FPVA", "FPVB"};

} // namespace

void SampleTable::Reset() {
    points.fill(Point{});
}

bool SampleTable::MathWritten(int lastRow) const {
    for (int row = 1; row <= lastRow && row <= Sweep::Points; ++row)
        if (!points[static_cast<std::size_t>(row)].mathWritten)
            return false;
    return true;
}

bool SampleTable::WeightedWritten(int lastRow) const {
    for (int row = 1; row <= lastRow && row <= Sweep::Points; ++row)
        if (!points[static_cast<std::size_t>(row)].weightedWritten)
            return false;
    return true;
}

void SampleTable::ClampSums(int lastRow, qint64 offset) {
    for (int row = 1; row <= lastRow && row <= Sweep::Points; ++row) {
        int& sum = At(row).sum;
        if (sum - offset < 0)
            sum = static_cast<int>(offset);
        if (sum - offset > 255)
            sum = static_cast<int>(offset + 255);
    }
}

void SampleTable::ClampDifferences(int lastRow, qint64 offset) {
    for (int row = 1; row <= lastRow && row <= Sweep::Points; ++row) {
        int& difference = At(row).difference;
        if (difference + offset < 0)
            difference = static_cast<int>(-offset);
        if (difference + offset > 255)
            difference = static_cast<int>(255 - offset);
    }
}

QString SampleTable::CellText(int column, int row) const {
    if (column < 0 || column >= ColumnCount || row < 0 || row >= RowCount)
        return {};
    if (row == 0)
        return column >= CodeA ? QString::fromLatin1(Headers[column - CodeA]) : QString();
    const Point& p = At(row);
    switch (column) {
    case PointNumber:
        return QString::number(row);
    case Packet:
        return QString::fromLatin1(p.packet.data(), p.packetSize);
    case CodeA:
        return QString::number(p.codeA);
    case CodeB:
        return QString::number(p.codeB);
    case DisplayA:
        return QString::number(p.displayA);
    case DisplayB:
        return QString::number(p.displayB);
    case Sum:
        return p.mathWritten ? QString::number(p.sum) : QString();
    case Difference:
        return p.mathWritten ? QString::number(p.difference) : QString();
    case WeightedA:
        return p.weightedWritten ? QString::number(p.weightedA) : QString();
    case WeightedB:
        return p.weightedWritten ? QString::number(p.weightedB) : QString();
    default: {
        const int byte = column - FirstByte;
        return byte < p.packetSize
                   ? QString(QChar::fromLatin1(p.packet[static_cast<std::size_t>(byte)]))
                   : QString();
    }
    }
}

int SampleTable::ColumnWidth(int column) {
    if (column == 0)
        return 25;
    if (column == 1)
        return 65;
    if (column <= 10)
        return 15;
    if (column <= 14)
        return 25;
    if (column <= 16)
        return 50;
    return 40;
}
