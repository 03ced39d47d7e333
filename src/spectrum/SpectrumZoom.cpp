#include "spectrum/SpectrumZoom.h"

namespace SpectrumZoom {

int Dilate(int bins) {
    bins -= Step;
    if (bins < MinimumBins)
        bins = MinimumBins;
    return bins;
}

int Contract(int bins, int timeBaseIndex) {
    bins += Step;
    if (bins > 75 && timeBaseIndex == 18)
        bins = 75;
    if (bins > 140 && timeBaseIndex == 17)
        bins = 140;
    if (bins > 300 && timeBaseIndex >= 1 && timeBaseIndex <= 16)
        bins = 300;
    return bins;
}

} // namespace SpectrumZoom
