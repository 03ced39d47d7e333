#include "screen/Graticule.h"

#include "core/PersistedSettings.h"
#include "core/SettingsLines.h"
#include "screen/ScreenCanvas.h"
#include "screen/ScreenGeometry.h"

namespace {

void Segment(ScreenCanvas& canvas, int x1, int y1, int x2, int y2) {
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

struct RiseTimeLabel {
    int x;
    int y;
    const char* text;
};

// Fixed places in the right margin: "100" and "0" centred on the dotted lines, "90" just
// below the upper one and "10" just above the lower one.
constexpr RiseTimeLabel RiseTimeLabels[] = {
    {622, 74, "100"},
    {625, 89, "90"},
    {625, 217, "10"},
    {628, 234, "0"},
};

// Offsets of the four inner fifths of a 32-pixel division, to the nearest pixel.
constexpr int TickOffsets[] = {6, 13, 19, 26};

} // namespace

void NewScreenImage(ScreenCanvas& canvas) {
    canvas.NewImage(ScreenCanvas::Width, ScreenCanvas::Height);
}

void DrawGraticule(ScreenCanvas& canvas, const PersistedSettings& settings) {
    NewScreenImage(canvas);
    const ScreenGeometry g = ScreenGeometry::From(canvas.Image().width(), canvas.Image().height());
    const int cX = g.centreX;
    const int cY = g.centreY;
    const int d = g.divisionWidth;
    const int reach = ScreenGeometry::VerticalReach;

    canvas.SetPenWidth(1);
    canvas.SetPenColour(settings.Number(SettingsLine::GraticuleColour));
    const bool peripheral = settings.IsOn(SettingsLine::OuterTicks);
    const bool riseTime = settings.IsOn(SettingsLine::RiseTimeLines);

    // Vertical division lines, each drawn from the centre line outwards.
    for (int i = -5; i <= 5; ++i) {
        const int x = cX + i * d;
        Segment(canvas, x, cY, x, cY - reach);
        Segment(canvas, x, cY, x, cY + reach);
    }

    // Horizontal division lines, each in two halves from the centre outwards.
    for (int i = 1; i <= 9; ++i) {
        const int y = i * (cY - reach);
        Segment(canvas, cX, y, cX + 5 * d, y);
        Segment(canvas, cX - 1, y, cX - 1 - 5 * d, y);
    }

    // Subdivision ticks on the central vertical axis and, as an option, on the outer
    // vertical lines.
    const int edge = (g.width - 40) / 2;
    for (int k = reach; k > -reach; k -= ScreenGeometry::VerticalDivision) {
        const int top = cY - k;
        for (int offset : TickOffsets) {
            const int y = top + offset;
            Segment(canvas, cX, y, cX + 5, y);
            canvas.LineTo(cX - 6, y);
            if (peripheral) {
                Segment(canvas, cX - edge, y, cX - edge + 5, y);
                Segment(canvas, cX + edge, y, cX + edge - 5, y);
            }
        }
    }

    // Subdivision ticks on the central horizontal axis and, as an option, on the top and
    // bottom lines.
    for (int i = 1; i <= 50; ++i) {
        const int x = cX - 5 * d + i * g.subdivisionWidth;
        Segment(canvas, x, cY, x, cY - 5);
        Segment(canvas, x, cY, x, cY + 5);
        if (peripheral) {
            Segment(canvas, x, cY - reach, x, cY - reach + 5);
            Segment(canvas, x, cY + reach, x, cY + reach - 5);
        }
    }

    // Frame, one pixel outside the outer lines.
    Segment(canvas, cX - 301, cY - 129, cX + 302, cY - 129);
    Segment(canvas, cX - 301, cY + 129, cX + 302, cY + 129);
    Segment(canvas, cX - 301, cY - 129, cX - 301, cY + 129);
    Segment(canvas, cX + 301, cY - 129, cX + 301, cY + 129);

    if (riseTime) {
        canvas.SetPenStyle(PenStyle::Dotted);
        Segment(canvas, 20, 80, 620, 80);
        Segment(canvas, 20, 240, 620, 240);
        canvas.SetTextColour(0);
        for (const RiseTimeLabel& label : RiseTimeLabels)
            canvas.TextOut(label.x, label.y, QString::fromLatin1(label.text));
        canvas.SetPenStyle(PenStyle::Solid);
    }
}
