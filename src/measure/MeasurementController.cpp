#include "measure/MeasurementController.h"

#include "core/ErrorGuard.h"
#include "instrument/Instrument.h"

MeasurementController::MeasurementController(Instrument& session, QObject* parent)
    : QObject(parent), session(session), clock([] { return QDateTime::currentDateTime(); }) {
    connect(&session, &Instrument::sweepCompleted, this, GuardedSlot([this] { SweepCompleted(); }));

    // Settings that change what the box acquires or how its codes read.
    connect(&session, &Instrument::timeBaseChanged, this, [this] { Restart(); });
    connect(&session, &Instrument::windowRangeChanged, this, [this] { Restart(); });
    for (auto signal : {&Instrument::voltsPerDivChanged, &Instrument::couplingChanged,
                        &Instrument::positionChanged})
        connect(&session, signal, this, [this](Channel c) { Restart(c); });
    // Display settings: the same sweep gives other readings at once.
    connect(&session, &Instrument::magnificationChanged, this, [this] {
        Restart();
        Remeasure();
    });
    for (auto signal : {&Instrument::probeChanged, &Instrument::traceChanged})
        connect(&session, signal, this, [this](Channel c) {
            Restart(c);
            Remeasure();
        });
}

MeasurementController::~MeasurementController() = default;

const std::optional<ChannelMeasurements>& MeasurementController::Latest(Channel channel) const {
    return latest[Index(channel)];
}

const ReadingStatistics& MeasurementController::Statistics(Channel channel,
                                                           ReadingKind kind) const {
    return statistics[Index(channel)][static_cast<std::size_t>(kind)];
}

void MeasurementController::SetClock(std::function<QDateTime()> next) {
    clock = std::move(next);
}

void MeasurementController::Measure() {
    const SweepMeasurements m =
        MeasureShownSweep(session.Samples(), session.State(), session.Ram().Magnification());
    const InstrumentSettings& state = session.State();
    latest[0] = state.channelA.traceOn ? std::optional(m.channelA) : std::nullopt;
    latest[1] = state.channelB.traceOn ? std::optional(m.channelB) : std::nullopt;
}

void MeasurementController::SweepCompleted() {
    Measure();
    latestSweep = session.SweepCount();
    latestCounted = session.LastSweepCounts();
    if (latestCounted) {
        for (Channel c : {Channel::A, Channel::B}) {
            const std::optional<ChannelMeasurements>& readings = latest[Index(c)];
            if (!readings)
                continue;
            if (statisticsReference[Index(c)] != readings->reference)
                Restart(c);
            statisticsReference[Index(c)] = readings->reference;
            for (int k = 0; k < ReadingKindCount; ++k) {
                const Reading& reading = readings->Of(ReadingKind(k));
                if (reading.available)
                    statistics[Index(c)][std::size_t(k)].Add(reading.value);
            }
        }
        if (log) {
            try {
                log->Append({latestSweep, clock(), latest[0], latest[1]});
            } catch (const MeasurementLogError& e) {
                log.reset();
                emit logChanged();
                emit logStopped(QString::fromUtf8(e.what()));
            }
        }
    }
    emit updated();
}

void MeasurementController::Remeasure() {
    if (latestSweep == 0)
        return;
    Measure();
    emit updated();
}

void MeasurementController::Restart() {
    Restart(Channel::A);
    Restart(Channel::B);
}

void MeasurementController::Restart(Channel channel) {
    for (ReadingStatistics& s : statistics[Index(channel)])
        s.Reset();
    statisticsReference[Index(channel)].reset();
    emit updated();
}

void MeasurementController::ResetStatistics() {
    Restart();
}

void MeasurementController::StartLog(const QString& path) {
    if (log) {
        log.reset();
        emit logChanged();
    }
    log = MeasurementLog::ToFile(path);
    emit logChanged();
}

void MeasurementController::StopLog() {
    if (!log)
        return;
    log.reset();
    emit logChanged();
}

QString MeasurementController::LogPath() const {
    return log ? log->Path() : QString();
}

int MeasurementController::LoggedLines() const {
    return log ? log->Lines() : 0;
}
