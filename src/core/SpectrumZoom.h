#pragma once

// The number of spectrum lines, the horizontal zoom of the spectrum view: 25 at start-up,
// changed in steps of 5, never below 15; raising it is capped by the time base (75 lines
// at 1 µs/div, 140 at 2 µs/div, 300 otherwise). The caps apply only when the count is
// raised: a count set at a slow time base stays as it is when the time base changes.
namespace SpectrumZoom {

inline constexpr int DefaultBins = 25;
inline constexpr int Step = 5;
inline constexpr int MinimumBins = 15;

// "<" (Dilatation du spectre): fewer lines, each spread wider.
int Dilate(int bins);
// ">" (Contraction du spectre): more lines, then the caps in their order.
int Contract(int bins, int timeBaseIndex);
// "> | <" (Spectre par défaut).
inline int Default() {
    return DefaultBins;
}

} // namespace SpectrumZoom
