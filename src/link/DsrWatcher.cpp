#include "link/DsrWatcher.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <linux/serial.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <termios.h>

namespace {

// The signal that interrupts the watcher's blocking wait when the port closes. Its
// handler does nothing: the point is the interrupted system call.
int WakeSignal() {
    static const int sig = [] {
        const int s = SIGRTMIN + 4;
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the wait returns EINTR
        sigaction(s, &action, nullptr);
        return s;
    }();
    return sig;
}

bool ReadDsrCount(int fd, int& count) {
    serial_icounter_struct counters{};
    if (::ioctl(fd, TIOCGICOUNT, &counters) != 0)
        return false;
    count = counters.dsr;
    return true;
}

} // namespace

DsrWatcher::~DsrWatcher() {
    Stop();
}

void DsrWatcher::Start(int descriptor, Report onChange) {
    Stop();
    WakeSignal();
    fd = descriptor;
    report = std::move(onChange);
    stopping = false;
    {
        const std::lock_guard lock(turnMutex);
        awaited = false; // RTS is off when a port opens
    }
    finished = false;
    polling = false;
    thread = std::thread([this] {
        // The wake signal is for this thread only.
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, WakeSignal());
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        Run();
        finished = true;
    });
}

void DsrWatcher::SetAwaited(bool value) {
    {
        const std::lock_guard lock(turnMutex);
        awaited = value;
    }
    turn.notify_all();
}

void DsrWatcher::Stop() {
    if (!thread.joinable())
        return;
    {
        const std::lock_guard lock(turnMutex);
        stopping = true;
    }
    turn.notify_all();
    const pthread_t handle = thread.native_handle();
    // The signal may come just before the thread enters its wait: repeat until it ends.
    while (!finished.load()) {
        pthread_kill(handle, WakeSignal());
        const timespec pause{0, 200'000};
        nanosleep(&pause, nullptr);
    }
    thread.join();
}

bool DsrWatcher::ReadDsr(bool& on) const {
    int lines = 0;
    if (::ioctl(fd, TIOCMGET, &lines) != 0)
        return false;
    on = (lines & TIOCM_DSR) != 0;
    return true;
}

void DsrWatcher::Emit(bool from, bool to, int transitions) {
    // Every transition is reported, ending on the level read now. The driver's counter
    // tells how many happened since the last report; without it, a change of level counts
    // as one.
    const int needed = from != to ? 1 : 0;
    if (transitions < needed)
        transitions = needed;
    if ((transitions % 2) != needed)
        ++transitions;
    if (transitions > 3)
        transitions = needed ? 3 : 2; // keep the parity, report at most a few
    bool level = from;
    for (int i = 0; i < transitions && !stopping.load(); ++i) {
        level = !level;
        report(level);
    }
}

void DsrWatcher::Run() {
    bool level = false;
    if (!ReadDsr(level))
        level = false;
    int count = 0;
    bool counted = ReadDsrCount(fd, count);

    while (!stopping.load()) {
        if (::ioctl(fd, TIOCMIWAIT, TIOCM_DSR) != 0) {
            if (errno == EINTR)
                continue;
            break; // the driver does not wait on modem lines: read them instead
        }
        bool now = level;
        if (!ReadDsr(now))
            continue;
        int transitions = now != level ? 1 : 0;
        int newCount = 0;
        if (counted && ReadDsrCount(fd, newCount)) {
            transitions = newCount - count;
            count = newCount;
        }
        Emit(level, now, transitions);
        level = now;
    }

    if (stopping.load())
        return;
    polling = true;
    using namespace std::chrono_literals;
    while (!stopping.load()) {
        bool now = level;
        if (ReadDsr(now) && now != level) {
            Emit(level, now, 1);
            level = now;
        }
        std::unique_lock lock(turnMutex);
        if (awaited)
            turn.wait_for(lock, 1ms, [this] { return stopping.load(); });
        else
            turn.wait_for(lock, 50ms, [this] { return stopping.load() || awaited; });
    }
}
