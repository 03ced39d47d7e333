#include "AppSupport.h"
#include "RecordingLink.h"
#include "TestTimings.h"
#include "app/MainWindow.h"
#include "core/Timings.h"
#include "dialogs/CommunicationWindow.h"
#include "dialogs/PortSelectionDialog.h"
#include "link/SimulatedBox.h"
#include "panel/FrontPanel.h"
#include "panel/TraceSwitch.h"
#include "panel/TranslationPanel.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QtTest>
#include <memory>

// The whole program with short waits, against the simulated box or a recording link:
// activation and its failures, the start-up restore, front-panel clicks as the box and
// the window show them, sweeps on the screen, coming back to the window and quitting.
class ActivationTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void activationWakesAndInitialises();
    void communicationNoticeShowsForTwoTicks();
    void restoreSendsTheSavedSettings_data();
    void restoreSendsTheSavedSettings();
    void silentBoxEndsTheProgram();
    void portThatCannotBeOpened();
    void activationSounds_data();
    void activationSounds();
    void exchangeShowsStatusAndProgress();
    void groundOnTriggerChannel();
    void pauseAndPlay();
    void translationLimits_data();
    void translationLimits();
    void sweepsReachTheScreen();
    void comingBackWhilePausedWeightsThenRedraws();
    void mathCommandsFollowTheTraces();
    void hintsReachTheStatusBar_data();
    void hintsReachTheStatusBar();
    void quitSendsTheFinalCommandOnce_data();
    void quitSendsTheFinalCommandOnce();

private:
    enum class LinkKind { Box, Recording, Machine };
    struct Options {
        LinkKind link = LinkKind::Box;
        bool silent = false;      // the link never raises DSR
        bool soundDevice = false; // the machine can play sounds
    };
    // Writes the settings file (line 1 "SIMULATEUR" and line 16 "1" unless given), starts
    // the main window, shows it and waits until it is active.
    void Start(const QList<QPair<int, QByteArray>>& lines, Options options);
    void Start(const QList<QPair<int, QByteArray>>& lines = {}) { Start(lines, Options()); }
    void Activate() { SurfacesOf(window.get()).MenuAction(Command::Activate)->trigger(); }
    // The commands the link received from the n-th on.
    QStringList CommandsAfter(int first) const;
    int CommandCount() const;
    QAbstractButton* Button(Region region, const QString& caption) const;
    QGroupBox* Group(Region region) const {
        return qobject_cast<QGroupBox*>(RegionOf(window.get(), region));
    }
    QImage ScreenImage() const;

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MessageCapture> messages;
    std::unique_ptr<TimingsGuard> timings;
    std::unique_ptr<MainWindow> window;
    SimulatedBox* box = nullptr;
    RecordingLink* link = nullptr;
    // What the box and the window did, in order: "write <command>", "play <file name>".
    QStringList events;
    QStringList played; // full paths of the sounds asked for
    std::function<void(const QByteArray&)> onWrite;
};

void ActivationTest::init() {
    folder = std::make_unique<ProgramFolder>();
    messages = std::make_unique<MessageCapture>();
    Timings quick = TimingsGuard::Quick();
    quick.splashTickMs = 1;
    quick.watchdogIntervalMs = 2; // a silent box is given up after 200 ms
    timings = std::make_unique<TimingsGuard>(quick);
    box = nullptr;
    link = nullptr;
    events.clear();
    played.clear();
    onWrite = nullptr;
}

void ActivationTest::cleanup() {
    onWrite = nullptr;
    messages->onMessage = nullptr;
    window.reset();
    const QStringList errors = messages->Errors();
    timings.reset();
    messages.reset();
    folder.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
}

void ActivationTest::Start(const QList<QPair<int, QByteArray>>& lines, Options options) {
    QList<QPair<int, QByteArray>> file{{1, "SIMULATEUR"}, {16, "1"}};
    file << lines;
    folder->WriteSettings(file);
    StartupEnvironment env;
    env.programFolder = folder->Path();
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = options.soundDevice;
    env.playSound = [this](const QString& path) {
        played << path;
        events << QStringLiteral("play ") + path.section(u'/', -1);
    };
    if (options.link == LinkKind::Box) {
        env.linkFactory = [this, options](const QString&) {
            auto made = std::make_unique<SimulatedBox>();
            made->SetAnswerDelay(1);
            made->SetSilent(options.silent);
            box = made.get();
            return made;
        };
    } else if (options.link == LinkKind::Recording) {
        env.linkFactory = [this, options](const QString&) {
            auto made = std::make_unique<RecordingLink>();
            made->silent = options.silent;
            made->onWrite = [this](const QByteArray& bytes) {
                events << QStringLiteral("write ") + QString::fromLatin1(bytes);
                if (onWrite)
                    onWrite(bytes);
            };
            link = made.get();
            return made;
        };
    }
    window = std::make_unique<MainWindow>(env);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

QStringList ActivationTest::CommandsAfter(int first) const {
    QStringList texts;
    if (box) {
        const auto& received = box->Commands();
        for (qsizetype i = first; i < received.size(); ++i)
            texts << QString::fromLatin1(received[i].text);
    } else if (link) {
        for (qsizetype i = first; i < link->writes.size(); ++i)
            texts << QString::fromLatin1(link->writes[i]);
    }
    return texts;
}

int ActivationTest::CommandCount() const {
    return int(CommandsAfter(0).size());
}

QAbstractButton* ActivationTest::Button(Region region, const QString& caption) const {
    QAbstractButton* b = ButtonIn(RegionOf(window.get(), region), caption);
    if (!b)
        qWarning("no button \"%s\"", qPrintable(caption));
    return b;
}

QImage ActivationTest::ScreenImage() const {
    auto* view = RegionOf(window.get(), Region::ScreenPanel)->findChild<ScreenView*>();
    return view ? view->Image() : QImage();
}

void ActivationTest::activationWakesAndInitialises() {
    Start();
    Activate();
    QVERIFY(SessionOf(window.get()).LinkActive());
    QCOMPARE(CommandsAfter(0), QStringList({"Z1", "?&"}));
    QVERIFY(box->Commands()[0].rtsHigh);  // the wake-up is written with RTS up
    QVERIFY(!box->Commands()[1].rtsHigh); // every other command with RTS down
    QVERIFY(box->Acquiring());
    // Channel A's controls work, channel B's stay locked until its trace is switched on.
    QVERIFY(Button(Region::ChannelA, QStringLiteral("DC"))->isEnabled());
    QVERIFY(!Button(Region::ChannelB, QStringLiteral("DC"))->isEnabled());
    QVERIFY(Button(Region::Trigger, QStringLiteral("OFF"))->isChecked());
    QVERIFY(Button(Region::Acquisition, QStringLiteral("Lecture"))->isChecked());
    QVERIFY(SessionOf(window.get()).State().channelA.traceOn);
    QVERIFY(!SessionOf(window.get()).State().channelB.traceOn);
    // Activation is done once; the port can no longer be changed; start-up parameters open.
    CommandSurfaces& s = SurfacesOf(window.get());
    QVERIFY(!s.IsEnabled(Command::Activate));
    QVERIFY(!s.ToolAction(Command::Activate)->isEnabled());
    QVERIFY(!s.PopupAction(Command::Activate)->isEnabled());
    QVERIFY(!s.IsEnabled(Command::ChoosePort));
    QVERIFY(!s.PopupAction(Command::ChoosePort)->isEnabled());
    QVERIFY(s.IsEnabled(Command::StartupParameters));
    QVERIFY(s.PopupAction(Command::StartupParameters)->isEnabled());
    QVERIFY(!s.IsEnabled(Command::Save));
    QVERIFY(!ScreenOf(window.get()).AnimationRunning());
}

void ActivationTest::communicationNoticeShowsForTwoTicks() {
    // The notice's timer is told apart by an interval no other timer has.
    Timings distinct = ProgramTimings();
    distinct.commWindowMs = 53;
    TimingsGuard guard(distinct);
    Start({}, {LinkKind::Recording});
    CommunicationWindow* notice = Part<CommunicationWindow>(window.get(), "communicationNotice");
    QStringList shownAtWrite;
    onWrite = [&](const QByteArray& bytes) {
        shownAtWrite << QString::fromLatin1(bytes) + (notice->isVisible()
                                                          ? QStringLiteral(" shown")
                                                          : QStringLiteral(" hidden"));
    };
    QList<bool> shownBeforeTick;
    TimerWatch noticeTicks([](const QTimer& t) { return t.interval() == 53; },
                           [&] { shownBeforeTick << notice->isVisible(); });
    TimerWatch splashTicks(IsSplashTimer);
    Activate();
    // Shown once the box has answered, before "?&" is written, and still there after.
    QCOMPARE(shownAtWrite, QStringList({"Z1 hidden", "?& shown"}));
    QVERIFY(notice->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!notice->isVisible(), 30000);
    QCOMPARE(shownBeforeTick, QList<bool>({true, true})); // hidden by the second tick
    // Its timer has stopped: no tick over more than two of its intervals (the splash timer
    // ticks every millisecond).
    const int splashBefore = splashTicks.Ticks();
    QTRY_VERIFY_WITH_TIMEOUT(splashTicks.Ticks() >= splashBefore + 120, 30000);
    QCOMPARE(noticeTicks.Ticks(), 2);
}

void ActivationTest::restoreSendsTheSavedSettings_data() {
    QTest::addColumn<QByteArray>("mask");
    QTest::addColumn<QByteArray>("couplingA");
    QTest::addColumn<QByteArray>("couplingB");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("nothing") << QByteArray("0") << QByteArray("3") << QByteArray("1")
                             << QStringList();
    QTest::newRow("everything") << QByteArray("63") << QByteArray("3") << QByteArray("1")
                                << QStringList({"T03&", "U&", "I&", "J&", "A4*&", "B5*&", "Q100#&",
                                                "R150#&"});
    QTest::newRow("couplings") << QByteArray("8") << QByteArray("2") << QByteArray("3")
                               << QStringList({"H&", "M&"});
    QTest::newRow("negative") << QByteArray("-1") << QByteArray("3") << QByteArray("1")
                              << QStringList();
}

void ActivationTest::restoreSendsTheSavedSettings() {
    QFETCH(QByteArray, mask);
    QFETCH(QByteArray, couplingA);
    QFETCH(QByteArray, couplingB);
    QFETCH(QStringList, expected);
    Start({{28, mask},
           {30, "100"},
           {31, "150"},
           {32, "9"},
           {33, "2"},
           {34, "VOIE_A_ON"},
           {35, "VOIE_B_ON"},
           {36, couplingA},
           {37, couplingB},
           {38, "4"},
           {39, "5"}});
    Activate();
    QCOMPARE(CommandsAfter(2), expected);
    const InstrumentSettings& state = SessionOf(window.get()).State();
    if (mask == "0") {
        // The activated preset: 0.1 ms/div, 1 V/div, GND, channel A on, B off, trigger OFF.
        QCOMPARE(state.timeBaseIndex, 12);
        QCOMPARE(state.channelA.voltsPerDivIndex, 3);
        QCOMPARE(state.channelA.coupling, Coupling::GND);
        QVERIFY(!state.channelB.traceOn);
        QCOMPARE(state.triggerSource, TriggerSource::Off);
    }
    if (mask == "63") {
        QCOMPARE(state.timeBaseIndex, 9);
        QCOMPARE(state.triggerSource, TriggerSource::ChannelA);
        QVERIFY(state.channelB.traceOn);
        QCOMPARE(state.channelA.voltsPerDivIndex, 4);
        QCOMPARE(state.channelB.verticalPosition, 150);
        // Channel B's controls came on with its trace.
        QVERIFY(Button(Region::ChannelB, QStringLiteral("DC"))->isEnabled());
        // The lines in force follow, in the file too.
        QCOMPARE(folder->SettingsLine(18), QByteArray("100"));
        QCOMPARE(folder->SettingsLine(20), QByteArray("9"));
        QCOMPARE(folder->SettingsLine(23), QByteArray("VOIE_B_ON"));
    }
}

void ActivationTest::silentBoxEndsTheProgram() {
    Start({{14, "SON_ON"}}, {LinkKind::Box, true, true});
    QCOMPARE(SessionOf(window.get()).Settings().Line(14), QStringLiteral("SON_ON"));
    QSignalSpy terminate(window.get(), &MainWindow::terminateRequested);
    QSignalSpy notice(&SessionOf(window.get()), &Instrument::communicationNoticeShown);
    // The progress bar during the wait: position, shown, range.
    QStringList progress;
    QProgressBar* bar = Part<QProgressBar>(window.get(), "progressBar");
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
        if (value > 0)
            progress << QStringLiteral("%1 %2 %3..%4")
                            .arg(value)
                            .arg(bar->isVisible() ? "shown" : "hidden")
                            .arg(bar->minimum())
                            .arg(bar->maximum());
    });
    Activate();
    QVERIFY(SessionOf(window.get()).LinkFailed());
    QVERIFY(!SessionOf(window.get()).LinkActive());
    QCOMPARE(terminate.size(), 1);
    QCOMPARE(
        messages->texts,
        QStringList(QStringLiteral(
            "Avertissement:                Erreur de communication !!!\n\r\n\r      Le logiciel de "
            "l'oscilloscope doit s'arrêter.\n\rCliquez sur Ok et patientez quelques secondes...")));
    // Sounds go off in memory; the file keeps its line until the next save.
    QCOMPARE(SessionOf(window.get()).Settings().Line(14), QStringLiteral("SON_OFF"));
    QCOMPARE(folder->SettingsLine(14), QByteArray("SON_ON"));
    QCOMPARE(Part<QLabel>(window.get(), "statusPanel1")->text(),
             QStringLiteral(" Echec de la communication série...             "));
    // The progress bar filled in 100 steps, then went away.
    QCOMPARE(progress.size(), 100);
    for (int i = 0; i < 100; ++i)
        QCOMPARE(progress[i], QStringLiteral("%1 shown 0..100").arg(i + 1));
    QVERIFY(!bar->isVisible());
    // No "?&" was sent, no sound played, and the notice never showed.
    QCOMPARE(CommandsAfter(0), QStringList({"Z1"}));
    QCOMPARE(played, QStringList(folder->Path() + QStringLiteral("accueil.wav")));
    QCOMPARE(notice.size(), 0);
    QVERIFY(!Part<CommunicationWindow>(window.get(), "communicationNotice")->isVisible());
}

void ActivationTest::portThatCannotBeOpened() {
    // No link factory: the ports of the machine, where this one does not exist.
    Start({{1, "ttyOSCABSENT"}}, {LinkKind::Machine});
    Activate();
    QCOMPARE(messages->texts,
             QStringList(QStringLiteral("Erreur: Unable to open com port (linux error code: 2 - "
                                        "No such file or directory)")));
    messages->texts.clear();
    // Nothing changed: the link is still to be activated, on another port if need be.
    CommandSurfaces& s = SurfacesOf(window.get());
    QVERIFY(!SessionOf(window.get()).LinkActive());
    QVERIFY(s.MenuAction(Command::Activate)->isEnabled());
    QVERIFY(s.PopupAction(Command::Activate)->isEnabled());
    QVERIFY(s.ToolAction(Command::Activate)->isEnabled());
    QVERIFY(s.MenuAction(Command::ChoosePort)->isEnabled());
    QVERIFY(s.PopupAction(Command::ChoosePort)->isEnabled());
    QVERIFY(!s.IsEnabled(Command::StartupParameters));
    QVERIFY(ScreenOf(window.get()).AnimationRunning());
    QVERIFY(!Group(Region::TimeBase)->isEnabled());

    // The user picks the simulated box and tries again.
    s.MenuAction(Command::ChoosePort)->trigger();
    PortSelectionDialog* dialog = Part<PortSelectionDialog>(window.get(), "portDialog");
    QVERIFY(dialog->isVisible());
    const int simulated = dialog->PortList()->findText(QStringLiteral("SIMULATEUR"));
    QVERIFY(simulated >= 0);
    emit dialog->PortList()->activated(simulated); // what a pick from the list sends
    ButtonIn(dialog, QStringLiteral("OK"))->click();
    QVERIFY(!dialog->isVisible());
    Activate();
    QVERIFY(SessionOf(window.get()).LinkActive());
    box = qobject_cast<SimulatedBox*>(SessionOf(window.get()).Link());
    QVERIFY(box);
    QCOMPARE(CommandsAfter(0), QStringList({"Z1", "?&"}));
    QVERIFY(!s.IsEnabled(Command::Activate));
}

void ActivationTest::activationSounds_data() {
    QTest::addColumn<bool>("device");
    QTest::addColumn<QByteArray>("sound");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QStringList>("expected");
    // After activation the about box asks for its sound: still heard after a normal
    // activation, silent once the link has failed.
    QTest::newRow("sounds on") << true << QByteArray("SON_ON") << false
                               << QStringList(
                                      {"write Z1", "play open.wav", "write ?&", "play id46.wav"});
    QTest::newRow("sounds off") << true << QByteArray("SON_OFF") << false
                                << QStringList({"write Z1", "write ?&"});
    QTest::newRow("no sound device")
        << false << QByteArray("SON_ON") << false << QStringList({"write Z1", "write ?&"});
    QTest::newRow("box silent") << true << QByteArray("SON_ON") << true
                                << QStringList({"write Z1"});
}

void ActivationTest::activationSounds() {
    QFETCH(bool, device);
    QFETCH(QByteArray, sound);
    QFETCH(bool, silent);
    Start({{14, sound}}, {LinkKind::Recording, silent, device});
    events.clear(); // the sound of start-up
    Activate();
    window->PlaySound(QStringLiteral("id46.wav"));
    QTEST(events, "expected");
    if (silent) {
        QCOMPARE(SessionOf(window.get()).Settings().Line(14), QStringLiteral("SON_OFF"));
        messages->texts.clear(); // the failure message, pinned by silentBoxEndsTheProgram
    }
}

void ActivationTest::exchangeShowsStatusAndProgress() {
    Start({}, {LinkKind::Recording});
    Activate();
    QCOMPARE(Part<QLabel>(window.get(), "statusPanel1")->text(), QString(48, u' '));

    // The box takes three watchdog ticks to answer the next command.
    link->silent = true;
    QStringList progress;
    QProgressBar* bar = Part<QProgressBar>(window.get(), "progressBar");
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
        if (value <= 0)
            return;
        progress << QStringLiteral("%1 %2 %3..%4")
                        .arg(value)
                        .arg(bar->isVisible() ? "shown" : "hidden")
                        .arg(bar->minimum())
                        .arg(bar->maximum());
        if (value == 3) {
            link->silent = false;
            emit link->dsrChanged(true);
        }
    });
    // What the window shows while the command is written.
    const QList<Region> groups = {Region::TimeBase, Region::ChannelA,    Region::ChannelB,
                                  Region::Trigger,  Region::Translation, Region::Acquisition};
    QStringList atWrite;
    QLabel* status = Part<QLabel>(window.get(), "statusPanel1");
    onWrite = [&](const QByteArray&) {
        atWrite << status->text();
        // The whole text is seen: the panel is at least as wide as the label needs.
        if (status->sizeHint().width() > status->width())
            atWrite << QStringLiteral("status cut: %1 of %2 pixels")
                           .arg(status->width())
                           .arg(status->sizeHint().width());
        for (Region r : groups)
            if (Group(r)->isEnabled())
                atWrite << Group(r)->title() + QStringLiteral(" enabled");
        atWrite << (bar->isVisible() ? QStringLiteral("progress shown")
                                     : QStringLiteral("progress hidden"));
        for (Channel c : {Channel::A, Channel::B})
            if (!PanelOf(window.get()).TraceSwitchOf(c).isEnabled())
                atWrite << QStringLiteral("trace switch disabled");
    };
    Button(Region::ChannelA, QStringLiteral("DC"))->click();
    QCOMPARE(CommandsAfter(2), QStringList({"I&"}));
    QCOMPARE(progress, QStringList({"1 shown 0..100", "2 shown 0..100", "3 shown 0..100"}));
    QCOMPARE(atWrite,
             QStringList({" Transfert de la commande en cours. Patientez...", "progress hidden"}));
    // After the exchange: the panel cleared with 48 blanks, every group back on.
    QCOMPARE(Part<QLabel>(window.get(), "statusPanel1")->text(), QString(48, u' '));
    for (Region r : groups)
        QVERIFY2(Group(r)->isEnabled(), qPrintable(Group(r)->title()));
    QVERIFY(!bar->isVisible());
}

void ActivationTest::groundOnTriggerChannel() {
    Start();
    Activate();
    TraceSwitch& traceB = PanelOf(window.get()).TraceSwitchOf(Channel::B);
    QTest::mouseClick(&traceB, Qt::LeftButton);
    QVERIFY(SessionOf(window.get()).State().channelB.traceOn);
    Button(Region::ChannelB, QStringLiteral("DC"))->click();
    Button(Region::Trigger, QStringLiteral("VOIE A"))->click();
    const int before = CommandCount();
    // GND on channel B sends its coupling command only; the trigger shows OFF while it
    // stays armed.
    Button(Region::ChannelB, QStringLiteral("GND"))->click();
    QCOMPARE(CommandsAfter(before), QStringList({"K&"}));
    QCOMPARE(SessionOf(window.get()).State().triggerSource, TriggerSource::Off);
    QVERIFY(SessionOf(window.get()).State().triggerArmed);
    QVERIFY(Button(Region::Trigger, QStringLiteral("OFF"))->isChecked());
}

void ActivationTest::pauseAndPlay() {
    Start();
    Activate();
    CommandSurfaces& s = SurfacesOf(window.get());
    // The hints of the save, copy and print-preview tool buttons, tooltip and status text.
    const auto hints = [&s] {
        QStringList shown;
        for (Command c : {Command::Save, Command::Copy, Command::PrintPreview})
            shown << s.ToolAction(c)->toolTip() + QStringLiteral(" | ") +
                         s.ToolAction(c)->statusTip();
        return shown;
    };
    const QStringList hintsOn = {
        "Sauvegarder | Sauvegarder l'oscillogramme dans la format image BMP...",
        "Copier | Copier l'oscillogramme dans la presse papier...",
        "Aperçu impression | Aperçu et dimensionnement de l'oscillogramme avant impression..."};
    const QStringList hintsOff = {" | ", " | ", " | "};
    const QList<Region> locked = {Region::TimeBase, Region::ChannelA, Region::ChannelB,
                                  Region::Trigger};
    const int before = CommandCount();

    Button(Region::Acquisition, QStringLiteral("Pause"))->click();
    QVERIFY(!SessionOf(window.get()).State().running);
    QVERIFY(!box->Settings().running);
    QVERIFY(s.IsEnabled(Command::Save));
    QVERIFY(s.IsEnabled(Command::ExportSamples));
    QVERIFY(s.ToolAction(Command::Copy)->isEnabled());
    QVERIFY(s.PopupAction(Command::PrintPreview)->isEnabled());
    QCOMPARE(hints(), hintsOn);
    // The groups of the instrument settings are off as a whole, captions included; the
    // acquisition and translation groups and the trace switches stay usable.
    for (Region r : locked)
        QVERIFY2(!Group(r)->isEnabled(), qPrintable(Group(r)->title()));
    QVERIFY(Group(Region::Acquisition)->isEnabled());
    QVERIFY(Group(Region::Translation)->isEnabled());
    QVERIFY(PanelOf(window.get()).TraceSwitchOf(Channel::A).isEnabled());
    QVERIFY(PanelOf(window.get()).TraceSwitchOf(Channel::B).isEnabled());

    Button(Region::Acquisition, QStringLiteral("Lecture"))->click();
    QVERIFY(SessionOf(window.get()).State().running);
    QVERIFY(!s.IsEnabled(Command::Save));
    QVERIFY(!s.IsEnabled(Command::ExportSamples));
    QVERIFY(!s.ToolAction(Command::Copy)->isEnabled());
    QCOMPARE(hints(), hintsOff);
    for (Region r : locked)
        QVERIFY2(Group(r)->isEnabled(), qPrintable(Group(r)->title()));
    QVERIFY(Button(Region::TimeBase, QStringLiteral("1"))->isEnabled());

    Button(Region::Acquisition, QStringLiteral("Pause"))->click();
    QCOMPARE(hints(), hintsOn);
    QCOMPARE(CommandsAfter(before), QStringList({"P&", "L&", "P&"}));
}

void ActivationTest::translationLimits_data() {
    // Presses are "step|button": the step choice clicked first (none when empty), then the
    // button. The setup brings the window where the case starts.
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QList<int>>("startsAtMessage"); // the start while the message shows
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("buttons"); // "<", "> | <" and ">" enabled (1) or not (0)

    const QStringList to1740 = {"10 C|>", "|>", "|>", "|>", "|>", "5 C|>", "3 C|>"};
    QTest::newRow("upper limit") << to1740 << false << QStringList({"0.1 C|>", "|>", "|>"})
                                 << QStringList({"d1743#&", "d1746#&", "d1747#&"})
                                 << QList<int>({1749}) << 1747 << "Echantillons RAM: de 1747 à 2047"
                                 << "110";
    QTest::newRow("reaching 1747 exactly")
        << to1740 + QStringList({"0.1 C|>", "|>", "|>", "1 C|<"}) << false << QStringList({"|>"})
        << QStringList({"d1747#&"}) << QList<int>({1747}) << 1747
        << "Echantillons RAM: de 1747 à 2047"
        << "110";
    QTest::newRow("left stops at zero")
        << QStringList({"0.6 C|>"}) << false << QStringList({"1 C|<"}) << QStringList({"g0#&"})
        << QList<int>() << 0 << "Echantillons RAM: de 0 à 300"
        << "001";
    QTest::newRow("back to the start")
        << QStringList({"10 C|>"}) << false << QStringList({"|> | <"}) << QStringList({"c0#&"})
        << QList<int>() << 0 << "Echantillons RAM: de 0 à 300"
        << "001";
    QTest::newRow("while paused") << QStringList() << true << QStringList({"0.2 C|>", "|>", "|<"})
                                  << QStringList({"d6#&", "d12#&", "g6#&"}) << QList<int>() << 6
                                  << "Echantillons RAM: de 6 à 306"
                                  << "111";
}

void ActivationTest::translationLimits() {
    QFETCH(QStringList, setup);
    QFETCH(bool, paused);
    QFETCH(QStringList, presses);
    QFETCH(QList<int>, startsAtMessage);
    QFETCH(QString, buttons);
    Start();
    Activate();
    const auto press = [this](const QString& entry) {
        const QString step = entry.section(u'|', 0, 0);
        if (!step.isEmpty())
            Button(Region::Translation, step)->click();
        Button(Region::Translation, entry.mid(entry.indexOf(u'|') + 1))->click();
    };
    for (const QString& entry : setup)
        press(entry);
    if (paused)
        Button(Region::Acquisition, QStringLiteral("Pause"))->click();
    messages->texts.clear();
    QList<int> starts;
    messages->onMessage = [&](Messages::Kind, const QString&) {
        starts << SessionOf(window.get()).Ram().Start();
    };
    const int before = CommandCount();
    for (const QString& entry : presses)
        press(entry);
    messages->onMessage = nullptr;

    QTEST(CommandsAfter(before), "commands");
    QCOMPARE(starts, startsAtMessage);
    QCOMPARE(messages->texts,
             QStringList(startsAtMessage.size(),
                         QStringLiteral("Information:                Dernière  translation...\r\n"
                                        "Vous avez atteint la limite supérieure de la RAM !")));
    messages->texts.clear();
    QTEST(SessionOf(window.get()).Ram().Start(), "start");
    QTEST(box->Settings().windowStart, "start");
    QTEST(PanelOf(window.get()).Translation().RangeLabel()->text(), "range");
    QString enabled;
    for (const char* caption : {"<", "> | <", ">"})
        enabled +=
            Button(Region::Translation, QString::fromLatin1(caption))->isEnabled() ? u'1' : u'0';
    QCOMPARE(enabled, buttons);
    // While paused the instrument settings stay locked after each move.
    for (Region r : {Region::TimeBase, Region::ChannelA, Region::ChannelB, Region::Trigger})
        QCOMPARE(Group(r)->isEnabled(), !paused);
}

void ActivationTest::sweepsReachTheScreen() {
    Start({{10, "32768"}}); // channel A in green (0, 128, 0)
    Activate();
    Button(Region::ChannelA, QStringLiteral("DC"))->click();
    QSignalSpy redraws(&ScreenOf(window.get()), &ScreenController::redrawn);
    const int sweeps = box->SweepsSent();
    QTRY_VERIFY_WITH_TIMEOUT(box->SweepsSent() >= sweeps + 2, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(redraws.size() >= 2, 30000);
    // The box's 1 kHz sine of 2 V peak at 1 V/div and 0.1 ms/div: one period across the
    // screen, 64 codes either side of the centre (y 160).
    const QImage screen = ScreenImage();
    QCOMPARE(screen.size(), QSize(640, 320));
    int top = 320;
    int bottom = 0;
    QSet<int> columns;
    for (int y = 33; y < 288; ++y)
        for (int x = 21; x < 620; ++x)
            if (screen.pixelColor(x, y) == QColor(0, 128, 0)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                columns.insert(x);
            }
    QVERIFY2(top <= 100 && bottom >= 220,
             qPrintable(QStringLiteral("%1..%2").arg(top).arg(bottom)));
    QVERIFY2(columns.size() > 500, qPrintable(QString::number(columns.size())));
}

void ActivationTest::comingBackWhilePausedWeightsThenRedraws() {
    Start({{10, "255"}}, {LinkKind::Recording}); // channel A in red
    Activate();
    const QColor red(255, 0, 0);
    // A flat sweep at code 200 (y 88) is shown; channel A's trace is switched off, and the
    // next sweep, at code 60 (y 228), is stored but not displayed.
    link->Receive(FlatSweep(200, 128));
    QCOMPARE(ScreenImage().pixelColor(320, 88), red);
    TraceSwitch& traceA = PanelOf(window.get()).TraceSwitchOf(Channel::A);
    QTest::mouseClick(&traceA, Qt::LeftButton);
    link->Receive(FlatSweep(60, 128));
    Button(Region::Acquisition, QStringLiteral("Pause"))->click();
    QTest::mouseClick(&traceA, Qt::LeftButton); // the switch works while paused
    QVERIFY(SessionOf(window.get()).State().channelA.traceOn);
    QCOMPARE(ScreenImage().pixelColor(320, 88), red);
    QVERIFY(ScreenImage().pixelColor(320, 228) != red);

    // Coming back to the window weights the frozen sweep and shows it.
    QSignalSpy redraws(&ScreenOf(window.get()), &ScreenController::redrawn);
    window->MainWindowActivated();
    QCOMPARE(redraws.size(), 2);
    QCOMPARE(ScreenImage().pixelColor(320, 228), red);
    QVERIFY(ScreenImage().pixelColor(320, 88) != red);
    QVERIFY(!ScreenOf(window.get()).AnimationRunning()); // the link is active

    // While the acquisition runs, one redraw.
    Button(Region::Acquisition, QStringLiteral("Lecture"))->click();
    redraws.clear();
    window->MainWindowActivated();
    QCOMPARE(redraws.size(), 1);
}

void ActivationTest::mathCommandsFollowTheTraces() {
    Start({}, {LinkKind::Recording});
    Activate();
    CommandSurfaces& s = SurfacesOf(window.get());
    TraceSwitch& traceB = PanelOf(window.get()).TraceSwitchOf(Channel::B);
    // Channel B's trace is off: no mode but "Pas de Math", no hints on the buttons.
    QVERIFY(s.MenuAction(Command::MathNone)->isChecked());
    QVERIFY(s.MenuAction(Command::MathNone)->isEnabled());
    for (Command c : {Command::MathSum, Command::MathDifference, Command::MathXY}) {
        QVERIFY(!s.MenuAction(c)->isEnabled());
        QVERIFY(!s.ToolAction(c)->isEnabled());
        QCOMPARE(s.ToolAction(c)->toolTip(), QString());
    }
    QVERIFY(!s.ToolAction(Command::MathNone)->isEnabled());

    // Both traces on: the modes and their hints come with the redraw.
    QTest::mouseClick(&traceB, Qt::LeftButton);
    for (Command c : {Command::MathSum, Command::MathDifference, Command::MathXY}) {
        QVERIFY(s.MenuAction(c)->isEnabled());
        QVERIFY(s.ToolAction(c)->isEnabled());
    }
    QVERIFY(!s.ToolAction(Command::MathNone)->isEnabled()); // no mode to leave yet
    QCOMPARE(s.ToolAction(Command::MathSum)->toolTip(), QStringLiteral("Voie A + Voie B"));
    QCOMPARE(s.ToolAction(Command::MathSum)->statusTip(),
             QStringLiteral("Activer la fonction mathématique : Voie A + Voie B..."));
    QCOMPARE(s.ToolAction(Command::MathNone)->toolTip(), QStringLiteral("Pas de Math"));

    // The tool button chooses its mode as the menu item would.
    s.ToolAction(Command::MathXY)->trigger();
    QCOMPARE(SessionOf(window.get()).State().mathMode, MathMode::XY);
    QVERIFY(s.MenuAction(Command::MathXY)->isChecked());
    QVERIFY(!s.MenuAction(Command::MathNone)->isChecked());
    QVERIFY(s.ToolAction(Command::MathNone)->isEnabled());

    // A trace switched off brings back no math, checked, and takes the hints away.
    QTest::mouseClick(&traceB, Qt::LeftButton);
    QCOMPARE(SessionOf(window.get()).State().mathMode, MathMode::None);
    QVERIFY(s.MenuAction(Command::MathNone)->isChecked());
    QVERIFY(!s.MenuAction(Command::MathXY)->isChecked());
    QVERIFY(!s.ToolAction(Command::MathXY)->isEnabled());
    QCOMPARE(s.ToolAction(Command::MathSum)->toolTip(), QString());
}

void ActivationTest::hintsReachTheStatusBar_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("hint");
    QTest::newRow("trace switch A") << "A"
                                    << "ON/OFF Trace VOIE A";
    QTest::newRow("trace switch B") << "B"
                                    << "ON/OFF Trace VOIE B";
    QTest::newRow("Lecture") << "Lecture"
                             << "Activer l'acquisition des traces";
}

void ActivationTest::hintsReachTheStatusBar() {
    QFETCH(QString, control);
    QFETCH(QString, hint);
    Start();
    Activate();
    QWidget* widget = control == QStringLiteral("A")
                          ? static_cast<QWidget*>(&PanelOf(window.get()).TraceSwitchOf(Channel::A))
                      : control == QStringLiteral("B")
                          ? static_cast<QWidget*>(&PanelOf(window.get()).TraceSwitchOf(Channel::B))
                          : Button(Region::Acquisition, control);
    QVERIFY(widget->isEnabled());
    // The mouse comes over the control, then leaves it.
    const QPointF inside(widget->rect().center());
    QEnterEvent enter(inside, widget->mapTo(window.get(), inside), widget->mapToGlobal(inside));
    QCoreApplication::sendEvent(widget, &enter);
    QCOMPARE(Part<QLabel>(window.get(), "statusPanel0")->text(), hint);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
    QCOMPARE(Part<QLabel>(window.get(), "statusPanel0")->text(), QString());
}

void ActivationTest::quitSendsTheFinalCommandOnce_data() {
    QTest::addColumn<bool>("duringExchange");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("between commands") << false << QStringList({"F&"});
    QTest::newRow("during an exchange") << true << QStringList({"I&", "F&"});
}

void ActivationTest::quitSendsTheFinalCommandOnce() {
    QFETCH(bool, duringExchange);
    Start({}, {LinkKind::Recording});
    Activate();
    QSignalSpy terminate(window.get(), &MainWindow::terminateRequested);
    const int before = CommandCount();
    if (duringExchange) {
        // The user quits while the box has not yet acknowledged the next command; the box
        // answers right after.
        link->silent = true;
        bool quitAsked = false;
        connect(Part<QProgressBar>(window.get(), "progressBar"), &QProgressBar::valueChanged,
                window.get(), [this, &quitAsked](int value) {
                    if (value != 1 || quitAsked)
                        return;
                    quitAsked = true;
                    SurfacesOf(window.get()).MenuAction(Command::Quit)->trigger();
                    link->silent = false;
                    emit link->dsrChanged(true);
                });
        Button(Region::ChannelA, QStringLiteral("DC"))->click();
        QVERIFY(quitAsked);
    } else {
        SurfacesOf(window.get()).MenuAction(Command::Quit)->trigger();
    }
    window->close(); // the close box after the menu: still one "F&"
    QTRY_COMPARE_WITH_TIMEOUT(terminate.size(), 1, 30000);
    QTEST(CommandsAfter(before), "expected");
    QVERIFY(!SessionOf(window.get()).LinkActive());
}

QTEST_MAIN(ActivationTest)
#include "tst_activation.moc"
