// The session's sweeps kept and browsed: the history of this run, an acquisition file
// opened, and what the screen shows.
#include "instrument/Instrument.h"

#include "core/Sweep.h"

#include <QDateTime>
#include <algorithm>

void Instrument::SetHistoryLength(int length) {
    if (history.Capacity() == SweepHistory(length).Capacity())
        return;
    history.SetCapacity(length);
    // The sweeps kept are numbered anew.
    if (!acquisition)
        ShowLive();
}

void Instrument::KeepInHistory() {
    SweepRecord record = SweepRecord::At(QDateTime::currentDateTime());
    record.instrument = state;
    record.magnification = ramWindow.Magnification();
    record.ramWindowStart = ramWindow.Start();
    if (lastSweep)
        record.sweep = *lastSweep;
    history.Add(record);
}

QString Instrument::AcquisitionName() const {
    return acquisition ? acquisition->name : QString();
}

bool Instrument::BrowsingAvailable() const {
    return acquisition || !state.running;
}

int Instrument::BrowsableCount() const {
    if (acquisition)
        return int(acquisition->sweeps.size());
    return state.running ? 0 : history.Size();
}

std::optional<SweepRecord> Instrument::BrowsableAt(int index) const {
    if (index < 0 || index >= BrowsableCount())
        return std::nullopt;
    if (acquisition)
        return acquisition->sweeps[std::size_t(index)];
    return history.At(index);
}

void Instrument::BrowseTo(int index) {
    if (!BrowsingAvailable())
        return;
    std::optional<SweepRecord> record = BrowsableAt(index);
    if (!record)
        return;
    browsed = index;
    shownRecord = std::move(*record);
    MakeShownSamples();
    emit shownSweepChanged();
    emit redrawRequested();
}

void Instrument::StepBrowsing(int delta) {
    const int count = BrowsableCount();
    if (count == 0 || !BrowsingAvailable())
        return;
    const int from = browsed ? *browsed : count - 1;
    const int to = std::clamp(from + delta, 0, count - 1);
    if (browsed && to == *browsed)
        return;
    BrowseTo(to);
}

void Instrument::ShowLive() {
    if (!browsed)
        return;
    browsed.reset();
    emit shownSweepChanged();
    emit redrawRequested();
}

void Instrument::OpenAcquisition(std::vector<SweepRecord> sweeps, const QString& name) {
    if (sweeps.empty())
        return;
    if (state.running && linkActive)
        Pause();
    const bool wasOpen = acquisition.has_value();
    OpenAcquisitionFile file{std::move(sweeps), name, locks.outputCommandsEnabled,
                             locks.outputHintsShown};
    if (wasOpen) {
        // The locks before the first file stay those to give back.
        file.outputCommandsEnabled = acquisition->outputCommandsEnabled;
        file.outputHintsShown = acquisition->outputHintsShown;
    }
    acquisition = std::move(file);
    browsed.reset();
    SetLock(&PanelLocks::outputCommandsEnabled, true);
    SetLock(&PanelLocks::outputHintsShown, true);
    emit acquisitionChanged();
    BrowseTo(0);
}

void Instrument::CloseAcquisition() {
    if (!acquisition)
        return;
    const OpenAcquisitionFile closed = std::move(*acquisition);
    acquisition.reset();
    // Acquiring again (the link came back, "Lecture") closes the file itself first; the
    // locks are those of the state the file was opened in.
    SetLock(&PanelLocks::outputCommandsEnabled, closed.outputCommandsEnabled);
    SetLock(&PanelLocks::outputHintsShown, closed.outputHintsShown);
    emit acquisitionChanged();
    browsed.reset();
    emit shownSweepChanged();
    emit redrawRequested();
}

void Instrument::MakeShownSamples() {
    const SweepRecord& r = shownRecord;
    shownSamples.Reset();
    for (int n = 1; n <= Sweep::Points; ++n) {
        SampleTable::Point& point = shownSamples.At(n);
        point.codeA = r.sweep.codeA[std::size_t(n - 1)];
        point.codeB = r.sweep.codeB[std::size_t(n - 1)];
        point.sum = point.codeA + point.codeB;
        point.difference = point.codeA - point.codeB;
        point.mathWritten = true;
    }
    // The end of its sweep: each channel weighted about its own mid-level, the display
    // codes those of the channels whose trace was on.
    ApplyWeightingWindow(shownSamples, r.instrument, r.sweep, weighting);
    // The math values kept on the screen, as the redraw of that sweep kept them.
    const int lastPoint = LastShownPoint(r.magnification);
    if (lastPoint > 0) {
        if (r.instrument.mathMode == MathMode::Sum)
            shownSamples.ClampSums(lastPoint, r.sweep.extremes.SumOffset());
        else if (r.instrument.mathMode == MathMode::Difference)
            shownSamples.ClampDifferences(lastPoint, r.sweep.extremes.DifferenceOffset());
    }
}

const InstrumentSettings& Instrument::ShownState() const {
    return browsed ? shownRecord.instrument : state;
}

const SampleTable& Instrument::ShownSamples() const {
    return browsed ? shownSamples : samples;
}

int Instrument::ShownMagnification() const {
    return browsed ? shownRecord.magnification : ramWindow.Magnification();
}

int Instrument::ShownWindowStart() const {
    return browsed ? shownRecord.ramWindowStart : ramWindow.Start();
}

int Instrument::ShownSumOffset() const {
    return browsed ? shownRecord.sweep.extremes.SumOffset() : decoder.SumOffset();
}

int Instrument::ShownDifferenceOffset() const {
    return browsed ? shownRecord.sweep.extremes.DifferenceOffset() : decoder.DifferenceOffset();
}
