#pragma once

#include "link/SerialLink.h"

#include <QByteArray>
#include <QList>
#include <QMetaObject>
#include <functional>

// A link that plays an obliging box for the tests of the session and of the windows
// above it: every rise of RTS is answered by a rise of DSR on the next turn of the event
// loop (never from inside SetRts, as a real line cannot), every fall by a fall; every
// write is recorded. A silent link never answers.
class RecordingLink : public SerialLink {
public:
    using SerialLink::SerialLink;

    QList<QByteArray> writes; // every write, in order
    QList<qsizetype> wanted;  // every SetBytesWanted, in order
    bool silent = false;      // never raise DSR
    bool failOpen = false;    // Open throws, as a port that cannot be opened
    std::function<void(const QByteArray&)> onWrite;

    void Open(const QString& name) override {
        if (failOpen)
            throw SerialError(SerialErrorText(QStringLiteral("Unable to open com port"), 2));
        portName = name;
        open = true;
    }
    void Close() override { open = false; }
    bool IsOpen() const override { return open; }
    void SetRts(bool on) override {
        rts = on;
        if (silent)
            return;
        QMetaObject::invokeMethod(
            this,
            [this, on] {
                if (dsr != on) {
                    dsr = on;
                    emit dsrChanged(on);
                }
            },
            Qt::QueuedConnection);
    }
    void Write(const QByteArray& bytes) override {
        writes << bytes;
        if (onWrite)
            onWrite(bytes);
    }
    void SetBytesWanted(qsizetype bytes) override { wanted << bytes; }
    // Hands bytes to the program as if the box had sent them.
    void Receive(const QByteArray& bytes) { emit bytesReceived(bytes); }

    bool Rts() const { return rts; }
    QString PortName() const { return portName; }

private:
    QString portName;
    bool open = false;
    bool rts = false;
    bool dsr = false;
};
