#pragma once

#include "link/DsrWatcher.h"
#include "link/SerialLink.h"

#include <QSerialPort>

// The link over a serial port of the machine (RS-232 or a USB adapter): data and RTS
// through QSerialPort, DSR through a watcher thread that hands every change to this
// object's thread.
class HardwareSerialLink : public SerialLink {
    Q_OBJECT
public:
    explicit HardwareSerialLink(QObject* parent = nullptr);
    ~HardwareSerialLink() override;

    void Open(const QString& portName) override;
    void Close() override;
    bool IsOpen() const override { return port.isOpen(); }
    void SetRts(bool on) override;
    void Write(const QByteArray& bytes) override;
    void WaitUntilSent() override;

    // The device path in use.
    QString DevicePath() const { return devicePath; }
    // Whether DSR is read every millisecond because the driver cannot wait for it.
    bool DsrPolled() const { return watcher.Polling(); }

private:
    void ReadWaiting();
    [[noreturn]] void Fail(const QString& what, int systemError);

    QSerialPort port;
    QString devicePath;
    qint64 lastWriteBytes = 0;
    bool lost = false; // the device went away while open
    DsrWatcher watcher;
};
