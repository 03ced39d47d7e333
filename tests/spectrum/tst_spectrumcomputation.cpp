#include "SpectrumReference.h"
#include "core/InstrumentSettings.h"
#include "core/PersistedSettings.h"
#include "core/SampleTable.h"
#include "core/SettingsLines.h"
#include "core/SpectrumZoom.h"
#include "spectrum/SpectrumComputation.h"

#include <QtTest>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>

// The spectrum computation: equal bit for bit to the direct evaluation on varied inputs,
// for every bin count the zoom can reach and every scale; the worked cases (a sine at
// bin 8, -20 dB, the labels); empty and zero inputs; the zoom's limits.
class SpectrumComputationTest : public QObject {
    Q_OBJECT

    using Codes = std::array<int, 256>;

    struct Rig {
        SampleTable samples;
        InstrumentSettings instrument;
        PersistedSettings settings;
        int bins = 25;
        SpectrumScale scale;

        Rig() {
            instrument.channelA.traceOn = true;
            instrument.channelB.traceOn = true;
            instrument.timeBaseIndex = 9;
            settings.SetNumber(SettingsLine::ColourA, 255);
            settings.SetNumber(SettingsLine::ColourB, 32768);
        }
        // Weighted codes of points 1 to 300 (the codes beyond 256 must not enter).
        void Weighted(const std::function<int(int)>& a, const std::function<int(int)>& b) {
            for (int n = 1; n <= 300; ++n) {
                SampleTable::Point& p = samples.At(n);
                p.weightedA = n <= 256 ? a(n) : 9999;
                p.weightedB = n <= 256 ? b(n) : -9999;
                p.weightedWritten = true;
            }
        }
        SpectrumChartData Compute() const {
            return ComputeSpectrum({samples, instrument, settings, bins, scale});
        }
    };

    // The plotted value from the reference sums, written out on its own: the amplitude in
    // extended precision, the divisor, 20 log10, the "dB>0" cut, rounding half to even.
    static int ReferenceValue(const SpectrumReference::BinSums& s, const SpectrumScale& scale,
                              int voltsPerDivIndex) {
        static const long double divisors[] = {3.14L,  7.87L,  15.74L, 31.25L, 78.5L,
                                               160.0L, 326.0L, 765.0L, 1623.0L};
        const long double re = s.re;
        const long double im = s.im;
        long double value = std::sqrt(re * re + im * im) / 256;
        if (scale.logarithmic) {
            if (voltsPerDivIndex >= 1 && voltsPerDivIndex <= 9)
                value /= divisors[voltsPerDivIndex - 1];
            if (value == 0.0L)
                return scale.positiveDbOnly ? 0 : ZeroAmplitudeDb;
            value = 20 * std::log10(value);
            if (scale.positiveDbOnly && value < 0)
                value = 0;
        }
        return static_cast<int>(std::nearbyint(value)); // the default mode: ties to even
    }

    static bool SameBits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

    // Varied inputs: each a name and a generator of the 256 codes of one channel.
    static std::vector<std::pair<QString, Codes>> Inputs() {
        std::vector<std::pair<QString, Codes>> inputs;
        std::mt19937 random(20261210);
        auto make = [&](const QString& name, auto&& gen) {
            Codes x;
            for (int n = 1; n <= 256; ++n)
                x[n - 1] = gen(n);
            inputs.emplace_back(name, x);
        };
        std::uniform_int_distribution<int> codes(0, 255);
        std::uniform_int_distribution<int> wide(-300, 1300);
        std::uniform_int_distribution<int> noise(-3, 3);
        make(QStringLiteral("uniform codes"), [&](int) { return codes(random); });
        make(QStringLiteral("uniform codes again"), [&](int) { return codes(random); });
        make(QStringLiteral("beyond 0..255"), [&](int) { return wide(random); });
        make(QStringLiteral("noisy sine"), [&](int n) {
            return 128 + int(std::lround(90 * std::sin(n * 0.37))) + noise(random);
        });
        make(QStringLiteral("square"), [](int n) { return (n / 19) % 2 ? 230 : 20; });
        make(QStringLiteral("flat"), [](int) { return 128; });
        make(QStringLiteral("one spike"), [](int n) { return n == 77 ? 255 : 0; });
        return inputs;
    }

private slots:
    void equalsTheDirectEvaluationBitForBit() {
        const auto inputs = Inputs();
        // The reference for the largest count; a smaller count's bins are its first ones.
        constexpr int MostBins = 305; // past the bins whose phases are kept
        std::vector<std::vector<SpectrumReference::BinSums>> reference;
        for (const auto& [name, x] : inputs)
            reference.push_back(SpectrumReference::DirectBins(x, MostBins));

        // The sums, pair by pair of inputs, for the largest count.
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const std::size_t j = (i + 1) % inputs.size();
            const SpectrumSums sums = TransformBoth(inputs[i].second, inputs[j].second, MostBins);
            for (int k = 0; k < MostBins; ++k) {
                const auto& ra = reference[i][std::size_t(k)];
                const auto& rb = reference[j][std::size_t(k)];
                QVERIFY2(SameBits(sums.reA[k], ra.re) && SameBits(sums.imA[k], ra.im) &&
                             SameBits(sums.reB[k], rb.re) && SameBits(sums.imB[k], rb.im),
                         qPrintable(QStringLiteral("%1 / %2, bin %3: %4 %5 against %6 %7")
                                        .arg(inputs[i].first, inputs[j].first)
                                        .arg(k + 1)
                                        .arg(sums.reA[k], 0, 'g', 17)
                                        .arg(sums.imA[k], 0, 'g', 17)
                                        .arg(ra.re, 0, 'g', 17)
                                        .arg(ra.im, 0, 'g', 17)));
            }
        }

        // The plotted values, for every count the zoom reaches and every scale, each
        // channel on its own range.
        const SpectrumScale scales[] = {{false, false}, {true, false}, {true, true}};
        std::vector<int> counts;
        for (int bins = SpectrumZoom::MinimumBins; bins <= 300; bins += SpectrumZoom::Step)
            counts.push_back(bins);
        counts.push_back(MostBins);
        int compared = 0;
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const std::size_t j = (i + 3) % inputs.size();
            Rig rig;
            rig.Weighted([&](int n) { return inputs[i].second[n - 1]; },
                         [&](int n) { return inputs[j].second[n - 1]; });
            rig.instrument.channelA.voltsPerDivIndex = int(i % 9) + 1;
            rig.instrument.channelB.voltsPerDivIndex = int(8 - j % 9) + 1;
            for (const SpectrumScale& scale : scales) {
                rig.scale = scale;
                for (int bins : counts) {
                    rig.bins = bins;
                    const SpectrumChartData chart = rig.Compute();
                    QCOMPARE(chart.series[0].values.size(), std::size_t(bins));
                    QCOMPARE(chart.series[1].values.size(), std::size_t(bins));
                    for (int k = 0; k < bins; ++k) {
                        const int a = ReferenceValue(reference[i][std::size_t(k)], scale,
                                                     rig.instrument.channelA.voltsPerDivIndex);
                        const int b = ReferenceValue(reference[j][std::size_t(k)], scale,
                                                     rig.instrument.channelB.voltsPerDivIndex);
                        if (chart.series[0].values[k] != a || chart.series[1].values[k] != b)
                            QFAIL(qPrintable(QStringLiteral("%1 / %2, %3 bins, bin %4")
                                                 .arg(inputs[i].first, inputs[j].first)
                                                 .arg(bins)
                                                 .arg(k + 1)));
                        ++compared;
                    }
                }
            }
        }
        QVERIFY(compared > 100000);
    }

    // A sine of peak 64 whose period is 32 points gives 32 at bin 8 and nearly nothing
    // elsewhere; the spectrum reads the weighted columns, rows 1 to 256 only.
    void sineAtBinEight() {
        Rig rig;
        rig.Weighted(
            [](int n) { return 128 + int(std::lround(64 * std::sin(2 * M_PI * n / 32))); },
            [](int n) { return 128 + int(std::lround(32 * std::sin(2 * M_PI * n / 32))); });
        const SpectrumChartData chart = rig.Compute();
        const std::vector<int>& a = chart.series[0].values;
        QCOMPARE(a.size(), std::size_t(25));
        QCOMPARE(a[7], 32);
        for (int k = 1; k <= 25; ++k)
            if (k != 8)
                QVERIFY2(a[k - 1] <= 1, qPrintable(QString::number(k)));
        // Channel B, half the peak, is 16 at bin 8: -20 dB on the 100 mV range.
        QCOMPARE(chart.series[1].values[7], 16);
        rig.instrument.channelB.voltsPerDivIndex = 6;
        rig.scale = {true, false};
        QCOMPARE(rig.Compute().series[1].values[7], -20);
        rig.scale = {true, true};
        QCOMPARE(rig.Compute().series[1].values[7], 0);
    }

    // Linear and decibel values of one amplitude: volts/div index, scale, value.
    void binValues_data() {
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<int>("voltsPerDiv");
        QTest::addColumn<bool>("logarithmic");
        QTest::addColumn<bool>("positiveOnly");
        QTest::addColumn<int>("value");
        QTest::newRow("linear 16") << 16.0 << 6 << false << false << 16;
        QTest::newRow("linear 2.5 to even") << 2.5 << 6 << false << false << 2;
        QTest::newRow("linear 3.5 to even") << 3.5 << 6 << false << false << 4;
        QTest::newRow("100 mV, 16: -20 dB") << 16.0 << 6 << true << false << -20;
        QTest::newRow("100 mV, 16, dB>0: 0") << 16.0 << 6 << true << true << 0;
        QTest::newRow("5 V, 31.4: +20 dB") << 31.4 << 1 << true << false << 20;
        QTest::newRow("5 V, 31.4, dB>0 keeps +20") << 31.4 << 1 << true << true << 20;
        QTest::newRow("10 mV, 16.23: 20 log10(0.01)") << 16.23 << 9 << true << false << -40;
        QTest::newRow("index 0 leaves it undivided") << 10.0 << 0 << true << false << 20;
        QTest::newRow("index 10 leaves it undivided") << 100.0 << 10 << true << false << 40;
        QTest::newRow("zero, linear") << 0.0 << 6 << false << false << 0;
        QTest::newRow("zero, logarithmic: the floor")
            << 0.0 << 6 << true << false << ZeroAmplitudeDb;
        QTest::newRow("zero, dB>0") << 0.0 << 6 << true << true << 0;
    }
    void binValues() {
        QFETCH(double, amplitude);
        QFETCH(int, voltsPerDiv);
        QFETCH(bool, logarithmic);
        QFETCH(bool, positiveOnly);
        QFETCH(int, value);
        QCOMPARE(BinValue(amplitude, {logarithmic, positiveOnly}, LogDivisor(voltsPerDiv)), value);
    }

    // The zero floor lies below any real bin: what a flat signal leaves in the other bins
    // (2π is not exact, and the sums round), the smallest amplitudes the sums give, stays
    // well above it, on the most sensitive range.
    void zeroAmplitudeFloor() {
        Rig rig;
        rig.Weighted([](int) { return 0; }, [](int) { return 1; }); // the faintest flat signal
        rig.instrument.channelB.voltsPerDivIndex = 9;               // the largest divisor
        rig.bins = 300;
        rig.scale = {true, false};
        const SpectrumChartData chart = rig.Compute();
        for (int v : chart.series[0].values)
            QCOMPARE(v, ZeroAmplitudeDb);
        int lowest = 0;
        for (int k = 1; k <= 300; ++k)
            if (k != 256)
                lowest = std::min(lowest, chart.series[1].values[std::size_t(k - 1)]);
        QVERIFY2(lowest > ZeroAmplitudeDb + 50, qPrintable(QString::number(lowest)));
        QCOMPARE(chart.series[1].values[255], -64); // 20 log10(1 / 1623)
        rig.scale = {true, true};
        const SpectrumChartData positive = rig.Compute();
        for (int v : positive.series[0].values)
            QCOMPARE(v, 0);
    }

    // A constant signal: nothing in bins 1 to 255, the full mean value at bin 256.
    void constantSignal() {
        Rig rig;
        rig.Weighted([](int) { return 100; }, [](int) { return 0; });
        rig.bins = 300;
        const std::vector<int> a = rig.Compute().series[0].values;
        for (int k = 1; k <= 255; ++k)
            QCOMPARE(a[std::size_t(k - 1)], 0);
        QCOMPARE(a[255], 100);
        QCOMPARE(a[256], 0);
    }

    // The bin labels: time base, bin count, first labels, last label.
    void labels_data() {
        QTest::addColumn<int>("timeBase");
        QTest::addColumn<int>("bins");
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("1 ms/div") << 9 << 25 << QStringList{"117Hz", "234Hz", "351Hz", "468Hz"}
                                  << "2929Hz";
        QTest::newRow("1 µs/div, 300 bins")
            << 18 << 300 << QStringList{"117187Hz", "234375Hz", "351562Hz"} << "35156250Hz";
        QTest::newRow("500 ms/div repeats")
            << 1 << 25 << QStringList{"0Hz", "0Hz", "0Hz", "0Hz", "1Hz"} << "5Hz";
        QTest::newRow("caps: 75 bins at 1 µs")
            << 18 << 75 << QStringList{"117187Hz"} << "8789062Hz";
        QTest::newRow("caps: 140 bins at 2 µs")
            << 17 << 140 << QStringList{"58593Hz"} << "8203125Hz";
        QTest::newRow("caps: 300 bins at 5 µs")
            << 16 << 300 << QStringList{"23437Hz"} << "7031250Hz";
    }
    void labels() {
        QFETCH(int, timeBase);
        QFETCH(int, bins);
        QFETCH(QStringList, first);
        QFETCH(QString, last);
        Rig rig;
        rig.Weighted([](int n) { return n % 7; }, [](int n) { return n % 5; });
        rig.instrument.timeBaseIndex = timeBase;
        rig.bins = bins;
        const SpectrumChartData chart = rig.Compute();
        QCOMPARE(chart.frequencies.size(), std::size_t(bins));
        for (int i = 0; i < first.size(); ++i)
            QCOMPARE(BinLabel(chart.frequencies[std::size_t(i)]), first[i]);
        QCOMPARE(BinLabel(chart.frequencies.back()), last);
        for (std::size_t i = 1; i < chart.frequencies.size(); ++i)
            QVERIFY(chart.frequencies[i] >= chart.frequencies[i - 1]);
        QVERIFY(chart.frequencies.front() >= 0);
        // The values do not depend on the time base.
        const std::vector<int> values = chart.series[0].values;
        rig.instrument.timeBaseIndex = 12;
        QCOMPARE(rig.Compute().series[0].values, values);
    }

    // Title, margin and value axis of each scale, whatever the traces and even with no
    // weighted codes; a trace that is off leaves its series empty and uncoloured.
    void chartSettings_data() {
        QTest::addColumn<bool>("logarithmic");
        QTest::addColumn<bool>("positiveOnly");
        QTest::addColumn<bool>("traceA");
        QTest::addColumn<bool>("traceB");
        QTest::addColumn<bool>("weighted");
        for (int scale = 0; scale < 3; ++scale)
            for (int traces = 0; traces < 4; ++traces)
                for (bool weighted : {true, false})
                    QTest::addRow("scale %d, traces %d%d, %s", scale, traces & 1, traces >> 1,
                                  weighted ? "weighted" : "before the first sweep")
                        << (scale > 0) << (scale == 2) << bool(traces & 1) << bool(traces & 2)
                        << weighted;
    }
    void chartSettings() {
        QFETCH(bool, logarithmic);
        QFETCH(bool, positiveOnly);
        QFETCH(bool, traceA);
        QFETCH(bool, traceB);
        QFETCH(bool, weighted);
        Rig rig;
        if (weighted)
            rig.Weighted([](int n) { return n % 13; }, [](int n) { return n % 11; });
        rig.instrument.channelA.traceOn = traceA;
        rig.instrument.channelB.traceOn = traceB;
        rig.scale = {logarithmic, positiveOnly};
        const SpectrumChartData chart = rig.Compute();
        QCOMPARE(chart.title, logarithmic ? QStringLiteral("Spectre d'amplitude logarithmique")
                                          : QStringLiteral("Spectre d'amplitude linéaire"));
        QCOMPARE(chart.valueAxisShown, logarithmic);
        QCOMPARE(chart.leftMargin, logarithmic ? 1 : 3);
        QCOMPARE(chart.valueAxisTitleSet, !positiveOnly);
        QCOMPARE(chart.series[0].filled, traceA);
        QCOMPARE(chart.series[1].filled, traceB);
        QCOMPARE(chart.series[0].colour, traceA ? 255 : 0);
        QCOMPARE(chart.series[1].colour, traceB ? 32768 : 0);
        QCOMPARE(chart.series[0].values.size(), std::size_t(weighted && traceA ? 25 : 0));
        QCOMPARE(chart.series[1].values.size(), std::size_t(weighted && traceB ? 25 : 0));
    }

    // The zoom: the counts each button gives, in turn, from a start count.
    void zoom_data() {
        QTest::addColumn<QString>("presses"); // "<", ">" or "=" ("> | <") per press
        QTest::addColumn<int>("timeBase");
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<int>>("counts");
        QTest::newRow("< three times from 25") << "<<<" << 12 << 25 << QList<int>{20, 15, 15};
        QTest::newRow("> eleven times at 1 µs")
            << ">>>>>>>>>>>" << 18 << 25 << QList<int>{30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 75};
        QTest::newRow("> stops at 140 at 2 µs") << ">>>" << 17 << 130 << QList<int>{135, 140, 140};
        QTest::newRow("> stops at 300 at 5 µs") << ">>>" << 16 << 290 << QList<int>{295, 300, 300};
        QTest::newRow("> stops at 300 at 500 ms") << ">>" << 1 << 295 << QList<int>{300, 300};
        QTest::newRow("300 kept until > at 1 µs") << ">" << 18 << 300 << QList<int>{75};
        QTest::newRow("300 kept until > at 2 µs") << ">" << 17 << 300 << QList<int>{140};
        QTest::newRow("< from 300 at 1 µs") << "<" << 18 << 300 << QList<int>{295};
        QTest::newRow("> | < from anywhere") << "=<=" << 18 << 75 << QList<int>{25, 20, 25};
        QTest::newRow("< from below the minimum") << "<" << 12 << 12 << QList<int>{15};
    }
    void zoom() {
        QFETCH(QString, presses);
        QFETCH(int, timeBase);
        QFETCH(int, start);
        QFETCH(QList<int>, counts);
        int bins = start;
        QList<int> seen;
        for (QChar press : presses) {
            if (press == u'<')
                bins = SpectrumZoom::Dilate(bins);
            else if (press == u'>')
                bins = SpectrumZoom::Contract(bins, timeBase);
            else
                bins = SpectrumZoom::Default();
            seen << bins;
        }
        QCOMPARE(seen, counts);
    }

    void samplingFrequencies() {
        const qint64 expected[] = {60,     150,     300,     600,     1500,     3000,
                                   6000,   15000,   30000,   60000,   150000,   300000,
                                   600000, 1500000, 3000000, 6000000, 15000000, 30000000};
        for (int i = 1; i <= 18; ++i) {
            QCOMPARE(SamplingFrequency(i), expected[i - 1]);
            // 30 divided by the time per division of the table.
            QCOMPARE(double(SamplingFrequency(i)), std::round(30 / TimeBaseAt(i)->secondsPerDiv));
        }
        QCOMPARE(SamplingFrequency(0), qint64(0));
        QCOMPARE(SamplingFrequency(19), qint64(0));
    }
};

QTEST_GUILESS_MAIN(SpectrumComputationTest)
#include "tst_spectrumcomputation.moc"
