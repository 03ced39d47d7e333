#pragma once

// Durations of the waits that keep the event loop running. The defaults are the
// instrument's own; tests shorten them.
struct Timings {
    int beforeWriteMs = 400;     // after DSR is acknowledged and RTS dropped, before the write
    int afterWriteMs = 200;      // after the write, before the panel is unlocked
    int watchdogIntervalMs = 20; // command watchdog tick
    int watchdogTicks = 100;     // ticks without DSR before the link is declared lost
    int splashTickMs = 1000;     // splash timer
    int clockMs = 1000;          // clock redraw
    int animationMs = 35;        // idle animation tick
    int commWindowMs = 1000;     // communication-established window timer
};

// The program's one timing record.
Timings& ProgramTimings();
