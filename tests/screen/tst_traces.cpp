#include "ScreenTestSupport.h"

#include "app/Conversion.h"
#include "screen/Graticule.h"
#include "screen/Traces.h"

#include <QtTest>

using namespace ScreenTest;

// The trace layer: vertical and horizontal mapping, the magnifier, the math modes with
// their clamping, the weighted columns, and the Math menu state it decides.
class TracesTest : public QObject {
    Q_OBJECT
private slots:
    void codesMapOneToOneOntoRows_data();
    void codesMapOneToOneOntoRows();
    void magnifierStretchesTheFirstPoints_data();
    void magnifierStretchesTheFirstPoints();
    void xyColumnRoundsHalfToEven_data();
    void xyColumnRoundsHalfToEven();
    void xyModeDrawsTheFigureOnly();
    void mathTracesAreClampedIntoTheTable_data();
    void mathTracesAreClampedIntoTheTable();
    void mathMenuFollowsTheTraceSwitches_data();
    void mathMenuFollowsTheTraceSwitches();
    void emptyColumnsBeforeTheFirstSweepDrawNothing();
    void weightedColumnsReplaceTheChannels();
    void laterTracesCoverEarlierOnes();
    void badCellStopsTheLayer();
    void unknownMagnificationDrawsNoTrace();
    void mathTexts();

private:
    static QImage Run(ScreenFixture& f);
};

QImage TracesTest::Run(ScreenFixture& f) {
    ScreenCanvas canvas;
    MathMenuState menu;
    DrawTraces(canvas, f.in, menu);
    return canvas.Image();
}

void TracesTest::codesMapOneToOneOntoRows_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("y");
    QTest::newRow("code 0 on the bottom line") << 0 << 288;
    QTest::newRow("code 128 on the centre line") << 128 << 160;
    QTest::newRow("code 255 below the top line") << 255 << 33;
}

void TracesTest::codesMapOneToOneOntoRows() {
    QFETCH(int, code);
    QFETCH(int, y);
    for (Channel channel : {Channel::A, Channel::B}) {
        ScreenFixture f;
        f.instrument.Of(channel).traceOn = true;
        f.Fill(channel == Channel::A ? SampleTable::DisplayA : SampleTable::DisplayB, code);
        const QImage image = Run(f);
        const QRgb colour = Rgb(channel == Channel::A ? ColourA : ColourB);
        // A flat line from x = 20 to the last point at 618, whose pixel is left out.
        QCOMPARE(XsWithColour(image, y, colour), Range(20, 617));
        QCOMPARE(CountColour(image, colour), 598);
    }
}

void TracesTest::magnifierStretchesTheFirstPoints_data() {
    QTest::addColumn<int>("magnification");
    QTest::addColumn<int>("lastPoint");
    QTest::addColumn<int>("lastX");
    QTest::newRow("x1") << 1 << 300 << 618;
    QTest::newRow("x2") << 2 << 151 << 620;
    QTest::newRow("x5") << 5 << 61 << 620;
}

void TracesTest::magnifierStretchesTheFirstPoints() {
    QFETCH(int, magnification);
    QFETCH(int, lastPoint);
    QFETCH(int, lastX);

    ScreenFixture f;
    f.in.magnification = magnification;
    f.instrument.channelA.traceOn = true;
    // A rise to code 228 at the last point shown; every point after it at code 0.
    f.samples.SetCell(SampleTable::DisplayA, lastPoint, QStringLiteral("228"));
    for (int row = lastPoint + 1; row <= 300; ++row)
        f.samples.SetCell(SampleTable::DisplayA, row, QStringLiteral("0"));
    const QImage image = Run(f);
    const QRgb red = Rgb(ColourA);

    // The last segment climbs from y = 160 towards y = 60 at x = lastX.
    QVERIFY(!YsWithColour(image, lastX, red).isEmpty());
    QVERIFY(YsWithColour(image, lastX, red).first() <= 62);
    for (int x = lastX + 1; x < 640; ++x)
        QVERIFY2(YsWithColour(image, x, red).isEmpty(), qPrintable(QString::number(x)));
    QVERIFY(XsWithColour(image, 288, red).isEmpty()); // nothing after the last point
    // The flat part starts at x = 20 on the centre line.
    QCOMPARE(Pixel(image, 20, 160), red);
    QCOMPARE(Pixel(image, 19, 160), White);
}

void TracesTest::xyColumnRoundsHalfToEven_data() {
    QTest::addColumn<qint64>("code");
    QTest::addColumn<qint64>("x");
    QTest::newRow("0") << qint64(0) << qint64(80);
    QTest::newRow("1 (1.875)") << qint64(1) << qint64(82);
    QTest::newRow("4 (7.5 to 8)") << qint64(4) << qint64(88);
    QTest::newRow("12 (22.5 to 22)") << qint64(12) << qint64(102);
    QTest::newRow("20 (37.5 to 38)") << qint64(20) << qint64(118);
    QTest::newRow("128") << qint64(128) << qint64(320);
    QTest::newRow("255 (478.125)") << qint64(255) << qint64(558);
    QTest::newRow("-4 (-7.5 to -8)") << qint64(-4) << qint64(72);
    QTest::newRow("-12 (-22.5 to -22)") << qint64(-12) << qint64(58);
}

void TracesTest::xyColumnRoundsHalfToEven() {
    QFETCH(qint64, code);
    QFETCH(qint64, x);
    QCOMPARE(XYColumn(code), x);
}

void TracesTest::xyModeDrawsTheFigureOnly() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    f.instrument.mathMode = MathMode::XY;
    const QRgb math = Rgb(MathColour);

    // Both channels constant: every segment has zero length.
    QVERIFY(AllWhite(Run(f), QRect(0, 0, 640, 320)));

    // Channel A at code 4 (x = 88) for the first half, 12 (x = 102) for the second; channel
    // B alternating between 100 and 120.
    for (int row = 1; row <= 300; ++row) {
        f.samples.SetCell(SampleTable::DisplayA, row, row <= 150 ? "4" : "12");
        f.samples.SetCell(SampleTable::DisplayB, row, row % 2 ? "100" : "120");
    }
    const QImage image = Run(f);
    QCOMPARE(YsWithColour(image, 88, math), Range(168, 188));
    QCOMPARE(YsWithColour(image, 102, math), Range(168, 188));
    QVERIFY(YsWithColour(image, 87, math).isEmpty());
    QVERIFY(YsWithColour(image, 103, math).isEmpty());
    QCOMPARE(CountColour(image, Rgb(ColourA)), 0);
    QCOMPARE(CountColour(image, Rgb(ColourB)), 0);
}

void TracesTest::mathTracesAreClampedIntoTheTable_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QStringList>("cells");   // rows 1, 2, 3 before
    QTest::addColumn<QStringList>("clamped"); // rows 1, 2, 3 after
    QTest::addColumn<QList<int>>("ys");       // y of the points of rows 1, 2, 3

    // A + B is drawn at 288 - (code - SumOffset).
    QTest::newRow("sum below and above")
        << 1 << 10 << QStringList{"5", "300", "100"} << QStringList{"10", "265", "100"}
        << QList<int>{288, 33, 198};
    QTest::newRow("sum within range")
        << 1 << 127 << QStringList{"127", "382", "255"} << QStringList{"127", "382", "255"}
        << QList<int>{288, 33, 160};
    // A - B is drawn at 288 - (code + DifferenceOffset).
    QTest::newRow("difference below and above")
        << 2 << 20 << QStringList{"-30", "250", "0"} << QStringList{"-20", "235", "0"}
        << QList<int>{288, 33, 268};
    QTest::newRow("difference negative offset")
        << 2 << -5 << QStringList{"0", "261", "133"} << QStringList{"5", "260", "133"}
        << QList<int>{288, 33, 160};
}

void TracesTest::mathTracesAreClampedIntoTheTable() {
    QFETCH(int, mode);
    QFETCH(int, offset);
    QFETCH(QStringList, cells);
    QFETCH(QStringList, clamped);
    QFETCH(QList<int>, ys);

    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    f.instrument.mathMode = static_cast<MathMode>(mode);
    const int column = mode == 1 ? SampleTable::Sum : SampleTable::Difference;
    f.in.sumOffset = mode == 1 ? offset : 0;
    f.in.differenceOffset = mode == 2 ? offset : 0;
    // The rest of the sweep sits on the centre line.
    f.Fill(column, mode == 1 ? 128 + offset : 128 - offset);
    for (int i = 0; i < 3; ++i)
        f.samples.SetCell(column, i + 1, cells[i]);

    const QImage image = Run(f);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(f.samples.Cell(column, i + 1), clamped[i]);
    const QRgb math = Rgb(MathColour);
    // Point 1 starts the first segment at x = 20; points 2 and 3 end segments at x = 22
    // and 24 and start the next ones there.
    QCOMPARE(Pixel(image, 20, ys[0]), math);
    QCOMPARE(Pixel(image, 22, ys[1]), math);
    QCOMPARE(Pixel(image, 24, ys[2]), math);
    // The math trace never leaves y = 33..288.
    for (int y : {0, 32, 289, 319})
        QVERIFY(XsWithColour(image, y, math).isEmpty());
}

void TracesTest::mathMenuFollowsTheTraceSwitches_data() {
    QTest::addColumn<bool>("a");
    QTest::addColumn<bool>("b");
    QTest::addColumn<int>("modeBefore");
    QTest::addColumn<int>("modeAfter");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("both on keep A + B") << true << true << 1 << 1 << true;
    QTest::newRow("both on keep X-Y") << true << true << 3 << 3 << true;
    QTest::newRow("only A resets A - B") << true << false << 2 << 0 << false;
    QTest::newRow("only B resets X-Y") << false << true << 3 << 0 << false;
    QTest::newRow("none") << false << false << 1 << 0 << false;
}

void TracesTest::mathMenuFollowsTheTraceSwitches() {
    QFETCH(bool, a);
    QFETCH(bool, b);
    QFETCH(int, modeBefore);
    QFETCH(int, modeAfter);
    QFETCH(bool, enabled);

    ScreenFixture f;
    f.instrument.channelA.traceOn = a;
    f.instrument.channelB.traceOn = b;
    f.instrument.mathMode = static_cast<MathMode>(modeBefore);
    f.Fill(SampleTable::Sum, 256);
    f.Fill(SampleTable::Difference, 0);
    ScreenCanvas canvas;
    MathMenuState menu{!enabled, !enabled};
    DrawTraces(canvas, f.in, menu);
    QCOMPARE(static_cast<int>(f.instrument.mathMode), modeAfter);
    QCOMPARE(menu.modesEnabled, enabled);
    QCOMPARE(menu.hintsShown, enabled);
    if (!enabled)
        QCOMPARE(CountColour(canvas.Image(), Rgb(MathColour)), 0);
}

void TracesTest::emptyColumnsBeforeTheFirstSweepDrawNothing() {
    // The start-up table: codes 128 in the display columns, the math and weighted columns
    // empty. No error, and only the channel traces appear.
    for (int mode : {1, 2}) {
        ScreenFixture f;
        f.instrument.channelA.traceOn = true;
        f.instrument.channelB.traceOn = true;
        f.instrument.mathMode = static_cast<MathMode>(mode);
        const QImage image = Run(f);
        QCOMPARE(CountColour(image, Rgb(MathColour)), 0);
        QCOMPARE(CountColour(image, Rgb(ColourB)), 598);
    }
    // Half a first sweep: still nothing from the math column.
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    f.instrument.mathMode = MathMode::Sum;
    for (int row = 1; row <= 150; ++row)
        f.samples.SetCell(SampleTable::Sum, row, QStringLiteral("256"));
    QCOMPARE(CountColour(Run(f), Rgb(MathColour)), 0);
    // Weighted columns not yet filled: no channel trace while their effect is shown.
    f.in.showWindowEffect = true;
    f.instrument.mathMode = MathMode::None;
    const QImage weighted = Run(f);
    QCOMPARE(CountColour(weighted, Rgb(ColourA)), 0);
    QCOMPARE(CountColour(weighted, Rgb(ColourB)), 0);
}

void TracesTest::weightedColumnsReplaceTheChannels() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    f.Fill(SampleTable::WeightedA, 200);
    f.Fill(SampleTable::WeightedB, 50);
    f.in.showWindowEffect = true;
    QImage image = Run(f);
    QCOMPARE(XsWithColour(image, 88, Rgb(ColourA)), Range(20, 617));
    QCOMPARE(XsWithColour(image, 238, Rgb(ColourB)), Range(20, 617));
    QCOMPARE(XsWithColour(image, 160, Rgb(ColourA)), QList<int>{});

    // X-Y never uses the weighted columns.
    f.instrument.mathMode = MathMode::XY;
    f.samples.SetCell(SampleTable::DisplayA, 2, QStringLiteral("12"));
    image = Run(f);
    QCOMPARE(YsWithColour(image, 102, Rgb(MathColour)).isEmpty(), false);
}

void TracesTest::laterTracesCoverEarlierOnes() {
    // A, then B, then the math trace at each step: on a shared line the math colour wins.
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    f.instrument.mathMode = MathMode::Sum;
    f.Fill(SampleTable::Sum, 256);
    f.in.sumOffset = 128; // A + B drawn at 288 - 128 = 160, over A and B
    const QImage image = Run(f);
    QCOMPARE(XsWithColour(image, 160, Rgb(MathColour)), Range(20, 617));
    QCOMPARE(CountColour(image, Rgb(ColourA)), 0);
    QCOMPARE(CountColour(image, Rgb(ColourB)), 0);
}

void TracesTest::badCellStopsTheLayer() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.samples.SetCell(SampleTable::DisplayA, 5, QStringLiteral("12a"));
    ScreenCanvas canvas;
    MathMenuState menu;
    try {
        DrawTraces(canvas, f.in, menu);
        QFAIL("no error");
    } catch (const ConversionError& e) {
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("'12a' n'est pas une valeur entière correcte"));
    }
    // Segments of points 1 to 4 were drawn before the bad cell was read.
    QCOMPARE(XsWithColour(canvas.Image(), 160, Rgb(ColourA)), Range(20, 25));

    // A bad colour line fails only when its trace is drawn.
    ScreenFixture g;
    g.settings.SetLine(11, QStringLiteral("bleu"));
    g.instrument.channelA.traceOn = true;
    ScreenCanvas other;
    DrawTraces(other, g.in, menu);
    g.instrument.channelB.traceOn = true;
    QVERIFY_THROWS_EXCEPTION(ConversionError, DrawTraces(other, g.in, menu));
}

void TracesTest::unknownMagnificationDrawsNoTrace() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = false;
    f.instrument.mathMode = MathMode::Sum;
    f.in.magnification = 3;
    ScreenCanvas canvas;
    MathMenuState menu{true, true};
    DrawTraces(canvas, f.in, menu);
    QVERIFY(AllWhite(canvas.Image(), canvas.Image().rect()));
    QCOMPARE(f.instrument.mathMode, MathMode::None); // the menu step still ran
    QCOMPARE(menu.modesEnabled, false);
}

void TracesTest::mathTexts() {
    QCOMPARE(MathCaption(0), QStringLiteral("Pas de Mat&h"));
    QCOMPARE(MathCaption(3), QStringLiteral("Mode &X Y (Voie A = X et Voie B = Y)"));
    QCOMPARE(MathShortcut(2), QStringLiteral("Ctrl+F4"));
    QCOMPARE(MathToolTip(0), QStringLiteral("Pas de Math"));
    QCOMPARE(MathStatusHelp(0), QStringLiteral("Désactiver les fonctions mathématiques..."));
    QCOMPARE(MathToolTip(3), QStringLiteral("Mode X-Y (Voie A = X et Voie B = Y)"));
    QCOMPARE(MathStatusHelp(1),
             QStringLiteral("Activer la fonction mathématique : Voie A + Voie B..."));
    for (int mode = 0; mode < MathModeCount; ++mode)
        QCOMPARE(MathScreenLabel(mode).size(), 22);
    QCOMPARE(MathScreenLabel(0), QString(22, QLatin1Char(' ')));
    QCOMPARE(MathScreenLabel(3), QStringLiteral("Math : Mode X Y       "));
    QCOMPARE(MathCaption(4), QString());
}

QTEST_MAIN(TracesTest)
#include "tst_traces.moc"
