#pragma once

#include "capture/Capture.h"

#include <QStringList>

// The whole command: reads the arguments (the program's name left out), answers --help
// and --version on the standard output, refuses a bad command line with its reason on the
// standard error (status 1), or runs the capture. The exit status.
int RunCaptureCommand(const QStringList& arguments, CaptureStreams streams);
