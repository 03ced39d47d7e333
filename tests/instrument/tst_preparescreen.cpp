#include "ProbeTools.h"

#include <QtTest>
#include <functional>
#include <memory>

// The Math menu and the trace switches, and what the session does before each redraw of
// the oscilloscope: the Math menu rule, the clamping of the math values the traces read
// and the measurement of the ground levels. The link is active, with the activated preset.
class PrepareScreenTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { probe.reset(); }

    void selectMathMode_data();
    void selectMathMode();
    void mathMenuFollowsTheTraces_data();
    void mathMenuFollowsTheTraces();
    void switchingATraceOffForcesNoMathAtItsRedraw();
    void traceSwitch_data();
    void traceSwitch();

    void clampsTheDrawnMathModeOverTheShownPoints_data();
    void clampsTheDrawnMathModeOverTheShownPoints();
    void groundLevel_data();
    void groundLevel();
    void groundLevelReadsTheDisplayedCodes();

private:
    Instrument& Session() { return probe->session; }
    // One sweep of 300 packets, one at a time, with the codes of each point.
    void FeedSweep(const std::function<int(int)>& codeA, const std::function<int(int)>& codeB);

    std::unique_ptr<SessionProbe> probe;
};

namespace {

// "A", three digits of channel A, "#" for the first point or "%", three digits of
// channel B, "B".
QByteArray Packet(int point, int codeA, int codeB) {
    return "A" + QByteArray::number(codeA).rightJustified(3, '0') + (point == 1 ? "#" : "%") +
           QByteArray::number(codeB).rightJustified(3, '0') + "B";
}

// Codes of points 1 to 14, each different, then 128: the ground level is the mean of
// points 3 to 12, truncated (A: 1307 / 10, B: 699 / 10). A mean over other points, by
// another divisor or rounded to the nearest gives another level.
const QList<int> GroundedA{10, 20, 121, 125, 133, 137, 140, 128, 126, 131, 139, 127, 250, 240};
const QList<int> GroundedB{200, 190, 60, 65, 71, 74, 68, 80, 77, 63, 69, 72, 5, 15};

int CodeAt(const QList<int>& codes, int point) {
    return point <= codes.size() ? codes[point - 1] : 128;
}

// Codes whose sums and differences leave the screen at points 1, 2, 3, 61, 62, 151, 152 and
// 300, around points at 200 on both channels: the sums run from 0 to 800 (offset 272, kept
// within 272..527) and the differences from -600 to 600 (offset 128, kept within
// -128..127).
int WideA(int point) {
    switch (point) {
    case 1:
        return 0;
    case 2:
        return 600;
    case 3:
        return 0;
    case 61:
    case 151:
    case 300:
        return 700;
    case 62:
    case 152:
        return 100;
    default:
        return 200;
    }
}

int WideB(int point) {
    switch (point) {
    case 1:
    case 2:
        return 0;
    case 3:
        return 600;
    case 61:
    case 151:
    case 300:
        return 100;
    case 62:
    case 152:
        return 700;
    default:
        return 200;
    }
}

const QList<int> WidePoints{1, 2, 3, 61, 62, 151, 152, 300};
const QList<int> RawSums{0, 600, 600, 800, 800, 800, 800, 800};
const QList<int> RawDifferences{0, 600, -600, 600, -600, 600, -600, 600};

} // namespace

void PrepareScreenTest::init() {
    probe = std::make_unique<SessionProbe>();
    probe->Activate();
}

void PrepareScreenTest::FeedSweep(const std::function<int(int)>& codeA,
                                  const std::function<int(int)>& codeB) {
    for (int point = 1; point <= 300; ++point)
        Session().ReceiveBytes(Packet(point, codeA(point), codeB(point)));
}

void PrepareScreenTest::selectMathMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<MathMode>("state");
    QTest::newRow("A + B") << 1 << MathMode::Sum;
    QTest::newRow("A - B") << 2 << MathMode::Difference;
    QTest::newRow("X-Y") << 3 << MathMode::XY;
    QTest::newRow("none") << 0 << MathMode::None;
}

void PrepareScreenTest::selectMathMode() {
    QFETCH(int, mode);
    QFETCH(MathMode, state);
    Session().SwitchTrace(Channel::B, true);
    Session().SelectMathMode(3);
    probe->events.clear();
    RecordDisplays(*probe);

    Session().SelectMathMode(mode);
    QCOMPARE(probe->events, (QStringList{"math menu", "redraw"}));
    QCOMPARE(Session().State().mathMode, state);
    QCOMPARE(Session().MathMenu().checkedMode, mode);
    // "Pas de Math" can be pressed only while a mode is on.
    QCOMPARE(Session().MathMenu().noMathButtonEnabled, mode != 0);
}

void PrepareScreenTest::mathMenuFollowsTheTraces_data() {
    QTest::addColumn<bool>("traceA");
    QTest::addColumn<bool>("traceB");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<bool>("modesEnabled"); // items 1 to 3, their buttons and the hints
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("noMathButton");
    QTest::newRow("A alone") << true << false << 0 << false << 0 << false;
    QTest::newRow("both on") << true << true << 0 << true << 0 << false;
    QTest::newRow("both on, A - B kept") << true << true << 2 << true << 2 << true;
    QTest::newRow("B off under A - B") << true << false << 2 << false << 0 << false;
    QTest::newRow("A off under X-Y") << false << true << 3 << false << 0 << false;
    QTest::newRow("both off under A + B") << false << false << 1 << false << 0 << false;
}

void PrepareScreenTest::mathMenuFollowsTheTraces() {
    QFETCH(bool, traceA);
    QFETCH(bool, traceB);
    QFETCH(int, chosen);
    QFETCH(bool, modesEnabled);
    QFETCH(int, mode);
    QFETCH(bool, noMathButton);
    Session().SwitchTrace(Channel::B, true);
    Session().PrepareScreen();
    Session().SelectMathMode(chosen);
    Session().SwitchTrace(Channel::A, traceA);
    Session().SwitchTrace(Channel::B, traceB);

    Session().PrepareScreen();
    const MathMenuState& menu = Session().MathMenu();
    QCOMPARE(menu.modesEnabled, modesEnabled);
    QCOMPARE(menu.hintsShown, modesEnabled);
    QCOMPARE(menu.checkedMode, mode);
    QCOMPARE(static_cast<int>(Session().State().mathMode), mode);
    QCOMPARE(menu.noMathButtonEnabled, noMathButton);
}

void PrepareScreenTest::switchingATraceOffForcesNoMathAtItsRedraw() {
    Session().SwitchTrace(Channel::B, true);
    Session().SelectMathMode(1);
    Session().PrepareScreen();
    QVERIFY(Session().MathMenu().modesEnabled);
    // Every redraw of the screen runs PrepareScreen first, as the screen does.
    QList<MathMode> modeAtRedraw;
    connect(&Session(), &Instrument::redrawRequested, this, [this, &modeAtRedraw] {
        Session().PrepareScreen();
        modeAtRedraw << Session().State().mathMode;
    });
    probe->events.clear();
    RecordDisplays(*probe);

    Session().SwitchTrace(Channel::B, false);
    QCOMPARE(probe->events,
             (QStringList{"trace B", "redraw", "math menu", "save", "controls B", "math menu"}));
    QCOMPARE(modeAtRedraw, QList<MathMode>{MathMode::None});
    QCOMPARE(Session().MathMenu(), (MathMenuState{false, false, 0, false}));
}

void PrepareScreenTest::traceSwitch_data() {
    QTest::addColumn<Channel>("channel");
    QTest::addColumn<bool>("on");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("B on") << Channel::B << true << "VOIE_B_ON"
                          << QStringList{"trace B", "redraw", "save", "controls B"};
    // Switching off also disables "Pas de Math" ("math menu").
    QTest::newRow("A off") << Channel::A << false << "VOIE_A_OFF"
                           << QStringList{"trace A", "redraw", "save", "controls A", "math menu"};
    QTest::newRow("B off") << Channel::B << false << "VOIE_B_OFF"
                           << QStringList{"trace B", "redraw", "save", "controls B", "math menu"};
}

void PrepareScreenTest::traceSwitch() {
    QFETCH(Channel, channel);
    QFETCH(bool, on);
    QFETCH(QString, line);
    QFETCH(QStringList, events);
    Session().SwitchTrace(channel, !on);
    probe->events.clear();
    RecordDisplays(*probe);

    Session().SwitchTrace(channel, on);
    // The screen first, then the saved line and the channel's controls; nothing is sent.
    QCOMPARE(probe->events, events);
    QCOMPARE(Session().State().Of(channel).traceOn, on);
    QCOMPARE(Session().ChannelControlsEnabled(channel), on);
    const int k = channel == Channel::A ? 22 : 23;
    QCOMPARE(SettingsFile::Load(probe->dir.filePath(QStringLiteral("parametres.inf"))).Line(k),
             line);
}

void PrepareScreenTest::clampsTheDrawnMathModeOverTheShownPoints_data() {
    QTest::addColumn<bool>("bothOn");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("magnification");
    QTest::addColumn<QList<int>>("sums");        // at points 1, 2, 3, 61, 62, 151, 152, 300
    QTest::addColumn<QList<int>>("differences"); // at the same points
    QTest::newRow("A + B, x1") << true << 1 << 1
                               << QList<int>{272, 527, 527, 527, 527, 527, 527, 527}
                               << RawDifferences;
    QTest::newRow("A + B, x2: points 1 to 151")
        << true << 1 << 2 << QList<int>{272, 527, 527, 527, 527, 527, 800, 800} << RawDifferences;
    QTest::newRow("A + B, x5: points 1 to 61")
        << true << 1 << 5 << QList<int>{272, 527, 527, 527, 800, 800, 800, 800} << RawDifferences;
    QTest::newRow("A - B, x1") << true << 2 << 1 << RawSums
                               << QList<int>{0, 127, -128, 127, -128, 127, -128, 127};
    QTest::newRow("A - B, x5: points 1 to 61")
        << true << 2 << 5 << RawSums << QList<int>{0, 127, -128, 127, -600, 600, -600, 600};
    QTest::newRow("X-Y draws no math column") << true << 3 << 1 << RawSums << RawDifferences;
    QTest::newRow("no math") << true << 0 << 1 << RawSums << RawDifferences;
    QTest::newRow("A + B chosen, B off: not drawn") << false << 1 << 1 << RawSums << RawDifferences;
}

void PrepareScreenTest::clampsTheDrawnMathModeOverTheShownPoints() {
    QFETCH(bool, bothOn);
    QFETCH(int, mode);
    QFETCH(int, magnification);
    QFETCH(QList<int>, sums);
    QFETCH(QList<int>, differences);
    Session().SwitchTrace(Channel::B, true);
    Session().SelectMathMode(mode);
    Session().SwitchTrace(Channel::B, bothOn);
    Session().SetMagnification(magnification);
    FeedSweep(WideA, WideB);
    QCOMPARE(Session().Decoder().SumOffset(), 272);
    QCOMPARE(Session().Decoder().DifferenceOffset(), 128);

    Session().PrepareScreen();
    QList<int> sumsAfter;
    QList<int> differencesAfter;
    for (int point : WidePoints) {
        sumsAfter << Session().Samples().At(point).sum;
        differencesAfter << Session().Samples().At(point).difference;
    }
    QCOMPARE(sumsAfter, sums);
    QCOMPARE(differencesAfter, differences);
    // The points in between stay as they came.
    QCOMPARE(Session().Samples().At(100).sum, 400);
    QCOMPARE(Session().Samples().At(100).difference, 0);
}

void PrepareScreenTest::groundLevel_data() {
    QTest::addColumn<int>("couplingA");
    QTest::addColumn<int>("couplingB");
    QTest::addColumn<bool>("traceA"); // at the redraw; both are on during the sweep
    QTest::addColumn<bool>("hiddenByRestore");
    QTest::addColumn<int>("levelA");
    QTest::addColumn<int>("levelB");
    // Unmeasured levels stay at 0, the level the program starts with.
    QTest::newRow("both grounded") << 2 << 2 << true << false << 130 << 69;
    QTest::newRow("A on DC") << 3 << 2 << true << false << 0 << 69;
    QTest::newRow("B on AC") << 2 << 1 << true << false << 130 << 0;
    QTest::newRow("A switched off") << 2 << 2 << false << false << 0 << 69;
    QTest::newRow("markers hidden by the restore") << 2 << 2 << true << true << 0 << 0;
}

void PrepareScreenTest::groundLevel() {
    QFETCH(int, couplingA);
    QFETCH(int, couplingB);
    QFETCH(bool, traceA);
    QFETCH(bool, hiddenByRestore);
    QFETCH(int, levelA);
    QFETCH(int, levelB);
    if (hiddenByRestore) { // a fresh session whose activation restores the positions
        probe = std::make_unique<SessionProbe>();
        LoadSettingsLines(*probe, {{28, "32"}, {30, "128"}, {31, "128"}});
        probe->Activate();
        QVERIFY(!Session().State().channelA.groundMarkerShown);
    }
    Session().SwitchTrace(Channel::B, true);
    if (couplingA != 2)
        Session().SelectCoupling(Channel::A, couplingA);
    if (couplingB != 2)
        Session().SelectCoupling(Channel::B, couplingB);
    FeedSweep([](int p) { return CodeAt(GroundedA, p); },
              [](int p) { return CodeAt(GroundedB, p); });
    Session().SwitchTrace(Channel::A, traceA);
    QCOMPARE(Session().State().channelA.groundLevel, 0);
    QCOMPARE(Session().State().channelB.groundLevel, 0);

    Session().PrepareScreen();
    QCOMPARE(Session().State().channelA.groundLevel, levelA);
    QCOMPARE(Session().State().channelB.groundLevel, levelB);
}

void PrepareScreenTest::groundLevelReadsTheDisplayedCodes() {
    // The first sweep is displayed; the second arrives while the trace is off, so the
    // screen still shows the first.
    FeedSweep([](int p) { return CodeAt(GroundedA, p); }, [](int) { return 128; });
    Session().SwitchTrace(Channel::A, false);
    FeedSweep([](int) { return 200; }, [](int) { return 128; });
    Session().SwitchTrace(Channel::A, true);
    QCOMPARE(Session().Samples().At(5).codeA, 200);
    QCOMPARE(Session().Samples().At(5).displayA, 133);

    Session().PrepareScreen();
    QCOMPARE(Session().State().channelA.groundLevel, 130);
}

QTEST_MAIN(PrepareScreenTest)
#include "tst_preparescreen.moc"
