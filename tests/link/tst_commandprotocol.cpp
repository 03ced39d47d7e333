#include "LinkTestSupport.h"
#include "core/ErrorGuard.h"
#include "core/Timings.h"
#include "link/CommandProtocol.h"
#include "link/SimulatedBox.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// The command exchange against the simulated box, with shortened waits.
class TestCommandProtocol : public QObject {
    Q_OBJECT

    struct Rig {
        Timings timings;
        SimulatedBox box;
        RecordingHost host;
        CommandProtocol protocol{box, host, timings};
        QList<QPair<bool, qint64>> dsr; // every DSR change with its time

        Rig() {
            timings.beforeWriteMs = 60;
            timings.afterWriteMs = 30;
            timings.watchdogIntervalMs = 1;
            timings.watchdogTicks = 100;
            box.Open(SimulatedPortName);
            QObject::connect(&box, &SerialLink::dsrChanged, [this](bool on) {
                dsr.append({on, NowMs()});
            });
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

    void wholeExchange_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("position without leading zeros") << "Q7#&";
        QTest::newRow("window back to the start") << "c0#&";
        QTest::newRow("time base") << "T02&";
    }

    void wholeExchange() {
        QFETCH(QString, command);
        Rig rig;
        rig.Wake();
        const qint64 start = NowMs();
        rig.protocol.SendCommand(command);
        const qint64 end = NowMs();

        QCOMPARE(rig.Written(), (QByteArrayList{"Z1", command.toLatin1()}));
        const auto& written = rig.box.Commands().last();
        QVERIFY(!written.rtsHigh);
        QCOMPARE(
            rig.host.Names(),
            (QStringList{"status busy", "settings off", "acquisition off", "progress 0..100",
                         "progress hidden", "status cleared", "settings on", "acquisition on"}));
        QCOMPARE(rig.host.status, CommandProtocol::IdleText);
        QCOMPARE(rig.host.status.size(), 48);
        QVERIFY(rig.host.status.trimmed().isEmpty());

        // RTS up, DSR up a few ms later, RTS dropped at once, DSR follows it down.
        QCOMPARE(rig.DsrRises(), 1);
        const qint64 acknowledged = rig.dsr.first().second;
        QVERIFY(acknowledged - start < 50);
        QVERIFY(written.atMs - acknowledged >= rig.timings.beforeWriteMs);
        QVERIFY(written.atMs - acknowledged < rig.timings.beforeWriteMs + 40);
        const qint64 unlocked = rig.host.TimeOf("settings on");
        QVERIFY(unlocked - written.atMs >= rig.timings.afterWriteMs);
        QVERIFY(end - written.atMs < rig.timings.afterWriteMs + 40);
        QTRY_VERIFY(!rig.box.Dsr());
        QVERIFY(!rig.protocol.Busy());
        QVERIFY(!rig.protocol.LinkFailed());
        QVERIFY(rig.host.failures == 0);
    }

    void silentBoxEndsTheLinkAfterTheLastTick() {
        Rig rig;
        rig.Wake();
        rig.box.SetSilent(true);
        const qint64 start = NowMs();
        rig.protocol.SendCommand("L&");
        QCOMPARE(rig.host.failures, 1);
        QVERIFY(rig.protocol.LinkFailed());
        QList<int> steps;
        for (int i = 1; i <= 100; ++i)
            steps << i;
        QCOMPARE(rig.host.progress, steps);
        QVERIFY(rig.host.TimeOf("failure") - start >= 100 * rig.timings.watchdogIntervalMs);
        QCOMPARE(rig.protocol.watchdogCount(), 0);
        // The interrupted exchange still ends: the caller's command is written and the
        // panel unlocked.
        QCOMPARE(rig.Written(), (QByteArrayList{"Z1", "L&"}));
        QVERIFY(rig.host.settingGroups && rig.host.acquisitionGroups);
        QVERIFY(!rig.host.progressShown);
        // No second exchange, and so no second failure, once the link is lost.
        rig.protocol.SendCommand("P&");
        QCOMPARE(rig.Written(), (QByteArrayList{"Z1", "L&"}));
        QCOMPARE(rig.host.failures, 1);
    }

    void failureRunsFromInsideTheWait() {
        // The failure procedure sees the acknowledgement wait already ended.
        Rig rig;
        rig.Wake();
        rig.box.SetSilent(true);
        bool acknowledgedAtFailure = false;
        rig.host.onFailure = [&] { acknowledgedAtFailure = rig.protocol.dsrAcknowledged(); };
        rig.protocol.PrepareCommand();
        QVERIFY(acknowledgedAtFailure);
        QVERIFY(rig.protocol.LinkFailed()); // link activation stops here
    }

    void staleAcknowledgementIsNotTaken() {
        Rig rig;
        rig.Wake();
        rig.protocol.OnDsrChanged(true); // a rise while nothing waits
        QVERIFY(rig.protocol.dsrAcknowledged());
        rig.box.SetSilent(true);
        rig.protocol.SendCommand("S&");
        QCOMPARE(rig.host.failures, 1);
    }

    void packetsAreHandledDuringTheWaits() {
        Rig rig;
        rig.Wake();
        rig.box.Write("?&"); // the box starts sending sweeps
        int chunks = 0;
        connect(&rig.box, &SerialLink::bytesReceived, [&] { ++chunks; });
        rig.protocol.SendCommand("U&");
        QVERIFY(chunks >= 5);
    }

    void quitDuringAnExchangeIsSentAfterIt() {
        Rig rig;
        rig.Wake();
        int quits = 0;
        QByteArrayList writtenAtQuit;
        // The user quits while the time base command waits before its write.
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
        QCOMPARE(names.indexOf("acquisition on"), names.indexOf("status busy", 1) - 1);
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
        QCOMPARE(rig.host.status, CommandProtocol::BusyText);
        rig.protocol.WriteCommand("?&");
        rig.protocol.CompleteCommand();
        QVERIFY(rig.host.settingGroups && rig.host.acquisitionGroups);
        QVERIFY(rig.box.Acquiring());
    }

    void serialErrorStopsTheHandler() {
        Rig rig;
        rig.box.Close();
        try {
            rig.protocol.SendCommand("L&");
            QFAIL("no error raised");
        } catch (const SerialError& e) {
            QVERIFY(e.Text().startsWith("EscapeCommFunction function failed (linux error code: "));
        }
        QVERIFY(!rig.host.settingGroups); // left as the failure found them
        QVERIFY(!rig.protocol.Busy());
        // Quitting still works.
        bool quit = false;
        rig.protocol.SendFinalCommand("F&", [&] { quit = true; });
        QVERIFY(quit);
        QCOMPARE(errors.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCommandProtocol)
#include "tst_commandprotocol.moc"
