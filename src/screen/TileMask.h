#pragma once

#include <QRect>
#include <QRegion>
#include <vector>

// The raster cut into squares of Size pixels (narrower or lower at the right and bottom
// edges), each marked or not: the parts of a picture that changed. The region of the
// marked squares is made row by row of squares, without merging rectangles one by one.
class TileMask {
public:
    static constexpr int Size = 16;

    TileMask() = default;
    explicit TileMask(const QRect& bounds);

    int Columns() const { return columns; }
    int Rows() const { return rows; }
    // The square's rectangle on the raster.
    QRect Tile(int column, int row) const;

    void Mark(int column, int row) { marked[Index(column, row)] = 1; }
    bool Marked(int column, int row) const { return marked[Index(column, row)] != 0; }
    // Marks every square that holds a part of the rectangle.
    void Mark(const QRect& rect);
    void Mark(const QRegion& region);

    QRegion Region() const;

    // Marks the squares marked in another mask of the same bounds.
    TileMask& operator|=(const TileMask& other);

    // The squares that differ between two pictures of the same size and format (all of
    // them when their sizes or formats differ).
    static TileMask Differences(const QImage& before, const QImage& after);

private:
    std::size_t Index(int column, int row) const {
        return std::size_t(row) * std::size_t(columns) + std::size_t(column);
    }

    QRect bounds;
    int columns = 0;
    int rows = 0;
    std::vector<char> marked;
};
