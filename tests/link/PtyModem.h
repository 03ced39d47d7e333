#pragma once

// The modem lines of pseudo-terminals, kept by the preloaded test shim (pty_modem_shim).
// A pty carries bytes but has no RTS, DTR or DSR; the shim answers the modem ioctls of
// every pty slave descriptor from this record, and logs line changes and writes with
// their times so that a test can check the handshake on the wire.
//
// Nor has a pty a transmitter: its slave reports an empty output queue and returns from
// tcdrain as soon as the bytes are written. While a test names the master that plays
// the box (osc_pty_set_transmitter), the shim gives the port one: the bytes written to
// the port that the box has not read from the master yet are the output queue
// (TIOCOUTQ), and tcdrain returns once the box has read them all.

#include <atomic>
#include <cstdint>

struct OscPtyEvent {
    // Sent: tcdrain returned on the port, every byte written has left it.
    enum Kind : int32_t { RtsOn = 1, RtsOff, DsrOn, DsrOff, Write, Sent };
    int32_t kind;
    int32_t rts;    // RTS when the event happened
    int64_t ns;     // CLOCK_MONOTONIC
    int32_t length; // bytes written
    char bytes[20]; // the first bytes written
};

struct OscPtyModem {
    std::atomic<uint32_t> lines{0};          // TIOCM_* bits
    std::atomic<uint32_t> dsrCount{0};       // DSR transitions, for TIOCGICOUNT
    std::atomic<uint32_t> changes{0};        // bumped on every change; futex word
    std::atomic<int32_t> noModemWait{0};     // TIOCMIWAIT fails with EINVAL when set
    std::atomic<int32_t> transmitMaster{-1}; // the box's master descriptor, or -1
    std::atomic<int64_t> bytesWritten{0};    // to the port since the master was named
    std::atomic<int64_t> bytesTaken{0};      // read from the master since then
    std::atomic<uint32_t> lineReads{0};      // TIOCMGET calls on pty slaves
    std::atomic<uint32_t> modemWaits{0};     // TIOCMIWAIT calls that have begun to wait
    std::atomic<uint32_t> eventCount{0};
    OscPtyEvent events[512];
};

extern "C" {
using OscPtyModemFn = OscPtyModem* (*)();
using OscPtySetDsrFn = void (*)(int on);
using OscPtyPulseDsrFn = void (*)(); // DSR up and down again before anyone is woken
using OscPtySetTransmitterFn = void (*)(int masterFd); // -1: no transmitter
using OscPtyWaitFn = int (*)(uint32_t seen, int timeoutMs);
}
