#pragma once

#include "screen/ScreenGeometry.h"

// The two pairs of measurement markers on the 640 x 320 screen image: two vertical time
// markers (pixel columns) and two horizontal voltage markers (pixel rows), inside the
// graticule rectangle, columns 20 to 620 and rows 32 to 288.

// Off: no markers, no readouts. Time and Voltage: all four lines and both readouts are
// shown; the mode says which pair follows the mouse (vertical or horizontal).
enum class MarkerMode { Off, Time, Voltage };

struct MarkerState {
    // The graticule rectangle the markers live in (its bounds are inside) and the
    // positions the markers start from and snap back to.
    static constexpr int AreaLeft = ScreenGeometry::Left;
    static constexpr int AreaRight = ScreenGeometry::Right;
    static constexpr int AreaTop = ScreenGeometry::Top;
    static constexpr int AreaBottom = ScreenGeometry::Bottom;
    static constexpr int TimeLeftStart = 50;
    static constexpr int TimeRightStart = 590;
    static constexpr int VoltageTopStart = 48;
    static constexpr int VoltageBottomStart = 272;

    MarkerMode mode = MarkerMode::Off;
    int timeLeft = TimeLeftStart; // always < timeRight
    int timeRight = TimeRightStart;
    int voltageTop = VoltageTopStart; // always < voltageBottom
    int voltageBottom = VoltageBottomStart;
    bool rmsShown = false;   // the voltage readout adds the RMS value of a sine
    bool buttonHeld = false; // a mouse button went down on the screen image, not yet up

    bool On() const { return mode != MarkerMode::Off; }
    bool operator==(const MarkerState&) const = default;
};

// One pair of markers along one axis: `low` < `high`, both within [areaLow, areaHigh].
struct MarkerPair {
    int low;
    int high;
    bool operator==(const MarkerPair&) const = default;
};

// Whether an image pixel lies outside the graticule rectangle (its bounds are inside).
bool OutOfMarkerArea(int x, int y);

// Moves the nearer marker of a pair to `at`, a coordinate inside [areaLow, areaHigh]:
// the nearer is decided against the pair's midpoint before the move (truncated division);
// a point exactly on the midpoint moves neither, a point beyond a marker drags it outward.
// The pair never crosses and never coincides.
MarkerPair MovePair(MarkerPair pair, int at, int areaLow, int areaHigh);

// Placing markers at image pixel (x, y). Off: nothing happens, false. Otherwise the
// active pair (Time: the vertical pair by x; Voltage: the horizontal pair by y) moves as
// MovePair says, or snaps back to its start positions when (x, y) is out of the area on
// either axis, and the result is true: the screen is to be redrawn.
bool PlaceMarkers(MarkerState& state, int x, int y);
