#pragma once

// The modem lines of pseudo-terminals, kept by the preloaded test shim (pty_modem_shim).
// A pty carries bytes but has no RTS, DTR or DSR; the shim answers the modem ioctls of
// every pty slave descriptor from this record, and logs line changes and writes with
// their times so that a test can check the handshake on the wire.

#include <atomic>
#include <cstdint>

struct OscPtyEvent {
    enum Kind : int32_t { RtsOn = 1, RtsOff, DsrOn, DsrOff, Write };
    int32_t kind;
    int32_t rts;    // RTS when the event happened
    int64_t ns;     // CLOCK_MONOTONIC
    int32_t length; // bytes written
    char bytes[20]; // the first bytes written
};

struct OscPtyModem {
    std::atomic<uint32_t> lines{0};      // TIOCM_* bits
    std::atomic<uint32_t> dsrCount{0};   // DSR transitions, for TIOCGICOUNT
    std::atomic<uint32_t> changes{0};    // bumped on every change; futex word
    std::atomic<int32_t> noModemWait{0}; // TIOCMIWAIT fails with EINVAL when set
    std::atomic<uint32_t> eventCount{0};
    OscPtyEvent events[512];
};

extern "C" {
using OscPtyModemFn = OscPtyModem* (*)();
using OscPtySetDsrFn = void (*)(int on);
using OscPtyWaitFn = int (*)(uint32_t seen, int timeoutMs);
}
