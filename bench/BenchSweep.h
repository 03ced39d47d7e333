#pragma once

#include "core/InstrumentSettings.h"
#include "link/SimulatedBox.h"

#include <QByteArray>
#include <QByteArrayView>
#include <algorithm>

// The bytes of one sweep as the simulated box sends it: 300 packets, 2700 bytes, at
// 1 ms/div with both channels in DC at 0.5 V/div, so wide that A + B spans more than the
// screen and the sum trace has to be cut.
inline QByteArray BenchSweep() {
    SimulatedBox::State state;
    state.timeBaseIndex = 9;
    state.coupling = {Coupling::DC, Coupling::DC};
    state.voltsPerDivIndex = {4, 4};
    return SimulatedBox::SweepBytes(SimulatedBox::Acquire(state, 0.0), 0);
}

// Feeds a sweep to a receiver in chunks of `chunk` bytes, as the serial layer hands them
// over.
template <typename Receive>
void FeedSweep(const QByteArray& sweep, qsizetype chunk, Receive receive) {
    const QByteArrayView bytes(sweep);
    for (qsizetype at = 0; at < bytes.size(); at += chunk)
        receive(bytes.sliced(at, std::min(chunk, bytes.size() - at)));
}
