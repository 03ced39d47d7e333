#pragma once

#include "analysis/Measurements.h"
#include "core/InstrumentSettings.h"

#include <optional>
#include <vector>

class SampleTable;
struct CompletedSweep;

// What the screen shows of a sweep, as the measurements take it: the first 300, 151 or 61
// points (magnifier x1, x2, x5) of each channel's displayed codes, converted with the
// channel's range and probe and the time base, as the markers' readouts convert them.

// The one rule of the reference that reads 0 V, for the measurements and the sample
// export alike: the channel's ground level when it has really been measured (from a sweep
// taken in GND coupling since the last position change), else the screen's centre line.
VoltageReference PreferredReference(const ChannelSettings& channel);

// The scale of a channel: seconds per division / 30 between points, the range's volts
// per division, the probe factor, and the reference code (the ground level or 128).
// Nothing when the time base or the range is outside its table.
std::optional<ChannelScale> ScaleOf(const InstrumentSettings& instrument, Channel channel,
                                    VoltageReference reference);

// The displayed codes of points 1 to `count` (at most 300) of a channel.
std::vector<int> ShownCodes(const SampleTable& samples, Channel channel, int count);

struct SweepMeasurements {
    ChannelMeasurements channelA;
    ChannelMeasurements channelB;
};

// Both channels over the points shown, each against its preferred reference. A channel
// whose scale is outside the tables, or a magnifier outside 1, 2, 5, has no reading.
SweepMeasurements MeasureShownSweep(const SampleTable& samples,
                                    const InstrumentSettings& instrument, int magnification);
// The same over a sweep as received and recorded (a capture, a file read back): the codes
// the screen would show are those received for the points the magnifier shows.
SweepMeasurements MeasureRecordedSweep(const CompletedSweep& sweep,
                                       const InstrumentSettings& instrument, int magnification);
