#pragma once

#include "capture/CaptureOptions.h"
#include "capture/SweepSinks.h"
#include "instrument/Instrument.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

class QIODevice;
class StopSignals;

// The streams of a capture: the standard output (the outputs named "-") and the standard
// error (messages and the progress line, rewritten in place on a terminal).
struct CaptureStreams {
    QIODevice* out = nullptr;
    QIODevice* err = nullptr;
    bool errIsTerminal = false;
};

// One run of oscilloscope-capture over the instrument session, without any window.
//
// From a port: the session runs over the factory settings kept in memory (the program's
// settings file is never read or written); activation as the program's ("Z1", "?&", the
// activated preset) without the user's start-up restore; then every setting of the
// command line through the session's operations, so each command's bytes are the
// program's. The first sweep completed after the last setting may have begun before it
// reached the box: it is left out, and the sweeps after it are recorded, each as a
// SweepRecord (the settings as the session holds them after PrepareScreen, the codes and
// extremes of the completed sweep) handed to every output. The capture ends after the
// sweeps or seconds asked for, at Ctrl+C or SIGTERM, or after a write error, with "F&" and
// RTS low while the link lives; a port that vanishes ends it at once, a box that sends no
// sweep for long (SilenceLimitMs) or stops acknowledging ends it too.
//
// From a file: the whole file is checked first, then its sweeps go to the outputs.
class Capture : public QObject {
    Q_OBJECT
public:
    enum Status { Done = 0, BadUsage = 1, PortUnusable = 2, LinkLost = 3, WriteFailed = 4 };

    // An empty factory gives the port or the simulated box by its name.
    Capture(CaptureOptions options, CaptureStreams streams,
            Instrument::LinkFactory linkFactory = {}, QObject* parent = nullptr);
    ~Capture() override;

    // Runs the capture to its end; the exit status.
    int Run();

    // Ends the capture as Ctrl+C does.
    void Stop();

    Instrument& Session() { return session; }
    int SweepsWritten() const { return written; }

    // The longest a box may go without completing a sweep at a time base: five seconds and
    // twice the time the box takes to fill its memory.
    static int SilenceLimitMs(int timeBaseIndex);
    // Another limit, whatever the time base (tests); 0 gives back the rule above.
    void SetSilenceLimitMs(int ms) { silenceLimitMs = ms; }

signals:
    // A sweep went to every output.
    void sweepWritten(int number);

private:
    void OpenOutputs();
    int Replay();
    void Start();
    void SendSettings();
    void BeginRecording();
    void SweepCompleted();
    void CheckPort();
    // The link failed after activation: status 3, told once with how many sweeps were written.
    void LinkLostAfterActivation(const QString& reason);
    void Fail(Status failure, const QString& message);
    void Finish();
    void ShowProgress(bool last);
    void Print(const QString& text);
    QString PortMessage(const class SerialError& error) const;

    CaptureOptions options;
    CaptureStreams streams;
    Instrument session;
    std::vector<std::unique_ptr<SweepSink>> sinks;
    StopSignals* stopSignals = nullptr;
    QEventLoop loop;
    QTimer silence;
    QTimer portCheck;
    QTimer duration;
    QElapsedTimer recordingClock;
    QElapsedTimer progressClock;
    int status = Done;
    bool activated = false; // "?&" went out
    bool recording = false;
    bool skipNext = false;
    bool stopping = false;
    bool finished = false;
    bool lossReported = false; // the lost link was told once
    int stopSignal = 0;
    int written = 0;
    int silenceLimitMs = 0;
    bool progressShown = false;
};

// The factory settings of the program, as delivered with it (kept in the executable).
PersistedSettings FactorySettings();

// The record of the session's last completed sweep, completed at `when`: the session is
// first prepared as for a redraw (the ground levels of grounded channels measured), then
// its settings, magnifier, window start, and the sweep's codes and extremes are taken.
// What the capture does with every sweep it records.
SweepRecord RecordOfLastSweep(Instrument& session, const QDateTime& when);
