#include "ProbeTools.h"

#include "link/BoxCommands.h"
#include "link/CommandProtocol.h"
#include "link/SerialLink.h"
#include "link/SimulatedBox.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

// A link lost after the first activation, on the session: against a recording link (a box
// that reads RTS as a microcontroller does, whose port can fail at any call), and against
// the simulated box made to fail. The loss inside an exchange, the state brought back to a
// box found again, the ports tried, the silence of a box that should send, quitting, and
// what still ends the run.
class LinkLossTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void lossInsideAnExchangeIsNoError_data();
    void lossInsideAnExchangeIsNoError();
    void unacknowledgedCommandLosesTheLink();
    void firstActivationStillEndsTheRun_data();
    void firstActivationStillEndsTheRun();
    void restoreBringsTheBoxToTheState_data();
    void restoreBringsTheBoxToTheState();
    void settingsMadeWhileLostAreKept();
    void portThenItsAliasAreTried();
    void activationRetriesAtOnce();
    void quitWhileLostEndsAtOnce_data();
    void quitWhileLostEndsAtOnce();
    void silenceBound_data();
    void silenceBound();
    void silenceIsReportedOnlyWhenDataIsDue_data();
    void silenceIsReportedOnlyWhenDataIsDue();

    void simulatedBoxUnpluggedComesBackInTheState();
    void simulatedBoxSwitchedOffIsLostThenFound();
    void simulatedBoxMutedIsReported();

private:
    Instrument& Session() { return probe->session; }
    // Loses the link in use and waits until the session has let go of it.
    void LoseLink(const QString& reason = LossReason::HungUp);
    // Brings the session back, the next opening succeeding; returns the writes of the new
    // link from "Z1" on.
    QList<QByteArray> Reconnect();

    std::unique_ptr<SessionProbe> probe;
    std::unique_ptr<ErrorCatcher> errors;
    std::unique_ptr<TimingsGuard> timings;
    int terminations = 0;
};

namespace {

QList<QByteArray> Bytes(const QStringList& texts) {
    QList<QByteArray> bytes;
    for (const QString& t : texts)
        bytes << t.toLatin1();
    return bytes;
}

} // namespace

void LinkLossTest::init() {
    probe = std::make_unique<SessionProbe>(); // its quick timings, changed here
    Timings quick = ProgramTimings();
    quick.watchdogIntervalMs = 1; // a box that does not answer is given up after 100 ms
    quick.supervisionMs = 20;
    timings = std::make_unique<TimingsGuard>(quick);
    errors = std::make_unique<ErrorCatcher>();
    terminations = 0;
    connect(&Session(), &Instrument::terminateRequested, this, [this] { ++terminations; });
}

void LinkLossTest::cleanup() {
    const QStringList texts = errors->texts;
    timings.reset();
    probe.reset();
    errors.reset();
    QVERIFY2(texts.isEmpty(), qPrintable(texts.join(u'\n')));
}

void LinkLossTest::LoseLink(const QString& reason) {
    QPointer<RecordingLink> lost = probe->link;
    QVERIFY(lost);
    probe->failOpen = true; // nothing to open until the test says
    lost->Lose(reason);
    QVERIFY(Session().Reconnecting());
    QTRY_VERIFY(!lost); // let go of, and deleted once its handlers returned
}

QList<QByteArray> LinkLossTest::Reconnect() {
    const int tries = probe->opened.size();
    probe->failOpen = false;
    QSignalSpy back(&Session(), &Instrument::linkStateChanged);
    [&] { QTRY_VERIFY_WITH_TIMEOUT(!Session().Reconnecting(), 10000); }();
    if (probe->opened.size() <= tries || !probe->link)
        return {};
    // The restore is done once the notice says so.
    [&] {
        QTRY_COMPARE_WITH_TIMEOUT(Session().LinkNotice(), QStringLiteral("Liaison rétablie"),
                                  10000);
    }();
    return probe->link->writes;
}

void LinkLossTest::lossInsideAnExchangeIsNoError_data() {
    QTest::addColumn<QString>("where");
    // The port fails while the box's answer is awaited, at the RTS rise that begins the
    // exchange, or at the write itself: each call of a hardware port on a device gone
    // fails, and its loss is noticed by the call.
    QTest::newRow("while the answer is awaited") << "wait";
    QTest::newRow("at the RTS rise") << "rts";
    QTest::newRow("at the write") << "write";
}

// The front-panel handler under way goes on without an error box: its state is kept, the
// exchange completes at once without its write, the groups are open again, and the status
// panel is cleared for the session's notice.
void LinkLossTest::lossInsideAnExchangeIsNoError() {
    QFETCH(QString, where);
    probe->Activate();
    RecordLocks(*probe);
    QStringList statuses;
    connect(&Session().Protocol(), &CommandProtocol::statusChanged, this,
            [&statuses](const QString& text) {
                statuses << (text.trimmed().isEmpty() ? "idle" : "busy");
            });
    RecordingLink* link = probe->link;
    probe->failOpen = true;
    if (where == "wait") {
        link->silent = true;
        QTimer::singleShot(5, link, [link] { link->Lose(); });
    } else if (where == "rts") {
        link->loseAtRts = true;
    } else {
        link->loseAtWrite = true;
    }
    QElapsedTimer clock;
    clock.start();
    Session().SelectTimeBase(3);
    QVERIFY(Session().Reconnecting());
    QCOMPARE(probe->events, (QStringList{"save", "groups off", "transfer off", "groups on",
                                         "transfer on", "redraw"}));
    QCOMPARE(statuses, (QStringList{"busy", "idle"}));
    QCOMPARE(Session().State().timeBaseIndex, 3);
    QVERIFY(!Session().Protocol().Busy());
    QCOMPARE(Session().LinkNotice(), QStringLiteral("Liaison perdue : port fermé ou débranché"));
    QCOMPARE(terminations, 0);
    // The exchange did not wait out its watchdog (100 ticks of 1 ms at the least).
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
}

// After the first activation a command the box does not acknowledge loses the link: no
// message, no end, the sounds left as they are; the command is not written.
void LinkLossTest::unacknowledgedCommandLosesTheLink() {
    LoadSettingsLines(*probe, {{14, "SON_ON"}});
    probe->Activate();
    QSignalSpy fatal(&Session(), &Instrument::linkLost);
    RecordingLink* link = probe->link;
    link->silent = true;
    probe->failOpen = true;
    Session().SelectTimeBase(3);
    QVERIFY(Session().Reconnecting());
    QCOMPARE(Session().LossReason(), LossReason::NoAcknowledgement);
    QCOMPARE(fatal.size(), 0);
    QCOMPARE(terminations, 0);
    QVERIFY(!Session().LinkFailed());
    QVERIFY(Session().LinkActive());
    QCOMPARE(Session().Settings().Line(14), QStringLiteral("SON_ON"));
    QVERIFY(!probe->Commands().contains("T05&"));
    // The command reaches the next box with the rest.
    QCOMPARE(Reconnect(), Bytes({"Z1", "?&", "T05&", "Q128#&", "R128#&"}));
}

void LinkLossTest::firstActivationStillEndsTheRun_data() {
    QTest::addColumn<bool>("hangUp");
    QTest::newRow("box silent") << false;
    QTest::newRow("port hangs up before the answer") << true;
}

// The first handshake of the first activation unanswered, or the port gone before it:
// the run ends as it always did, and nothing is tried again.
void LinkLossTest::firstActivationStillEndsTheRun() {
    QFETCH(bool, hangUp);
    probe->silentLink = true;
    probe->Start();
    QSignalSpy fatal(&Session(), &Instrument::linkLost);
    if (hangUp)
        connect(&Session(), &Instrument::activationStarted, this, [this] {
            RecordingLink* link = probe->link;
            QTimer::singleShot(5, link, [link] { link->Lose(); });
        });
    Session().ActivateLink();
    QCOMPARE(fatal.size(), 1);
    QCOMPARE(terminations, 1);
    QVERIFY(Session().LinkFailed());
    QVERIFY(!Session().Reconnecting());
    const int tries = probe->opened.size();
    LetTicksPass(20, 5);
    QCOMPARE(probe->opened.size(), tries);
}

void LinkLossTest::restoreBringsTheBoxToTheState_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("restored");
    // Worked out from the tables of the box's commands. "?&" leaves the box at 0.1 ms/div,
    // 1 V/div, GND on both channels, the trigger off, running, the window at the start; its
    // positions are not said, so they are always sent.
    QTest::newRow("nothing changed") << QStringList{} << QStringList{"Q128#&", "R128#&"};
    QTest::newRow("every setting")
        << QStringList{"time 3",       "volts A 6",    "trace B",        "volts B 1",
                       "coupling A 3", "coupling B 1", "position A 100", "position B 150",
                       "trigger 3",    "right",        "pause"}
        << QStringList{"T05&",   "A6*&",   "B12*&", "I&",    "J&",
                       "Q100#&", "R150#&", "V&",    "d30#&", "P&"};
    // Grounding the trigger's channel shows the trigger OFF but leaves the box triggered:
    // the box gets its trigger back as it had it.
    QTest::newRow("trigger kept under GND")
        << QStringList{"coupling A 3", "trigger 2", "coupling A 2"}
        << QStringList{"Q128#&", "R128#&", "U&"};
    // Back where "?&" leaves them: nothing to send for them.
    QTest::newRow("settings back at the start")
        << QStringList{"time 3", "time 12", "trigger 3", "trigger 1",
                       "right",  "reset",   "pause",     "run"}
        << QStringList{"Q128#&", "R128#&"};
    QTest::newRow("moved up one unit")
        << QStringList{"step A 1"} << QStringList{"Q129#&", "R128#&"};
}

// A box found again after "?&" gets, through the panel's own encoders, what brings it to
// the state in force: the same bytes as the clicks sent, once per setting, in a fixed order.
void LinkLossTest::restoreBringsTheBoxToTheState() {
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, restored);
    probe->Activate();
    Instrument& s = Session();
    MessageCatcher quiet;
    for (const QString& click : clicks) {
        const QStringList w = click.split(u' ');
        const Channel c = w.size() > 1 && w[1] == "B" ? Channel::B : Channel::A;
        if (w[0] == "time")
            s.SelectTimeBase(w[1].toInt());
        else if (w[0] == "volts")
            s.SelectVoltsPerDiv(c, w[2].toInt());
        else if (w[0] == "trace")
            s.SwitchTrace(c, true);
        else if (w[0] == "coupling")
            s.SelectCoupling(c, w[2].toInt());
        else if (w[0] == "position")
            s.ReleasePosition(c, w[2].toInt());
        else if (w[0] == "step")
            s.StepPosition(c, w[2].toInt());
        else if (w[0] == "trigger")
            s.SelectTrigger(w[1].toInt());
        else if (w[0] == "right")
            s.TranslateRight();
        else if (w[0] == "reset")
            s.ResetTranslation();
        else if (w[0] == "pause")
            s.Pause();
        else if (w[0] == "run")
            s.Run();
        else
            QFAIL(qPrintable(click));
    }
    const QStringList byHand = probe->Commands();
    const bool paused = !s.State().running;
    LoseLink();
    QCOMPARE(Reconnect(), Bytes(QStringList{"Z1", "?&"} + restored));
    // Every command of the restore is one the clicks sent.
    for (const QString& command : restored)
        if (!command.startsWith(u'Q') && !command.startsWith(u'R'))
            QVERIFY2(byHand.contains(command), qPrintable(command));
    // While paused the setting groups stay locked after the exchanges.
    QCOMPARE(s.Locks().settingGroupsEnabled, !paused);
    QVERIFY(s.Locks().transferGroupsEnabled);
}

// Settings changed while the link is lost change the state and the file at once, send
// nothing, and reach the box found again.
void LinkLossTest::settingsMadeWhileLostAreKept() {
    probe->Activate();
    Instrument& s = Session();
    LoseLink();
    probe->events.clear();
    s.SelectVoltsPerDiv(Channel::A, 4); // 500 mV
    s.SelectCoupling(Channel::A, 1);    // AC
    s.Pause();
    QCOMPARE(probe->events, (QStringList{"save", "redraw", "save", "redraw"}));
    QCOMPARE(s.State().channelA.voltsPerDivIndex, 4);
    QCOMPARE(s.Settings().Number(SettingsLine::VoltsA), 4);
    QVERIFY(!s.State().running);
    QVERIFY(s.Locks().outputCommandsEnabled); // saving and printing as with any pause
    QCOMPARE(Reconnect(), Bytes({"Z1", "?&", "A4*&", "G&", "Q128#&", "R128#&", "P&"}));
}

// The port chosen is tried first; the lasting name of the lost adapter (a link of the
// aliases' folder to the same device) after it, and it is through that name that an
// adapter back under another node is found.
void LinkLossTest::portThenItsAliasAreTried() {
    QTemporaryDir devices;
    QVERIFY(devices.isValid());
    const QString node = devices.filePath(QStringLiteral("ttyUSB0"));
    QFile file(node);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QDir(devices.path()).mkdir(QStringLiteral("by-id"));
    const QString alias = devices.filePath(QStringLiteral("by-id/usb-FTDI_FT232R_A50285BI"));
    QVERIFY(QFile::link(node, alias));
    Session().SetPortAliasFolder(devices.filePath(QStringLiteral("by-id")));
    LoadSettingsLines(*probe, {{1, node}});
    probe->Activate();

    Timings slow = ProgramTimings();
    slow.supervisionMs = 60000; // no attempt but those asked for
    TimingsGuard guard(slow);
    LoseLink();
    // Whether a retry could open no port (it then says why).
    const auto retryFails = [this] {
        try {
            Session().RetryLink();
        } catch (const SerialError&) {
            return true;
        }
        return false;
    };
    probe->opened.clear();
    QVERIFY(retryFails());
    QCOMPARE(probe->opened, (QStringList{node, alias}));
    QVERIFY(Session().Reconnecting());
    // Tried again, the alias is still remembered, although nothing answered meanwhile.
    probe->opened.clear();
    QVERIFY(retryFails());
    QCOMPARE(probe->opened, (QStringList{node, alias}));

    // Without an alias (the simulated box has none, nor has a port the folder does not
    // name) only the port is tried.
    LoadSettingsLines(*probe, {{1, devices.filePath(QStringLiteral("ttyS0"))}});
    probe->failOpen = false;
    QVERIFY(!retryFails());
    QVERIFY(!Session().Reconnecting());
    LoseLink();
    probe->opened.clear();
    QVERIFY(retryFails());
    QCOMPARE(probe->opened, QStringList{devices.filePath(QStringLiteral("ttyS0"))});
}

// "Activer la communication" while the link is lost tries at once, without waiting for
// the next attempt; asked during an attempt it changes nothing.
void LinkLossTest::activationRetriesAtOnce() {
    probe->Activate();
    Timings slow = ProgramTimings();
    slow.supervisionMs = 60000;
    TimingsGuard guard(slow);
    LoseLink();
    const int before = probe->opened.size();
    // Asked for by the user, a port that cannot be opened is reported as at activation.
    QString error;
    try {
        Session().ActivateLink();
    } catch (const SerialError& e) {
        error = e.Text();
    }
    QVERIFY2(error.startsWith(QStringLiteral("Unable to open com port (linux error code: 2 - ")),
             qPrintable(error));
    QCOMPARE(probe->opened.size(), before + 1);
    QVERIFY(Session().Reconnecting());

    // During an attempt (the box woken, its answer awaited) a second one is not started.
    probe->failOpen = false;
    probe->silentLink = true;
    int during = -1;
    auto* hook = new QObject(this);
    connect(
        &Session().Protocol(), &CommandProtocol::acknowledgementLost, hook,
        [&] {
            during = probe->opened.size();
            Session().ActivateLink();
            during = probe->opened.size() - during;
        },
        Qt::DirectConnection);
    Session().ActivateLink(); // opened, but nothing answers: no error
    delete hook;
    QCOMPARE(during, 0);
    QVERIFY(Session().Reconnecting());
}

void LinkLossTest::quitWhileLostEndsAtOnce_data() {
    QTest::addColumn<bool>("duringAttempt");
    QTest::newRow("between attempts") << false;
    QTest::newRow("during an attempt") << true;
}

// Quitting while the link is lost ends the run at once: no "F&", no wait, no more attempts.
void LinkLossTest::quitWhileLostEndsAtOnce() {
    QFETCH(bool, duringAttempt);
    probe->Activate();
    LoseLink();
    QSignalSpy quit(&Session(), &Instrument::quitStarted);
    if (duringAttempt) {
        // The next attempt opens a port whose box does not answer; the user quits while its
        // wake-up is written.
        bool asked = false;
        int atQuit = -1;
        probe->onMade = [this, &asked, &atQuit](RecordingLink& link) {
            link.onWrite = [this, &asked, &atQuit](const QByteArray& bytes) {
                if (bytes == "Z1" && !asked) {
                    asked = true;
                    Session().Quit();
                    atQuit = terminations; // at once, from inside the attempt
                }
            };
        };
        probe->failOpen = false;
        probe->silentLink = true;
        QTRY_VERIFY_WITH_TIMEOUT(asked, 10000);
        QCOMPARE(atQuit, 1);
    } else {
        Session().Quit();
    }
    QCOMPARE(terminations, 1);
    QCOMPARE(quit.size(), 1);
    QVERIFY(!Session().LinkActive());
    QVERIFY(!probe->Commands().contains("F&"));
    const int tries = probe->opened.size();
    LetTicksPass(20, 5);
    QCOMPARE(probe->opened.size(), tries);
    QCOMPARE(terminations, 1);
}

void LinkLossTest::silenceBound_data() {
    QTest::addColumn<int>("timeBase");
    QTest::addColumn<int>("other");
    QTest::addColumn<int>("margin");
    QTest::addColumn<qint64>("bound");
    // A RAM sweep is 2048 samples at 30 a division: 2048 / 30 x the time per division.
    // 0.1 ms/div: 6.827 ms, three are 20.48 ms, rounded up.
    QTest::newRow("0.1 ms/div") << 12 << 12 << 2000 << qint64(2021);
    // 500 ms/div: 34.13 s, three are exactly 102.4 s.
    QTest::newRow("500 ms/div") << 1 << 1 << 2000 << qint64(104400);
    // The slower of the two counts, whichever is given first.
    QTest::newRow("slower first") << 1 << 12 << 2000 << qint64(104400);
    QTest::newRow("slower second") << 12 << 1 << 2000 << qint64(104400);
    // 20 ms/div: 1.365 s, three are exactly 4.096 s.
    QTest::newRow("20 ms/div, no margin") << 5 << 18 << 0 << qint64(4096);
    // 1 µs/div: three sweeps are 0.2 ms, one millisecond once rounded up.
    QTest::newRow("1 us/div") << 18 << 18 << 2000 << qint64(2001);
    QTest::newRow("no such time base") << 0 << 19 << 2000 << qint64(2000);
}

void LinkLossTest::silenceBound() {
    QFETCH(int, timeBase);
    QFETCH(int, other);
    QFETCH(int, margin);
    QTEST(Instrument::SilenceBoundMs(timeBase, other, margin), "bound");
}

void LinkLossTest::silenceIsReportedOnlyWhenDataIsDue_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("quietMs"); // no notice for at least this long
    // With a margin of 100 ms: at 0.1 ms/div the bound is 121 ms; at 10 ms/div (682.7 ms a
    // sweep) it is 2149 ms, which counts as long as the box was last heard at that time base.
    QTest::newRow("acquiring") << "" << 0;
    QTest::newRow("slow time base before the silence") << "slow then fast" << 1500;
    QTest::newRow("paused") << "pause" << 1500;
    QTest::newRow("trigger set") << "trigger" << 1500;
    QTest::newRow("single shot armed") << "single shot" << 1500;
}

// A box that should send (live, acquiring, no trigger) and sends nothing is reported once
// the bound has passed; the notice goes with the next bytes. Silence never touches the
// port.
void LinkLossTest::silenceIsReportedOnlyWhenDataIsDue() {
    QFETCH(QString, setup);
    QFETCH(int, quietMs);
    Timings t = ProgramTimings();
    t.silenceMarginMs = 100;
    TimingsGuard guard(t);
    probe->Activate();
    Instrument& s = Session();
    RecordingLink* link = probe->link;
    if (setup == "slow then fast")
        s.SelectTimeBase(6);
    link->Receive("A128#128B"); // the last bytes
    if (setup == "slow then fast")
        s.SelectTimeBase(12);
    else if (setup == "pause")
        s.Pause();
    else if (setup == "trigger")
        s.SelectTrigger(2);
    else if (setup == "single shot")
        s.ToggleSingleShot();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < quietMs) {
        QVERIFY2(s.LinkNotice().isEmpty(), qPrintable(s.LinkNotice()));
        QTest::qWait(20);
    }
    if (setup == "pause")
        s.Run();
    else if (setup == "trigger")
        s.SelectTrigger(1);
    else if (setup == "single shot") {
        QCOMPARE(s.SingleShotState(), SingleShot::Armed);
        s.ToggleSingleShot();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!s.LinkNotice().isEmpty(), 10000);
    QVERIFY2(QRegularExpression(QStringLiteral("^Aucune donnée reçue depuis \\d+ s$"))
                 .match(s.LinkNotice())
                 .hasMatch(),
             qPrintable(s.LinkNotice()));
    QCOMPARE(s.Link(), link);
    QCOMPARE(probe->opened.size(), 1);
    QVERIFY(!s.Reconnecting());
    link->Receive("A128%128B");
    QVERIFY(s.LinkNotice().isEmpty());
}

namespace {

// A factory of simulated boxes for the session, which a test can keep from opening (the
// box's cable out) or have switched off from the start.
struct SimulatedBoxes {
    QPointer<SimulatedBox> box; // the last one made
    bool unplugged = false;
    bool switchedOff = false;
    int made = 0;

    Instrument::LinkFactory Factory() {
        return [this](const QString&) -> std::unique_ptr<SerialLink> {
            ++made;
            auto box = std::make_unique<SimulatedBox>();
            box->SetAnswerDelay(1);
            box->SetBytesPerSecond(100000);
            if (unplugged)
                box->Unplug(); // this one cannot be opened
            box->SetPowered(!switchedOff);
            this->box = box.get();
            return box;
        };
    }
};

struct SimulatedSession {
    QTemporaryDir dir;
    SimulatedBoxes boxes;
    Instrument session{dir.path() + QLatin1Char('/'), boxes.Factory()};
    int sweeps = 0;
    int terminations = 0;

    SimulatedSession() {
        session.LoadSettings();
        session.NoteProgramFolder();
        session.SetInitialState();
        session.ApplyInactivePreset();
        session.ResetInstrumentLines();
        QObject::connect(&session.Decoder(), &SampleDecoder::sweepCompleted, [this] { ++sweeps; });
        QObject::connect(&session, &Instrument::terminateRequested, [this] { ++terminations; });
    }
};

} // namespace

// The simulated box made to fail while it streams: the loss at once, then the box back
// (a new opening) in the state of the session, and its sweeps again.
void LinkLossTest::simulatedBoxUnpluggedComesBackInTheState() {
    SimulatedSession sim;
    Instrument& s = sim.session;
    s.ActivateLink();
    QTRY_VERIFY_WITH_TIMEOUT(sim.sweeps >= 2, 10000);
    s.SelectTimeBase(7);
    s.SwitchTrace(Channel::B, true);
    s.SelectCoupling(Channel::B, 3);
    s.SelectVoltsPerDiv(Channel::B, 5);

    sim.boxes.unplugged = true;
    sim.boxes.box->Unplug();
    QVERIFY(s.Reconnecting());
    QCOMPARE(s.LinkNotice(), QStringLiteral("Liaison perdue : port fermé ou débranché"));
    s.ReleasePosition(Channel::B, 90);
    s.SelectTrigger(3);
    const int made = sim.boxes.made;
    QTRY_VERIFY_WITH_TIMEOUT(sim.boxes.made >= made + 2, 10000); // tried, and tried again
    QVERIFY(s.Reconnecting());

    sim.boxes.unplugged = false;
    QTRY_COMPARE_WITH_TIMEOUT(s.LinkNotice(), QStringLiteral("Liaison rétablie"), 10000);
    const SimulatedBox::State& box = sim.boxes.box->Settings();
    QCOMPARE(box.timeBaseIndex, 7);
    QCOMPARE(box.voltsPerDivIndex[1], 5);
    QCOMPARE(box.coupling[1], Coupling::DC);
    QCOMPARE(box.position[1], 90);
    QCOMPARE(box.trigger, TriggerSource::ChannelB);
    QVERIFY(box.running);
    const int sweeps = sim.sweeps;
    QTRY_VERIFY_WITH_TIMEOUT(sim.sweeps >= sweeps + 2, 10000);
    QCOMPARE(sim.terminations, 0);
}

// The simulated box switched off: the next command unanswered loses the link; boxes still
// off are woken in vain; one switched on again is found.
void LinkLossTest::simulatedBoxSwitchedOffIsLostThenFound() {
    SimulatedSession sim;
    Instrument& s = sim.session;
    s.ActivateLink();
    QTRY_VERIFY_WITH_TIMEOUT(sim.sweeps >= 1, 10000);
    sim.boxes.switchedOff = true;
    sim.boxes.box->SetPowered(false);
    s.Pause();
    QVERIFY(s.Reconnecting());
    QCOMPARE(s.LossReason(), LossReason::NoAcknowledgement);
    QCOMPARE(sim.terminations, 0);
    const int made = sim.boxes.made;
    QTRY_VERIFY_WITH_TIMEOUT(sim.boxes.made >= made + 2, 10000);
    QVERIFY(s.Reconnecting());
    QVERIFY(s.Locks().transferGroupsEnabled); // the attempts lock nothing

    sim.boxes.switchedOff = false;
    QTRY_COMPARE_WITH_TIMEOUT(s.LinkNotice(), QStringLiteral("Liaison rétablie"), 10000);
    QVERIFY(!sim.boxes.box->Settings().running);
    QCOMPARE(sim.boxes.box->Commands().last().text, QByteArray("P&"));
}

// The simulated box made silent while it still answers: reported after the bound, the port
// kept.
void LinkLossTest::simulatedBoxMutedIsReported() {
    Timings t = ProgramTimings();
    t.silenceMarginMs = 100;
    TimingsGuard guard(t);
    SimulatedSession sim;
    Instrument& s = sim.session;
    s.ActivateLink();
    QTRY_VERIFY_WITH_TIMEOUT(sim.sweeps >= 1, 10000);
    SimulatedBox* box = sim.boxes.box;
    box->SetMuted(true);
    QTRY_VERIFY_WITH_TIMEOUT(s.LinkNotice().startsWith(QStringLiteral("Aucune donnée reçue")),
                             10000);
    QCOMPARE(s.Link(), box);
    QCOMPARE(sim.boxes.made, 1);
    box->SetMuted(false);
    QTRY_VERIFY_WITH_TIMEOUT(s.LinkNotice().isEmpty(), 10000);
}

QTEST_MAIN(LinkLossTest)
#include "tst_linkloss.moc"
