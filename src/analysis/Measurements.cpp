#include "analysis/Measurements.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr int LowestCode = 0;
constexpr int HighestCode = 255;
constexpr double MinimumHysteresis = 4; // codes
constexpr double HysteresisShare = 0.1; // of the min..max span
constexpr int FlatSpan = 8;             // codes: a narrower span has no crossings
constexpr double EdgeResolution = 2;    // point intervals: a faster edge is not resolved
constexpr double PeriodResolution = 4;  // point intervals: nor a shorter period
constexpr double LowEdgeLevel = 0.1;    // of the min..max span
constexpr double HighEdgeLevel = 0.9;

int CodeAt(std::span<const int> codes, std::size_t i) {
    return std::clamp(codes[i], LowestCode, HighestCode);
}

// Where the straight line from (i - 1, a) to (i, b) meets `level`, in points.
double Crossing(std::size_t i, double a, double b, double level) {
    return static_cast<double>(i - 1) + (level - a) / (b - a);
}

// The crossings of the mid-level under hysteresis, and the whole periods they bound: from
// each crossing to the next one of the same direction.
struct CrossingTally {
    int count = 0;
    double first = 0;
    double last = 0;
    double insideSum = 0;     // over the whole periods: from each crossing to the other kind
    double insidePending = 0; // the same in the period under way

    // A crossing of this direction at time t: the period under way is whole.
    void Add(double t) {
        if (count == 0)
            first = t;
        else
            insideSum += insidePending;
        last = t;
        insidePending = 0;
        ++count;
    }
    // A crossing of the other direction at time t (the directions alternate).
    void Other(double t) {
        if (count > 0)
            insidePending = t - last;
    }
    int WholePeriods() const { return count >= 2 ? count - 1 : 0; }
    double Span() const { return count >= 2 ? last - first : 0; }
};

// The whole edges between the 10 % and 90 % levels: their number and summed durations.
struct EdgeTally {
    int count = 0;
    double sum = 0;
};

void MeasureLevels(std::span<const int> codes, const ChannelScale& scale, ChannelMeasurements& m,
                   int& lowest, int& highest) {
    const std::size_t n = codes.size();
    std::int64_t sum = 0;
    std::int64_t squares = 0;
    lowest = HighestCode;
    highest = LowestCode;
    for (std::size_t i = 0; i < n; ++i) {
        const int c = CodeAt(codes, i);
        sum += c;
        squares += static_cast<std::int64_t>(c) * c;
        lowest = std::min(lowest, c);
        highest = std::max(highest, c);
    }
    const bool atBottom = lowest == LowestCode;
    const bool atTop = highest == HighestCode;
    const bool clipped = atBottom || atTop;

    const double k = scale.VoltsPerCode();
    const double ref = scale.referenceCode;
    const double count = static_cast<double>(n);
    const double meanCode = static_cast<double>(sum) / count;
    // n x variance exactly in integers: n x sum of squares - sum^2.
    const std::int64_t spread = static_cast<std::int64_t>(n) * squares - sum * sum;
    const double variance = static_cast<double>(spread) / (count * count);
    const double offset = meanCode - ref;

    auto set = [](Reading& r, double value, bool flagged) {
        r.value = value;
        r.available = true;
        r.clipped = flagged;
    };
    set(m.maximum, (highest - ref) * k, atTop);
    set(m.minimum, (lowest - ref) * k, atBottom);
    set(m.peakToPeak, (highest - lowest) * k, clipped);
    set(m.mean, offset * k, clipped);
    set(m.rms, std::sqrt(variance + offset * offset) * k, clipped);
    set(m.acRms, std::sqrt(variance) * k, clipped);
}

void MeasureTimes(std::span<const int> codes, const ChannelScale& scale, int lowest, int highest,
                  ChannelMeasurements& m) {
    const std::size_t n = codes.size();
    const int span = highest - lowest;
    if (n < 2 || span < FlatSpan || !(scale.secondsPerPoint > 0))
        return;
    const bool clipped = lowest == LowestCode || highest == HighestCode;

    const double mid = (lowest + highest) / 2.0;
    const double hysteresis = std::max(MinimumHysteresis, HysteresisShare * span);
    const double bandLow = mid - hysteresis;
    const double bandHigh = mid + hysteresis;
    const double level10 = lowest + LowEdgeLevel * span;
    const double level90 = lowest + HighEdgeLevel * span;

    CrossingTally rising;
    CrossingTally falling;
    EdgeTally rises;
    EdgeTally falls;
    // Whether the signal was last beyond the lower or the upper band edge.
    enum class Side { Unknown, Low, High } side = Side::Unknown;
    double lastUpMid = 0;
    double lastDownMid = 0;
    bool riseArmed = false;
    bool fallArmed = false;
    double lastUp10 = 0;
    double lastDown90 = 0;

    double previous = CodeAt(codes, 0);
    auto arm = [&](double v) {
        if (v <= level10)
            riseArmed = true;
        if (v >= level90)
            fallArmed = true;
        if (v <= bandLow)
            side = Side::Low;
        else if (v >= bandHigh)
            side = Side::High;
    };
    arm(previous);
    for (std::size_t i = 1; i < n; ++i) {
        const double v = CodeAt(codes, i);
        // A level is crossed upwards from a point at or below it to one above it, and
        // downwards from a point at or above it to one below it.
        if (previous <= mid && v > mid)
            lastUpMid = Crossing(i, previous, v, mid);
        if (previous >= mid && v < mid)
            lastDownMid = Crossing(i, previous, v, mid);
        if (previous <= level10 && v > level10)
            lastUp10 = Crossing(i, previous, v, level10);
        if (previous >= level90 && v < level90)
            lastDown90 = Crossing(i, previous, v, level90);

        if (riseArmed && v >= level90) {
            rises.sum += Crossing(i, previous, v, level90) - lastUp10;
            ++rises.count;
            riseArmed = false;
        }
        if (fallArmed && v <= level10) {
            falls.sum += Crossing(i, previous, v, level10) - lastDown90;
            ++falls.count;
            fallArmed = false;
        }
        if (side == Side::Low && v >= bandHigh) {
            rising.Add(lastUpMid);
            falling.Other(lastUpMid);
        } else if (side == Side::High && v <= bandLow) {
            falling.Add(lastDownMid);
            rising.Other(lastDownMid);
        }
        arm(v);
        previous = v;
    }

    const double dt = scale.secondsPerPoint;
    const int periods = rising.WholePeriods() + falling.WholePeriods();
    if (periods > 0) {
        const double spanned = rising.Span() + falling.Span();
        const double periodPoints = spanned / periods;
        m.periodsOnScreen = static_cast<double>(n - 1) / periodPoints;
        const bool few = m.periodsOnScreen < 2;
        const bool fast = periodPoints < PeriodResolution;
        // Above the mid-level: from a rising crossing to the next falling one, and the
        // whole period less the time below it.
        const double above = rising.insideSum + (falling.Span() - falling.insideSum);
        auto set = [few, fast](Reading& r, double value, bool flagged) {
            r.value = value;
            r.available = true;
            r.fewPeriods = few;
            r.resolutionLimited = fast;
            r.clipped = flagged;
        };
        set(m.period, periodPoints * dt, false);
        set(m.frequency, 1 / (periodPoints * dt), false);
        set(m.dutyCycle, 100 * above / spanned, clipped);
    }
    auto setEdge = [&](Reading& r, const EdgeTally& edges) {
        if (edges.count == 0)
            return;
        const double points = edges.sum / edges.count;
        r.value = points * dt;
        r.available = true;
        r.clipped = clipped;
        r.resolutionLimited = points < EdgeResolution;
    };
    setEdge(m.riseTime, rises);
    setEdge(m.fallTime, falls);
}

} // namespace

const Reading& ChannelMeasurements::Of(ReadingKind kind) const {
    static constexpr std::array<Reading ChannelMeasurements::*, ReadingKindCount> members{
        &ChannelMeasurements::frequency,  &ChannelMeasurements::period,
        &ChannelMeasurements::peakToPeak, &ChannelMeasurements::maximum,
        &ChannelMeasurements::minimum,    &ChannelMeasurements::mean,
        &ChannelMeasurements::rms,        &ChannelMeasurements::acRms,
        &ChannelMeasurements::dutyCycle,  &ChannelMeasurements::riseTime,
        &ChannelMeasurements::fallTime};
    return this->*members[static_cast<std::size_t>(kind)];
}

ChannelMeasurements MeasureChannel(std::span<const int> codes, const ChannelScale& scale) {
    ChannelMeasurements m;
    m.reference = scale.reference;
    m.pointCount = static_cast<int>(codes.size());
    if (codes.empty())
        return m;
    int lowest = 0;
    int highest = 0;
    MeasureLevels(codes, scale, m, lowest, highest);
    MeasureTimes(codes, scale, lowest, highest, m);
    return m;
}
