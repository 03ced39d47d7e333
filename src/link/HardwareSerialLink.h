#pragma once

#include "link/DsrWatcher.h"
#include "link/SerialLink.h"

#include <QTimer>

class QSocketNotifier;

// The link over a serial port of the machine (RS-232 or a USB adapter), on the port's
// descriptor itself: termios for the line settings, the modem ioctls for RTS and DTR, a
// watcher thread for DSR that hands every change to this object's thread, and a notifier
// for the received bytes.
//
// Reading is where the link earns its keep. The box streams 11520 bytes a second, and a
// driver hands them over in small pieces (a pseudo-terminal every few milliseconds, a
// USB adapter 60 to 200 times a second); waking the program for each piece costs far
// more than the bytes themselves. When the receiver says how many bytes it still needs
// (SetBytesWanted: the rest of the sweep), the link lets them gather in the driver and
// reads them once, just after the line has had the time to carry them. A receiver that
// says nothing gets every piece as it comes.
class HardwareSerialLink : public SerialLink {
    Q_OBJECT
public:
    explicit HardwareSerialLink(QObject* parent = nullptr);
    ~HardwareSerialLink() override;

    void Open(const QString& portName) override;
    void Close() override;
    // A port that was lost is no longer open, even before its descriptor is closed.
    bool IsOpen() const override { return fd >= 0 && !lost; }
    void SetRts(bool on) override;
    void Write(const QByteArray& bytes) override;
    void WaitUntilSent() override;
    void SetBytesWanted(qsizetype bytes) override;

    // The device path in use.
    QString DevicePath() const { return devicePath; }
    // Whether DSR is read in turns because the driver cannot wait for it.
    bool DsrPolled() const { return watcher.Polling(); }

    // How long the link lets this many bytes gather before reading them: the time the line
    // takes to carry them and a little more, at most a quarter of a second.
    static int GatherMs(qsizetype bytes);

private:
    void ReadWaiting();
    // The device failed for good: reads stop, the descriptor is closed once the handler
    // under way has returned, and portLost says why (once).
    void Lose(const QString& reason);
    // Throws the serial-layer error; an error that means the device is gone loses the port
    // first.
    [[noreturn]] void Fail(const QString& what, int systemError);

    int fd = -1;
    QString devicePath;
    bool lost = false; // the device went away while open
    qint64 lastWriteBytes = 0;
    qsizetype wanted = 0;
    QSocketNotifier* readable = nullptr;
    QTimer gather;
    DsrWatcher watcher;
    quint64 generation = 0; // counts openings: a DSR report of an earlier one is dropped
};
