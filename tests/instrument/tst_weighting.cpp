#include "SessionProbe.h"
#include "core/WeightingWindow.h"

#include <QtTest>
#include <functional>
#include <memory>

// The session's weighting: the window chosen, the weighting of each completed sweep, and
// the weighting again while paused, which must work from the sweep on the screen.
class WeightingTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        probe = std::make_unique<SessionProbe>();
        probe->Activate();
    }
    void cleanup() { probe.reset(); }

    void choosingAWindow();
    void eachCompletedSweepIsWeightedWithTheWindow();
    void pausedReweightUsesTheLastCompletedSweep();
    void pausedReweightBeforeAnySweepWritesNothing();
    void noReweightWhileRunning();

private:
    Instrument& Session() { return probe->session; }
    void FeedPoints(int from, int to, const std::function<int(int)>& codeA,
                    const std::function<int(int)>& codeB) {
        for (int point = from; point <= to; ++point)
            Session().ReceiveBytes("A" + QByteArray::number(codeA(point)).rightJustified(3, '0') +
                                   (point == 1 ? "#" : "%") +
                                   QByteArray::number(codeB(point)).rightJustified(3, '0') + "B");
    }
    std::unique_ptr<SessionProbe> probe;
};

namespace {

// A triangle on A between 20 and 220, a narrower one on B between 100 and 160.
int WaveA(int point) {
    return 20 + std::abs((point % 100) - 50) * 4;
}
int WaveB(int point) {
    return 100 + std::abs((point % 60) - 30) * 2;
}

} // namespace

void WeightingTest::choosingAWindow() {
    QCOMPARE(Session().Weighting(), WeightingWindow::Rectangular);
    QVERIFY(!Session().ShowWindowEffect());
    Session().SelectWeightingWindow(4);
    QCOMPARE(Session().Weighting(), WeightingWindow::Bartlett);
    for (int outside : {0, 6, -1})
        Session().SelectWeightingWindow(outside);
    QCOMPARE(Session().Weighting(), WeightingWindow::Bartlett);
    Session().SetShowWindowEffect(true);
    QVERIFY(Session().ShowWindowEffect());
    // Choosing weighs nothing and draws nothing.
    QVERIFY(probe->events.isEmpty());
    QVERIFY(!Session().Samples().WeightedWritten(1));
    // The start-up state puts both back.
    Session().SetInitialState();
    QCOMPARE(Session().Weighting(), WeightingWindow::Rectangular);
    QVERIFY(!Session().ShowWindowEffect());
}

void WeightingTest::eachCompletedSweepIsWeightedWithTheWindow() {
    Session().SelectWeightingWindow(static_cast<int>(WeightingWindow::Hanning));
    FeedPoints(1, 300, WaveA, WaveB);
    QCOMPARE(probe->events, QStringList{"redraw"});
    QVERIFY(Session().LastSweep().has_value());
    const CompletedSweep& sweep = *Session().LastSweep();
    QCOMPARE(sweep.extremes.channelAMin, 20);
    QCOMPARE(sweep.extremes.channelAMax, 220);
    QCOMPARE(sweep.codeA[149], WaveA(150));
    // Point 150 has weight 1: its distance from the mid-level 120 (A) or 130 (B) is kept.
    const SampleTable::Point& p = Session().Samples().At(150);
    QCOMPARE(p.weightedA, WaveA(150) + 128 - 120);
    QCOMPARE(p.weightedB, WaveB(150) + 128 - 130);
    QCOMPARE(Session().Samples().At(300).weightedA, 128);
}

void WeightingTest::pausedReweightUsesTheLastCompletedSweep() {
    FeedPoints(1, 300, WaveA, WaveB);
    const CompletedSweep completed = *Session().LastSweep();
    // The next sweep begins, flat and lower, then the acquisition is paused.
    FeedPoints(
        1, 120, [](int) { return 5; }, [](int) { return 250; });
    Session().Pause();
    QCOMPARE(Session().Samples().At(50).codeA, 5);
    QCOMPARE(Session().Decoder().Extremes().channelAMin, 5);

    // A window chosen while paused reaches the frozen sweep when the main window is back.
    Session().SelectWeightingWindow(static_cast<int>(WeightingWindow::Blackman));
    probe->events.clear();
    Session().ReweightWhilePaused();
    QCOMPARE(probe->events, QStringList{"redraw"});

    // Both channels are weighted about the mid-level 128 of the reset extremes, not about
    // the sweep's own 120 (A) and 130 (B), nor about the 5 and 250 of the points begun since.
    // Worked out by hand: trunc(w x code) + 128 - round(w x 128), with the Blackman weights
    // w(50) = 0.42 - 0.25 - 0.04 = 0.13, w(120) = 0.42 + 0.5 x 0.809017 + 0.08 x 0.309017
    // = 0.849230, w(150) = 1 less one bit, w(1) = 0.0000395 and w(300) = 0 within a bit.
    // Row 50, A = 20: 2 + 128 - 17 = 113 (about the sweep's own 120: 2 + 128 - 16 = 114).
    // Row 120, A = 140: 118 + 128 - 109 = 137 (own: 144); B = 160: 135 + 19 = 154 (own: 153).
    // Row 150, A = 20: 19 + 128 - 128 = 19 (own: 27); B = 100: 99 (own: 97).
    const struct {
        int row;
        int weightedA;
        int weightedB;
    } rows[] = {{1, 128, 128}, {50, 113, 129}, {120, 137, 154}, {150, 19, 99}, {300, 128, 128}};
    for (const auto& r : rows) {
        const SampleTable::Point& p = Session().Samples().At(r.row);
        QCOMPARE(p.displayA, WaveA(r.row)); // the frozen trace, not the sweep begun after it
        QCOMPARE(p.weightedA, r.weightedA);
        QCOMPARE(p.weightedB, r.weightedB);
    }
    // The whole table is that weighting of the completed sweep.
    SampleTable expected = Session().Samples();
    CompletedSweep centred = completed;
    centred.extremes = SweepExtremes{};
    ApplyWeightingWindow(expected, Session().State(), centred, WeightingWindow::Blackman);
    QVERIFY(expected == Session().Samples());
    // The completed sweep is kept as it was.
    QVERIFY(*Session().LastSweep() == completed);
    // The points received stay as they came.
    QCOMPARE(Session().Samples().At(50).codeA, 5);

    // Coming back twice gives the same picture.
    const SampleTable once = Session().Samples();
    Session().ReweightWhilePaused();
    QVERIFY(once == Session().Samples());
}

void WeightingTest::pausedReweightBeforeAnySweepWritesNothing() {
    FeedPoints(1, 100, WaveA, WaveB);
    Session().Pause();
    probe->events.clear();
    const SampleTable before = Session().Samples();
    Session().ReweightWhilePaused();
    QCOMPARE(probe->events, QStringList{"redraw"});
    QVERIFY(before == Session().Samples());
    QVERIFY(!Session().Samples().WeightedWritten(1));
}

void WeightingTest::noReweightWhileRunning() {
    FeedPoints(1, 300, WaveA, WaveB);
    Session().SelectWeightingWindow(static_cast<int>(WeightingWindow::Hamming));
    probe->events.clear();
    const SampleTable before = Session().Samples();
    Session().ReweightWhilePaused();
    QVERIFY(probe->events.isEmpty());
    QVERIFY(before == Session().Samples());
}

QTEST_GUILESS_MAIN(WeightingTest)
#include "tst_weighting.moc"
