#include "core/WeightingWindow.h"

#include "core/InstrumentSettings.h"

#include <cmath>
#include <limits>

// The weights, their products and the conversions to integers are worked in the x87
// extended format (64-bit mantissa); a narrower long double would give other codes.
static_assert(std::numeric_limits<long double>::digits == 64,
              "the weighting needs the 80-bit extended long double");

namespace {

constexpr long double TwoPi = 6.2831853072L;
constexpr long double FourPi = 12.5663706144L;
constexpr long double Period = 300.0L;
constexpr int BartlettApex = 151;

} // namespace

CompletedSweep CompletedSweep::Of(const SampleTable& table, const SweepExtremes& extremes) {
    CompletedSweep sweep;
    for (int row = 1; row <= Sweep::Points; ++row) {
        const SampleTable::Point& point = table.At(row);
        sweep.codeA[static_cast<std::size_t>(row - 1)] = point.codeA;
        sweep.codeB[static_cast<std::size_t>(row - 1)] = point.codeB;
    }
    sweep.extremes = extremes;
    return sweep;
}

long double WindowWeight(WeightingWindow window, int n) {
    const long double point = n;
    switch (window) {
    case WeightingWindow::Rectangular:
        return 1.0L;
    case WeightingWindow::Hanning:
        return 0.5L - 0.5L * std::cos(TwoPi * point / Period);
    case WeightingWindow::Hamming:
        return 0.54L - 0.46L * std::cos(TwoPi * point / Period);
    case WeightingWindow::Bartlett:
        return n <= BartlettApex ? point / BartlettApex
                                 : (2.0L * BartlettApex - point) / BartlettApex;
    case WeightingWindow::Blackman:
        return 0.42L - 0.5L * std::cos(TwoPi * point / Period) +
               0.08L * std::cos(FourPi * point / Period);
    }
    return 1.0L;
}

int ChannelMidLevel(int minimum, int maximum) {
    return minimum + (maximum - minimum) / 2; // C++ division truncates toward zero
}

int WeightedCode(long double weight, int value, int midLevel) {
    // The default rounding mode rounds to the nearest with ties to even.
    const long long offset = 128 - std::llrint(weight * static_cast<long double>(midLevel));
    const long long scaled = static_cast<long long>(weight * static_cast<long double>(value));
    return static_cast<int>(scaled + offset);
}

void ApplyWeightingWindow(SampleTable& table, const InstrumentSettings& instrument,
                          const CompletedSweep& sweep, WeightingWindow window) {
    const bool copyA = instrument.channelA.traceOn;
    const bool copyB = instrument.channelB.traceOn;
    const int midA = ChannelMidLevel(sweep.extremes.channelAMin, sweep.extremes.channelAMax);
    const int midB = ChannelMidLevel(sweep.extremes.channelBMin, sweep.extremes.channelBMax);
    for (int row = 1; row <= Sweep::Points; ++row) {
        const int codeA = sweep.codeA[static_cast<std::size_t>(row - 1)];
        const int codeB = sweep.codeB[static_cast<std::size_t>(row - 1)];
        SampleTable::Point& point = table.At(row);
        if (copyA)
            point.displayA = codeA;
        if (copyB)
            point.displayB = codeB;
        if (window == WeightingWindow::Rectangular) {
            point.weightedA = codeA;
            point.weightedB = codeB;
        } else {
            const long double w = WindowWeight(window, row);
            point.weightedA = WeightedCode(w, codeA, midA);
            point.weightedB = WeightedCode(w, codeB, midB);
        }
        point.weightedWritten = true;
    }
}

void ApplyWeightingWindow(SampleTable& table, const InstrumentSettings& instrument,
                          const SweepExtremes& extremes, WeightingWindow window) {
    ApplyWeightingWindow(table, instrument, CompletedSweep::Of(table, extremes), window);
}
