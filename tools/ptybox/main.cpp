// A stand-in for the acquisition box on a pseudo-terminal, so that the whole program can be
// run and measured against a box at the real line rate. The program opens the slave side
// as its serial port, with the modem shim preloaded and OSC_PTY_MODEM_FILE naming the same
// file as here; this program plays the box on the master side with the program's own
// simulated box: RTS as the box reads it goes to the box, the box's DSR goes to the
// record (and its log), bytes from the program go to the box, and the box's stream goes
// to the program.
//
//   pty_box [--no-modem-wait] [--awake] MODEM_FILE
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
// A box just switched on has DSR low. Lines read on the standard input change the box as a
// bench would: "off" switches it off behind an adapter that keeps the port (no DSR, no
// data, it hears nothing), "on" switches it on again (asleep until "Z1"), "mute" stops its
// stream while it still obeys, "unmute" starts it again. Closing the box's end of the line
// is ending this program: the port then hangs up, as when a USB adapter is pulled out.

#include "PtyModem.h"
#include "link/SimulatedBox.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// Bytes kept for a program that does not read: beyond this the oldest are lost, as on a
// real line whose receiver overflows.
constexpr qsizetype MostPendingBytes = 64 * 1024;
// From reading RTS high to raising DSR.
constexpr int AnswerDelayMs = 20;

class PtyBox : public QObject {
public:
    PtyBox(OscPtyModem& record, int masterFd, bool awake)
        : modem(record), master(masterFd), readable(masterFd, QSocketNotifier::Read),
          writable(masterFd, QSocketNotifier::Write) {
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
            pending += chunk;
            if (pending.size() > MostPendingBytes)
                pending.remove(0, pending.size() - MostPendingBytes);
            Flush();
        });
        connect(&readable, &QSocketNotifier::activated, this, [this] { ReadMaster(); });
        writable.setEnabled(false);
        connect(&writable, &QSocketNotifier::activated, this, [this] { Flush(); });
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

    void Flush() {
        qsizetype sent = 0;
        while (sent < pending.size()) {
            const ssize_t n = ::write(master, pending.constData() + sent, pending.size() - sent);
            if (n > 0)
                sent += n;
            else if (n < 0 && errno == EINTR)
                continue;
            else
                break; // EAGAIN: the rest waits until the master can take it
        }
        pending.remove(0, sent);
        writable.setEnabled(!pending.isEmpty());
    }

    OscPtyModem& modem;
    int master;
    SimulatedBox box;
    QSocketNotifier readable;
    QSocketNotifier writable;
    QByteArray pending; // bytes of the stream not yet taken by the master
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
    if (arguments.size() != 1 || arguments[0].startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: pty_box [--no-modem-wait] [--awake] MODEM_FILE\n");
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
    PtyBox box(*modem, master, awake);
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
