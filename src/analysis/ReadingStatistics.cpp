#include "analysis/ReadingStatistics.h"

#include <algorithm>
#include <cmath>

void ReadingStatistics::Add(double value) {
    ++count;
    current = value;
    if (count == 1) {
        minimum = maximum = value;
    } else {
        minimum = std::min(minimum, value);
        maximum = std::max(maximum, value);
    }
    const double delta = value - mean;
    mean += delta / count;
    squaredDeviations += delta * (value - mean);
}

double ReadingStatistics::StandardDeviation() const {
    if (count < 2)
        return 0;
    return std::sqrt(squaredDeviations / (count - 1));
}
