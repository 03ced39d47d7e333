#include "link/SampleTable.h"

#include "app/Conversion.h"

SampleTable::SampleTable()
{
    Reset();
}

void SampleTable::Reset()
{
    for (auto& column : cells)
        for (auto& cell : column)
            cell.clear();
    static const char* const headers[] = {"VA", "VB", "VA\"", "VB\"", "VA\"+VB\"", "VA\"-VB\"", "FPVA", "FPVB"};
    for (int c = CodeA; c <= WeightedB; ++c)
        cells[c][0] = QString::fromLatin1(headers[c - CodeA]);
    const QString centre = QStringLiteral("128");
    for (int row = 1; row <= PointCount; ++row) {
        cells[PointNumber][row] = QString::number(row);
        for (int c = CodeA; c <= DisplayB; ++c)
            cells[c][row] = centre;
    }
}

const QString& SampleTable::Cell(int column, int row) const
{
    static const QString empty;
    if (column < 0 || column >= ColumnCount || row < 0 || row >= RowCount)
        return empty;
    return cells[column][row];
}

void SampleTable::SetCell(int column, int row, const QString& text)
{
    if (column < 0 || column >= ColumnCount || row < 0 || row >= RowCount)
        return;
    cells[column][row] = text;
}

int SampleTable::Number(int column, int row) const
{
    return StrToInt(Cell(column, row));
}

int SampleTable::ColumnWidth(int column)
{
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
