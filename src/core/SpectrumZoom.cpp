#include "core/SpectrumZoom.h"

#include "core/InstrumentSettings.h"

#include <algorithm>

namespace SpectrumZoom {

int Dilate(int bins) {
    bins -= Step;
    if (bins < MinimumBins)
        bins = MinimumBins;
    return bins;
}

int Contract(int bins, int timeBaseIndex) {
    bins += Step;
    if (const TimeBaseRow* row = TimeBaseAt(timeBaseIndex))
        bins = std::min(bins, row->mostSpectrumBins);
    return bins;
}

} // namespace SpectrumZoom
