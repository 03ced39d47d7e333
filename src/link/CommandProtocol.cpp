#include "link/CommandProtocol.h"

#include "core/ErrorGuard.h"
#include "core/Timings.h"
#include "link/BoxCommands.h"
#include "link/SerialLink.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

const QString CommandProtocol::BusyText =
    QStringLiteral(" Transfert de la commande en cours. Patientez...");
const QString CommandProtocol::IdleText = QString(48, QLatin1Char(' '));

CommandProtocol::CommandProtocol(QObject* parent) : CommandProtocol(ProgramTimings(), parent) {}

CommandProtocol::CommandProtocol(Timings& times, QObject* parent)
    : QObject(parent), timings(times), watchdog(new QTimer(this)) {
    watchdog->setTimerType(Qt::PreciseTimer);
    connect(watchdog, &QTimer::timeout, this, GuardedSlot([this] { WatchdogTick(); }));
}

CommandProtocol::CommandProtocol(SerialLink& serial, QObject* parent)
    : CommandProtocol(serial, ProgramTimings(), parent) {}

CommandProtocol::CommandProtocol(SerialLink& serial, Timings& times, QObject* parent)
    : CommandProtocol(times, parent) {
    SetLink(&serial);
}

void CommandProtocol::SetLink(SerialLink* serial) {
    disconnect(dsrConnection);
    link = serial;
    failed = false;
    dropped = false;
    acknowledged = false;
    dsrHigh = false;
    ticks = 0;
    if (link)
        dsrConnection = connect(link, &SerialLink::dsrChanged, this,
                                GuardedSlot([this](bool on) { OnDsrChanged(on); }));
}

CommandProtocol::~CommandProtocol() {
    AbortWaits();
}

void CommandProtocol::DropLink() {
    disconnect(dsrConnection);
    link = nullptr;
    dropped = true;
    dsrHigh = false;
    AbortWaits();
    // What waits behind the exchange under way goes nowhere now; the final command, if
    // asked for, stays to end the run.
    queued.erase(
        std::remove_if(queued.begin(), queued.end(), [](const Pending& p) { return !p.final; }),
        queued.end());
    if (!Busy())
        RunQueued();
}

void CommandProtocol::PumpingWait(int intervalMs) {
    if (dropped)
        return; // the link is gone: nothing to wait for
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    waits.push_back(&loop);
    timer.start(std::max(0, intervalMs));
    loop.exec();
    waits.erase(std::find(waits.begin(), waits.end(), &loop));
}

void CommandProtocol::AbortWaits() {
    watchdog->stop();
    acknowledged = true;
    ticks = 0;
    for (QEventLoop* loop : waits)
        loop->quit();
}

void CommandProtocol::OnDsrChanged(bool on) {
    if (!link)
        return;
    dsrHigh = on;
    if (!on) {
        if (dsrLowWait)
            dsrLowWait->quit();
        return;
    }
    // RTS falls at every answer, the wake-up's included: a box already awake answers that
    // one too, and must see RTS low again before the next exchange raises it.
    link->SetRts(false);
    acknowledged = true;
    if (dsrWait)
        dsrWait->quit();
}

void CommandProtocol::AwaitDsrLow() {
    if (!dsrHigh || failed || dropped)
        return;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    dsrLowWait = &loop;
    waits.push_back(&loop);
    limit.start(timings.watchdogIntervalMs * timings.watchdogTicks);
    loop.exec();
    waits.erase(std::find(waits.begin(), waits.end(), &loop));
    dsrLowWait = nullptr;
}

void CommandProtocol::WatchdogTick() {
    if (!watchdog->isActive())
        return;
    ++ticks;
    if (!quiet)
        emit progressChanged(ticks);
    if (ticks < timings.watchdogTicks)
        return;
    failed = true;
    AbortWaits();
    emit acknowledgementLost();
}

void CommandProtocol::PrepareCommand(Shown shown) {
    if (Closed() || exchangeOpen)
        return;
    exchangeOpen = true;
    quiet = shown == Shown::Quietly;
    try {
        if (!quiet) {
            emit statusChanged(BusyText);
            emit settingGroupsEnabled(false);
            emit transferGroupsEnabled(false);
        }
        link->SetRts(true);
        if (!quiet)
            emit progressStarted(timings.watchdogTicks);
        ticks = 0;
        watchdog->start(timings.watchdogIntervalMs);

        acknowledged = false;
        QEventLoop loop;
        dsrWait = &loop;
        waits.push_back(&loop);
        if (!acknowledged && !failed && !dropped)
            loop.exec();
        waits.erase(std::find(waits.begin(), waits.end(), &loop));
        dsrWait = nullptr;

        watchdog->stop();
        if (!quiet)
            emit progressFinished();
        PumpingWait(timings.beforeWriteMs);
    } catch (...) {
        dsrWait = nullptr;
        watchdog->stop();
        if (dropped) {
            // The link failed under the exchange and was let go of: the loss is what the
            // user hears of; the exchange completes without it.
            if (!quiet)
                emit progressFinished();
            return;
        }
        // The handler that asked for the command stops; the exchange is over, the groups
        // stay as the failure left them.
        EndExchange();
        throw;
    }
}

void CommandProtocol::WriteCommand(const QByteArray& command) {
    if (!exchangeOpen || !link)
        return;
    try {
        link->Write(command);
    } catch (...) {
        if (dropped)
            return;
        EndExchange();
        throw;
    }
}

void CommandProtocol::CompleteCommand() {
    if (!exchangeOpen)
        return;
    try {
        PumpingWait(timings.afterWriteMs);
        emit statusChanged(IdleText);
        emit settingGroupsEnabled(true);
        emit transferGroupsEnabled(true);
    } catch (...) {
        EndExchange();
        throw;
    }
    EndExchange();
}

void CommandProtocol::SendCommand(const QByteArray& command) {
    if (Closed() || closing)
        return;
    if (Busy()) {
        queued.push_back({command, false});
        return;
    }
    PrepareCommand();
    WriteCommand(command);
    CompleteCommand();
}

void CommandProtocol::SendActivationCommand() {
    if (Closed() || Busy())
        return;
    activationOpen = true;
    try {
        link->SetRts(true);
        PumpingWait(timings.beforeWriteMs);
        if (link)
            link->Write(BoxCommands::WakeUp());
        // A sleeping box does not answer: "Z1" goes out while RTS is high, and RTS falls
        // once the bytes have left the port (a USB adapter may apply the line change before
        // the bytes still queued behind it).
        if (link)
            link->WaitUntilSent();
        if (link)
            link->SetRts(false);
        // A box that answered has dropped RTS at once; the first handshake raises RTS only
        // once the box has shown, by dropping DSR, that it saw the line low.
        AwaitDsrLow();
    } catch (...) {
        dsrLowWait = nullptr;
        activationOpen = false;
        RunQueued();
        if (dropped)
            return; // the link was lost meanwhile: the loss is reported, not this error
        throw;
    }
    activationOpen = false;
    RunQueued();
}

void CommandProtocol::SendFinalCommand(const QByteArray& command,
                                       std::function<void()> afterwards) {
    if (afterwards)
        afterFinal.push_back(std::move(afterwards));
    if (Closed()) {
        RunAfterFinal();
        return;
    }
    if (closing) // already asked for: sent once
        return;
    closing = true;
    queued.push_back({command, true});
    if (!Busy())
        RunQueued();
}

void CommandProtocol::EndExchange() {
    exchangeOpen = false;
    quiet = false;
    RunQueued();
}

void CommandProtocol::RunQueued() {
    if (Busy() || draining)
        return;
    draining = true;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{draining};
    while (!queued.empty()) {
        const Pending next = queued.front();
        queued.erase(queued.begin());
        if (next.final) {
            SendFinalNow(next.command);
            queued.clear();
            return;
        }
        if (Closed())
            continue;
        Guarded([&] {
            PrepareCommand();
            WriteCommand(next.command);
            CompleteCommand();
        });
    }
    if (failed)
        RunAfterFinal();
}

void CommandProtocol::SendFinalNow(const QByteArray& command) {
    if (!Closed()) {
        Guarded([&] {
            PrepareCommand();
            WriteCommand(command);
            CompleteCommand();
        });
    }
    ended = true;
    RunAfterFinal();
}

void CommandProtocol::RunAfterFinal() {
    std::vector<std::function<void()>> callbacks;
    callbacks.swap(afterFinal);
    for (auto& callback : callbacks)
        callback();
}
