#include "LinkTestSupport.h"
#include "PtyModem.h"
#include "PtyTrace.h"
#include "core/ErrorGuard.h"
#include "core/Timings.h"
#include "link/CommandProtocol.h"
#include "link/HardwareSerialLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

// The hardware serial link over a pseudo-terminal. The test plays the box on the
// master side: it answers RTS with DSR through the preloaded shim's modem lines and
// reads what the program writes.
namespace {

OscPtyModem* modem = nullptr;
OscPtySetDsrFn setDsr = nullptr;
OscPtyPulseDsrFn pulseDsr = nullptr;
OscPtySetTransmitterFn setTransmitter = nullptr;
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
    return PtyEvents(*modem, from);
}

// Runs the event loop for a while (QTest::qWait sleeps between its passes).
void Spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The box. It reads RTS as its microcontroller does, a millisecond after the line moved
// (OscPtyRtsReader), so it never sees a shorter drop. Once awake (woken by the test) it
// raises DSR a millisecond after it read RTS high and drops it as soon as it reads RTS
// low. It reads
// what the program writes from the master, `readDelayMs` after the bytes arrived.
class BoxThread {
public:
    std::atomic<bool> awake{false};

    BoxThread(int masterFd, int readDelayMs = 0)
        : master(masterFd), readDelayNs(readDelayMs * 1'000'000LL) {
        thread = std::thread([this] { Run(); });
    }
    ~BoxThread() {
        stop = true;
        thread.join();
    }
    QByteArray Received() const {
        std::lock_guard lock(mutex);
        return received;
    }
    // When the box last took bytes off the line (CLOCK_MONOTONIC), 0 before.
    int64_t ReadAtNs() const { return readAt.load(); }

private:
    void Run() {
        OscPtyRtsReader rts(*modem);
        bool dsr = false;
        int64_t arrived = 0;
        while (!stop.load()) {
            // Between two looks at the bytes waiting, RTS is read as it changes. Awake, the
            // box answers the level it read, also one it read before it was woken.
            rts.Next(1'000'000);
            if (awake.load() && rts.Level() != dsr) {
                if (rts.Level())
                    usleep(1000);
                dsr = rts.Level();
                setDsr(dsr ? 1 : 0);
            }
            int waiting = 0;
            if (::ioctl(master, FIONREAD, &waiting) == 0 && waiting > 0) {
                if (arrived == 0)
                    arrived = NowNs();
                if (NowNs() - arrived >= readDelayNs) {
                    // Noted before the read: the program cannot see the bytes gone earlier.
                    readAt = NowNs();
                    char buffer[256];
                    const ssize_t n = ::read(master, buffer, sizeof buffer);
                    if (n > 0) {
                        std::lock_guard lock(mutex);
                        received.append(buffer, n);
                    }
                    arrived = 0;
                }
            }
        }
    }

    int master;
    int64_t readDelayNs;
    mutable std::mutex mutex;
    QByteArray received;
    std::atomic<int64_t> readAt{0};
    std::atomic<bool> stop{false};
    std::thread thread;
};

// Puts the shim's line record back as the tests expect it, also when a test fails.
auto RestoreShim() {
    return qScopeGuard([] {
        modem->noModemWait = 0;
        setTransmitter(-1);
        setDsr(0);
    });
}

const QString NoSuchFile = QStringLiteral("(linux error code: 2 - No such file or directory)");

// The text of the serial error the call raises; "no error" when it raises none.
template <typename F> QString SerialErrorOf(F&& call) {
    try {
        call();
    } catch (const SerialError& e) {
        return e.Text();
    }
    return QStringLiteral("no error");
}
const QString Dialout = QStringLiteral(
    "\nVotre compte n'a pas accès aux ports série : ajoutez-le au groupe dialout (sudo usermod "
    "-a -G dialout $USER), puis fermez la session et reconnectez-vous.");

} // namespace

class TestSerialPty : public QObject {
    Q_OBJECT

    int master = -1;
    QString slave;
    QTemporaryDir dir;
    QString byIdLink; // a symbolic link to the slave, like /dev/serial/by-id/...

    void DrainMaster() {
        char buffer[256];
        while (::read(master, buffer, sizeof buffer) > 0) {
        }
    }

private slots:
    void initTestCase() {
        QVERIFY(modem && setDsr && waitChange && pulseDsr && setTransmitter);
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

    void choosablePorts_data() {
        QTest::addColumn<QStringList>("machine");
        QTest::addColumn<QStringList>("choosable");
        QTest::newRow("no port on the machine") << QStringList{} << QStringList{"SIMULATEUR"};
        // As text: upper case before lower case, ttyS10 before ttyS2.
        QTest::newRow("sorted as text")
            << QStringList{"ttyUSB0", "ttyS2", "ttyS10", "ttyACM0"}
            << QStringList{"SIMULATEUR", "ttyACM0", "ttyS10", "ttyS2", "ttyUSB0"};
        QTest::newRow("a port listed twice") << QStringList{"ttyUSB1", "ttyACM0", "ttyUSB1"}
                                             << QStringList{"SIMULATEUR", "ttyACM0", "ttyUSB1"};
    }

    void choosablePorts() {
        QFETCH(QStringList, machine);
        QFETCH(QStringList, choosable);
        QCOMPARE(ChoosablePorts(machine), choosable);
    }

    // The port list of this machine: its ports and the simulated box.
    void portListOfThisMachine() {
        const QStringList machine = MachineSerialPorts();
        QVERIFY(!machine.contains(QStringLiteral("SIMULATEUR")));
        QCOMPARE(AvailablePorts(), ChoosablePorts(machine));
    }

    void errorTexts_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("missing") << "Unable to open com port" << ENOENT
                                 << "Unable to open com port " + NoSuchFile;
        QTest::newRow("busy")
            << "Unable to open com port" << EBUSY
            << "Unable to open com port (linux error code: 16 - Device or resource busy)";
        QTest::newRow("permission")
            << "Unable to open com port" << EACCES
            << "Unable to open com port (linux error code: 13 - Permission denied)" + Dialout;
        QTest::newRow("not permitted")
            << "Unable to open com port" << EPERM
            << "Unable to open com port (linux error code: 1 - Operation not permitted)" + Dialout;
        QTest::newRow("RTS on a lost port")
            << "EscapeCommFunction function failed" << EIO
            << "EscapeCommFunction function failed (linux error code: 5 - Input/output error)";
        QTest::newRow("write on a closed port")
            << "WriteFile function failed" << EBADF
            << "WriteFile function failed (linux error code: 9 - Bad file descriptor)";
    }

    void errorTexts() {
        QFETCH(QString, what);
        QFETCH(int, error);
        QFETCH(QString, text);
        QCOMPARE(SerialErrorText(what, error), text);
    }

    void openFailures() {
        HardwareSerialLink link;
        QCOMPARE(SerialErrorOf([&] { link.Open("/dev/ttyNoSuchPort9"); }),
                 "Unable to open com port " + NoSuchFile);
        QVERIFY(!link.IsOpen());
        const QString closed = QStringLiteral("(linux error code: 9 - Bad file descriptor)");
        QCOMPARE(SerialErrorOf([&] { link.SetRts(true); }),
                 "EscapeCommFunction function failed " + closed);
        QCOMPARE(SerialErrorOf([&] { link.Write("L&"); }), "WriteFile function failed " + closed);
        QCOMPARE(SerialErrorOf([&] { link.WaitUntilSent(); }),
                 "WriteFile function failed " + closed);

        // Exclusive: a second opening of the same device, under another name, fails.
        link.Open(slave);
        HardwareSerialLink other;
        QCOMPARE(SerialErrorOf([&] { other.Open(byIdLink); }),
                 QStringLiteral("Unable to open com port (linux error code: 16 - "
                                "Device or resource busy)"));
        QVERIFY(!other.IsOpen());
        QVERIFY(link.IsOpen());

        // The error's number comes with its text, for callers that tell the causes apart.
        const auto number = [](const auto& attempt) {
            try {
                attempt();
            } catch (const SerialError& e) {
                return e.SystemError();
            }
            return 0;
        };
        QCOMPARE(number([&] { other.Open(byIdLink); }), EBUSY);
        QCOMPARE(number([&] { other.Open("/dev/ttyNoSuchPort9"); }), ENOENT);
        QCOMPARE(number([&] { other.SetRts(true); }), EBADF);
    }

    void lineSettings() {
        // Start from settings as wrong as a pty keeps them (a pty always has 8 data bits
        // and no parity, so those two cannot be shown wrong here). The master reads and
        // sets the slave's settings.
        termios wrong{};
        QCOMPARE(tcgetattr(master, &wrong), 0);
        const termios raw = wrong;
        const auto restore = qScopeGuard([&] { tcsetattr(master, TCSANOW, &raw); });
        cfsetispeed(&wrong, B9600);
        cfsetospeed(&wrong, B9600);
        wrong.c_cflag |= CSTOPB | CRTSCTS;
        wrong.c_cflag &= ~(CLOCAL | CREAD);
        wrong.c_iflag |= IXON | IXOFF | IXANY | INPCK | PARMRK | ISTRIP | ICRNL | INLCR | IGNCR;
        wrong.c_oflag |= OPOST;
        wrong.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
        QCOMPARE(tcsetattr(master, TCSANOW, &wrong), 0);

        HardwareSerialLink link;
        link.Open(slave);
        termios t{};
        QCOMPARE(tcgetattr(master, &t), 0);
        QCOMPARE(cfgetospeed(&t), speed_t(B115200));
        QCOMPARE(cfgetispeed(&t), speed_t(B115200));
        QCOMPARE(t.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(t.c_cflag & CSTOPB, tcflag_t(0));  // 1 stop bit
        QCOMPARE(t.c_cflag & CRTSCTS, tcflag_t(0)); // no hardware flow control
        // The modem lines gate nothing (no DSR sensitivity); the receiver is on.
        QCOMPARE(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
        QCOMPARE(t.c_iflag & (IXON | IXOFF | IXANY), tcflag_t(0)); // no XON/XOFF
        // Binary: no parity checking or marking, all eight bits, no line-end translation.
        QCOMPARE(t.c_iflag & (INPCK | PARMRK | ISTRIP | ICRNL | INLCR | IGNCR), tcflag_t(0));
        QCOMPARE(t.c_oflag & OPOST, tcflag_t(0));
        QCOMPARE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t(0));
        // A read returns at once with whatever is waiting.
        QCOMPARE(int(t.c_cc[VMIN]), 0);
        QCOMPARE(int(t.c_cc[VTIME]), 0);
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
        QCOMPARE(modem->lines.load() & TIOCM_DTR, 0u);
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

    // The link keeps reading after the bytes that were waiting are gone: a raw line
    // with nothing waiting reads 0, which is no hang-up.
    void bytesKeepComingAfterAPause() {
        HardwareSerialLink link;
        QByteArray received;
        connect(&link, &SerialLink::bytesReceived, [&](const QByteArray& c) { received += c; });
        link.Open(slave);
        for (const QByteArray& piece : {QByteArray("A128#128B"), QByteArray("A127%129B")}) {
            const QByteArray before = received;
            QCOMPARE(::write(master, piece.constData(), piece.size()), ssize_t(piece.size()));
            QTRY_COMPARE(received, before + piece);
            QVERIFY(link.IsOpen());
        }
    }

    void gatherTimes_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("ms");
        // The line's time for the bytes at 11520 bytes a second, rounded up, plus 2 ms;
        // never more than 250 ms.
        QTest::newRow("nothing") << 0 << 2;
        QTest::newRow("one packet") << 9 << 3;
        QTest::newRow("115 bytes, 10 ms of line") << 115 << 12;
        QTest::newRow("a whole sweep") << 2700 << 237;
        QTest::newRow("more than the line carries in 248 ms") << 2880 << 250;
        QTest::newRow("a megabyte") << 1'000'000 << 250;
    }

    void gatherTimes() {
        QFETCH(int, bytes);
        QFETCH(int, ms);
        QCOMPARE(HardwareSerialLink::GatherMs(bytes), ms);
    }

    // A sweep sent as the box sends it, 115 bytes every 10 ms. A receiver that says how
    // many bytes its sweep still needs gets them in a few large pieces, all of them, in
    // order; one that says nothing gets them as they come.
    void wantedBytesGather_data() {
        QTest::addColumn<bool>("wanting");
        QTest::newRow("the receiver waits for the sweep's end") << true;
        QTest::newRow("the receiver takes every byte") << false;
    }

    void wantedBytesGather() {
        QFETCH(bool, wanting);
        DrainMaster();
        HardwareSerialLink link;
        QByteArray received;
        int pieces = 0;
        constexpr qsizetype SweepBytes = 2700;
        QList<int64_t> pieceAt;       // when each piece came
        QList<qsizetype> wantedAfter; // the bytes wanted after it
        connect(&link, &SerialLink::bytesReceived, [&](const QByteArray& c) {
            pieceAt << NowNs();
            received += c;
            ++pieces;
            wantedAfter << std::max<qsizetype>(SweepBytes - received.size(), 0);
            if (wanting)
                link.SetBytesWanted(wantedAfter.last());
        });
        link.Open(slave);
        QByteArray sweep;
        for (int n = 0; n < 300; ++n)
            sweep += QByteArray::number(1000 + n).right(3).prepend("A").append("%123B");
        QCOMPARE(sweep.size(), SweepBytes);
        std::thread box([&] {
            for (qsizetype at = 0; at < sweep.size(); at += 115) {
                const qsizetype n = std::min<qsizetype>(115, sweep.size() - at);
                if (::write(master, sweep.constData() + at, n) != n)
                    return;
                usleep(10'000);
            }
        });
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), SweepBytes, 10'000);
        box.join();
        QCOMPARE(received, sweep);
        if (wanting) {
            // After each piece the link let the bytes still wanted gather for at least the
            // time the line takes to carry them (11520 bytes a second) before it read
            // again; a link that read every piece as it came would not.
            for (int i = 1; i < pieces; ++i) {
                const qint64 lineMs = wantedAfter[i - 1] * 1000 / 11520;
                const qint64 gapMs = (pieceAt[i] - pieceAt[i - 1]) / 1'000'000;
                QVERIFY2(gapMs >= lineMs, qPrintable(QStringLiteral("piece %1 after %2 ms, %3 "
                                                                    "bytes wanted")
                                                         .arg(i)
                                                         .arg(gapMs)
                                                         .arg(wantedAfter[i - 1])));
            }
        }
        QVERIFY(link.IsOpen());
    }

    void everyDsrTransitionReported_data() {
        QTest::addColumn<bool>("driverWaits");
        QTest::newRow("modem-status wait") << true;
        QTest::newRow("line read every millisecond") << false;
    }

    void everyDsrTransitionReported() {
        QFETCH(bool, driverWaits);
        const auto restore = RestoreShim();
        modem->noModemWait = driverWaits ? 0 : 1;
        setDsr(0);
        HardwareSerialLink link;
        QList<bool> reports;
        connect(&link, &SerialLink::dsrChanged, [&](bool on) { reports << on; });
        // Each change comes once the watcher is waiting for it: in the driver's wait, or
        // reading the line.
        uint32_t waits = modem->modemWaits.load();
        const auto watcherReady = [&] {
            if (driverWaits)
                QTRY_VERIFY(modem->modemWaits.load() > waits);
            else
                QTRY_VERIFY(link.DsrPolled());
            waits = modem->modemWaits.load();
        };
        link.Open(slave);
        watcherReady();

        // Each change is reported once, with its new level, in order.
        for (int i = 0; i < 20; ++i) {
            setDsr(i % 2 == 0);
            QTRY_COMPARE(reports.size(), i + 1);
            QCOMPARE(reports.last(), i % 2 == 0);
            watcherReady();
        }
        QCOMPARE(link.DsrPolled(), !driverWaits);

        // Nothing happens: the watcher does not keep reading the line. Waiting in the
        // driver it reads nothing; polling, it reads at most once a millisecond.
        const uint32_t readsBefore = modem->lineReads.load();
        const int64_t from = NowNs();
        Spin(200);
        const uint32_t reads = modem->lineReads.load() - readsBefore;
        const int64_t elapsedMs = (NowNs() - from) / 1'000'000;
        if (driverWaits)
            QCOMPARE(reads, 0u);
        else
            QVERIFY2(reads <= elapsedMs + 1,
                     qPrintable(QStringLiteral("%1 reads in %2 ms").arg(reads).arg(elapsedMs)));
        QCOMPARE(reports.size(), 20);

        // Closing ends the watcher, even while it waits in the driver: a change after it
        // is not reported.
        link.Close();
        setDsr(1);
        QCoreApplication::processEvents();
        QCOMPARE(reports.size(), 20);
    }

    // Where the driver cannot wait for the line, the watcher reads it every millisecond
    // only while the box's answer is awaited (RTS up); otherwise a read every 50 ms is
    // enough to follow DSR falling after RTS.
    void polledLineIsReadOftenOnlyWhileAnAnswerIsAwaited() {
        const auto restore = RestoreShim();
        modem->noModemWait = 1;
        setDsr(0);
        HardwareSerialLink link;
        QList<bool> reports;
        connect(&link, &SerialLink::dsrChanged, [&](bool on) { reports << on; });
        link.Open(slave);
        QTRY_VERIFY(link.DsrPolled());

        const uint32_t readsBefore = modem->lineReads.load();
        const int64_t from = NowNs();
        Spin(300);
        const uint32_t reads = modem->lineReads.load() - readsBefore;
        const int64_t elapsedMs = (NowNs() - from) / 1'000'000;
        QVERIFY2(reads <= elapsedMs / 50 + 3,
                 qPrintable(QStringLiteral("%1 reads in %2 ms").arg(reads).arg(elapsedMs)));

        // RTS up: the answer is seen, and so is the fall of DSR after RTS goes down.
        link.SetRts(true);
        setDsr(1);
        QTRY_COMPARE(reports, QList<bool>{true});
        link.SetRts(false);
        setDsr(0);
        QTRY_COMPARE(reports, (QList<bool>{true, false}));
    }

    void shortPulsesAreReported() {
        // Both edges of a pulse that is over before the watcher wakes are reported, in
        // order, from the driver's count of DSR transitions.
        const auto restore = RestoreShim();
        setDsr(0);
        HardwareSerialLink link;
        QList<bool> reports;
        connect(&link, &SerialLink::dsrChanged, [&](bool on) { reports << on; });
        uint32_t waits = modem->modemWaits.load();
        link.Open(slave);
        for (int i = 0; i < 5; ++i) {
            QTRY_VERIFY(modem->modemWaits.load() > waits);
            waits = modem->modemWaits.load();
            pulseDsr();
            QTRY_COMPARE(reports.size(), 2 * (i + 1));
        }
        QCOMPARE(reports,
                 (QList<bool>{true, false, true, false, true, false, true, false, true, false}));
    }

    void deviceThatGoesAwayIsClosed() {
        // The pty's other end closing is what a USB adapter pulled out looks like.
        const int otherMaster = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(otherMaster >= 0 && grantpt(otherMaster) == 0 && unlockpt(otherMaster) == 0);
        HardwareSerialLink link;
        QSignalSpy losses(&link, &SerialLink::portLost);
        link.Open(QString::fromLocal8Bit(ptsname(otherMaster)));
        ::close(otherMaster);
        // Said once, from the port itself (nothing is asked of it), with its cause.
        QTRY_COMPARE_WITH_TIMEOUT(losses.count(), 1, 5000);
        QCOMPARE(losses.first().first().toString(), LossReason::HungUp);
        QVERIFY(!link.IsOpen());
        // The descriptor closed, the event loop sleeps: no spinning on a hung-up port.
        const double before = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        Spin(500);
        const double used = CpuSeconds() - before;
        QVERIFY2(used < 0.3 * wall.elapsed() / 1000.0, qPrintable(QString::number(used)));
        const QString lost = QStringLiteral("(linux error code: 5 - Input/output error)");
        QCOMPARE(SerialErrorOf([&] { link.SetRts(true); }),
                 "EscapeCommFunction function failed " + lost);
        QCOMPARE(SerialErrorOf([&] { link.Write("P&"); }), "WriteFile function failed " + lost);
        QCOMPARE(losses.count(), 1);
    }

    void portAlias_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("named");
        // The folder holds one link, to the slave: the adapter's lasting name.
        QTest::newRow("the device itself") << "slave" << true;
        QTest::newRow("the lasting name itself") << "alias" << true;
        QTest::newRow("another device") << "/dev/null" << false;
        QTest::newRow("the simulated box") << "SIMULATEUR" << false;
    }

    // The lasting name of a port: the link of the folder that leads to the same device.
    void portAlias() {
        QFETCH(QString, port);
        QFETCH(bool, named);
        if (port == "slave")
            port = slave;
        else if (port == "alias")
            port = byIdLink;
        QCOMPARE(PortAlias(port, dir.path()), named ? byIdLink : QString());
        QCOMPARE(PortAlias(port, dir.filePath(QStringLiteral("none"))), QString());
    }

    void wakeUpLeavesThePortWhileRtsIsHigh() {
        // The box takes "Z1" off the line 50 ms after it was written; RTS stays high until
        // then.
        const auto restore = RestoreShim();
        DrainMaster();
        HardwareSerialLink link;
        link.Open(slave);
        setTransmitter(master);
        BoxThread box(master, 50);
        Timings timings;
        timings.beforeWriteMs = 20;
        CommandProtocol protocol(link, timings);
        const uint32_t first = modem->eventCount.load();

        protocol.SendActivationCommand();
        QTRY_COMPARE(box.Received(), QByteArray("Z1"));
        const QList<OscPtyEvent> events = Events(first);
        QCOMPARE(PtyWire(events), (QStringList{"RTS on", "write Z1 with RTS high",
                                               "sent with RTS high", "RTS off"}));
        QVERIFY(box.ReadAtNs() - events[1].ns >= 50'000'000);
        QVERIFY(events[3].ns >= box.ReadAtNs());
    }

    void wakeUpGivesUpAfterTheWriteTimeOut() {
        // A box that takes nothing off the line: RTS falls once the write time-out of the
        // two bytes has run out (1000 ms and 100 ms a byte), without waiting any longer.
        const auto restore = RestoreShim();
        DrainMaster();
        HardwareSerialLink link;
        link.Open(slave);
        setTransmitter(master);
        BoxThread box(master, 5000);
        Timings timings;
        timings.beforeWriteMs = 1;
        CommandProtocol protocol(link, timings);
        const uint32_t first = modem->eventCount.load();

        protocol.SendActivationCommand();
        const QList<OscPtyEvent> events = Events(first);
        QCOMPARE(PtyWire(events), (QStringList{"RTS on", "write Z1 with RTS high", "RTS off"}));
        const int64_t waitedMs = (events[2].ns - events[1].ns) / 1'000'000;
        QVERIFY2(waitedMs >= 1200, qPrintable(QString::number(waitedMs)));
        // RTS fell before the box took the bytes, 5 s after they came.
        QCOMPARE(box.Received(), QByteArray());
    }

    void wholeExchangeOnTheWire() {
        // The default waits: 400 ms before the write, 200 ms after.
        Timings timings;
        QCOMPARE(timings.beforeWriteMs, 400);
        QCOMPARE(timings.afterWriteMs, 200);
        QCOMPARE(timings.watchdogIntervalMs, 20);
        QCOMPARE(timings.watchdogTicks, 100);
        const auto restore = RestoreShim();
        DrainMaster();
        HardwareSerialLink link;
        link.Open(byIdLink);
        CommandProtocol protocol(link, timings);
        ProtocolRecorder host(protocol);
        setTransmitter(master);
        BoxThread box(master);
        const uint32_t first = modem->eventCount.load();
        WaitCounter waits;

        protocol.SendActivationCommand();
        box.awake = true;
        protocol.SendCommand("Q7#&");
        const int64_t q7Done = NowNs();
        protocol.SendCommand("c0#&");
        QCOMPARE(host.failures, 0);
        QTRY_COMPARE(box.Received(), QByteArray("Z1Q7#&c0#&"));

        const QList<OscPtyEvent> events = Events(first);
        QStringList wire = PtyWire(events);
        // The box, woken while it read RTS high, answers that line: just after the program
        // raised RTS again for Q7#&, or, if the program was held up, just before. Both are
        // taken the same way.
        const int answer = wire.indexOf("DSR on");
        if (wire.mid(3, 3) == QStringList{"RTS off", "DSR on", "RTS on"})
            wire.swapItemsAt(4, 5);
        QCOMPARE(wire, (QStringList{"RTS on", "write Z1 with RTS high", "sent with RTS high",
                                    "RTS off", "RTS on", "DSR on", "RTS off", "DSR off",
                                    "write Q7#& with RTS low", "RTS on", "DSR on", "RTS off",
                                    "DSR off", "write c0#& with RTS low"}));

        // The waits are at least as long as the instrument's, and each runs once: the
        // wake-up's and those before the two writes of 400 ms, those after the writes of
        // 200 ms. The next exchange does not start before the 200 ms.
        auto ms = [&](int i) { return events[i].ns / 1e6; };
        const double z1Wait = ms(1) - ms(0);
        const double beforeWrite = ms(8) - ms(answer);
        const double afterWrite = q7Done / 1e6 - ms(8);
        QVERIFY2(z1Wait >= 400, qPrintable(QString::number(z1Wait)));
        QVERIFY2(beforeWrite >= 400, qPrintable(QString::number(beforeWrite)));
        QVERIFY2(afterWrite >= 200, qPrintable(QString::number(afterWrite)));
        QVERIFY(ms(9) - ms(8) >= 200);
        QCOMPARE(waits.Ended(400), 3);
        QCOMPARE(waits.Ended(200), 2);
    }

    // Latency figures of the link on this machine: run on demand only (the ctest entry
    // link.tst_serialpty_timing, registered when OSC_TIMING_TESTS is on), never in the
    // ordinary suite, whose machine may be loaded.
    void timingFigures() {
        if (!qEnvironmentVariableIsSet("OSC_TIMING_TESTS"))
            QSKIP("timing figures run on demand only (OSC_TIMING_TESTS)");
        const auto restore = RestoreShim();
        for (bool driverWaits : {true, false}) {
            modem->noModemWait = driverWaits ? 0 : 1;
            setDsr(0);
            HardwareSerialLink link;
            QList<int64_t> reportedAt;
            connect(&link, &SerialLink::dsrChanged, [&] { reportedAt << NowNs(); });
            link.Open(slave);
            // An answer is awaited: a watcher that reads the line reads it every millisecond.
            link.SetRts(true);
            Spin(20);
            QList<int64_t> changedAt;
            for (int i = 0; i < 20; ++i) {
                changedAt << NowNs();
                setDsr(i % 2 == 0);
                Spin(8);
            }
            QTRY_COMPARE(reportedAt.size(), 20);
            QList<double> delays;
            for (int i = 0; i < 20; ++i)
                delays << (reportedAt[i] - changedAt[i]) / 1e6;
            std::sort(delays.begin(), delays.end());
            qInfo("DSR report delay (%s): median %.2f ms, worst %.2f ms",
                  driverWaits ? "wait" : "polling", delays[10], delays.last());
            QVERIFY(delays[10] < 5.0);
            link.SetRts(false); // nothing awaited any more
            const double before = CpuSeconds();
            QTest::qWait(400);
            const double used = CpuSeconds() - before;
            qInfo("CPU while idle for 400 ms: %.1f ms", used * 1000);
            QVERIFY(used < 0.1);
            QElapsedTimer clock;
            clock.start();
            link.Close();
            QVERIFY(clock.elapsed() < 200);
        }

        modem->noModemWait = 0;
        setDsr(0);
        DrainMaster();
        HardwareSerialLink link;
        link.Open(slave);
        Timings timings;
        CommandProtocol protocol(link, timings);
        setTransmitter(master);
        BoxThread box(master);
        const uint32_t first = modem->eventCount.load();
        protocol.SendActivationCommand();
        box.awake = true;
        protocol.SendCommand("Q7#&");
        const int64_t done = NowNs();
        const QList<OscPtyEvent> events = Events(first);
        QCOMPARE(events.size(), 9);
        auto ms = [&](int i) { return events[i].ns / 1e6; };
        qInfo("Z1 after RTS %.1f ms; RTS dropped %.2f ms after DSR; write %.1f ms after DSR; "
              "exchange ends %.1f ms after the write",
              ms(1) - ms(0), ms(6) - ms(5), ms(8) - ms(5), done / 1e6 - ms(8));
        QVERIFY(ms(1) - ms(0) < 430);
        QVERIFY(ms(6) - ms(5) < 5);
        QVERIFY(ms(8) - ms(5) < 430);
        QVERIFY(done / 1e6 - ms(8) < 230);
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
    pulseDsr = reinterpret_cast<OscPtyPulseDsrFn>(dlsym(RTLD_DEFAULT, "osc_pty_pulse_dsr"));
    setTransmitter =
        reinterpret_cast<OscPtySetTransmitterFn>(dlsym(RTLD_DEFAULT, "osc_pty_set_transmitter"));
    QCoreApplication app(argc, argv);
    TestSerialPty test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_serialpty.moc"
