#pragma once

#include <QDateTime>
#include <QString>

#include "core/InstrumentSettings.h"

class PersistedSettings;
class ScreenCanvas;

// The date and time of the last clock drawing, as integers and as decimal texts without
// leading zeros (the default names of saved pictures are built from them).
struct ClockReading {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    static ClockReading From(const QDateTime& moment);
    QString Year() const { return QString::number(year); }
    QString Month() const { return QString::number(month); }
    QString Day() const { return QString::number(day); }
    QString Hour() const { return QString::number(hour); }
    QString Minute() const { return QString::number(minute); }
    QString Second() const { return QString::number(second); }

    bool operator==(const ClockReading&) const = default;
};

// Texts of the screen, each with two trailing spaces: "9:05:07  " and "05/03/2007  ".
QString ClockTimeText(const ClockReading& clock);
QString ClockDateText(const ClockReading& clock);

// "Time / Div x2 : 50µs": the time per division for a time base row and a magnifier
// factor (1, 2 or 5); empty outside the table.
QString TimeBaseScreenLabel(int timeBaseIndex, int magnification);

// Time at (20, 1) and date at (20, 15) in SettingsLine::ClockColour, each when its option
// (SettingsLine::ShowTime, ShowDate) is on; the text colour is black afterwards. Returns the
// reading.
ClockReading DrawClock(ScreenCanvas& canvas, const PersistedSettings& settings,
                       const QDateTime& now);

// Time per division at (490, 15), in the current text colour.
void DrawTimeBaseLabel(ScreenCanvas& canvas, const InstrumentSettings& instrument,
                       int magnification);

// Coupling at (x, 1) and volts per division at (x, 15), x = 120 for channel A and 320 for
// channel B, in the channel's colour; blanks while the channel's trace is off.
void DrawChannelLabel(ScreenCanvas& canvas, const InstrumentSettings& instrument,
                      const PersistedSettings& settings, Channel channel);

// Trigger source at (490, 293), in the current text colour.
void DrawTriggerLabel(ScreenCanvas& canvas, const InstrumentSettings& instrument);

// Math mode at (490, 306) in the math colour (SettingsLine::MathColour); the colour stays set.
void DrawMathLabel(ScreenCanvas& canvas, const InstrumentSettings& instrument,
                   const PersistedSettings& settings);

// Ground markers in the left margin, channel B then channel A: a tick at the channel's
// ground level and a "0" centred on it. (A grounded channel's level has been measured
// before the redraw, as the mean of points 3 to 12 of its display codes.)
void DrawGroundMarkers(ScreenCanvas& canvas, const InstrumentSettings& instrument,
                       const PersistedSettings& settings);
