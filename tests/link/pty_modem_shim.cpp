// Preloaded into the serial-port test: gives pseudo-terminal slaves the modem lines
// RTS, DTR and DSR that a real serial port has (see PtyModem.h).

#include "PtyModem.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <linux/futex.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The record of this process, or the one shared through the file the variable names.
OscPtyModem& Record() {
    static OscPtyModem own;
    static OscPtyModem* const record = [] {
        const char* path = getenv(OscPtyModemFileVariable);
        OscPtyModem* shared = path && *path ? OscMapPtyModemFile(path) : nullptr;
        return shared ? shared : &own;
    }();
    return *record;
}

OscPtyModem& modem = Record();
std::atomic<int> modemFd{-1}; // the descriptor whose lines were last used: the port

void Log(int32_t kind, const void* bytes = nullptr, size_t length = 0) {
    OscPtyLog(modem, kind, bytes, length);
}

void Changed() {
    OscPtyNotify(modem);
}

bool IsPtySlave(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const unsigned m = major(st.st_rdev);
    return m >= 136 && m <= 143;
}

void SetLines(uint32_t lines) {
    const uint32_t before = modem.lines.exchange(lines);
    if ((before ^ lines) & TIOCM_RTS) {
        modem.rtsCount.fetch_add(1);
        Log((lines & TIOCM_RTS) ? OscPtyEvent::RtsOn : OscPtyEvent::RtsOff);
    }
    if (before != lines)
        Changed();
}

int WaitForChange(uint32_t seen, const timespec* timeout) {
    return OscPtyWait(modem, seen, timeout);
}

int ModemWait(unsigned long mask) {
    if (modem.noModemWait.load()) {
        errno = EINVAL;
        return -1;
    }
    const uint32_t lines = modem.lines.load() & mask;
    const uint32_t dsr = modem.dsrCount.load();
    // Like the driver's wait, changes count from here on.
    modem.modemWaits.fetch_add(1);
    for (;;) {
        const uint32_t seen = modem.changes.load();
        if ((modem.lines.load() & mask) != lines ||
            ((mask & TIOCM_DSR) && modem.dsrCount.load() != dsr))
            return 0;
        if (WaitForChange(seen, nullptr) != 0)
            return -1; // EINTR
    }
}

using IoctlFn = int (*)(int, unsigned long, ...);
using WriteFn = ssize_t (*)(int, const void*, size_t);
using DrainFn = int (*)(int);
using ReadFn = ssize_t (*)(int, void*, size_t);

IoctlFn NextIoctl() {
    static const IoctlFn next = reinterpret_cast<IoctlFn>(dlsym(RTLD_NEXT, "ioctl"));
    return next;
}

// Bytes written to the port that the box has not read from its master yet (counted, not
// asked of the kernel, which may still be moving them); -1 while no master plays the box.
int Untaken() {
    if (modem.transmitMaster.load() < 0)
        return -1;
    const int64_t untaken = modem.bytesWritten.load() - modem.bytesTaken.load();
    return untaken > 0 ? int(untaken) : 0;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) OscPtyModem* osc_pty_modem() {
    return &modem;
}

__attribute__((visibility("default"))) void osc_pty_set_dsr(int on) {
    if (!OscPtySetDsrLine(modem, on))
        return;
    Log(on ? OscPtyEvent::DsrOn : OscPtyEvent::DsrOff);
    Changed();
}

__attribute__((visibility("default"))) void osc_pty_set_transmitter(int masterFd) {
    OscPtyNameTransmitter(modem, masterFd);
}

__attribute__((visibility("default"))) void osc_pty_pulse_dsr() {
    if (modem.lines.load() & TIOCM_DSR)
        return;
    modem.lines.fetch_or(TIOCM_DSR);
    modem.dsrCount.fetch_add(1);
    Log(OscPtyEvent::DsrOn);
    modem.lines.fetch_and(~uint32_t(TIOCM_DSR));
    modem.dsrCount.fetch_add(1);
    Log(OscPtyEvent::DsrOff);
    Changed();
}

__attribute__((visibility("default"))) int osc_pty_wait_change(uint32_t seen, int timeoutMs) {
    const timespec timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1'000'000L};
    return WaitForChange(seen, &timeout);
}

__attribute__((visibility("default"))) int ioctl(int fd, unsigned long request, ...) noexcept {
    const IoctlFn next = NextIoctl();
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);

    switch (request) {
    case TIOCMGET:
    case TIOCMSET:
    case TIOCMBIS:
    case TIOCMBIC:
    case TIOCMIWAIT:
    case TIOCGICOUNT:
    case TIOCOUTQ:
        break;
    default:
        return next(fd, request, argument);
    }
    if (!IsPtySlave(fd))
        return next(fd, request, argument);
    if (request == TIOCOUTQ) {
        const int untaken = Untaken();
        if (untaken < 0)
            return next(fd, request, argument);
        *static_cast<int*>(argument) = untaken;
        return 0;
    }
    modemFd.store(fd);

    switch (request) {
    case TIOCMGET:
        modem.lineReads.fetch_add(1);
        *static_cast<int*>(argument) = int(modem.lines.load());
        return 0;
    case TIOCMSET: // the box drives DSR; the program sets its own lines
        SetLines((modem.lines.load() & TIOCM_DSR) |
                 (uint32_t(*static_cast<int*>(argument)) & ~uint32_t(TIOCM_DSR)));
        return 0;
    case TIOCMBIS:
        SetLines(modem.lines.load() |
                 (uint32_t(*static_cast<int*>(argument)) & ~uint32_t(TIOCM_DSR)));
        return 0;
    case TIOCMBIC:
        SetLines(modem.lines.load() &
                 ~(uint32_t(*static_cast<int*>(argument)) & ~uint32_t(TIOCM_DSR)));
        return 0;
    case TIOCMIWAIT:
        return ModemWait(reinterpret_cast<unsigned long>(argument));
    case TIOCGICOUNT: {
        auto* counters = static_cast<serial_icounter_struct*>(argument);
        std::memset(counters, 0, sizeof *counters);
        counters->dsr = int(modem.dsrCount.load());
        return 0;
    }
    }
    return next(fd, request, argument);
}

__attribute__((visibility("default"))) ssize_t write(int fd, const void* bytes, size_t length) {
    static const WriteFn next = reinterpret_cast<WriteFn>(dlsym(RTLD_NEXT, "write"));
    if (length > 0 && fd == modemFd.load() && IsPtySlave(fd)) {
        Log(OscPtyEvent::Write, bytes, length);
        const ssize_t written = next(fd, bytes, length);
        if (written > 0 && modem.transmitMaster.load() >= 0)
            modem.bytesWritten.fetch_add(written);
        return written;
    }
    return next(fd, bytes, length);
}

__attribute__((visibility("default"))) ssize_t read(int fd, void* bytes, size_t length) {
    static const ReadFn next = reinterpret_cast<ReadFn>(dlsym(RTLD_NEXT, "read"));
    const ssize_t taken = next(fd, bytes, length);
    // Only in the process that named the master: elsewhere the number means another file.
    static const int32_t self = int32_t(getpid());
    if (taken > 0 && fd == modem.transmitMaster.load() && modem.transmitProcess.load() == self)
        modem.bytesTaken.fetch_add(taken);
    return taken;
}

__attribute__((visibility("default"))) int tcdrain(int fd) {
    static const DrainFn next = reinterpret_cast<DrainFn>(dlsym(RTLD_NEXT, "tcdrain"));
    if (!IsPtySlave(fd))
        return next(fd);
    while (Untaken() > 0) {
        // A port whose other end closed never drains: the driver reports the hang-up.
        pollfd state{fd, 0, 0};
        if (::poll(&state, 1, 0) > 0 && (state.revents & POLLHUP)) {
            errno = EIO;
            return -1;
        }
        const timespec pause{0, 100'000};
        nanosleep(&pause, nullptr);
    }
    const int result = next(fd);
    if (result == 0 && fd == modemFd.load())
        Log(OscPtyEvent::Sent);
    return result;
}

} // extern "C"
