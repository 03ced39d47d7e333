#include "screen/ScreenCanvas.h"

#include "core/Colour.h"
#include "screen/ScreenFont.h"

#include <algorithm>
#include <cstring>

namespace {

QRgb RgbOf(int bgr) {
    return ColourFromSetting(bgr).rgb();
}

// Whether pixel number i of a styled line is painted.
bool PatternOn(PenStyle style, qint64 i) {
    switch (style) {
    case PenStyle::Dotted:
        return i % 6 < 3;
    case PenStyle::Dashed:
        return i % 24 < 18;
    case PenStyle::Solid:
        break;
    }
    return true;
}

// floor(a / b) for b > 0.
__int128 FloorDiv(__int128 a, __int128 b) {
    __int128 q = a / b;
    if ((a % b != 0) && (a < 0))
        --q;
    return q;
}

// One pixel further along the major axis: the error term moves by the slope's numerator,
// and the minor offset steps when it leaves [0, twiceN).
inline void NextMinor(qint64& remainder, qint64& offset, qint64 stepNumerator, qint64 twiceN) {
    remainder += stepNumerator;
    if (remainder >= twiceN) {
        remainder -= twiceN;
        ++offset;
    } else if (remainder < 0) {
        remainder += twiceN;
        --offset;
    }
}

// The pixels of a solid line one pixel wide, from pixel `first` to pixel `last` (see
// LineTo), the major axis known at compile time.
struct ThinLine {
    QRgb* pixels;
    qsizetype stride;
    int width;
    int height;
    QRgb colour;
    TileMask* tracked;
    qint64 majorStart;
    qint64 majorStep;
    qint64 minorStart;
    qint64 stepNumerator;
    qint64 twiceN;

    template <bool XMajor>
    void Draw(qint64 first, qint64 last, qint64 offset, qint64 remainder) const {
        for (qint64 i = first; i <= last; ++i) {
            const qint64 major = majorStart + majorStep * i;
            const qint64 minor = minorStart + offset;
            const qint64 x = XMajor ? major : minor;
            const qint64 y = XMajor ? minor : major;
            if (quint64(x) < quint64(width) && quint64(y) < quint64(height)) {
                pixels[y * stride + x] = colour;
                if (tracked)
                    tracked->Mark(int(x) / TileMask::Size, int(y) / TileMask::Size);
            }
            NextMinor(remainder, offset, stepNumerator, twiceN);
        }
    }
};

} // namespace

ScreenCanvas::ScreenCanvas() {
    NewImage();
}

void ScreenCanvas::NewImage(int width, int height) {
    std::swap(image, previous);
    if (image.isNull() || image.width() != width || image.height() != height || !image.isDetached())
        image = QImage(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    this->width = image.width();
    this->height = image.height();
    posX = posY = 0;
    penColour = textColour = qRgb(0, 0, 0);
    penBgrValid = false;
    penWidth = 1;
    penStyle = PenStyle::Solid;
    stylePhase = 0;
}

void ScreenCanvas::CopyFrom(const QImage& source, const TileMask& squares) {
    if (source.size() != image.size() || source.format() != image.format() || image.depth() != 32)
        return;
    uchar* target = image.bits();
    const qsizetype targetLine = image.bytesPerLine();
    const uchar* from = source.constBits();
    const qsizetype sourceLine = source.bytesPerLine();
    for (int row = 0; row < squares.Rows(); ++row)
        for (int column = 0; column < squares.Columns(); ++column) {
            if (!squares.Marked(column, row))
                continue;
            const QRect square = squares.Tile(column, row) & image.rect();
            const qsizetype offset = qsizetype(square.left()) * qsizetype(sizeof(QRgb));
            const std::size_t bytes = std::size_t(square.width()) * sizeof(QRgb);
            for (int y = square.top(); y <= square.bottom(); ++y)
                std::memcpy(target + y * targetLine + offset, from + y * sourceLine + offset,
                            bytes);
        }
}

void ScreenCanvas::MoveTo(qint64 x, qint64 y) {
    posX = x;
    posY = y;
    stylePhase = 0;
}

void ScreenCanvas::SetPenColour(int bgr) {
    penColour = RgbOf(bgr);
}

void ScreenCanvas::SetPenWidth(int width) {
    penWidth = std::max(width, 1);
}

void ScreenCanvas::SetPenStyle(PenStyle style) {
    penStyle = style;
}

void ScreenCanvas::SetTextColour(int bgr) {
    textColour = RgbOf(bgr);
}

inline void ScreenCanvas::Plot(qint64 x, qint64 y) {
    if (penWidth == 1) {
        if (x >= 0 && y >= 0 && x < width && y < height)
            Put(x, y);
        return;
    }
    // A wide pen covers a square of its width centred on the line.
    const qint64 x0 = x - (penWidth - 1) / 2;
    const qint64 y0 = y - (penWidth - 1) / 2;
    for (qint64 py = std::max<qint64>(y0, 0); py < std::min<qint64>(y0 + penWidth, height); ++py)
        for (qint64 px = std::max<qint64>(x0, 0); px < std::min<qint64>(x0 + penWidth, width); ++px)
            Put(px, py);
}

void ScreenCanvas::LineTo(qint64 x, qint64 y) {
    const qint64 x0 = posX;
    const qint64 y0 = posY;
    posX = x;
    posY = y;
    const qint64 dx = x - x0;
    const qint64 dy = y - y0;
    if (dx == 0 && dy == 0)
        return;

    pixels = reinterpret_cast<QRgb*>(image.bits());
    stride = image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));

    // Solid horizontal and vertical lines (most of the graticule) are filled directly.
    if (penWidth == 1 && penStyle == PenStyle::Solid && (dx == 0 || dy == 0)) {
        const qint64 n = std::abs(dx + dy);
        stylePhase += n;
        if (dy == 0) {
            if (y0 < 0 || y0 >= height)
                return;
            const qint64 from = std::max<qint64>(dx > 0 ? x0 : x + 1, 0);
            const qint64 to = std::min<qint64>(dx > 0 ? x - 1 : x0, width - 1);
            if (from > to)
                return;
            if (tracked) {
                for (qint64 column = from; column <= to; ++column)
                    Put(column, y0);
            } else {
                std::fill(pixels + y0 * stride + from, pixels + y0 * stride + to + 1, penColour);
            }
        } else {
            if (x0 < 0 || x0 >= width)
                return;
            const qint64 from = std::max<qint64>(dy > 0 ? y0 : y + 1, 0);
            const qint64 to = std::min<qint64>(dy > 0 ? y - 1 : y0, height - 1);
            for (qint64 row = from; row <= to; ++row)
                Put(x0, row);
        }
        return;
    }

    // Pixel i (0 <= i < n) steps once along the major axis; the minor coordinate is the
    // exact one rounded to the nearest pixel, halves going down/right. Only the pixels
    // whose major coordinate lies on the raster (widened by the pen) are visited.
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const qint64 n = xMajor ? std::abs(dx) : std::abs(dy);
    const qint64 majorStart = xMajor ? x0 : y0;
    const qint64 minorStart = xMajor ? y0 : x0;
    const qint64 majorStep = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const qint64 minorDelta = xMajor ? dy : dx;
    const qint64 extent = xMajor ? width : height;
    const qint64 reach = penWidth; // a wide pen reaches this far beyond its centre

    // Range of i whose major coordinate majorStart + majorStep * i is in [-reach, extent + reach).
    qint64 first = 0;
    qint64 last = n - 1;
    if (majorStep > 0) {
        first = std::max(first, -reach - majorStart);
        last = std::min(last, extent + reach - 1 - majorStart);
    } else {
        first = std::max(first, majorStart - (extent + reach - 1));
        last = std::min(last, majorStart + reach);
    }

    if (first > last) {
        stylePhase += n;
        return;
    }

    // The minor offset of pixel i is floor((2 i d + n) / 2n), d the minor delta; it is
    // computed exactly for the first visited pixel and then carried with its remainder.
    const qint64 twiceN = 2 * n;
    const qint64 stepNumerator = 2 * minorDelta; // |2 d| <= 2n
    const __int128 start = static_cast<__int128>(2) * first * minorDelta + n;
    qint64 offset = static_cast<qint64>(FloorDiv(start, twiceN));
    qint64 remainder = static_cast<qint64>(start - static_cast<__int128>(offset) * twiceN);

    const bool styled = penStyle != PenStyle::Solid && penWidth == 1;
    if (penWidth == 1 && !styled) {
        const ThinLine line{pixels,     stride,    width,      height,        penColour, tracked,
                            majorStart, majorStep, minorStart, stepNumerator, twiceN};
        if (xMajor)
            line.Draw<true>(first, last, offset, remainder);
        else
            line.Draw<false>(first, last, offset, remainder);
        stylePhase += n;
        return;
    }
    for (qint64 i = first; i <= last; ++i) {
        if (!styled || PatternOn(penStyle, stylePhase + i)) {
            const qint64 major = majorStart + majorStep * i;
            const qint64 minor = minorStart + offset;
            if (xMajor)
                Plot(major, minor);
            else
                Plot(minor, major);
        }
        NextMinor(remainder, offset, stepNumerator, twiceN);
    }
    stylePhase += n;
}

void ScreenCanvas::TextOut(int x, int y, const QString& text) {
    if (text.isEmpty())
        return;
    const QImage cell = ScreenFont::TextCell(text, textColour);
    const int left = std::max(x, 0);
    const int right = std::min(x + cell.width(), image.width());
    const int top = std::max(y, 0);
    const int bottom = std::min(y + cell.height(), image.height());
    if (left >= right || top >= bottom)
        return;
    for (int row = top; row < bottom; ++row) {
        const QRgb* source =
            reinterpret_cast<const QRgb*>(cell.constScanLine(row - y)) + (left - x);
        QRgb* target = reinterpret_cast<QRgb*>(image.scanLine(row)) + left;
        std::memcpy(target, source, static_cast<size_t>(right - left) * sizeof(QRgb));
    }
}
