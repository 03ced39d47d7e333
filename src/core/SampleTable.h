#pragma once

#include "core/Sweep.h"

#include <QString>
#include <array>
#include <cstdint>

// Everything received from the box and derived from it, one point per row: the packet as
// received, the two codes, their sum and difference, the displayed and the weighted
// codes. Points 1 to 300 are the 300 points of one sweep. The values are integers; a
// value that has not been written yet is kept as such, and the hardware-check view shows
// it as an empty cell.
//
// The view sees the store as 19 text columns by 301 rows (row 0 the headers), each cell
// formatted on demand by CellText.
class SampleTable {
public:
    static constexpr int ColumnCount = 19;
    static constexpr int RowCount = Sweep::Points + 1;
    static constexpr int PacketBytes = 9;

    // Columns of the view, by meaning.
    enum Column {
        PointNumber = 0,
        Packet = 1,
        FirstByte = 2, // bytes 0..8 of the packet in columns 2..10
        CodeA = 11,
        CodeB = 12,
        DisplayA = 13,
        DisplayB = 14,
        Sum = 15,
        Difference = 16,
        WeightedA = 17,
        WeightedB = 18,
    };

    struct Point {
        // The packet as received, up to its ninth byte; none yet while packetSize is 0.
        std::array<char, PacketBytes> packet{};
        std::uint8_t packetSize = 0;
        int codeA = Sweep::CentreCode; // channel codes as received (up to 999)
        int codeB = Sweep::CentreCode;
        int displayA = Sweep::CentreCode; // channel codes as displayed
        int displayB = Sweep::CentreCode;
        bool mathWritten = false; // sum and difference are written together
        int sum = 0;
        int difference = 0;
        bool weightedWritten = false; // both weighted codes are written together
        int weightedA = 0;
        int weightedB = 0;

        bool operator==(const Point&) const = default;
    };

    // Filled with its initial content: 128 for the channel and display codes of every
    // point, nothing else written yet.
    SampleTable() { Reset(); }
    void Reset();

    // Point 1..300; the accessors do not check the row.
    Point& At(int row) { return points[static_cast<std::size_t>(row)]; }
    const Point& At(int row) const { return points[static_cast<std::size_t>(row)]; }
    static bool IsPoint(int row) { return row >= 1 && row <= Sweep::Points; }

    // Whether the sum and difference are written for points 1 to lastRow.
    bool MathWritten(int lastRow) const;
    // Whether the weighted codes are written for points 1 to lastRow.
    bool WeightedWritten(int lastRow) const;

    // Keeps the A + B trace on the screen: for points 1 to lastRow, a sum below the offset
    // becomes the offset, one above offset + 255 becomes offset + 255. The corrected value
    // stays in the store, where the hardware-check view shows it.
    void ClampSums(int lastRow, qint64 offset);
    // The same for A - B, whose offset is added: the difference is kept within
    // -offset .. 255 - offset.
    void ClampDifferences(int lastRow, qint64 offset);

    // The text of a cell as the hardware-check view shows it: headers in row 0, point
    // numbers in column 0, the packet and its bytes in columns 1 to 10, decimal numbers
    // elsewhere; empty for what is not written yet and outside the table.
    QString CellText(int column, int row) const;

    // Column widths of the diagnostic view, in pixels.
    static int ColumnWidth(int column);
    static constexpr int RowHeight = 15;

    bool operator==(const SampleTable&) const = default;

private:
    std::array<Point, RowCount> points{}; // row 0 is unused
};
