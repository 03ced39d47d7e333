#pragma once

#include "link/BoxHandshake.h"
#include "link/SerialLink.h"

#include <QByteArray>
#include <QList>
#include <cerrno>
#include <functional>

// A link that plays an obliging box for the tests of the session and of the windows
// above it, and records every write. Its box reads RTS as a microcontroller does, a
// millisecond after the line changed (a shorter drop goes unseen), raises DSR a
// millisecond after it read RTS high and drops it as soon as it reads RTS low: never from
// inside SetRts, as a real line cannot. It is awake from the start, as one left so by an
// earlier run, or `asleep` until "Z1". A silent link never raises DSR. A lost one fails
// every later use.
class RecordingLink : public SerialLink {
public:
    explicit RecordingLink(QObject* parent = nullptr) : SerialLink(parent) {
        handshake.SetAnswerDelay(1);
    }

    QList<QByteArray> writes; // every write, in order
    QList<qsizetype> wanted;  // every SetBytesWanted, in order
    bool silent = false;      // never raise DSR (read at every change of RTS)
    bool asleep = false;      // ignores RTS until "Z1" (read when the link opens)
    bool failOpen = false;    // Open throws, as a port that cannot be opened
    bool loseAtRts = false;   // the next SetRts finds the port gone (and throws)
    bool loseAtWrite = false; // the next Write finds the port gone (and throws)
    std::function<void(const QByteArray&)> onWrite;

    void Open(const QString& name) override {
        if (failOpen)
            throw SerialError(SerialErrorText(QStringLiteral("Unable to open com port"), 2));
        portName = name;
        open = true;
        handshake.Reset(!asleep);
    }
    void Close() override { open = false; }
    bool IsOpen() const override { return open; }
    void SetRts(bool on) override {
        if (gone)
            throw SerialError(
                SerialErrorText(QStringLiteral("EscapeCommFunction function failed"), EIO));
        if (loseAtRts) {
            loseAtRts = false;
            Lose(); // the call itself finds the port gone, as the hardware port's does
            throw SerialError(
                SerialErrorText(QStringLiteral("EscapeCommFunction function failed"), EIO));
        }
        handshake.SetSilent(silent);
        handshake.SetRts(on);
    }
    void Write(const QByteArray& bytes) override {
        if (gone)
            throw SerialError(SerialErrorText(QStringLiteral("WriteFile function failed"), EIO));
        if (loseAtWrite) {
            loseAtWrite = false;
            Lose();
            throw SerialError(SerialErrorText(QStringLiteral("WriteFile function failed"), EIO));
        }
        writes << bytes;
        if (bytes == "Z1")
            handshake.Wake();
        if (onWrite)
            onWrite(bytes);
    }
    void SetBytesWanted(qsizetype bytes) override { wanted << bytes; }
    // Hands bytes to the program as if the box had sent them.
    void Receive(const QByteArray& bytes) { emit bytesReceived(bytes); }
    // The port fails for good, as one whose cable is pulled out: portLost, and every later
    // use throws as the hardware port's does.
    void Lose(const QString& reason = LossReason::HungUp) {
        gone = true;
        emit portLost(reason);
    }

    bool Rts() const { return handshake.Rts(); }
    QString PortName() const { return portName; }

private:
    QString portName;
    bool open = false;
    bool gone = false;
    BoxHandshake handshake{[this](bool on) { emit dsrChanged(on); }};
};
