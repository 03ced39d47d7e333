#include "screen/TileMask.h"

#include <QImage>
#include <algorithm>
#include <cstring>

TileMask::TileMask(const QRect& area)
    : bounds(area), columns((area.width() + Size - 1) / Size),
      rows((area.height() + Size - 1) / Size),
      marked(std::size_t(std::max(columns, 0)) * std::size_t(std::max(rows, 0)), 0) {}

QRect TileMask::Tile(int column, int row) const {
    return QRect(bounds.left() + column * Size, bounds.top() + row * Size, Size, Size) & bounds;
}

void TileMask::Mark(const QRect& rect) {
    const QRect r = (rect & bounds).translated(-bounds.topLeft());
    if (r.isEmpty())
        return;
    for (int row = r.top() / Size; row <= r.bottom() / Size; ++row)
        std::fill_n(marked.begin() + std::ptrdiff_t(Index(r.left() / Size, row)),
                    r.right() / Size - r.left() / Size + 1, char(1));
}

void TileMask::Mark(const QRegion& region) {
    for (const QRect& rect : region)
        Mark(rect);
}

TileMask& TileMask::operator|=(const TileMask& other) {
    if (other.bounds == bounds)
        for (std::size_t i = 0; i < marked.size(); ++i)
            marked[i] = char(marked[i] | other.marked[i]);
    return *this;
}

QRegion TileMask::Region() const {
    std::vector<QRect> runs;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns;) {
            if (!Marked(column, row)) {
                ++column;
                continue;
            }
            const int first = column;
            while (column < columns && Marked(column, row))
                ++column;
            runs.push_back(Tile(first, row) | Tile(column - 1, row));
        }
    }
    QRegion region;
    if (!runs.empty())
        region.setRects(runs.data(), int(runs.size()));
    return region;
}

TileMask TileMask::Differences(const QImage& before, const QImage& after) {
    TileMask differing(after.rect());
    const bool comparable =
        before.size() == after.size() && before.format() == after.format() && after.depth() == 32;
    if (!comparable) {
        std::fill(differing.marked.begin(), differing.marked.end(), char(1));
        return differing;
    }
    // Rows that are the same throughout are passed over at once; in a row that differs,
    // each square not marked yet is looked at.
    const int width = after.width();
    for (int y = 0; y < after.height(); ++y) {
        const QRgb* a = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const QRgb* b = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        if (std::memcmp(a, b, std::size_t(width) * sizeof(QRgb)) == 0)
            continue;
        const int row = y / Size;
        for (int column = 0; column < differing.columns; ++column) {
            if (differing.Marked(column, row))
                continue;
            const int left = column * Size;
            const int count = std::min(Size, width - left);
            if (std::memcmp(a + left, b + left, std::size_t(count) * sizeof(QRgb)) != 0)
                differing.Mark(column, row);
        }
    }
    return differing;
}
