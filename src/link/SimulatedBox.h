#pragma once

#include "core/InstrumentSettings.h"
#include "core/Sweep.h"
#include "link/BoxHandshake.h"
#include "link/SerialLink.h"

#include <QElapsedTimer>
#include <QTimer>
#include <array>

// The acquisition box, simulated inside the program behind the link interface. It reads
// RTS as a microcontroller does (BoxHandshake: the level, a millisecond after a change)
// and, once woken by "Z1", answers it with DSR a few milliseconds later; it obeys every
// command, and after "?&" sends sweeps of 300 packets at the pace of a 115200 bit/s
// line. Its inputs are a bench: channel A a 1 kHz sine of 2 V peak, channel B a 500 Hz
// square of 1 V peak riding on 1.5 V DC.
class SimulatedBox : public SerialLink {
    Q_OBJECT
public:
    static constexpr int LineBytesPerSecond = 11520; // 115200 bit/s, 10 bits a byte

    // What the box is set to.
    struct State {
        int timeBaseIndex = 12; // row of TimeBaseTable
        std::array<int, 2> voltsPerDivIndex{3, 3};
        std::array<Coupling, 2> coupling{Coupling::GND, Coupling::GND};
        std::array<int, 2> position{Sweep::CentreCode, Sweep::CentreCode};
        TriggerSource trigger = TriggerSource::Off;
        bool running = true;
        int windowStart = 0;
    };

    // One command as the box received it.
    struct Received {
        QByteArray text;
        bool rtsHigh; // RTS when the bytes were written
        qint64 atMs;  // monotonic clock (QElapsedTimer::msecsSinceReference) of the write
    };

    using Memory = std::array<std::array<int, Sweep::MemorySamples>, 2>;

    explicit SimulatedBox(QObject* parent = nullptr);

    void Open(const QString& portName) override;
    void Close() override;
    bool IsOpen() const override { return open; }
    void SetRts(bool on) override;
    void Write(const QByteArray& bytes) override;
    // A receiver that waits for the rest of a sweep gets it in one piece, once the line
    // has carried it; otherwise the bytes come in steps of 10 ms of line.
    void SetBytesWanted(qsizetype bytes) override;

    const State& Settings() const { return state; }
    bool Awake() const { return handshake.Awake(); }
    bool Acquiring() const { return sending; }
    bool Dsr() const { return handshake.Dsr(); }
    bool Rts() const { return handshake.Rts(); }
    const QList<Received>& Commands() const { return received; }
    // Complete sweeps sent so far (all their bytes delivered).
    int SweepsSent() const { return sweepsSent; }
    const Memory& CurrentMemory() const { return memory; }

    // For tests: never raise DSR.
    void SetSilent(bool silent) { handshake.SetSilent(silent); }
    // For tests and the stand-in box: the box is awake when the port opens, as one left
    // so by an earlier run, and answers RTS before any "Z1". Takes effect at the next Open.
    void SetStartsAwake(bool awake) { startsAwake = awake; }
    // For the stand-in box, which reads the line itself: the interval at which the box
    // reads RTS after a change, 0 when every SetRts is already such a reading.
    void SetRtsSampling(int ms) { handshake.SetSampleInterval(ms); }
    // For tests: drop, or replace with "?", every n-th byte of the sample stream (0: none).
    void SetByteLoss(int every) { lossEvery = every; }
    void SetByteCorruption(int every) { corruptionEvery = every; }
    // For tests: the box's end of the link fails, as a port whose cable is pulled out or
    // whose other end closes: portLost says so (when open), nothing more comes, and every
    // later use of this link fails, opening it again too. The box can be reached again
    // only through a new link.
    void Unplug(const QString& reason = LossReason::HungUp);
    bool Unplugged() const { return unplugged; }
    // For tests and the stand-in box: the box stops sending (or sends again) while still
    // answering the handshake and obeying the commands, as one whose input is starved.
    void SetMuted(bool muted);
    // For tests and the stand-in box: the box switched off behind an adapter that keeps
    // the port: it drops DSR, stops sending and hears nothing; switched on again it is
    // asleep in its start state until "Z1" and "?&".
    void SetPowered(bool on);
    // For tests: send these bytes at once, outside the sample stream.
    void Inject(const QByteArray& bytes);
    // For tests: a faster line.
    void SetBytesPerSecond(int rate) { bytesPerSecond = rate; }
    // The delay between reading RTS high and raising DSR.
    void SetAnswerDelay(int ms) { handshake.SetAnswerDelay(ms); }

    // The samples of one acquisition: each channel's input at the time base's rate,
    // scaled at 32 codes per division, shifted by the position, clipped to 0..255; flat at
    // the position under GND coupling. `startTime` is the time of sample 0 in seconds.
    static Memory Acquire(const State& state, double startTime);
    // The input voltage of a channel at time t, as the coupling passes it.
    static double InputVolts(Channel channel, Coupling coupling, double t);
    // The 300 packets of one sweep over memory[start .. start + 299].
    static QByteArray SweepBytes(const Memory& memory, int start);

private:
    void Execute(const QByteArray& command);
    void Initialise();
    void StartSending();
    void StopSending();
    void Pace();
    QByteArray NextBytes(qint64 count);
    void NextSweep();

    bool open = false;
    bool unplugged = false;
    bool muted = false;
    bool startsAwake = false;
    bool sending = false;
    State state;
    Memory memory{};
    int acquisitions = 0;
    QByteArray input;
    QList<Received> received;

    BoxHandshake handshake;
    QTimer paceTimer;
    QElapsedTimer clock;
    qint64 bytesDue = 0; // bytes the line has carried since sending began
    QByteArray sweep;
    qsizetype sweepPos = 0;
    int sweepsSent = 0;
    qint64 streamBytes = 0;
    int lossEvery = 0;
    int corruptionEvery = 0;
    int bytesPerSecond = LineBytesPerSecond;
    qsizetype wanted = 0;
};
