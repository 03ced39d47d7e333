#pragma once

// The modem lines of pseudo-terminals, kept by the preloaded test shim (pty_modem_shim).
// A pty carries bytes but has no RTS, DTR or DSR; the shim answers the modem ioctls of
// every pty slave descriptor from this record, and logs line changes and writes with
// their times so that a test can check the handshake on the wire.
//
// Nor has a pty a transmitter: its slave reports an empty output queue and returns from
// tcdrain as soon as the bytes are written. While the process that plays the box names
// its master (osc_pty_set_transmitter in a test, OscPtyNameTransmitter in a box of its
// own that counts what it reads), the shim gives the port one: the bytes written to the
// port that the box has not read from the master yet are the output queue (TIOCOUTQ),
// and tcdrain returns once the box has read them all.
//
// By default each process that preloads the shim keeps its own record. When the variable
// OSC_PTY_MODEM_FILE names a file, the shim keeps the record in that file, mapped shared,
// so that another process (a stand-in box on the master side, tools/ptybox) can drive DSR
// and see RTS.

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <linux/futex.h>
#include <new>
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
    std::atomic<int32_t> transmitProcess{0}; // the process that holds that descriptor
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
// needed; a new file is a record with every line off and no transmitter. Null when the
// file cannot be used.
inline OscPtyModem* OscMapPtyModemFile(const char* path) {
    int fd = ::open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool made = fd >= 0;
    if (!made)
        fd = ::open(path, O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    void* record = MAP_FAILED;
    if (fstat(fd, &st) == 0 &&
        (st.st_size >= off_t(sizeof(OscPtyModem)) || ftruncate(fd, sizeof(OscPtyModem)) == 0))
        record = mmap(nullptr, sizeof(OscPtyModem), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (record == MAP_FAILED)
        return nullptr;
    if (made || st.st_size < off_t(sizeof(OscPtyModem)))
        return new (record) OscPtyModem; // the record's own starting values
    return static_cast<OscPtyModem*>(record);
}

// Names the master descriptor of the process that plays the box, from which it reads
// what the program writes (-1: none); the counts of the output queue start again.
inline void OscPtyNameTransmitter(OscPtyModem& modem, int masterFd) {
    modem.transmitMaster.store(-1);
    modem.bytesWritten.store(0);
    modem.bytesTaken.store(0);
    modem.transmitProcess.store(int32_t(getpid()));
    modem.transmitMaster.store(masterFd);
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

// CLOCK_MONOTONIC in nanoseconds, the clock of the log.
inline int64_t OscPtyNow() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// Adds an event to the log, with the time and the level of RTS; the log keeps the first
// 512 events.
inline void OscPtyLog(OscPtyModem& modem, int32_t kind, const void* bytes = nullptr,
                      size_t length = 0) {
    const uint32_t i = modem.eventCount.fetch_add(1);
    if (i >= sizeof modem.events / sizeof modem.events[0])
        return;
    OscPtyEvent& e = modem.events[i];
    e.kind = kind;
    e.rts = (modem.lines.load() & TIOCM_RTS) ? 1 : 0;
    e.ns = OscPtyNow();
    e.length = int32_t(length);
    std::memset(e.bytes, 0, sizeof e.bytes);
    if (bytes)
        std::memcpy(e.bytes, bytes, length < sizeof e.bytes ? length : sizeof e.bytes);
}

// Reads RTS as the box's microcontroller reads its input: not at each change of the line,
// but one period (1 ms) after the line moved, and again a period later while it keeps
// moving. A pulse shorter than the period is never seen. While the lines keep still the
// reader sleeps on the record rather than reading.
class OscPtyRtsReader {
public:
    explicit OscPtyRtsReader(OscPtyModem& record, int64_t periodNs = 1'000'000)
        : modem(record), period(periodNs), seen(record.changes.load()),
          level((record.lines.load() & TIOCM_RTS) != 0) {}

    // The level last read.
    bool Level() const { return level; }

    // Waits until the level read differs from the last one (true) or `timeoutNs` has
    // passed (false).
    bool Next(int64_t timeoutNs) {
        const int64_t deadline = OscPtyNow() + timeoutNs;
        for (;;) {
            const uint32_t now = modem.changes.load();
            if (now == seen) {
                const int64_t left = deadline - OscPtyNow();
                if (left <= 0)
                    return false;
                const timespec wait{time_t(left / 1'000'000'000), long(left % 1'000'000'000)};
                OscPtyWait(modem, seen, &wait);
                continue;
            }
            seen = now;
            const timespec pause{time_t(period / 1'000'000'000), long(period % 1'000'000'000)};
            nanosleep(&pause, nullptr);
            const bool read = (modem.lines.load() & TIOCM_RTS) != 0;
            if (read != level) {
                level = read;
                return true;
            }
        }
    }

private:
    OscPtyModem& modem;
    int64_t period;
    uint32_t seen;
    bool level;
};

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
