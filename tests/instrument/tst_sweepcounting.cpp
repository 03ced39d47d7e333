#include "SweepScript.h"
#include "analysis/ShownSweep.h"

#include <QtTest>
#include <memory>

// What the session says of each completed sweep for the automatic measurements: whether
// the channel's ground level was really measured (the reference that reads 0 V), and
// whether the sweep was taken with the settings in force while running (the statistics and
// the log take only those). Sweeps come from a box that obeys a command only once its
// bytes are written, so a sweep begun before the end of an exchange may be an old one.
class SweepCountingTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() {
        script.reset();
        probe.reset();
    }

    void groundMeasured_data();
    void groundMeasured();
    void groundForgottenByTheRestoreOfPositions();
    void sweepCounts_data();
    void sweepCounts();
    void sweepCompletedFollowsItsRedraw();

private:
    Instrument& Session() { return probe->session; }

    std::unique_ptr<SessionProbe> probe;
    std::unique_ptr<SweepScript> script;
};

void SweepCountingTest::init() {
    probe = std::make_unique<SessionProbe>();
    script = std::make_unique<SweepScript>(*probe);
}

// Channel A on, GND as the activation leaves it (the box is at GND after "?&"). Every
// point of a sweep at code N measures a ground level of N; a level measured from a sweep
// taken before GND reached the box is no ground.
void SweepCountingTest::groundMeasured_data() {
    QTest::addColumn<bool>("activate");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("measured");
    QTest::addColumn<int>("level"); // checked when measured

    QTest::newRow("start-up: the marker's level 0 is no measurement") << false << "" << false << 0;
    QTest::newRow("activated, no sweep yet") << true << "" << false << 0;
    QTest::newRow("a sweep in GND") << true << "sweep:140" << true << 140;
    QTest::newRow("GND seen, then a position change")
        << true << "sweep:140 release:100" << false << 0;
    QTest::newRow("GND seen, position change, a GND sweep after it")
        << true << "sweep:140 release:100 sweep:120" << true << 120;
    QTest::newRow("GND seen, position change, the sweep of its exchange")
        << true << "sweep:140 release:100+sweep:120" << false << 0;
    QTest::newRow("GND seen, then centred") << true << "sweep:140 centre" << false << 0;
    QTest::newRow("GND seen, then one unit up") << true << "sweep:140 up" << false << 0;
    QTest::newRow("GND seen, then DC: the level stays")
        << true << "sweep:140 dc sweep:90 sweep:60" << true << 140;
    QTest::newRow("DC, a position change, DC sweeps")
        << true << "dc release:100 sweep:90 sweep:90" << false << 0;
    QTest::newRow("GND chosen: its redraw shows the DC sweep before")
        << true << "sweep:140 dc sweep:90 gnd" << false << 0;
    QTest::newRow("GND chosen, a sweep completed during its exchange")
        << true << "dc sweep:90 gnd+sweep:100" << false << 0;
    QTest::newRow("GND chosen, a sweep begun before its exchange ended")
        << true << "dc start:90 gnd+finish:100" << false << 0;
    QTest::newRow("GND chosen, a sweep begun during the exchange, finished after")
        << true << "dc gnd+start:100 finish:100" << false << 0;
    QTest::newRow("GND chosen, the next sweep")
        << true << "dc sweep:90 gnd sweep:100" << true << 100;
    QTest::newRow("GND, paused, the memory sent again")
        << true << "sweep:140 pause sweep:140" << true << 140;
}

void SweepCountingTest::groundMeasured() {
    QFETCH(bool, activate);
    QFETCH(QString, steps);
    QFETCH(bool, measured);
    QFETCH(int, level);
    if (activate) {
        probe->Activate();
        script->HookWrites();
    } else {
        probe->Start();
    }
    QVERIFY2(script->Run(steps), qPrintable(script->failed));
    const ChannelSettings& a = Session().State().channelA;
    QCOMPARE(a.groundMeasured, measured);
    if (measured)
        QCOMPARE(a.groundLevel, level);
    // The reference of the measurements follows the same rule.
    const SweepMeasurements m =
        MeasureShownSweep(Session().Samples(), Session().State(), Session().Ram().Magnification());
    QCOMPARE(m.channelA.reference,
             measured ? VoltageReference::Ground : VoltageReference::ScreenCentre);
}

// The restore of link activation sets the positions through commands of its own: a level
// measured before is forgotten. It also hides the ground markers, so no level is measured
// until GND is chosen again.
void SweepCountingTest::groundForgottenByTheRestoreOfPositions() {
    probe->Activate();
    script->HookWrites();
    QVERIFY(script->Run(QStringLiteral("sweep:140")));
    QVERIFY(Session().State().channelA.groundMeasured);
    LoadSettingsLines(*probe, {{SettingsLine::RestoreMask, QStringLiteral("32")}});
    Session().RestoreStartupSettings();
    QVERIFY(!Session().State().channelA.groundMeasured);
    QVERIFY(script->Run(QStringLiteral("sweep:128")));
    QVERIFY(!Session().State().channelA.groundMeasured);
    QVERIFY(script->Run(QStringLiteral("gnd sweep:128")));
    QVERIFY(Session().State().channelA.groundMeasured);
    QCOMPARE(Session().State().channelA.groundLevel, 128);
}

// Whether the last sweep counts: taken after the last exchange with the box had ended,
// while "Lecture" was down.
void SweepCountingTest::sweepCounts_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("counts");
    QTest::addColumn<int>("sweeps"); // completed since start-up

    QTest::newRow("running") << "sweep:100" << true << 1;
    QTest::newRow("during a time base exchange") << "timebase+sweep:100" << false << 1;
    QTest::newRow("begun before a time base exchange ended")
        << "start:100 timebase+finish:100" << false << 1;
    QTest::newRow("begun during it, completed after")
        << "timebase+start:100 finish:100" << false << 1;
    QTest::newRow("the next one after the exchange") << "timebase+sweep:100 sweep:100" << true << 2;
    QTest::newRow("during a range exchange") << "volts+sweep:100" << false << 1;
    QTest::newRow("during a trigger exchange") << "trigger+sweep:100" << false << 1;
    QTest::newRow("paused") << "pause sweep:100" << false << 1;
    QTest::newRow("paused, the window moved") << "pause right sweep:100" << false << 1;
    QTest::newRow("the memory a paused box sends again during \"L&\"")
        << "pause run+sweep:100" << false << 1;
    QTest::newRow("after \"Lecture\"") << "pause run+sweep:100 sweep:100" << true << 2;
    QTest::newRow("a display setting sends nothing") << "x2 probe sweep:100" << true << 1;
    QTest::newRow("half a sweep completes nothing") << "start:100" << false << 0;
}

void SweepCountingTest::sweepCounts() {
    QFETCH(QString, steps);
    QFETCH(bool, counts);
    QFETCH(int, sweeps);
    probe->Activate();
    script->HookWrites();
    QCOMPARE(Session().SweepCount(), 0);
    QVERIFY2(script->Run(steps), qPrintable(script->failed));
    QCOMPARE(Session().SweepCount(), sweeps);
    QCOMPARE(Session().LastSweepCounts(), counts);
}

// The measurements hear of a sweep once it is redrawn, so that the ground level they read
// is the one measured from it.
void SweepCountingTest::sweepCompletedFollowsItsRedraw() {
    probe->Activate();
    script->HookWrites();
    QStringList order;
    QObject::connect(&Session(), &Instrument::redrawRequested, &Session(),
                     [&] { order << QStringLiteral("redraw"); });
    QObject::connect(&Session(), &Instrument::sweepCompleted, &Session(), [&] {
        order << QStringLiteral("completed %1").arg(Session().State().channelA.groundLevel);
    });
    QVERIFY(script->Run(QStringLiteral("sweep:140")));
    QCOMPARE(order, (QStringList{"redraw", "completed 140"}));
}

QTEST_GUILESS_MAIN(SweepCountingTest)
#include "tst_sweepcounting.moc"
