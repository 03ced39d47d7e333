#include "LinkTestSupport.h"
#include "PtyModem.h"
#include "core/ErrorGuard.h"
#include "core/Timings.h"
#include "link/CommandProtocol.h"
#include "link/HardwareSerialLink.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

// The hardware serial link over a pseudo-terminal. The test plays the box on the
// master side: it answers RTS with DSR through the preloaded shim's modem lines and
// reads what the program writes.
namespace {

OscPtyModem* modem = nullptr;
OscPtySetDsrFn setDsr = nullptr;
OscPtyWaitFn waitChange = nullptr;

int64_t NowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

QList<OscPtyEvent> Events(uint32_t from = 0) {
    QList<OscPtyEvent> events;
    const uint32_t count = std::min<uint32_t>(modem->eventCount.load(), 512);
    for (uint32_t i = from; i < count; ++i)
        events << modem->events[i];
    return events;
}

// Runs the event loop for a while (QTest::qWait sleeps between its passes).
void Spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The box: once awake, raises DSR about a millisecond after RTS rises, drops it when
// RTS falls.
class BoxThread {
public:
    std::atomic<bool> awake{false};

    BoxThread() {
        thread = std::thread([this] {
            bool rts = false;
            while (!stop.load()) {
                const uint32_t seen = modem->changes.load();
                const bool now = modem->lines.load() & TIOCM_RTS;
                if (now != rts && awake.load()) {
                    rts = now;
                    usleep(1000);
                    setDsr(rts ? 1 : 0);
                    continue;
                }
                waitChange(seen, 20);
            }
        });
    }
    ~BoxThread() {
        stop = true;
        thread.join();
    }

private:
    std::atomic<bool> stop{false};
    std::thread thread;
};

} // namespace

class TestSerialPty : public QObject {
    Q_OBJECT

    int master = -1;
    QString slave;
    QTemporaryDir dir;
    QString byIdLink; // a symbolic link to the slave, like /dev/serial/by-id/...

    QByteArray ReadMaster(int expected, int timeoutMs = 2000) {
        QByteArray bytes;
        QElapsedTimer clock;
        clock.start();
        while (bytes.size() < expected && clock.elapsed() < timeoutMs) {
            char buffer[256];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0)
                bytes.append(buffer, n);
            else
                QTest::qWait(2);
        }
        return bytes;
    }

private slots:
    void initTestCase() {
        QVERIFY(modem && setDsr && waitChange);
        master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        slave = QString::fromLocal8Bit(ptsname(master));
        // Raw mode on the slave side, so the bytes pass unchanged.
        const int fd = ::open(slave.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
        ::close(fd);
        QVERIFY(dir.isValid());
        byIdLink = dir.filePath("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
        QVERIFY(QFile::link(slave, byIdLink));
    }

    void cleanupTestCase() {
        if (master >= 0)
            ::close(master);
    }

    void portNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("bare name") << "ttyUSB7"
                                   << "/dev/ttyUSB7";
        QTest::newRow("path") << "/dev/ttyACM3"
                              << "/dev/ttyACM3";
    }

    void portNames() {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(PortDevicePath(name), path);
    }

    void symlinkIsResolved() { QCOMPARE(PortDevicePath(byIdLink), slave); }

    void portListIsSortedAndHasTheSimulator() {
        const QStringList machine = MachineSerialPorts();
        QStringList sorted = machine;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(machine, sorted);
        const QStringList all = AvailablePorts();
        QVERIFY(all.contains(SimulatedPortName));
        QCOMPARE(all.size(), machine.size() + 1);
        QVERIFY(std::is_sorted(all.begin(), all.end()));
    }

    void errorTexts_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("dialout");
        QTest::newRow("missing") << ENOENT << "2" << false;
        QTest::newRow("busy") << EBUSY << "16" << false;
        QTest::newRow("permission") << EACCES << "13" << true;
    }

    void errorTexts() {
        QFETCH(int, error);
        QFETCH(QString, number);
        QFETCH(bool, dialout);
        // The meaning is the system's text, in the user's language
        // ("No such file or directory" in English).
        const QString text = QStringLiteral("Unable to open com port (linux error code: %1 - %2)")
                                 .arg(number, qt_error_string(error));
        const QString message = SerialErrorText("Unable to open com port", error);
        QVERIFY2(message.startsWith(text), qPrintable(message));
        QCOMPARE(message.size() > text.size(), dialout);
        QCOMPARE(message.contains("groupe dialout"), dialout);
    }

    void openFailures() {
        HardwareSerialLink link;
        try {
            link.Open("/dev/ttyNoSuchPort9");
            QFAIL("opened a missing port");
        } catch (const SerialError& e) {
            QCOMPARE(e.Text(), SerialErrorText("Unable to open com port", ENOENT));
        }
        QVERIFY(!link.IsOpen());
        QVERIFY_EXCEPTION_THROWN(link.SetRts(true), SerialError);
        QVERIFY_EXCEPTION_THROWN(link.Write("L&"), SerialError);

        // Exclusive: a second opening of the same device, under another name, fails.
        link.Open(slave);
        HardwareSerialLink other;
        try {
            other.Open(byIdLink);
            QFAIL("opened a port in use");
        } catch (const SerialError& e) {
            QVERIFY2(e.Text().startsWith("Unable to open com port (linux error code: "),
                     qPrintable(e.Text()));
        }
    }

    void opensThroughASymlinkWithTheLinesOff() {
        modem->lines = TIOCM_DTR | TIOCM_RTS;
        HardwareSerialLink link;
        link.Open(byIdLink);
        QVERIFY(link.IsOpen());
        QCOMPARE(link.DevicePath(), slave);
        QCOMPARE(modem->lines.load() & (TIOCM_DTR | TIOCM_RTS), 0u);
        link.SetRts(true);
        QCOMPARE(modem->lines.load() & TIOCM_RTS, uint32_t(TIOCM_RTS));
        link.SetRts(false);
        QCOMPARE(modem->lines.load() & TIOCM_RTS, 0u);
    }

    void bytesArriveInOrder() {
        HardwareSerialLink link;
        QByteArray received;
        int chunks = 0;
        connect(&link, &SerialLink::bytesReceived, [&](const QByteArray& c) {
            received += c;
            ++chunks;
        });
        link.Open(slave);
        const QByteArray sent = QByteArray("A128#128B") + QByteArray("\0\xff", 2) + "A001%254B";
        QCOMPARE(::write(master, sent.constData(), sent.size()), ssize_t(sent.size()));
        QTRY_COMPARE(received, sent);
        QVERIFY(chunks >= 1);
    }

    void everyDsrTransitionReported_data() {
        QTest::addColumn<bool>("driverWaits");
        QTest::newRow("modem-status wait") << true;
        QTest::newRow("line read every millisecond") << false;
    }

    void everyDsrTransitionReported() {
        QFETCH(bool, driverWaits);
        modem->noModemWait = driverWaits ? 0 : 1;
        setDsr(0);
        HardwareSerialLink link;
        QList<QPair<bool, int64_t>> reports;
        connect(&link, &SerialLink::dsrChanged, [&](bool on) { reports.append({on, NowNs()}); });
        link.Open(slave);
        QTest::qWait(20);

        QList<int64_t> changedAt;
        for (int i = 0; i < 20; ++i) {
            changedAt << NowNs();
            setDsr(i % 2 == 0);
            Spin(8);
        }
        QTRY_COMPARE(reports.size(), 20);
        QCOMPARE(link.DsrPolled(), !driverWaits);
        QList<double> delays;
        for (int i = 0; i < 20; ++i) {
            QCOMPARE(reports[i].first, i % 2 == 0);
            delays << (reports[i].second - changedAt[i]) / 1e6;
        }
        std::sort(delays.begin(), delays.end());
        qInfo("DSR report delay: median %.2f ms, worst %.2f ms", delays[10], delays.last());
        QVERIFY2(delays[10] < 5.0, "DSR reported within a few milliseconds");

        // Nothing happens: the watcher must not keep the processor busy.
        const double before = CpuSeconds();
        QTest::qWait(400);
        const double used = CpuSeconds() - before;
        qInfo("CPU while idle for 400 ms: %.1f ms", used * 1000);
        QVERIFY(used < 0.1);

        // Closing ends the watcher even while it waits in the driver.
        QElapsedTimer clock;
        clock.start();
        link.Close();
        QVERIFY(clock.elapsed() < 200);
        modem->noModemWait = 0;
        setDsr(0);
    }

    void shortPulsesAreReported() {
        // Both edges of a pulse shorter than the watcher's reaction are reported, in order,
        // from the driver's count of DSR transitions.
        setDsr(0);
        HardwareSerialLink link;
        QList<bool> reports;
        connect(&link, &SerialLink::dsrChanged, [&](bool on) { reports << on; });
        link.Open(slave);
        Spin(20);
        for (int i = 0; i < 5; ++i) {
            setDsr(1);
            setDsr(0);
            Spin(10);
        }
        QTRY_COMPARE(reports.size(), 10);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(reports[i], i % 2 == 0);
    }

    void deviceThatGoesAwayIsClosed() {
        // The pty's other end closing is what a USB adapter pulled out looks like.
        const int otherMaster = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(otherMaster >= 0 && grantpt(otherMaster) == 0 && unlockpt(otherMaster) == 0);
        HardwareSerialLink link;
        link.Open(QString::fromLocal8Bit(ptsname(otherMaster)));
        ::close(otherMaster);
        QTRY_VERIFY_WITH_TIMEOUT(!link.IsOpen(), 2000);
        try {
            link.SetRts(true);
            QFAIL("RTS set on a lost port");
        } catch (const SerialError& e) {
            QCOMPARE(e.Text(), SerialErrorText("EscapeCommFunction function failed", EIO));
        }
    }

    void wholeExchangeOnTheWire() {
        // The default waits: 400 ms before the write, 200 ms after.
        Timings timings;
        QCOMPARE(timings.beforeWriteMs, 400);
        QCOMPARE(timings.afterWriteMs, 200);
        QCOMPARE(timings.watchdogIntervalMs, 20);
        QCOMPARE(timings.watchdogTicks, 100);
        while (ReadMaster(1, 20).size() > 0) {
        }
        setDsr(0);
        HardwareSerialLink link;
        link.Open(byIdLink);
        RecordingHost host;
        CommandProtocol protocol(link, host, timings);
        BoxThread box;
        const uint32_t first = modem->eventCount.load();

        protocol.SendActivationCommand();
        box.awake = true;
        protocol.SendCommand("Q7#&");
        const double q7Done = NowNs() / 1e6;
        protocol.SendCommand("c0#&");
        QCOMPARE(host.failures, 0);
        QCOMPARE(ReadMaster(10), QByteArray("Z1Q7#&c0#&"));

        const QList<OscPtyEvent> events = Events(first);
        QStringList wire;
        for (const OscPtyEvent& e : events) {
            switch (e.kind) {
            case OscPtyEvent::RtsOn:
                wire << "RTS on";
                break;
            case OscPtyEvent::RtsOff:
                wire << "RTS off";
                break;
            case OscPtyEvent::DsrOn:
                wire << "DSR on";
                break;
            case OscPtyEvent::DsrOff:
                wire << "DSR off";
                break;
            case OscPtyEvent::Write:
                wire << QStringLiteral("write %1 with RTS %2")
                            .arg(QString::fromLatin1(e.bytes, e.length), e.rts ? "high" : "low");
                break;
            }
        }
        QCOMPARE(wire,
                 (QStringList{"RTS on", "write Z1 with RTS high", "RTS off", "RTS on", "DSR on",
                              "RTS off", "DSR off", "write Q7#& with RTS low", "RTS on", "DSR on",
                              "RTS off", "DSR off", "write c0#& with RTS low"}));

        auto at = [&](int i) { return events[i].ns / 1e6; };
        const double z1Wait = at(1) - at(0);
        const double acknowledgeQ7 = at(4) - at(3);
        const double dropRts = at(5) - at(4);
        const double beforeWrite = at(7) - at(4);
        const double afterWrite = q7Done - at(7);
        qInfo("Z1 after RTS %.1f ms; DSR %.1f ms after RTS; RTS dropped %.2f ms after DSR; "
              "write %.1f ms after DSR; exchange ends %.1f ms after the write",
              z1Wait, acknowledgeQ7, dropRts, beforeWrite, afterWrite);
        QVERIFY(z1Wait >= 400 && z1Wait < 430);
        QVERIFY(dropRts < 5);
        QVERIFY(beforeWrite >= 400 && beforeWrite < 430);
        QVERIFY(afterWrite >= 200 && afterWrite < 230);
        // The next exchange does not start before the 200 ms have passed.
        QVERIFY(at(8) - at(7) >= 200);
    }
};

int main(int argc, char** argv) {
    modem = reinterpret_cast<OscPtyModemFn>(dlsym(RTLD_DEFAULT, "osc_pty_modem"))
                ? reinterpret_cast<OscPtyModemFn>(dlsym(RTLD_DEFAULT, "osc_pty_modem"))()
                : nullptr;
    if (!modem) {
#ifdef OSC_PTY_SHIM
        // Run again with the modem-line shim preloaded.
        setenv("LD_PRELOAD", OSC_PTY_SHIM, 1);
        execv("/proc/self/exe", argv);
#endif
        fprintf(stderr, "the pty modem shim is not loaded\n");
        return 1;
    }
    setDsr = reinterpret_cast<OscPtySetDsrFn>(dlsym(RTLD_DEFAULT, "osc_pty_set_dsr"));
    waitChange = reinterpret_cast<OscPtyWaitFn>(dlsym(RTLD_DEFAULT, "osc_pty_wait_change"));
    QCoreApplication app(argc, argv);
    TestSerialPty test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_serialpty.moc"
