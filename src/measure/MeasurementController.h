#pragma once

#include "analysis/MeasurementLog.h"
#include "analysis/ReadingStatistics.h"
#include "analysis/ShownSweep.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class Instrument;

// The automatic measurements for the whole run, widget-free: the readings of the sweep
// shown, their statistics and the measurement log. The window shows them; the session
// supplies the sweeps.
//
// - The readings follow the sweep the screen shows (its points under the magnifier, its
//   displayed codes), in the oscilloscope and in the spectrum view alike. They are taken
//   at every completed sweep, once it is redrawn (its ground level measured), and again
//   when a display setting changes what the same sweep gives: the magnifier, a probe, a
//   trace switched on or off. A channel whose trace is off has no readings.
// - The statistics take only the sweeps that count (Instrument::LastSweepCounts: taken
//   with the settings in force while running), each available reading on its own (its
//   count is the number of sweeps that had it). They restart by themselves: both channels
//   when the time base, the magnifier or the RAM window changes; one channel when its
//   range, probe, coupling, position or trace switch changes, or when the reference of its
//   volts changes; both on "Remise à zéro".
// - The log writes one line per sweep that counts, until it is stopped, the program ends
//   or a write fails (the log then stops and logStopped says why).
class MeasurementController : public QObject {
    Q_OBJECT
public:
    explicit MeasurementController(Instrument& session, QObject* parent = nullptr);
    ~MeasurementController() override;

    // The readings of the sweep shown; nothing before the first sweep or while the channel
    // is off.
    const std::optional<ChannelMeasurements>& Latest(Channel channel) const;
    // The number of the sweep the readings come from (0 before the first) and whether it
    // counted.
    int LatestSweep() const { return latestSweep; }
    bool LatestCounted() const { return latestCounted; }

    const ReadingStatistics& Statistics(Channel channel, ReadingKind kind) const;
    // "Remise à zéro": the statistics of both channels start again.
    void ResetStatistics();

    // Starts a log in the file (created, or emptied), replacing one under way. Throws
    // MeasurementLogError, and then no log runs.
    void StartLog(const QString& path);
    void StopLog();
    bool Logging() const { return log != nullptr; }
    QString LogPath() const;
    int LoggedLines() const;

    // The clock of the log's times; the system's local time unless set (tests).
    void SetClock(std::function<QDateTime()> clock);

signals:
    // The readings or the statistics changed.
    void updated();
    // The log started or stopped.
    void logChanged();
    // The log stopped because a line could not be written; the text says why, in French.
    void logStopped(const QString& message);

private:
    using ChannelStatistics = std::array<ReadingStatistics, ReadingKindCount>;
    static std::size_t Index(Channel channel) { return channel == Channel::A ? 0 : 1; }

    void Measure();
    void SweepCompleted();
    // Both channels, or one, start their statistics again.
    void Restart();
    void Restart(Channel channel);
    // Readings again from the sweep shown, after a display setting changed.
    void Remeasure();

    Instrument& session;
    std::array<std::optional<ChannelMeasurements>, 2> latest;
    int latestSweep = 0;
    bool latestCounted = false;
    std::array<ChannelStatistics, 2> statistics{};
    // The reference the statistics of each channel were taken against.
    std::array<std::optional<VoltageReference>, 2> statisticsReference;
    std::unique_ptr<MeasurementLog> log;
    std::function<QDateTime()> clock;
};
