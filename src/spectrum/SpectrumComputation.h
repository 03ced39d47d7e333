#pragma once

#include "core/SpectrumSettings.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <vector>

class PersistedSettings;
class SampleTable;
struct InstrumentSettings;

// The amplitude spectrum of the weighted points: a discrete Fourier transform of the first
// 256 weighted codes of each channel, bin by bin, for bins 1 to the bin count.
//
// The sums are those of the direct evaluation, bit for bit: for bin k and point n (1 to
// 256) the phase is ((n x 6.2831853072) x k) / 256 in 80-bit extended precision, its
// cosine and sine are taken in extended precision, each term x(n) cos and x(n) sin is an
// extended product added in extended precision to its sum, and the sum is kept as a
// double after each addition. The cosines and sines of bins 1 to 300 are computed once,
// on first use, exactly as the direct evaluation computes them; only the products and
// sums are worked on each call.
inline constexpr int SpectrumLength = 256;  // N, the points transformed
inline constexpr int SpectrumMaxBins = 300; // bins whose phases are kept

// The sampling frequency of a time base (1 to 18): the 300 points span ten divisions, so
// 30 / (time per division). 0 outside the table.
qint64 SamplingFrequency(int timeBaseIndex);
// Bin k's frequency, k x fs / 256 in integer arithmetic, truncated; and its label, the
// decimal number followed by "Hz".
inline qint64 BinFrequency(int bin, qint64 samplingFrequency) {
    return static_cast<qint64>(bin) * samplingFrequency / SpectrumLength;
}
QString BinLabel(qint64 frequency);
// The decibel divisor of a volts/div range (1 to 9): about the amplitude a sine of 1 V
// peak gives on that range. 1 outside the table, which leaves the amplitude undivided.
long double LogDivisor(int voltsPerDivIndex);

// The value of a logarithmic point whose amplitude is exactly zero: below anything a real
// bin gives (what a flat signal of code 1 leaves in the other bins on the 10 mV range is
// still near -290 dB), so the point lies at the bottom of the chart, and close enough that
// the value axis, ranged to the points, still spreads the real bins over the chart.
inline constexpr int ZeroAmplitudeDb = -400;

// The sums of bins 1 to `bins` (at index 0 to bins - 1) of both channels, from their
// first 256 codes.
struct SpectrumSums {
    std::vector<double> reA, imA, reB, imB;
};
SpectrumSums TransformBoth(const std::array<int, SpectrumLength>& a,
                           const std::array<int, SpectrumLength>& b, int bins);

// A bin's amplitude, sqrt(re^2 + im^2) / 256 in extended precision, and its plotted value:
// the amplitude, or 20 log10 of the amplitude over the divisor (0 for a negative value
// under "dB>0"; ZeroAmplitudeDb, or 0 under "dB>0", for a zero amplitude), rounded to the
// nearest with ties to even.
long double BinAmplitude(double re, double im);
int BinValue(long double amplitude, const SpectrumScale& scale, long double divisor);

struct SpectrumInputs {
    const SampleTable& samples;
    const InstrumentSettings& instrument;
    const PersistedSettings& settings; // the channel colours, SettingsLine::ColourA and ColourB
    int binCount = 25;
    SpectrumScale scale;
};

// What one computation sets on the chart.
struct SpectrumSeriesData {
    bool filled = false;     // the channel's trace is on: the series is recoloured and filled
    int colour = 0;          // 0x00BBGGRR
    std::vector<int> values; // one per bin, bin 1 first; empty when not filled
};

struct SpectrumChartData {
    QString title;
    bool valueAxisShown = false;
    int leftMargin = 3;
    bool valueAxisTitleSet = true;            // the value axis's title becomes "   " (three spaces)
    std::vector<qint64> frequencies;          // of the bins plotted, bin 1 first
    std::array<SpectrumSeriesData, 2> series; // channel A, channel B
};

inline const QString LinearTitle = QStringLiteral("Spectre d'amplitude linéaire");
inline const QString LogarithmicTitle = QStringLiteral("Spectre d'amplitude logarithmique");
inline const QString ValueAxisTitle = QStringLiteral("   ");

// ComputeSpectrum: both series emptied, then one point per bin for each channel whose
// trace is on, and the title, left margin and value axis of the scale. Until a sweep has
// been weighted there are no weighted codes: the series stay empty and the rest is set.
SpectrumChartData ComputeSpectrum(const SpectrumInputs& in);
