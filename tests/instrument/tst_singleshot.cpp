#include "SweepScript.h"
#include "analysis/ShownSweep.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(SingleShot)

// Single shot in the session: armed, the next sweep taken with the settings in force is
// caught and held, and the program pauses as "Pause" does; what arrives afterwards (the
// sweeps the box sends before "P&" lands, the memory a paused box sends again) replaces
// nothing until "Lecture".
class SingleShotTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() {
        script.reset();
        probe.reset();
    }

    void availability_data();
    void availability();
    void catchesTheNextSweepAndHoldsIt();
    void skipsSweepsThatDoNotCount();
    void disarmedBySecondPressAndByPause_data();
    void disarmedBySecondPressAndByPause();
    void caughtJustBeforeAnExchangePausesAfterIt();

private:
    Instrument& Session() { return probe->session; }
    void Play(const QString& steps) { QVERIFY2(script->Run(steps), qPrintable(script->failed)); }
    // Channel A's displayed codes of the 300 points, as the screen draws them.
    QList<int> ShownA() const {
        QList<int> codes;
        for (int row = 1; row <= Sweep::Points; ++row)
            codes << probe->session.Samples().At(row).displayA;
        return codes;
    }

    std::unique_ptr<SessionProbe> probe;
    std::unique_ptr<SweepScript> script;
};

namespace {

QList<int> Flat(int code) {
    return QList<int>(Sweep::Points, code);
}

} // namespace

void SingleShotTest::init() {
    probe = std::make_unique<SessionProbe>();
    script = std::make_unique<SweepScript>(*probe);
}

// Arming needs an active link and a running acquisition; armed, the command stays usable to
// disarm; a caught sweep is let go by "Lecture" alone.
void SingleShotTest::availability_data() {
    QTest::addColumn<bool>("activate");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("available");
    QTest::addColumn<SingleShot>("after"); // after one more press
    QTest::newRow("before activation") << false << "" << false << SingleShot::Off;
    QTest::newRow("running") << true << "" << true << SingleShot::Armed;
    QTest::newRow("paused") << true << "pause" << false << SingleShot::Off;
    QTest::newRow("running again") << true << "pause run" << true << SingleShot::Armed;
    QTest::newRow("armed") << true << "shot" << true << SingleShot::Off;
    QTest::newRow("caught, pause on its way")
        << true << "shot sweep:100" << false << SingleShot::Caught;
    QTest::newRow("caught and paused")
        << true << "shot sweep:100 events" << false << SingleShot::Caught;
}

void SingleShotTest::availability() {
    QFETCH(bool, activate);
    QFETCH(QString, steps);
    QFETCH(bool, available);
    QFETCH(SingleShot, after);
    if (activate) {
        probe->Activate();
        script->HookWrites();
    } else {
        probe->Start();
    }
    Play(steps);
    QCOMPARE(Session().SingleShotAvailable(), available);
    Session().ToggleSingleShot();
    QCOMPARE(Session().SingleShotState(), after);
}

void SingleShotTest::catchesTheNextSweepAndHoldsIt() {
    probe->Activate();
    script->HookWrites();
    Play(QStringLiteral("dc sweep:90"));
    QSignalSpy changed(&Session(), &Instrument::singleShotChanged);
    probe->events.clear();

    Play(QStringLiteral("shot"));
    QCOMPARE(Session().SingleShotState(), SingleShot::Armed);
    Play(QStringLiteral("sweep:100"));
    QCOMPARE(Session().SingleShotState(), SingleShot::Caught);
    QCOMPARE(changed.count(), 2);
    const QList<int> caught = Flat(100);
    QCOMPARE(ShownA(), caught);
    const CompletedSweep caughtSweep = *Session().LastSweep();
    const SweepMeasurements caughtReadings =
        MeasureShownSweep(Session().Samples(), Session().State(), Session().Ram().Magnification());
    QVERIFY(caughtReadings.channelA.mean.available);

    // The pause as "Pause" does it, once the handler of the chunk has returned; the box
    // sends a sweep while "P&" is on its way, then its memory again while paused, also
    // after the window is moved.
    Play(QStringLiteral("events"));
    QVERIFY(probe->Commands().contains(QStringLiteral("P&")));
    QVERIFY(!Session().State().running);
    QVERIFY(Session().Locks().outputCommandsEnabled);
    QVERIFY(!Session().Locks().settingGroupsEnabled);
    const int sweeps = Session().SweepCount();
    // The spectrum's input: the caught sweep weighted anew, as coming back to the main
    // window while paused does.
    const auto weightedA = [this] {
        Session().ReweightWhilePaused();
        QList<int> codes;
        for (int row = 1; row <= Sweep::Points; ++row)
            codes << Session().Samples().At(row).weightedA;
        return codes;
    };
    const QList<int> caughtWeighted = weightedA();
    Play(QStringLiteral("sweep:110 right+sweep:120 sweep:130 events"));

    QCOMPARE(Session().SingleShotState(), SingleShot::Caught);
    QCOMPARE(ShownA(), caught);
    QVERIFY(*Session().LastSweep() == caughtSweep);
    QCOMPARE(Session().SweepCount(), sweeps);
    const SweepMeasurements heldReadings =
        MeasureShownSweep(Session().Samples(), Session().State(), Session().Ram().Magnification());
    QVERIFY(heldReadings.channelA == caughtReadings.channelA);
    QCOMPARE(weightedA(), caughtWeighted);

    // "Lecture" lets it go: the next sweep is shown, and nothing pauses again.
    Play(QStringLiteral("run sweep:140 sweep:150 events"));
    QCOMPARE(Session().SingleShotState(), SingleShot::Off);
    QCOMPARE(ShownA(), Flat(150));
    QVERIFY(Session().State().running);
    QCOMPARE(probe->Commands().count(QStringLiteral("P&")), 1);
}

// A sweep completed during an exchange, or while paused, is not the one armed for: the
// next sweep taken with the settings in force is.
void SingleShotTest::skipsSweepsThatDoNotCount() {
    probe->Activate();
    script->HookWrites();
    Play(QStringLiteral("shot timebase+sweep:100 trigger+start:105 finish:105"));
    QCOMPARE(Session().SingleShotState(), SingleShot::Armed);
    QCOMPARE(ShownA(), Flat(105));
    Play(QStringLiteral("sweep:110 events"));
    QCOMPARE(Session().SingleShotState(), SingleShot::Caught);
    QCOMPARE(ShownA(), Flat(110));
    QVERIFY(!Session().State().running);
}

void SingleShotTest::disarmedBySecondPressAndByPause_data() {
    QTest::addColumn<QString>("steps");
    QTest::newRow("second press") << "shot shot";
    QTest::newRow("pause, then run") << "shot pause run";
}

void SingleShotTest::disarmedBySecondPressAndByPause() {
    QFETCH(QString, steps);
    probe->Activate();
    script->HookWrites();
    Play(steps);
    QCOMPARE(Session().SingleShotState(), SingleShot::Off);
    const int pauses = probe->Commands().count(QStringLiteral("P&"));
    Play(QStringLiteral("sweep:100 events sweep:110 events"));
    QCOMPARE(ShownA(), Flat(110));
    QVERIFY(Session().State().running);
    QCOMPARE(probe->Commands().count(QStringLiteral("P&")), pauses);
}

// A sweep caught just before a click starts an exchange: the pause waits for the end of
// that exchange, whose completion would otherwise open the setting groups again while
// paused.
void SingleShotTest::caughtJustBeforeAnExchangePausesAfterIt() {
    probe->Activate();
    script->HookWrites();
    Play(QStringLiteral("shot sweep:100"));
    QCOMPARE(Session().SingleShotState(), SingleShot::Caught);
    Session().SelectTimeBase(9); // its waits let the pause's turn come
    Play(QStringLiteral("events"));
    const QStringList commands = probe->Commands();
    QCOMPARE(commands.size(), 2);
    QVERIFY(commands[0].startsWith(u'T'));
    QCOMPARE(commands[1], QStringLiteral("P&"));
    QVERIFY(!Session().State().running);
    QVERIFY(!Session().Locks().settingGroupsEnabled);
    QVERIFY(Session().Locks().outputCommandsEnabled);
}

QTEST_GUILESS_MAIN(SingleShotTest)
#include "tst_singleshot.moc"
