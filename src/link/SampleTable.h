#pragma once

#include <QString>
#include <array>

// Everything received from the box and derived from it: 19 text columns by 301 rows.
// Row 0 holds the headers, rows 1..300 the points of one sweep. Cells hold decimal text
// and are read back by the strict decimal conversion.
class SampleTable {
public:
    static constexpr int ColumnCount = 19;
    static constexpr int RowCount = 301;
    static constexpr int PointCount = 300;

    // Columns by meaning.
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

    // Laid out and filled with its initial content: point numbers, headers, and "128" in
    // columns 11 to 14 of every point.
    SampleTable();

    // Writes the headers and point numbers (the layout) and the initial codes.
    void Reset();

    // Text of a cell; empty outside the table.
    const QString& Cell(int column, int row) const;
    // Replaces a cell's text; does nothing outside the table.
    void SetCell(int column, int row, const QString& text);

    // Reads a cell as a whole decimal integer; throws ConversionError otherwise.
    int Number(int column, int row) const;

    // Column widths of the diagnostic view, in pixels.
    static int ColumnWidth(int column);
    static constexpr int RowHeight = 15;

private:
    std::array<std::array<QString, RowCount>, ColumnCount> cells;
};
