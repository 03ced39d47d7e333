// A stand-in for the acquisition box on a pseudo-terminal, so that the whole program can be
// run and measured against a box at the real line rate. The program opens the slave side
// as its serial port, with the modem shim preloaded and OSC_PTY_MODEM_FILE naming the same
// file as here; this program plays the box on the master side with the program's own
// simulated box: RTS seen in the shared record goes to the box, the box's DSR goes to the
// record, bytes from the program go to the box, and the box's stream goes to the program.
//
//   pty_box [--no-modem-wait] MODEM_FILE
//
// Prints the slave's path on its first line, then, once a second, "sweeps N" with the
// number of complete sweeps sent so far whenever it changed. With --no-modem-wait the port
// refuses the modem-status wait (TIOCMIWAIT), like drivers that do not offer it.

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

class PtyBox : public QObject {
public:
    PtyBox(OscPtyModem& record, int masterFd)
        : modem(record), master(masterFd), readable(masterFd, QSocketNotifier::Read),
          writable(masterFd, QSocketNotifier::Write) {
        box.Open(QString());
        connect(&box, &SerialLink::dsrChanged, this, [this](bool on) {
            if (OscPtySetDsrLine(modem, on))
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

private:
    // Waits on the shared record for transitions of RTS and hands them to the box on the
    // main thread, after the bytes the program wrote before them: on a wire those reach
    // the box first ("Z1" wakes the box just before the first handshake). The program may
    // drop and raise RTS within a millisecond, so transitions are counted rather than
    // levels compared: a pulse seen late still reaches the box as a pulse.
    void WatchRts() {
        uint32_t handed = 0; // transitions handed to the box; RTS starts off
        while (!stopping.load()) {
            const uint32_t seen = modem.changes.load();
            const uint32_t count = modem.rtsCount.load();
            if (count != handed) {
                const bool pulse = (count - handed) % 2 == 0;
                const bool level = (count % 2) != 0;
                handed = count;
                QMetaObject::invokeMethod(
                    this,
                    [this, pulse, level] {
                        ReadMaster();
                        if (pulse)
                            box.SetRts(!level);
                        box.SetRts(level);
                    },
                    Qt::QueuedConnection);
                continue;
            }
            const timespec timeout{0, 100'000'000};
            OscPtyWait(modem, seen, &timeout);
        }
    }

    void ReadMaster() {
        QByteArray bytes;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) {
                bytes.append(buffer, n);
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
    const QStringList arguments = QCoreApplication::arguments();
    const bool noModemWait = arguments.size() == 3 && arguments[1] == "--no-modem-wait";
    if (arguments.size() != 2 && !noModemWait) {
        std::fprintf(stderr, "usage: pty_box [--no-modem-wait] MODEM_FILE\n");
        return 2;
    }
    const QByteArray path = arguments.last().toLocal8Bit();
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

    PtyBox box(*modem, master);
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
    return QCoreApplication::exec();
}
