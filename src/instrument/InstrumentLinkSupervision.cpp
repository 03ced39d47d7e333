// Instrument, the session: the link's supervision once the first activation has been
// acknowledged. A link that fails is lost rather than the end of the run; it is tried again
// once a second and a box found again is brought back to the state in force. A box that
// should send and sends nothing is reported.

#include "core/Sweep.h"
#include "core/Timings.h"
#include "instrument/Instrument.h"
#include "link/BoxCommands.h"
#include "link/CommandProtocol.h"
#include "link/SerialLink.h"

#include <algorithm>
#include <cmath>

void Instrument::AcknowledgementLost() {
    if (!acknowledgedOnce)
        LinkFailure(); // the box of the first activation never answered: the run ends
    else
        LoseLink(LossReason::NoAcknowledgement);
}

void Instrument::LoseLink(const QString& reason) {
    // The link in use failed: nothing more goes to it, and no wait holds on it. A port that
    // still works (the box stopped answering) is left with RTS low, as closing it would
    // leave it; a port that fails has nothing more to say.
    protocol->DropLink();
    if (reason == LossReason::NoAcknowledgement && link && link->IsOpen()) {
        try {
            link->SetRts(false);
        } catch (const SerialError&) {
        }
    }
    DetachLink();
    if (!linkActive || linkFailed || quitting)
        return;
    if (!acknowledgedOnce) {
        LinkFailure(); // the box of the first activation cannot answer any more
        return;
    }
    if (reconnecting)
        return; // an attempt failed: the next one follows
    reconnecting = true;
    lossReason = reason;
    silenceShown = false;
    SetLinkNotice(QStringLiteral("Liaison perdue : ") + reason);
    emit linkStateChanged();
}

void Instrument::RetryLink() {
    // Asked for by the user: a port that cannot be opened is reported, as at activation.
    const QString failure = TryToReconnect();
    if (!failure.isEmpty())
        throw SerialError(failure);
}

QString Instrument::TryToReconnect() {
    if (!reconnecting || attempting || quitting)
        return {};
    attempting = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{attempting};
    // The port chosen, then the lasting name of the adapter lost, which follows it to
    // whatever node it comes back under.
    QStringList ports{settings.Line(SettingsLine::Port)};
    if (!linkAlias.isEmpty() && !ports.contains(linkAlias))
        ports << linkAlias;
    QString failure;
    bool opened = false;
    for (const QString& port : ports) {
        try {
            if (Reconnect(port) || !reconnecting || quitting)
                return {};
            opened = true; // opened, but no box answered
        } catch (const SerialError& e) {
            if (failure.isEmpty())
                failure = e.Text();
        }
    }
    return opened ? QString() : failure;
}

bool Instrument::Reconnect(const QString& port) {
    std::unique_ptr<SerialLink> opened = OpenLink(port); // not back yet: SerialError
    const QString lostPort = linkPort;
    const QString lostAlias = linkAlias;
    AttachLink(std::move(opened), port);
    // The same port may not have its lasting name yet (the system gives it a moment after
    // the adapter comes back): the one it had stays.
    if (linkAlias.isEmpty() && port == lostPort)
        linkAlias = lostAlias;
    // The wake-up and the first handshake, as at activation, but quietly: the panel stays
    // free while a box that may be switched off is sought.
    try {
        protocol->SendActivationCommand();
        protocol->PrepareCommand(CommandProtocol::Shown::Quietly);
    } catch (const SerialError&) {
        // A port that fails in another way than by going away is given up all the same.
        protocol->DropLink();
        DetachLink();
    }
    if (!link || quitting) {
        protocol->CompleteCommand(); // ends what is left of the exchange
        linkPort = lostPort;
        linkAlias = lostAlias;
        return false;
    }
    reconnecting = false;
    lossReason.clear();
    emit linkStateChanged();
    protocol->WriteCommand(BoxCommands::Initialise());
    protocol->CompleteCommand();
    RestoreBox();
    if (!reconnecting && !quitting) {
        RestartSilence();
        timeBaseAtData = state.timeBaseIndex;
        SetLinkNotice(QStringLiteral("Liaison rétablie"));
        restoredSince.start();
    }
    return true;
}

void Instrument::RestoreBox() {
    // Through the panel's own encoders: what differs from the state "?&" leaves the box in,
    // and the positions, which "?&" does not set. The pause comes last, once the box has
    // acquired with the rest.
    const InstrumentSettings start = ActivatedPresetSettings();
    QList<QByteArray> commands;
    if (state.timeBaseIndex != start.timeBaseIndex)
        commands << BoxCommands::TimeBase(state.timeBaseIndex);
    for (Channel c : {Channel::A, Channel::B})
        if (Of(c).voltsPerDivIndex != start.Of(c).voltsPerDivIndex)
            commands << BoxCommands::VoltsPerDiv(c, Of(c).voltsPerDivIndex);
    for (Channel c : {Channel::A, Channel::B})
        if (Of(c).coupling != start.Of(c).coupling)
            commands << BoxCommands::CouplingOf(c, Of(c).coupling);
    for (Channel c : {Channel::A, Channel::B})
        commands << BoxCommands::Position(c, Of(c).verticalPosition);
    if (boxTrigger != TriggerSource::Off)
        commands << BoxCommands::Trigger(boxTrigger);
    if (ramWindow.Start() != 0)
        commands << BoxCommands::WindowRight(ramWindow.Start());
    if (!state.running)
        commands << BoxCommands::Pause();
    for (const QByteArray& command : commands) {
        if (reconnecting || quitting)
            return;
        SendCommand(command);
    }
    AfterTranslation(); // while paused the setting groups stay locked after the exchanges
}

void Instrument::Supervise() {
    if (reconnecting) {
        TryToReconnect();
        return;
    }
    if (restoredSince.isValid() && restoredSince.elapsed() >= ProgramTimings().restoredNoticeMs) {
        restoredSince.invalidate();
        if (!silenceShown)
            SetLinkNotice(QString());
    }
    CheckSilence();
}

qint64 Instrument::SilenceBoundMs(int timeBaseIndex, int otherTimeBaseIndex, int marginMs) {
    // The box fills its memory before it sends a sweep of it: 2048 samples at 30 a
    // division. Counted in whole nanoseconds per division, so that the bound is exact.
    const auto divisionNs = [](int index) -> qint64 {
        const TimeBaseRow* row = TimeBaseAt(index);
        return row ? std::llround(row->secondsPerDiv * 1e9) : 0;
    };
    const qint64 slowerNs = std::max(divisionNs(timeBaseIndex), divisionNs(otherTimeBaseIndex));
    const qint64 threeSweepsNs = 3 * slowerNs * Sweep::MemorySamples / Sweep::PointsPerDivision;
    return (threeSweepsNs + 999'999) / 1'000'000 + marginMs;
}

bool Instrument::DataExpected() const {
    return linkActive && !linkFailed && !reconnecting && state.running &&
           boxTrigger == TriggerSource::Off && !SingleShotArmed();
}

void Instrument::RestartSilence() {
    silence.start();
}

void Instrument::CheckSilence() {
    if (!DataExpected()) {
        RestartSilence();
        if (silenceShown) {
            silenceShown = false;
            SetLinkNotice(QString());
        }
        return;
    }
    const qint64 quiet = silence.elapsed();
    if (quiet <=
        SilenceBoundMs(state.timeBaseIndex, timeBaseAtData, ProgramTimings().silenceMarginMs))
        return;
    silenceShown = true;
    restoredSince.invalidate();
    SetLinkNotice(QStringLiteral("Aucune donnée reçue depuis %1 s").arg(quiet / 1000));
}

void Instrument::SetLinkNotice(const QString& text) {
    if (text.isEmpty())
        silenceShown = false;
    if (text == linkNotice)
        return;
    linkNotice = text;
    emit linkNoticeChanged();
}
