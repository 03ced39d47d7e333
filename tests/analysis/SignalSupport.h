#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

// Generated sweeps for the measurement tests: the codes a channel would show for a known
// signal, sampled one point per interval, rounded to the nearest code and cut to the
// converter's range 0..255. Times are in point intervals; a period of P points repeats
// 300 / P times over a whole sweep.
namespace Signal {

inline constexpr int SweepPoints = 300;

inline int ToCode(double level) {
    return std::clamp(static_cast<int>(std::lround(level)), 0, 255);
}

// centre + amplitude x sin(2 pi (i + phase) / period).
inline std::vector<int> Sine(double period, double centre, double amplitude, double phase = 0,
                             int count = SweepPoints) {
    std::vector<int> codes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        codes[static_cast<std::size_t>(i)] =
            ToCode(centre + amplitude * std::sin(2 * std::numbers::pi * (i + phase) / period));
    return codes;
}

// Between `low` and `high`, rising at 0 (mod period) and falling at duty x period; each edge
// a straight ramp `edge` points wide centred on its time (0: a step, the point at the edge
// time already high), so that the ramps cross the mid-level exactly at those times.
inline double SquareLevel(double t, double period, double duty, double low, double high,
                          double edge) {
    const double s = t - period * std::floor(t / period);
    const double fallAt = duty * period;
    double share;
    if (edge <= 0) {
        share = s < fallAt ? 1 : 0;
    } else {
        auto ramp = [](double x) { return std::clamp(x + 0.5, 0.0, 1.0); };
        const double rising = ramp(s / edge);
        const double falling = ramp((fallAt - s) / edge);
        const double nextRising = ramp((s - period) / edge);
        share = std::max(std::min(rising, falling), nextRising);
    }
    return low + (high - low) * share;
}

inline std::vector<int> Square(double period, double duty, double low, double high, double edge,
                               double phase = 0, int count = SweepPoints) {
    std::vector<int> codes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        codes[static_cast<std::size_t>(i)] =
            ToCode(SquareLevel(i + phase, period, duty, low, high, edge));
    return codes;
}

// Rising from `low` at 0 (mod period) to `high` at half the period, and back.
inline std::vector<int> Triangle(double period, double low, double high, double phase = 0,
                                 int count = SweepPoints) {
    std::vector<int> codes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double t = i + phase;
        const double s = (t - period * std::floor(t / period)) / period; // 0..1
        const double share = s < 0.5 ? 2 * s : 2 * (1 - s);
        codes[static_cast<std::size_t>(i)] = ToCode(low + (high - low) * share);
    }
    return codes;
}

// Adds whole-code noise drawn evenly from -amplitude..amplitude, from a fixed seed.
inline std::vector<int> WithNoise(std::vector<int> codes, int amplitude, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-amplitude, amplitude);
    for (int& c : codes)
        c = std::clamp(c + noise(random), 0, 255);
    return codes;
}

// Adds +amplitude to the even points and -amplitude to the odd ones: the noise of that
// amplitude that turns back across a level most often.
inline std::vector<int> WithAlternatingNoise(std::vector<int> codes, int amplitude) {
    for (std::size_t i = 0; i < codes.size(); ++i)
        codes[i] = std::clamp(codes[i] + (i % 2 == 0 ? amplitude : -amplitude), 0, 255);
    return codes;
}

// The first `count` points of a sweep: what the magnifier shows.
inline std::vector<int> FirstPoints(const std::vector<int>& codes, int count) {
    return {codes.begin(), codes.begin() + std::min<std::ptrdiff_t>(count, codes.size())};
}

} // namespace Signal
