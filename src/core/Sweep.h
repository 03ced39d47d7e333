#pragma once

#include <array>

// The box's memory, the sweep it sends over a window of that memory, and the screen's
// centre line, as every part of the program counts them.
namespace Sweep {
inline constexpr int MemorySamples = 2048;   // samples per channel in the box
inline constexpr int Points = 300;           // points of one sweep: the window's width
inline constexpr int LastWindowStart = 1747; // the last first sample the program allows
inline constexpr int CentreCode = 128;       // the code drawn on the screen's centre line
inline constexpr int PointsPerDivision = 30; // at x1 a sweep spans ten divisions
inline constexpr int CodesPerDivision = 32;  // one code is one pixel of the screen
} // namespace Sweep

// The magnifier: what x1, x2 and x5 show of a sweep. The start of the sweep is stretched
// over the screen's width: the last point shown, the pixels between two points on the
// screen, the points per division, and the column of the time base's screen labels.
struct MagnifierRow {
    int factor;
    int lastPoint;
    int pixelStep;
    int pointsPerDivision;
    int labelColumn;

    // The lines drawn between the points shown.
    int Segments() const { return lastPoint - 1; }
};

inline constexpr std::array<MagnifierRow, 3> MagnifierTable{{
    {1, 300, 2, 30, 0},
    {2, 151, 4, 15, 1},
    {5, 61, 10, 6, 2},
}};

// The row of a factor; null for a factor other than 1, 2 and 5.
constexpr const MagnifierRow* MagnifierAt(int factor) {
    for (const MagnifierRow& row : MagnifierTable)
        if (row.factor == factor)
            return &row;
    return nullptr;
}

// The last point a factor shows; 0 for a factor that shows nothing.
constexpr int LastShownPoint(int factor) {
    const MagnifierRow* row = MagnifierAt(factor);
    return row ? row->lastPoint : 0;
}
