#include "core/InstrumentSettings.h"
#include "core/SampleTable.h"
#include "core/SweepExtremes.h"
#include "core/WeightingWindow.h"

#include <QtTest>
#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(WeightingWindow)

// The weighting pass at the end of a sweep: the five windows' weights, the re-centring of
// each channel around its own mid-level, truncation and rounding in extended precision,
// and what it copies and writes for traces that are on or off.
class WeightingWindowTest : public QObject {
    Q_OBJECT

    static CompletedSweep Flat(int codeA, int codeB, SweepExtremes extremes) {
        CompletedSweep sweep;
        sweep.codeA.fill(codeA);
        sweep.codeB.fill(codeB);
        sweep.extremes = extremes;
        return sweep;
    }
    static SweepExtremes Range(int minA, int maxA, int minB, int maxB) {
        SweepExtremes e;
        e.channelAMin = minA;
        e.channelAMax = maxA;
        e.channelBMin = minB;
        e.channelBMax = maxB;
        return e;
    }

private slots:
    // The weight itself at the points that pin each window's shape.
    void weights_data() {
        QTest::addColumn<WeightingWindow>("window");
        QTest::addColumn<int>("point");
        QTest::addColumn<double>("expected"); // as a long double it would be compared exactly
        QTest::addColumn<double>("tolerance");
        using W = WeightingWindow;
        QTest::newRow("rectangular 1") << W::Rectangular << 1 << 1.0 << 0.0;
        QTest::newRow("Hanning 150: exactly 1") << W::Hanning << 150 << 1.0 << 0.0;
        QTest::newRow("Hanning 300: 0 within the last bit") << W::Hanning << 300 << 0.0 << 1e-18;
        QTest::newRow("Hanning 75") << W::Hanning << 75 << 0.5 << 1e-11;
        QTest::newRow("Hamming 300: 0.08") << W::Hamming << 300 << 0.08 << 1e-17;
        QTest::newRow("Hamming 150: 1") << W::Hamming << 150 << 1.0 << 1e-18;
        QTest::newRow("Bartlett 151: apex") << W::Bartlett << 151 << 1.0 << 0.0;
        QTest::newRow("Bartlett 1") << W::Bartlett << 1 << 1.0 / 151 << 1e-17;
        QTest::newRow("Bartlett 300") << W::Bartlett << 300 << 2.0 / 151 << 1e-17;
        QTest::newRow("Bartlett 226: way down") << W::Bartlett << 226 << 76.0 / 151 << 1e-16;
        QTest::newRow("Blackman 150: 1 within the last bit") << W::Blackman << 150 << 1.0 << 2e-19;
        QTest::newRow("Blackman 300: 0") << W::Blackman << 300 << 0.0 << 1e-18;
        QTest::newRow("Blackman 75") << W::Blackman << 75 << 0.34 << 1e-11;
    }
    void weights() {
        QFETCH(WeightingWindow, window);
        QFETCH(int, point);
        QFETCH(double, expected);
        QFETCH(double, tolerance);
        const long double w = WindowWeight(window, point);
        QVERIFY2(std::fabs(w - static_cast<long double>(expected)) <= tolerance,
                 qPrintable(QString::number(static_cast<double>(w), 'g', 20)));
    }

    void extendedFormat() {
        // The constants and products are those of the 64-bit mantissa: 2π as 6.2831853072
        // makes cos at point 300 differ from 1 by about 2e-22, far below a double's bit
        // but still a weight of exactly 0 for Hanning only because the format rounds it.
        QCOMPARE(std::numeric_limits<long double>::digits, 64);
        QCOMPARE(WindowWeight(WeightingWindow::Hanning, 300), 0.0L);
        QCOMPARE(WindowWeight(WeightingWindow::Hamming, 300), 0.54L - 0.46L);
        QCOMPARE(WindowWeight(WeightingWindow::Bartlett, 1), 1.0L / 151);
        QCOMPARE(1.0L - WindowWeight(WeightingWindow::Blackman, 150), 0x1p-64L);
    }

    // Whole rows through the pass: window, point, extremes of the channel, raw code, weighted.
    void weightedCodes_data() {
        QTest::addColumn<WeightingWindow>("window");
        QTest::addColumn<int>("point");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("weighted");
        using W = WeightingWindow;
        // Weight 1: the point keeps its distance from the mid-level 130, which moves to 128.
        QTest::newRow("Hanning 150") << W::Hanning << 150 << 60 << 200 << 200 << 198;
        QTest::newRow("Hanning 150 minimum") << W::Hanning << 150 << 60 << 200 << 60 << 58;
        QTest::newRow("Hanning 300: 128 whatever the code")
            << W::Hanning << 300 << 60 << 200 << 255 << 128;
        QTest::newRow("Hanning 300 code 0") << W::Hanning << 300 << 0 << 255 << 0 << 128;
        // trunc(20.4) + 128 - round(10.24) = 20 + 118.
        QTest::newRow("Hamming 300") << W::Hamming << 300 << 255 << 0 << 255 << 138;
        QTest::newRow("Bartlett 151") << W::Bartlett << 151 << 60 << 200 << 200 << 198;
        // trunc(510 / 151 = 3.38) + 128 - round(256 / 151 = 1.70).
        QTest::newRow("Bartlett 300") << W::Bartlett << 300 << 0 << 256 << 255 << 129;
        // trunc(255 / 151 = 1.69) + 128 - round(128 / 151 = 0.85).
        QTest::newRow("Bartlett 1") << W::Bartlett << 1 << 0 << 256 << 255 << 128;
        // Blackman's weight at 150 is one bit below 1 (1 - 2^-64): trunc(199.99...) + 128 -
        // round(129.99...) = 199 + 128 - 130, one below the code a weight of 1 gives.
        QTest::newRow("Blackman 150") << W::Blackman << 150 << 60 << 200 << 200 << 197;
        // Point 75, weight 0.34 + a hair: trunc(68.0...) = 68; round(44.2) = 44.
        QTest::newRow("Blackman 75") << W::Blackman << 75 << 60 << 200 << 200 << 152;
        // 2π is 6.2831853072, a little above the true 2π: at point 50 the angle exceeds π/3
        // by 3.4e-12, cos falls 2.9e-12 below 0.5, and a product that the exact 2π makes a
        // tie lands above it. Hanning: w = 0.25 + 1.5e-12, w x mid 2 = 0.5 + 2.9e-12 rounds
        // to 1, not to the even 0: 0 + 128 - 1 = 127 (128 with the exact 2π).
        QTest::newRow("Hanning 50, 2π as 6.2831853072") << W::Hanning << 50 << 0 << 4 << 0 << 127;
        // Hamming: w = 0.31 + 1.4e-12, w x mid 150 = 46.5 + 2.0e-10 rounds to 47, not to the
        // even 46: 0 + 128 - 47 = 81 (82 with the exact 2π).
        QTest::newRow("Hamming 50, 2π as 6.2831853072") << W::Hamming << 50 << 0 << 300 << 0 << 81;
        // Without extremes (minimum 255, maximum 0) the mid-level is 255 - 127 = 128.
        QTest::newRow("reset extremes, Hanning 150") << W::Hanning << 150 << 255 << 0 << 40 << 40;
        // No clamp: a code far from a narrow range leaves 0..255.
        QTest::newRow("no clamp above") << W::Hanning << 150 << 0 << 10 << 999 << 1122;
        QTest::newRow("no clamp below") << W::Hanning << 150 << 245 << 255 << 0 << -122;
        QTest::newRow("rectangular: the code unchanged")
            << W::Rectangular << 17 << 60 << 200 << 999 << 999;
    }
    void weightedCodes() {
        QFETCH(WeightingWindow, window);
        QFETCH(int, point);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, code);
        QFETCH(int, weighted);
        for (Channel channel : {Channel::A, Channel::B}) {
            SampleTable table;
            InstrumentSettings instrument;
            // The other channel has a range of its own, which must not enter.
            const SweepExtremes e = channel == Channel::A ? Range(minimum, maximum, 0, 20)
                                                          : Range(230, 255, minimum, maximum);
            CompletedSweep sweep = Flat(7, 7, e);
            (channel == Channel::A ? sweep.codeA : sweep.codeB)[point - 1] = code;
            ApplyWeightingWindow(table, instrument, sweep, window);
            const SampleTable::Point& p = table.At(point);
            QCOMPARE(channel == Channel::A ? p.weightedA : p.weightedB, weighted);
            QVERIFY(table.WeightedWritten(300));
        }
    }

    // Rounding of the offset to the nearest with ties to even, truncation toward zero.
    void roundingAndTruncation_data() {
        QTest::addColumn<double>("weight");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("mid");
        QTest::addColumn<int>("weighted");
        QTest::newRow("2.5 rounds to 2") << 0.5 << 0 << 5 << 126;
        QTest::newRow("3.5 rounds to 4") << 0.5 << 0 << 7 << 124;
        QTest::newRow("-2.5 rounds to -2") << -0.5 << 0 << 5 << 130;
        QTest::newRow("2.5 truncates to 2") << 0.5 << 5 << 0 << 130;
        QTest::newRow("-2.5 truncates to -2, not -3") << -0.5 << 5 << 0 << 126;
        QTest::newRow("2.75 truncates to 2") << 0.25 << 11 << 0 << 130;
    }
    void roundingAndTruncation() {
        QFETCH(double, weight);
        QFETCH(int, code);
        QFETCH(int, mid);
        QFETCH(int, weighted);
        QCOMPARE(WeightedCode(weight, code, mid), weighted);
    }

    void midLevel_data() {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("mid");
        QTest::newRow("60..200") << 60 << 200 << 130;
        QTest::newRow("odd swing truncated") << 0 << 255 << 127;
        QTest::newRow("reset: toward zero") << 255 << 0 << 128;
        QTest::newRow("flat") << 90 << 90 << 90;
    }
    void midLevel() {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, mid);
        QCOMPARE(ChannelMidLevel(minimum, maximum), mid);
    }

    // The display copies follow the trace switches; the weighted codes of both channels
    // are written whatever they are, for every window.
    void traceSwitches_data() {
        QTest::addColumn<WeightingWindow>("window");
        QTest::addColumn<bool>("traceA");
        QTest::addColumn<bool>("traceB");
        for (int w = 1; w <= WeightingWindowCount; ++w)
            for (int traces = 0; traces < 4; ++traces)
                QTest::addRow("window %d, traces %d%d", w, traces & 1, traces >> 1)
                    << static_cast<WeightingWindow>(w) << bool(traces & 1) << bool(traces & 2);
    }
    void traceSwitches() {
        QFETCH(WeightingWindow, window);
        QFETCH(bool, traceA);
        QFETCH(bool, traceB);
        SampleTable table;
        for (int row = 1; row <= 300; ++row) {
            table.At(row).displayA = 11;
            table.At(row).displayB = 22;
        }
        InstrumentSettings instrument;
        instrument.channelA.traceOn = traceA;
        instrument.channelB.traceOn = traceB;
        CompletedSweep sweep;
        for (int i = 0; i < 300; ++i) {
            sweep.codeA[i] = 40 + i % 100;
            sweep.codeB[i] = 200 - i % 50;
        }
        sweep.extremes = Range(40, 139, 151, 200);
        ApplyWeightingWindow(table, instrument, sweep, window);
        for (int row = 1; row <= 300; ++row) {
            const SampleTable::Point& p = table.At(row);
            QCOMPARE(p.displayA, traceA ? sweep.codeA[row - 1] : 11);
            QCOMPARE(p.displayB, traceB ? sweep.codeB[row - 1] : 22);
            QVERIFY(p.weightedWritten);
            const long double w = WindowWeight(window, row);
            const int expectedA = window == WeightingWindow::Rectangular
                                      ? sweep.codeA[row - 1]
                                      : WeightedCode(w, sweep.codeA[row - 1], 89);
            const int expectedB = window == WeightingWindow::Rectangular
                                      ? sweep.codeB[row - 1]
                                      : WeightedCode(w, sweep.codeB[row - 1], 175);
            QCOMPARE(p.weightedA, expectedA);
            QCOMPARE(p.weightedB, expectedB);
        }
        // Rows worked out by hand, mid-levels 89 (A) and 175 (B):
        // Hanning 75, w = 0.5 + 2.6e-12: A 114 -> 57 + 128 - round(44.5 + 2e-10 -> 45) = 140,
        //   B 176 -> 88 + 128 - round(87.5 + 4e-10 -> 88) = 128; Hanning 150, w = 1: 128, 104.
        // Hamming 300, w = 0.08: A 139 -> trunc(11.12) + 128 - round(7.12) = 132,
        //   B 151 -> trunc(12.08) + 128 - round(14) = 126.
        // Bartlett 151, w = 1: A 90 -> 129, B 200 -> 153.
        // Blackman 75, w = 0.34: A 114 -> trunc(38.76) + 128 - round(30.26) = 136,
        //   B 176 -> trunc(59.84) + 128 - round(59.5 + 4e-10 -> 60) = 127;
        // Blackman 150, w = 1 less one bit: A 89 -> 88 + 128 - 89 = 127, B 151 -> 150 - 47 = 103.
        // Rectangular 151: the codes 90 and 200.
        const struct {
            WeightingWindow window;
            int row;
            int weightedA;
            int weightedB;
        } byHand[] = {
            {WeightingWindow::Hanning, 75, 140, 128},    {WeightingWindow::Hanning, 150, 128, 104},
            {WeightingWindow::Hamming, 300, 132, 126},   {WeightingWindow::Bartlett, 151, 129, 153},
            {WeightingWindow::Blackman, 75, 136, 127},   {WeightingWindow::Blackman, 150, 127, 103},
            {WeightingWindow::Rectangular, 151, 90, 200}};
        for (const auto& r : byHand)
            if (r.window == window) {
                QCOMPARE(table.At(r.row).weightedA, r.weightedA);
                QCOMPARE(table.At(r.row).weightedB, r.weightedB);
            }
        // The text the hardware-check view shows is the weighted code's.
        QCOMPARE(table.CellText(SampleTable::WeightedA, 1), QString::number(table.At(1).weightedA));
    }

    // The table form reads the codes the table holds.
    void fromTheTable() {
        SampleTable table;
        for (int row = 1; row <= 300; ++row) {
            table.At(row).codeA = row % 256;
            table.At(row).codeB = 255 - row % 256;
        }
        const SweepExtremes e = Range(0, 255, 0, 255);
        const CompletedSweep sweep = CompletedSweep::Of(table, e);
        QCOMPARE(sweep.codeA[0], 1);
        QCOMPARE(sweep.codeB[299], 255 - 300 % 256);
        QCOMPARE(sweep.extremes, e);
        SampleTable fromSweep = table;
        InstrumentSettings instrument;
        instrument.channelA.traceOn = true;
        ApplyWeightingWindow(table, instrument, e, WeightingWindow::Blackman);
        ApplyWeightingWindow(fromSweep, instrument, sweep, WeightingWindow::Blackman);
        QVERIFY(table == fromSweep);
        QCOMPARE(table.At(150).displayA, 150);
    }
};

QTEST_GUILESS_MAIN(WeightingWindowTest)
#include "tst_weightingwindow.moc"
