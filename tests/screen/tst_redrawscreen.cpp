#include "ScreenTestSupport.h"

#include "app/Conversion.h"
#include "screen/Annotations.h"
#include "screen/Graticule.h"
#include "screen/OscilloscopeScreen.h"

#include <QtTest>

using namespace ScreenTest;

// The full redraw: its twelve layers in order, the spectrum branch, failures, and the idle
// animation drawn over it.
class RedrawScreenTest : public QObject {
    Q_OBJECT
private slots:
    void layersComeInOrder();
    void laterLayersCoverEarlierOnes();
    void mathLabelShowsTheModeAfterTheReset();
    void startUpScreen();
    void spectrumBranchOnlyWritesTheChannelLabels();
    void failureStopsTheRedrawWhereItHappens_data();
    void failureStopsTheRedrawWhereItHappens();
    void clockRefreshWritesOverTheCurrentRaster();
    void animationRatio_data();
    void animationRatio();
    void animationPhaseCycles();
    void animationFigure();
};

void RedrawScreenTest::layersComeInOrder() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    f.instrument.mathMode = MathMode::Sum;
    f.Fill(SampleTable::Sum, 256);
    f.in.sumOffset = 128;
    QStringList calls;
    // Each marker layer sees the math label and the traces already drawn, and no ground
    // marker yet.
    auto hook = [&calls](const char* name) {
        return [&calls, name](ScreenCanvas& canvas) {
            calls << QString::fromLatin1(name);
            QVERIFY(HasTextCell(canvas.Image(), 490, 306, QStringLiteral("Math : Voie A + Voie B"),
                                MathColour));
            QCOMPARE(Pixel(canvas.Image(), 100, 160), Rgb(MathColour));
            QCOMPARE(Pixel(canvas.Image(), 16, 160), White);
        };
    };
    f.layers.drawMarkerLines = hook("lines");
    f.layers.drawTimeReadout = hook("time");
    f.layers.drawVoltageReadout = hook("voltage");
    f.layers.computeSpectrum = [&calls] { calls << QStringLiteral("spectrum"); };

    OscilloscopeScreen screen;
    screen.RedrawScreen(f.in);
    QCOMPARE(calls, (QStringList{"lines", "time", "voltage"}));
    const QImage& image = screen.Image();
    QVERIFY(HasTextCell(image, 20, 1, QStringLiteral("9:05:07  "), ClockColour));
    QVERIFY(HasTextCell(image, 20, 15, QStringLiteral("05/03/2007  "), ClockColour));
    QVERIFY(HasTextCell(image, 490, 15, QStringLiteral("Time / Div x1 : 0.1ms"), 0));
    QVERIFY(HasTextCell(image, 120, 1, QStringLiteral("Couplage VOIE A (X) : GND"), ColourA));
    QVERIFY(HasTextCell(image, 320, 15, QStringLiteral("Volts / Div x1 : 1V"), ColourB));
    QVERIFY(HasTextCell(image, 490, 293, QStringLiteral("Trigger : OFF"), 0));
    QVERIFY(HasTextCell(image, 8, 154, QStringLiteral("0"), ColourA));
    QCOMPARE(Pixel(image, 19, 31), Rgb(GraticuleColour));
}

void RedrawScreenTest::laterLayersCoverEarlierOnes() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    // A marker line across the whole width at y = 160: over the trace and the graticule,
    // under the ground marker.
    f.layers.drawMarkerLines = [](ScreenCanvas& canvas) {
        canvas.SetPenColour(16711935);
        canvas.SetPenStyle(PenStyle::Dashed);
        canvas.MoveTo(0, 160);
        canvas.LineTo(640, 160);
    };
    OscilloscopeScreen screen;
    screen.RedrawScreen(f.in);
    const QImage& image = screen.Image();
    QCOMPARE(Pixel(image, 100, 160), Rgb(16711935));
    QCOMPARE(Pixel(image, 16, 160), Rgb(ColourA)); // ground tick
    QCOMPARE(Pixel(image, 630, 160), Rgb(16711935));
    QCOMPARE(Pixel(image, 42, 160), Rgb(ColourA)); // a gap of the dashes shows the trace

    // The next redraw starts from the default pen: no dash, no marker colour left over.
    f.layers.drawMarkerLines = nullptr;
    f.instrument.channelA.traceOn = false;
    screen.RedrawScreen(f.in);
    ScreenCanvas reference;
    DrawGraticule(reference, f.settings);
    QCOMPARE(screen.Image().copy(19, 31, 603, 259), reference.Image().copy(19, 31, 603, 259));
}

void RedrawScreenTest::mathLabelShowsTheModeAfterTheReset() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.mathMode = MathMode::Difference;
    OscilloscopeScreen screen;
    screen.RedrawScreen(f.in);
    QCOMPARE(f.instrument.mathMode, MathMode::None);
    QVERIFY(HasTextCell(screen.Image(), 490, 306, QString(22, QLatin1Char(' ')), MathColour));
    QCOMPARE(screen.MathMenu().modesEnabled, false);
    QCOMPARE(screen.TraceLayerRuns(), 1);
}

void RedrawScreenTest::startUpScreen() {
    // Before the first sweep: channel A on and grounded, all codes 128: a flat trace on the
    // centre line from 20 to 618, the ground marker measured at 128 (y = 160).
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    OscilloscopeScreen screen;
    screen.RedrawScreen(f.in);
    QCOMPARE(XsWithColour(screen.Image(), 160, Rgb(ColourA), 15, 639),
             Union(Range(15, 18), Range(20, 617)));
    QCOMPARE(f.instrument.channelA.groundLevel, 128);
    QCOMPARE(screen.LastClock().hour, 9);
}

void RedrawScreenTest::spectrumBranchOnlyWritesTheChannelLabels() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    OscilloscopeScreen screen;
    screen.RedrawScreen(f.in);
    const QImage before = screen.Image().copy();

    int spectra = 0;
    bool markersDrawn = false;
    f.layers.computeSpectrum = [&spectra] { ++spectra; };
    f.layers.drawMarkerLines = [&markersDrawn](ScreenCanvas&) { markersDrawn = true; };
    f.in.spectrumMode = true;
    f.instrument.channelB.traceOn = false;
    f.instrument.timeBaseIndex = 1;
    f.in.now = QDateTime(QDate(2008, 1, 1), QTime(12, 0, 0));
    screen.RedrawScreen(f.in);

    QCOMPARE(spectra, 1);
    QVERIFY(!markersDrawn);
    QCOMPARE(screen.TraceLayerRuns(), 1);
    const QImage& after = screen.Image();
    // Channel B's labels are blanked, everything else is as it was.
    QVERIFY(AllWhite(after, QRect(320, 1, 150, 27)));
    QImage expected = before;
    for (int y = 1; y < 28; ++y)
        for (int x = 320; x < 320 + ScreenFont::TextWidth(QString(42, QLatin1Char(' '))); ++x)
            expected.setPixel(x, y, White);
    QCOMPARE(after, expected);
}

void RedrawScreenTest::failureStopsTheRedrawWhereItHappens_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("graticule");
    QTest::addColumn<bool>("clock");
    QTest::addColumn<bool>("trace");
    QTest::addColumn<bool>("markers");

    QTest::newRow("graticule colour") << 9 << false << false << false << false;
    QTest::newRow("clock colour") << 8 << true << false << false << false;
    QTest::newRow("channel A colour") << 10 << true << true << false << false;
    QTest::newRow("math colour") << 15 << true << true << true << false;
}

void RedrawScreenTest::failureStopsTheRedrawWhereItHappens() {
    QFETCH(int, line);
    QFETCH(bool, graticule);
    QFETCH(bool, clock);
    QFETCH(bool, trace);
    QFETCH(bool, markers);

    ScreenFixture f;
    f.instrument.channelB.traceOn = true;
    f.instrument.channelA.traceOn = true;
    bool markersDrawn = false;
    f.layers.drawMarkerLines = [&markersDrawn](ScreenCanvas&) { markersDrawn = true; };
    f.settings.SetLine(line, QStringLiteral("12,5"));
    OscilloscopeScreen screen;
    try {
        screen.RedrawScreen(f.in);
        QFAIL("no error");
    } catch (const ConversionError& e) {
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("'12,5' n'est pas une valeur entière correcte"));
    }
    const QImage& image = screen.Image();
    QCOMPARE(Pixel(image, 19, 31) == Rgb(GraticuleColour), graticule);
    QCOMPARE(HasTextCell(image, 20, 1, QStringLiteral("9:05:07  "), ClockColour), clock);
    QCOMPARE(Pixel(image, 100, 160) == Rgb(ColourB), trace);
    QCOMPARE(markersDrawn, markers);
    if (!graticule)
        QVERIFY(AllWhite(image, image.rect()));
}

void RedrawScreenTest::clockRefreshWritesOverTheCurrentRaster() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    OscilloscopeScreen screen;
    f.in.now = QDateTime(QDate(2007, 12, 25), QTime(10, 15, 30));
    screen.RedrawScreen(f.in);
    const QImage before = screen.Image().copy();
    screen.DrawClock(f.settings, QDateTime(QDate(2007, 12, 25), QTime(9, 5, 7)));
    // The shorter time's two trailing spaces blank the end of the longer one.
    const QImage& after = screen.Image();
    QVERIFY(HasTextCell(after, 20, 1, QStringLiteral("9:05:07  "), ClockColour));
    const int shortWidth = ScreenFont::TextWidth(QStringLiteral("9:05:07  "));
    const int longWidth = ScreenFont::TextWidth(QStringLiteral("10:15:30  "));
    QVERIFY(AllWhite(after, QRect(20 + shortWidth, 1, longWidth - shortWidth, 13)));
    QCOMPARE(after.copy(0, 30, 640, 290), before.copy(0, 30, 640, 290));
    QCOMPARE(screen.LastClock().hour, 9);
}

void RedrawScreenTest::animationRatio_data() {
    QTest::addColumn<double>("phase");
    QTest::addColumn<int>("ratio");
    QTest::newRow("0.1") << 0.1 << 1;
    QTest::newRow("32.9") << 32.9 << 1;
    QTest::newRow("33.1") << 33.1 << 2;
    QTest::newRow("65.9") << 65.9 << 2;
    QTest::newRow("66.1") << 66.1 << 3;
    QTest::newRow("99.9") << 99.9 << 3;
    QTest::newRow("100.1") << 100.1 << 2;
    QTest::newRow("133.1") << 133.1 << 2;
}

void RedrawScreenTest::animationRatio() {
    QFETCH(double, phase);
    QFETCH(int, ratio);
    QCOMPARE(AnimationRatio(phase), ratio);
}

void RedrawScreenTest::animationPhaseCycles() {
    // The first cycle, from 0, lasts 1331 ticks; later ones, from 1, last 1321.
    ScreenFixture f;
    OscilloscopeScreen screen;
    QCOMPARE(screen.AnimationPhase(), 0.0);
    screen.IdleAnimation(f.in);
    QCOMPARE(screen.AnimationPhase(), 0.1);
    int ticks = 1;
    while (screen.AnimationPhase() != 1.0 && ticks < 2000) {
        screen.IdleAnimation(f.in);
        ++ticks;
    }
    QCOMPARE(ticks, 1331);
    ticks = 0;
    do {
        screen.IdleAnimation(f.in);
        ++ticks;
    } while (screen.AnimationPhase() != 1.0 && ticks < 2000);
    QCOMPARE(ticks, 1321);
}

void RedrawScreenTest::animationFigure() {
    ScreenFixture f;
    OscilloscopeScreen screen;
    screen.SetAnimationPhase(49.9); // the tick draws phase 50: ratio 2, colour 5000000
    screen.IdleAnimation(f.in);
    const QRgb colour = Rgb(5000000);
    const QImage& image = screen.Image();
    // First dash: s = 0 from (320, 134) towards (370, 144).
    QCOMPARE(Pixel(image, 320, 134), colour);
    QCOMPARE(Pixel(image, 547, 227), colour); // second dash, s = 1
    // The figure stays within x = 70..570, y = 60..260 and drifts over the screen's texts.
    int count = 0;
    QRect box;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 640; ++x)
            if (Pixel(image, x, y) == colour) {
                ++count;
                box |= QRect(x, y, 1, 1);
            }
    QVERIFY(count > 1000);
    QVERIFY(QRect(70, 60, 501, 201).contains(box));
    QVERIFY(box.width() > 450 && box.height() > 180);
    // Drawn over a full redraw.
    QCOMPARE(Pixel(image, 19, 31), Rgb(GraticuleColour));
    QVERIFY(HasTextCell(image, 20, 1, QStringLiteral("9:05:07  "), ClockColour));
    QCOMPARE(screen.AnimationPhase(), 50.0);
}

QTEST_MAIN(RedrawScreenTest)
#include "tst_redrawscreen.moc"
