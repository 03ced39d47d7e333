#pragma once

#include "core/InstrumentSettings.h"
#include "core/PersistedSettings.h"
#include "core/SampleTable.h"
#include "core/SpectrumSettings.h"
#include "core/WeightingWindow.h"
#include "instrument/RamWindow.h"
#include "link/PacketFramer.h"
#include "link/SampleDecoder.h"
#include "link/SerialLink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class CommandProtocol;
class SerialLink;

// The two front-panel presets: the inactive one of start-up and the activated one of
// link activation.
enum class Preset { Inactive, Activated };

// Single shot: off; armed, waiting for the next sweep taken with the settings in force;
// or a caught sweep held on the screen until "Lecture".
enum class SingleShot { Off, Armed, Caught };

// Whether link activation restores the start-up settings the user chose (the restore
// mask's groups), as the program does, or leaves the activated preset alone, as the
// command-line capture does.
enum class StartupRestore { Apply, Skip };

// What the Math menu and its four tool buttons show. The modes 1 to 3 and the hints of
// the four buttons are on only while both traces are on; the "Pas de Math" button is on
// while a mode other than none is chosen.
struct MathMenuState {
    bool modesEnabled = false;
    bool hintsShown = false;
    int checkedMode = 0;
    bool noMathButtonEnabled = false;

    bool operator==(const MathMenuState&) const = default;
};

// What the front panel and the output commands allow at the moment. An exchange with the
// box locks the setting groups and the transfer groups; a pause keeps the setting groups
// locked and opens the output commands; the presets and the activation open or close the
// run buttons. Everything starts open, as the controls are made; the start-up state and
// the inactive preset close what they close. The views follow the changes.
struct PanelLocks {
    bool settingGroupsEnabled = true;  // time base, volts/div of both channels, trigger
    bool transferGroupsEnabled = true; // RAM-window translation and acquisition
    bool runButtonsEnabled = true;     // "Lecture" and "Pause"
    bool outputCommandsEnabled = true; // save, copy, export, print
    bool outputHintsShown = true;      // the hints of the output tool buttons

    bool operator==(const PanelLocks&) const = default;
};

// The instrument session: the one owner of the instrument's state, the settings, the
// sample store, the RAM window, the link with the box and its command protocol. Every
// operation of the front panel is one method here; a click, a menu item, the start-up
// restore and the start-up parameters all call the same method. Each method changes the
// state, writes and saves the settings lines, sends the command and tells the views
// through signals, in the order a user and the box observe.
//
// Widget-free: the views follow the signals and read the state back through the const
// accessors.
class Instrument : public QObject {
    Q_OBJECT
public:
    using LinkFactory = std::function<std::unique_ptr<SerialLink>(const QString& portName)>;

    // `programFolder` ends with a separator; the settings file lives there. An empty
    // factory gives the hardware port or the simulated box by the port's name.
    explicit Instrument(const QString& programFolder, LinkFactory linkFactory = {},
                        QObject* parent = nullptr);
    ~Instrument() override;

    // What the views read.
    const InstrumentSettings& State() const { return state; }
    const PersistedSettings& Settings() const { return settings; }
    const SampleTable& Samples() const { return samples; }
    // The RAM window: the first of the sweep's points in the box's memory, the translation
    // step and buttons, the magnifier.
    const RamWindow& Ram() const { return ramWindow; }
    const SampleDecoder& Decoder() const { return decoder; }
    const MathMenuState& MathMenu() const { return mathMenu; }
    // A channel's volts/div, coupling and position controls may be used.
    bool ChannelControlsEnabled(Channel channel) const;
    QString ProgramFolder() const { return programFolder; }
    // The folder of the settings file, ending with a separator: the program's folder
    // unless set apart (an installed copy keeps its settings in the user's configuration
    // folder). Set before LoadSettings.
    QString SettingsFolder() const { return settingsFolder; }
    void SetSettingsFolder(const QString& folder);
    QString SettingsPath() const;
    bool LinkActive() const { return linkActive; }
    bool LinkFailed() const { return linkFailed; }
    SerialLink* Link() const { return link.get(); }
    // The exchange of commands with the box, made with the session and given each link
    // the session opens. Its status text and progress bar signals go straight to the
    // windows.
    CommandProtocol& Protocol() const { return *protocol; }
    const PanelLocks& Locks() const { return locks; }

    // --- The settings file.
    // Reads the file of the settings folder (missing or unreadable: empty lines).
    void LoadSettings();
    // Rewrites the file named by SettingsLine::ProgramFolder; throws SettingsWriteError.
    void SaveSettings();
    // From now on the settings live in memory alone, starting from these lines: loading
    // and saving touch no file (and saving announces nothing). The command-line capture
    // runs so, from the factory lines, and never reads or writes the program's file.
    void KeepSettingsInMemory(const PersistedSettings& start);
    bool SettingsInMemory() const { return settingsInMemory; }
    // Start-up: whether the machine can play sounds (SettingsLine::Sound and SoundDevice),
    // and the folder of the settings file (SettingsLine::ProgramFolder). Memory only.
    void NoteSoundDevice(bool present);
    void NoteProgramFolder();
    // Start-up: the instrument lines (PositionA to VoltsB) back to their start values, then
    // SaveSettings.
    void ResetInstrumentLines();
    // Settings changed in memory by the windows that edit them (saved later, when the
    // main window becomes active again).
    void ChoosePort(const QString& portName);
    void MarkPortQuestionAsked();
    // The display options: a keyword line (2 to 5, 14) on or off, a colour line as a
    // 0x00BBGGRR integer.
    void SetDisplayOption(int line, bool on);
    void SetDisplayColour(int line, int bgr);
    // The personal start-up values: the restore mask (SettingsLine::RestoreMask), the settings in
    // force stored as the personal values, the values of origin put back.
    void SetRestoreMask(int mask);
    void StorePersonalStartup();
    void ClearPersonalStartup();
    // Lines 6 and 7, the menu style choice; nothing else follows them.
    void SetMenuStyle(bool officeXp, bool conventional);
    // The folder the save dialog last showed (SettingsLine::SaveFolder, memory only). A name
    // holding a line break would split the settings file: it is refused, the line kept, and false
    // returned.
    bool SetSaveFolder(const QString& folder);

    // --- Start-up state and the presets. Neither sends nor saves anything.
    void SetInitialState();
    void ApplyInactivePreset();
    void ApplyActivatedPreset();

    // --- The front panel.
    void SelectTimeBase(int index);
    void SelectVoltsPerDiv(Channel channel, int index);
    void SelectCoupling(Channel channel, int value);
    void SelectProbe(Channel channel, bool timesTen);
    // The position slider released at a value.
    void ReleasePosition(Channel channel, int position);
    void CentrePosition(Channel channel);
    // One unit up (+1) or down (-1).
    void StepPosition(Channel channel, int delta);
    void SwitchTrace(Channel channel, bool on);
    void SelectTrigger(int source);
    void Run();
    void Pause();
    void TranslateRight();
    void TranslateLeft();
    void ResetTranslation();
    void SelectStep(int index);
    void SetMagnification(int factor);
    void SelectMathMode(int mode);
    // Moves the RAM window straight to a first sample (0 to 1747) with one right-move
    // command, "d<START>#&", whatever the step: for a caller that knows the start it wants
    // (the command-line capture), where the buttons reach only multiples of their steps.
    // The buttons follow as after a move: "<" and "> | <" while the start is above 0, ">"
    // below the last start. No message. A start outside 0..1747 changes and sends nothing.
    void MoveWindowTo(int start);

    // --- The link.
    // Opens the port of SettingsLine::Port, wakes and initialises the box, applies the activated
    // preset and restores the start-up settings the user chose (unless told to skip them).
    // A port that cannot be opened throws SerialError and changes nothing.
    void ActivateLink(StartupRestore restore = StartupRestore::Apply);
    // The restore of link activation: replays, through the operations of the front panel,
    // the start-up settings that the restore mask (SettingsLine::RestoreMask) selects from the
    // saved start-up lines:
    // time base, trigger, trace switches, couplings, volts/div and positions, in that
    // order, each with its own command, save and redraw. A negative mask restores
    // nothing; bits above 32 are ignored. A group whose saved value is out of its range is
    // skipped; a group whose operation fails is reported, and the groups after it are
    // still restored.
    void RestoreStartupSettings();
    // The restore of the trace switches: the switch, the channel's controls, TraceA or
    // 23 and SaveSettings; no command, no redraw.
    void RestoreTraceSwitch(Channel channel, bool on);
    // Sends one command under the handshake; before the link is active, or after it
    // failed, the command goes nowhere.
    void SendCommand(const QByteArray& command);
    // Received bytes: framed, decoded; each completed sweep is weighted and redrawn. The
    // link is then told how many bytes complete the sweep, so that it can hand them over
    // together instead of piece by piece.
    void ReceiveBytes(QByteArrayView chunk);
    // Bytes still to come before the sweep under way (or the next one) is complete.
    qsizetype BytesToSweepEnd() const;
    // Ends the run: "F&" once when the link is active, then terminateRequested. A lost
    // link is told nothing and not waited for.
    void Quit();

    // --- A lost link and its return. Once the box has acknowledged the first handshake of
    // the first activation, a link that fails (its port hangs up or goes away, or the box
    // stops acknowledging) is lost rather than the end of the run. The screen keeps the
    // last sweep; the panel stays usable and changes the state alone; the port (and the
    // name the system gives its USB adapter, when it has one) is tried once a second; a box
    // found again is woken, initialised and brought back to the state in force.
    bool Reconnecting() const { return reconnecting; }
    // Why the link was lost; empty while it is not.
    QString LossReason() const { return lossReason; }
    // The session's standing notice about the link, for the command panel of the status
    // bar outside an exchange: "Liaison perdue : <raison>", "Liaison rétablie", "Aucune
    // donnée reçue depuis N s", or empty.
    QString LinkNotice() const { return linkNotice; }
    // Tries the lost link again at once (the user's "Activer la communication"); when no
    // port could be opened, throws the SerialError of the first, as activation does.
    void RetryLink();
    // The folder of the adapters' lasting names (PortAliasFolder unless a test says).
    void SetPortAliasFolder(const QString& folder) { aliasFolder = folder; }
    // The silence after which a box that should be sending is reported: three RAM sweeps
    // (the 2048 samples of the memory) of the slower of the two time bases, plus the
    // margin, in milliseconds.
    static qint64 SilenceBoundMs(int timeBaseIndex, int otherTimeBaseIndex, int marginMs);

    // While paused, weights the frozen sweep with the current window about the mid-level
    // 128 (that of the reset extremes) for both channels, and redraws it (the main window
    // does this whenever it becomes active).
    void ReweightWhilePaused();

    // --- The weighting of the spectrum analyser: the window chosen (1 to 5; another value
    // changes nothing) and whether the traces show its effect. Neither weights nor redraws:
    // the next completed sweep, or coming back to the main window while paused, does.
    WeightingWindow Weighting() const { return weighting; }
    void SelectWeightingWindow(int window);
    bool ShowWindowEffect() const { return showWindowEffect; }
    void SetShowWindowEffect(bool shown);
    // The last completed sweep, as it was weighted; none before the first.
    const std::optional<CompletedSweep>& LastSweep() const { return lastSweep; }

    // --- The completed sweeps, as the automatic measurements take them.
    // The number of sweeps completed since the program started: the last one's number.
    int SweepCount() const { return sweepCount; }
    // The last completed sweep was taken with the settings in force while the acquisition
    // ran: it began after the last exchange with the box had ended (a sweep begun before
    // may have been taken before the command reached the box, or be the memory a paused
    // box sends again), and "Lecture" was down. Only such sweeps enter the statistics and
    // the measurement log, and only such a sweep is caught by single shot.
    bool LastSweepCounts() const { return lastSweepCounts; }

    // --- Single shot ("Monocoup"). Armed, the next sweep that counts (LastSweepCounts) is
    // caught: it stays on the screen, and in everything that reads the sample store, until
    // "Lecture"; the program pauses as "Pause" does, once no exchange is under way. The
    // packets that arrive meanwhile (the box sends on until "P&" lands, and a paused box
    // sends its memory again) are framed and dropped.
    SingleShot SingleShotState() const { return singleShot; }
    // The command may be used: the link is active and the acquisition runs (to arm), or it
    // is armed (to disarm).
    bool SingleShotAvailable() const;
    // Arms when off, disarms when armed; nothing otherwise.
    void ToggleSingleShot();

    // --- The spectrum analyser: the view on or off, the number of spectrum lines (the
    // zoom buttons "<", "> | <" and ">") and the scale ("Linéaire" or "Logarithmique",
    // "dB>0"). None of them computes: switching on shows the view, whose first
    // computation follows at once; the lines and the scale show at the next computation.
    const SpectrumSettings& Spectrum() const { return spectrum; }
    void SwitchSpectrum(bool on);
    void DilateSpectrum();
    void DefaultSpectrum();
    void ContractSpectrum();
    void SelectSpectrumScale(bool logarithmic);
    void SetPositiveDbOnly(bool on);

    // --- Before each redraw of the oscilloscope screen: the Math menu follows the trace
    // switches, the math values the traces read are kept on the screen, and grounded
    // channels have their ground level measured. The drawing itself only reads.
    void PrepareScreen();

signals:
    // The front panel.
    void timeBaseChanged();
    void voltsPerDivChanged(Channel channel);
    void couplingChanged(Channel channel);
    void probeChanged(Channel channel);
    void positionChanged(Channel channel);
    void traceChanged(Channel channel);
    void channelControlsChanged(Channel channel);
    void triggerChanged();
    void runStateChanged();
    void translationChanged(); // the three translation buttons
    void windowRangeChanged(); // the RAM window label
    void stepChanged();
    void magnificationChanged();
    void presetApplied(Preset preset);
    // The panel's and the output commands' locks (Locks()) changed.
    void locksChanged();

    // The main window.
    void mathMenuChanged();
    void activationStarted();
    void communicationNoticeShown(bool shown);
    void soundRequested(const QString& fileName);
    // The first activation's box did not acknowledge: the run ends.
    void linkLost();
    // Reconnecting() changed: the link was lost, or is live again.
    void linkStateChanged();
    void linkNoticeChanged();
    void quitStarted();
    void terminateRequested();
    void settingsSaved();

    // The screen.
    void redrawRequested();

    // The spectrum analyser: the view switched on or off, and its lines or scale changed.
    void spectrumSwitched();
    void spectrumSettingsChanged();

    // The automatic measurements: a sweep was completed (after its redraw, which measures
    // the ground levels), and single shot changed.
    void sweepCompleted();
    void singleShotChanged();

private:
    ChannelSettings& Of(Channel channel) { return state.Of(channel); }
    void SetChannelControls(Channel channel, bool enabled);
    void SendPosition(Channel channel, int position);
    void AfterTranslation();
    void ApplyPresetValues();
    void SweepCompleted(const SweepExtremes& completed);
    // An exchange with the box began (true) or ended (false).
    void NoteExchange(bool underWay);
    void SetSingleShot(SingleShot next);
    // The pause of a caught sweep, after any exchange under way.
    void PauseOnCaughtSweep();
    // The channel's ground level is not known any more: a position change.
    void ForgetGround(Channel channel);
    void LinkFailure();
    // Makes and opens the link of a port; throws SerialError.
    std::unique_ptr<SerialLink> OpenLink(const QString& port);
    // Makes an open link the session's: the protocol's, its bytes framed, its loss heard.
    void AttachLink(std::unique_ptr<SerialLink> opened, const QString& port);
    // Lets go of the link (deleted once its handlers have returned).
    void DetachLink();
    // The link in use failed: the reason as the user reads it.
    void LoseLink(const QString& reason);
    void AcknowledgementLost();
    // One round of attempts while the link is lost: the port chosen, then the lost
    // adapter's lasting name. Returns the error of the first port when none could be
    // opened, otherwise nothing.
    QString TryToReconnect();
    // One attempt at a port; true when the box answered. Throws SerialError when the port
    // cannot be opened.
    bool Reconnect(const QString& port);
    // Brings a box just initialised to the state in force.
    void RestoreBox();
    void Supervise();
    // Whether the box should be sending now: live, acquiring, the trigger off, no single
    // shot armed.
    bool DataExpected() const;
    void RestartSilence();
    void CheckSilence();
    void SetLinkNotice(const QString& text);
    // A single shot waits for its sweep: the box may stay silent meanwhile.
    bool SingleShotArmed() const { return singleShot == SingleShot::Armed; }
    // Sets one lock; locksChanged when it changes.
    void SetLock(bool PanelLocks::*lock, bool value);
    void CommunicationTick();

    QString programFolder;
    QString settingsFolder;
    LinkFactory linkFactory;
    PersistedSettings settings;
    InstrumentSettings state;
    SampleTable samples;
    RamWindow ramWindow;
    PacketFramer framer;
    SampleDecoder decoder;
    MathMenuState mathMenu;
    std::array<bool, 2> controlsEnabled{};
    WeightingWindow weighting = WeightingWindow::Rectangular;
    bool showWindowEffect = false;
    std::optional<CompletedSweep> lastSweep;
    SpectrumSettings spectrum;

    int sweepStarts = 0;  // sweeps begun (a packet stored at the first point)
    int settledAfter = 0; // a sweep begun after this many counts; none during an exchange
    int sweepCount = 0;
    bool lastSweepCounts = false;
    // The channel's displayed codes come from a sweep taken in GND coupling since its last
    // position change: the ground level measured from them is a real one.
    std::array<bool, 2> groundSweepShown{};
    SingleShot singleShot = SingleShot::Off;
    bool pauseWhenIdle = false; // a caught sweep waits for the end of an exchange

    std::unique_ptr<SerialLink> link;
    CommandProtocol* protocol = nullptr;
    PanelLocks locks;
    bool settingsInMemory = false;
    bool linkActive = false;
    bool linkFailed = false;
    bool quitting = false;
    QTimer communicationTimer;
    int communicationTicks = 0;

    bool acknowledgedOnce = false; // the first handshake of the first activation answered
    bool reconnecting = false;     // the link is lost
    bool attempting = false;       // an attempt to reconnect is under way
    QString lossReason;
    QString linkNotice;
    QString linkPort;  // the port of the link in use, or of the one lost
    QString linkAlias; // its adapter's lasting name, if any
    QString aliasFolder = PortAliasFolder;
    TriggerSource boxTrigger = TriggerSource::Off; // the trigger the box was last told
    QTimer supervision;
    QElapsedTimer silence;       // since the last bytes, or since the box should send
    int timeBaseAtData = 0;      // the time base in force when bytes last came
    QElapsedTimer restoredSince; // "Liaison rétablie" shown since
    bool silenceShown = false;
};
