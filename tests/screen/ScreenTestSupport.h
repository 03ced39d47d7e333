#pragma once

// Fixtures shared by the screen tests: the settings a screen is drawn with, the inputs of
// one redraw, pixel helpers, and a scoped error reporter.

#include "core/Colour.h"
#include "core/ErrorGuard.h"
#include "core/InstrumentSettings.h"
#include "core/PersistedSettings.h"
#include "core/SampleTable.h"
#include "screen/ScreenCanvas.h"
#include "screen/ScreenFont.h"
#include "screen/ScreenInputs.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <functional>

namespace ScreenTest {

inline constexpr int GraticuleColour = 0x000080; // dark red, distinct from every other colour
inline constexpr int ClockColour = 0x008000;
inline constexpr int ColourA = 255;
inline constexpr int ColourB = 16711680;
inline constexpr int MathColour = 1813282;

inline QRgb Rgb(int bgr) {
    return ColourFromSetting(bgr).rgb();
}
inline const QRgb White = qRgb(255, 255, 255);
inline const QRgb Black = qRgb(0, 0, 0);

// The display lines of a settings file with both graticule options off and both clock
// texts on; the colours above.
inline PersistedSettings DisplaySettings() {
    PersistedSettings s;
    s.SetLine(2, QStringLiteral("PERIPHERIQUE_OFF"));
    s.SetLine(3, QStringLiteral("LIGNE1090%_OFF"));
    s.SetLine(4, QStringLiteral("HEURE_ON"));
    s.SetLine(5, QStringLiteral("DATE_ON"));
    s.SetLine(8, QString::number(ClockColour));
    s.SetLine(9, QString::number(GraticuleColour));
    s.SetLine(10, QString::number(ColourA));
    s.SetLine(11, QString::number(ColourB));
    s.SetLine(13, QStringLiteral("16711935"));
    s.SetLine(15, QString::number(MathColour));
    return s;
}

// The values of a point, by name.
using Field = int SampleTable::Point::*;
inline constexpr Field DisplayA = &SampleTable::Point::displayA;
inline constexpr Field DisplayB = &SampleTable::Point::displayB;
inline constexpr Field Sum = &SampleTable::Point::sum;
inline constexpr Field Difference = &SampleTable::Point::difference;
inline constexpr Field WeightedA = &SampleTable::Point::weightedA;
inline constexpr Field WeightedB = &SampleTable::Point::weightedB;

// Everything a redraw reads, owned in one place. The ground levels are those the session
// measures on the start-up table (128).
struct ScreenFixture {
    InstrumentSettings instrument;
    PersistedSettings settings = DisplaySettings();
    SampleTable samples;
    ScreenLayers layers;
    ScreenInputs in{instrument, settings, samples, 1, 0,
                    false,      false,    0,       0, QDateTime(QDate(2007, 3, 5), QTime(9, 5, 7)),
                    &layers};

    ScreenFixture() {
        instrument.channelA.groundLevel = 128;
        instrument.channelB.groundLevel = 128;
    }

    // Writes a value of one point; a sum or difference counts as the point's math values
    // written, a weighted code as its weighted values written.
    void Set(Field field, int row, int value) {
        SampleTable::Point& point = samples.At(row);
        point.*field = value;
        if (field == Sum || field == Difference)
            point.mathWritten = true;
        if (field == WeightedA || field == WeightedB)
            point.weightedWritten = true;
    }
    // Writes the same value into points 1..300.
    void Fill(Field field, int value) {
        for (int row = 1; row <= Sweep::Points; ++row)
            Set(field, row, value);
    }
};

inline QRgb Pixel(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xff000000u;
}

// Coordinates along a row (or a column) whose pixel has the colour.
inline QList<int> XsWithColour(const QImage& image, int y, QRgb colour, int from = 0,
                               int to = ScreenCanvas::Width - 1) {
    QList<int> xs;
    for (int x = from; x <= to; ++x)
        if (Pixel(image, x, y) == colour)
            xs << x;
    return xs;
}
inline QList<int> YsWithColour(const QImage& image, int x, QRgb colour, int from = 0,
                               int to = ScreenCanvas::Height - 1) {
    QList<int> ys;
    for (int y = from; y <= to; ++y)
        if (Pixel(image, x, y) == colour)
            ys << y;
    return ys;
}

inline QList<int> Range(int first, int last, int step = 1) {
    QList<int> values;
    for (int v = first; v <= last; v += step)
        values << v;
    return values;
}

// Sorted union without duplicates.
inline QList<int> Union(QList<int> a, const QList<int>& b) {
    for (int v : b)
        if (!a.contains(v))
            a << v;
    std::sort(a.begin(), a.end());
    return a;
}

// Whether the image holds exactly the text's cell (white background, text in the colour)
// with its top-left corner at (x, y). Only the part of the cell that lies on the image is
// compared; a cell wholly off the image does not count as found.
inline bool HasTextCell(const QImage& image, int x, int y, const QString& text, int bgr) {
    const QImage cell = ScreenFont::TextCell(text, Rgb(bgr));
    if (cell.isNull() || cell.width() == 0)
        return false;
    if (!QRect(x, y, cell.width(), cell.height()).intersects(image.rect()))
        return false;
    for (int cy = 0; cy < cell.height(); ++cy)
        for (int cx = 0; cx < cell.width(); ++cx) {
            const int px = x + cx;
            const int py = y + cy;
            if (px < 0 || py < 0 || px >= image.width() || py >= image.height())
                continue;
            if (Pixel(image, px, py) != (cell.pixel(cx, cy) | 0xff000000u))
                return false;
        }
    return true;
}

// Whether every pixel of the rectangle is white.
inline bool AllWhite(const QImage& image, const QRect& rect) {
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (Pixel(image, x, y) != White)
                return false;
    return true;
}

// Whether every pixel outside the given rectangles is white.
inline bool WhiteOutside(const QImage& image, const QList<QRect>& drawn) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool inside = std::any_of(drawn.begin(), drawn.end(),
                                            [&](const QRect& r) { return r.contains(x, y); });
            if (!inside && Pixel(image, x, y) != White)
                return false;
        }
    return true;
}

// Number of pixels of the colour in the image.
inline int CountColour(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Pixel(image, x, y) == colour)
                ++n;
    return n;
}

// Collects the texts of the error boxes for one test and puts the previous reporter back
// afterwards, also when the test fails half-way.
class ErrorCollector {
public:
    ErrorCollector()
        : previous(ErrorGuard::SetReporter([this](const QString& text) {
              texts << text;
              if (onReport)
                  onReport(text);
          })) {}
    ~ErrorCollector() { ErrorGuard::SetReporter(previous); }
    ErrorCollector(const ErrorCollector&) = delete;
    ErrorCollector& operator=(const ErrorCollector&) = delete;

    QStringList texts;
    std::function<void(const QString&)> onReport; // runs inside the report, as a box would

private:
    ErrorGuard::Reporter previous;
};

} // namespace ScreenTest
