#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QEventLoop;
class QTimer;
class SerialLink;
struct Timings;

// The exchange of one command with the box: lock the front panel, raise RTS, wait for
// the box to raise DSR under a watchdog, drop RTS, wait, write, wait, unlock. Every wait
// keeps the event loop running, so sample packets are decoded and drawn meanwhile. What
// an exchange shows and locks is announced through signals, in the order it happens.
//
// An exchange asked for while another is under way (quitting from inside a wait) is
// carried out after it, with its own full handshake. After the final command ("F&") or
// a link failure no exchange starts any more.
class CommandProtocol : public QObject {
    Q_OBJECT
public:
    static const QString BusyText; // " Transfert de la commande en cours. Patientez..."
    static const QString IdleText; // 48 blanks

    // Timings defaults to the program's record, read at every wait. Made without a link,
    // the protocol sends nothing until it is given one.
    explicit CommandProtocol(QObject* parent = nullptr);
    explicit CommandProtocol(Timings& timings, QObject* parent = nullptr);
    explicit CommandProtocol(SerialLink& link, QObject* parent = nullptr);
    CommandProtocol(SerialLink& link, Timings& timings, QObject* parent = nullptr);
    ~CommandProtocol() override;

    // Takes a new link (or none), listens to its DSR from then on, and forgets a failure of
    // the link before it. Not during an exchange.
    void SetLink(SerialLink* link);

    // Lets go of a link that was lost (its port failed, or its box stopped acknowledging):
    // every wait in progress ends at once, nothing more is written to it, and an error it
    // raises is not reported (the loss is). An exchange under way completes without its
    // write or waits, so that the groups are unlocked; exchanges queued behind it are
    // dropped. The final command, if asked for, counts as sent. Safe from inside any
    // handler of the link.
    void DropLink();
    // Whether the link was let go of, and no new one taken since.
    bool LinkDropped() const { return dropped; }

    // The whole exchange for one command. Called during another exchange, it is queued
    // and carried out once that exchange has ended.
    void SendCommand(const QByteArray& command);

    // The halves of the exchange, for link activation which acts between them.
    // Preparation: status text, groups locked, RTS on, acknowledgement awaited under the
    // watchdog, progress bar, then the wait before the write. Done quietly, it shows and
    // locks nothing: a box sought again while the panel stays free (its completion still
    // clears the status and opens the groups).
    enum class Shown { Normally, Quietly };
    void PrepareCommand(Shown shown = Shown::Normally);
    // The write between the halves.
    void WriteCommand(const QByteArray& command);
    // Completion: the wait after the write, status cleared, groups unlocked; then any
    // exchange queued meanwhile.
    void CompleteCommand();

    // The wake-up of link activation: RTS on, the wait before the write, "Z1", RTS off once
    // the bytes have left the port. No acknowledgement is awaited and nothing is locked. A
    // box already awake answers the RTS rise: RTS falls at its answer as always, "Z1" goes
    // out with RTS low, and the wake-up ends once the box has dropped DSR again (at most
    // the watchdog's time), so that the first handshake's RTS rise is one the box sees.
    void SendActivationCommand();

    // The last command of the run ("F&"), sent once with its full handshake: at once when
    // no exchange is under way, otherwise right after it. `afterwards` runs when it has
    // been sent (or at once if the link is already over). Later commands are not sent.
    void SendFinalCommand(const QByteArray& command, std::function<void()> afterwards = {});

    // Waits for the interval while processing events; a link failure ends it early.
    void PumpingWait(int intervalMs);

    // The DSR notification of the link: on a rise, RTS off and the acknowledgement noted,
    // during the wake-up too.
    void OnDsrChanged(bool on);

    // Ends every wait in progress and stops both timers (part of the link failure).
    void AbortWaits();

    bool Busy() const { return exchangeOpen || activationOpen; }
    bool DsrAcknowledged() const { return acknowledged; }
    int WatchdogCount() const { return ticks; }
    // Set once by the watchdog's last tick, never cleared.
    bool LinkFailed() const { return failed; }
    // Set once the final command has been sent.
    bool Ended() const { return ended; }

signals:
    // The second panel of the status bar (the one after the hint panel).
    void statusChanged(const QString& text);
    // The four setting groups: time base, volts/div of channel A and of channel B, trigger.
    void settingGroupsEnabled(bool enabled);
    // The RAM-window translation group and the acquisition group.
    void transferGroupsEnabled(bool enabled);
    // The progress bar of the acknowledgement wait.
    void progressStarted(int maximum);
    void progressChanged(int value);
    void progressFinished();
    // The box did not acknowledge in time. Emitted from inside the wait, once every wait
    // of the exchange has been told to end.
    void acknowledgementLost();

private:
    struct Pending {
        QByteArray command;
        bool final;
    };

    void WatchdogTick();
    // Waits, events flowing, until the box's DSR is low, at most the watchdog's time.
    void AwaitDsrLow();
    void EndExchange();
    void RunQueued();
    void SendFinalNow(const QByteArray& command);
    void RunAfterFinal();

    // Nothing is sent without a link, nor after a failure or the final command.
    bool Closed() const { return failed || ended || !link; }

    SerialLink* link = nullptr;
    QMetaObject::Connection dsrConnection;
    Timings& timings;
    QTimer* watchdog;
    std::vector<QEventLoop*> waits; // every wait in progress, innermost last
    QEventLoop* dsrWait = nullptr;
    QEventLoop* dsrLowWait = nullptr;
    bool dsrHigh = false; // as the last DSR notification left it
    bool acknowledged = false;
    int ticks = 0;
    bool failed = false;
    bool ended = false;
    bool exchangeOpen = false;   // between the preparation and the end of the completion
    bool activationOpen = false; // inside SendActivationCommand
    bool closing = false;        // the final command is queued or under way
    bool dropped = false;        // the link was let go of (DropLink)
    bool quiet = false;          // the exchange under way shows no progress
    bool draining = false;
    std::vector<Pending> queued;
    std::vector<std::function<void()>> afterFinal;
};
