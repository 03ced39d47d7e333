#include "ScreenTestSupport.h"

#include "app/Conversion.h"
#include "app/ErrorGuard.h"
#include "app/Timings.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"
#include "screen/TraceSwitch.h"

#include <QAction>
#include <QSignalSpy>
#include <QtTest>

using namespace ScreenTest;

Q_DECLARE_METATYPE(Channel)

// The refresh cycle on a window: the Math menu state and SelectMathMode, the trace
// switches and their handler, the two timers and how their failures are reported.
class ScreenControllerTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startState();
    void mathModesNeedBothTraces();
    void selectMathMode_data();
    void selectMathMode();
    void traceSwitchHandler_data();
    void traceSwitchHandler();
    void boundActionsFollowTheState();
    void traceSwitchWidget();
    void failedRedrawStillShowsThePicture();
    void timerTicks();
    void failingTicksReportOnce();
    void sourcesAreAskedAtEachRedraw();

private:
    struct Rig {
        ScreenServices services;
        ScreenView view;
        ScreenController controller{services, view};
        Rig() {
            services.onRedraw = [this] { controller.RedrawScreen(); };
            controller.SetSources({{}, {}, {}, {}, {}, {}, [] {
                                       return QDateTime(QDate(2007, 3, 5), QTime(9, 5, 7));
                                   }});
        }
    };
    QStringList errors;
};

void ScreenControllerTest::init() {
    errors.clear();
    ErrorGuard::SetReporter([this](const QString& text) { errors << text; });
}

void ScreenControllerTest::cleanup() {
    ErrorGuard::SetReporter({});
}

void ScreenControllerTest::startState() {
    Rig rig;
    QVERIFY(rig.controller.AnimationRunning());
    QVERIFY(rig.controller.ClockRunning());
    QVERIFY(rig.controller.MathItemEnabled(0));
    QVERIFY(rig.controller.MathItemChecked(0));
    QVERIFY(!rig.controller.MathButtonEnabled(0));
    for (int mode = 1; mode <= 3; ++mode) {
        QVERIFY(!rig.controller.MathItemEnabled(mode));
        QVERIFY(!rig.controller.MathButtonEnabled(mode));
        QVERIFY(!rig.controller.MathItemChecked(mode));
    }
    QVERIFY(!rig.controller.MathHintsShown());
}

void ScreenControllerTest::mathModesNeedBothTraces() {
    Rig rig;
    QSignalSpy changed(&rig.controller, &ScreenController::MathControlsChanged);
    rig.services.instrument.channelA.traceOn = true;
    rig.controller.RedrawScreen();
    QVERIFY(!rig.controller.MathItemEnabled(1));
    QCOMPARE(changed.count(), 0);

    rig.services.instrument.channelB.traceOn = true;
    rig.controller.RedrawScreen();
    for (int mode = 1; mode <= 3; ++mode) {
        QVERIFY(rig.controller.MathItemEnabled(mode));
        QVERIFY(rig.controller.MathButtonEnabled(mode));
    }
    QVERIFY(rig.controller.MathHintsShown());
    QVERIFY(!rig.controller.MathButtonEnabled(0)); // not touched by the redraw
    QCOMPARE(changed.count(), 1);
}

void ScreenControllerTest::selectMathMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("label");
    QTest::newRow("none") << 0 << QString(22, QLatin1Char(' '));
    QTest::newRow("A + B") << 1 << "Math : Voie A + Voie B";
    QTest::newRow("A - B") << 2 << "Math : Voie A - Voie B";
    QTest::newRow("X-Y") << 3 << "Math : Mode X Y       ";
}

void ScreenControllerTest::selectMathMode() {
    QFETCH(int, mode);
    QFETCH(QString, label);
    Rig rig;
    rig.services.instrument.channelA.traceOn = true;
    rig.services.instrument.channelB.traceOn = true;
    rig.services.samples = SampleTable();
    for (int row = 1; row <= 300; ++row) {
        rig.services.samples.SetCell(SampleTable::Sum, row, QStringLiteral("383"));
        rig.services.samples.SetCell(SampleTable::Difference, row, QStringLiteral("0"));
    }
    rig.controller.SelectMathMode(3);
    rig.controller.SelectMathMode(mode);

    QCOMPARE(static_cast<int>(rig.services.instrument.mathMode), mode);
    for (int m = 0; m <= 3; ++m)
        QCOMPARE(rig.controller.MathItemChecked(m), m == mode);
    QCOMPARE(rig.controller.MathButtonEnabled(0), mode != 0);
    QVERIFY(HasTextCell(rig.view.Image(), 490, 306, label, MathColour));

    rig.controller.SelectMathMode(7); // outside the menu: nothing
    QCOMPARE(static_cast<int>(rig.services.instrument.mathMode), mode);
}

void ScreenControllerTest::traceSwitchHandler_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("on");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::newRow("A on") << 0 << true << 22 << "VOIE_A_ON";
    QTest::newRow("A off") << 0 << false << 22 << "VOIE_A_OFF";
    QTest::newRow("B on") << 1 << true << 23 << "VOIE_B_ON";
    QTest::newRow("B off") << 1 << false << 23 << "VOIE_B_OFF";
}

void ScreenControllerTest::traceSwitchHandler() {
    QFETCH(int, channel);
    QFETCH(bool, on);
    QFETCH(int, line);
    QFETCH(QString, text);
    const Channel ch = channel == 0 ? Channel::A : Channel::B;

    Rig rig;
    rig.services.instrument.channelA.traceOn = true;
    rig.services.instrument.channelB.traceOn = true;
    rig.controller.SelectMathMode(1);
    rig.services.instrument.Of(ch).traceOn = !on;
    QSignalSpy controls(&rig.controller, &ScreenController::ChannelControlsEnabled);

    rig.controller.TraceSwitched(ch, on);

    QCOMPARE(rig.services.instrument.Of(ch).traceOn, on);
    QCOMPARE(rig.services.settings.Line(line), text);
    QCOMPARE(rig.services.settings.Line(line == 22 ? 23 : 22), QString());
    QCOMPARE(rig.services.saves, 1);
    QCOMPARE(controls.count(), 1);
    QCOMPARE(controls.first().at(0).value<Channel>(), ch);
    QCOMPARE(controls.first().at(1).toBool(), on);
    if (on) {
        QVERIFY(rig.controller.MathButtonEnabled(0)); // left as SelectMathMode set it
        QVERIFY(rig.controller.MathItemEnabled(1));
        QCOMPARE(rig.services.instrument.mathMode, MathMode::Sum);
    } else {
        // Switching off returns the Math menu to none at the switch's own redraw.
        QVERIFY(!rig.controller.MathButtonEnabled(0));
        QVERIFY(!rig.controller.MathItemEnabled(1));
        QVERIFY(rig.controller.MathItemChecked(0));
        QCOMPARE(rig.services.instrument.mathMode, MathMode::None);
        QVERIFY(AllWhite(rig.view.Image(), QRect(ch == Channel::A ? 120 : 320, 1, 150, 27)));
    }
}

void ScreenControllerTest::boundActionsFollowTheState() {
    Rig rig;
    std::array<QAction*, 4> items{};
    std::array<QAction*, 4> buttons{};
    for (int i = 0; i < 4; ++i) {
        items[static_cast<size_t>(i)] = new QAction(MathCaption(i), &rig.controller);
        items[static_cast<size_t>(i)]->setCheckable(true);
        buttons[static_cast<size_t>(i)] = new QAction(&rig.controller);
        QObject::connect(items[static_cast<size_t>(i)], &QAction::triggered, &rig.controller,
                         [&rig, i] { rig.controller.SelectMathMode(i); });
        QObject::connect(buttons[static_cast<size_t>(i)], &QAction::triggered, &rig.controller,
                         [&rig, i] { rig.controller.SelectMathMode(i); });
    }
    rig.controller.BindMathActions(items, buttons);
    QVERIFY(items[0]->isChecked());
    QVERIFY(items[0]->isEnabled());
    QVERIFY(!buttons[0]->isEnabled());
    QVERIFY(!items[2]->isEnabled() && !buttons[2]->isEnabled());
    QCOMPARE(buttons[1]->toolTip(), QString()); // hints off

    rig.services.instrument.channelA.traceOn = true;
    rig.services.instrument.channelB.traceOn = true;
    rig.controller.RedrawScreen();
    QVERIFY(items[2]->isEnabled() && buttons[2]->isEnabled());
    QCOMPARE(buttons[1]->toolTip(), QStringLiteral("Voie A + Voie B"));
    QCOMPARE(buttons[1]->statusTip(),
             QStringLiteral("Activer la fonction mathématique : Voie A + Voie B..."));
    QCOMPARE(buttons[0]->toolTip(), QStringLiteral("Pas de Math"));

    buttons[3]->trigger(); // the tool button does what its item does
    QCOMPARE(rig.services.instrument.mathMode, MathMode::XY);
    QVERIFY(items[3]->isChecked() && !items[0]->isChecked());
    QVERIFY(buttons[0]->isEnabled());
    items[0]->trigger();
    QCOMPARE(rig.services.instrument.mathMode, MathMode::None);
    QVERIFY(items[0]->isChecked() && !items[3]->isChecked());
    QVERIFY(!buttons[0]->isEnabled());
    items[0]->trigger(); // a second press keeps the item checked
    QVERIFY(items[0]->isChecked());

    rig.controller.TraceSwitched(Channel::B, false);
    QVERIFY(!items[1]->isEnabled() && !buttons[1]->isEnabled());
    QCOMPARE(buttons[2]->toolTip(), QString());
    QCOMPARE(buttons[2]->statusTip(), QString());
}

void ScreenControllerTest::traceSwitchWidget() {
    Rig rig;
    TraceSwitch a(nullptr, rig.services, Channel::A);
    TraceSwitch b(nullptr, rig.services, Channel::B);
    QCOMPARE(a.toolTip(), QStringLiteral("ON/OFF Trace VOIE A"));
    QCOMPARE(b.toolTip(), QStringLiteral("ON/OFF Trace VOIE B"));
    rig.controller.ConnectTraceSwitch(&a);
    QSignalSpy switched(&a, &TraceSwitch::Switched);

    // Presets set the state without the handler.
    a.SetOn(true);
    QVERIFY(rig.services.instrument.channelA.traceOn);
    QCOMPARE(switched.count(), 0);
    QCOMPARE(rig.services.saves, 0);

    QTest::mouseClick(&a, Qt::RightButton);
    QCOMPARE(switched.count(), 0);
    QTest::mousePress(&a, Qt::LeftButton);
    QCOMPARE(switched.count(), 1);
    QVERIFY(!a.IsOn());
    QCOMPARE(rig.services.settings.Line(22), QStringLiteral("VOIE_A_OFF"));
    QCOMPARE(rig.services.saves, 1);
    QTest::mouseRelease(&a, Qt::LeftButton);
    QCOMPARE(switched.count(), 1);

    // A failing handler is reported, and the switch keeps its new state.
    rig.services.settings.SetLine(10, QStringLiteral("x"));
    QTest::mousePress(&a, Qt::LeftButton);
    QVERIFY(a.IsOn());
    QCOMPARE(errors, QStringList{QStringLiteral("'x' n'est pas une valeur entière correcte")});
    QCOMPARE(rig.services.saves, 1);

    a.setEnabled(false);
    QTest::mousePress(&a, Qt::LeftButton);
    QCOMPARE(switched.count(), 2);
}

void ScreenControllerTest::failedRedrawStillShowsThePicture() {
    Rig rig;
    rig.controller.RedrawScreen();
    QVERIFY(!AllWhite(rig.view.Image(), rig.view.Image().rect()));
    rig.services.settings.SetLine(9, QStringLiteral("noir"));
    QVERIFY_THROWS_EXCEPTION(ConversionError, rig.controller.RedrawScreen());
    QVERIFY(AllWhite(rig.view.Image(), rig.view.Image().rect()));
}

void ScreenControllerTest::timerTicks() {
    Timings saved = ProgramTimings();
    ProgramTimings().animationMs = 5;
    ProgramTimings().clockMs = 5;
    {
        Rig rig;
        QSignalSpy redrawn(&rig.controller, &ScreenController::Redrawn);
        QTRY_VERIFY(redrawn.count() >= 3);
        QVERIFY(rig.controller.Screen().AnimationPhase() > 0.25);
        rig.controller.StopAnimation();
        QVERIFY(!rig.controller.AnimationRunning());
        const double phase = rig.controller.Screen().AnimationPhase();
        QTest::qWait(30);
        QCOMPARE(rig.controller.Screen().AnimationPhase(), phase); // kept while stopped

        // The clock tick writes on the current raster without a redraw.
        const int redraws = redrawn.count();
        rig.controller.SetSources({{}, {}, {}, {}, {}, {}, [] {
                                       return QDateTime(QDate(2007, 12, 25), QTime(10, 15, 30));
                                   }});
        QTRY_VERIFY(
            HasTextCell(rig.view.Image(), 20, 1, QStringLiteral("10:15:30  "), ClockColour));
        QCOMPARE(redrawn.count(), redraws);
        QCOMPARE(rig.controller.Screen().LastClock().minute, 15);
        rig.controller.StopClock();
        QVERIFY(!rig.controller.ClockRunning());
        rig.controller.StartAnimation();
        QVERIFY(rig.controller.AnimationRunning());
    }
    ProgramTimings() = saved;
}

void ScreenControllerTest::failingTicksReportOnce() {
    Rig rig;
    rig.controller.StopAnimation();
    rig.controller.StopClock();
    rig.services.settings.SetLine(9, QStringLiteral("x"));
    rig.controller.AnimationTick();
    rig.controller.AnimationTick();
    QCOMPARE(errors.size(), 1);
    rig.services.settings.SetLine(9, QStringLiteral("0"));
    rig.controller.AnimationTick();
    rig.services.settings.SetLine(9, QStringLiteral("y"));
    rig.controller.AnimationTick();
    QCOMPARE(errors.size(), 2);
    QCOMPARE(errors.last(), QStringLiteral("'y' n'est pas une valeur entière correcte"));

    rig.services.settings.SetLine(8, QStringLiteral("z"));
    rig.controller.ClockTick();
    rig.controller.ClockTick();
    QCOMPARE(errors.size(), 3);

    // A tick arriving while an earlier tick's error box is open is dropped.
    rig.services.settings.SetLine(8, QStringLiteral("0"));
    int nested = 0;
    ErrorGuard::SetReporter([&](const QString&) {
        ++nested;
        rig.controller.AnimationTick();
    });
    rig.services.settings.SetLine(9, QStringLiteral("0"));
    rig.controller.AnimationTick();
    rig.services.settings.SetLine(9, QStringLiteral("x"));
    rig.controller.AnimationTick();
    QCOMPARE(nested, 1);
}

void ScreenControllerTest::sourcesAreAskedAtEachRedraw() {
    Rig rig;
    int magnification = 1;
    bool spectrum = false;
    int spectra = 0;
    ScreenSources sources;
    sources.magnification = [&] { return magnification; };
    sources.spectrumMode = [&] { return spectrum; };
    sources.now = [] { return QDateTime(QDate(2007, 3, 5), QTime(9, 5, 7)); };
    rig.controller.SetSources(sources);
    ScreenLayers layers;
    layers.computeSpectrum = [&] { ++spectra; };
    rig.controller.SetLayers(layers);

    rig.controller.RedrawScreen();
    QVERIFY(HasTextCell(rig.view.Image(), 490, 15, QStringLiteral("Time / Div x1 : 0.1ms"), 0));
    magnification = 5;
    rig.controller.RedrawScreen();
    QVERIFY(HasTextCell(rig.view.Image(), 490, 15, QStringLiteral("Time / Div x5 : 20µs"), 0));
    spectrum = true;
    rig.controller.RedrawScreen();
    QCOMPARE(spectra, 1);
}

QTEST_MAIN(ScreenControllerTest)
#include "tst_screencontroller.moc"
