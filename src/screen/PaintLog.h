#pragma once

#include <QtGlobal>

// When the pictures of the session's redraws reach the window, for measuring the time
// from the box's last byte of a sweep to its picture (scripts/measure-cpu). With the
// environment variable OSC_PAINT_LOG naming a file, each paint that shows a redraw the
// session asked for appends one line to it: the time the redraw was asked for and the
// time the paint ended, in nanoseconds of CLOCK_MONOTONIC, the clock other processes of
// the machine (the stand-in box) log with. Without the variable nothing is recorded and
// Enabled() is false.
namespace PaintLog {

bool Enabled();
qint64 Now();
void Write(qint64 askedNs, qint64 paintedNs);

} // namespace PaintLog
