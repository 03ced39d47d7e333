#include "screen/ScreenGeometry.h"

ScreenGeometry ScreenGeometry::From(int width, int height) {
    ScreenGeometry g;
    g.width = width;
    g.height = height;
    g.centreX = width / 2;
    g.centreY = height / 2;
    g.margin = Margin;
    g.divisionWidth = (width / 2 - Margin) / 5;
    g.subdivisionWidth = g.divisionWidth * 5 / 25;
    return g;
}
