#include "measure/MarkerController.h"
#include "measure/MarkerState.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(MarkerMode)

// The placement rule of the markers and the state behind the three buttons and the mouse:
// which marker a press moves, the out-of-area reset, the button held, and what each button
// keeps and resets.
class MarkerPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void placementRule_data();
    void placementRule();
    void dragsKeepThePairsApartAndInside();

    void markersButtonStartsTimeWithRmsOffAndKeepsPositions();
    void selectionAndRmsButtons();
    void offModeMovesNothingAndAsksNoRedraw();
    void movesCountOnlyWhileTheButtonIsHeld();
    void dragOutsideKeepsTheDefaultsUntilItComesBack();
    void lostMouseEndsTheDrag();
};

void MarkerPlacementTest::placementRule_data() {
    QTest::addColumn<MarkerMode>("mode");
    QTest::addColumn<int>("low"); // the active pair before the press
    QTest::addColumn<int>("high");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<int>("newLow");
    QTest::addColumn<int>("newHigh");
    QTest::addColumn<bool>("redraw");

    const MarkerMode T = MarkerMode::Time;
    const MarkerMode V = MarkerMode::Voltage;
    // Time: left 50, right 590, midpoint 320.
    QTest::newRow("T midpoint moves neither")
        << T << 50 << 590 << QPoint(320, 100) << 50 << 590 << true;
    QTest::newRow("T left of mid") << T << 50 << 590 << QPoint(319, 100) << 319 << 590 << true;
    QTest::newRow("T right of mid") << T << 50 << 590 << QPoint(321, 100) << 50 << 321 << true;
    QTest::newRow("T left bound") << T << 50 << 590 << QPoint(20, 100) << 20 << 590 << true;
    QTest::newRow("T right bound") << T << 50 << 590 << QPoint(620, 100) << 50 << 620 << true;
    QTest::newRow("T past left bound") << T << 100 << 500 << QPoint(19, 100) << 50 << 590 << true;
    QTest::newRow("T past right bound") << T << 100 << 500 << QPoint(621, 100) << 50 << 590 << true;
    QTest::newRow("T beyond left marker")
        << T << 200 << 500 << QPoint(150, 100) << 150 << 500 << true;
    QTest::newRow("T beyond right marker")
        << T << 200 << 500 << QPoint(600, 100) << 200 << 600 << true;
    // Out of area on the other axis resets the time pair too.
    QTest::newRow("T below graticule") << T << 100 << 500 << QPoint(300, 300) << 50 << 590 << true;
    QTest::newRow("T above graticule") << T << 100 << 500 << QPoint(150, 31) << 50 << 590 << true;
    QTest::newRow("T top row inside") << T << 100 << 500 << QPoint(150, 32) << 150 << 500 << true;
    QTest::newRow("T bottom row inside")
        << T << 100 << 500 << QPoint(450, 288) << 100 << 450 << true;
    // Adjacent markers (mid = left).
    QTest::newRow("T adjacent on left")
        << T << 100 << 101 << QPoint(100, 100) << 100 << 101 << true;
    QTest::newRow("T adjacent on right")
        << T << 100 << 101 << QPoint(101, 100) << 100 << 101 << true;
    QTest::newRow("T adjacent right + 1")
        << T << 100 << 101 << QPoint(102, 100) << 100 << 102 << true;
    QTest::newRow("T adjacent left - 1") << T << 100 << 101 << QPoint(99, 100) << 99 << 101 << true;
    QTest::newRow("T two apart, on mid")
        << T << 100 << 102 << QPoint(101, 100) << 100 << 102 << true;

    // Voltage: top 48, bottom 272, midpoint 160; placed by y.
    QTest::newRow("V midpoint moves neither")
        << V << 48 << 272 << QPoint(300, 160) << 48 << 272 << true;
    QTest::newRow("V above mid") << V << 48 << 272 << QPoint(300, 159) << 159 << 272 << true;
    QTest::newRow("V below mid") << V << 48 << 272 << QPoint(300, 161) << 48 << 161 << true;
    QTest::newRow("V top bound") << V << 48 << 272 << QPoint(300, 32) << 32 << 272 << true;
    QTest::newRow("V bottom bound") << V << 48 << 272 << QPoint(300, 288) << 48 << 288 << true;
    QTest::newRow("V past top bound") << V << 100 << 200 << QPoint(300, 31) << 48 << 272 << true;
    QTest::newRow("V past bottom bound")
        << V << 100 << 200 << QPoint(300, 289) << 48 << 272 << true;
    QTest::newRow("V left of graticule") << V << 100 << 200 << QPoint(10, 120) << 48 << 272 << true;
    QTest::newRow("V right of graticule")
        << V << 100 << 200 << QPoint(621, 120) << 48 << 272 << true;
    QTest::newRow("V left column inside")
        << V << 100 << 200 << QPoint(20, 120) << 120 << 200 << true;
    QTest::newRow("V adjacent below + 1")
        << V << 100 << 101 << QPoint(300, 102) << 100 << 102 << true;
    QTest::newRow("V adjacent on top") << V << 100 << 101 << QPoint(300, 100) << 100 << 101 << true;

    // Off: nothing moves, nothing to redraw, wherever the press.
    QTest::newRow("Off inside") << MarkerMode::Off << 50 << 590 << QPoint(319, 100) << 50 << 590
                                << false;
    QTest::newRow("Off outside") << MarkerMode::Off << 100 << 500 << QPoint(5, 5) << 100 << 500
                                 << false;
}

void MarkerPlacementTest::placementRule() {
    QFETCH(MarkerMode, mode);
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(QPoint, press);
    QFETCH(int, newLow);
    QFETCH(int, newHigh);
    QFETCH(bool, redraw);

    // The pair under test is the time pair in Time and Off modes, the voltage pair in
    // Voltage mode; the other pair sits away from its start and must not move.
    const bool voltage = mode == MarkerMode::Voltage;
    MarkerState state;
    state.mode = mode;
    state.timeLeft = voltage ? 70 : low;
    state.timeRight = voltage ? 400 : high;
    state.voltageTop = voltage ? low : 60;
    state.voltageBottom = voltage ? high : 250;
    const MarkerState before = state;

    QCOMPARE(PlaceMarkers(state, press.x(), press.y()), redraw);
    MarkerState expected = before;
    (voltage ? expected.voltageTop : expected.timeLeft) = newLow;
    (voltage ? expected.voltageBottom : expected.timeRight) = newHigh;
    QCOMPARE(state.timeLeft, expected.timeLeft);
    QCOMPARE(state.timeRight, expected.timeRight);
    QCOMPARE(state.voltageTop, expected.voltageTop);
    QCOMPARE(state.voltageBottom, expected.voltageBottom);
    QCOMPARE(state, expected);
}

void MarkerPlacementTest::dragsKeepThePairsApartAndInside() {
    // Long random drags over and around the screen, in both modes: the pairs never cross
    // nor coincide and stay within the graticule.
    QRandomGenerator random(9);
    MarkerState state;
    for (int step = 0; step < 200000; ++step) {
        if (step % 1000 == 0)
            state.mode = state.mode == MarkerMode::Time ? MarkerMode::Voltage : MarkerMode::Time;
        PlaceMarkers(state, random.bounded(-10, 651), random.bounded(-10, 331));
        QVERIFY(state.timeLeft < state.timeRight);
        QVERIFY(state.voltageTop < state.voltageBottom);
        QVERIFY(state.timeLeft >= 20 && state.timeRight <= 620);
        QVERIFY(state.voltageTop >= 32 && state.voltageBottom <= 288);
    }
}

void MarkerPlacementTest::markersButtonStartsTimeWithRmsOffAndKeepsPositions() {
    MarkerController markers;
    QSignalSpy buttons(&markers, &MarkerController::buttonsChanged);
    QSignalSpy redraws(&markers, &MarkerController::redrawRequested);
    QCOMPARE(markers.State(), MarkerState());

    markers.ToggleMarkers();
    QCOMPARE(markers.State().mode, MarkerMode::Time);
    QVERIFY(!markers.State().rmsShown);
    markers.ToggleSelection();
    markers.ToggleRms();
    markers.Press({300, 200}); // voltage pair: bottom to 200
    markers.Release();
    QCOMPARE(markers.State().mode, MarkerMode::Voltage);
    QVERIFY(markers.State().rmsShown);
    QCOMPARE(markers.State().voltageBottom, 200);

    markers.ToggleMarkers();
    QCOMPARE(markers.State().mode, MarkerMode::Off);
    markers.ToggleMarkers();
    // Back on: the vertical pair selected, RMS off, the positions as they were left.
    QCOMPARE(markers.State().mode, MarkerMode::Time);
    QVERIFY(!markers.State().rmsShown);
    QCOMPARE(markers.State().voltageTop, 48);
    QCOMPARE(markers.State().voltageBottom, 200);
    QCOMPARE(buttons.size(), 5);
    QCOMPARE(redraws.size(), 6); // five clicks and the press
}

void MarkerPlacementTest::selectionAndRmsButtons() {
    MarkerController markers;
    QSignalSpy redraws(&markers, &MarkerController::redrawRequested);
    // Hidden while the markers are off: a click that reaches them anyway changes nothing.
    markers.ToggleSelection();
    markers.ToggleRms();
    QCOMPARE(markers.State(), MarkerState());
    QCOMPARE(redraws.size(), 0);

    markers.ToggleMarkers();
    const MarkerMode modes[] = {MarkerMode::Voltage, MarkerMode::Time, MarkerMode::Voltage};
    for (MarkerMode mode : modes) {
        markers.ToggleSelection();
        QCOMPARE(markers.State().mode, mode);
    }
    markers.ToggleRms();
    QVERIFY(markers.State().rmsShown);
    markers.ToggleRms();
    QVERIFY(!markers.State().rmsShown);
    QCOMPARE(redraws.size(), 6);
}

void MarkerPlacementTest::offModeMovesNothingAndAsksNoRedraw() {
    MarkerController markers;
    QSignalSpy redraws(&markers, &MarkerController::redrawRequested);
    markers.Press({319, 100});
    markers.Move({25, 100});
    markers.Move({5, 5});
    markers.Release();
    QCOMPARE(markers.State(), MarkerState());
    QCOMPARE(redraws.size(), 0);
}

void MarkerPlacementTest::movesCountOnlyWhileTheButtonIsHeld() {
    MarkerController markers;
    markers.ToggleMarkers();
    QSignalSpy redraws(&markers, &MarkerController::redrawRequested);
    markers.Move({100, 100}); // no press yet
    QCOMPARE(markers.State().timeLeft, 50);
    markers.Press({100, 100});
    QVERIFY(markers.State().buttonHeld);
    markers.Move({110, 100});
    markers.Move({500, 100}); // past the new midpoint (350): the right marker moves
    QCOMPARE(markers.State().timeRight, 500);
    markers.Release();
    QVERIFY(!markers.State().buttonHeld);
    markers.Move({200, 100});
    QCOMPARE(markers.State().timeLeft, 110);
    QCOMPARE(markers.State().timeRight, 500);
    QCOMPARE(redraws.size(), 3);
}

void MarkerPlacementTest::dragOutsideKeepsTheDefaultsUntilItComesBack() {
    MarkerController markers;
    markers.ToggleMarkers();
    markers.Press({200, 100});
    QCOMPARE(markers.State().timeLeft, 200);
    for (QPoint outside : {QPoint(200, 300), QPoint(40, 319), QPoint(-30, 150), QPoint(700, 150)}) {
        markers.Move(outside);
        QCOMPARE(markers.State().timeLeft, 50);
        QCOMPARE(markers.State().timeRight, 590);
    }
    markers.Move({560, 150}); // back inside
    QCOMPARE(markers.State().timeLeft, 50);
    QCOMPARE(markers.State().timeRight, 560);
}

void MarkerPlacementTest::lostMouseEndsTheDrag() {
    MarkerController markers;
    markers.ToggleMarkers();
    markers.Press({200, 100});
    markers.LoseMouse();
    QVERIFY(!markers.State().buttonHeld);
    QSignalSpy redraws(&markers, &MarkerController::redrawRequested);
    markers.Move({100, 100});
    QCOMPARE(markers.State().timeLeft, 200);
    QCOMPARE(redraws.size(), 0);
}

QTEST_GUILESS_MAIN(MarkerPlacementTest)
#include "tst_markerplacement.moc"
