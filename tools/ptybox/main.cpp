// A stand-in for the acquisition box on a pseudo-terminal, so that the whole program can be
// run and measured against a box at the real line rate. The program opens the slave side
// as its serial port, with the modem shim preloaded and OSC_PTY_MODEM_FILE naming the same
// file as here; this program plays the box on the master side with the program's own
// simulated box: RTS as the box reads it goes to the box, the box's DSR goes to the
// record (and its log), bytes from the program go to the box, and the box's stream goes
// to the program.
//
//   pty_box [--no-modem-wait] [--awake] [--paced BYTES/MS] [--sweep-log FILE] MODEM_FILE
//
// The box reads RTS as its microcontroller does, a millisecond after the line moved, so it
// never sees a shorter drop; it raises DSR 20 ms after it read RTS high and drops it as
// soon as it reads RTS low. It sleeps until "Z1" unless --awake: then it is a box left
// awake by an earlier run, which answers RTS from the start.
//
// Prints the slave's path on its first line, then, once a second, "sweeps N" with the
// number of complete sweeps sent so far whenever it changed. With --no-modem-wait the port
// refuses the modem-status wait (TIOCMIWAIT), like drivers that do not offer it.
//
// The box's stream reaches the master as the simulated box hands it over (about 115 bytes
// every 10 ms), unless --paced: then it goes out as a USB adapter passes it on, at most
// BYTES at a time every MS milliseconds (fractions allowed: "96/8.3"), whatever is waiting
// when that time comes. With --sweep-log, each time a write to the master carries the last
// byte of a sweep, a line with the CLOCK_MONOTONIC time in nanoseconds just before that
// write goes to FILE.
//
// A box just switched on has DSR low. Lines read on the standard input change the box as a
// bench would: "off" switches it off behind an adapter that keeps the port (no DSR, no
// data, it hears nothing), "on" switches it on again (asleep until "Z1"), "mute" stops its
// stream while it still obeys, "unmute" starts it again. Closing the box's end of the line
// is ending this program: the port then hangs up, as when a USB adapter is pulled out.

#include "PtyModem.h"
#include "link/SimulatedBox.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <thread>

namespace {

// Bytes kept for a program that does not read: beyond this the oldest are lost, as on a
// real line whose receiver overflows.
constexpr qsizetype MostPendingBytes = 64 * 1024;
// From reading RTS high to raising DSR.
constexpr int AnswerDelayMs = 20;

qint64 MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// How the stream is passed to the master: all at once (bytes 0), or at most `bytes` every
// `periodNs`.
struct Pacing {
    qsizetype bytes = 0;
    qint64 periodNs = 0;
};

class PtyBox : public QObject {
public:
    PtyBox(OscPtyModem& record, int masterFd, bool awake, Pacing pace, QFile* sweeps)
        : modem(record), master(masterFd), readable(masterFd, QSocketNotifier::Read),
          writable(masterFd, QSocketNotifier::Write), pacing(pace), sweepLog(sweeps) {
        box.SetStartsAwake(awake);
        box.SetAnswerDelay(AnswerDelayMs);
        box.SetRtsSampling(0); // the reader thread reads the line as the box does
        box.Open(QString());
        // A box just switched on does not hold DSR, whatever one before it left in the record.
        if (OscPtySetDsrLine(modem, false)) {
            OscPtyLog(modem, OscPtyEvent::DsrOff);
            OscPtyNotify(modem);
        }
        connect(&box, &SerialLink::dsrChanged, this, [this](bool on) {
            if (!OscPtySetDsrLine(modem, on))
                return;
            OscPtyLog(modem, on ? OscPtyEvent::DsrOn : OscPtyEvent::DsrOff);
            OscPtyNotify(modem);
        });
        connect(&box, &SerialLink::bytesReceived, this, [this](const QByteArray& chunk) {
            NoteSweepEnd(chunk);
            pending += chunk;
            streamQueued += chunk.size();
            if (pending.size() > MostPendingBytes) {
                streamSent += pending.size() - MostPendingBytes; // lost, as if sent
                pending.remove(0, pending.size() - MostPendingBytes);
            }
            if (pacing.bytes == 0)
                Flush();
        });
        connect(&readable, &QSocketNotifier::activated, this, [this] { ReadMaster(); });
        writable.setEnabled(false);
        connect(&writable, &QSocketNotifier::activated, this, [this] { Flush(); });
        if (pacing.bytes > 0) {
            paceTimer.setTimerType(Qt::PreciseTimer);
            paceTimer.setSingleShot(true);
            connect(&paceTimer, &QTimer::timeout, this, [this] { PacedWrite(); });
            paceStart = MonotonicNs();
            ScheduleNextWrite();
        }
        rtsWatcher = std::thread([this] { WatchRts(); });
    }

    ~PtyBox() override {
        stopping = true;
        OscPtyNotify(modem);
        rtsWatcher.join();
    }

    int SweepsSent() const { return box.SweepsSent(); }

    // One line of the bench: "off", "on", "mute" or "unmute"; false for another.
    bool Obey(const QByteArray& line) {
        if (line == "off")
            box.SetPowered(false);
        else if (line == "on")
            box.SetPowered(true);
        else if (line == "mute")
            box.SetMuted(true);
        else if (line == "unmute")
            box.SetMuted(false);
        else
            return false;
        return true;
    }

private:
    // Reads RTS as the box's microcontroller does and hands each change of what it read to
    // the box on the main thread, after the bytes the program wrote before it: on a wire
    // those reach the box first ("Z1" wakes the box before the first handshake). The first
    // reading counts too: a line raised before this thread began to read it (the program
    // may open the port and raise RTS at once) is high for the box from then on.
    void WatchRts() {
        OscPtyRtsReader reader(modem);
        if (reader.Level())
            HandOver(true);
        while (!stopping.load()) {
            if (reader.Next(100'000'000))
                HandOver(reader.Level());
        }
    }

    void HandOver(bool level) {
        QMetaObject::invokeMethod(
            this,
            [this, level] {
                ReadMaster();
                box.SetRts(level);
            },
            Qt::QueuedConnection);
    }

    void ReadMaster() {
        QByteArray bytes;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) {
                bytes.append(buffer, n);
                modem.bytesTaken.fetch_add(n); // off the port's output queue
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            break; // EAGAIN: all read
        }
        if (!bytes.isEmpty())
            box.Write(bytes);
    }

    // Where the sweep the box has just completed ends in the stream: a chunk in which the
    // box's count of sweeps went up holds that sweep's last byte, just before the first
    // packet of the next sweep ("A", three digits, "#") or at the chunk's end.
    void NoteSweepEnd(const QByteArray& chunk) {
        const int sweeps = box.SweepsSent();
        if (sweeps == sweepsSeen)
            return;
        sweepsSeen = sweeps;
        qsizetype end = chunk.size();
        const qsizetype mark = chunk.lastIndexOf('#');
        if (mark >= 4 && chunk[mark - 4] == 'A')
            end = mark - 4;
        sweepEnds.push_back(streamQueued + end);
    }

    // Writes up to `most` bytes of what is waiting; the rest waits until the master can take
    // it (or the next paced write).
    void Write(qsizetype most) {
        qsizetype sent = 0;
        const qsizetype wanted = std::min(most, pending.size());
        const qint64 startNs = MonotonicNs();
        while (sent < wanted) {
            const ssize_t n = ::write(master, pending.constData() + sent, wanted - sent);
            if (n > 0)
                sent += n;
            else if (n < 0 && errno == EINTR)
                continue;
            else
                break; // EAGAIN
        }
        pending.remove(0, sent);
        streamSent += sent;
        LogSweepEnds(startNs);
    }

    // The time a write began that carried the last byte of a sweep: the program cannot
    // have read that byte before it.
    void LogSweepEnds(qint64 writeNs) {
        while (!sweepEnds.empty() && sweepEnds.front() <= streamSent) {
            sweepEnds.pop_front();
            if (sweepLog) {
                sweepLog->write(QByteArray::number(writeNs) + '\n');
                sweepLog->flush();
            }
        }
    }

    void Flush() {
        Write(pacing.bytes > 0 ? pacing.bytes : pending.size());
        writable.setEnabled(pacing.bytes == 0 && !pending.isEmpty());
    }

    void PacedWrite() {
        Write(pacing.bytes);
        ScheduleNextWrite();
    }

    // The writes keep to the period on average: each is scheduled from the start, not from
    // the last one.
    void ScheduleNextWrite() {
        ++paceCount;
        const qint64 due = paceStart + paceCount * pacing.periodNs;
        const qint64 waitNs = std::max<qint64>(due - MonotonicNs(), 0);
        paceTimer.start(int((waitNs + 500'000) / 1'000'000));
    }

    OscPtyModem& modem;
    int master;
    SimulatedBox box;
    QSocketNotifier readable;
    QSocketNotifier writable;
    QByteArray pending; // bytes of the stream not yet taken by the master
    Pacing pacing;
    QTimer paceTimer;
    qint64 paceStart = 0;
    qint64 paceCount = 0;
    QFile* sweepLog = nullptr;
    int sweepsSeen = 0;
    qint64 streamQueued = 0;      // bytes of the stream handed over by the box so far
    qint64 streamSent = 0;        // of which written to the master (or lost)
    std::deque<qint64> sweepEnds; // stream offsets just past each sweep's last byte
    std::thread rtsWatcher;
    std::atomic<bool> stopping{false};
};

[[noreturn]] void Die(const char* what) {
    std::fprintf(stderr, "pty_box: %s: %s\n", what, std::strerror(errno));
    std::exit(1);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool noModemWait = arguments.removeAll(QStringLiteral("--no-modem-wait")) > 0;
    const bool awake = arguments.removeAll(QStringLiteral("--awake")) > 0;
    Pacing pacing;
    QFile sweepLog;
    bool usable = true;
    for (qsizetype i = 0; i + 1 < arguments.size();) {
        if (arguments[i] == QStringLiteral("--paced")) {
            const QStringList parts = arguments[i + 1].split(QLatin1Char('/'));
            bool bytesOk = false;
            bool msOk = false;
            pacing.bytes = parts.size() == 2 ? parts[0].toInt(&bytesOk) : 0;
            const double ms = parts.size() == 2 ? parts[1].toDouble(&msOk) : 0;
            pacing.periodNs = qint64(ms * 1e6);
            usable = usable && bytesOk && msOk && pacing.bytes > 0 && pacing.periodNs >= 1'000'000;
        } else if (arguments[i] == QStringLiteral("--sweep-log")) {
            sweepLog.setFileName(arguments[i + 1]);
            usable = usable && sweepLog.open(QIODevice::WriteOnly | QIODevice::Truncate);
        } else {
            ++i;
            continue;
        }
        arguments.remove(i, 2);
    }
    if (!usable || arguments.size() != 1 || arguments[0].startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: pty_box [--no-modem-wait] [--awake] [--paced BYTES/MS] "
                             "[--sweep-log FILE] MODEM_FILE\n");
        return 2;
    }
    const QByteArray path = arguments[0].toLocal8Bit();
    OscPtyModem* modem = OscMapPtyModemFile(path.constData());
    if (!modem)
        Die(path.constData());
    modem->noModemWait = noModemWait ? 1 : 0;

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        Die("posix_openpt");
    const char* slave = ptsname(master);
    // The slave stays open here for the whole run: without it the master reports a hang-up
    // whenever the program has not opened the port (yet, or any more). Raw mode, so that
    // the bytes pass unchanged.
    const int slaveFd = ::open(slave, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (slaveFd < 0 || tcgetattr(slaveFd, &settings) != 0)
        Die(slave);
    cfmakeraw(&settings);
    if (tcsetattr(slaveFd, TCSANOW, &settings) != 0)
        Die(slave);

    // The program's writes stay in the port's output queue until the box has read them.
    OscPtyNameTransmitter(*modem, master);
    PtyBox box(*modem, master, awake, pacing, sweepLog.isOpen() ? &sweepLog : nullptr);
    std::printf("%s\n", slave);
    std::fflush(stdout);

    int reported = 0;
    QTimer report;
    QObject::connect(&report, &QTimer::timeout, [&] {
        if (box.SweepsSent() == reported)
            return;
        reported = box.SweepsSent();
        std::printf("sweeps %d\n", reported);
        std::fflush(stdout);
    });
    report.start(1000);

    // The bench's orders, one a line, until the input ends.
    QByteArray orders;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        orders.append(buffer, n);
        qsizetype end;
        while ((end = orders.indexOf('\n')) >= 0) {
            const QByteArray line = orders.left(end).trimmed();
            orders.remove(0, end + 1);
            if (!line.isEmpty() && !box.Obey(line))
                std::fprintf(stderr, "pty_box: unknown order: %s\n", line.constData());
        }
    });
    return QCoreApplication::exec();
}
