#include "ScreenTestSupport.h"

#include "screen/Annotations.h"
#include "screen/Graticule.h"
#include "screen/OscilloscopeScreen.h"

#include <QPainter>
#include <QtTest>
#include <cmath>
#include <stdexcept>

using namespace ScreenTest;

// The full redraw: its twelve layers in order, the spectrum branch, a failing layer, that
// it only reads its inputs, and the idle animation drawn over it.
class RedrawScreenTest : public QObject {
    Q_OBJECT
private slots:
    void layersComeInOrder();
    void laterLayersCoverEarlierOnes();
    void startUpScreen();
    void redrawOnlyReadsItsInputs();
    void spectrumBranchOnlyWritesTheChannelLabels();
    void badColourTextKeepsEveryLayer_data();
    void badColourTextKeepsEveryLayer();
    void failingLayerStopsTheRedrawWhereItHappens_data();
    void failingLayerStopsTheRedrawWhereItHappens();
    void clockRefreshWritesOverTheCurrentRaster();
    void animationRatio_data();
    void animationRatio();
    void animationPhaseCycles();
    void animationFigure();
    void idleTicksKeepEveryPixel();
    void redrawsGiveTheWindowEveryChange();
};

void RedrawScreenTest::layersComeInOrder() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    f.instrument.mathMode = MathMode::Sum;
    f.Fill(Sum, 256);
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

void RedrawScreenTest::startUpScreen() {
    // Before the first sweep: channel A on and grounded, all codes 128: a flat trace on the
    // centre line from 20 to 618, the ground marker at the level measured on it, 128
    // (y = 160).
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    OscilloscopeScreen screen;
    screen.RedrawScreen(f.in);
    QCOMPARE(XsWithColour(screen.Image(), 160, Rgb(ColourA), 15, 639),
             Union(Range(15, 18), Range(20, 617)));
    QVERIFY(HasTextCell(screen.Image(), 8, 154, QStringLiteral("0"), ColourA));
    QCOMPARE(screen.LastClock().hour, 9);
    QCOMPARE(screen.LastClock().Minute(), QStringLiteral("5"));
}

// The redraw writes nothing but the raster: the store, the settings and the instrument
// state are as they were, also where the session would change them (a math mode with
// one trace off, sums beyond the screen, a grounded channel whose samples are elsewhere).
void RedrawScreenTest::redrawOnlyReadsItsInputs() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.mathMode = MathMode::Sum;
    f.instrument.channelA.groundLevel = 7;
    f.Fill(Sum, 600);
    f.Fill(Difference, -600);
    f.Fill(DisplayA, 30);
    f.layers.drawMarkerLines = [](ScreenCanvas& canvas) { canvas.LineTo(10, 10); };
    const SampleTable samples = f.samples;
    const PersistedSettings settings = f.settings;

    OscilloscopeScreen screen;
    screen.RedrawScreen(f.in);
    screen.IdleAnimation(f.in);
    QVERIFY(f.samples == samples);
    QVERIFY(f.settings == settings);
    QCOMPARE(f.instrument.mathMode, MathMode::Sum);
    QCOMPARE(f.instrument.channelA.groundLevel, 7);
    QCOMPARE(f.instrument.channelA.groundMarkerShown, true);
    QCOMPARE(f.instrument.channelB.traceOn, false);
    // Drawn as given: the marker at level 7 (y = 281), not at the samples' 30 (y = 258).
    QCOMPARE(XsWithColour(screen.Image(), 281, Rgb(ColourA), 15, 19), Range(15, 18));
    QCOMPARE(XsWithColour(screen.Image(), 258, Rgb(ColourA), 15, 19), QList<int>{});
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
    const QImage& after = screen.Image();
    // Channel B's labels are blanked, everything else is as it was.
    QVERIFY(AllWhite(after, QRect(320, 1, 150, 27)));
    QImage expected = before;
    for (int y = 1; y < 28; ++y)
        for (int x = 320; x < 320 + ScreenFont::TextWidth(QString(42, QLatin1Char(' '))); ++x)
            expected.setPixel(x, y, White);
    QCOMPARE(after, expected);
}

// A colour line always holds a number, so no colour stops the redraw any more: text that
// is not a number is replaced by the program's own colour for that line, that layer is
// drawn in it, and every later layer is drawn too.
void RedrawScreenTest::badColourTextKeepsEveryLayer_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("graticule"); // colour of the frame
    QTest::addColumn<int>("clock");     // colour of the time
    QTest::addColumn<int>("traceB");    // colour of channel B's trace and labels
    QTest::addColumn<int>("math");      // colour of the math trace and label

    QTest::newRow("graticule") << 9 << 0 << ClockColour << 65280 << 65280;
    QTest::newRow("clock") << 8 << GraticuleColour << 0 << 65280 << 65280;
    QTest::newRow("channel B") << 11 << GraticuleColour << ClockColour << 16711680 << 65280;
    QTest::newRow("math") << 15 << GraticuleColour << ClockColour << 65280 << 1813282;
}

void RedrawScreenTest::badColourTextKeepsEveryLayer() {
    QFETCH(int, line);
    QFETCH(int, graticule);
    QFETCH(int, clock);
    QFETCH(int, traceB);
    QFETCH(int, math);

    ScreenFixture f;
    // Channel B and the math trace in green, which none of the program's colours is.
    f.settings.SetLine(11, QStringLiteral("65280"));
    f.settings.SetLine(15, QStringLiteral("65280"));
    f.settings.SetLine(line, QStringLiteral("12,5"));
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    f.instrument.mathMode = MathMode::Sum;
    f.Fill(DisplayB, 100);
    f.Fill(Sum, 228);
    bool markersDrawn = false;
    f.layers.drawMarkerLines = [&markersDrawn](ScreenCanvas&) { markersDrawn = true; };
    OscilloscopeScreen screen;
    screen.RedrawScreen(f.in);

    const QImage& image = screen.Image();
    QCOMPARE(Pixel(image, 19, 31), Rgb(graticule));
    QVERIFY(HasTextCell(image, 20, 1, QStringLiteral("9:05:07  "), clock));
    QVERIFY(HasTextCell(image, 20, 15, QStringLiteral("05/03/2007  "), clock));
    QCOMPARE(XsWithColour(image, 188, Rgb(traceB)), Range(20, 617));
    QVERIFY(HasTextCell(image, 320, 1, QStringLiteral("Couplage VOIE B (Y) : GND"), traceB));
    QCOMPARE(XsWithColour(image, 60, Rgb(math)), Range(20, 617));
    QVERIFY(HasTextCell(image, 490, 306, QStringLiteral("Math : Voie A + Voie B"), math));
    QVERIFY(markersDrawn);
    QVERIFY(HasTextCell(image, 8, 154, QStringLiteral("0"), ColourA)); // the last layer
}

// A layer drawn by another part of the program may fail: the redraw stops there, and the
// raster keeps what was drawn before it.
void RedrawScreenTest::failingLayerStopsTheRedrawWhereItHappens_data() {
    QTest::addColumn<int>("failing"); // 0 marker lines, 1 time readout, 2 voltage readout
    QTest::addColumn<QStringList>("drawn");
    QTest::newRow("marker lines") << 0 << QStringList{};
    QTest::newRow("time readout") << 1 << QStringList{"lines"};
    QTest::newRow("voltage readout") << 2 << QStringList{"lines", "time"};
}

void RedrawScreenTest::failingLayerStopsTheRedrawWhereItHappens() {
    QFETCH(int, failing);
    QFETCH(QStringList, drawn);

    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    QStringList calls;
    const auto layer = [&calls, failing](int index, const char* name) {
        return [&calls, failing, index, name](ScreenCanvas& canvas) {
            if (index == failing)
                throw std::runtime_error("Relevé impossible");
            calls << QString::fromLatin1(name);
            canvas.SetTextColour(16711935);
            canvas.TextOut(30 + 100 * index, 293, QString::fromLatin1(name));
        };
    };
    f.layers.drawMarkerLines = layer(0, "lines");
    f.layers.drawTimeReadout = layer(1, "time");
    f.layers.drawVoltageReadout = layer(2, "voltage");
    OscilloscopeScreen screen;
    try {
        screen.RedrawScreen(f.in);
        QFAIL("no error");
    } catch (const std::runtime_error& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Relevé impossible"));
    }
    QCOMPARE(calls, drawn);
    const QImage& image = screen.Image();
    for (int i = 0; i < drawn.size(); ++i)
        QVERIFY(HasTextCell(image, 30 + 100 * i, 293, drawn[i], 16711935));
    // The layers before the hooks are on the raster; the ground marker after them is not.
    QCOMPARE(Pixel(image, 19, 31), Rgb(GraticuleColour));
    QCOMPARE(XsWithColour(image, 160, Rgb(ColourA), 20, 639), Range(20, 617));
    QVERIFY(HasTextCell(image, 490, 293, QStringLiteral("Trigger : OFF"), 0));
    QVERIFY(AllWhite(image, QRect(0, 140, 19, 40)));
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

namespace {

// The picture a window shows when it is given the screen's raster as it was made, then,
// after each operation, only the part of the raster the screen says changed.
struct ShownPicture {
    QImage shown;
    explicit ShownPicture(const OscilloscopeScreen& screen) : shown(screen.Image().copy()) {}
    void Take(const OscilloscopeScreen& screen) {
        QPainter painter(&shown);
        for (const QRect& area : screen.Changed())
            painter.drawImage(area.topLeft(), screen.Image(), area);
    }
};

} // namespace

// Ticks that only move the figure put back the picture under the previous one: at every
// tick the raster is the one a screen drawing that tick from scratch makes (a full redraw
// and the figure over it), through the ratio changes, the colours, the cycle's restart, a
// second of the clock, a setting, a trace, a clock refresh and a marker layer; and the
// part said to have changed brings a window showing the previous picture to the new one.
void RedrawScreenTest::idleTicksKeepEveryPixel() {
    ScreenFixture f;
    int markerRuns = 0;
    f.layers.drawMarkerLines = [&markerRuns](ScreenCanvas& canvas) {
        ++markerRuns;
        canvas.SetPenColour(16711935);
        canvas.MoveTo(0, 100);
        canvas.LineTo(640, 100);
    };
    OscilloscopeScreen screen;
    ShownPicture window(screen);
    int onlyTheFigure = 0;
    // Phases 0.1 .. 133 and on past the restart at 1.
    for (int tick = 1; tick <= 1400; ++tick) {
        if (tick == 200)
            f.in.now = f.in.now.addSecs(1);
        if (tick == 400)
            f.settings.SetOn(2, !f.settings.IsOn(2));
        if (tick == 600) {
            f.instrument.channelA.traceOn = true;
            f.Fill(DisplayA, 200);
        }
        if (tick == 800) {
            screen.DrawClock(f.settings, f.in.now.addSecs(1));
            window.Take(screen);
        }
        const double before = screen.AnimationPhase();
        const int runsBefore = markerRuns;
        screen.IdleAnimation(f.in);
        window.Take(screen);
        if (markerRuns == runsBefore) {
            ++onlyTheFigure;
            QVERIFY2(screen.Changed().boundingRect().width() *
                             screen.Changed().boundingRect().height() <
                         ScreenCanvas::Width * ScreenCanvas::Height,
                     "a tick that only moves the figure says that the whole screen changed");
        }

        OscilloscopeScreen fresh;
        fresh.SetAnimationPhase(before);
        fresh.IdleAnimation(f.in);
        if (screen.Image() != fresh.Image())
            QFAIL(qPrintable(QStringLiteral("tick %1 (phase %2): the raster differs from a "
                                            "redraw with the figure")
                                 .arg(tick)
                                 .arg(screen.AnimationPhase())));
        if (window.shown != screen.Image())
            QFAIL(qPrintable(QStringLiteral("tick %1: the window misses a change").arg(tick)));
    }
    // Every tick but those after a change of inputs only moved the figure: the first, the
    // clock's second, the setting, the trace, the clock refresh.
    QCOMPARE(onlyTheFigure, 1400 - 5);
}

// A redraw says which part changed: a window given only that part after each of a series
// of sweeps, a clock refresh and a redraw on the same inputs shows the raster; and the
// raster of each is the one a new screen draws.
void RedrawScreenTest::redrawsGiveTheWindowEveryChange() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    OscilloscopeScreen screen;
    ShownPicture window(screen);
    for (int sweep = 0; sweep < 12; ++sweep) {
        for (int row = 1; row <= Sweep::Points; ++row) {
            f.Set(DisplayA, row, 128 + int(std::lround(90 * std::sin(row * 0.05 + sweep))));
            f.Set(DisplayB, row, (row * 7 + sweep * 13) % 256);
        }
        if (sweep == 6)
            f.instrument.channelB.traceOn = false;
        if (sweep == 9) {
            screen.DrawClock(f.settings, f.in.now.addSecs(sweep));
            window.Take(screen);
            QCOMPARE(window.shown, screen.Image());
        }
        screen.RedrawScreen(f.in);
        window.Take(screen);
        OscilloscopeScreen fresh;
        fresh.RedrawScreen(f.in);
        QCOMPARE(screen.Image(), fresh.Image());
        QCOMPARE(window.shown, screen.Image());
    }
    // The same inputs again: nothing to give.
    screen.RedrawScreen(f.in);
    QVERIFY(screen.Changed().isEmpty());
}

QTEST_MAIN(RedrawScreenTest)
#include "tst_redrawscreen.moc"
