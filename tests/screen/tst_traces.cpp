#include "ScreenTestSupport.h"

#include "screen/Graticule.h"
#include "screen/Traces.h"

#include <QtTest>

using namespace ScreenTest;

// The trace layer: vertical and horizontal mapping, the magnifier, the math modes, the
// weighted values, the colours; and that drawing only reads the store. (The Math menu
// rule and the clamping of the math values are the session's, run before each redraw:
// see tst_screencontroller.)
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
    void drawingLeavesTheStoreUnchanged_data();
    void drawingLeavesTheStoreUnchanged();
    void mathIsDrawnOnlyWithBothTraces_data();
    void mathIsDrawnOnlyWithBothTraces();
    void emptyColumnsBeforeTheFirstSweepDrawNothing();
    void weightedColumnsReplaceTheChannels();
    void laterTracesCoverEarlierOnes();
    void badColourTextDrawsInTheProgramsOwnColour_data();
    void badColourTextDrawsInTheProgramsOwnColour();
    void unknownMagnificationDrawsNoTrace();
    void mathTexts();

private:
    static QImage Run(ScreenFixture& f);
};

QImage TracesTest::Run(ScreenFixture& f) {
    ScreenCanvas canvas;
    DrawTraces(canvas, f.in);
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
        f.Fill(channel == Channel::A ? DisplayA : DisplayB, code);
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
    f.Set(DisplayA, lastPoint, 228);
    for (int row = lastPoint + 1; row <= 300; ++row)
        f.Set(DisplayA, row, 0);
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
        f.Set(DisplayA, row, row <= 150 ? 4 : 12);
        f.Set(DisplayB, row, row % 2 ? 100 : 120);
    }
    const QImage image = Run(f);
    QCOMPARE(YsWithColour(image, 88, math), Range(168, 188));
    QCOMPARE(YsWithColour(image, 102, math), Range(168, 188));
    QVERIFY(YsWithColour(image, 87, math).isEmpty());
    QVERIFY(YsWithColour(image, 103, math).isEmpty());
    QCOMPARE(CountColour(image, Rgb(ColourA)), 0);
    QCOMPARE(CountColour(image, Rgb(ColourB)), 0);
}

// Math values beyond the screen are drawn where they fall: cutting them is the session's
// step before the redraw, and the drawing writes nothing into the store.
void TracesTest::drawingLeavesTheStoreUnchanged_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QList<int>>("values"); // points 1, 2, 3
    QTest::addColumn<QList<int>>("ys");     // y of the points 1 and 3

    // A + B is drawn at 288 - (value - SumOffset): 5 falls below the bottom line and 300
    // above the raster.
    QTest::newRow("sum") << 1 << 10 << QList<int>{5, 300, 100} << QList<int>{293, 198};
    // A - B is drawn at 288 - (value + DifferenceOffset): -30 below the bottom line, 250
    // above the top line.
    QTest::newRow("difference") << 2 << 20 << QList<int>{-30, 250, 0} << QList<int>{298, 268};
}

void TracesTest::drawingLeavesTheStoreUnchanged() {
    QFETCH(int, mode);
    QFETCH(int, offset);
    QFETCH(QList<int>, values);
    QFETCH(QList<int>, ys);

    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    f.instrument.mathMode = static_cast<MathMode>(mode);
    const Field field = mode == 1 ? Sum : Difference;
    f.in.sumOffset = mode == 1 ? offset : 0;
    f.in.differenceOffset = mode == 2 ? offset : 0;
    // The rest of the sweep sits on the centre line.
    f.Fill(field, mode == 1 ? 128 + offset : 128 - offset);
    for (int i = 0; i < 3; ++i)
        f.Set(field, i + 1, values[i]);
    const SampleTable before = f.samples;

    const QImage image = Run(f);
    QCOMPARE(f.samples == before, true);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(f.samples.At(i + 1).*field, values[i]);
    const QRgb math = Rgb(MathColour);
    QCOMPARE(Pixel(image, 20, ys[0]), math);
    QCOMPARE(Pixel(image, 24, ys[1]), math);
    // Nothing cut: the segment from point 1 reaches below the bottom line, the one to
    // point 2 above the top line.
    QVERIFY(!XsWithColour(image, 290, math).isEmpty());
    QVERIFY(!XsWithColour(image, 20, math).isEmpty());
}

void TracesTest::mathIsDrawnOnlyWithBothTraces_data() {
    QTest::addColumn<bool>("a");
    QTest::addColumn<bool>("b");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("mathPixels");
    QTest::addColumn<int>("pixelsA");
    QTest::addColumn<int>("pixelsB");
    // Sum 256 at offset 0 lies on y = 32, difference 0 on y = 288: away from the channels.
    QTest::newRow("both on, A + B") << true << true << 1 << 598 << 598 << 598;
    QTest::newRow("both on, A - B") << true << true << 2 << 598 << 598 << 598;
    QTest::newRow("both on, X-Y of constant channels") << true << true << 3 << 0 << 0 << 0;
    QTest::newRow("only A, A - B") << true << false << 2 << 0 << 598 << 0;
    QTest::newRow("only B, X-Y") << false << true << 3 << 0 << 0 << 598;
    QTest::newRow("none, A + B") << false << false << 1 << 0 << 0 << 0;
}

void TracesTest::mathIsDrawnOnlyWithBothTraces() {
    QFETCH(bool, a);
    QFETCH(bool, b);
    QFETCH(int, mode);
    QFETCH(int, mathPixels);
    QFETCH(int, pixelsA);
    QFETCH(int, pixelsB);

    ScreenFixture f;
    f.instrument.channelA.traceOn = a;
    f.instrument.channelB.traceOn = b;
    f.instrument.mathMode = static_cast<MathMode>(mode);
    f.Fill(Sum, 256);
    f.Fill(Difference, 0);
    f.Fill(DisplayA, 100);
    f.Fill(DisplayB, 200);
    const QImage image = Run(f);
    QCOMPARE(CountColour(image, Rgb(MathColour)), mathPixels);
    QCOMPARE(CountColour(image, Rgb(ColourA)), pixelsA);
    QCOMPARE(CountColour(image, Rgb(ColourB)), pixelsB);
    QCOMPARE(static_cast<int>(f.instrument.mathMode), mode); // drawing changes no state
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
        f.Set(Sum, row, 256);
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
    f.Fill(WeightedA, 200);
    f.Fill(WeightedB, 50);
    f.in.showWindowEffect = true;
    QImage image = Run(f);
    QCOMPARE(XsWithColour(image, 88, Rgb(ColourA)), Range(20, 617));
    QCOMPARE(XsWithColour(image, 238, Rgb(ColourB)), Range(20, 617));
    QCOMPARE(XsWithColour(image, 160, Rgb(ColourA)), QList<int>{});

    // X-Y never uses the weighted columns.
    f.instrument.mathMode = MathMode::XY;
    f.Set(DisplayA, 2, 12);
    image = Run(f);
    QCOMPARE(YsWithColour(image, 102, Rgb(MathColour)).isEmpty(), false);
}

void TracesTest::laterTracesCoverEarlierOnes() {
    // A, then B, then the math trace at each step: on a shared line the math colour wins.
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    f.instrument.mathMode = MathMode::Sum;
    f.Fill(Sum, 256);
    f.in.sumOffset = 128; // A + B drawn at 288 - 128 = 160, over A and B
    const QImage image = Run(f);
    QCOMPARE(XsWithColour(image, 160, Rgb(MathColour)), Range(20, 617));
    QCOMPARE(CountColour(image, Rgb(ColourA)), 0);
    QCOMPARE(CountColour(image, Rgb(ColourB)), 0);
}

// A colour line always holds a number: text that is not one is replaced by the program's
// own colour for that line, and the trace is drawn in it.
void TracesTest::badColourTextDrawsInTheProgramsOwnColour_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("colour"); // the program's own colour of the line
    QTest::addColumn<int>("y");      // where the trace of that colour lies

    QTest::newRow("channel A, word") << 10 << "rouge" << 255 << 100;
    QTest::newRow("channel A, empty") << 10 << "" << 255 << 100;
    QTest::newRow("channel B, hexadecimal") << 11 << "0xFF0000" << 16711680 << 200;
    QTest::newRow("channel B, decimal comma") << 11 << "12,5" << 16711680 << 200;
    QTest::newRow("math, word") << 15 << "vert" << 1813282 << 32;
    QTest::newRow("math, trailing space") << 15 << "65280 " << 1813282 << 32;
}

void TracesTest::badColourTextDrawsInTheProgramsOwnColour() {
    QFETCH(int, line);
    QFETCH(QString, text);
    QFETCH(int, colour);
    QFETCH(int, y);

    // Every trace starts in green, which none of the program's own colours is.
    const int green = 65280;
    ScreenFixture f;
    for (int l : {10, 11, 15})
        f.settings.SetLine(l, QString::number(green));
    f.settings.SetLine(line, text);
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    f.instrument.mathMode = MathMode::Sum;
    f.Fill(DisplayA, 188);
    f.Fill(DisplayB, 88);
    f.Fill(Sum, 256);

    const QImage image = Run(f);
    QCOMPARE(XsWithColour(image, y, Rgb(colour)), Range(20, 617));
    QCOMPARE(CountColour(image, Rgb(colour)), 598);
    QCOMPARE(CountColour(image, Rgb(green)), 2 * 598);
}

void TracesTest::unknownMagnificationDrawsNoTrace() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = false;
    f.instrument.mathMode = MathMode::Sum;
    f.in.magnification = 3;
    ScreenCanvas canvas;
    DrawTraces(canvas, f.in);
    QVERIFY(AllWhite(canvas.Image(), canvas.Image().rect()));
    f.in.magnification = 1;
    DrawTraces(canvas, f.in);
    QCOMPARE(CountColour(canvas.Image(), Rgb(ColourA)), 598);
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
