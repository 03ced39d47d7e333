// oscilloscope-capture: the acquisition box driven from the command line, without any
// window (see CaptureCommand and Capture).

#include "capture/CaptureCommand.h"

#include <QCoreApplication>
#include <QFile>
#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // A reader that goes away (| head) makes a write fail, which ends the capture cleanly,
    // instead of killing the process before "F&".
    std::signal(SIGPIPE, SIG_IGN);
    QFile out;
    QFile err;
    if (!out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        std::fputs("oscilloscope-capture: no standard output\n", stderr);
        return 4;
    }
    CaptureStreams streams;
    streams.out = &out;
    streams.err = &err;
    streams.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    return RunCaptureCommand(QCoreApplication::arguments().mid(1), streams);
}
