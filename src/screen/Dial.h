#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

// The knobs of the front panel: the time base knob and the two volts/div knobs. A pointer
// is painted into the knob picture itself and stays there until the next DrawDial of the
// same knob overpaints it.
enum class DialKind { TimeBase, VoltsPerDiv };

// Sizes of one kind of knob. Radii and widths are in pixels of the picture's own grid.
struct DialGeometry {
    QSize control;        // the image control the picture is stretched into
    QSize picture;        // the knob picture itself
    QPoint centre;        // half the control's size, used on the picture's grid
    int outerRimRadius;   // outer rim, width 6
    int bandRadius;       // light band under the pointer, width 20
    int pointerLength;    // distance from the centre to the tip
    int pointerHalfWidth; // half the width of the triangle's base
    int innerRimRadius;   // inner rim, width 6
    int hubRadius;        // grey hub disc
    int hubPenWidth;
};

const DialGeometry& GeometryOf(DialKind kind);

// Ring colours, fixed for every knob.
QColor DialOuterRimColour();    // RGB (128, 0, 0)
QColor DialBandColour();        // RGB (255, 251, 240)
QColor DialInnerRimColour();    // RGB (192, 220, 192)
QColor TimeBasePointerColour(); // RGB (166, 202, 240)
// The platform's colour for greyed text, used for the hub disc.
QColor DialHubColour();

// Rounds to the nearest integer, halves to the even neighbour.
int RoundHalfEven(long double value);

// The pointer's tip for an angle in degrees, clockwise from 12 o'clock.
QPoint DialTip(DialKind kind, int angle);

// Paints the rims, the pointer at the angle and the hub onto the knob picture. The rims'
// white fills erase the previous pointer first, so pointers never accumulate.
void DrawDial(QImage& picture, DialKind kind, int angle, const QColor& pointerColour);

// File names of the knob pictures in the program's folder.
inline constexpr const char* TimeBaseKnobFile = "knob_timebase.bmp";
inline constexpr const char* VoltsKnobFileA = "knob_volts_a.bmp";
inline constexpr const char* VoltsKnobFileB = "knob_volts_b.bmp";

// A knob picture of the program's folder (folder ends with a separator), as a 24-bit
// image; when the file is missing or unreadable, a plain knob face drawn here instead.
QImage LoadKnobPicture(DialKind kind, const QString& folder, const QString& fileName);
QImage PlainKnobPicture(DialKind kind);
