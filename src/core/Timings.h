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
    int supervisionMs = 1000;    // the link's supervision: a lost port tried again, a silent box
    int silenceMarginMs = 2000;  // added to three RAM sweeps before a silent box is reported
    int restoredNoticeMs = 5000; // how long "Liaison rétablie" stays in the status bar
};

// The program's one timing record.
Timings& ProgramTimings();
