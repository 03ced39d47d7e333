#pragma once

#include "core/SampleTable.h"
#include "core/SweepExtremes.h"

#include <array>

struct InstrumentSettings;

// The window the displayed points are multiplied by before their spectrum is computed.
enum class WeightingWindow {
    Rectangular = 1,
    Hanning = 2,
    Hamming = 3,
    Bartlett = 4,
    Blackman = 5
};
inline constexpr int WeightingWindowCount = 5;
inline bool IsWeightingWindow(int value) {
    return value >= 1 && value <= WeightingWindowCount;
}

// The codes of one completed sweep, points 1 to 300 (at indexes 0 to 299), with the
// extremes of each channel over that sweep: what the weighting works from. Kept by the
// session, so that weighting again while paused sees the sweep on the screen and not the
// next one, which may have begun.
struct CompletedSweep {
    std::array<int, Sweep::Points> codeA{};
    std::array<int, Sweep::Points> codeB{};
    SweepExtremes extremes;

    // The channel codes of points 1 to 300 as the table holds them now.
    static CompletedSweep Of(const SampleTable& table, const SweepExtremes& extremes);

    bool operator==(const CompletedSweep&) const = default;
};

// The weight of point n (1..300) in 80-bit extended precision. The period is 300 points;
// 2π is taken as 6.2831853072 and 4π as 12.5663706144. Bartlett is the triangle whose
// apex, of weight 1, is point 151. Rectangular weighs every point 1.
long double WindowWeight(WeightingWindow window, int n);

// One channel's weighting: the mid-level of the sweep (minimum plus half the swing,
// truncated), then trunc(w x value) + 128 - round(w x mid), rounded to the nearest with
// ties to even. The point is pulled toward the mid-level and that level moves to 128.
int ChannelMidLevel(int minimum, int maximum);
int WeightedCode(long double weight, int value, int midLevel);

// The pass over points 1 to 300 that ends every sweep: copies the sweep's codes into the
// display codes of the channels whose trace is on (a channel whose trace is off keeps the
// display codes it had), and writes the weighted codes of both channels whatever their
// traces, each channel re-centred around its own mid-level. The rectangular window copies
// the codes unchanged.
void ApplyWeightingWindow(SampleTable& table, const InstrumentSettings& instrument,
                          const CompletedSweep& sweep, WeightingWindow window);
// The same from the channel codes the table holds now.
void ApplyWeightingWindow(SampleTable& table, const InstrumentSettings& instrument,
                          const SweepExtremes& extremes,
                          WeightingWindow window = WeightingWindow::Rectangular);
