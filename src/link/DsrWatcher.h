#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Watches the DSR line of an open serial port descriptor from a background thread and
// reports every transition with the new level. The thread blocks in the driver's
// modem-status wait (TIOCMIWAIT) and so costs nothing while the line keeps its level.
// Where the driver does not offer that wait it reads the line (TIOCMGET) in turns:
// every millisecond while an answer is awaited (RTS is up), otherwise every 50 ms, which
// is enough to follow the box's fall of DSR after RTS. The report runs on the watcher
// thread: it must only hand the change over to the thread that acts on it.
class DsrWatcher {
public:
    using Report = std::function<void(bool on)>;

    DsrWatcher() = default;
    DsrWatcher(const DsrWatcher&) = delete;
    DsrWatcher& operator=(const DsrWatcher&) = delete;
    ~DsrWatcher();

    void Start(int descriptor, Report report);
    // Returns once the thread has ended; no report runs after it.
    void Stop();
    bool Running() const { return thread.joinable(); }
    // Whether the thread fell back to reading the line in turns.
    bool Polling() const { return polling.load(); }
    // Whether the box's answer is awaited (RTS is up): the line is then read every
    // millisecond when it is read in turns.
    void SetAwaited(bool awaited);

private:
    void Run();
    bool ReadDsr(bool& on) const;
    void Emit(bool from, bool to, int transitions);

    int fd = -1;
    Report report;
    std::thread thread;
    std::atomic<bool> stopping{false};
    std::atomic<bool> finished{false};
    std::atomic<bool> polling{false};
    std::mutex turnMutex;
    std::condition_variable turn;
    bool awaited = false; // guarded by turnMutex
};
