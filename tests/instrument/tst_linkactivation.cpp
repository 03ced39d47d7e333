#include "ProbeTools.h"

#include "link/CommandProtocol.h"
#include "link/SerialLink.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <memory>

// Link activation on the session against a recording link (a box asleep until "Z1" or
// already awake, reading RTS as a microcontroller does): the wake-up and the first
// exchange, the sound and the communication notice, the activated preset, a box that
// never answers, a port that cannot be opened, and quitting.
class LinkActivationTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { probe.reset(); }

    void activationWakesAndInitialises_data();
    void activationWakesAndInitialises();
    void soundOnlyWithLine14On_data();
    void soundOnlyWithLine14On();
    void noticeHidesAtTheSecondTickOfItsTimer();
    void silentLinkEndsAfterTheWatchdog();
    void portThatCannotBeOpenedChangesNothing();
    void quit_data();
    void quit();
    void quitDuringAnExchangeSendsTheFinalCommandAfterIt();
    void linkIsToldWhatCompletesTheSweep();

private:
    Instrument& Session() { return probe->session; }
    // Adds the activation's own signals to the probe's events.
    void RecordActivation();
    // Notes whether RTS is up as each command of the coming activation is written.
    void RecordRtsAtWrite(QList<bool>& rts);

    std::unique_ptr<SessionProbe> probe;
};

namespace {

// Counts the ticks of the running timers of one interval (the communication notice's,
// which the session keeps to itself), seen as they reach their timer.
class TickCounter : public QObject {
public:
    TickCounter(int interval, QStringList& events) : interval(interval), events(events) {
        qApp->installEventFilter(this);
    }
    ~TickCounter() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer) {
            auto* timer = qobject_cast<QTimer*>(watched);
            if (timer && !timer->isSingleShot() && timer->interval() == interval &&
                timer->parent() != this)
                events << QStringLiteral("tick");
        }
        return false;
    }

private:
    int interval;
    QStringList& events;
};

} // namespace

void LinkActivationTest::init() {
    probe = std::make_unique<SessionProbe>();
}

void LinkActivationTest::RecordActivation() {
    Instrument& s = Session();
    QStringList& events = probe->events;
    connect(&s, &Instrument::activationStarted, this, [&events] { events << "activation"; });
    // The end of the wait for the box's acknowledgement (or of the watchdog).
    connect(&s.Protocol(), &CommandProtocol::progressFinished, this,
            [&events] { events << "progress hidden"; });
    connect(&s, &Instrument::soundRequested, this,
            [&events](const QString& name) { events << "sound " + name; });
    connect(&s, &Instrument::communicationNoticeShown, this,
            [&events](bool shown) { events << (shown ? "notice on" : "notice off"); });
    connect(&s, &Instrument::presetApplied, this, [&events](Preset preset) {
        events << (preset == Preset::Activated ? "activated preset" : "inactive preset");
    });
    RecordLockChanges(*probe, {{&PanelLocks::runButtonsEnabled, QStringLiteral("run buttons")}});
    connect(&s, &Instrument::linkLost, this, [&events] { events << "link lost"; });
    connect(&s, &Instrument::terminateRequested, this, [&events] { events << "terminate"; });
}

void LinkActivationTest::RecordRtsAtWrite(QList<bool>& rts) {
    connect(&Session(), &Instrument::activationStarted, this, [this, &rts] {
        RecordingLink* link = probe->link;
        link->onWrite = [link, &rts, record = link->onWrite](const QByteArray& bytes) {
            record(bytes);
            rts << link->Rts();
        };
    });
}

void LinkActivationTest::activationWakesAndInitialises_data() {
    QTest::addColumn<bool>("asleep");
    QTest::addColumn<bool>("wakeUpWithRtsHigh");
    // A sleeping box does not answer the wake-up's RTS, which stays up while "Z1" goes out;
    // one already awake answers it, and RTS falls at its answer as for any command.
    QTest::newRow("box asleep") << true << true;
    QTest::newRow("box already awake") << false << false;
}

void LinkActivationTest::activationWakesAndInitialises() {
    QFETCH(bool, asleep);
    QFETCH(bool, wakeUpWithRtsHigh);
    probe->asleepLink = asleep;
    Timings timings = ProgramTimings();
    timings.beforeWriteMs = 100; // the box answers within a few milliseconds
    TimingsGuard guard(timings);
    LoadSettingsLines(*probe, {{1, "ttyUSB7"}, {14, "SON_ON"}});
    probe->Start();
    RecordActivation();
    RecordOutputs(*probe);
    QList<bool> rtsAtWrite;
    RecordRtsAtWrite(rtsAtWrite);

    Session().ActivateLink();
    // The wake-up goes out unanswered; "?&" waits for the box's acknowledgement and comes
    // after the sound and the notice, with RTS down again. The output commands stay off
    // from the start-up state.
    QCOMPARE(probe->events,
             (QStringList{"activation", "redraw", "send Z1", "progress hidden", "sound open.wav",
                          "notice on", "send ?&", "activated preset", "run buttons on"}));
    QVERIFY(!Session().Locks().outputCommandsEnabled);
    QCOMPARE(rtsAtWrite, (QList<bool>{wakeUpWithRtsHigh, false}));
    QCOMPARE(probe->link->PortName(), QStringLiteral("ttyUSB7"));
    QVERIFY(Session().LinkActive());
    QVERIFY(!Session().LinkFailed());

    // The activated preset: 0.1 ms/div, 1 V/div, GND, channel A alone, trigger OFF.
    const InstrumentSettings& state = Session().State();
    QCOMPARE(state.timeBaseIndex, 12);
    for (Channel c : {Channel::A, Channel::B}) {
        QCOMPARE(state.Of(c).voltsPerDivIndex, 3);
        QCOMPARE(state.Of(c).coupling, Coupling::GND);
    }
    QVERIFY(state.channelA.traceOn);
    QVERIFY(!state.channelB.traceOn);
    QVERIFY(Session().ChannelControlsEnabled(Channel::A));
    QVERIFY(!Session().ChannelControlsEnabled(Channel::B));
    QCOMPARE(state.triggerSource, TriggerSource::Off);
    QVERIFY(!state.triggerArmed);
    QVERIFY(state.running);
    QVERIFY(Session().Ram().RightEnabled());
    QVERIFY(!Session().Ram().LeftEnabled());
}

void LinkActivationTest::soundOnlyWithLine14On_data() {
    QTest::addColumn<QString>("line14");
    QTest::addColumn<QStringList>("sounds");
    QTest::newRow("SON_ON") << "SON_ON" << QStringList{"open.wav"};
    QTest::newRow("SON_OFF") << "SON_OFF" << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("lower case") << "son_on" << QStringList{};
}

void LinkActivationTest::soundOnlyWithLine14On() {
    QFETCH(QString, line14);
    QFETCH(QStringList, sounds);
    LoadSettingsLines(*probe, {{14, line14}});
    probe->Start();
    QStringList requested;
    connect(&Session(), &Instrument::soundRequested, this,
            [&requested](const QString& name) { requested << name; });
    Session().ActivateLink();
    QCOMPARE(requested, sounds);
    QCOMPARE(probe->link->writes, (QList<QByteArray>{"Z1", "?&"}));
}

void LinkActivationTest::noticeHidesAtTheSecondTickOfItsTimer() {
    Timings timings = ProgramTimings();
    timings.commWindowMs = 7; // an interval no other repeating timer of the session has
    TimingsGuard guard(timings);
    probe->Start();
    QStringList seen;
    connect(&Session(), &Instrument::communicationNoticeShown, this,
            [&seen](bool shown) { seen << (shown ? "notice on" : "notice off"); });
    TickCounter ticks(7, seen);

    Session().ActivateLink();
    QCOMPARE(seen, QStringList{"notice on"});
    QTRY_VERIFY_WITH_TIMEOUT(seen.contains("notice off"), 10000);
    QCOMPARE(seen, (QStringList{"notice on", "tick", "tick", "notice off"}));

    // The timer has stopped: no tick while a timer of the same interval ticks five times.
    QTimer reference(&ticks);
    int referenceTicks = 0;
    connect(&reference, &QTimer::timeout, this, [&referenceTicks] { ++referenceTicks; });
    reference.start(7);
    QTRY_VERIFY_WITH_TIMEOUT(referenceTicks >= 5, 10000);
    QCOMPARE(seen, (QStringList{"notice on", "tick", "tick", "notice off"}));
}

void LinkActivationTest::silentLinkEndsAfterTheWatchdog() {
    probe->silentLink = true;
    LoadSettingsLines(*probe, {{14, "SON_ON"}}); // so that the failure has something to clear
    probe->Start();
    Timings timings = ProgramTimings();
    timings.watchdogIntervalMs = 2;
    TimingsGuard guard(timings);
    RecordActivation();
    QList<bool> rtsAtWrite;
    RecordRtsAtWrite(rtsAtWrite);
    QList<int> progress;
    connect(&Session().Protocol(), &CommandProtocol::progressChanged, this,
            [&progress](int value) { progress << value; });
    int progressAtLoss = 0;
    connect(&Session(), &Instrument::linkLost, this,
            [&progress, &progressAtLoss] { progressAtLoss = progress.size(); });

    Session().ActivateLink();
    // The watchdog's hundredth tick ends the wait: the link is lost and the program asked
    // to end from inside the wait; no "?&", no sound, no notice, no preset.
    QCOMPARE(probe->events, (QStringList{"activation", "redraw", "send Z1", "link lost",
                                         "terminate", "progress hidden"}));
    QCOMPARE(progressAtLoss, 100);
    QCOMPARE(progress.first(), 1);
    QCOMPARE(progress.last(), 100);
    QVERIFY(Session().LinkFailed());
    QVERIFY(!Session().LinkActive());
    QVERIFY(!probe->link->Rts());
    QCOMPARE(probe->link->writes, QList<QByteArray>{"Z1"});
    // The wake-up is written while RTS is up: this box does not answer it.
    QCOMPARE(rtsAtWrite, QList<bool>{true});
    // Sounds are off in memory; the file keeps its line until the next save.
    QCOMPARE(Session().Settings().Line(14), QStringLiteral("SON_OFF"));
    QCOMPARE(SettingsFile::Load(probe->dir.filePath(QStringLiteral("parametres.inf"))).Line(14),
             QStringLiteral("SON_ON"));

    // A handler that still runs does its part, but nothing more reaches the box.
    probe->events.clear();
    Session().SelectTimeBase(3);
    QCOMPARE(probe->events, (QStringList{"save", "redraw"}));
    // Quitting after the failure sends no "F&" either.
    Session().Quit();
    QCOMPARE(probe->events, (QStringList{"save", "redraw", "terminate"}));
    QCOMPARE(probe->link->writes, QList<QByteArray>{"Z1"});
}

void LinkActivationTest::portThatCannotBeOpenedChangesNothing() {
    probe->failOpen = true;
    probe->Start();
    RecordActivation();

    QString error;
    try {
        Session().ActivateLink();
    } catch (const SerialError& e) {
        error = e.Text();
    }
    QVERIFY2(error.startsWith(QStringLiteral("Unable to open com port (linux error code: 2 - ")),
             qPrintable(error));
    QCOMPARE(probe->events, QStringList{});
    QVERIFY(!Session().LinkActive());
    QVERIFY(!Session().LinkFailed());
    QVERIFY(!Session().Link());
    QVERIFY(!probe->link);
    // Commands asked for meanwhile go nowhere.
    Session().SelectTimeBase(3);
    QCOMPARE(probe->Commands(), QStringList{});

    // Activation can be tried again.
    probe->failOpen = false;
    probe->events.clear();
    Session().ActivateLink();
    QCOMPARE(probe->link->writes, (QList<QByteArray>{"Z1", "?&"}));
    QVERIFY(Session().LinkActive());
    QVERIFY(probe->events.contains("activated preset"));
}

void LinkActivationTest::quit_data() {
    QTest::addColumn<bool>("active");
    QTest::addColumn<int>("quits");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("active") << true << 1 << QStringList{"send F&", "terminate"};
    QTest::newRow("active, twice") << true << 2 << QStringList{"send F&", "terminate"};
    QTest::newRow("inactive") << false << 1 << QStringList{"terminate"};
}

void LinkActivationTest::quit() {
    QFETCH(bool, active);
    QFETCH(int, quits);
    QFETCH(QStringList, events);
    if (active)
        probe->Activate();
    else
        probe->Start();
    connect(&Session(), &Instrument::terminateRequested, this,
            [this] { probe->events << "terminate"; });

    for (int i = 0; i < quits; ++i)
        Session().Quit();
    QCOMPARE(probe->events, events);
    QVERIFY(!Session().LinkActive());
}

void LinkActivationTest::quitDuringAnExchangeSendsTheFinalCommandAfterIt() {
    probe->Activate();
    connect(&Session(), &Instrument::terminateRequested, this,
            [this] { probe->events << "terminate"; });
    // The user quits while the time base command is being written.
    probe->link->onWrite = [this, record = probe->link->onWrite](const QByteArray& bytes) {
        record(bytes);
        if (bytes == "T02&")
            Session().Quit();
    };

    Session().SelectTimeBase(12);
    QCOMPARE(probe->events, (QStringList{"save", "send T02&", "send F&", "terminate", "redraw"}));
    Session().SelectTimeBase(3); // after the end nothing more is sent
    QCOMPARE(probe->Commands(), (QStringList{"T02&", "F&"}));
}

// After each piece of the stream the link learns how many bytes complete the sweep under
// way (or the next one), so that it can hand them over together.
void LinkActivationTest::linkIsToldWhatCompletesTheSweep() {
    probe->Activate();
    RecordingLink& link = *probe->link;
    const auto packet = [](char marker) { return QByteArray("A128") + marker + "128B"; };
    QByteArray hundred = packet('#');
    for (int n = 2; n <= 100; ++n)
        hundred += packet('%');

    link.wanted.clear();
    link.Receive(hundred);
    link.Receive("A12");    // the start of point 101
    link.Receive("8%128B"); // its end
    QByteArray rest;
    for (int n = 102; n <= 300; ++n)
        rest += packet('%');
    link.Receive(rest + "A1"); // the sweep's end and the start of the next one
    QCOMPARE(link.wanted, (QList<qsizetype>{200 * 9, 200 * 9 - 3, 199 * 9, 300 * 9 - 2}));
}

QTEST_MAIN(LinkActivationTest)
#include "tst_linkactivation.moc"
