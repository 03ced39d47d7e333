#include "SignalSupport.h"

#include "analysis/Measurements.h"

#include <QtTest>
#include <cmath>
#include <numbers>
#include <optional>

// The measurements of one channel on generated sweeps whose frequency, duty cycle, edges
// and levels are known from the generator: each reading against the generator's values
// (times) or against a plain loop over the same points (levels), with the flags each case
// must raise.

namespace {

// 0.1 ms per division: 30 points a division.
constexpr double SecondsPerPoint = 1e-4 / 30;

enum class Shape { Sine, Square, Triangle };

struct Case {
    Shape shape = Shape::Sine;
    double period = 100; // points
    double duty = 0.5;   // squares
    double edge = 0;     // squares: points from low to high, 0 for a step
    double phase = 0;    // points
    double low = 28;     // the signal's extremes (the sine's centre is half-way)
    double high = 228;
    int noise = 0; // +/- codes
    unsigned seed = 1;
    bool alternating = false; // the noise alternates +noise, -noise instead
    int count = 300;          // points shown
    // Whether the time readings can be made; only needed between one and two periods,
    // where it depends on where the sweep starts.
    std::optional<bool> timed;
    bool checkEdges = true;

    std::vector<int> Codes() const {
        std::vector<int> sweep;
        switch (shape) {
        case Shape::Sine:
            sweep = Signal::Sine(period, (low + high) / 2, (high - low) / 2, phase);
            break;
        case Shape::Square:
            sweep = Signal::Square(period, duty, low, high, edge, phase);
            break;
        case Shape::Triangle:
            sweep = Signal::Triangle(period, low, high, phase);
            break;
        }
        if (noise > 0)
            sweep = alternating ? Signal::WithAlternatingNoise(sweep, noise)
                                : Signal::WithNoise(sweep, noise, seed);
        return Signal::FirstPoints(sweep, count);
    }
    // Periods in the time the points shown span.
    double PeriodsShown() const { return (count - 1) / period; }
    // 10 % to 90 % of a rising edge, in points.
    double EdgePoints() const {
        switch (shape) {
        case Shape::Sine:
            return period * std::asin(0.8) / std::numbers::pi;
        case Shape::Square:
            return 0.8 * edge;
        case Shape::Triangle:
            return 0.8 * period / 2;
        }
        return 0;
    }
};

// The levels straight from the points, in volts: the reference for every level reading.
struct Levels {
    double maximum, minimum, mean, rms, acRms;
};
Levels PlainLevels(const std::vector<int>& codes, const ChannelScale& scale) {
    const double k = scale.voltsPerDiv * scale.probeFactor / 32;
    double high = -1e9, low = 1e9, sum = 0, squares = 0;
    for (int raw : codes) {
        const double c = std::clamp(raw, 0, 255);
        high = std::max(high, c);
        low = std::min(low, c);
        sum += c - scale.referenceCode;
        squares += (c - scale.referenceCode) * (c - scale.referenceCode);
    }
    const double n = static_cast<double>(codes.size());
    double around = 0;
    for (int raw : codes) {
        const double c = std::clamp(raw, 0, 255) - scale.referenceCode;
        around += (c - sum / n) * (c - sum / n);
    }
    return {(high - scale.referenceCode) * k, (low - scale.referenceCode) * k, sum / n * k,
            std::sqrt(squares / n) * k, std::sqrt(around / n) * k};
}

ChannelScale Scale(double voltsPerDiv = 1, int probe = 1, double reference = 128) {
    ChannelScale s;
    s.secondsPerPoint = SecondsPerPoint;
    s.voltsPerDiv = voltsPerDiv;
    s.probeFactor = probe;
    s.referenceCode = reference;
    return s;
}

QString Describe(const Reading& r) {
    return QStringLiteral("value %1 available %2 clipped %3 few %4 resolution %5")
        .arg(r.value, 0, 'g', 10)
        .arg(r.available)
        .arg(r.clipped)
        .arg(r.fewPeriods)
        .arg(r.resolutionLimited);
}

bool Near(double value, double expected, double tolerance) {
    return std::fabs(value - expected) <= tolerance;
}

} // namespace

Q_DECLARE_METATYPE(Case)

class MeasurementsTest : public QObject {
    Q_OBJECT
private slots:
    void generatedSweeps_data();
    void generatedSweeps();
    void flatSignalsHaveNoTimeReadings_data();
    void flatSignalsHaveNoTimeReadings();
    void clipping_data();
    void clipping();
    void conversion_data();
    void conversion();
    void rmsOfWholePeriods_data();
    void rmsOfWholePeriods();
    void codesOutsideTheRangeAreClipped();
    void fewPoints();
    void readingsByKind();
};

void MeasurementsTest::generatedSweeps_data() {
    QTest::addColumn<Case>("c");
    auto add = [](const char* name, Case c) { QTest::newRow(name) << c; };
    auto sine = [](double periodsInSweep, int count, double phaseShare = 0) {
        Case c;
        c.period = (Signal::SweepPoints - 1) / periodsInSweep;
        c.phase = phaseShare * c.period;
        c.count = count;
        return c;
    };

    // Sines: the period counts over the whole sweep; the magnifier shows its start.
    for (int count : {300, 151, 61}) {
        // 90 periods: 3.3 points a period, too few to trust the duty cycle.
        for (double periods : {2.1, 5.0, 10.5, 37.0, 90.0}) {
            for (double phase : {0.0, 0.37}) {
                Case c = sine(periods, count, phase);
                const QByteArray name = QStringLiteral("sine %1 periods, %2 points, phase %3")
                                            .arg(periods)
                                            .arg(count)
                                            .arg(phase)
                                            .toLatin1();
                if (c.PeriodsShown() >= 1 && c.PeriodsShown() < 2)
                    continue; // the rows below pin this range down
                add(name.constData(), c);
            }
        }
    }
    // Between one and two periods, whether two crossings of one direction fall on the
    // screen depends on the start. From the rising mid-level crossing, that crossing is
    // not yet armed and only one of each direction counts. From the trough, the rising
    // crossings come at P/4 and 5P/4: two of them in 1.3 periods (one whole period, fewer
    // than two on the screen), only one in 1.05 periods.
    {
        Case c = sine(1.3, 300, 0);
        c.timed = false;
        add("sine 1.3 periods from the mid-level: one crossing each way", c);
        c = sine(1.3, 300, 0.75);
        c.timed = true;
        add("sine 1.3 periods from the trough: one whole period", c);
        c = sine(2.1, 151, 0.75);
        c.timed = false;
        add("sine 2.1 periods, 151 points from the trough: 1.05 periods", c);
        c = sine(5, 61, 0.75);
        c.timed = false;
        add("sine 5 periods, 61 points from the trough: 1.003 periods", c);
        // 1.9 periods from the trough: a whole period each way, still fewer than two
        // periods on the screen.
        c = sine(1.9, 300, 0.75);
        c.timed = true;
        add("sine 1.9 periods from the trough", c);
        c = sine(1.3, 151, 0.75);
        add("sine 1.3 periods, 151 points: less than a period", c);
        c = sine(1.3, 61, 0.75);
        add("sine 1.3 periods, 61 points: less than a period", c);
    }

    // Squares with edges two points wide (the ramp crosses the mid-level where the
    // generator puts the edge) and steps (the edge lies somewhere between two points).
    for (double duty : {0.1, 0.25, 0.5, 0.75, 0.9}) {
        for (double period : {60.0, 30.0}) {
            for (double edge : {2.0, 0.0}) {
                Case c;
                c.shape = Shape::Square;
                c.period = period;
                c.duty = duty;
                c.edge = edge;
                c.phase = 0.3 * period + 0.41;
                const QByteArray name = QStringLiteral("square duty %1, period %2, %3")
                                            .arg(duty)
                                            .arg(period)
                                            .arg(edge > 0 ? "ramps" : "steps")
                                            .toLatin1();
                add(name.constData(), c);
            }
        }
    }
    for (int count : {151, 61}) {
        for (double edge : {2.0, 0.0}) {
            Case c;
            c.shape = Shape::Square;
            c.period = 20;
            c.duty = 0.3;
            c.edge = edge;
            c.phase = 7.3;
            c.count = count;
            const QByteArray name = QStringLiteral("square duty 0.3, period 20, %1 points, %2")
                                        .arg(count)
                                        .arg(edge > 0 ? "ramps" : "steps")
                                        .toLatin1();
            add(name.constData(), c);
        }
    }
    // Slow edges, well resolved.
    for (double edge : {10.0, 25.0}) {
        Case c;
        c.shape = Shape::Square;
        c.period = 120;
        c.duty = 0.4;
        c.edge = edge;
        c.phase = 13.2;
        add(edge == 10 ? "square with 10-point edges" : "square with 25-point edges", c);
    }

    // Triangles.
    for (int count : {300, 151}) {
        for (double period : {90.0, 43.0}) {
            Case c;
            c.shape = Shape::Triangle;
            c.period = period;
            c.phase = 0.21 * period;
            c.count = count;
            // 1.67 periods at 151 points: the first rising crossing is not armed (the
            // sweep starts inside the band), the two falling ones count.
            if (c.PeriodsShown() < 2)
                c.timed = true;
            const QByteArray name =
                QStringLiteral("triangle period %1, %2 points").arg(period).arg(count).toLatin1();
            add(name.constData(), c);
        }
    }

    // A sine of 100 codes peak with +/-3 codes of noise: no false crossings, and the
    // frequency within 0.5 % once five periods are on the screen.
    for (int count : {300, 151, 61}) {
        Case c;
        c.noise = 3;
        c.period = (count - 1) / 5.0;
        c.phase = 0.3 * c.period;
        c.count = count;
        c.checkEdges = false;
        for (unsigned seed : {11u, 12u, 13u}) {
            c.seed = seed;
            const QByteArray name = QStringLiteral("noisy sine, 5 periods on %1 points, seed %2")
                                        .arg(count)
                                        .arg(seed)
                                        .toLatin1();
            add(name.constData(), c);
        }
    }
    // The hysteresis: 4 codes hold +/-3 codes of noise on a small signal, a tenth of the
    // span holds +/-10 codes on a large one. Triangles with slow edges and noise that
    // alternates between its extremes: near the mid-level it turns back by twice its
    // amplitude less the slope, wherever the hysteresis lets it, and a false crossing
    // would halve the period. The crossings wander by noise / slope, several points here.
    {
        Case c;
        c.shape = Shape::Triangle;
        c.alternating = true;
        c.checkEdges = false;
        c.noise = 3;
        c.low = 106;
        c.high = 118;
        c.period = 80; // 0.3 code a point
        c.phase = 11;
        add("slow triangle of 12 codes with +/-3 codes of noise", c);
        c.noise = 10;
        c.low = 28;
        c.high = 228;
        c.period = 133; // 3 codes a point
        add("triangle of 200 codes with +/-10 codes of noise", c);
    }
    {
        Case c;
        c.noise = 3;
        c.period = 299 / 2.2;
        c.phase = 0.1 * c.period;
        c.checkEdges = false;
        add("noisy sine, 2.2 periods", c);
    }
}

// Tolerances follow from the sampling: a crossing on a ramp or a smooth edge is placed
// where the generator put it, to within rounding; an edge between two points (a step) only
// to within half a point, so a step square's period is known to one point over the whole
// periods measured and its duty cycle to one point's share of the period.
void MeasurementsTest::generatedSweeps() {
    QFETCH(Case, c);
    const std::vector<int> codes = c.Codes();
    const ChannelScale scale = Scale(0.5, 10, 128);
    const ChannelMeasurements m = MeasureChannel(codes, scale);
    const double shown = c.PeriodsShown();
    const bool step = c.shape == Shape::Square && c.edge == 0;

    // Levels: exactly those of the points, and Vpp within a code of the generator's.
    const Levels plain = PlainLevels(codes, scale);
    const double k = 0.5 * 10 / 32;
    for (const auto& [reading, expected] : {std::pair{m.maximum, plain.maximum},
                                            {m.minimum, plain.minimum},
                                            {m.peakToPeak, plain.maximum - plain.minimum},
                                            {m.mean, plain.mean},
                                            {m.rms, plain.rms},
                                            {m.acRms, plain.acRms}}) {
        QVERIFY2(reading.available && !reading.clipped, qPrintable(Describe(reading)));
        QVERIFY2(Near(reading.value, expected, 1e-9 * (1 + std::fabs(expected))),
                 qPrintable(Describe(reading) + QStringLiteral(" expected %1").arg(expected)));
    }
    // With a whole period shown, Vpp is the generator's within a code, less what the
    // sampling can miss of the crests: A (1 - cos(pi / P)) for a sine, a point's share of
    // the slope at a triangle's vertex.
    if (shown >= 1) {
        const double crestLoss =
            c.shape == Shape::Sine ? (c.high - c.low) * (1 - std::cos(std::numbers::pi / c.period))
            : c.shape == Shape::Triangle ? (c.high - c.low) * 2 / c.period
                                         : 0;
        const double generatedSpan = (c.high - c.low + 2 * c.noise) * k;
        QVERIFY2(m.peakToPeak.value <= generatedSpan + k &&
                     m.peakToPeak.value >= (c.high - c.low - crestLoss) * k - k,
                 qPrintable(Describe(m.peakToPeak)));
    }

    // Time readings.
    bool timed;
    if (shown >= 2)
        timed = true;
    else if (shown < 1)
        timed = false;
    else {
        QVERIFY2(c.timed.has_value(), "between one and two periods the row must say");
        timed = *c.timed;
    }
    QCOMPARE(m.frequency.available, timed);
    QCOMPARE(m.period.available, timed);
    QCOMPARE(m.dutyCycle.available, timed);
    if (!timed) {
        QCOMPARE(m.periodsOnScreen, 0.0);
        return;
    }
    const bool few = shown < 2;
    for (const Reading& r : {m.frequency, m.period, m.dutyCycle}) {
        QVERIFY2(r.fewPeriods == few && !r.clipped && r.resolutionLimited == (c.period < 4),
                 qPrintable(Describe(r)));
    }

    // How far noise can move a crossing: noise / slope at the mid-level, in points.
    const double slope = c.shape == Shape::Sine ? std::numbers::pi * (c.high - c.low) / c.period
                         : c.shape == Shape::Triangle ? 2 * (c.high - c.low) / c.period
                                                      : 0;
    const double wander = c.noise > 0 ? c.noise / slope : 0;
    double frequencyTolerance = 0.005;
    if (step)
        frequencyTolerance = 1 / ((std::floor(shown) - 1) * c.period);
    else if (c.alternating)
        frequencyTolerance = 2 * wander / c.period; // both ends of one whole period
    else if (c.noise > 0 && shown < 5)
        frequencyTolerance = 0.02;
    const double frequency = 1 / (c.period * SecondsPerPoint);
    QVERIFY2(Near(m.frequency.value, frequency, frequencyTolerance * frequency),
             qPrintable(Describe(m.frequency) + QStringLiteral(" expected %1").arg(frequency)));
    QVERIFY2(Near(m.period.value, 1 / m.frequency.value, 1e-12 * m.period.value),
             qPrintable(Describe(m.period)));
    QVERIFY2(Near(m.periodsOnScreen, shown, 2 * frequencyTolerance * shown),
             qPrintable(QString::number(m.periodsOnScreen)));

    const double duty = c.shape == Shape::Square ? 100 * c.duty : 50;
    const double onePoint = 100 / c.period;
    const double dutyTolerance =
        (!step && c.period >= 50 ? 1 : onePoint) + 100 * 2 * wander / c.period;
    QVERIFY2(Near(m.dutyCycle.value, duty, dutyTolerance + 1e-9),
             qPrintable(Describe(m.dutyCycle) + QStringLiteral(" expected %1").arg(duty)));

    if (!c.checkEdges)
        return;
    // Rise and fall: within one point interval of the generator's 10 %-90 % time, which
    // the sampled extremes and the interpolation near the ends of an edge can shift.
    const double edge = c.EdgePoints() * SecondsPerPoint;
    for (const Reading& r : {m.riseTime, m.fallTime}) {
        if (shown >= 2)
            QVERIFY2(r.available, qPrintable(Describe(r)));
        if (!r.available)
            continue;
        QVERIFY2(Near(r.value, edge, SecondsPerPoint),
                 qPrintable(Describe(r) + QStringLiteral(" expected %1").arg(edge)));
        QVERIFY2(!r.clipped && !r.fewPeriods, qPrintable(Describe(r)));
        if (step)
            QVERIFY2(r.resolutionLimited, qPrintable(Describe(r)));
        if (c.EdgePoints() >= 3)
            QVERIFY2(!r.resolutionLimited, qPrintable(Describe(r)));
    }
}

void MeasurementsTest::flatSignalsHaveNoTimeReadings_data() {
    QTest::addColumn<std::vector<int>>("codes");
    QTest::addColumn<double>("peakToPeakCodes");
    QTest::addColumn<double>("meanCode");

    QTest::newRow("start-up table: every point at 128")
        << std::vector<int>(300, 128) << 0.0 << 128.0;
    QTest::newRow("a DC level at 200, 61 points") << std::vector<int>(61, 200) << 0.0 << 200.0;
    // +/-3 codes of noise spans at most 6 codes: no crossing.
    const std::vector<int> noisy = Signal::WithNoise(std::vector<int>(300, 90), 3, 7);
    const auto [low, high] = std::minmax_element(noisy.begin(), noisy.end());
    double sum = 0;
    for (int c : noisy)
        sum += c;
    QTest::newRow("a DC level at 90 with noise") << noisy << double(*high - *low) << sum / 300;
    // A span of 7 codes is still flat; the square's mean is 100 + 7 x 0.5.
    QTest::newRow("a square 7 codes high") << Signal::Square(30, 0.5, 100, 107, 0) << 7.0 << 103.5;
}

void MeasurementsTest::flatSignalsHaveNoTimeReadings() {
    QFETCH(std::vector<int>, codes);
    QFETCH(double, peakToPeakCodes);
    QFETCH(double, meanCode);
    const ChannelScale scale = Scale(1, 1, 128);
    const ChannelMeasurements m = MeasureChannel(codes, scale);
    for (const Reading& r : {m.frequency, m.period, m.dutyCycle, m.riseTime, m.fallTime})
        QVERIFY2(!r.available, qPrintable(Describe(r)));
    QCOMPARE(m.periodsOnScreen, 0.0);
    QVERIFY(m.peakToPeak.available && m.mean.available && m.rms.available);
    QCOMPARE(m.peakToPeak.value, peakToPeakCodes / 32);
    QVERIFY(Near(m.mean.value, (meanCode - 128) / 32, 1e-12));
}

void MeasurementsTest::clipping_data() {
    QTest::addColumn<double>("centre");
    QTest::addColumn<double>("amplitude");
    QTest::addColumn<bool>("top");
    QTest::addColumn<bool>("bottom");
    QTest::newRow("both ends") << 128.0 << 160.0 << true << true;
    QTest::newRow("the top only") << 200.0 << 80.0 << true << false;
    QTest::newRow("the bottom only") << 60.0 << 80.0 << false << true;
    QTest::newRow("touching 255") << 155.0 << 100.0 << true << false;
    QTest::newRow("one code short of each end") << 127.0 << 126.0 << false << false;
}

// A point at code 0 or 255 makes the level readings bounds; the crossings keep their
// places, so frequency and period stay plain.
void MeasurementsTest::clipping() {
    QFETCH(double, centre);
    QFETCH(double, amplitude);
    QFETCH(bool, top);
    QFETCH(bool, bottom);
    const double period = 299 / 5.0;
    const std::vector<int> codes = Signal::Sine(period, centre, amplitude, 0.2 * period);
    const ChannelMeasurements m = MeasureChannel(codes, Scale());
    const bool either = top || bottom;
    QCOMPARE(m.maximum.clipped, top);
    QCOMPARE(m.minimum.clipped, bottom);
    for (const Reading& r :
         {m.peakToPeak, m.mean, m.rms, m.acRms, m.dutyCycle, m.riseTime, m.fallTime})
        QVERIFY2(r.available && r.clipped == either, qPrintable(Describe(r)));
    for (const Reading& r : {m.frequency, m.period})
        QVERIFY2(r.available && !r.clipped, qPrintable(Describe(r)));
    const double frequency = 1 / (period * SecondsPerPoint);
    QVERIFY2(Near(m.frequency.value, frequency, 0.005 * frequency),
             qPrintable(Describe(m.frequency)));
    if (top)
        QCOMPARE(m.maximum.value, 127.0 / 32);
    if (bottom)
        QCOMPARE(m.minimum.value, -128.0 / 32);
}

void MeasurementsTest::conversion_data() {
    QTest::addColumn<double>("voltsPerDiv");
    QTest::addColumn<int>("probe");
    QTest::addColumn<double>("reference");
    QTest::addColumn<double>("maximum"); // volts for a square between codes 96 and 224
    QTest::addColumn<double>("minimum");
    // 32 codes a division: 224 is 3 divisions above the centre, 96 one below.
    QTest::newRow("1 V, x1, centre") << 1.0 << 1 << 128.0 << 3.0 << -1.0;
    QTest::newRow("1 V, x10, centre") << 1.0 << 10 << 128.0 << 30.0 << -10.0;
    QTest::newRow("10 mV, x1, centre") << 0.01 << 1 << 128.0 << 0.03 << -0.01;
    QTest::newRow("5 V, x10, centre") << 5.0 << 10 << 128.0 << 150.0 << -50.0;
    QTest::newRow("1 V, ground at 96") << 1.0 << 1 << 96.0 << 4.0 << 0.0;
    QTest::newRow("0.5 V, ground at 104.5") << 0.5 << 1 << 104.5 << 1.8671875 << -0.1328125;
}

// Volts from codes and the reference, for both kinds of reference; the spread (Vpp, AC
// RMS) does not depend on the reference, the mean and the RMS do.
void MeasurementsTest::conversion() {
    QFETCH(double, voltsPerDiv);
    QFETCH(int, probe);
    QFETCH(double, reference);
    QFETCH(double, maximum);
    QFETCH(double, minimum);
    ChannelScale scale = Scale(voltsPerDiv, probe, reference);
    scale.reference = reference == 128 ? VoltageReference::ScreenCentre : VoltageReference::Ground;
    // 100 points at 224, 200 at 96.
    std::vector<int> codes(300, 96);
    std::fill(codes.begin(), codes.begin() + 100, 224);
    const ChannelMeasurements m = MeasureChannel(codes, scale);
    QCOMPARE(m.reference, scale.reference);
    const double tolerance = 1e-12 * std::max(1.0, std::fabs(maximum));
    QVERIFY2(Near(m.maximum.value, maximum, tolerance), qPrintable(Describe(m.maximum)));
    QVERIFY2(Near(m.minimum.value, minimum, tolerance), qPrintable(Describe(m.minimum)));
    QVERIFY2(Near(m.peakToPeak.value, maximum - minimum, tolerance),
             qPrintable(Describe(m.peakToPeak)));
    // A third of the time at the maximum, two thirds at the minimum.
    const double mean = (maximum + 2 * minimum) / 3;
    QVERIFY2(Near(m.mean.value, mean, tolerance), qPrintable(Describe(m.mean)));
    const double rms = std::sqrt((maximum * maximum + 2 * minimum * minimum) / 3);
    QVERIFY2(Near(m.rms.value, rms, tolerance), qPrintable(Describe(m.rms)));
    const double acRms = (maximum - minimum) * std::sqrt(2.0) / 3; // sqrt(1/3 x 2/3) x Vpp
    QVERIFY2(Near(m.acRms.value, acRms, tolerance), qPrintable(Describe(m.acRms)));
}

void MeasurementsTest::rmsOfWholePeriods_data() {
    QTest::addColumn<double>("reference");
    QTest::addColumn<double>("offset"); // of the sine's centre above the reference, codes
    QTest::newRow("the centre") << 128.0 << 0.0;
    QTest::newRow("ground 32 codes below") << 96.0 << 32.0;
    QTest::newRow("ground 20.5 codes above") << 148.5 << -20.5;
}

// Ten whole periods of 30 points: the mean square of the sampled sine is exactly A^2 / 2
// (up to the rounding to codes), so the generator gives the RMS values: A / sqrt(2) around
// the mean, sqrt(A^2 / 2 + offset^2) against a reference `offset` below the centre.
void MeasurementsTest::rmsOfWholePeriods() {
    QFETCH(double, reference);
    QFETCH(double, offset);
    const double amplitude = 100;
    const std::vector<int> codes = Signal::Sine(30, 128, amplitude, 4.2);
    ChannelScale scale = Scale(0.2, 10, reference);
    const ChannelMeasurements m = MeasureChannel(codes, scale);
    const double k = 0.2 * 10 / 32;
    const double ac = amplitude / std::sqrt(2.0) * k;
    const double rms = std::sqrt(amplitude * amplitude / 2 + offset * offset) * k;
    QVERIFY2(Near(m.acRms.value, ac, 0.002 * ac), qPrintable(Describe(m.acRms)));
    QVERIFY2(Near(m.rms.value, rms, 0.002 * rms), qPrintable(Describe(m.rms)));
    QVERIFY2(Near(m.mean.value, offset * k, 0.01 * k), qPrintable(Describe(m.mean)));
}

// The decoder can store codes above 255; below 0 cannot arrive but is taken the same way.
void MeasurementsTest::codesOutsideTheRangeAreClipped() {
    std::vector<int> codes = Signal::Square(50, 0.5, 60, 200, 2);
    codes[10] = 400;
    codes[40] = -20;
    const ChannelMeasurements m = MeasureChannel(codes, Scale());
    QVERIFY(m.maximum.clipped && m.minimum.clipped && m.peakToPeak.clipped);
    QCOMPARE(m.maximum.value, 127.0 / 32);
    QCOMPARE(m.minimum.value, -128.0 / 32);
    QCOMPARE(m.peakToPeak.value, 255.0 / 32);
}

void MeasurementsTest::fewPoints() {
    const ChannelScale scale = Scale();
    const ChannelMeasurements none = MeasureChannel({}, scale);
    QCOMPARE(none.pointCount, 0);
    for (int kind = 0; kind < ReadingKindCount; ++kind)
        QVERIFY(!none.Of(static_cast<ReadingKind>(kind)).available);

    const std::vector<int> one{160};
    const ChannelMeasurements single = MeasureChannel(one, scale);
    QCOMPARE(single.pointCount, 1);
    QVERIFY(single.maximum.available && single.rms.available && single.peakToPeak.available);
    QCOMPARE(single.maximum.value, 1.0);
    QCOMPARE(single.rms.value, 1.0);
    QCOMPARE(single.acRms.value, 0.0);
    QVERIFY(!single.frequency.available && !single.riseTime.available);

    // A time base of zero (outside the tables) gives no time readings, but the levels.
    ChannelScale timeless = scale;
    timeless.secondsPerPoint = 0;
    const ChannelMeasurements m = MeasureChannel(Signal::Sine(30, 128, 100), timeless);
    QVERIFY(!m.frequency.available && !m.dutyCycle.available && !m.riseTime.available);
    QVERIFY(m.peakToPeak.available);
}

// Of() names each reading by its kind.
void MeasurementsTest::readingsByKind() {
    ChannelMeasurements m;
    const std::array<Reading*, ReadingKindCount> members{
        &m.frequency, &m.period, &m.peakToPeak, &m.maximum,  &m.minimum, &m.mean,
        &m.rms,       &m.acRms,  &m.dutyCycle,  &m.riseTime, &m.fallTime};
    for (int kind = 0; kind < ReadingKindCount; ++kind)
        members[static_cast<std::size_t>(kind)]->value = kind + 1;
    for (int kind = 0; kind < ReadingKindCount; ++kind)
        QCOMPARE(m.Of(static_cast<ReadingKind>(kind)).value, kind + 1.0);
}

QTEST_APPLESS_MAIN(MeasurementsTest)
#include "tst_measurements.moc"
