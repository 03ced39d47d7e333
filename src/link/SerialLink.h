#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>

// A failure of the serial layer; its text is the one the user sees in the error box, and
// the system's error number tells its cause (0 when there is none).
class SerialError : public std::runtime_error {
public:
    explicit SerialError(const QString& text, int systemError = 0);
    QString Text() const { return QString::fromUtf8(what()); }
    int SystemError() const { return error; }

private:
    int error = 0;
};

// The text of a serial-layer failure: `what` followed by the system error number and its
// meaning. A permission failure also says how to get access to serial ports.
QString SerialErrorText(const QString& what, int systemError);

// The link with the box: one serial port, or the simulated box behind the same
// interface. Notifications arrive on the thread that owns the object (the user-interface
// thread): received bytes in arrival order, and every change of DSR with its new level.
class SerialLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens the named port exclusively at 115200 bit/s, 8N1, no flow control, DTR and
    // RTS off. An open link is closed first. Throws SerialError.
    virtual void Open(const QString& portName) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Sets or clears RTS at once. Throws SerialError.
    virtual void SetRts(bool on) = 0;
    // Writes the bytes; returns when they went to the port or the write time-out ran out.
    // Throws SerialError.
    virtual void Write(const QByteArray& bytes) = 0;
    // Returns once the bytes written have left the port itself (the driver's queue and
    // the device's own), or when the write time-out of those bytes ran out: what must go
    // out before a modem line changes. Throws SerialError.
    virtual void WaitUntilSent() {}
    // The receiver can act on what it received only once this many more bytes have come
    // (the rest of a sweep); 0 when every byte counts. A link may let them gather and hand
    // them over together, never later than the line takes to carry them.
    virtual void SetBytesWanted(qsizetype bytes) { Q_UNUSED(bytes); }

signals:
    void bytesReceived(const QByteArray& chunk);
    void dsrChanged(bool on);
    // The port failed for good while open (a read error, a hang-up: the box's end closed,
    // a USB adapter pulled out): nothing more comes from it and every later use fails.
    // Emitted once, with a short French text of the cause for the user.
    void portLost(const QString& reason);
};

// The causes of a lost port, as the user reads them after "Liaison perdue : ".
namespace LossReason {
// The port hung up (its other end closed, the device went away) or fails every transfer.
inline const QString HungUp = QStringLiteral("port fermé ou débranché");
// The device no longer exists.
inline const QString Vanished = QStringLiteral("port disparu");
// The box stopped acknowledging the commands (switched off behind a powered adapter).
inline const QString NoAcknowledgement = QStringLiteral("le boîtier ne répond plus");
// Another failure of the port, by its system error number.
QString PortError(int systemError);
} // namespace LossReason

// Whether a system error on an open port means the device is gone for good (a hang-up,
// the device removed), rather than a failure of one call.
bool PortGoneError(int systemError);
// The cause of a loss for a system error.
QString LossReasonOf(int systemError);

// Name of the simulated box in the port list and in SettingsLine::Port.
inline const QString SimulatedPortName = QStringLiteral("SIMULATEUR");

// The serial ports of the machine, by name (ttyS0, ttyUSB0...), sorted as text.
QStringList MachineSerialPorts();
// The ports a user can choose among the machine's `ports`: those and the simulated box,
// each once, sorted as text (ttyS10 before ttyS2).
QStringList ChoosablePorts(QStringList ports);
// The ports a user can choose on this machine.
QStringList AvailablePorts();
// The device path of a port name: a bare name lives in /dev; a path is taken as given,
// with its symbolic links resolved.
QString PortDevicePath(const QString& portName);
// The folder where the system names each USB serial adapter after its maker, model and
// serial number, whatever device node it was given.
inline const QString PortAliasFolder = QStringLiteral("/dev/serial/by-id");
// The name of `folder` (a link) that leads to the same device as `portName`; empty when
// none does. An adapter plugged in again may come back under another node, but keeps
// this name.
QString PortAlias(const QString& portName, const QString& folder = PortAliasFolder);

// The link that serves a port name: the simulated box for SimulatedPortName, the
// hardware port otherwise. Not opened yet.
std::unique_ptr<SerialLink> CreateSerialLink(const QString& portName, QObject* parent = nullptr);
