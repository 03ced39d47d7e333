#include "SignalSupport.h"

#include "analysis/ShownSweep.h"
#include "core/SampleTable.h"

#include <QtTest>
#include <cmath>

Q_DECLARE_METATYPE(VoltageReference)

// From the session's state to the engine's input: the points the magnifier shows, the
// displayed codes of each channel, the scale from the time base, range, probe and ground
// level, and the readings of both channels of a sweep.
class ShownSweepTest : public QObject {
    Q_OBJECT
private slots:
    void scale_data();
    void scale();
    void outsideTheTablesNoScale();
    void preferredReference_data();
    void preferredReference();
    void displayedCodes();
    void bothChannelsOfASweep();
};

void ShownSweepTest::scale_data() {
    QTest::addColumn<int>("timeBase");
    QTest::addColumn<int>("range");
    QTest::addColumn<bool>("probeTimesTen");
    QTest::addColumn<bool>("ground");
    QTest::addColumn<double>("secondsPerPoint"); // seconds per division / 30
    QTest::addColumn<double>("voltsPerDiv");
    QTest::addColumn<int>("probe");
    QTest::addColumn<double>("referenceCode");
    QTest::newRow("0.1 ms, 1 V, centre")
        << 12 << 3 << false << false << 1e-4 / 30 << 1.0 << 1 << 128.0;
    QTest::newRow("500 ms, 5 V, x10, ground")
        << 1 << 1 << true << true << 0.5 / 30 << 5.0 << 10 << 101.0;
    QTest::newRow("1 µs, 10 mV, ground")
        << 18 << 9 << false << true << 1e-6 / 30 << 0.01 << 1 << 101.0;
    QTest::newRow("20 µs, 500 mV, x10, centre")
        << 14 << 4 << true << false << 20e-6 / 30 << 0.5 << 10 << 128.0;
}

void ShownSweepTest::scale() {
    QFETCH(int, timeBase);
    QFETCH(int, range);
    QFETCH(bool, probeTimesTen);
    QFETCH(bool, ground);
    QFETCH(double, secondsPerPoint);
    QFETCH(double, voltsPerDiv);
    QFETCH(int, probe);
    QFETCH(double, referenceCode);
    InstrumentSettings instrument;
    instrument.timeBaseIndex = timeBase;
    for (Channel channel : {Channel::A, Channel::B}) {
        ChannelSettings& c = instrument.Of(channel);
        c.voltsPerDivIndex = range;
        c.probeTimesTen = probeTimesTen;
        c.groundLevel = 101;
    }
    // Channel B's own settings must be the ones read for B.
    instrument.channelA.voltsPerDivIndex = range == 3 ? 2 : 3;
    instrument.channelA.probeTimesTen = !probeTimesTen;
    instrument.channelA.groundLevel = 50;
    const VoltageReference reference =
        ground ? VoltageReference::Ground : VoltageReference::ScreenCentre;
    const std::optional<ChannelScale> s = ScaleOf(instrument, Channel::B, reference);
    QVERIFY(s.has_value());
    QVERIFY(std::fabs(s->secondsPerPoint - secondsPerPoint) <= 1e-15 * secondsPerPoint);
    QCOMPARE(s->voltsPerDiv, voltsPerDiv);
    QCOMPARE(s->probeFactor, probe);
    QCOMPARE(s->referenceCode, referenceCode);
    QCOMPARE(s->reference, reference);
}

void ShownSweepTest::outsideTheTablesNoScale() {
    InstrumentSettings instrument;
    instrument.timeBaseIndex = 19;
    QVERIFY(!ScaleOf(instrument, Channel::A, VoltageReference::ScreenCentre));
    instrument.timeBaseIndex = 12;
    instrument.channelA.voltsPerDivIndex = 0;
    QVERIFY(!ScaleOf(instrument, Channel::A, VoltageReference::ScreenCentre));
    QVERIFY(ScaleOf(instrument, Channel::B, VoltageReference::ScreenCentre));
}

// Only a measured ground level reads 0 V: the marker shown at start-up (level 0) or after a
// centring is not a measurement.
void ShownSweepTest::preferredReference_data() {
    QTest::addColumn<bool>("markerShown");
    QTest::addColumn<bool>("measured");
    QTest::addColumn<VoltageReference>("expected");
    QTest::newRow("start-up: marker valid, never measured")
        << true << false << VoltageReference::ScreenCentre;
    QTest::newRow("measured") << true << true << VoltageReference::Ground;
    QTest::newRow("neither") << false << false << VoltageReference::ScreenCentre;
    QTest::newRow("measured, marker hidden") << false << true << VoltageReference::Ground;
}

void ShownSweepTest::preferredReference() {
    QFETCH(bool, markerShown);
    QFETCH(bool, measured);
    QFETCH(VoltageReference, expected);
    ChannelSettings c;
    c.groundLevel = 0;
    c.groundMarkerShown = markerShown;
    c.groundMeasured = measured;
    QCOMPARE(PreferredReference(c), expected);
}

// The displayed codes (what the screen draws), not the codes as received, and each
// channel its own.
void ShownSweepTest::displayedCodes() {
    SampleTable samples;
    for (int row = 1; row <= Sweep::Points; ++row) {
        SampleTable::Point& p = samples.At(row);
        p.codeA = 1;
        p.codeB = 2;
        p.displayA = row % 256;
        p.displayB = 255 - row % 256;
    }
    const std::vector<int> a = ShownCodes(samples, Channel::A, 61);
    QCOMPARE(a.size(), std::size_t(61));
    QCOMPARE(a.front(), 1);
    QCOMPARE(a.back(), 61);
    const std::vector<int> b = ShownCodes(samples, Channel::B, 400); // at most the sweep
    QCOMPARE(b.size(), std::size_t(300));
    QCOMPARE(b.front(), 254);
    QCOMPARE(b[255], 255);
    QCOMPARE(b.back(), 255 - 300 % 256);
    QVERIFY(ShownCodes(samples, Channel::A, 0).empty());
}

// Channel A: a square whose first 151 points swing 96..160 and whose rest spans the whole
// range; its ground level was measured at 96. Channel B: a sine of 25 points a period at
// 1 ms/div, centre reference (its ground level not measured).
void ShownSweepTest::bothChannelsOfASweep() {
    const std::vector<int> square = Signal::Square(50, 0.5, 96, 160, 2);
    const std::vector<int> sine = Signal::Sine(25, 128, 60, 3);
    SampleTable samples;
    for (int row = 1; row <= Sweep::Points; ++row) {
        const std::size_t i = static_cast<std::size_t>(row - 1);
        SampleTable::Point& p = samples.At(row);
        p.displayA = row <= 151 ? square[i] : (row % 2 ? 0 : 255);
        p.displayB = sine[i];
    }
    InstrumentSettings instrument;
    instrument.timeBaseIndex = 9;             // 1 ms/div
    instrument.channelA.voltsPerDivIndex = 4; // 0.5 V
    instrument.channelA.groundLevel = 96;
    instrument.channelA.groundMeasured = true;
    instrument.channelB.voltsPerDivIndex = 3; // 1 V
    instrument.channelB.probeTimesTen = true;
    instrument.channelB.groundLevel = 40;
    instrument.channelB.groundMarkerShown = true; // at level 40, but not measured
    instrument.channelB.groundMeasured = false;

    const SweepMeasurements x2 = MeasureShownSweep(samples, instrument, 2);
    QCOMPARE(x2.channelA.pointCount, 151);
    QCOMPARE(x2.channelA.reference, VoltageReference::Ground);
    QVERIFY(!x2.channelA.peakToPeak.clipped);
    QCOMPARE(x2.channelA.peakToPeak.value, 64 * 0.5 / 32);
    QCOMPARE(x2.channelA.minimum.value, 0.0);
    QCOMPARE(x2.channelB.reference, VoltageReference::ScreenCentre);
    const double frequency = 1 / (25 * 1e-3 / 30);
    QVERIFY(std::fabs(x2.channelB.frequency.value - frequency) <= 0.005 * frequency);
    QCOMPARE(x2.channelB.peakToPeak.value, 120 * 10.0 / 32);

    const SweepMeasurements x1 = MeasureShownSweep(samples, instrument, 1);
    QCOMPARE(x1.channelA.pointCount, 300);
    QVERIFY(x1.channelA.peakToPeak.clipped);
    QCOMPARE(x1.channelA.peakToPeak.value, 255 * 0.5 / 32);

    const SweepMeasurements none = MeasureShownSweep(samples, instrument, 3);
    QCOMPARE(none.channelA.pointCount, 0);
    QVERIFY(!none.channelA.peakToPeak.available && !none.channelB.frequency.available);
    QCOMPARE(none.channelA.reference, VoltageReference::Ground);

    instrument.channelB.voltsPerDivIndex = 10; // outside the table
    const SweepMeasurements outside = MeasureShownSweep(samples, instrument, 1);
    QVERIFY(!outside.channelB.peakToPeak.available);
    QVERIFY(outside.channelA.peakToPeak.available);
}

QTEST_APPLESS_MAIN(ShownSweepTest)
#include "tst_shownsweep.moc"
