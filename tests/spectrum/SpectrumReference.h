#pragma once

#include <array>
#include <cmath>
#include <vector>

// The spectrum's sums by direct evaluation, the reference the program's computation must
// equal bit for bit: every cosine and sine computed afresh, for bin k and point n (1 to
// 256) at the phase ((n x 2π) x k) / 256 with 2π as 6.2831853072, in 80-bit extended
// precision; each product x(n) cos or x(n) sin in extended precision, added to its sum in
// extended precision, the sum kept as a double.
namespace SpectrumReference {

struct BinSums {
    double re = 0.0;
    double im = 0.0;
};

inline BinSums Direct(const std::array<int, 256>& x, int k) {
    double re = 0.0;
    double im = 0.0;
    for (int n = 1; n <= 256; ++n) {
        const long double phase = ((n * 6.2831853072L) * k) / 256;
        const long double value = x[n - 1];
        re = static_cast<double>(re + value * std::cos(phase));
        im = static_cast<double>(im + value * std::sin(phase));
    }
    return {re, im};
}

// Bins 1 to `bins` of one channel.
inline std::vector<BinSums> DirectBins(const std::array<int, 256>& x, int bins) {
    std::vector<BinSums> out;
    for (int k = 1; k <= bins; ++k)
        out.push_back(Direct(x, k));
    return out;
}

} // namespace SpectrumReference
