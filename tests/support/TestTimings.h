#pragma once

#include "core/Timings.h"

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
