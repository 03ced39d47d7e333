#pragma once

#include "core/InstrumentSettings.h"
#include "core/WeightingWindow.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// One sweep as it was received, with everything needed to show it again exactly: when it
// was completed, the instrument's settings in force (time base, volts/div, couplings,
// probes, positions, trace switches, trigger, run state, math mode, ground levels and
// whether each was measured), the magnifier and the RAM window's first sample, the
// sweep's extremes (from which the math offsets and the weighting's mid-levels follow)
// and the codes of both channels as received, points 1 to 300 (a code may be up to 999:
// three digits that do not form a level of 0 to 255 are kept as they are).
struct SweepRecord {
    qint64 msecsSinceEpoch = 0; // when the sweep was completed, UTC
    int utcOffsetMinutes = 0;   // the local time's offset from UTC then
    InstrumentSettings instrument;
    int magnification = 1;  // 1, 2 or 5
    int ramWindowStart = 0; // 0..1747
    CompletedSweep sweep;   // codes of points 1..300 at 0..299, and the extremes

    // The record of a sweep completed at `when` (its local offset kept).
    static SweepRecord At(const QDateTime& when);

    // The local date and time with milliseconds and the offset, ISO 8601:
    // "2024-06-01T14:05:09.123+02:00".
    QString TimeText() const;

    bool operator==(const SweepRecord&) const = default;
};
