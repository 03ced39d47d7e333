// The sweeps the session keeps and the sweep it shows: only sweeps completed while
// acquiring are kept; browsing while paused shows a kept sweep with the settings it was
// taken with and changes nothing else (no settings line, no save, no command); an
// acquisition file opened is browsed the same way, read only.

#include "SweepScript.h"

#include <QFile>
#include <QtTest>
#include <memory>

class HistoryTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() {
        script.reset();
        probe.reset();
    }

    void onlySweepsCompletedWhileAcquiringAreKept();
    void browsingShowsTheSettingsOfTheSweep();
    void browsingWritesAndSendsNothing();
    void sweepsArrivingWhilePausedDoNotReplaceTheBrowsedOne();
    void stepping_data();
    void stepping();
    void noBrowsingWhileAcquiring();
    void readyTheWayTheEndOfItsSweepMadeIt();
    void openingWhileAcquiringPausesFirst();
    void openingWithTheLinkInactiveAndClosing();
    void shorterHistoryKeepsTheNewest();

private:
    Instrument& Session() { return probe->session; }
    QByteArray SettingsFile() const {
        QFile f(probe->session.SettingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Activated; a sweep at 100 with the activation's settings, then a sweep at 150 at the
    // time base 1 ms/div with channel A at 500 mV/div; paused; the box sends its memory
    // again (222), which does not count.
    void TwoSweepsThenPause() {
        probe->Activate();
        script->HookWrites();
        firstTimeBase = Session().State().timeBaseIndex;
        firstVolts = Session().State().channelA.voltsPerDivIndex;
        QVERIFY2(script->Run(QStringLiteral("sweep:100 timebase volts sweep:150 pause sweep:222")),
                 qPrintable(script->failed));
        QCOMPARE(Session().State().timeBaseIndex, 9);
        QCOMPARE(Session().State().channelA.voltsPerDivIndex, 4);
        QVERIFY(firstTimeBase != 9);
        QVERIFY(firstVolts != 4);
    }

    std::unique_ptr<SessionProbe> probe;
    std::unique_ptr<SweepScript> script;
    int firstTimeBase = 0;
    int firstVolts = 0;
};

void HistoryTest::init() {
    probe = std::make_unique<SessionProbe>();
    script = std::make_unique<SweepScript>(*probe);
}

void HistoryTest::onlySweepsCompletedWhileAcquiringAreKept() {
    TwoSweepsThenPause();
    // The sweep of the time base's own exchange would not count either; here each sweep
    // came after its exchange.
    QCOMPARE(Session().History().Size(), 2);
    QCOMPARE(Session().History().At(0)->sweep.codeA[0], 100);
    QCOMPARE(Session().History().At(1)->sweep.codeA[0], 150);
    QVERIFY(script->Run(QStringLiteral("sweep:230 sweep:240")));
    QCOMPARE(Session().History().Size(), 2); // paused: the box's memory again
    QVERIFY(script->Run(QStringLiteral("run sweep:160")));
    QCOMPARE(Session().History().Size(), 3);
    QCOMPARE(Session().History().At(2)->sweep.codeA[299], 160);
    // A sweep under way when a setting changes is not one of the settings in force.
    QVERIFY(script->Run(QStringLiteral("volts+sweep:170")));
    QCOMPARE(Session().History().Size(), 3);
}

void HistoryTest::browsingShowsTheSettingsOfTheSweep() {
    TwoSweepsThenPause();
    QVERIFY(!Session().ShownRecord());
    QCOMPARE(Session().ShownSamples().At(1).displayA, 222); // live: the box's memory
    QSignalSpy shown(&Session(), &Instrument::shownSweepChanged);
    Session().BrowseTo(0);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(Session().BrowsedIndex(), std::optional<int>(0));
    QCOMPARE(Session().ShownState().timeBaseIndex, firstTimeBase);
    QCOMPARE(Session().ShownState().channelA.voltsPerDivIndex, firstVolts);
    QCOMPARE(Session().ShownSamples().At(1).displayA, 100);
    QCOMPARE(Session().ShownSamples().At(300).displayA, 100);
    // The live state is untouched.
    QCOMPARE(Session().State().timeBaseIndex, 9);
    QCOMPARE(Session().State().channelA.voltsPerDivIndex, 4);
    QCOMPARE(Session().Samples().At(1).displayA, 222);

    Session().BrowseTo(1);
    QCOMPARE(Session().ShownState().timeBaseIndex, 9);
    QCOMPARE(Session().ShownSamples().At(150).displayA, 150);

    Session().ShowLive();
    QCOMPARE(shown.count(), 3);
    QVERIFY(!Session().BrowsedIndex());
    QCOMPARE(&Session().ShownState(), &Session().State());
    QCOMPARE(&Session().ShownSamples(), &Session().Samples());
}

void HistoryTest::browsingWritesAndSendsNothing() {
    TwoSweepsThenPause();
    QCoreApplication::processEvents();
    const QByteArray before = SettingsFile();
    QVERIFY(!before.isEmpty());
    probe->events.clear();
    Session().BrowseTo(0);
    Session().StepBrowsing(1);
    Session().StepBrowsing(-1);
    Session().ReweightWhilePaused();
    Session().ShowLive();
    QCoreApplication::processEvents();
    QVERIFY(!probe->events.contains(QStringLiteral("save")));
    QCOMPARE(probe->Commands(), QStringList());
    QCOMPARE(SettingsFile(), before);
}

void HistoryTest::sweepsArrivingWhilePausedDoNotReplaceTheBrowsedOne() {
    TwoSweepsThenPause();
    Session().BrowseTo(0);
    probe->events.clear();
    QVERIFY(script->Run(QStringLiteral("sweep:50")));
    QCOMPARE(Session().ShownSamples().At(1).displayA, 100);
    QCOMPARE(Session().ShownState().timeBaseIndex, firstTimeBase);
    QCOMPARE(Session().BrowsedIndex(), std::optional<int>(0));
    QCOMPARE(Session().Samples().At(1).displayA, 50); // the live store did take it
}

void HistoryTest::stepping_data() {
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<int>("browsed"); // -1: live
    QTest::addColumn<int>("changes");
    // Five sweeps kept, 0 to 4; from live, the newest kept counts as the one shown.
    QTest::newRow("one back from live") << QList<int>{-1} << 3 << 1;
    QTest::newRow("forward from live: the newest") << QList<int>{1} << 4 << 1;
    QTest::newRow("far back stops at the oldest") << QList<int>{-50} << 0 << 1;
    QTest::newRow("back and forth") << QList<int>{-2, -1, 2} << 3 << 3;
    QTest::newRow("past the newest: no change") << QList<int>{-1, 1, 1, 1} << 4 << 2;
    QTest::newRow("past the oldest: no change") << QList<int>{-4, -1} << 0 << 1;
}

void HistoryTest::stepping() {
    QFETCH(QList<int>, steps);
    QFETCH(int, browsed);
    QFETCH(int, changes);
    probe->Activate();
    script->HookWrites();
    QVERIFY(script->Run(QStringLiteral("sweep:10 sweep:11 sweep:12 sweep:13 sweep:14 pause")));
    QCOMPARE(Session().BrowsableCount(), 5);
    QSignalSpy shown(&Session(), &Instrument::shownSweepChanged);
    for (int step : steps)
        Session().StepBrowsing(step);
    QCOMPARE(Session().BrowsedIndex().value_or(-1), browsed);
    QCOMPARE(Session().ShownSamples().At(7).displayA, 10 + browsed);
    QCOMPARE(shown.count(), changes);
}

void HistoryTest::noBrowsingWhileAcquiring() {
    probe->Activate();
    script->HookWrites();
    QVERIFY(script->Run(QStringLiteral("sweep:10 sweep:11")));
    QVERIFY(Session().State().running);
    QCOMPARE(Session().History().Size(), 2);
    QCOMPARE(Session().BrowsableCount(), 0);
    Session().BrowseTo(0);
    Session().StepBrowsing(-1);
    QVERIFY(!Session().BrowsedIndex());
    // "Lecture" after browsing: the live sweeps and settings again.
    QVERIFY(script->Run(QStringLiteral("pause")));
    Session().BrowseTo(0);
    QVERIFY(Session().BrowsedIndex());
    QVERIFY(script->Run(QStringLiteral("run")));
    QVERIFY(!Session().BrowsedIndex());
    QCOMPARE(&Session().ShownState(), &Session().State());
}

// A browsed sweep reads as its own redraw read it: the sum trace offset from the sweep's
// extremes and the math values kept on the screen, the weighted codes about its own
// mid-level.
void HistoryTest::readyTheWayTheEndOfItsSweepMadeIt() {
    probe->Activate();
    script->HookWrites();
    QVERIFY(script->Run(QStringLiteral("trace:B")));
    Session().SelectMathMode(int(MathMode::Sum));
    QVERIFY(script->Run(QStringLiteral("sweep:200")));
    const SampleTable live = Session().Samples();
    const int liveSum = Session().Decoder().SumOffset();
    QVERIFY(script->Run(QStringLiteral("pause")));
    Session().SelectMathMode(int(MathMode::None));
    Session().BrowseTo(Session().BrowsableCount() - 1);
    QCOMPARE(Session().ShownState().mathMode, MathMode::Sum);
    QCOMPARE(Session().ShownSumOffset(), liveSum);
    for (int row : {1, 150, 300}) {
        QCOMPARE(Session().ShownSamples().At(row).sum, live.At(row).sum);
        QCOMPARE(Session().ShownSamples().At(row).displayB, live.At(row).displayB);
        QCOMPARE(Session().ShownSamples().At(row).weightedA, live.At(row).weightedA);
    }
}

void HistoryTest::openingWhileAcquiringPausesFirst() {
    probe->Activate();
    script->HookWrites();
    QVERIFY(script->Run(QStringLiteral("sweep:10")));
    QVERIFY(Session().State().running);
    SweepRecord a;
    a.instrument.timeBaseIndex = 3;
    a.instrument.channelA.traceOn = true;
    a.sweep.codeA.fill(61);
    SweepRecord b = a;
    b.sweep.codeA.fill(62);
    probe->events.clear();
    QSignalSpy opened(&Session(), &Instrument::acquisitionChanged);
    Session().OpenAcquisition({a, b}, QStringLiteral("essai.oscacq"));
    QCOMPARE(opened.count(), 1);
    QVERIFY(!Session().State().running);
    QCOMPARE(probe->Commands().size(), 1); // the pause, and nothing else
    QCOMPARE(Session().AcquisitionName(), QStringLiteral("essai.oscacq"));
    QCOMPARE(Session().BrowsableCount(), 2);
    QCOMPARE(Session().BrowsedIndex(), std::optional<int>(0));
    QCOMPARE(Session().ShownState().timeBaseIndex, 3);
    QCOMPARE(Session().ShownSamples().At(1).displayA, 61);
    Session().StepBrowsing(1);
    QCOMPARE(Session().ShownSamples().At(1).displayA, 62);
    Session().CloseAcquisition();
    QCOMPARE(opened.count(), 2);
    QVERIFY(!Session().AcquisitionOpen());
    QVERIFY(!Session().BrowsedIndex());
    QCOMPARE(Session().BrowsableCount(), 1);          // the history of the paused session
    QVERIFY(Session().Locks().outputCommandsEnabled); // paused, as before
}

void HistoryTest::openingWithTheLinkInactiveAndClosing() {
    probe->Start();
    const PanelLocks before = Session().Locks();
    QVERIFY(!before.outputCommandsEnabled);
    SweepRecord a;
    a.instrument.channelA.traceOn = true;
    a.sweep.codeA.fill(70);
    Session().OpenAcquisition({a}, QStringLiteral("x.oscacq"));
    QVERIFY(Session().Locks().outputCommandsEnabled);
    QVERIFY(Session().Locks().outputHintsShown);
    QCOMPARE(Session().ShownSamples().At(10).displayA, 70);
    QCOMPARE(probe->Commands(), QStringList());
    Session().CloseAcquisition();
    QCOMPARE(Session().Locks(), before);
    QVERIFY(!Session().BrowsedIndex());
    // An empty file's sweeps open nothing.
    Session().OpenAcquisition({}, QStringLiteral("vide.oscacq"));
    QVERIFY(!Session().AcquisitionOpen());
}

void HistoryTest::shorterHistoryKeepsTheNewest() {
    probe->Activate();
    script->HookWrites();
    QString sweeps;
    for (int n = 0; n < 15; ++n)
        sweeps += QStringLiteral("sweep:%1 ").arg(20 + n);
    QVERIFY(script->Run(sweeps + QStringLiteral("pause")));
    QCOMPARE(Session().History().Size(), 15);
    Session().BrowseTo(2);
    Session().SetHistoryLength(10);
    QCOMPARE(Session().History().Size(), 10);
    QCOMPARE(Session().History().At(0)->sweep.codeA[0], 25);
    // The sweeps are numbered anew: the live one is shown.
    QVERIFY(!Session().BrowsedIndex());
}

QTEST_GUILESS_MAIN(HistoryTest)
#include "tst_history.moc"
