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
//
// By default each process that preloads the shim keeps its own record. When the variable
// OSC_PTY_MODEM_FILE names a file, the shim keeps the record in that file, mapped shared,
// so that another process (a stand-in box on the master side, tools/ptybox) can drive DSR
// and see RTS.

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <linux/futex.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

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
    std::atomic<uint32_t> rtsCount{0};       // RTS transitions; RTS starts off, so odd is on
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

// The variable naming the file of a record shared between processes.
inline constexpr const char* OscPtyModemFileVariable = "OSC_PTY_MODEM_FILE";

// Maps the record kept in the file at `path`, shared, creating and sizing the file as
// needed; a new file is a record with every line off. Null when the file cannot be used.
inline OscPtyModem* OscMapPtyModemFile(const char* path) {
    const int fd = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    void* record = MAP_FAILED;
    if (fstat(fd, &st) == 0 &&
        (st.st_size >= off_t(sizeof(OscPtyModem)) || ftruncate(fd, sizeof(OscPtyModem)) == 0))
        record = mmap(nullptr, sizeof(OscPtyModem), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    return record == MAP_FAILED ? nullptr : static_cast<OscPtyModem*>(record);
}

// Counts a change of the lines and wakes every waiter. The futex is of the shared kind
// (no FUTEX_PRIVATE_FLAG), so waiters in another process that maps the record wake too.
inline void OscPtyNotify(OscPtyModem& modem) {
    modem.changes.fetch_add(1);
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&modem.changes), FUTEX_WAKE, 1 << 30, nullptr,
            nullptr, 0);
}

// Waits until the change count differs from `seen`, a wake-up comes or the time-out (null:
// none) runs out. Returns -1 only when interrupted by a signal.
inline int OscPtyWait(OscPtyModem& modem, uint32_t seen, const timespec* timeout) {
    const long r = syscall(SYS_futex, reinterpret_cast<uint32_t*>(&modem.changes), FUTEX_WAIT, seen,
                           timeout, nullptr, 0);
    return r == 0 || errno == EAGAIN || errno == ETIMEDOUT ? 0 : -1;
}

// Sets DSR as the box does and counts the transition for TIOCGICOUNT; the caller then
// notifies the waiters. Returns false when DSR already had that level.
inline bool OscPtySetDsrLine(OscPtyModem& modem, bool on) {
    const uint32_t before =
        on ? modem.lines.fetch_or(TIOCM_DSR) : modem.lines.fetch_and(~uint32_t(TIOCM_DSR));
    if (bool(before & TIOCM_DSR) == on)
        return false;
    modem.dsrCount.fetch_add(1);
    return true;
}

extern "C" {
using OscPtyModemFn = OscPtyModem* (*)();
using OscPtySetDsrFn = void (*)(int on);
using OscPtyPulseDsrFn = void (*)(); // DSR up and down again before anyone is woken
using OscPtySetTransmitterFn = void (*)(int masterFd); // -1: no transmitter
using OscPtyWaitFn = int (*)(uint32_t seen, int timeoutMs);
}
