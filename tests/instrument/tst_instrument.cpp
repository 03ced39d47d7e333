#include "ProbeTools.h"

#include <QtTest>
#include <memory>

// The operations of the front panel on the session, each with the order in which a user
// and the box observe them: what the panel shows ("time base", "coupling A", "trigger"...),
// "save", "send <command>" and "redraw". The link is active, with the activated preset.
class InstrumentTest : public QObject {
    Q_OBJECT
public:
    enum class Operation { TimeBase, VoltsA, CouplingB, Trigger, MathMode, Magnification, Step };

private slots:
    void init();
    void cleanup() { probe.reset(); }

    void timeBase_data();
    void timeBase();
    void timeBaseRepeatsTheCurrentRange();
    void voltsPerDiv_data();
    void voltsPerDiv();
    void coupling_data();
    void coupling();
    void groundWithArmedTriggerShowsOffAndSendsOnlyTheCoupling();
    void groundAfterTriggerOffLeavesTheTriggerAlone();
    void probeChangesTheDisplayOnly();

    void sliderRelease_data();
    void sliderRelease();
    void positionButtons_data();
    void positionButtons();
    void centringChannelB();

    void trigger_data();
    void trigger();
    void pauseThenRun();

    void valuesOutsideTheirTablesDoNothing_data();
    void valuesOutsideTheirTablesDoNothing();

private:
    // Line k as the settings file on disk holds it.
    QString FileLine(int k) const;
    Instrument& Session() { return probe->session; }
    void Clear() { probe->events.clear(); }

    std::unique_ptr<SessionProbe> probe;
};

Q_DECLARE_METATYPE(InstrumentTest::Operation)

void InstrumentTest::init() {
    probe = std::make_unique<SessionProbe>();
    probe->Activate();
    RecordDisplays(*probe);
}

QString InstrumentTest::FileLine(int k) const {
    return SettingsFile::Load(probe->dir.filePath(QStringLiteral("parametres.inf"))).Line(k);
}

void InstrumentTest::timeBase_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("line");
    QTest::newRow("0.5 ms") << 12 << 10 << "T18&"
                            << "10";
    QTest::newRow("0.1 ms, from 500 ms") << 1 << 12 << "T02&"
                                         << "12";
    QTest::newRow("1 µs") << 12 << 18 << "T00&"
                          << "18";
    QTest::newRow("500 ms") << 12 << 1 << "T21&"
                            << "1";
}

void InstrumentTest::timeBase() {
    QFETCH(int, from);
    QFETCH(int, index);
    QFETCH(QString, command);
    QFETCH(QString, line);
    Session().SelectTimeBase(from);
    Clear();

    Session().SelectTimeBase(index);
    // Knob and labels first, then the saved line, the command, the redraw.
    QCOMPARE(probe->events, (QStringList{"time base", "save", "send " + command, "redraw"}));
    QCOMPARE(Session().State().timeBaseIndex, index);
    QCOMPARE(Session().Settings().Line(SettingsLine::TimeBase), line);
    QCOMPARE(FileLine(SettingsLine::TimeBase), line);
}

void InstrumentTest::timeBaseRepeatsTheCurrentRange() {
    Session().SelectTimeBase(12);
    Session().SelectTimeBase(12);
    QCOMPARE(probe->events, (QStringList{"time base", "save", "send T02&", "redraw", "time base",
                                         "save", "send T02&", "redraw"}));
}

void InstrumentTest::voltsPerDiv_data() {
    QTest::addColumn<Channel>("channel");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("shown");
    QTest::newRow("A 50 mV, code 8") << Channel::A << 7 << "A8*&"
                                     << "volts A";
    QTest::newRow("B 50 mV, code 8") << Channel::B << 7 << "B8*&"
                                     << "volts B";
    QTest::newRow("A 500 mV") << Channel::A << 4 << "A4*&"
                              << "volts A";
    QTest::newRow("B 10 mV") << Channel::B << 9 << "B10*&"
                             << "volts B";
    QTest::newRow("B 5 V") << Channel::B << 1 << "B12*&"
                           << "volts B";
}

void InstrumentTest::voltsPerDiv() {
    QFETCH(Channel, channel);
    QFETCH(int, index);
    QFETCH(QString, command);
    QFETCH(QString, shown);
    Session().SelectVoltsPerDiv(channel, index);
    QCOMPARE(probe->events, (QStringList{shown, "save", "send " + command, "redraw"}));
    QCOMPARE(Session().State().Of(channel).voltsPerDivIndex, index);
    const int own = channel == Channel::A ? 26 : 27;
    const int other = channel == Channel::A ? 27 : 26;
    QCOMPARE(FileLine(own), QString::number(index));
    QCOMPARE(FileLine(other), QStringLiteral("3")); // the start value
}

void InstrumentTest::coupling_data() {
    QTest::addColumn<Channel>("channel");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("markerAtRedraw");
    QTest::addColumn<bool>("markerAfter");
    // Before each row the slider is released, which hides the ground marker unless the
    // coupling is GND. Choosing GND shows the marker again, but only after its redraw:
    // that redraw does not measure the ground level yet.
    QTest::newRow("A AC") << Channel::A << 3 << 1 << "G&" << false << false;
    QTest::newRow("A GND") << Channel::A << 1 << 2 << "H&" << false << true;
    QTest::newRow("A DC, marker kept") << Channel::A << 2 << 3 << "I&" << true << true;
    QTest::newRow("B AC") << Channel::B << 2 << 1 << "J&" << true << true;
    QTest::newRow("B GND") << Channel::B << 3 << 2 << "K&" << false << true;
    QTest::newRow("B DC") << Channel::B << 1 << 3 << "M&" << false << false;
}

void InstrumentTest::coupling() {
    QFETCH(Channel, channel);
    QFETCH(int, before);
    QFETCH(int, value);
    QFETCH(QString, command);
    QFETCH(bool, markerAtRedraw);
    QFETCH(bool, markerAfter);
    Session().SelectCoupling(channel, before);
    Session().ReleasePosition(channel, 128);
    Clear();
    QList<bool> shownAtRedraw;
    connect(&Session(), &Instrument::redrawRequested, this,
            [&] { shownAtRedraw << Session().State().Of(channel).groundMarkerShown; });

    Session().SelectCoupling(channel, value);
    QCOMPARE(probe->events,
             (QStringList{"coupling " + Letter(channel), "save", "send " + command, "redraw"}));
    QCOMPARE(static_cast<int>(Session().State().Of(channel).coupling), value);
    QCOMPARE(FileLine(channel == Channel::A ? 24 : 25), QString::number(value));
    QCOMPARE(shownAtRedraw, QList<bool>{markerAtRedraw});
    QCOMPARE(Session().State().Of(channel).groundMarkerShown, markerAfter);
}

void InstrumentTest::groundWithArmedTriggerShowsOffAndSendsOnlyTheCoupling() {
    Session().SelectCoupling(Channel::B, 3);
    Session().SelectTrigger(2); // "VOIE A"
    QVERIFY(Session().State().triggerArmed);
    Clear();

    Session().SelectCoupling(Channel::B, 2);
    // The trigger shows OFF first; the box only hears of the coupling.
    QCOMPARE(probe->events, (QStringList{"trigger", "coupling B", "save", "send K&", "redraw"}));
    QCOMPARE(Session().State().triggerSource, TriggerSource::Off);
    QVERIFY(Session().State().triggerArmed);
    QCOMPARE(Session().Settings().Line(SettingsLine::Trigger), QStringLiteral("2"));
    QCOMPARE(FileLine(SettingsLine::Trigger), QStringLiteral("2"));

    Clear();
    Session().SelectTrigger(2);
    QCOMPARE(probe->Commands(), QStringList{"U&"});
    QCOMPARE(Session().State().triggerSource, TriggerSource::ChannelA);
}

void InstrumentTest::groundAfterTriggerOffLeavesTheTriggerAlone() {
    Session().SelectTrigger(4);
    Session().SelectTrigger(1);
    QVERIFY(!Session().State().triggerArmed);
    Session().SelectCoupling(Channel::A, 3);
    Clear();
    Session().SelectCoupling(Channel::A, 2);
    QCOMPARE(probe->events, (QStringList{"coupling A", "save", "send H&", "redraw"}));
}

void InstrumentTest::probeChangesTheDisplayOnly() {
    Session().SelectProbe(Channel::A, true);
    QCOMPARE(probe->events, (QStringList{"probe A", "redraw"}));
    QVERIFY(Session().State().channelA.probeTimesTen);
    QCOMPARE(Session().State().channelA.ProbeFactor(), 10);
    QVERIFY(!Session().State().channelB.probeTimesTen);
    Clear();
    Session().SelectProbe(Channel::A, false);
    QCOMPARE(probe->events, (QStringList{"probe A", "redraw"}));
    QCOMPARE(Session().State().channelA.ProbeFactor(), 1);
}

void InstrumentTest::sliderRelease_data() {
    QTest::addColumn<Channel>("channel");
    QTest::addColumn<int>("coupling");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("markerAfter");
    QTest::newRow("A DC hides the marker") << Channel::A << 3 << 40 << "Q40#&" << false;
    QTest::newRow("A AC hides the marker") << Channel::A << 1 << 40 << "Q40#&" << false;
    QTest::newRow("A GND keeps it") << Channel::A << 2 << 40 << "Q40#&" << true;
    QTest::newRow("B DC at 0") << Channel::B << 3 << 0 << "R0#&" << false;
    QTest::newRow("B GND at 255") << Channel::B << 2 << 255 << "R255#&" << true;
}

void InstrumentTest::sliderRelease() {
    QFETCH(Channel, channel);
    QFETCH(int, coupling);
    QFETCH(int, position);
    QFETCH(QString, command);
    QFETCH(bool, markerAfter);
    Session().SelectCoupling(channel, coupling);
    QVERIFY(Session().State().Of(channel).groundMarkerShown);
    Clear();

    Session().ReleasePosition(channel, position);
    // No redraw: the trace moves with the next sweep.
    QCOMPARE(probe->events,
             (QStringList{"position " + Letter(channel), "save", "send " + command}));
    QCOMPARE(FileLine(channel == Channel::A ? 18 : 19), QString::number(position));
    QCOMPARE(Session().State().Of(channel).verticalPosition, position);
    QCOMPARE(Session().State().Of(channel).groundMarkerShown, markerAfter);
}

void InstrumentTest::positionButtons_data() {
    QTest::addColumn<Channel>("channel");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("delta");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<int>("groundLevel");
    // Two presses each, from a ground level of 128. The marker follows the trace by two
    // codes a unit. At the end of the slider's travel the box is sent the same position
    // again and the trace does not move, so the marker stays where it is.
    QTest::newRow("A up") << Channel::A << 100 << 1 << QStringList{"Q101#&", "Q102#&"} << 132;
    QTest::newRow("A down") << Channel::A << 100 << -1 << QStringList{"Q99#&", "Q98#&"} << 124;
    QTest::newRow("A up to 255") << Channel::A << 254 << 1 << QStringList{"Q255#&", "Q255#&"}
                                 << 130;
    QTest::newRow("A up at 255") << Channel::A << 255 << 1 << QStringList{"Q255#&", "Q255#&"}
                                 << 128;
    QTest::newRow("A down at 0") << Channel::A << 0 << -1 << QStringList{"Q0#&", "Q0#&"} << 128;
    QTest::newRow("B up") << Channel::B << 7 << 1 << QStringList{"R8#&", "R9#&"} << 132;
}

void InstrumentTest::positionButtons() {
    QFETCH(Channel, channel);
    QFETCH(int, start);
    QFETCH(int, delta);
    QFETCH(QStringList, commands);
    QFETCH(int, groundLevel);
    Session().CentrePosition(channel); // ground level 128
    Session().ReleasePosition(channel, start);
    Clear();

    Session().StepPosition(channel, delta);
    Session().StepPosition(channel, delta);
    const QString shown = "position " + Letter(channel);
    QCOMPARE(probe->events, (QStringList{shown, "save", "send " + commands[0], shown, "save",
                                         "send " + commands[1]}));
    QCOMPARE(FileLine(channel == Channel::A ? 18 : 19), commands[1].mid(1).chopped(2));
    QCOMPARE(Session().State().Of(channel).groundLevel, groundLevel);
}

void InstrumentTest::centringChannelB() {
    Session().SelectCoupling(Channel::B, 3);
    Session().ReleasePosition(Channel::B, 30); // DC: the marker is hidden
    QVERIFY(!Session().State().channelB.groundMarkerShown);
    Clear();

    Session().CentrePosition(Channel::B);
    QCOMPARE(probe->events, (QStringList{"position B", "save", "send R128#&"}));
    QCOMPARE(FileLine(19), QStringLiteral("128"));
    QCOMPARE(Session().State().channelB.verticalPosition, 128);
    QCOMPARE(Session().State().channelB.groundLevel, 128);
    QVERIFY(Session().State().channelB.groundMarkerShown);
}

void InstrumentTest::trigger_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("armed");
    QTest::newRow("EXTERNE") << 4 << "W&" << true;
    QTest::newRow("VOIE B") << 3 << "V&" << true;
    QTest::newRow("OFF") << 1 << "S&" << false;
    QTest::newRow("VOIE A again") << 2 << "U&" << true;
}

void InstrumentTest::trigger() {
    QFETCH(int, source);
    QFETCH(QString, command);
    QFETCH(bool, armed);
    Session().SelectTrigger(2); // from a trigger armed on channel A
    Clear();

    Session().SelectTrigger(source);
    // Line 21 is saved before the buttons and lamp change, then the command and redraw.
    QCOMPARE(probe->events, (QStringList{"save", "trigger", "send " + command, "redraw"}));
    QCOMPARE(FileLine(SettingsLine::Trigger), QString::number(source));
    QCOMPARE(static_cast<int>(Session().State().triggerSource), source);
    QCOMPARE(Session().State().triggerArmed, armed);
}

void InstrumentTest::pauseThenRun() {
    RecordLocks(*probe);
    RecordOutputs(*probe);

    Session().Pause();
    QVERIFY(!Session().State().running);
    // The exchange unlocks the groups at its end; the pause locks them again after it. The
    // hints of the output buttons are shown already (nothing has hidden them yet).
    QCOMPARE(probe->events, (QStringList{"run state", "output on", "groups off", "transfer off",
                                         "send P&", "groups on", "transfer on", "groups off"}));

    Clear();
    Session().Run();
    QVERIFY(Session().State().running);
    // The pause has locked the instrument groups already; the exchange unlocks them.
    QCOMPARE(probe->events, (QStringList{"run state", "output off", "hints off", "transfer off",
                                         "send L&", "groups on", "transfer on"}));

    Clear();
    Session().Pause();
    QCOMPARE(probe->events,
             (QStringList{"run state", "output on", "hints on", "groups off", "transfer off",
                          "send P&", "groups on", "transfer on", "groups off"}));
}

void InstrumentTest::valuesOutsideTheirTablesDoNothing_data() {
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("value");
    QTest::newRow("time base 0") << Operation::TimeBase << 0;
    QTest::newRow("time base 19") << Operation::TimeBase << 19;
    QTest::newRow("volts/div 0") << Operation::VoltsA << 0;
    QTest::newRow("volts/div 10") << Operation::VoltsA << 10;
    QTest::newRow("coupling 0") << Operation::CouplingB << 0;
    QTest::newRow("coupling 4") << Operation::CouplingB << 4;
    QTest::newRow("trigger 0") << Operation::Trigger << 0;
    QTest::newRow("trigger 5") << Operation::Trigger << 5;
    QTest::newRow("math mode -1") << Operation::MathMode << -1;
    QTest::newRow("math mode 4") << Operation::MathMode << 4;
    QTest::newRow("magnification 3") << Operation::Magnification << 3;
    QTest::newRow("step 0") << Operation::Step << 0;
    QTest::newRow("step 12") << Operation::Step << 12;
    QTest::newRow("the step already chosen") << Operation::Step << 6;
}

void InstrumentTest::valuesOutsideTheirTablesDoNothing() {
    QFETCH(Operation, operation);
    QFETCH(int, value);
    switch (operation) {
    case Operation::TimeBase:
        Session().SelectTimeBase(value);
        break;
    case Operation::VoltsA:
        Session().SelectVoltsPerDiv(Channel::A, value);
        break;
    case Operation::CouplingB:
        Session().SelectCoupling(Channel::B, value);
        break;
    case Operation::Trigger:
        Session().SelectTrigger(value);
        break;
    case Operation::MathMode:
        Session().SelectMathMode(value);
        break;
    case Operation::Magnification:
        Session().SetMagnification(value);
        break;
    case Operation::Step:
        Session().SelectStep(value);
        break;
    }
    QCOMPARE(probe->events, QStringList{});
    QCOMPARE(Session().State().timeBaseIndex, 12);
    QCOMPARE(Session().State().channelA.voltsPerDivIndex, 3);
    QCOMPARE(Session().State().channelB.coupling, Coupling::GND);
    QCOMPARE(Session().State().triggerSource, TriggerSource::Off);
    QCOMPARE(Session().State().mathMode, MathMode::None);
    QCOMPARE(Session().Ram().Magnification(), 1);
    QCOMPARE(Session().Ram().StepSamples(), 30);
}

QTEST_MAIN(InstrumentTest)
#include "tst_instrument.moc"
