#include "link/BoxHandshake.h"

BoxHandshake::BoxHandshake(Report onDsr, QObject* parent)
    : QObject(parent), report(std::move(onDsr)) {
    sampleTimer.setSingleShot(true);
    sampleTimer.setTimerType(Qt::PreciseTimer);
    connect(&sampleTimer, &QTimer::timeout, this, [this] { Sample(); });
    answerTimer.setSingleShot(true);
    answerTimer.setTimerType(Qt::PreciseTimer);
    connect(&answerTimer, &QTimer::timeout, this, [this] { Answer(); });
}

void BoxHandshake::Reset(bool startAwake) {
    sampleTimer.stop();
    answerTimer.stop();
    rts = false;
    seen = false;
    dsr = false;
    awake = startAwake && powered;
}

void BoxHandshake::SetRts(bool on) {
    rts = on;
    if (sampleIntervalMs <= 0)
        Sample();
    else if (!sampleTimer.isActive()) // the line is read once the interval is over
        sampleTimer.start(sampleIntervalMs);
}

void BoxHandshake::Sample() {
    if (rts == seen)
        return; // back where it was: a pulse the box did not see
    seen = rts;
    if (!seen) {
        answerTimer.stop();
        SetDsr(false);
    } else if (awake && !silent && powered) {
        answerTimer.start(answerDelayMs);
    }
}

void BoxHandshake::Answer() {
    if (seen && awake && !silent && powered)
        SetDsr(true);
}

void BoxHandshake::Wake() {
    if (awake || !powered)
        return;
    awake = true;
    if (seen && !silent)
        answerTimer.start(answerDelayMs);
}

void BoxHandshake::Sleep() {
    awake = false;
    answerTimer.stop();
}

void BoxHandshake::SetPowered(bool on) {
    if (on == powered)
        return;
    powered = on;
    if (!on) {
        awake = false;
        answerTimer.stop();
        SetDsr(false);
    }
}

void BoxHandshake::SetSilent(bool value) {
    silent = value;
    if (silent)
        answerTimer.stop();
}

void BoxHandshake::SetDsr(bool on) {
    if (on == dsr)
        return;
    dsr = on;
    if (report)
        report(on);
}
