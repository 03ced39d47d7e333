#include "capture/StopSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

int wakeUp[2] = {-1, -1};
volatile std::sig_atomic_t received = 0;

void Note(int signal) {
    received = signal;
    const int saved = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(wakeUp[1], &byte, 1);
    errno = saved;
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    received = 0;
    if (::pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier = new QSocketNotifier(wakeUp[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (::read(wakeUp[0], &byte, 1) == 1)
            emit stopAsked(int(byte));
    });
    struct sigaction action {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND; // a second Ctrl+C ends the process
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
}

StopSignals::~StopSignals() {
    if (!notifier)
        return;
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
    delete notifier;
    ::close(wakeUp[0]);
    ::close(wakeUp[1]);
    wakeUp[0] = wakeUp[1] = -1;
}

int StopSignals::Received() {
    return received;
}
