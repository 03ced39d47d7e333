#pragma once

#include "core/Timings.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// Shortens the program's waits for one test and puts the record back afterwards, also
// when the test fails half-way.
class TimingsGuard {
public:
    explicit TimingsGuard(const Timings& shortened) : saved(ProgramTimings()) {
        ProgramTimings() = shortened;
    }
    ~TimingsGuard() { ProgramTimings() = saved; }
    TimingsGuard(const TimingsGuard&) = delete;
    TimingsGuard& operator=(const TimingsGuard&) = delete;

    // Waits of a few milliseconds around each command, the watchdog as in the program.
    static Timings Quick() {
        Timings t;
        t.beforeWriteMs = 1;
        t.afterWriteMs = 1;
        t.commWindowMs = 5;
        return t;
    }

private:
    Timings saved;
};

// Lets `ticks` ticks of a timer of the interval pass (at least ticks x interval ms): the
// time within which something driven by a timer of that interval would have happened.
inline void LetTicksPass(int intervalMs, int ticks) {
    QTimer reference;
    reference.setInterval(intervalMs);
    QSignalSpy ticked(&reference, &QTimer::timeout);
    reference.start();
    while (ticked.count() < ticks)
        QVERIFY(ticked.wait(10000));
}
