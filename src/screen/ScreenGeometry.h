#pragma once

// The screen's pixel frame, recomputed from the raster size at every graticule drawing.
// The graticule reaches VerticalReach pixels above and below the centre whatever the height.
struct ScreenGeometry {
    static constexpr int Margin = 20;
    static constexpr int VerticalReach = 128;     // 4 vertical divisions
    static constexpr int VerticalDivision = 32;   // pixels per vertical division
    static constexpr int HorizontalDivision = 60; // pixels per horizontal division

    // Landmarks of the 640 x 320 screen the other layers use as fixed numbers.
    static constexpr int Left = 20;
    static constexpr int Right = 620;
    static constexpr int Top = 32;
    static constexpr int Bottom = 288;

    int width = 0;
    int height = 0;
    int centreX = 0;
    int centreY = 0;
    int margin = Margin;
    int divisionWidth = 0;
    int subdivisionWidth = 0;

    static ScreenGeometry From(int width, int height);
};
