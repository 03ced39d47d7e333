#include "link/HardwareSerialLink.h"

#include "core/ErrorGuard.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int WriteTimeoutBaseMs = 1000;
constexpr int WriteTimeoutPerByteMs = 100;
constexpr int LineBytesPerSecond = 11520; // 115200 bit/s, ten bits a byte
constexpr int GatherMarginMs = 2;
constexpr int MostGatherMs = 250;

// Modem lines a virtual port does not have are no failure when they are only cleared.
bool NoModemLines(int error) {
    return error == ENOTTY || error == EINVAL || error == ENOSYS;
}

// 115200 bit/s, 8 data bits, no parity, 1 stop bit, no flow control of any kind, raw
// bytes both ways; a read returns at once with what is waiting.
bool ConfigureLine(int fd) {
    termios line{};
    if (::tcgetattr(fd, &line) != 0)
        return false;
    ::cfmakeraw(&line);
    line.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    line.c_cflag |= CS8 | CLOCAL | CREAD;
    line.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | ISTRIP | PARMRK | IGNPAR);
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    if (::cfsetispeed(&line, B115200) != 0 || ::cfsetospeed(&line, B115200) != 0)
        return false;
    return ::tcsetattr(fd, TCSANOW, &line) == 0;
}

} // namespace

HardwareSerialLink::HardwareSerialLink(QObject* parent) : SerialLink(parent) {
    gather.setSingleShot(true);
    gather.setTimerType(Qt::PreciseTimer);
    connect(&gather, &QTimer::timeout, this, GuardedSlot([this] { ReadWaiting(); }));
}

HardwareSerialLink::~HardwareSerialLink() {
    Close();
}

void HardwareSerialLink::Fail(const QString& what, int systemError) {
    if (fd >= 0 && PortGoneError(systemError))
        Lose(LossReasonOf(systemError));
    throw SerialError(SerialErrorText(what, systemError), systemError);
}

int HardwareSerialLink::GatherMs(qsizetype bytes) {
    const qint64 lineMs = (qint64(bytes) * 1000 + LineBytesPerSecond - 1) / LineBytesPerSecond;
    return int(std::min<qint64>(lineMs + GatherMarginMs, MostGatherMs));
}

void HardwareSerialLink::Open(const QString& portName) {
    Close();
    lost = false;
    wanted = 0;
    const QString path = PortDevicePath(portName);
    devicePath = path;
    const QByteArray name = path.toLocal8Bit();
    const int opened = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (opened < 0)
        Fail(QStringLiteral("Unable to open com port"), errno);
    const auto refuse = [&](int error) {
        ::close(opened);
        Fail(QStringLiteral("Unable to open com port"), error);
    };
    // Exclusive: no other program, and no other opening of this one, shares the port.
    if (::flock(opened, LOCK_EX | LOCK_NB) != 0)
        refuse(errno == EWOULDBLOCK ? EBUSY : errno);
    if (::ioctl(opened, TIOCEXCL) != 0 || !ConfigureLine(opened))
        refuse(errno);
    // DTR stays off for the whole run; RTS is off until the first command.
    const int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(opened, TIOCMBIC, &lines) != 0 && !NoModemLines(errno))
        refuse(errno);

    fd = opened;
    ++generation;
    readable = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(readable, &QSocketNotifier::activated, this, GuardedSlot([this] { ReadWaiting(); }));
    const quint64 opening = generation;
    watcher.Start(fd, [this, opening](bool on) {
        QMetaObject::invokeMethod(
            this,
            [this, opening, on] {
                if (opening == generation && fd >= 0)
                    emit dsrChanged(on);
            },
            Qt::QueuedConnection);
    });
}

void HardwareSerialLink::Close() {
    watcher.Stop();
    gather.stop();
    delete readable;
    readable = nullptr;
    if (fd >= 0) {
        ::close(fd); // releases the lock as well
        fd = -1;
    }
    ++generation;
}

void HardwareSerialLink::Lose(const QString& reason) {
    if (lost)
        return;
    // A port that goes away (a USB adapter pulled out, the other end of a pseudo-terminal
    // closed) fails every read; left open, its descriptor would keep the event loop
    // spinning. It is closed once the notifier's own handler has returned.
    lost = true;
    gather.stop();
    if (readable)
        readable->setEnabled(false);
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (lost)
                Close();
        },
        Qt::QueuedConnection);
    emit portLost(reason);
}

void HardwareSerialLink::SetRts(bool on) {
    if (lost || fd < 0)
        Fail(QStringLiteral("EscapeCommFunction function failed"), lost ? EIO : EBADF);
    const int line = TIOCM_RTS;
    if (::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) != 0)
        Fail(QStringLiteral("EscapeCommFunction function failed"), errno);
    watcher.SetAwaited(on);
}

void HardwareSerialLink::Write(const QByteArray& bytes) {
    if (lost || fd < 0)
        Fail(QStringLiteral("WriteFile function failed"), lost ? EIO : EBADF);
    lastWriteBytes = bytes.size();
    const QDeadlineTimer deadline(WriteTimeoutBaseMs +
                                  WriteTimeoutPerByteMs * qint64(bytes.size()));
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, bytes.size() - written);
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            Fail(QStringLiteral("WriteFile function failed"), errno);
        if (deadline.hasExpired())
            break;
        pollfd room{fd, POLLOUT, 0};
        ::poll(&room, 1, int(std::max<qint64>(1, deadline.remainingTime())));
    }
    // A write that runs out of time leaves the rest unsent; nothing else happens.
    if (written < bytes.size())
        ::tcflush(fd, TCOFLUSH);
}

void HardwareSerialLink::WaitUntilSent() {
    if (lost || fd < 0)
        Fail(QStringLiteral("WriteFile function failed"), lost ? EIO : EBADF);
    // The driver's queue first, within the time-out of the last write; then tcdrain,
    // which also waits for the device's transmitter to empty.
    const QDeadlineTimer deadline(WriteTimeoutBaseMs + WriteTimeoutPerByteMs * lastWriteBytes);
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && !deadline.hasExpired())
        ::usleep(200);
    if (queued > 0)
        return; // the time-out ran out, as for the write itself
    while (::tcdrain(fd) != 0) {
        if (errno != EINTR) {
            if (NoModemLines(errno))
                return;
            Fail(QStringLiteral("WriteFile function failed"), errno);
        }
    }
}

void HardwareSerialLink::SetBytesWanted(qsizetype bytes) {
    wanted = std::max<qsizetype>(bytes, 0);
}

void HardwareSerialLink::ReadWaiting() {
    if (lost || fd < 0)
        return;
    QByteArray chunk;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            chunk.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno == EAGAIN)
            break; // all read (a raw line with nothing waiting reads 0)
        // The device failed (a pseudo-terminal whose other end closed: EIO).
        Lose(LossReasonOf(errno));
        break;
    }
    if (chunk.isEmpty() && !lost) {
        // Woken with nothing to read: a device that hung up (a USB adapter pulled out)
        // reads 0 for ever, and only poll tells it apart from a spurious wake-up.
        pollfd state{fd, POLLIN, 0};
        if (::poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR | POLLNVAL)))
            Lose((state.revents & POLLNVAL) ? LossReason::Vanished : LossReason::HungUp);
    }
    if (!chunk.isEmpty())
        emit bytesReceived(chunk); // the receiver may say here how many more it needs
    if (lost || fd < 0 || !readable)
        return;
    if (!chunk.isEmpty() && wanted > 0) {
        // Let the rest gather in the driver, and come back when the line has carried it.
        readable->setEnabled(false);
        gather.start(GatherMs(wanted));
    } else {
        readable->setEnabled(true); // hand over the next bytes as they come
    }
}
