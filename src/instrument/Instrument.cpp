#include "instrument/Instrument.h"

#include "core/ErrorGuard.h"
#include "core/Messages.h"
#include "core/SettingsFile.h"
#include "core/Sweep.h"
#include "core/Timings.h"
#include "core/WeightingWindow.h"
#include "link/BoxCommands.h"
#include "link/CommandProtocol.h"
#include "link/SerialLink.h"

#include <QDir>
#include <algorithm>
#include <limits>

namespace {

constexpr int GroundCodesPerUnit = 2; // one position unit moves the trace by two codes

const QString UpperLimitMessage =
    QStringLiteral("               Dernière  translation...\r\nVous avez atteint la limite "
                   "supérieure de la RAM !");

std::size_t Index(Channel channel) {
    return channel == Channel::A ? 0 : 1;
}

} // namespace

Instrument::Instrument(const QString& folder, LinkFactory factory, QObject* parent)
    : QObject(parent), programFolder(folder), linkFactory(std::move(factory)), decoder(samples) {
    if (!programFolder.endsWith(u'/'))
        programFolder += u'/';
    settingsFolder = programFolder;
    connect(&decoder, &SampleDecoder::sweepCompleted, this,
            [this](const SweepExtremes& completed) { SweepCompleted(completed); });
    connect(&communicationTimer, &QTimer::timeout, this,
            GuardedSlot([this] { CommunicationTick(); }));

    protocol = new CommandProtocol(this);
    connect(protocol, &CommandProtocol::settingGroupsEnabled, this,
            [this](bool enabled) { SetLock(&PanelLocks::settingGroupsEnabled, enabled); });
    connect(protocol, &CommandProtocol::transferGroupsEnabled, this, [this](bool enabled) {
        SetLock(&PanelLocks::transferGroupsEnabled, enabled);
        NoteExchange(!enabled);
    });
    connect(protocol, &CommandProtocol::acknowledgementLost, this,
            GuardedSlot([this] { AcknowledgementLost(); }));
    connect(&supervision, &QTimer::timeout, this, GuardedSlot([this] { Supervise(); }));
}

Instrument::~Instrument() {
    delete protocol;
    protocol = nullptr;
}

void Instrument::SetLock(bool PanelLocks::*lock, bool value) {
    if (locks.*lock == value)
        return;
    locks.*lock = value;
    emit locksChanged();
}

bool Instrument::ChannelControlsEnabled(Channel channel) const {
    return controlsEnabled[Index(channel)];
}

QString Instrument::SettingsPath() const {
    // SettingsLine::ProgramFolder ends with a separator; the joined name is cleaned of the doubled
    // one.
    return QDir::cleanPath(settings.Line(SettingsLine::ProgramFolder) + QStringLiteral("/") +
                           QString::fromLatin1(SettingsFile::FileName));
}

// --- The settings file.

void Instrument::SetSettingsFolder(const QString& folder) {
    settingsFolder = folder.endsWith(u'/') ? folder : folder + u'/';
}

void Instrument::LoadSettings() {
    if (settingsInMemory)
        return;
    settings = SettingsFile::Load(settingsFolder + QString::fromLatin1(SettingsFile::FileName));
}

void Instrument::SaveSettings() {
    if (settingsInMemory)
        return;
    SettingsFile::Save(SettingsPath(), settings);
    emit settingsSaved();
}

void Instrument::KeepSettingsInMemory(const PersistedSettings& start) {
    settingsInMemory = true;
    settings = start;
}

void Instrument::NoteSoundDevice(bool present) {
    if (!present)
        settings.SetOn(SettingsLine::Sound, false);
    settings.SetOn(SettingsLine::SoundDevice, present);
}

void Instrument::NoteProgramFolder() {
    settings.SetLine(SettingsLine::ProgramFolder, settingsFolder);
}

void Instrument::ResetInstrumentLines() {
    ::ResetInstrumentLines(settings);
    SaveSettings();
}

void Instrument::ChoosePort(const QString& portName) {
    settings.SetLine(SettingsLine::Port, portName);
}

void Instrument::MarkPortQuestionAsked() {
    settings.SetNumber(SettingsLine::PortChosen, 1);
}

void Instrument::SetMenuStyle(bool officeXp, bool conventional) {
    settings.SetOn(SettingsLine::MenuStyleFirst, officeXp);
    settings.SetOn(SettingsLine::MenuStyleSecond, conventional);
}

// --- Start-up state and the presets.

void Instrument::SetInitialState() {
    decoder.SetPointCounter(1);
    ramWindow.SetMagnification(1);
    ramWindow.SetStep(RamWindow::DefaultStep);
    ramWindow.SetStart(0);
    ramWindow.SetLeftEnabled(false);
    ramWindow.SetResetEnabled(false);
    mathMenu = MathMenuState{};
    state.mathMode = MathMode::None;
    state.running = true;
    state.triggerArmed = false;
    state.triggerSource = TriggerSource::Off;
    weighting = WeightingWindow::Rectangular;
    showWindowEffect = false;
    spectrum = SpectrumSettings{};
    for (Channel c : {Channel::A, Channel::B}) {
        Of(c).verticalPosition = Sweep::CentreCode;
        Of(c).probeTimesTen = false;
        Of(c).groundMarkerShown = true;
        ForgetGround(c); // the marker's level 0 was never measured
    }
    linkFailed = false;
    lastSweepCounts = false;
    pauseWhenIdle = false;
    SetSingleShot(SingleShot::Off);

    SetLock(&PanelLocks::outputCommandsEnabled, false);
    emit mathMenuChanged();
    emit spectrumSettingsChanged();
    emit magnificationChanged();
    emit stepChanged();
    emit translationChanged();
    emit windowRangeChanged();
    emit runStateChanged();
    emit triggerChanged();
    for (Channel c : {Channel::A, Channel::B}) {
        emit positionChanged(c);
        emit probeChanged(c);
    }
}

void Instrument::ApplyPresetValues() {
    const InstrumentSettings preset = ActivatedPresetSettings();
    state.timeBaseIndex = preset.timeBaseIndex;
    emit timeBaseChanged();
    for (Channel c : {Channel::A, Channel::B}) {
        Of(c).voltsPerDivIndex = preset.Of(c).voltsPerDivIndex;
        emit voltsPerDivChanged(c);
        Of(c).coupling = preset.Of(c).coupling;
        emit couplingChanged(c);
    }
}

void Instrument::ApplyInactivePreset() {
    ApplyPresetValues();
    for (Channel c : {Channel::A, Channel::B}) {
        Of(c).traceOn = false;
        emit traceChanged(c);
        SetChannelControls(c, false);
    }
    ramWindow.SetRightEnabled(false);
    emit translationChanged();
    emit presetApplied(Preset::Inactive);
    SetLock(&PanelLocks::runButtonsEnabled, false);
}

void Instrument::ApplyActivatedPreset() {
    ApplyPresetValues();
    // Channel A comes on with the link, channel B stays off until its switch is pressed.
    const InstrumentSettings preset = ActivatedPresetSettings();
    for (Channel c : {Channel::A, Channel::B}) {
        const bool on = preset.Of(c).traceOn;
        Of(c).traceOn = on;
        emit traceChanged(c);
        SetChannelControls(c, on);
    }
    ramWindow.SetRightEnabled(true);
    emit translationChanged();
    state.triggerArmed = false;
    state.triggerSource = TriggerSource::Off;
    boxTrigger = TriggerSource::Off;
    emit triggerChanged();
    emit presetApplied(Preset::Activated);
}

void Instrument::SetChannelControls(Channel channel, bool enabled) {
    controlsEnabled[Index(channel)] = enabled;
    emit channelControlsChanged(channel);
}

// --- The front panel.

void Instrument::SelectTimeBase(int index) {
    if (!TimeBaseAt(index))
        return;
    state.timeBaseIndex = index;
    emit timeBaseChanged();
    settings.SetNumber(SettingsLine::TimeBase, index);
    SaveSettings();
    SendCommand(BoxCommands::TimeBase(index));
    emit redrawRequested();
}

void Instrument::SelectVoltsPerDiv(Channel channel, int index) {
    if (!VoltsPerDivAt(index))
        return;
    Of(channel).voltsPerDivIndex = index;
    emit voltsPerDivChanged(channel);
    settings.SetNumber(SettingsLine::Volts(channel), index);
    SaveSettings();
    SendCommand(BoxCommands::VoltsPerDiv(channel, index));
    emit redrawRequested();
}

void Instrument::SelectCoupling(Channel channel, int value) {
    if (!CouplingAt(value))
        return;
    const bool ground = value == static_cast<int>(Coupling::GND);
    if (ground && state.triggerArmed) {
        // The trigger shows OFF; the box is not told and triggerArmed stays set.
        state.triggerSource = TriggerSource::Off;
        emit triggerChanged();
    }
    Of(channel).coupling = static_cast<Coupling>(value);
    emit couplingChanged(channel);
    settings.SetNumber(SettingsLine::CouplingOf(channel), value);
    SaveSettings();
    SendCommand(BoxCommands::CouplingOf(channel, static_cast<Coupling>(value)));
    emit redrawRequested();
    if (ground)
        Of(channel).groundMarkerShown = true; // the next redraw measures the ground level
}

void Instrument::SelectProbe(Channel channel, bool timesTen) {
    Of(channel).probeTimesTen = timesTen;
    emit probeChanged(channel);
    emit redrawRequested();
}

void Instrument::ForgetGround(Channel channel) {
    Of(channel).groundMeasured = false;
    groundSweepShown[Index(channel)] = false;
}

void Instrument::SendPosition(Channel channel, int position) {
    ForgetGround(channel);
    Of(channel).verticalPosition = position;
    emit positionChanged(channel);
    settings.SetNumber(SettingsLine::Position(channel), position);
    SaveSettings();
    SendCommand(BoxCommands::Position(channel, position));
}

void Instrument::ReleasePosition(Channel channel, int position) {
    SendPosition(channel, ClampVerticalPosition(position));
    if (Of(channel).coupling != Coupling::GND)
        Of(channel).groundMarkerShown = false; // the marker no longer knows where zero is
}

void Instrument::CentrePosition(Channel channel) {
    SendPosition(channel, Sweep::CentreCode);
    Of(channel).groundLevel = Sweep::CentreCode;
    Of(channel).groundMarkerShown = true;
}

void Instrument::StepPosition(Channel channel, int delta) {
    const int before = Of(channel).verticalPosition;
    const int position = ClampVerticalPosition(before + delta);
    SendPosition(channel, position);
    // The marker follows the trace, which does not move at the end of the slider's travel.
    Of(channel).groundLevel += GroundCodesPerUnit * (position - before);
}

void Instrument::SwitchTrace(Channel channel, bool on) {
    Of(channel).traceOn = on;
    emit traceChanged(channel);
    emit redrawRequested();
    settings.SetOn(SettingsLine::Trace(channel), on);
    SaveSettings();
    SetChannelControls(channel, on && linkActive);
    if (!on) {
        mathMenu.noMathButtonEnabled = false;
        emit mathMenuChanged();
    }
}

void Instrument::SelectTrigger(int source) {
    if (!TriggerAt(source))
        return;
    const auto chosen = static_cast<TriggerSource>(source);
    state.triggerArmed = chosen != TriggerSource::Off;
    state.triggerSource = chosen;
    boxTrigger = chosen;
    RestartSilence();
    settings.SetNumber(SettingsLine::Trigger, source);
    SaveSettings();
    emit triggerChanged();
    SendCommand(BoxCommands::Trigger(chosen));
    emit redrawRequested();
}

void Instrument::Run() {
    // "Lecture" lets go of a caught sweep and disarms.
    pauseWhenIdle = false;
    SetSingleShot(SingleShot::Off);
    state.running = true;
    RestartSilence();
    emit runStateChanged();
    SetLock(&PanelLocks::outputCommandsEnabled, false);
    SetLock(&PanelLocks::outputHintsShown, false);
    SendCommand(BoxCommands::Run());
    SetLock(&PanelLocks::settingGroupsEnabled, true);
}

void Instrument::Pause() {
    // A pause disarms; a caught sweep stays held.
    if (singleShot == SingleShot::Armed)
        SetSingleShot(SingleShot::Off);
    state.running = false;
    emit runStateChanged();
    SetLock(&PanelLocks::outputCommandsEnabled, true);
    SetLock(&PanelLocks::outputHintsShown, true);
    SendCommand(BoxCommands::Pause());
    // The completion of the exchange has just enabled the groups.
    SetLock(&PanelLocks::settingGroupsEnabled, false);
}

void Instrument::TranslateRight() {
    ramWindow.SetStart(ramWindow.Start() + ramWindow.StepSamples());
    if (ramWindow.Start() > Sweep::LastWindowStart - 1) {
        ramWindow.SetRightEnabled(false);
        ramWindow.SetLeftEnabled(true);
        emit translationChanged();
        Messages::Show(Messages::Kind::Information, UpperLimitMessage);
        ramWindow.SetStart(Sweep::LastWindowStart);
    }
    if (ramWindow.Start() > 0) {
        ramWindow.SetLeftEnabled(true);
        ramWindow.SetResetEnabled(true);
    }
    emit translationChanged();
    emit windowRangeChanged();
    SendCommand(BoxCommands::WindowRight(ramWindow.Start()));
    AfterTranslation();
}

void Instrument::TranslateLeft() {
    ramWindow.SetStart(ramWindow.Start() - ramWindow.StepSamples());
    ramWindow.SetRightEnabled(true);
    if (ramWindow.Start() <= 0) {
        ramWindow.SetLeftEnabled(false);
        ramWindow.SetResetEnabled(false);
        ramWindow.SetStart(0);
    }
    emit translationChanged();
    emit windowRangeChanged();
    SendCommand(BoxCommands::WindowLeft(ramWindow.Start()));
    AfterTranslation();
}

void Instrument::ResetTranslation() {
    ramWindow.SetStart(0);
    ramWindow.SetRightEnabled(true);
    ramWindow.SetLeftEnabled(false);
    ramWindow.SetResetEnabled(false);
    emit translationChanged();
    emit windowRangeChanged();
    SendCommand(BoxCommands::WindowReset());
    AfterTranslation();
}

void Instrument::MoveWindowTo(int start) {
    if (start < 0 || start > Sweep::LastWindowStart)
        return;
    ramWindow.SetStart(start);
    ramWindow.SetRightEnabled(start < Sweep::LastWindowStart);
    ramWindow.SetLeftEnabled(start > 0);
    ramWindow.SetResetEnabled(start > 0);
    emit translationChanged();
    emit windowRangeChanged();
    SendCommand(BoxCommands::WindowRight(start));
    AfterTranslation();
}

void Instrument::AfterTranslation() {
    // While paused the instrument groups stay disabled after the exchange.
    if (!state.running)
        SetLock(&PanelLocks::settingGroupsEnabled, false);
}

void Instrument::SelectStep(int index) {
    if (index == ramWindow.Step() || RamWindow::StepSamples(index) == 0)
        return;
    ramWindow.SetStep(index);
    emit stepChanged();
}

void Instrument::SetMagnification(int factor) {
    if (!ramWindow.SetMagnification(factor))
        return;
    emit redrawRequested();
    emit magnificationChanged();
}

void Instrument::SelectMathMode(int mode) {
    if (!MathModeAt(mode))
        return;
    state.mathMode = static_cast<MathMode>(mode);
    mathMenu.checkedMode = mode;
    mathMenu.noMathButtonEnabled = mode != 0;
    emit mathMenuChanged();
    emit redrawRequested();
}

// --- The link.

void Instrument::SendCommand(const QByteArray& command) {
    // Nothing talks to the box before the link is active; a command asked for then, after
    // the link failed or while it is lost goes nowhere (a box found again is brought to the
    // state in force).
    if (linkActive && !linkFailed && !reconnecting)
        protocol->SendCommand(command);
}

void Instrument::ReceiveBytes(QByteArrayView chunk) {
    RestartSilence();
    timeBaseAtData = state.timeBaseIndex;
    if (silenceShown)
        SetLinkNotice(QString());
    framer.Feed(chunk, [this](QByteArrayView packet) {
        if (singleShot == SingleShot::Caught)
            return; // the caught sweep stays until "Lecture"
        decoder.DecodeSamplePacket(packet);
        if (decoder.PointCounter() == 2) // the packet went to the first point
            ++sweepStarts;
    });
    if (link)
        link->SetBytesWanted(BytesToSweepEnd());
}

qsizetype Instrument::BytesToSweepEnd() const {
    // The packets left in the sweep under way, or a whole sweep once the last one is done,
    // less the start of a packet already framed.
    const int next = decoder.PointCounter();
    const qsizetype packets = SampleTable::IsPoint(next) ? Sweep::Points - next + 1 : Sweep::Points;
    return std::max<qsizetype>(packets * SampleTable::PacketBytes - framer.Buffer().size(), 1);
}

void Instrument::SweepCompleted(const SweepExtremes& completed) {
    lastSweep = CompletedSweep::Of(samples, completed);
    ApplyWeightingWindow(samples, state, *lastSweep, weighting);

    ++sweepCount;
    const bool settled = sweepStarts > settledAfter;
    lastSweepCounts = settled && state.running;
    // The display codes of a channel whose trace is off were not replaced.
    for (Channel c : {Channel::A, Channel::B})
        if (Of(c).traceOn)
            groundSweepShown[Index(c)] = settled && Of(c).coupling == Coupling::GND;
    const bool caught = singleShot == SingleShot::Armed && lastSweepCounts;
    if (caught)
        SetSingleShot(SingleShot::Caught);

    emit redrawRequested();
    emit sweepCompleted();
    // Not from here: the exchange of "P&" lets packets in, and this runs inside the framing
    // of a chunk.
    if (caught)
        QTimer::singleShot(0, this, GuardedSlot([this] { PauseOnCaughtSweep(); }));
}

void Instrument::NoteExchange(bool underWay) {
    settledAfter = underWay ? std::numeric_limits<int>::max() : sweepStarts;
    if (!underWay && pauseWhenIdle) {
        pauseWhenIdle = false;
        QTimer::singleShot(0, this, GuardedSlot([this] { PauseOnCaughtSweep(); }));
    }
}

// --- Single shot.

bool Instrument::SingleShotAvailable() const {
    if (singleShot == SingleShot::Armed)
        return true;
    return singleShot == SingleShot::Off && linkActive && !linkFailed && state.running &&
           locks.runButtonsEnabled;
}

void Instrument::ToggleSingleShot() {
    if (singleShot == SingleShot::Armed)
        SetSingleShot(SingleShot::Off);
    else if (SingleShotAvailable())
        SetSingleShot(SingleShot::Armed);
}

void Instrument::SetSingleShot(SingleShot next) {
    if (singleShot == next)
        return;
    singleShot = next;
    emit singleShotChanged();
}

void Instrument::PauseOnCaughtSweep() {
    if (singleShot != SingleShot::Caught || !state.running || !linkActive || linkFailed)
        return;
    if (protocol->Busy()) {
        pauseWhenIdle = true; // after the exchange: its end would open the groups again
        return;
    }
    Pause();
}

void Instrument::ReweightWhilePaused() {
    if (state.running)
        return;
    // The sweep on the screen is the last completed one: the points of a next sweep may
    // have begun to arrive before the pause. Its own extremes are not used again: once a
    // sweep is weighted the extremes are reset (minimum 255, maximum 0), and weighting while
    // paused works from those, whose mid-level is 255 + (0 - 255) / 2 = 128 for both
    // channels. The frozen sweep is weighted about the screen's centre.
    if (lastSweep) {
        CompletedSweep frozen = *lastSweep;
        frozen.extremes = SweepExtremes{};
        ApplyWeightingWindow(samples, state, frozen, weighting);
    }
    emit redrawRequested();
}

void Instrument::SelectWeightingWindow(int window) {
    if (IsWeightingWindow(window))
        weighting = static_cast<WeightingWindow>(window);
}

void Instrument::SetShowWindowEffect(bool shown) {
    showWindowEffect = shown;
}

// --- The spectrum analyser.

void Instrument::SwitchSpectrum(bool on) {
    spectrum.on = on;
    emit spectrumSwitched();
}

void Instrument::DilateSpectrum() {
    spectrum.binCount = SpectrumZoom::Dilate(spectrum.binCount);
    emit spectrumSettingsChanged();
}

void Instrument::DefaultSpectrum() {
    spectrum.binCount = SpectrumZoom::Default();
    emit spectrumSettingsChanged();
}

void Instrument::ContractSpectrum() {
    spectrum.binCount = SpectrumZoom::Contract(spectrum.binCount, state.timeBaseIndex);
    emit spectrumSettingsChanged();
}

void Instrument::SelectSpectrumScale(bool logarithmic) {
    if (spectrum.scale.logarithmic == logarithmic)
        return;
    spectrum.scale.logarithmic = logarithmic;
    emit spectrumSettingsChanged();
}

void Instrument::SetPositiveDbOnly(bool on) {
    if (spectrum.scale.positiveDbOnly == on)
        return;
    spectrum.scale.positiveDbOnly = on;
    emit spectrumSettingsChanged();
}

std::unique_ptr<SerialLink> Instrument::OpenLink(const QString& port) {
    auto opened = linkFactory ? linkFactory(port) : CreateSerialLink(port);
    opened->Open(port);
    return opened;
}

void Instrument::AttachLink(std::unique_ptr<SerialLink> opened, const QString& port) {
    protocol->SetLink(opened.get()); // it listens to DSR itself
    link = std::move(opened);
    linkPort = port;
    linkAlias = PortAlias(port, aliasFolder);
    framer = PacketFramer();
    connect(link.get(), &SerialLink::bytesReceived, this,
            GuardedSlot([this](const QByteArray& chunk) { ReceiveBytes(chunk); }));
    connect(link.get(), &SerialLink::portLost, this,
            GuardedSlot([this](const QString& reason) { LoseLink(reason); }));
}

void Instrument::DetachLink() {
    if (!link)
        return;
    // Its own handler may be under way (the loss is reported from inside a read): it goes
    // once that has returned, and with the session at the latest.
    SerialLink* old = link.release();
    old->disconnect(this);
    old->setParent(this);
    old->deleteLater();
}

void Instrument::ActivateLink(StartupRestore restore) {
    if (reconnecting) {
        RetryLink();
        return;
    }
    const QString port = settings.Line(SettingsLine::Port);
    // A port that cannot be opened is reported and nothing changes.
    AttachLink(OpenLink(port), port);

    emit activationStarted();
    emit redrawRequested();
    linkActive = true;
    protocol->SendActivationCommand();
    protocol->PrepareCommand();
    if (linkFailed)
        return;
    // From here on a failing link is lost, not the end: it is supervised.
    acknowledgedOnce = true;
    RestartSilence();
    timeBaseAtData = state.timeBaseIndex;
    supervision.start(ProgramTimings().supervisionMs);
    if (settings.IsOn(SettingsLine::Sound))
        emit soundRequested(QStringLiteral("open.wav"));
    emit communicationNoticeShown(true);
    protocol->WriteCommand(BoxCommands::Initialise());
    protocol->CompleteCommand();
    if (linkFailed)
        return;

    ApplyActivatedPreset();
    // "Lecture" down with nothing sent; the output commands wait for a pause.
    SetLock(&PanelLocks::runButtonsEnabled, true);
    emit runStateChanged();
    SetLock(&PanelLocks::outputCommandsEnabled, false);
    if (restore == StartupRestore::Apply)
        RestoreStartupSettings();

    communicationTicks = 0;
    communicationTimer.setInterval(ProgramTimings().commWindowMs);
    communicationTimer.start();
}

void Instrument::CommunicationTick() {
    if (++communicationTicks < 2)
        return;
    communicationTimer.stop();
    emit communicationNoticeShown(false);
}

void Instrument::LinkFailure() {
    if (linkFailed)
        return;
    linkFailed = true;
    if (singleShot == SingleShot::Armed)
        SetSingleShot(SingleShot::Off);
    supervision.stop();
    settings.SetOn(SettingsLine::Sound, false); // memory only: the next save writes it
    if (link && link->IsOpen())
        Guarded([&] { link->SetRts(false); });
    linkActive = false;
    emit linkLost();
    emit terminateRequested();
}

void Instrument::Quit() {
    if (quitting)
        return;
    quitting = true;
    supervision.stop();
    emit quitStarted();
    if (linkActive && reconnecting) {
        // Nothing to tell a box that is not there, and nothing to wait for: an attempt
        // under way is given up.
        linkActive = false;
        protocol->DropLink();
        DetachLink();
        emit terminateRequested();
        return;
    }
    if (linkActive) {
        linkActive = false;
        // Sent once, with its full handshake, after any exchange under way.
        protocol->SendFinalCommand(BoxCommands::EndOfUse(), [this] { emit terminateRequested(); });
        return;
    }
    emit terminateRequested();
}

// --- Before a redraw.

void Instrument::PrepareScreen() {
    const bool bothOn = state.channelA.traceOn && state.channelB.traceOn;
    MathMenuState next = mathMenu;
    next.modesEnabled = bothOn;
    next.hintsShown = bothOn;
    if (!bothOn) {
        state.mathMode = MathMode::None;
        next.checkedMode = 0;
    }
    if (next != mathMenu) {
        mathMenu = next;
        emit mathMenuChanged();
    }

    const int lastPoint = LastShownPoint(ramWindow.Magnification());
    if (lastPoint > 0 && samples.MathWritten(lastPoint)) {
        if (state.mathMode == MathMode::Sum)
            samples.ClampSums(lastPoint, decoder.SumOffset());
        else if (state.mathMode == MathMode::Difference)
            samples.ClampDifferences(lastPoint, decoder.DifferenceOffset());
    }

    for (Channel c : {Channel::B, Channel::A}) {
        ChannelSettings& channel = Of(c);
        if (!channel.traceOn || !channel.groundMarkerShown || channel.coupling != Coupling::GND)
            continue;
        qint64 sum = 0;
        for (int row = 3; row <= 12; ++row) {
            const SampleTable::Point& point = samples.At(row);
            sum += c == Channel::A ? point.displayA : point.displayB;
        }
        channel.groundLevel = static_cast<int>(sum / 10);
        // A level measured from a sweep taken before GND reached the box (the redraw right
        // after choosing GND shows one) is not the ground.
        channel.groundMeasured = groundSweepShown[Index(c)];
    }
}
