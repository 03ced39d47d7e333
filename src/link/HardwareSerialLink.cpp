#include "link/HardwareSerialLink.h"

#include "core/ErrorGuard.h"

#include <QDeadlineTimer>
#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int WriteTimeoutBaseMs = 1000;
constexpr int WriteTimeoutPerByteMs = 100;

// The system error behind a failed open. QSerialPort keeps only its own error kind, so
// the device is opened once more the same way to learn the system's reason.
int OpenFailureErrno(const QString& devicePath, QSerialPort::SerialPortError kind) {
    const int fd = ::open(devicePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno;
    ::close(fd);
    // The device opens: the port is held by another program (lock file or exclusive use).
    switch (kind) {
    case QSerialPort::DeviceNotFoundError:
        return ENOENT;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return EBUSY;
    default:
        return EIO;
    }
}

// Modem lines a virtual port does not have are no failure when they are only cleared.
bool NoModemLines(int error) {
    return error == ENOTTY || error == EINVAL || error == ENOSYS;
}

} // namespace

HardwareSerialLink::HardwareSerialLink(QObject* parent) : SerialLink(parent) {
    connect(&port, &QSerialPort::readyRead, this, GuardedSlot([this] { ReadWaiting(); }));
    // A port that goes away (a USB adapter pulled out) fails every read; left open, its
    // descriptor would keep the event loop spinning. It is closed, and the next command
    // reports the loss.
    connect(&port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if ((error != QSerialPort::ResourceError && error != QSerialPort::ReadError) || lost)
            return;
        lost = true;
        // Closed once the port's own handler has returned.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (lost)
                    Close();
            },
            Qt::QueuedConnection);
    });
}

HardwareSerialLink::~HardwareSerialLink() {
    Close();
}

void HardwareSerialLink::Fail(const QString& what, int systemError) {
    throw SerialError(SerialErrorText(what, systemError));
}

void HardwareSerialLink::Open(const QString& portName) {
    Close();
    lost = false;
    const QString path = PortDevicePath(portName);
    devicePath = path;
    port.setPortName(path);
    port.setBaudRate(QSerialPort::Baud115200);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    port.setReadBufferSize(0);
    errno = 0;
    if (!port.open(QIODevice::ReadWrite))
        Fail(QStringLiteral("Unable to open com port"), OpenFailureErrno(path, port.error()));
    port.clearError();

    const int fd = static_cast<int>(port.handle());
    // DTR stays off for the whole run; RTS is off until the first command.
    const int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIC, &lines) != 0 && !NoModemLines(errno)) {
        const int error = errno;
        port.close();
        Fail(QStringLiteral("Unable to open com port"), error);
    }
    watcher.Start(fd, [this](bool on) {
        QMetaObject::invokeMethod(
            this, [this, on] { emit dsrChanged(on); }, Qt::QueuedConnection);
    });
}

void HardwareSerialLink::Close() {
    watcher.Stop();
    if (port.isOpen())
        port.close();
}

void HardwareSerialLink::SetRts(bool on) {
    if (lost || !port.isOpen())
        Fail(QStringLiteral("EscapeCommFunction function failed"), lost ? EIO : EBADF);
    const int line = TIOCM_RTS;
    if (::ioctl(static_cast<int>(port.handle()), on ? TIOCMBIS : TIOCMBIC, &line) != 0)
        Fail(QStringLiteral("EscapeCommFunction function failed"), errno);
}

void HardwareSerialLink::Write(const QByteArray& bytes) {
    if (lost || !port.isOpen())
        Fail(QStringLiteral("WriteFile function failed"), lost ? EIO : EBADF);
    lastWriteBytes = bytes.size();
    errno = 0;
    if (port.write(bytes) < 0) {
        const int error = errno ? errno : EIO;
        Fail(QStringLiteral("WriteFile function failed"), error);
    }
    // A write that runs out of time leaves the rest unsent; nothing else happens.
    const QDeadlineTimer deadline(WriteTimeoutBaseMs +
                                  WriteTimeoutPerByteMs * qint64(bytes.size()));
    while (port.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!port.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
    }
    if (port.bytesToWrite() > 0)
        port.clear(QSerialPort::Output);
}

void HardwareSerialLink::WaitUntilSent() {
    if (lost || !port.isOpen())
        Fail(QStringLiteral("WriteFile function failed"), lost ? EIO : EBADF);
    // The driver's queue first, within the time-out of the last write; then tcdrain,
    // which also waits for the device's transmitter to empty.
    const int fd = static_cast<int>(port.handle());
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

void HardwareSerialLink::ReadWaiting() {
    const QByteArray chunk = port.readAll();
    if (!chunk.isEmpty())
        emit bytesReceived(chunk);
}
