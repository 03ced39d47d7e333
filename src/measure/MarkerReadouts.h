#pragma once

#include "measure/MarkerState.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QtGlobal>

class PersistedSettings;
class ScreenCanvas;
struct InstrumentSettings;

// The measurements the markers make, as texts to draw under the graticule: the time
// between the vertical markers and its inverse, and for each channel whose trace is on the
// voltage between the horizontal markers (and the RMS value of a sine of that
// peak-to-peak amplitude). The texts are built for one drawing and not kept.

// One text of a readout: its cell's top-left corner on the screen image, the text, and
// its colour (0x00BBGGRR).
struct ReadoutText {
    QPoint at;
    QString text;
    int colour = 0;
    bool operator==(const ReadoutText&) const = default;
};

// The fraction numerator / denominator (denominator > 0) as a fixed-point text with
// `decimals` decimals and a point, whatever the user's locale: no leading spaces, no
// thousands separator, a minus sign for a negative value. A value exactly half-way
// between two last decimals rounds away from zero (0.3125 gives "0.313").
QString FixedPointText(qint64 numerator, qint64 denominator, int decimals);
// The same for a real value (rounded to the nearest multiple of 10^-decimals, halves
// away from zero).
QString FixedPointText(long double value, int decimals);

// Time readout for a time base row (1..18) and the magnifier (1, 2 or 5): "dt : " with
// the time in ms (rows 1-12) or µs (rows 13-18) at (300, 293), "1/dt : " with the
// frequency in Hz with two decimals (rows 1-10) or kHz with three (rows 11-18) at
// (300, 306), both in black. Nothing when the markers are off, or the row or the factor
// is outside its table.
QList<ReadoutText> TimeReadout(const MarkerState& markers, int timeBaseIndex, int magnification);

// Voltage readout: for channel A at y = 293 and channel B at y = 306, each only while its
// trace is on and its volts/div row (1..9) exists, "VOIE A dv : " with the voltage at
// x = 20 and, when RMS is shown, "Vrms : " with the RMS value at x = 163, in the channel's
// colour. A dv text that runs into x = 163 (five digits before the point) pushes the RMS
// text to five pixels after its cell. Volts for rows 1-3, millivolts for 4-9; a x10 probe
// multiplies the value and keeps the unit. Nothing when the markers are off.
QList<ReadoutText> VoltageReadout(const MarkerState& markers, const InstrumentSettings& instrument,
                                  int colourA, int colourB);

// The layers of the screen redraw. Each draws nothing when the markers are off.
// Marker lines: the four lines, dashed in SettingsLine::MarkerColour, the time
// markers from row 32 to 288, the voltage markers from column 20 to 620.
void DrawMarkerLines(ScreenCanvas& canvas, const MarkerState& markers,
                     const PersistedSettings& settings);
void DrawTimeReadout(ScreenCanvas& canvas, const MarkerState& markers,
                     const InstrumentSettings& instrument, int magnification);
// The channels' colours are SettingsLine::ColourA and ColourB.
void DrawVoltageReadout(ScreenCanvas& canvas, const MarkerState& markers,
                        const InstrumentSettings& instrument, const PersistedSettings& settings);
