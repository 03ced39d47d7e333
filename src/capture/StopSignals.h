#pragma once

#include <QObject>
#include <csignal>

class QSocketNotifier;

// Ctrl+C (SIGINT) and SIGTERM, turned into a signal of the event loop: the handler only
// notes the signal and wakes the loop through a pipe. A second Ctrl+C ends the process at
// once, as usual. The previous handlers come back when the object goes.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    // The signal received, 0 while none: for loops that run without the event loop.
    static int Received();

signals:
    void stopAsked(int signal);

private:
    QSocketNotifier* notifier = nullptr;
    struct sigaction previousInterrupt {};
    struct sigaction previousTerminate {};
};
