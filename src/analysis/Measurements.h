#pragma once

#include "core/Sweep.h"

#include <array>
#include <span>

// Automatic measurements of one channel over the points of one completed sweep that the
// screen shows (300 points, or the first 151 or 61 under the magnifier).
//
// How each reading is made:
//
// - Volts. A code c reads (c - reference) x volts/div x probe / 32 volts: 32 codes make one
//   vertical division. The reference is the code that reads 0 V: the channel's measured
//   ground level, or the screen centre (code 128); every voltage reading says which.
// - Vmax, Vmin: the highest and the lowest point shown. Vpp: Vmax - Vmin.
// - Vmean: the mean of all points shown. Vrms: the root of the mean square of all points
//   shown, relative to the reference (true RMS, the mean included). AC RMS: the same around
//   the mean (the mean left out). These take every point shown, not whole periods, so with
//   few periods on the screen they depend on where the sweep starts.
// - Mid-level: half-way between the lowest and the highest point shown.
// - Hysteresis: a crossing of the mid-level counts only once the signal has gone from at
//   least H below the mid-level to at least H above it (or the other way), with H the
//   larger of 4 codes and a tenth of the min..max span. Noise of up to +/-3 codes thus
//   makes no false crossings. A signal whose span is under 8 codes is flat: it has no
//   crossings, and the time readings are not available.
// - Crossing time: the last crossing of the mid-level on the way from one band edge to
//   the other, placed by straight-line interpolation between the two points either side.
// - Period: (time of the last crossing - time of the first) / (crossings - 1), counted
//   over the rising crossings and over the falling ones and averaged over all the whole
//   periods of both (weighted by their number). Frequency: 1 / period. Not available with
//   fewer than two crossings in the same direction.
// - Duty cycle: the share of the period the signal spends above the mid-level, from the
//   interpolated crossing times, over the same whole periods.
// - Rise time: from the last crossing of 10 % of the min..max span to the next crossing
//   of 90 %, interpolated, averaged over every whole rising edge on the screen (one that
//   starts at or below 10 % and reaches 90 % within the points shown). Fall time: the same
//   from 90 % down to 10 %. Not available without a whole edge.
//
// Flags:
// - clipped ("écrêté"): a point shown sits at code 0 or 255, the ends of the converter,
//   so the signal may go beyond. Vmax is flagged when code 255 is reached, Vmin when 0 is;
//   Vpp, Vmean, Vrms, AC RMS, the duty cycle and the edge times (whose levels come from
//   the min..max span) when either is. Vpp, Vmax (upwards), Vmin (downwards) and the RMS
//   values are then bounds the true values lie beyond. Frequency and period are not
//   flagged: the crossings keep their places.
// - fewer than two periods: fewer than two periods fit in the time the points shown span;
//   on frequency, period and duty cycle.
// - at the resolution limit: on the edge times, an edge of less than two point intervals,
//   which so few points cannot resolve: the true time is shorter than the reading (a step
//   between two points reads 0.8 of an interval); on frequency, period and duty cycle, a
//   period of less than four point intervals, where the duty cycle is known only to a
//   quarter of the period and a little more would bring the frequency near half the
//   sampling rate.
//
// Limits of 8 bits and 300 points: a code is 1/32 of a division, so a level reads within
// half a code. A crossing on a smooth edge or a ramp is placed to a small fraction of a
// point interval; a step that falls between two points only to within half an interval,
// so a square with steep edges has its period to one interval over the whole periods
// shown and its duty cycle to one interval's share of the period. Noise moves a crossing
// by about noise / slope at the mid-level: with +/-3 codes on a sine of 100 codes peak
// that is a few tenths of an interval, enough to move a frequency taken over a single
// period by about 1 %; more whole periods on the screen divide it. A signal above half the
// sampling rate cannot be told from a slower one (aliasing): its reading is wrong, and
// nothing in the points shows it.

// Which code reads 0 V.
enum class VoltageReference {
    ScreenCentre, // code 128
    Ground,       // the channel's measured ground level
};

// How a channel's codes turn into volts and its points into time.
struct ChannelScale {
    double secondsPerPoint = 0; // time between two points: seconds per division / 30
    double voltsPerDiv = 1;     // the range, for a x1 probe
    int probeFactor = 1;        // 1 or 10
    double referenceCode = 128; // the code that reads 0 V
    VoltageReference reference = VoltageReference::ScreenCentre;

    double VoltsPerCode() const { return voltsPerDiv * probeFactor / Sweep::CodesPerDivision; }
};

// One reading: its value in base units (V, s, Hz, %) and what can be said of it.
struct Reading {
    double value = 0;
    bool available = false;
    bool clipped = false;           // a point at code 0 or 255: a bound, not the value
    bool fewPeriods = false;        // fewer than two periods on the screen
    bool resolutionLimited = false; // too few points on the edge or in the period

    bool operator==(const Reading&) const = default;
};

// The readings of one channel, in the order the tables below list them.
enum class ReadingKind {
    Frequency,
    Period,
    PeakToPeak,
    Maximum,
    Minimum,
    Mean,
    Rms,
    AcRms,
    DutyCycle,
    RiseTime,
    FallTime,
};
inline constexpr int ReadingKindCount = 11;

struct ChannelMeasurements {
    Reading frequency;  // Hz
    Reading period;     // s
    Reading peakToPeak; // V
    Reading maximum;    // V
    Reading minimum;    // V
    Reading mean;       // V
    Reading rms;        // V, relative to the reference, the mean included
    Reading acRms;      // V, around the mean
    Reading dutyCycle;  // %
    Reading riseTime;   // s
    Reading fallTime;   // s

    VoltageReference reference = VoltageReference::ScreenCentre; // of every voltage
    int pointCount = 0;                                          // points measured
    double periodsOnScreen = 0; // the time they span in periods; 0 without a period

    const Reading& Of(ReadingKind kind) const;
    bool operator==(const ChannelMeasurements&) const = default;
};

// Measures the points shown of one channel: `codes` are their codes, left to right, one
// sample interval apart. Every point passed is taken as written; a caller whose sweep is
// not complete passes the points written so far (the screen only ever shows completed
// sweeps). Codes outside 0..255 count as the end of the range they passed (clipped).
// With no point nothing is available; with one point only the voltages are.
ChannelMeasurements MeasureChannel(std::span<const int> codes, const ChannelScale& scale);
