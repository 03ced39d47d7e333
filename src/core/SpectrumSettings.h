#pragma once

#include "core/SpectrumZoom.h"

// The spectrum analyser's settings, kept by the session: whether the spectrum view covers
// the screen, the number of spectrum lines, and the scale the values are computed in.
// The next computation applies a change of the lines or of the scale.
struct SpectrumScale {
    bool logarithmic = false;    // "Logarithmique" rather than "Linéaire"
    bool positiveDbOnly = false; // "dB>0": decibel values below 0 are plotted at 0

    bool operator==(const SpectrumScale&) const = default;
};

struct SpectrumSettings {
    bool on = false;
    int binCount = SpectrumZoom::DefaultBins;
    SpectrumScale scale;

    bool operator==(const SpectrumSettings&) const = default;
};
