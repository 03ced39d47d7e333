#include "LinkTestSupport.h"
#include "core/ErrorGuard.h"
#include "core/Timings.h"
#include "link/BoxHandshake.h"
#include "link/CommandProtocol.h"
#include "link/SimulatedBox.h"

#include <QScopeGuard>
#include <QTest>
#include <QTimer>

namespace {

const QString Busy = QStringLiteral(" Transfert de la commande en cours. Patientez...");
const QString Blanks = QString(48, QLatin1Char(' '));

// A link that writes down every call made to it, with the level of RTS at each write.
// Its box reads RTS a millisecond after a change and answers a high line a millisecond
// later; asleep until "Z1" unless `awake`.
class CallLog : public SerialLink {
public:
    QStringList calls;

    explicit CallLog(bool awake) {
        handshake.Reset(awake);
        handshake.SetAnswerDelay(1);
    }

    void Open(const QString&) override { open = true; }
    void Close() override { open = false; }
    bool IsOpen() const override { return open; }
    void SetRts(bool on) override {
        calls << (on ? "RTS on" : "RTS off");
        handshake.SetRts(on);
    }
    void Write(const QByteArray& bytes) override {
        calls << QStringLiteral("write %1 with RTS %2")
                     .arg(QString::fromLatin1(bytes), handshake.Rts() ? "high" : "low");
        if (bytes == "Z1")
            handshake.Wake();
    }
    void WaitUntilSent() override {
        calls << QStringLiteral("sent with RTS %1").arg(handshake.Rts() ? "high" : "low");
    }

private:
    bool open = true;
    BoxHandshake handshake{[this](bool on) {
        calls << (on ? "DSR on" : "DSR off");
        emit dsrChanged(on);
    }};
};

} // namespace

// The command exchange against the simulated box, with shortened waits.
class TestCommandProtocol : public QObject {
    Q_OBJECT

    struct Rig {
        Timings timings;
        SimulatedBox box;
        CommandProtocol protocol{box, timings};
        ProtocolRecorder host{protocol};
        QList<QPair<bool, qint64>> dsr; // every DSR change with its time
        QStringList statuses;

        explicit Rig(bool awake = false) {
            timings.beforeWriteMs = 60;
            timings.afterWriteMs = 30;
            timings.watchdogIntervalMs = 1;
            timings.watchdogTicks = 100;
            box.SetStartsAwake(awake);
            box.Open(SimulatedPortName);
            QObject::connect(&box, &SerialLink::dsrChanged, [this](bool on) {
                dsr.append({on, NowMs()});
            });
            QObject::connect(&protocol, &CommandProtocol::statusChanged,
                             [this](const QString& text) { statuses << text; });
        }
        void Wake() { protocol.SendActivationCommand(); }
        QByteArrayList Written() const {
            QByteArrayList texts;
            for (const auto& r : box.Commands())
                texts << r.text;
            return texts;
        }
        int DsrRises() const {
            int n = 0;
            for (const auto& d : dsr)
                n += d.first ? 1 : 0;
            return n;
        }
    };

    QStringList errors;
    ErrorGuard::Reporter previous;

private slots:
    void init() {
        errors.clear();
        previous = ErrorGuard::SetReporter([this](const QString& text) { errors << text; });
    }
    void cleanup() { ErrorGuard::SetReporter(previous); }

    void activationCommandWakesTheBox() {
        Rig rig;
        const qint64 start = NowMs();
        rig.Wake();
        QCOMPARE(rig.box.Commands().size(), 1);
        const auto& z1 = rig.box.Commands().first();
        QCOMPARE(z1.text, QByteArray("Z1"));
        QVERIFY(z1.rtsHigh); // the one command written with RTS high
        QVERIFY(z1.atMs - start >= rig.timings.beforeWriteMs);
        QVERIFY(!rig.box.Rts());
        QVERIFY(rig.box.Awake());
        QVERIFY(rig.host.calls.isEmpty()); // nothing locked, no progress bar
        QCOMPARE(rig.DsrRises(), 0);       // a sleeping box does not answer
    }

    void wakeUpLeavesThePortBeforeRtsFalls_data() {
        QTest::addColumn<bool>("awake");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("a box asleep")
            << false
            << QStringList{"RTS on", "write Z1 with RTS high", "sent with RTS high", "RTS off"};
        // A box left awake by an earlier run answers the wake-up's RTS: RTS falls at its
        // answer, as for any command, and "Z1" goes out with RTS low. The box sees RTS low
        // and drops DSR long before the first handshake raises RTS again.
        const QStringList awake{
            "RTS on", "DSR on", "RTS off", "DSR off", "write Z1 with RTS low", "sent with RTS low",
            "RTS off"};
        QTest::newRow("a box already awake") << true << awake;
    }

    void wakeUpLeavesThePortBeforeRtsFalls() {
        // RTS falls only once the "Z1" bytes have left the port, not merely been handed to
        // the driver.
        QFETCH(bool, awake);
        QFETCH(QStringList, calls);
        CallLog link(awake);
        Timings timings;
        timings.beforeWriteMs = 200; // the box answers within a few milliseconds
        CommandProtocol protocol(link, timings);
        protocol.SendActivationCommand();
        QCOMPARE(link.calls, calls);
    }

    // Link activation's exchanges, the wake-up and the first handshake with "?&", against
    // a box asleep until "Z1" and one already awake, each reading RTS as a microcontroller
    // does: `readMs` after the line changed, never a shorter drop.
    void activationAgainstEachBox_data() {
        QTest::addColumn<bool>("awake");
        QTest::addColumn<int>("readMs");
        QTest::addColumn<int>("answerMs");
        QTest::addColumn<int>("beforeWriteMs");
        QTest::addColumn<bool>("wakeUpWithRtsHigh");
        QTest::addColumn<int>("dsrRises");
        QTest::newRow("asleep") << false << 1 << 20 << 100 << true << 1;
        QTest::newRow("awake") << true << 1 << 20 << 100 << false << 2;
        // Its answer to the wake-up comes after the wait: "Z1" goes out with RTS high and
        // the late answer acknowledges the first handshake.
        QTest::newRow("awake, answering after the wake-up's wait")
            << true << 1 << 300 << 100 << true << 1;
        // It answers the wake-up 250 ms after RTS rose, 100 ms before the wait ends, and
        // reads RTS again only 200 ms after it fell: by the end of the wait it has not seen
        // RTS low yet.
        QTest::newRow("awake, answering late and reading RTS slowly")
            << true << 200 << 50 << 350 << false << 2;
    }

    void activationAgainstEachBox() {
        QFETCH(bool, awake);
        QFETCH(int, readMs);
        QFETCH(int, answerMs);
        QFETCH(int, beforeWriteMs);
        QFETCH(bool, wakeUpWithRtsHigh);
        QFETCH(int, dsrRises);
        Rig rig(awake);
        rig.box.SetRtsSampling(readMs);
        rig.box.SetAnswerDelay(answerMs);
        rig.timings.beforeWriteMs = beforeWriteMs;
        rig.timings.watchdogIntervalMs = 20; // 2 s, as in the program

        rig.protocol.SendActivationCommand();
        rig.protocol.PrepareCommand();
        rig.protocol.WriteCommand("?&");
        rig.protocol.CompleteCommand();

        QCOMPARE(rig.host.failures, 0);
        QVERIFY(!rig.protocol.LinkFailed());
        QCOMPARE(rig.Written(), (QByteArrayList{"Z1", "?&"}));
        QCOMPARE(rig.box.Commands()[0].rtsHigh, wakeUpWithRtsHigh);
        QVERIFY(!rig.box.Commands()[1].rtsHigh);
        QCOMPARE(rig.DsrRises(), dsrRises);
        QVERIFY(rig.box.Acquiring());
    }

    void wholeExchange_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("position without leading zeros") << QByteArray("Q7#&");
        QTest::newRow("window back to the start") << QByteArray("c0#&");
        QTest::newRow("time base") << QByteArray("T02&");
    }

    void wholeExchange() {
        QFETCH(QByteArray, command);
        Rig rig;
        rig.Wake();
        connect(&rig.box, &SerialLink::dsrChanged, &rig.host.context,
                [&rig](bool on) { rig.host.Note(on ? "DSR on" : "DSR off"); });
        WaitCounter waits;
        rig.protocol.SendCommand(command);

        QCOMPARE(rig.Written(), (QByteArrayList{"Z1", command}));
        const auto& written = rig.box.Commands().last();
        QVERIFY(!written.rtsHigh);
        // RTS up, DSR up a few ms later, RTS dropped at once (the box reads it low and
        // drops DSR within the wait before the write).
        QCOMPARE(rig.host.Names(),
                 (QStringList{"status busy", "settings off", "transfer off", "progress 0..100",
                              "DSR on", "progress hidden", "DSR off", "status cleared",
                              "settings on", "transfer on"}));
        QCOMPARE(rig.statuses, (QStringList{Busy, Blanks}));

        // Each wait as long as set, and each once.
        const qint64 acknowledged = rig.host.TimeOf("DSR on");
        QVERIFY(written.atMs - acknowledged >= rig.timings.beforeWriteMs);
        const qint64 unlocked = rig.host.TimeOf("settings on");
        QVERIFY(unlocked - written.atMs >= rig.timings.afterWriteMs);
        QCOMPARE(waits.Ended(rig.timings.beforeWriteMs), 1);
        QCOMPARE(waits.Ended(rig.timings.afterWriteMs), 1);
        QVERIFY(!rig.box.Dsr());
        QVERIFY(!rig.protocol.Busy());
        QVERIFY(!rig.protocol.LinkFailed());
        QCOMPARE(rig.host.failures, 0);
    }

    void silentBoxEndsTheLinkAfterTheLastTick_data() {
        QTest::addColumn<int>("intervalMs");
        QTest::addColumn<bool>("wholeExchange"); // or only the preparation, as activation
        QTest::newRow("whole exchange, 1 ms ticks") << 1 << true;
        QTest::newRow("activation's first handshake, 2 ms ticks") << 2 << false;
    }

    void silentBoxEndsTheLinkAfterTheLastTick() {
        QFETCH(int, intervalMs);
        QFETCH(bool, wholeExchange);
        Rig rig;
        rig.timings.watchdogIntervalMs = intervalMs;
        rig.Wake();
        rig.box.SetSilent(true);
        const qint64 start = NowMs();
        if (wholeExchange)
            rig.protocol.SendCommand("L&");
        else
            rig.protocol.PrepareCommand();
        // Exactly one failure, at the hundredth tick and not before.
        QCOMPARE(rig.host.failures, 1);
        QVERIFY(rig.protocol.LinkFailed());
        QList<int> steps;
        for (int i = 1; i <= 100; ++i)
            steps << i;
        QCOMPARE(rig.host.progress, steps);
        QVERIFY(rig.host.TimeOf("failure") - start >= 100 * intervalMs);
        QCOMPARE(rig.protocol.WatchdogCount(), 0);
        QVERIFY(!rig.host.progressShown);
        QCOMPARE(rig.DsrRises(), 0);
        if (wholeExchange) {
            // The interrupted exchange still ends: the caller's command is written and the
            // panel unlocked.
            QCOMPARE(rig.Written(), (QByteArrayList{"Z1", "L&"}));
            QVERIFY(rig.host.settingGroups && rig.host.transferGroups);
        } else {
            QCOMPARE(rig.Written(), QByteArrayList{"Z1"});
            QVERIFY(!rig.host.settingGroups);
        }
        // No second exchange, and so no second failure, once the link is lost.
        const QByteArrayList before = rig.Written();
        rig.protocol.SendCommand("P&");
        QCOMPARE(rig.Written(), before);
        QCOMPARE(rig.host.failures, 1);
        QCOMPARE(rig.host.progress.size(), 100);
    }

    // The protocol outlives its link: given a new one after a failure, it forgets the
    // failure, exchanges with the new box only, and no longer hears the old one.
    void newLinkAfterAFailure() {
        Rig rig;
        rig.timings.watchdogTicks = 5;
        rig.Wake();
        rig.box.SetSilent(true);
        rig.protocol.SendCommand("L&");
        QVERIFY(rig.protocol.LinkFailed());

        SimulatedBox second;
        second.SetStartsAwake(true);
        second.Open(SimulatedPortName);
        rig.protocol.SetLink(&second);
        QVERIFY(!rig.protocol.LinkFailed());
        const QByteArrayList oldWrites = rig.Written();
        rig.protocol.SendCommand("P&");
        QCOMPARE(rig.host.failures, 1);
        QCOMPARE(second.Commands().size(), 1);
        QCOMPARE(second.Commands().first().text, QByteArray("P&"));
        QCOMPARE(rig.Written(), oldWrites);

        // A DSR rise of the old box acknowledges nothing: the next exchange waits for the
        // new box, which is silent, and fails.
        second.SetSilent(true);
        rig.box.SetSilent(false);
        emit rig.box.dsrChanged(true);
        rig.protocol.SendCommand("S&");
        QCOMPARE(rig.host.failures, 2);

        // Without a link nothing is sent, and nothing fails.
        rig.protocol.SetLink(nullptr);
        rig.protocol.SendCommand("U&");
        QCOMPARE(second.Commands().size(), 2);
        QCOMPARE(rig.host.failures, 2);
        QVERIFY(!rig.protocol.Busy());
    }

    void failureRunsFromInsideTheWait() {
        // The failure procedure sees the acknowledgement wait already ended.
        Rig rig;
        rig.Wake();
        rig.box.SetSilent(true);
        bool acknowledgedAtFailure = false;
        rig.host.onFailure = [&] { acknowledgedAtFailure = rig.protocol.DsrAcknowledged(); };
        rig.protocol.PrepareCommand();
        QVERIFY(acknowledgedAtFailure);
        QVERIFY(rig.protocol.LinkFailed()); // link activation stops here
    }

    void staleAcknowledgementIsNotTaken() {
        Rig rig;
        rig.Wake();
        rig.protocol.OnDsrChanged(true); // a rise while nothing waits
        QVERIFY(rig.protocol.DsrAcknowledged());
        rig.box.SetSilent(true);
        rig.protocol.SendCommand("S&");
        QCOMPARE(rig.host.failures, 1);
    }

    void packetsAreHandledDuringTheWaits() {
        Rig rig;
        rig.Wake();
        rig.box.Write("?&"); // the box starts sending sweeps
        int beforeWrite = 0;
        int afterWrite = 0;
        connect(&rig.box, &SerialLink::bytesReceived, [&] {
            if (!rig.protocol.Busy())
                return;
            (rig.Written().size() == 2 ? beforeWrite : afterWrite) += 1;
        });
        rig.protocol.SendCommand("U&");
        QVERIFY(beforeWrite >= 1);
        QVERIFY(afterWrite >= 1);
    }

    void quitDuringAnExchangeIsSentAfterIt() {
        Rig rig;
        rig.Wake();
        int quits = 0;
        QByteArrayList writtenAtQuit;
        // The user quits while the time base command is under way.
        QTimer::singleShot(rig.timings.beforeWriteMs / 2 + 5, [&] {
            QVERIFY(rig.protocol.Busy());
            rig.protocol.SendFinalCommand("F&", [&] {
                ++quits;
                writtenAtQuit = rig.Written();
            });
            QCOMPARE(quits, 0); // not yet: the exchange under way comes first
        });
        rig.protocol.SendCommand("T02&");

        QCOMPARE(quits, 1);
        QCOMPARE(writtenAtQuit, (QByteArrayList{"Z1", "T02&", "F&"}));
        QCOMPARE(rig.DsrRises(), 2); // each with its own handshake
        QVERIFY(!rig.box.Commands().last().rtsHigh);
        // The interrupted exchange ended before the final one began.
        const QStringList names = rig.host.Names();
        QCOMPARE(names.count("status busy"), 2);
        QCOMPARE(names.indexOf("transfer on"), names.indexOf("status busy", 1) - 1);
        QVERIFY(rig.protocol.Ended());

        // Sent once; nothing after it.
        rig.protocol.SendFinalCommand("F&", [&] { ++quits; });
        rig.protocol.SendCommand("L&");
        QCOMPARE(rig.Written(), (QByteArrayList{"Z1", "T02&", "F&"}));
        QCOMPARE(quits, 2);
    }

    void quitWhenIdleIsSentAtOnce() {
        Rig rig;
        rig.Wake();
        bool quit = false;
        rig.protocol.SendFinalCommand("F&", [&] { quit = true; });
        QVERIFY(quit);
        QCOMPARE(rig.Written(), (QByteArrayList{"Z1", "F&"}));
        QVERIFY(!rig.box.Acquiring());
    }

    void quitAfterALinkFailureSendsNothing() {
        Rig rig;
        rig.Wake();
        rig.box.SetSilent(true);
        rig.protocol.SendCommand("L&");
        bool quit = false;
        rig.protocol.SendFinalCommand("F&", [&] { quit = true; });
        QVERIFY(quit);
        QCOMPARE(rig.Written(), (QByteArrayList{"Z1", "L&"}));
    }

    void commandAskedDuringAnExchangeFollowsIt() {
        Rig rig;
        rig.Wake();
        QTimer::singleShot(10, [&] { rig.protocol.SendCommand("V&"); });
        rig.protocol.SendCommand("U&");
        QCOMPARE(rig.Written(), (QByteArrayList{"Z1", "U&", "V&"}));
        QCOMPARE(rig.DsrRises(), 2);
        QCOMPARE(rig.box.Settings().trigger, TriggerSource::ChannelB);
    }

    void halvesOfActivation() {
        Rig rig;
        rig.Wake();
        rig.protocol.PrepareCommand();
        QVERIFY(!rig.protocol.LinkFailed());
        QVERIFY(!rig.host.settingGroups);
        QVERIFY(!rig.host.transferGroups);
        QCOMPARE(rig.host.status, Busy);
        rig.protocol.WriteCommand("?&");
        rig.protocol.CompleteCommand();
        QVERIFY(rig.host.settingGroups && rig.host.transferGroups);
        QCOMPARE(rig.host.status, Blanks);
        QVERIFY(rig.box.Acquiring());
    }

    void serialErrorStopsTheHandler() {
        Rig rig;
        rig.box.Close();
        try {
            rig.protocol.SendCommand("L&");
            QFAIL("no error raised");
        } catch (const SerialError& e) {
            QCOMPARE(e.Text(), QStringLiteral("EscapeCommFunction function failed (linux error "
                                              "code: 9 - Bad file descriptor)"));
        }
        QVERIFY(!rig.host.settingGroups); // left as the failure found them
        QVERIFY(!rig.protocol.Busy());
        // Quitting still works: its own failure is reported, and the quit goes on.
        bool quit = false;
        rig.protocol.SendFinalCommand("F&", [&] { quit = true; });
        QVERIFY(quit);
        QCOMPARE(errors, QStringList{"EscapeCommFunction function failed (linux error code: 9 - "
                                     "Bad file descriptor)"});
    }

    void droppedLinkEndsTheExchangeAtOnce_data() {
        QTest::addColumn<QString>("where");
        // The link is let go of from inside the exchange's own waits (its port hung up):
        // while the answer is awaited, or in the wait before the write.
        QTest::newRow("answer awaited") << "answer";
        QTest::newRow("before the write") << "before write";
    }

    // The exchange under way completes without its write and without waiting any more,
    // unlocks the groups and clears the status; no failure is announced, nothing more is
    // sent, and the final command counts as sent.
    void droppedLinkEndsTheExchangeAtOnce() {
        QFETCH(QString, where);
        Rig rig;
        rig.timings.watchdogIntervalMs = 20; // 2 s: the drop comes long before
        rig.timings.beforeWriteMs = 2000;
        rig.Wake();
        if (where == "answer")
            rig.box.SetSilent(true);
        connect(&rig.protocol, &CommandProtocol::progressFinished, &rig.host.context, [&] {
            if (where == "before write")
                QTimer::singleShot(5, &rig.host.context, [&] { rig.protocol.DropLink(); });
        });
        if (where == "answer")
            QTimer::singleShot(5, &rig.host.context, [&] { rig.protocol.DropLink(); });
        WaitCounter waits;
        rig.protocol.SendCommand("T05&");
        QCOMPARE(rig.Written(), QByteArrayList{"Z1"});
        QCOMPARE(rig.host.failures, 0);
        QVERIFY(rig.protocol.LinkDropped());
        QVERIFY(!rig.protocol.Busy());
        QVERIFY(rig.host.settingGroups && rig.host.transferGroups);
        QCOMPARE(rig.host.status, Blanks);
        QVERIFY(!rig.host.progressShown);
        // Neither the 2 s wait before the write nor the one after it ran its course.
        QCOMPARE(waits.Ended(2000), 0);
        QCOMPARE(waits.Ended(rig.timings.afterWriteMs), 0);

        const QStringList shown = rig.host.Names();
        rig.protocol.SendCommand("P&");
        rig.protocol.SendActivationCommand();
        QCOMPARE(rig.host.Names(), shown);
        bool ended = false;
        rig.protocol.SendFinalCommand("F&", [&] { ended = true; });
        QVERIFY(ended);
        QCOMPARE(rig.Written(), QByteArrayList{"Z1"});
        QVERIFY(errors.isEmpty());
    }

    // Exchanges queued behind the one under way go nowhere once the link is let go of; a
    // final command queued there ends the run without being written.
    void droppedLinkDropsTheQueueButNotTheEnd() {
        Rig rig;
        rig.Wake();
        rig.box.SetSilent(true);
        bool ended = false;
        connect(&rig.protocol, &CommandProtocol::progressChanged, &rig.host.context, [&](int n) {
            if (n != 1)
                return;
            rig.protocol.SendCommand("P&");
            rig.protocol.SendFinalCommand("F&", [&] { ended = true; });
            rig.protocol.DropLink();
        });
        rig.protocol.SendCommand("L&");
        QVERIFY(ended);
        QVERIFY(rig.protocol.Ended());
        QCOMPARE(rig.Written(), QByteArrayList{"Z1"});
        QCOMPARE(rig.host.failures, 0);
    }

    void errorOfADroppedLinkIsNotRaised_data() {
        QTest::addColumn<QString>("failing");
        QTest::newRow("RTS") << "rts";
        QTest::newRow("write") << "write";
        QTest::newRow("wake-up") << "wake-up";
    }

    // A port that is found gone by the call itself (the call loses the link, then fails):
    // the loss is what the user hears of; the call's error is not raised, and the
    // exchange still unlocks the panel.
    void errorOfADroppedLinkIsNotRaised() {
        QFETCH(QString, failing);
        struct Failing : SerialLink {
            CommandProtocol* protocol = nullptr;
            QString failing;
            void Open(const QString&) override {}
            void Close() override {}
            bool IsOpen() const override { return true; }
            void Fail(const QString& what) {
                protocol->DropLink();
                throw SerialError(SerialErrorText(what, EIO));
            }
            void SetRts(bool on) override {
                if (on && failing == "rts")
                    Fail(QStringLiteral("EscapeCommFunction function failed"));
                if (on)
                    QTimer::singleShot(1, this, [this] { emit dsrChanged(true); });
            }
            void Write(const QByteArray& bytes) override {
                if ((failing == "write" && bytes != "Z1") ||
                    (failing == "wake-up" && bytes == "Z1"))
                    Fail(QStringLiteral("WriteFile function failed"));
            }
        } link;
        link.failing = failing;
        Timings timings;
        timings.beforeWriteMs = 1;
        timings.afterWriteMs = 1;
        CommandProtocol protocol(link, timings);
        link.protocol = &protocol;
        ProtocolRecorder host(protocol);
        if (failing == "wake-up") {
            protocol.SendActivationCommand();
        } else {
            protocol.SendCommand("L&");
            QCOMPARE(host.status, Blanks);
            QVERIFY(host.settingGroups && host.transferGroups);
        }
        QVERIFY(protocol.LinkDropped());
        QVERIFY(!protocol.Busy());
        QVERIFY(errors.isEmpty());
    }

    void quietPreparationShowsNothing_data() {
        QTest::addColumn<bool>("answers");
        QTest::newRow("box answers") << true;
        QTest::newRow("box silent") << false;
    }

    // Prepared quietly (a box sought again while the panel stays free), the exchange shows
    // no status, locks nothing and shows no progress; a box that does not answer fails it as
    // any other. Its completion clears the status and opens the groups as always.
    void quietPreparationShowsNothing() {
        QFETCH(bool, answers);
        Rig rig;
        rig.Wake();
        rig.box.SetSilent(!answers);
        rig.protocol.PrepareCommand(CommandProtocol::Shown::Quietly);
        QCOMPARE(rig.host.failures, answers ? 0 : 1);
        QCOMPARE(rig.host.Names(), QStringList(answers ? QStringList{} : QStringList{"failure"}));
        QVERIFY(rig.host.progress.isEmpty());
        QCOMPARE(rig.DsrRises(), answers ? 1 : 0);
        if (!answers)
            return;
        rig.protocol.WriteCommand("?&");
        rig.protocol.CompleteCommand();
        QCOMPARE(rig.host.Names(), (QStringList{"status cleared", "settings on", "transfer on"}));
        QCOMPARE(rig.Written(), (QByteArrayList{"Z1", "?&"}));
        // The next exchange shows itself again.
        rig.protocol.SendCommand("L&");
        QVERIFY(rig.host.Names().contains("status busy"));
        QVERIFY(!rig.host.progress.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCommandProtocol)
#include "tst_commandprotocol.moc"
