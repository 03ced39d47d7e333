#include "ScreenTestSupport.h"

#include "SessionProbe.h"
#include "TestTimings.h"
#include "core/SettingsFile.h"
#include "core/Timings.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <ctime>
#include <stdexcept>

using namespace ScreenTest;

namespace {

const QDateTime Morning(QDate(2007, 3, 5), QTime(9, 5, 7));
const QDateTime Christmas(QDate(2007, 12, 25), QTime(10, 15, 30));

// Writes the display lines into the session's settings file and loads it, as the program
// finds it at start.
void LoadDisplaySettings(SessionProbe& probe) {
    SettingsFile::Save(probe.dir.path() + QStringLiteral("/parametres.inf"), DisplaySettings());
    probe.session.LoadSettings();
    probe.session.NoteProgramFolder();
}

// The packets of one sweep: point k carries the codes codes(k).
QByteArray SweepBytes(const std::function<std::pair<int, int>(int point)>& codes) {
    QByteArray bytes;
    for (int point = 1; point <= Sweep::Points; ++point) {
        const auto [a, b] = codes(point);
        bytes += 'A' + QByteArray::number(a).rightJustified(3, '0') + (point == 1 ? '#' : '%') +
                 QByteArray::number(b).rightJustified(3, '0') + 'B';
    }
    return bytes;
}

} // namespace

// The refresh cycle over the session: a redraw per request of the session, the session's
// preparation before each oscilloscope redraw (the Math menu rule, the cut math values,
// the measured ground levels), what reaches the redraw, the two timers, and failures of
// the layers other parts of the program draw.
class ScreenControllerTest : public QObject {
    Q_OBJECT
private slots:
    void startState();
    void redrawsOncePerRequest_data();
    void redrawsOncePerRequest();
    void fullRedrawWhitensThePanel();
    void sessionPreparesEachOscilloscopeRedraw();
    void mathLabelShowsTheModeAfterTheSessionsRule_data();
    void mathLabelShowsTheModeAfterTheSessionsRule();
    void traceSwitchRedrawsItsLabels_data();
    void traceSwitchRedrawsItsLabels();
    void mathValuesAreCutBeforeTheRedraw_data();
    void mathValuesAreCutBeforeTheRedraw();
    void groundLevelIsMeasuredFromPoints3To12_data();
    void groundLevelIsMeasuredFromPoints3To12();
    void sourcesAreAskedAtEachRedraw();
    void failingLayerShowsThePictureDrawnSoFar();
    void clockTickDrawsOnlyTheClock();
    void clockTickWithinTheRedrawsSecondLeavesTheScreen();
    void clockShowsTheComputersLocalTime();
    void timerTicks();
    void activationAndQuitStopTheAnimation_data();
    void activationAndQuitStopTheAnimation();
    void failingTicksReportOnce();

private:
    // A session after start-up with the display lines of ScreenTestSupport, its screen, a
    // fixed clock; the timers stopped unless asked for.
    struct Rig {
        SessionProbe probe;
        ScreenView view;
        ScreenController controller{probe.session, view};
        Instrument& session = probe.session;

        explicit Rig(bool timers = false) {
            LoadDisplaySettings(probe);
            probe.Start();
            controller.SetClock([] { return Morning; });
            if (!timers) {
                controller.StopAnimation();
                controller.StopClock();
            }
        }
        const QImage& Image() const { return view.Image(); }
    };
};

void ScreenControllerTest::startState() {
    Rig rig(true);
    QVERIFY(rig.controller.AnimationRunning());
    QVERIFY(rig.controller.ClockRunning());
    QVERIFY(AllWhite(rig.Image(), rig.Image().rect())); // nothing drawn before a redraw
}

// Every request of the session redraws the screen once; the operations that do not ask
// for a redraw leave the screen alone.
void ScreenControllerTest::redrawsOncePerRequest_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("redraws");
    QTest::newRow("time base") << 0 << 1;
    QTest::newRow("probe") << 1 << 1;
    QTest::newRow("magnifier") << 2 << 1;
    QTest::newRow("math mode") << 3 << 1;
    QTest::newRow("trace switch") << 4 << 1;
    QTest::newRow("trigger") << 5 << 1;
    QTest::newRow("coupling") << 6 << 1;
    QTest::newRow("centring") << 7 << 0;
    QTest::newRow("RAM window") << 8 << 0;
    QTest::newRow("two requests") << 9 << 2;
}

void ScreenControllerTest::redrawsOncePerRequest() {
    QFETCH(int, operation);
    QFETCH(int, redraws);

    Rig rig;
    QSignalSpy redrawn(&rig.controller, &ScreenController::redrawn);
    switch (operation) {
    case 0:
        rig.session.SelectTimeBase(5);
        break;
    case 1:
        rig.session.SelectProbe(Channel::A, true);
        break;
    case 2:
        rig.session.SetMagnification(2);
        break;
    case 3:
        rig.session.SelectMathMode(0);
        break;
    case 4:
        rig.session.SwitchTrace(Channel::A, true);
        break;
    case 5:
        rig.session.SelectTrigger(2);
        break;
    case 6:
        rig.session.SelectCoupling(Channel::B, 3);
        break;
    case 7:
        rig.session.CentrePosition(Channel::A);
        break;
    case 8:
        rig.session.TranslateRight();
        break;
    case 9:
        emit rig.session.redrawRequested();
        emit rig.session.redrawRequested();
        break;
    }
    QCOMPARE(redrawn.count(), redraws);
    QCOMPARE(rig.probe.events.count(QStringLiteral("redraw")), redraws);
    if (redraws > 0) {
        QCOMPARE(rig.Image(), rig.controller.Screen().Image());
        QCOMPARE(Pixel(rig.Image(), 19, 31), Rgb(GraticuleColour));
    } else {
        QVERIFY(AllWhite(rig.Image(), rig.Image().rect()));
    }
}

void ScreenControllerTest::fullRedrawWhitensThePanel() {
    SessionProbe probe;
    for (bool spectrum : {false, true}) {
        QWidget panel;
        auto* view = new ScreenView(&panel);
        ScreenController controller(probe.session, *view);
        controller.StopAnimation();
        probe.session.SwitchSpectrum(spectrum);
        controller.SetClock([] { return Morning; });
        QVERIFY(!panel.autoFillBackground());
        controller.RedrawScreen();
        // The spectrum view leaves the screen's panel as it was.
        QCOMPARE(panel.autoFillBackground(), !spectrum);
        QCOMPARE(panel.palette().color(QPalette::Window) == QColor(Qt::white), !spectrum);
    }
}

// The session prepares its data before each redraw of the oscilloscope screen, whether
// asked for or made by the animation, and not for the spectrum view, which draws no trace.
void ScreenControllerTest::sessionPreparesEachOscilloscopeRedraw() {
    Rig rig;
    QSignalSpy menuChanged(&rig.session, &Instrument::mathMenuChanged);

    // Both traces on without a redraw: the Math menu does not know yet.
    rig.session.RestoreTraceSwitch(Channel::A, true);
    rig.session.RestoreTraceSwitch(Channel::B, true);
    QCOMPARE(rig.session.MathMenu().modesEnabled, false);
    rig.controller.RedrawScreen();
    QCOMPARE(rig.session.MathMenu().modesEnabled, true);
    QCOMPARE(rig.session.MathMenu().hintsShown, true);
    QCOMPARE(menuChanged.count(), 1);
    rig.controller.RedrawScreen();
    QCOMPARE(menuChanged.count(), 1); // nothing new

    rig.session.RestoreTraceSwitch(Channel::B, false);
    rig.session.SwitchSpectrum(true);
    rig.controller.RedrawScreen();
    QCOMPARE(rig.session.MathMenu().modesEnabled, true);
    rig.session.SwitchSpectrum(false);
    rig.controller.AnimationTick();
    QCOMPARE(rig.session.MathMenu().modesEnabled, false);
    QCOMPARE(menuChanged.count(), 2);
}

// The math label shows the mode the session leaves after its Math menu rule: a mode chosen
// while a trace is off is back to none at the redraw it asked for.
void ScreenControllerTest::mathLabelShowsTheModeAfterTheSessionsRule_data() {
    QTest::addColumn<bool>("bothOn");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("modeAfter");
    QTest::newRow("none") << true << 0 << "" << 0;
    QTest::newRow("A + B") << true << 1 << "Math : Voie A + Voie B" << 1;
    QTest::newRow("A - B") << true << 2 << "Math : Voie A - Voie B" << 2;
    QTest::newRow("X-Y") << true << 3 << "Math : Mode X Y       " << 3;
    QTest::newRow("A - B with channel B off") << false << 2 << "" << 0;
    QTest::newRow("X-Y with channel B off") << false << 3 << "" << 0;
}

void ScreenControllerTest::mathLabelShowsTheModeAfterTheSessionsRule() {
    QFETCH(bool, bothOn);
    QFETCH(int, mode);
    QFETCH(QString, label);
    QFETCH(int, modeAfter);

    Rig rig;
    rig.session.SwitchTrace(Channel::A, true);
    rig.session.SwitchTrace(Channel::B, bothOn);
    rig.session.SelectMathMode(3);
    QSignalSpy redrawn(&rig.controller, &ScreenController::redrawn);
    rig.session.SelectMathMode(mode);

    QCOMPARE(redrawn.count(), 1);
    QCOMPARE(static_cast<int>(rig.session.State().mathMode), modeAfter);
    if (label.isEmpty())
        QVERIFY(AllWhite(rig.Image(), QRect(490, 306, 150, 13)));
    else
        QVERIFY(HasTextCell(rig.Image(), 490, 306, label, MathColour));
}

// A trace switch redraws at once: the channel's labels appear in its colour, or are
// blanked; switching a trace off also returns the math label to none at that redraw.
void ScreenControllerTest::traceSwitchRedrawsItsLabels_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("on");
    QTest::newRow("A on") << 0 << true;
    QTest::newRow("A off") << 0 << false;
    QTest::newRow("B on") << 1 << true;
    QTest::newRow("B off") << 1 << false;
}

void ScreenControllerTest::traceSwitchRedrawsItsLabels() {
    QFETCH(int, channel);
    QFETCH(bool, on);
    const Channel ch = channel == 0 ? Channel::A : Channel::B;
    const Channel other = channel == 0 ? Channel::B : Channel::A;
    const int x = channel == 0 ? 120 : 320;
    const int colour = channel == 0 ? ColourA : ColourB;
    const QString coupling = channel == 0 ? QStringLiteral("Couplage VOIE A (X) : GND")
                                          : QStringLiteral("Couplage VOIE B (Y) : GND");

    Rig rig;
    rig.session.SwitchTrace(Channel::A, true);
    rig.session.SwitchTrace(Channel::B, true);
    rig.session.SelectMathMode(1);
    rig.session.RestoreTraceSwitch(ch, !on); // no redraw: the picture still shows both
    QSignalSpy redrawn(&rig.controller, &ScreenController::redrawn);
    rig.session.SwitchTrace(ch, on);

    QCOMPARE(redrawn.count(), 1);
    const QImage& image = rig.Image();
    if (on) {
        QVERIFY(HasTextCell(image, x, 1, coupling, colour));
        QVERIFY(HasTextCell(image, x, 15, QStringLiteral("Volts / Div x1 : 1V"), colour));
        QVERIFY(HasTextCell(image, 490, 306, QStringLiteral("Math : Voie A + Voie B"), MathColour));
    } else {
        QVERIFY(AllWhite(image, QRect(x, 1, 150, 27)));
        QVERIFY(AllWhite(image, QRect(490, 306, 150, 13)));
        QCOMPARE(rig.session.State().mathMode, MathMode::None);
    }
    // The other channel's labels stay.
    QVERIFY(HasTextCell(image, other == Channel::A ? 120 : 320, 15,
                        QStringLiteral("Volts / Div x1 : 1V"),
                        other == Channel::A ? ColourA : ColourB));
}

// Before the redraw the session cuts the math values the trace would draw off the screen;
// the cut values stay in the store, and the trace is flat at y = 288 and y = 33 there.
void ScreenControllerTest::mathValuesAreCutBeforeTheRedraw_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("codesA"); // points 1, 2 and the rest
    QTest::addColumn<QList<int>>("codesB");
    QTest::addColumn<QList<int>>("stored"); // the math values of points 1, 2, 3 afterwards

    // Sums from 0 to 510: SumOffset 127, kept within 127..382.
    QTest::newRow("A + B") << 1 << QList<int>{0, 255, 128} << QList<int>{0, 255, 127}
                           << QList<int>{127, 382, 255};
    // Differences from -255 to 255: DifferenceOffset 128, kept within -128..127.
    QTest::newRow("A - B") << 2 << QList<int>{0, 255, 128} << QList<int>{255, 0, 128}
                           << QList<int>{-128, 127, 0};
}

void ScreenControllerTest::mathValuesAreCutBeforeTheRedraw() {
    QFETCH(int, mode);
    QFETCH(QList<int>, codesA);
    QFETCH(QList<int>, codesB);
    QFETCH(QList<int>, stored);

    Rig rig;
    rig.session.SwitchTrace(Channel::A, true);
    rig.session.SwitchTrace(Channel::B, true);
    rig.session.SelectMathMode(mode);
    QSignalSpy redrawn(&rig.controller, &ScreenController::redrawn);
    rig.session.ReceiveBytes(SweepBytes([&](int point) {
        const qsizetype i = std::min(point - 1, 2);
        return std::pair{codesA[i], codesB[i]};
    }));
    QCOMPARE(redrawn.count(), 1); // the completion of the sweep

    const SampleTable& samples = rig.session.Samples();
    for (int point = 1; point <= 3; ++point) {
        const SampleTable::Point& p = samples.At(point);
        QCOMPARE(mode == 1 ? p.sum : p.difference, stored[point - 1]);
    }
    // The other math value is left as received.
    QCOMPARE(mode == 1 ? samples.At(1).difference : samples.At(1).sum, mode == 1 ? 0 : 255);

    const QImage& image = rig.Image();
    const QRgb math = Rgb(MathColour);
    QCOMPARE(Pixel(image, 20, 288), math);
    QCOMPARE(Pixel(image, 22, 33), math);
    QCOMPARE(Pixel(image, 24, 160), math);
    QCOMPARE(XsWithColour(image, 160, math, 24, 639), Range(24, 617));
    // (The math label at x = 490 is in the math colour too.)
    for (int y : Union(Range(0, 32), Range(289, 319)))
        QVERIFY2(XsWithColour(image, y, math, 0, 489).isEmpty(), qPrintable(QString::number(y)));
}

// A grounded channel's marker stands at the mean of points 3 to 12 of its displayed
// codes, truncated, as the session measured it before the redraw.
void ScreenControllerTest::groundLevelIsMeasuredFromPoints3To12_data() {
    QTest::addColumn<int>("channel");
    QTest::newRow("A") << 0;
    QTest::newRow("B") << 1;
}

void ScreenControllerTest::groundLevelIsMeasuredFromPoints3To12() {
    QFETCH(int, channel);
    const Channel ch = channel == 0 ? Channel::A : Channel::B;
    const int colour = channel == 0 ? ColourA : ColourB;
    const QList<int> tickXs = channel == 0 ? Range(15, 18) : Range(7, 18);
    const int zeroX = channel == 0 ? 8 : 0;

    Rig rig;
    rig.session.SwitchTrace(ch, true); // grounded since start-up
    QCOMPARE(rig.session.State().Of(ch).groundLevel, 128);
    QVERIFY(HasTextCell(rig.Image(), zeroX, 154, QStringLiteral("0"), colour));

    // Points 3 to 12 at 40..49 (mean 44.5), every other point at 200.
    rig.session.ReceiveBytes(SweepBytes([](int point) {
        const int code = point >= 3 && point <= 12 ? 37 + point : 200;
        return std::pair{code, code};
    }));
    QCOMPARE(rig.session.State().Of(ch).groundLevel, 44);
    const QImage& image = rig.Image();
    const int zeroWidth = ScreenFont::TextWidth(QStringLiteral("0"));
    QCOMPARE(XsWithColour(image, 244, Rgb(colour), zeroX + zeroWidth, 19), tickXs);
    QVERIFY(HasTextCell(image, zeroX, 238, QStringLiteral("0"), colour));
    QVERIFY(AllWhite(image, QRect(0, 140, 19, 40))); // no marker left at 128
}

// The values of the display that the session does not hold are asked afresh at each
// redraw; the session's own values (magnifier, RAM window, offsets) reach it too.
void ScreenControllerTest::sourcesAreAskedAtEachRedraw() {
    Rig rig;
    QDateTime now = Morning;
    int spectra = 0;
    rig.controller.SetClock([&] { return now; });
    ScreenLayers layers;
    layers.computeSpectrum = [&] { ++spectra; };
    rig.controller.SetLayers(layers);
    rig.session.SwitchTrace(Channel::A, true);
    QCOMPARE(XsWithColour(rig.Image(), 160, Rgb(ColourA), 20, 639), Range(20, 617));

    // The weighted values are not written before a sweep completes: no trace from them.
    rig.session.SetShowWindowEffect(true);
    rig.controller.RedrawScreen();
    QCOMPARE(XsWithColour(rig.Image(), 160, Rgb(ColourA), 20, 639), QList<int>{});
    QCOMPARE(rig.controller.Inputs().showWindowEffect, true);
    rig.session.SetShowWindowEffect(false);

    now = Christmas;
    rig.controller.RedrawScreen();
    QVERIFY(HasTextCell(rig.Image(), 20, 1, QStringLiteral("10:15:30  "), ClockColour));
    QVERIFY(HasTextCell(rig.Image(), 20, 15, QStringLiteral("25/12/2007  "), ClockColour));

    rig.session.SetMagnification(5);
    QVERIFY(HasTextCell(rig.Image(), 490, 15, QStringLiteral("Time / Div x5 : 20µs"), 0));
    QCOMPARE(rig.controller.Inputs().magnification, 5);
    rig.session.TranslateRight();
    rig.session.TranslateRight();
    QCOMPARE(rig.controller.Inputs().ramWindowStart, 60); // two steps of 30 samples

    // Sums from 0 to 510 and differences from 0 to 1.
    rig.session.ReceiveBytes(SweepBytes([](int point) {
        return point == 1   ? std::pair{0, 0}
               : point == 2 ? std::pair{255, 255}
                            : std::pair{128, 127};
    }));
    QCOMPARE(rig.controller.Inputs().sumOffset, 127);
    QCOMPARE(rig.controller.Inputs().differenceOffset, 128);

    rig.session.SwitchSpectrum(true);
    const QImage before = rig.Image().copy();
    rig.controller.RedrawScreen();
    QCOMPARE(spectra, 1);
    QCOMPARE(rig.Image(), before); // the same labels over the same raster
    rig.session.SwitchSpectrum(false);
    rig.controller.RedrawScreen();
    QCOMPARE(spectra, 1);
}

// A layer drawn by another part of the program fails: the redraw stops there, the screen
// shows what was drawn up to it, and the error is reported once for the request.
void ScreenControllerTest::failingLayerShowsThePictureDrawnSoFar() {
    Rig rig;
    ErrorCollector errors;
    rig.session.SwitchTrace(Channel::A, true);
    QVERIFY(HasTextCell(rig.Image(), 8, 154, QStringLiteral("0"), ColourA));

    ScreenLayers layers;
    layers.drawMarkerLines = [](ScreenCanvas& canvas) {
        canvas.SetPenColour(16711935);
        canvas.MoveTo(20, 100);
        canvas.LineTo(620, 100);
    };
    layers.drawTimeReadout = [](ScreenCanvas&) {
        throw std::runtime_error("Relevé de temps impossible");
    };
    rig.controller.SetLayers(layers);
    rig.session.SelectTimeBase(5);

    QCOMPARE(errors.texts, QStringList{QStringLiteral("Relevé de temps impossible")});
    const QImage& image = rig.Image();
    QVERIFY(HasTextCell(image, 490, 15, QStringLiteral("Time / Div x1 : 20ms"), 0));
    QCOMPARE(XsWithColour(image, 160, Rgb(ColourA), 20, 639), Range(20, 617));
    QCOMPARE(XsWithColour(image, 100, Rgb(16711935)), Range(20, 619));
    QVERIFY(AllWhite(image, QRect(0, 140, 19, 40))); // the ground marker comes after

    // Called directly, the redraw lets the error through to its caller.
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, rig.controller.RedrawScreen());
    QCOMPARE(errors.texts.size(), 1);
}

// The clock tick writes the time and date over the current raster, and nothing else.
void ScreenControllerTest::clockTickDrawsOnlyTheClock() {
    Rig rig;
    QDateTime now = Christmas;
    rig.controller.SetClock([&now] { return now; });
    rig.session.SwitchTrace(Channel::A, true);
    const QImage before = rig.Image().copy();
    QSignalSpy redrawn(&rig.controller, &ScreenController::redrawn);

    now = Morning;
    rig.controller.ClockTick();
    const QImage& after = rig.Image();
    QCOMPARE(redrawn.count(), 0);
    QVERIFY(HasTextCell(after, 20, 1, QStringLiteral("9:05:07  "), ClockColour));
    QVERIFY(HasTextCell(after, 20, 15, QStringLiteral("05/03/2007  "), ClockColour));
    // The two trailing spaces blank the end of the longer time written before.
    const int shortWidth = ScreenFont::TextWidth(QStringLiteral("9:05:07  "));
    const int longWidth = ScreenFont::TextWidth(QStringLiteral("10:15:30  "));
    QVERIFY(AllWhite(after, QRect(20 + shortWidth, 1, longWidth - shortWidth, 13)));
    const int dateWidth = ScreenFont::TextWidth(QStringLiteral("25/12/2007  "));
    const QRect clock(20, 1, std::max(longWidth, dateWidth), 27);
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (!clock.contains(x, y) && after.pixel(x, y) != before.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel %1, %2 changed").arg(x).arg(y)));
    QCOMPARE(rig.controller.Screen().LastClock().hour, 9);
}

// While sweeps are redrawn several times a second the clock they draw is already the
// current one: a tick within the same second does not touch the picture, the next
// second's tick draws it.
void ScreenControllerTest::clockTickWithinTheRedrawsSecondLeavesTheScreen() {
    Rig rig;
    QDateTime now = Morning;
    rig.controller.SetClock([&now] { return now; });
    rig.controller.RedrawScreen();
    const qint64 shown = rig.Image().cacheKey();

    rig.controller.ClockTick(); // still 9:05:07
    QCOMPARE(rig.Image().cacheKey(), shown);

    now = Morning.addSecs(1);
    rig.controller.ClockTick();
    QVERIFY(rig.Image().cacheKey() != shown);
    QVERIFY(HasTextCell(rig.Image(), 20, 1, QStringLiteral("9:05:08  "), ClockColour));
}

// Without a clock source the screen shows the computer's local time (the offset from UTC
// is read once a second, not at every redraw).
void ScreenControllerTest::clockShowsTheComputersLocalTime() {
    // A zone half an hour off any whole hour, so that UTC or a rounded offset shows.
    const QByteArray zone = qgetenv("TZ");
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", "XST-5:30");
    tzset();
    const auto restore = qScopeGuard([&] {
        if (hadZone)
            qputenv("TZ", zone);
        else
            qunsetenv("TZ");
        tzset();
    });
    QCOMPARE(QDateTime::currentDateTime().offsetFromUtc(), 5 * 3600 + 30 * 60);
    Rig rig;
    rig.controller.SetClock({});
    const QDateTime before = QDateTime::currentDateTime();
    rig.controller.RedrawScreen();
    const QDateTime after = QDateTime::currentDateTime();
    const ClockReading shown = rig.controller.Screen().LastClock();
    const QDateTime drawn(QDate(shown.year, shown.month, shown.day),
                          QTime(shown.hour, shown.minute, shown.second));
    QVERIFY2(drawn >= before.addMSecs(-before.time().msec()) && drawn <= after,
             qPrintable(drawn.toString(Qt::ISODate) + QStringLiteral(" not within ") +
                        before.toString(Qt::ISODate) + QStringLiteral(" .. ") +
                        after.toString(Qt::ISODate)));
}

void ScreenControllerTest::timerTicks() {
    Rig rig;
    Timings fast = ProgramTimings();
    fast.animationMs = 5;
    fast.clockMs = 5;
    TimingsGuard timings(fast);
    QSignalSpy redrawn(&rig.controller, &ScreenController::redrawn);

    rig.controller.StartAnimation();
    QVERIFY(rig.controller.AnimationRunning());
    QTRY_VERIFY(redrawn.count() >= 3);
    QVERIFY(rig.controller.Screen().AnimationPhase() > 0.25);
    rig.controller.StopAnimation();
    QVERIFY(!rig.controller.AnimationRunning());
    const double phase = rig.controller.Screen().AnimationPhase();
    const int redraws = redrawn.count();
    LetTicksPass(fast.animationMs, 5);
    QCOMPARE(rig.controller.Screen().AnimationPhase(), phase); // kept while stopped
    QCOMPARE(redrawn.count(), redraws);

    // The clock timer writes on the current raster without a redraw.
    rig.controller.SetClock([] { return Christmas; });
    rig.controller.StartClock();
    QVERIFY(rig.controller.ClockRunning());
    QTRY_VERIFY(HasTextCell(rig.Image(), 20, 1, QStringLiteral("10:15:30  "), ClockColour));
    QCOMPARE(redrawn.count(), redraws);
    QCOMPARE(rig.controller.Screen().LastClock().minute, 15);
    rig.controller.StopClock();
    QVERIFY(!rig.controller.ClockRunning());
    rig.controller.SetClock([] { return Morning; });
    LetTicksPass(fast.clockMs, 5);
    QCOMPARE(rig.controller.Screen().LastClock().minute, 15);
}

// Link activation and quitting stop the idle animation; the first redraw after the
// activation clears the figure, and no tick comes back.
void ScreenControllerTest::activationAndQuitStopTheAnimation_data() {
    QTest::addColumn<bool>("quit");
    QTest::newRow("activation") << false;
    QTest::newRow("quit") << true;
}

void ScreenControllerTest::activationAndQuitStopTheAnimation() {
    QFETCH(bool, quit);
    Rig rig(true);
    QVERIFY(rig.controller.AnimationRunning());
    rig.controller.Screen().SetAnimationPhase(49.9); // the figure of phase 50: colour 5000000
    rig.controller.AnimationTick();
    const QRgb figure = Rgb(5000000);
    QVERIFY(CountColour(rig.Image(), figure) > 1000);
    const double phase = rig.controller.Screen().AnimationPhase();

    QSignalSpy redrawn(&rig.controller, &ScreenController::redrawn);
    if (quit) {
        rig.session.Quit();
    } else {
        rig.probe.Activate(true);
        QVERIFY(rig.session.LinkActive());
        QVERIFY(redrawn.count() >= 1);
        QCOMPARE(CountColour(rig.Image(), figure), 0);
    }
    QVERIFY(!rig.controller.AnimationRunning());
    const int redraws = redrawn.count();
    LetTicksPass(ProgramTimings().animationMs, 5);
    QCOMPARE(redrawn.count(), redraws);
    QCOMPARE(rig.controller.Screen().AnimationPhase(), phase);
}

// A failing tick reports its error once; the ticks after it fail silently until one
// succeeds. A tick arriving while an earlier tick's error box is open is dropped. (The
// clock moves on a second at each reading, so that every animation tick redraws and runs
// the layers: a tick whose inputs are those of the last one only moves the figure.)
void ScreenControllerTest::failingTicksReportOnce() {
    Rig rig;
    ErrorCollector errors;
    int seconds = 0;
    bool clockFails = false;
    rig.controller.SetClock([&] {
        if (clockFails)
            throw std::runtime_error("Horloge indisponible");
        return Morning.addSecs(++seconds);
    });
    bool markersFail = true;
    int markerRuns = 0;
    ScreenLayers layers;
    layers.drawMarkerLines = [&](ScreenCanvas&) {
        ++markerRuns;
        if (markersFail)
            throw std::runtime_error("Marqueurs indisponibles");
    };
    rig.controller.SetLayers(layers);

    rig.controller.AnimationTick();
    rig.controller.AnimationTick();
    QCOMPARE(errors.texts, QStringList{QStringLiteral("Marqueurs indisponibles")});
    markersFail = false;
    rig.controller.AnimationTick();
    markersFail = true;
    rig.controller.AnimationTick();
    QCOMPARE(errors.texts.size(), 2);
    QCOMPARE(markerRuns, 4);

    // The clock fails on its own count.
    clockFails = true;
    rig.controller.ClockTick();
    rig.controller.ClockTick();
    QCOMPARE(errors.texts.size(), 3);
    QCOMPARE(errors.texts.last(), QStringLiteral("Horloge indisponible"));
    clockFails = false;

    // While the box of a failing tick is open, another tick comes and is dropped.
    int nested = 0;
    errors.onReport = [&](const QString&) {
        ++nested;
        rig.controller.AnimationTick();
    };
    markersFail = false;
    rig.controller.AnimationTick();
    markersFail = true;
    markerRuns = 0;
    rig.controller.AnimationTick();
    QCOMPARE(nested, 1);
    QCOMPARE(markerRuns, 1);
    QCOMPARE(errors.texts.size(), 4);
}

QTEST_MAIN(ScreenControllerTest)
#include "tst_screencontroller.moc"
