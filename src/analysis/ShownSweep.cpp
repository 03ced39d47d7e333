#include "analysis/ShownSweep.h"

#include "core/Sweep.h"

#include "core/SampleTable.h"
#include "core/WeightingWindow.h"

#include <algorithm>
#include <span>

namespace {

// A channel's readings over the codes shown, against its preferred reference.
ChannelMeasurements MeasureCodes(const InstrumentSettings& instrument, Channel channel,
                                 std::span<const int> codes) {
    const VoltageReference reference = PreferredReference(instrument.Of(channel));
    const std::optional<ChannelScale> scale = ScaleOf(instrument, channel, reference);
    if (!scale || codes.empty()) {
        ChannelMeasurements none;
        none.reference = reference;
        return none;
    }
    return MeasureChannel(codes, *scale);
}

} // namespace

VoltageReference PreferredReference(const ChannelSettings& channel) {
    return ReadsFromGround(channel) ? VoltageReference::Ground : VoltageReference::ScreenCentre;
}

std::optional<ChannelScale> ScaleOf(const InstrumentSettings& instrument, Channel channel,
                                    VoltageReference reference) {
    const ChannelSettings& settings = instrument.Of(channel);
    const TimeBaseRow* time = TimeBaseAt(instrument.timeBaseIndex);
    const VoltsPerDivRow* volts = VoltsPerDivAt(settings.voltsPerDivIndex);
    if (!time || !volts)
        return std::nullopt;
    ChannelScale scale;
    scale.secondsPerPoint = time->secondsPerDiv / Sweep::PointsPerDivision;
    scale.voltsPerDiv = volts->voltsPerDiv;
    scale.probeFactor = settings.ProbeFactor();
    scale.reference = reference;
    scale.referenceCode =
        reference == VoltageReference::Ground ? settings.groundLevel : Sweep::CentreCode;
    return scale;
}

std::vector<int> ShownCodes(const SampleTable& samples, Channel channel, int count) {
    count = std::clamp(count, 0, Sweep::Points);
    std::vector<int> codes(static_cast<std::size_t>(count));
    for (int row = 1; row <= count; ++row) {
        const SampleTable::Point& p = samples.At(row);
        codes[static_cast<std::size_t>(row - 1)] = channel == Channel::A ? p.displayA : p.displayB;
    }
    return codes;
}

SweepMeasurements MeasureShownSweep(const SampleTable& samples,
                                    const InstrumentSettings& instrument, int magnification) {
    const int count = LastShownPoint(magnification);
    return {MeasureCodes(instrument, Channel::A, ShownCodes(samples, Channel::A, count)),
            MeasureCodes(instrument, Channel::B, ShownCodes(samples, Channel::B, count))};
}

SweepMeasurements MeasureRecordedSweep(const CompletedSweep& sweep,
                                       const InstrumentSettings& instrument, int magnification) {
    const auto count = static_cast<std::size_t>(LastShownPoint(magnification));
    return {MeasureCodes(instrument, Channel::A, std::span(sweep.codeA).first(count)),
            MeasureCodes(instrument, Channel::B, std::span(sweep.codeB).first(count))};
}
