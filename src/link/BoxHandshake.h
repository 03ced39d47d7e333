#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// The box's end of the RTS/DSR handshake, as the box's microcontroller plays it. It does
// not see the RTS line change: it reads the line's level now and then. Here it reads it
// one sampling interval (1 ms) after the line changed, so a pulse shorter than the interval
// is never seen, and two changes within one interval are seen as their end result.
//
// Awake, the box answers a level it read high by raising DSR after its answer delay (if
// RTS is still read high then), and drops DSR as soon as it reads RTS low. Asleep, it
// leaves DSR low whatever RTS does, until the wake-up ("Z1") reaches it; from then on it
// answers RTS as it reads it, so a line already high when it wakes is answered too.
// A box that is silent never raises DSR.
//
// The changes of DSR are reported through the callback, never from inside SetRts unless
// the sampling interval is 0 (the caller reads the line itself and hands over what it read).
class BoxHandshake : public QObject {
public:
    using Report = std::function<void(bool dsr)>;

    static constexpr int SampleIntervalMs = 1;

    explicit BoxHandshake(Report report, QObject* parent = nullptr);

    // The port opened: RTS and DSR low, the box asleep or already awake (left so by an
    // earlier run that did not end its use).
    void Reset(bool awake);
    // RTS as the program sets it.
    void SetRts(bool on);
    // The wake-up reached the box; the end of use ("F&") puts it back to sleep.
    void Wake();
    void Sleep();

    void SetSilent(bool silent);
    // The box's power: switched off it drops DSR, falls asleep and hears nothing, not even
    // the wake-up; switched on again it is asleep until "Z1", as after any power-up.
    void SetPowered(bool on);
    bool Powered() const { return powered; }
    void SetAnswerDelay(int ms) { answerDelayMs = ms; }
    // 0: every SetRts is a reading of the line already made by the caller.
    void SetSampleInterval(int ms) { sampleIntervalMs = ms; }

    bool Rts() const { return rts; }
    // The level of RTS the box last read.
    bool RtsSeen() const { return seen; }
    bool Dsr() const { return dsr; }
    bool Awake() const { return awake; }

private:
    void Sample();
    void Answer();
    void SetDsr(bool on);

    Report report;
    QTimer sampleTimer;
    QTimer answerTimer;
    bool rts = false;
    bool seen = false;
    bool dsr = false;
    bool awake = false;
    bool silent = false;
    bool powered = true;
    int answerDelayMs = 2;
    int sampleIntervalMs = SampleIntervalMs;
};
