#pragma once

#include <QString>
#include <optional>

// The progress line of a capture, in French: the sweep, of how many or over how long,
// the sweeps per second (decimal comma) and the packets rejected (those that were not a
// whole sample packet): "balayage 12/100 — 4,3 balayages/s — 0 paquet rejeté".
struct CaptureProgress {
    int sweeps = 0;
    std::optional<int> ofSweeps;     // with --sweeps
    std::optional<double> ofSeconds; // with --seconds
    double elapsedSeconds = 0;       // since the recording began
    qint64 rejectedPackets = 0;

    QString Text() const;
};
