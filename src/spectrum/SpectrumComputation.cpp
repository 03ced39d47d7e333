#include "spectrum/SpectrumComputation.h"

#include "core/InstrumentSettings.h"
#include "core/PersistedSettings.h"
#include "core/SampleTable.h"
#include "core/SettingsLines.h"

#include <cmath>
#include <limits>
#include <memory>

static_assert(std::numeric_limits<long double>::digits == 64,
              "the spectrum needs the 80-bit extended long double");

namespace {

constexpr long double TwoPi = 6.2831853072L;

// The cosine and sine of one phase, side by side: a bin reads its 256 pairs in order.
struct Phase {
    long double cos;
    long double sin;
};

// The phase of point n in bin k, formed as the direct evaluation forms it.
Phase PhaseOf(int n, int k) {
    const long double phase = ((static_cast<long double>(n) * TwoPi) * k) / SpectrumLength;
    return {std::cos(phase), std::sin(phase)};
}

// The phases of bins 1 to SpectrumMaxBins, 256 per bin, made once.
const Phase* PhaseTable() {
    static const std::unique_ptr<Phase[]> table = [] {
        auto phases = std::make_unique<Phase[]>(std::size_t{SpectrumMaxBins} * SpectrumLength);
        for (int k = 1; k <= SpectrumMaxBins; ++k)
            for (int n = 1; n <= SpectrumLength; ++n)
                phases[std::size_t(k - 1) * SpectrumLength + std::size_t(n - 1)] = PhaseOf(n, k);
        return phases;
    }();
    return table.get();
}

// One term added to a sum: the product and the addition in extended precision, the sum
// kept as a double.
inline double Accumulate(double sum, long double x, long double c) {
    return static_cast<double>(sum + x * c);
}

} // namespace

qint64 SamplingFrequency(int timeBaseIndex) {
    const TimeBaseRow* row = TimeBaseAt(timeBaseIndex);
    return row ? row->samplesPerSecond : 0;
}

QString BinLabel(qint64 frequency) {
    return QString::number(frequency) + QStringLiteral("Hz");
}

long double LogDivisor(int voltsPerDivIndex) {
    const VoltsPerDivRow* row = VoltsPerDivAt(voltsPerDivIndex);
    return row ? row->spectrumLogDivisor : 1.0L;
}

SpectrumSums TransformBoth(const std::array<int, SpectrumLength>& a,
                           const std::array<int, SpectrumLength>& b, int bins) {
    SpectrumSums sums;
    const std::size_t count = bins > 0 ? std::size_t(bins) : 0;
    sums.reA.assign(count, 0.0);
    sums.imA.assign(count, 0.0);
    sums.reB.assign(count, 0.0);
    sums.imB.assign(count, 0.0);
    std::array<long double, SpectrumLength> xa;
    std::array<long double, SpectrumLength> xb;
    for (int n = 0; n < SpectrumLength; ++n) {
        xa[n] = a[n];
        xb[n] = b[n];
    }
    const Phase* table = PhaseTable();
    for (int k = 1; k <= bins; ++k) {
        double reA = 0.0, imA = 0.0, reB = 0.0, imB = 0.0;
        if (k <= SpectrumMaxBins) {
            const Phase* phases = table + std::size_t(k - 1) * SpectrumLength;
            for (int n = 0; n < SpectrumLength; ++n) {
                const long double c = phases[n].cos;
                const long double s = phases[n].sin;
                reA = Accumulate(reA, xa[n], c);
                imA = Accumulate(imA, xa[n], s);
                reB = Accumulate(reB, xb[n], c);
                imB = Accumulate(imB, xb[n], s);
            }
        } else {
            // Beyond the kept bins the phases are computed as they come.
            for (int n = 0; n < SpectrumLength; ++n) {
                const Phase p = PhaseOf(n + 1, k);
                reA = Accumulate(reA, xa[n], p.cos);
                imA = Accumulate(imA, xa[n], p.sin);
                reB = Accumulate(reB, xb[n], p.cos);
                imB = Accumulate(imB, xb[n], p.sin);
            }
        }
        const std::size_t i = std::size_t(k - 1);
        sums.reA[i] = reA;
        sums.imA[i] = imA;
        sums.reB[i] = reB;
        sums.imB[i] = imB;
    }
    return sums;
}

long double BinAmplitude(double re, double im) {
    const long double r = re;
    const long double i = im;
    return std::sqrt(r * r + i * i) / SpectrumLength;
}

int BinValue(long double amplitude, const SpectrumScale& scale, long double divisor) {
    if (!scale.logarithmic)
        return static_cast<int>(std::llrint(amplitude));
    const long double divided = amplitude / divisor;
    if (divided == 0.0L)
        return scale.positiveDbOnly ? 0 : ZeroAmplitudeDb;
    long double value = 20.0L * std::log10(divided);
    if (scale.positiveDbOnly && value < 0.0L)
        value = 0.0L;
    return static_cast<int>(std::llrint(value));
}

SpectrumChartData ComputeSpectrum(const SpectrumInputs& in) {
    SpectrumChartData chart;
    const bool logarithmic = in.scale.logarithmic;
    chart.title = logarithmic ? LogarithmicTitle : LinearTitle;
    chart.valueAxisShown = logarithmic;
    chart.leftMargin = logarithmic ? 1 : 3;
    chart.valueAxisTitleSet = !logarithmic || !in.scale.positiveDbOnly;

    const bool traceOn[2] = {in.instrument.channelA.traceOn, in.instrument.channelB.traceOn};
    const int colourLines[2] = {SettingsLine::ColourA, SettingsLine::ColourB};
    for (int c = 0; c < 2; ++c) {
        chart.series[c].filled = traceOn[c];
        if (traceOn[c])
            chart.series[c].colour = in.settings.Number(colourLines[c]);
    }

    // Nothing is weighted before the first completed sweep: empty series.
    if (in.binCount < 1 || !in.samples.WeightedWritten(SpectrumLength))
        return chart;

    std::array<int, SpectrumLength> a;
    std::array<int, SpectrumLength> b;
    for (int n = 1; n <= SpectrumLength; ++n) {
        a[std::size_t(n - 1)] = in.samples.At(n).weightedA;
        b[std::size_t(n - 1)] = in.samples.At(n).weightedB;
    }
    const SpectrumSums sums = TransformBoth(a, b, in.binCount);
    const qint64 fs = SamplingFrequency(in.instrument.timeBaseIndex);
    const long double divisors[2] = {LogDivisor(in.instrument.channelA.voltsPerDivIndex),
                                     LogDivisor(in.instrument.channelB.voltsPerDivIndex)};
    const std::vector<double>* re[2] = {&sums.reA, &sums.reB};
    const std::vector<double>* im[2] = {&sums.imA, &sums.imB};

    chart.frequencies.reserve(std::size_t(in.binCount));
    for (int k = 1; k <= in.binCount; ++k)
        chart.frequencies.push_back(BinFrequency(k, fs));
    for (int c = 0; c < 2; ++c) {
        SpectrumSeriesData& series = chart.series[c];
        if (!series.filled)
            continue;
        series.values.reserve(std::size_t(in.binCount));
        for (std::size_t i = 0; i < std::size_t(in.binCount); ++i)
            series.values.push_back(
                BinValue(BinAmplitude((*re[c])[i], (*im[c])[i]), in.scale, divisors[c]));
    }
    return chart;
}
