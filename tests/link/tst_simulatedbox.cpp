#include "LinkTestSupport.h"
#include "core/SampleTable.h"
#include "core/Timings.h"
#include "link/CommandProtocol.h"
#include "link/PacketFramer.h"
#include "link/SampleDecoder.h"
#include "link/SimulatedBox.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace {

// Runs the event loop until a timer of `ms` started now has fired. Timers fire in the
// order of their due times, so every timer of the box due no later than that, such as
// its answer to an RTS change, has fired by then, however loaded the machine.
void RunTimersDueWithin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The codes of three digit bytes of a packet, with the default digits 1, 2, 7 for bytes
// that are missing or are not digits.
int Code(const QByteArray& packet, int first) {
    const int defaults[3] = {1, 2, 7};
    int value = 0;
    for (int i = 0; i < 3; ++i) {
        const int at = first + i;
        const char c = at < packet.size() ? packet[at] : '\0';
        value = value * 10 + (c >= '0' && c <= '9' ? c - '0' : defaults[i]);
    }
    return value;
}

} // namespace

// The simulated box: its handshake, its commands, its signals and its sweeps, and the
// whole receiving road (box, framer, decoder, store) behind it.
class TestSimulatedBox : public QObject {
    Q_OBJECT

    // The box with the framer and the decoder behind it, as the session wires them.
    struct Road {
        SimulatedBox box;
        PacketFramer framer;
        SampleTable table;
        SampleDecoder decoder{table};
        QByteArrayList packets;
        qint64 bytes = 0;
        int completions = 0;

        Road() {
            QObject::connect(&box, &SerialLink::bytesReceived, [this](const QByteArray& chunk) {
                bytes += chunk.size();
                framer.Feed(chunk, [this](QByteArrayView p) {
                    packets << p.toByteArray();
                    decoder.DecodeSamplePacket(p);
                });
            });
            QObject::connect(&decoder, &SampleDecoder::sweepCompleted, [this] { ++completions; });
            box.Open(SimulatedPortName);
        }
        void Start() {
            box.Write("Z1");
            box.Write("?&");
        }
        // The sweeps among the packets received so far, each 300 packets from a "#".
        QList<QByteArrayList> Sweeps() const {
            QList<QByteArrayList> sweeps;
            for (const QByteArray& p : packets) {
                if (p.size() > 4 && p[4] == '#')
                    sweeps.append(QByteArrayList{});
                if (!sweeps.isEmpty())
                    sweeps.last() << p;
            }
            if (!sweeps.isEmpty() && sweeps.last().size() < Sweep::Points)
                sweeps.removeLast();
            return sweeps;
        }
        void WaitSweeps(int n) { QTRY_VERIFY_WITH_TIMEOUT(box.SweepsSent() >= n, 10000); }
    };

    static QString Describe(const SimulatedBox::State& s) {
        return QStringLiteral("tb%1 va%2 vb%3 ca%4 cb%5 pa%6 pb%7 tr%8 %9 w%10")
            .arg(s.timeBaseIndex)
            .arg(s.voltsPerDivIndex[0])
            .arg(s.voltsPerDivIndex[1])
            .arg(int(s.coupling[0]))
            .arg(int(s.coupling[1]))
            .arg(s.position[0])
            .arg(s.position[1])
            .arg(int(s.trigger))
            .arg(s.running ? "run" : "pause")
            .arg(s.windowStart);
    }

    static std::pair<int, int> Range(const std::array<int, Sweep::MemorySamples>& samples) {
        const auto [lo, hi] = std::minmax_element(samples.begin(), samples.end());
        return {*lo, *hi};
    }

private slots:
    // The box reads RTS as a microcontroller does, a millisecond after the line changed,
    // and answers what it read. Steps: "RTS on", "RTS off", bytes written ("Z1", "F&"),
    // "run N" (the event loop until a timer of N ms started now has fired).
    void handshake_data() {
        QTest::addColumn<bool>("startsAwake");
        QTest::addColumn<int>("answerDelayMs");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<bool>>("dsr");
        QTest::newRow("asleep: RTS is not answered")
            << false << 2 << QStringList{"RTS on", "run 20", "RTS off", "run 5", "RTS on", "run 20"}
            << QList<bool>{};
        QTest::newRow("woken while RTS is high: the high line is answered")
            << false << 2 << QStringList{"RTS on", "run 5", "Z1", "run 20"} << QList<bool>{true};
        QTest::newRow("woken, then each rise is answered and DSR follows RTS down")
            << false << 2
            << QStringList{"Z1", "RTS on", "run 20", "RTS off", "run 5", "RTS on", "run 20"}
            << QList<bool>{true, false, true};
        QTest::newRow("awake at open: the first rise is answered before any wake-up")
            << true << 2 << QStringList{"RTS on", "run 20", "RTS off", "run 5"}
            << QList<bool>{true, false};
        QTest::newRow("a drop shorter than the reading interval is not seen")
            << true << 2 << QStringList{"RTS on", "run 20", "RTS off", "RTS on", "run 20"}
            << QList<bool>{true};
        QTest::newRow("a drop of a few intervals is seen")
            << true << 2 << QStringList{"RTS on", "run 20", "RTS off", "run 5", "RTS on", "run 20"}
            << QList<bool>{true, false, true};
        QTest::newRow("RTS read low before the answer is due: no answer")
            << true << 500 << QStringList{"RTS on", "run 5", "RTS off", "run 600"} << QList<bool>{};
        QTest::newRow("after the end of use the box sleeps")
            << false << 2 << QStringList{"Z1", "F&", "RTS on", "run 20"} << QList<bool>{};
        // Switched off ("off") behind an adapter that keeps the port, and on again ("on").
        QTest::newRow("switched off: DSR falls at once and RTS is not answered")
            << true << 2
            << QStringList{"RTS on", "run 20", "off", "RTS off", "run 5", "RTS on", "run 20"}
            << QList<bool>{true, false};
        QTest::newRow("switched off: the wake-up is not heard")
            << true << 2 << QStringList{"off", "Z1", "RTS on", "run 20"} << QList<bool>{};
        QTest::newRow("switched on again: asleep until the wake-up")
            << true << 2 << QStringList{"off", "on", "RTS on", "run 20", "Z1", "run 20"}
            << QList<bool>{true};
    }

    void handshake() {
        QFETCH(bool, startsAwake);
        QFETCH(int, answerDelayMs);
        QFETCH(QStringList, steps);
        QFETCH(QList<bool>, dsr);
        SimulatedBox box;
        QList<bool> reports;
        connect(&box, &SerialLink::dsrChanged, [&](bool on) { reports << on; });
        box.SetStartsAwake(startsAwake);
        box.SetAnswerDelay(answerDelayMs);
        box.Open(SimulatedPortName);
        for (const QString& step : steps) {
            const qsizetype before = reports.size();
            if (step.startsWith("run ")) {
                RunTimersDueWithin(step.mid(4).toInt());
                continue;
            }
            if (step == "off" || step == "on") {
                box.SetPowered(step == "on"); // DSR falls with the power, at once
                continue;
            }
            if (step.startsWith("RTS "))
                box.SetRts(step == "RTS on");
            else
                box.Write(step.toLatin1());
            QCOMPARE(reports.size(), before); // never from inside the call
        }
        QCOMPARE(reports, dsr);
        QCOMPARE(box.Dsr(), !dsr.isEmpty() && dsr.last());
    }

    void silentBoxNeverAnswers() {
        SimulatedBox box;
        QSignalSpy dsr(&box, &SerialLink::dsrChanged);
        box.Open(SimulatedPortName);
        box.Write("Z1");
        box.SetSilent(true);
        box.SetRts(true);
        RunTimersDueWithin(20);
        QCOMPARE(dsr.count(), 0);
        QVERIFY(!box.Dsr());
    }

    void initialisationAndCommands_data() {
        QTest::addColumn<QByteArrayList>("commands");
        QTest::addColumn<QString>("state");
        // After "?&": 0.1 ms/div (row 12), 1 V/div (row 3), GND, trigger off, running.
        QTest::newRow("initialised")
            << QByteArrayList{} << "tb12 va3 vb3 ca2 cb2 pa128 pb128 tr1 run w0";
        QTest::newRow("time base")
            << QByteArrayList{"T05&"} << "tb3 va3 vb3 ca2 cb2 pa128 pb128 tr1 run w0";
        QTest::newRow("fastest time base")
            << QByteArrayList{"T00&"} << "tb18 va3 vb3 ca2 cb2 pa128 pb128 tr1 run w0";
        QTest::newRow("volts A") << QByteArrayList{"A4*&"}
                                 << "tb12 va4 vb3 ca2 cb2 pa128 pb128 tr1 run w0";
        QTest::newRow("volts B") << QByteArrayList{"B10*&"}
                                 << "tb12 va3 vb9 ca2 cb2 pa128 pb128 tr1 run w0";
        QTest::newRow("couplings A")
            << QByteArrayList{"G&"} << "tb12 va3 vb3 ca1 cb2 pa128 pb128 tr1 run w0";
        QTest::newRow("couplings A DC, B AC")
            << QByteArrayList{"I&", "J&"} << "tb12 va3 vb3 ca3 cb1 pa128 pb128 tr1 run w0";
        QTest::newRow("coupling B DC then GND")
            << QByteArrayList{"M&", "K&"} << "tb12 va3 vb3 ca2 cb2 pa128 pb128 tr1 run w0";
        QTest::newRow("positions")
            << QByteArrayList{"Q7#&", "R255#&"} << "tb12 va3 vb3 ca2 cb2 pa7 pb255 tr1 run w0";
        QTest::newRow("triggers") << QByteArrayList{"U&"}
                                  << "tb12 va3 vb3 ca2 cb2 pa128 pb128 tr2 run w0";
        QTest::newRow("trigger B")
            << QByteArrayList{"V&"} << "tb12 va3 vb3 ca2 cb2 pa128 pb128 tr3 run w0";
        QTest::newRow("trigger external then off")
            << QByteArrayList{"W&", "S&"} << "tb12 va3 vb3 ca2 cb2 pa128 pb128 tr1 run w0";
        QTest::newRow("pause") << QByteArrayList{"P&"}
                               << "tb12 va3 vb3 ca2 cb2 pa128 pb128 tr1 pause w0";
        QTest::newRow("pause and run")
            << QByteArrayList{"P&", "L&"} << "tb12 va3 vb3 ca2 cb2 pa128 pb128 tr1 run w0";
        QTest::newRow("window right")
            << QByteArrayList{"d30#&"} << "tb12 va3 vb3 ca2 cb2 pa128 pb128 tr1 run w30";
        QTest::newRow("window left") << QByteArrayList{"d1747#&", "g1717#&"}
                                     << "tb12 va3 vb3 ca2 cb2 pa128 pb128 tr1 run w1717";
        QTest::newRow("window reset")
            << QByteArrayList{"d90#&", "c0#&"} << "tb12 va3 vb3 ca2 cb2 pa128 pb128 tr1 run w0";
        QTest::newRow("window beyond the memory is no command")
            << QByteArrayList{"d30#&", "d1748#&"} << "tb12 va3 vb3 ca2 cb2 pa128 pb128 tr1 run w30";
        QTest::newRow("commands in one write")
            << QByteArrayList{"T05&U&Q1#&"} << "tb3 va3 vb3 ca2 cb2 pa1 pb128 tr2 run w0";
        QTest::newRow("unknown bytes ignored")
            << QByteArrayList{"X&", "Q#&"} << "tb12 va3 vb3 ca2 cb2 pa128 pb128 tr1 run w0";
    }

    void initialisationAndCommands() {
        QFETCH(QByteArrayList, commands);
        QFETCH(QString, state);
        SimulatedBox box;
        box.Open(SimulatedPortName);
        box.Write("Z1");
        box.Write("T05&P&"); // replaced by the initialisation
        box.Write("?&");
        QVERIFY(box.Acquiring());
        for (const QByteArray& c : commands)
            box.Write(c);
        QCOMPARE(Describe(box.Settings()), state);
    }

    void asleepBeforeWakeUpAndAfterTheEnd() {
        SimulatedBox box;
        box.Open(SimulatedPortName);
        box.Write("?&");
        QVERIFY(!box.Acquiring());
        box.Write("Z1");
        box.Write("?&");
        QVERIFY(box.Acquiring());
        box.Write("F&");
        QVERIFY(!box.Acquiring());
        QVERIFY(!box.Awake());
    }

    // Unplugged, the box's link is lost for good: once said, nothing more comes, and every
    // use of it fails, opening it again too.
    void unpluggedBoxFailsForGood() {
        Road road;
        road.Start();
        road.WaitSweeps(1);
        QSignalSpy lost(&road.box, &SerialLink::portLost);
        road.box.Unplug();
        QCOMPARE(lost.count(), 1);
        QCOMPARE(lost.first().first().toString(), QStringLiteral("port fermé ou débranché"));
        QVERIFY(!road.box.IsOpen());
        const qint64 bytes = road.bytes;
        RunTimersDueWithin(100);
        QCOMPARE(road.bytes, bytes);
        const auto fails = [](auto&& call) {
            try {
                call();
            } catch (const SerialError& e) {
                return e.Text();
            }
            return QString();
        };
        QVERIFY(fails([&] { road.box.SetRts(true); }).contains(QStringLiteral("error code: 5")));
        QVERIFY(fails([&] { road.box.Write("L&"); }).contains(QStringLiteral("error code: 5")));
        QVERIFY(fails([&] {
                    road.box.Open(SimulatedPortName);
                }).startsWith(QStringLiteral("Unable to open com port")));
        road.box.Unplug();
        QCOMPARE(lost.count(), 1);
    }

    // Muted, the box sends nothing but still answers and obeys; unmuted it sends again.
    void mutedBoxStillAnswers() {
        Road road;
        road.Start();
        road.WaitSweeps(1);
        road.box.SetMuted(true);
        RunTimersDueWithin(30); // a step of the line already due
        const qint64 bytes = road.bytes;
        RunTimersDueWithin(200);
        QCOMPARE(road.bytes, bytes);
        QSignalSpy dsr(&road.box, &SerialLink::dsrChanged);
        road.box.SetRts(true);
        QTRY_COMPARE(dsr.count(), 1);
        road.box.SetRts(false);
        road.box.Write("T05&");
        QCOMPARE(road.box.Settings().timeBaseIndex, 3);
        road.box.SetMuted(false);
        QTRY_VERIFY(road.bytes > bytes);
    }

    // Switched off the box stops and hears nothing; switched on again it starts over, in
    // its start state and asleep, until "Z1" and "?&".
    void switchedOffBoxStartsOver() {
        Road road;
        road.Start();
        road.box.Write("T05&");
        road.box.SetPowered(false);
        QVERIFY(!road.box.Acquiring());
        QVERIFY(!road.box.Awake());
        road.box.Write("Z1");
        road.box.Write("?&");
        QVERIFY(!road.box.Acquiring());
        road.box.SetPowered(true);
        QCOMPARE(Describe(road.box.Settings()),
                 QStringLiteral("tb12 va3 vb3 ca2 cb2 pa128 pb128 tr1 run w0"));
        road.box.Write("?&");
        QVERIFY(!road.box.Acquiring());
        road.Start();
        QVERIFY(road.box.Acquiring());
    }

    void benchSignals_data() {
        QTest::addColumn<QByteArrayList>("commands");
        QTest::addColumn<int>("minA");
        QTest::addColumn<int>("maxA");
        QTest::addColumn<int>("minB");
        QTest::addColumn<int>("maxB");
        // 1 V/div: 2 V peak sine = 64 codes; square 1 V peak on 1.5 V DC.
        QTest::newRow("GND flat at the centre") << QByteArrayList{} << 128 << 128 << 128 << 128;
        QTest::newRow("GND flat at the position")
            << QByteArrayList{"Q40#&", "R200#&"} << 40 << 40 << 200 << 200;
        QTest::newRow("DC") << QByteArrayList{"I&", "M&"} << 64 << 192 << 144 << 208;
        QTest::newRow("AC removes B's offset")
            << QByteArrayList{"G&", "J&"} << 64 << 192 << 96 << 160;
        QTest::newRow("500 mV/div doubles")
            << QByteArrayList{"G&", "J&", "A4*&", "B4*&"} << 0 << 255 << 64 << 192;
        QTest::newRow("5 V/div") << QByteArrayList{"I&", "M&", "A12*&", "B12*&"} << 115 << 141
                                 << 131 << 144;
        QTest::newRow("position shifts")
            << QByteArrayList{"I&", "M&", "Q100#&", "R20#&"} << 36 << 164 << 36 << 100;
        QTest::newRow("clipped") << QByteArrayList{"I&", "M&", "A10*&", "B10*&"} << 0 << 255 << 255
                                 << 255;
    }

    void benchSignals() {
        QFETCH(QByteArrayList, commands);
        SimulatedBox box;
        box.Open(SimulatedPortName);
        box.Write("Z1");
        box.Write("?&");
        for (const QByteArray& c : commands)
            box.Write(c);
        const SimulatedBox::Memory memory = SimulatedBox::Acquire(box.Settings(), 0.0);
        const auto [minA, maxA] = Range(memory[0]);
        const auto [minB, maxB] = Range(memory[1]);
        QTEST(minA, "minA");
        QTEST(maxA, "maxA");
        QTEST(minB, "minB");
        QTEST(maxB, "maxB");
    }

    void sampledAtTheTimeBaseRate_data() {
        QTest::addColumn<QByteArray>("timeBase");
        QTest::addColumn<int>("period"); // samples per period of the 1 kHz sine
        QTest::newRow("0.1 ms/div") << QByteArray("T02&") << 300;
        QTest::newRow("0.2 ms/div") << QByteArray("T10&") << 150;
        QTest::newRow("50 us/div") << QByteArray("T17&") << 600;
    }

    void sampledAtTheTimeBaseRate() {
        QFETCH(QByteArray, timeBase);
        QFETCH(int, period);
        SimulatedBox box;
        box.Open(SimulatedPortName);
        box.Write("Z1");
        box.Write("?&");
        box.Write("I&");
        box.Write(timeBase);
        const auto memory = SimulatedBox::Acquire(box.Settings(), 0.0);
        // Zero at the start, a peak a quarter period later, zero again after a period.
        QCOMPARE(memory[0][0], 128);
        QCOMPARE(memory[0][period / 4], 192);
        QCOMPARE(memory[0][period], 128);
        QCOMPARE(memory[0][period / 2], 128);
    }

    void sweepsAtTheLineRate() {
        Road road;
        QElapsedTimer clock;
        clock.start();
        road.Start();
        road.WaitSweeps(3);
        const qint64 bytes = road.bytes;
        const double seconds = clock.nsecsElapsed() / 1e9;
        // The box never outruns a 115200 bit/s line (11520 bytes a second), so three
        // sweeps of 2700 bytes take 703 ms at least.
        QVERIFY2(bytes <= seconds * 11520,
                 qPrintable(QStringLiteral("%1 bytes in %2 s").arg(bytes).arg(seconds)));
        QVERIFY2(seconds >= 3 * 2700 / 11520.0, qPrintable(QString::number(seconds)));
        // Nor does it crawl, even on a busy machine.
        QVERIFY2(bytes >= seconds * 11520 / 2,
                 qPrintable(QStringLiteral("%1 bytes in %2 s").arg(bytes).arg(seconds)));
        // Each sweep is "#" then 299 "%", and each completed sweep gave one completion.
        const auto sweeps = road.Sweeps();
        QCOMPARE(sweeps.size(), road.box.SweepsSent());
        QCOMPARE(road.completions, road.box.SweepsSent());
        for (const QByteArrayList& sweep : sweeps) {
            QCOMPARE(sweep.size(), 300);
            for (int n = 1; n < 300; ++n)
                QCOMPARE(sweep[n][4], '%');
        }
        // The store holds the last sweep.
        QCOMPARE(road.table.CellText(SampleTable::Packet, 300),
                 QString::fromLatin1(sweeps.last()[299]));
    }

    // A receiver that says how many bytes its sweep still needs gets them in about one
    // piece a sweep instead of one every 10 ms, still never ahead of the line.
    void wantedBytesComeInOnePiece() {
        Road road;
        int pieces = 0;
        QElapsedTimer clock;
        QObject::connect(&road.box, &SerialLink::bytesReceived, [&] {
            ++pieces;
            const int next = road.decoder.PointCounter();
            const qsizetype packets = SampleTable::IsPoint(next) ? 300 - next + 1 : 300;
            road.box.SetBytesWanted(packets * 9 - road.framer.Buffer().size());
        });
        clock.start();
        road.Start();
        road.WaitSweeps(4);
        const double seconds = clock.nsecsElapsed() / 1e9;
        QVERIFY2(road.bytes <= seconds * 11520,
                 qPrintable(QStringLiteral("%1 bytes in %2 s").arg(road.bytes).arg(seconds)));
        QCOMPARE(road.completions, road.box.SweepsSent());
        // The first piece comes after 10 ms of line, then one or two a sweep.
        QVERIFY2(pieces <= 2 * road.completions + 2,
                 qPrintable(
                     QStringLiteral("%1 pieces for %2 sweeps").arg(pieces).arg(road.completions)));
    }

    void triggeredStableUntriggeredDriftingPausedFrozen() {
        Road road;
        road.box.SetBytesPerSecond(200000);
        road.Start();
        road.box.Write("I&");
        road.box.Write("M&");
        auto lastTwoSweepsEqual = [&] {
            const int from = road.box.SweepsSent();
            road.WaitSweeps(from + 3);
            const auto sweeps = road.Sweeps();
            return sweeps[sweeps.size() - 1] == sweeps[sweeps.size() - 2];
        };
        QVERIFY(!lastTwoSweepsEqual()); // trigger off: drifting
        road.box.Write("U&");
        QVERIFY(lastTwoSweepsEqual());
        road.box.Write("V&");
        QVERIFY(lastTwoSweepsEqual());
        road.box.Write("S&");
        QVERIFY(!lastTwoSweepsEqual());
        road.box.Write("P&");
        QVERIFY(lastTwoSweepsEqual()); // paused: the memory is frozen
        const auto frozen = road.box.CurrentMemory();

        // While paused, the window moves over the frozen memory.
        road.box.Write("d30#&");
        road.WaitSweeps(road.box.SweepsSent() + 2);
        QCOMPARE(road.box.CurrentMemory(), frozen);
        const auto sweeps = road.Sweeps();
        QCOMPARE(sweeps.last().join(), SimulatedBox::SweepBytes(frozen, 30));
    }

    void damagedBytesDoNotHurtTheRoad() {
        Road road;
        road.box.SetBytesPerSecond(200000);
        road.box.SetByteLoss(97);
        road.box.SetByteCorruption(89);
        road.Start();
        road.box.Inject(QByteArray(1500, 'x') + "A1B#####%%%%BBB");
        road.WaitSweeps(4);

        int damaged = 0; // straddling or short packets
        for (const QByteArray& p : road.packets)
            damaged += (p.size() < 9 || (p[4] != '#' && p[4] != '%')) ? 1 : 0;
        QVERIFY2(damaged > 10, qPrintable(QString::number(damaged)));

        // Every packet the framer delivered went where the decoding rules send it: "#"
        // back to point 1, one point further for any other packet, nothing stored after
        // point 300, the codes only from packets with a point marker.
        struct Expected {
            QByteArray packet;
            int codeA = 128;
            int codeB = 128;
            bool math = false;
        };
        QList<Expected> rows(301);
        int counter = 1;
        int completions = 0;
        for (const QByteArray& p : road.packets) {
            const char marker = p.size() > 4 ? p[4] : '\0';
            if (marker == '#')
                counter = 1;
            if (counter >= 1 && counter <= 300) {
                Expected& row = rows[counter];
                row.packet = p.left(9);
                if (marker == '#' || marker == '%') {
                    row.codeA = Code(p, 1);
                    row.codeB = Code(p, 5);
                    row.math = true;
                }
            }
            if (counter == 300)
                ++completions;
            ++counter;
        }
        QVERIFY(completions >= 1);
        QCOMPARE(road.completions, completions);
        QCOMPARE(road.decoder.PointCounter(), counter);
        for (int r = 1; r <= 300; ++r) {
            const SampleTable::Point& point = road.table.At(r);
            QCOMPARE(road.table.CellText(SampleTable::Packet, r),
                     QString::fromLatin1(rows[r].packet));
            QCOMPARE(point.codeA, rows[r].codeA);
            QCOMPARE(point.codeB, rows[r].codeB);
            QCOMPARE(point.mathWritten, rows[r].math);
            if (point.mathWritten) {
                QCOMPARE(point.sum, point.codeA + point.codeB);
                QCOMPARE(point.difference, point.codeA - point.codeB);
            }
        }
    }

    void wholeExchangeWithTheRoadRunning() {
        // Link activation's sequence of exchanges over the simulated box, sweeps flowing.
        Road road;
        Timings timings;
        timings.beforeWriteMs = 40;
        timings.afterWriteMs = 20;
        CommandProtocol protocol(road.box, timings);
        ProtocolRecorder host(protocol);
        protocol.SendActivationCommand();
        protocol.PrepareCommand();
        protocol.WriteCommand("?&");
        protocol.CompleteCommand();
        protocol.SendCommand("T10&");
        protocol.SendCommand("U&");
        QCOMPARE(road.box.Settings().timeBaseIndex, 11);
        QCOMPARE(road.box.Settings().trigger, TriggerSource::ChannelA);
        road.WaitSweeps(1);
        QCOMPARE(road.completions, road.box.SweepsSent());
        QCOMPARE(host.failures, 0);
        QCOMPARE(host.Names().count("status busy"), 3);
        QCOMPARE(host.Names().count("transfer on"), 3);
    }
};

QTEST_GUILESS_MAIN(TestSimulatedBox)
#include "tst_simulatedbox.moc"
