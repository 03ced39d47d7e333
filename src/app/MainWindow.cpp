#include "app/MainWindow.h"

#include "app/ErrorGuard.h"
#include "app/Messages.h"
#include "app/SettingsFile.h"
#include "app/SoundPlayer.h"
#include "app/Timings.h"
#include "dialogs/HelpViewer.h"
#include "dialogs/SplashWindow.h"
#include "link/CommandProtocol.h"
#include "link/CommunicationWindow.h"
#include "link/PortSelectionDialog.h"
#include "link/SampleTableView.h"
#include "link/SerialLink.h"
#include "panel/ChannelPanel.h"
#include "panel/FrontPanel.h"
#include "panel/StartupRestore.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"
#include "screen/TraceSwitch.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>

#include "spectrum/WeightingWindow.h"

namespace {

const QString MainCaption = QStringLiteral("Oscilloscope Numérique à mémoire v1.7");

struct RegionRow {
    Region region;
    const char* caption; // group box caption; null for a plain panel
    QRect geometry;      // in the client area
    bool visibleAtStart;
};

// clang-format off
const RegionRow RegionTable[] = {
    {Region::ScreenPanel,   nullptr,                                      {8, 32, 662, 341},   true},
    {Region::SpectrumPanel, nullptr,                                      {8, 32, 662, 341},   false},
    {Region::TimeBase,      " Time/Div : ",                               {672, 25, 289, 297}, true},
    {Region::Magnifier,     nullptr,                                      {848, 46, 98, 29},   true},
    {Region::Acquisition,   " Acquisition des traces : ",                 {672, 328, 289, 50}, true},
    {Region::Trigger,       " Sélection du Trigger : ",                   {672, 383, 289, 121}, true},
    {Region::Translation,   " Translation des traces (C = Carreaux) : ",  {672, 510, 289, 145}, true},
    {Region::SampleGrid,    nullptr,                                      {664, 384, 297, 273}, false},
    {Region::ChannelA,      " Volts/Div VOIE A (Axe X) : ",               {16, 374, 297, 281}, true},
    {Region::ChannelB,      " Volts/Div VOIE B (Axe Y) : ",               {360, 374, 297, 281}, true},
    {Region::CentreColumn,  nullptr,                                      {313, 380, 47, 270}, true},
};
// clang-format on

QString ExecutableFolder() {
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QSize PrimaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

} // namespace

MainWindow::MainWindow(const StartupEnvironment& environment, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    ErrorGuard::SetParentWindow(this);
    sounds = new SoundPlayer(this);
    linkFactory = environment.linkFactory;
    programFolder =
        environment.programFolder.isEmpty() ? ExecutableFolder() : environment.programFolder;
    if (!programFolder.endsWith(u'/'))
        programFolder += u'/';

    splashTimer = new QTimer(this);
    splashTimer->setInterval(ProgramTimings().splashTickMs);
    communicationTimer = new QTimer(this);
    connect(communicationTimer, &QTimer::timeout, this,
            [this] { Guarded([&] { CommunicationTick(); }); });

    BuildClientArea();
    surfaces = new CommandSurfaces(menuBar(), toolBar, this);
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    connect(surfaces, &CommandSurfaces::triggered, this,
            [this](Command c) { Guarded([&] { RunCommand(c); }); });
    BuildScreenAndPanel();

    communication = new CommunicationWindow;
    portDialog = new PortSelectionDialog(this, *this);
    help = new HelpViewer(programFolder);
    connect(portDialog, &PortSelectionDialog::helpRequested, this,
            [this](const QString& topic) { Guarded([&] { ShowHelpTopic(topic); }); });
    // F1 opens the contents of the help.
    auto* contents = new QShortcut(QKeySequence::HelpContents, this);
    connect(contents, &QShortcut::activated, this,
            [this] { Guarded([&] { help->ShowContents(); }); });
    connect(this, &MainWindow::portSelectionRequested, portDialog, &PortSelectionDialog::ShowOnTop);
    splash = new SplashWindow(programFolder);
    connect(splashTimer, &QTimer::timeout, splash, &SplashWindow::Tick);
    splashTimer->start();

    StartupSequence(environment);
}

MainWindow::~MainWindow() {
    delete splash;
    delete communication;
    delete help;
}

void MainWindow::BuildClientArea() {
    client = new QWidget(this);
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);

    toolBar = new QToolBar(client);
    toolBar->setGeometry(0, 0, ClientWidth, 26);
    toolBar->setIconSize(QSize(20, 20));
    toolBar->setMovable(false);

    for (const RegionRow& row : RegionTable) {
        QWidget* w = nullptr;
        if (row.caption)
            w = new QGroupBox(QString::fromUtf8(row.caption), client);
        else
            w = new QFrame(client);
        w->setObjectName(QStringLiteral("region%1").arg(static_cast<int>(row.region)));
        w->setGeometry(row.geometry);
        w->setVisible(row.visibleAtStart);
        regions[static_cast<int>(row.region)] = w;
    }
    auto* screenPanel = static_cast<QFrame*>(RegionWidget(Region::ScreenPanel));
    screenPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // The magnifier sits over the time base group.
    RegionWidget(Region::Magnifier)->raise();

    BuildStatusBar();
}

void MainWindow::BuildStatusBar() {
    statusBar = new QStatusBar(client);
    statusBar->setGeometry(0, 655, ClientWidth, 21);
    statusBar->setSizeGripEnabled(false);
    const int widths[] = {550, 250, 100};
    for (int i = 0; i < 3; ++i) {
        statusPanels[i] = new QLabel(statusBar);
        statusPanels[i]->setFixedWidth(widths[i]);
        statusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar->addWidget(statusPanels[i]);
    }
    progress = new QProgressBar(client);
    progress->setGeometry(805, 659, 156, 14);
    progress->setTextVisible(false);
    progress->hide();
}

void MainWindow::BuildScreenAndPanel() {
    screenView = new ScreenView(RegionWidget(Region::ScreenPanel));
    screenView->move(8, 8);
    screen = new ScreenController(*this, *screenView, this);
    ScreenSources sources;
    sources.magnification = [this] { return ramWindow.Magnification(); };
    sources.ramWindowStart = [this] { return ramWindow.Start(); };
    sources.sumOffset = [this] { return decoder.SumOffset(); };
    sources.differenceOffset = [this] { return decoder.DifferenceOffset(); };
    screen->SetSources(sources);
    screen->BindMathActions(
        {surfaces->MenuAction(Command::MathNone), surfaces->MenuAction(Command::MathSum),
         surfaces->MenuAction(Command::MathDifference), surfaces->MenuAction(Command::MathXY)},
        {surfaces->ToolAction(Command::MathNone), surfaces->ToolAction(Command::MathSum),
         surfaces->ToolAction(Command::MathDifference), surfaces->ToolAction(Command::MathXY)});

    FrontPanelHosts hosts;
    hosts.timeBase = RegionWidget(Region::TimeBase);
    hosts.channelA = RegionWidget(Region::ChannelA);
    hosts.channelB = RegionWidget(Region::ChannelB);
    hosts.trigger = RegionWidget(Region::Trigger);
    hosts.acquisition = RegionWidget(Region::Acquisition);
    hosts.translation = RegionWidget(Region::Translation);
    hosts.magnifier = RegionWidget(Region::Magnifier);
    frontPanel = new FrontPanel(*this, ramWindow, hosts, this);
    frontPanel->SetToolHintSetter([this](PresetToolButton button, const QString& hint) {
        static constexpr Command commands[] = {
            Command::Quit, Command::Activate, Command::Graticule,   Command::Colours,
            Command::Save, Command::Copy,     Command::PrintPreview};
        surfaces->SetToolHint(commands[static_cast<int>(button)], hint);
    });
    connect(frontPanel, &FrontPanel::outputCommandsEnabled, this,
            [this](bool enabled) { SetOutputCommandsEnabled(enabled); });
    for (Channel c : {Channel::A, Channel::B}) {
        auto* traceSwitch = new TraceSwitch(nullptr, *this, c);
        frontPanel->ChannelOf(c).PlaceTraceSwitch(
            traceSwitch, [traceSwitch](bool on) { traceSwitch->SetOn(on); });
        screen->ConnectTraceSwitch(traceSwitch);
    }
    connect(screen, &ScreenController::ChannelControlsEnabled, frontPanel,
            [this](Channel c, bool) { frontPanel->RefreshChannelControls(c); });

    tableView = new SampleTableView(RegionWidget(Region::SampleGrid), *this);
    tableView->setGeometry(RegionWidget(Region::SampleGrid)->rect());
    tableView->show(); // seen whenever its region is
}

void MainWindow::StartupSequence(const StartupEnvironment& environment) {
    // Each step runs on its own: a step that fails is reported and start-up goes on, so
    // the program always reaches a complete initial state.
    settingsPath = programFolder + QString::fromLatin1(SettingsFile::FileName);

    settings = SettingsFile::Load(settingsPath);

    const bool soundDevice = environment.soundDevice.value_or(SoundPlayer::HasOutputDevice());
    if (soundDevice) {
        settings.SetLine(SettingsLine::SoundDevice, QStringLiteral("CARTE_SON_ON"));
    } else {
        settings.SetLine(SettingsLine::Sound, QStringLiteral("SON_OFF"));
        settings.SetLine(SettingsLine::SoundDevice, QStringLiteral("CARTE_SON_OFF"));
    }

    settings.SetLine(SettingsLine::ProgramFolder, programFolder);
    Guarded([&] { SaveSettings(); });

    Guarded([&] { PlaySound(QStringLiteral("accueil.wav")); });

    screen->StopClock();

    const QSize screenSize = environment.screenSize.value_or(PrimaryScreenSize());
    splash->ShowExpanding(screenSize, 1000);
    splash->SetResolutionLine(QStringLiteral("Votre résolution graphique est de %1 x %2")
                                  .arg(screenSize.width())
                                  .arg(screenSize.height()));

    if (screenSize.width() < 1024 || screenSize.height() < 768) {
        QApplication::beep();
        const QString br = QStringLiteral("\n\r");
        Messages::Show(
            Messages::Kind::Error,
            QStringLiteral("Désolé, votre résolution d'affichage de %1 x %2")
                    .arg(screenSize.width())
                    .arg(screenSize.height()) +
                br + QStringLiteral(" ne permet pas un affichage correct du programme.") + br + br +
                QStringLiteral(" Augmentez la résoltion de votre carte graphique...") + br + br +
                QStringLiteral("         (Résolution minimale 1024 x 768)"),
            splash);
        serve = false;
        emit terminateRequested();
    } else {
        splash->SetSplashCounter(0);
        QEventLoop wait;
        const auto connection =
            connect(splash, &SplashWindow::counterChanged, &wait, [&](int count) {
                if (count >= SplashWindow::EndCount)
                    wait.quit();
            });
        if (splash->SplashCounter() < SplashWindow::EndCount)
            wait.exec();
        disconnect(connection);
    }

    screen->StartClock();
    splash->hide();
    setWindowTitle(MainCaption);
    move(screenSize.width() / 2 - width() / 2, screenSize.height() / 2 - height() / 2);

    samples.Reset();

    Guarded([&] { SetInitialState(); });
    Guarded([&] { RedrawScreen(); });

    linkActive = false;
    progress->hide();

    Guarded([&] { ApplyInactivePreset(); });

    communicationTimer->stop();
    communicationTicks = 0;

    ResetInstrumentLines(settings);
    Guarded([&] { SaveSettings(); });

    linkFailed = false;
    instrument.channelA.groundMarkerShown = true;
    instrument.channelB.groundMarkerShown = true;
    instrument.channelA.probeTimesTen = false;
    instrument.channelB.probeTimesTen = false;
}

void MainWindow::SetInitialState() {
    SetOutputCommandsEnabled(false);
    surfaces->SetEnabled(Command::StartupParameters, false);
    for (Command c : {Command::MathSum, Command::MathDifference, Command::MathXY})
        surfaces->SetEnabled(c, false);
    surfaces->ToolAction(Command::MathNone)->setEnabled(false);
    surfaces->MenuAction(Command::MathNone)->setChecked(true);
    instrument.mathMode = MathMode::None;
    instrument.running = true;
    instrument.triggerArmed = false;
    instrument.triggerSource = TriggerSource::Off;
    frontPanel->ShowStartState();
}

void MainWindow::ApplyInactivePreset() {
    frontPanel->ApplyInactivePreset();
}

void MainWindow::SetOutputCommandsEnabled(bool enabled) {
    for (Command c : {Command::Save, Command::PrintPreview, Command::PrintSetup, Command::Copy})
        surfaces->SetEnabled(c, enabled);
}

void MainWindow::SaveSettings() {
    // Line 45 ends with a separator; the joined name is cleaned of the doubled one.
    SettingsFile::Save(QDir::cleanPath(settings.Line(SettingsLine::ProgramFolder) +
                                       QStringLiteral("/") +
                                       QString::fromLatin1(SettingsFile::FileName)),
                       settings);
}

void MainWindow::SendCommand(const QString& command) {
    // Nothing talks to the box before the link is active; a command asked for then (or
    // after the link failed) goes nowhere.
    if (protocol && !linkFailed)
        protocol->SendCommand(command);
}

void MainWindow::RedrawScreen() {
    screen->RedrawScreen();
}

void MainWindow::PlaySound(const QString& fileName) {
    if (settings.Line(SettingsLine::Sound) == QStringLiteral("SON_ON"))
        sounds->Play(programFolder + fileName);
}

void MainWindow::MainWindowActivated() {
    SaveSettings();
    RedrawScreen();
    frontPanel->RedrawVoltsDials();
    if (!linkActive)
        screen->StartAnimation();
    if (!instrument.running)
        ApplyWeightingWindow(samples, instrument, decoder.Extremes());
    if (settings.Line(SettingsLine::PortChosen) == QStringLiteral("0")) {
        Messages::Show(
            Messages::Kind::Information,
            QStringLiteral("Vous devez sélectionner le port de communication série (physique ou "
                           "virtuel USB) utilisé avec l'oscilloscope."),
            this);
        emit portSelectionRequested();
    }
}

void MainWindow::QuitProgram() {
    if (quitting)
        return;
    quitting = true;
    if (linkActive) {
        linkActive = false;
        // Sent once, with its full handshake, after any exchange under way.
        protocol->SendFinalCommand(QStringLiteral("F&"), [this] { emit terminateRequested(); });
        return;
    }
    screen->StopAnimation();
    emit terminateRequested();
}

void MainWindow::ActivateLink() {
    const QString port = settings.Line(SettingsLine::Port);
    auto opened = linkFactory ? linkFactory(port) : CreateSerialLink(port);
    opened->Open(port); // a port that cannot be opened is reported and nothing changes
    link = std::move(opened);
    framer = PacketFramer();
    connect(link.get(), &SerialLink::bytesReceived, this,
            [this](const QByteArray& chunk) { Guarded([&] { ReceiveBytes(chunk); }); });
    protocol = new CommandProtocol(*link, *this, this); // it listens to DSR itself

    screen->StopAnimation();
    RedrawScreen();

    surfaces->SetEnabled(Command::Activate, false);
    surfaces->SetEnabled(Command::ChoosePort, false);
    surfaces->SetEnabled(Command::StartupParameters, true);
    for (Command c : {Command::Activate, Command::Save, Command::Copy, Command::PrintPreview})
        surfaces->SetToolHint(c, surfaces->ToolAction(c)->property("hint").toString(), false);

    linkActive = true;
    protocol->SendActivationCommand();
    protocol->PrepareCommand();
    if (linkFailed)
        return;
    PlaySound(QStringLiteral("open.wav"));
    communication->ShowOnTop();
    protocol->WriteCommand(QStringLiteral("?&"));
    protocol->CompleteCommand();
    if (linkFailed)
        return;

    frontPanel->ApplyActivatedPreset();
    frontPanel->ShowLinkActivated();
    SetOutputCommandsEnabled(false);
    RestoreStartupSettings(*this, *frontPanel);

    communicationTicks = 0;
    communicationTimer->setInterval(ProgramTimings().commWindowMs);
    communicationTimer->start();
}

void MainWindow::CommunicationTick() {
    if (++communicationTicks < 2)
        return;
    communicationTimer->stop();
    communication->HideAndRestack();
}

void MainWindow::ReceiveBytes(const QByteArray& chunk) {
    framer.Feed(chunk, [this](QByteArrayView packet) { decoder.DecodeSamplePacket(packet); });
}

void MainWindow::SetSettingGroupsEnabled(bool enabled) {
    frontPanel->SetInstrumentGroupsEnabled(enabled);
}

void MainWindow::SetAcquisitionGroupsEnabled(bool enabled) {
    frontPanel->SetTransferGroupsEnabled(enabled);
}

void MainWindow::SetCommandStatus(const QString& text) {
    statusPanels[1]->setText(text);
}

void MainWindow::ShowProgress(int minimum, int maximum) {
    progress->setRange(minimum, maximum);
    progress->setValue(minimum);
    progress->show();
    progress->raise();
}

void MainWindow::SetProgress(int value) {
    progress->setValue(value);
}

void MainWindow::HideProgress() {
    progress->hide();
}

void MainWindow::LinkFailure() {
    if (linkFailed)
        return;
    linkFailed = true;
    settings.SetLine(SettingsLine::Sound, QStringLiteral("SON_OFF"));
    Guarded([&] { link->SetRts(false); });
    linkActive = false;
    QApplication::beep();
    QApplication::beep();
    statusPanels[1]->setText(QStringLiteral(" Echec de la communication série...             "));
    Messages::Show(
        Messages::Kind::Warning,
        QStringLiteral("               Erreur de communication !!!\n\r\n\r      Le logiciel de "
                       "l'oscilloscope doit s'arrêter.\n\rCliquez sur Ok et patientez quelques "
                       "secondes..."),
        this);
    emit terminateRequested();
}

void MainWindow::ShowHelpTopic(const QString& topic) {
    help->ShowHelpTopic(topic);
}

void MainWindow::ToggleHardwareCheck() {
    QWidget* grid = RegionWidget(Region::SampleGrid);
    const bool show = !grid->isVisible();
    grid->setVisible(show);
    RegionWidget(Region::Trigger)->setVisible(!show);
    RegionWidget(Region::Translation)->setVisible(!show);
    if (show)
        grid->raise();
}

void MainWindow::RunCommand(Command command) {
    switch (command) {
    case Command::Quit:
        QuitProgram();
        break;
    case Command::HardwareCheck:
        ToggleHardwareCheck();
        break;
    case Command::Activate:
        ActivateLink();
        break;
    case Command::ChoosePort:
        portDialog->ShowOnTop();
        break;
    case Command::Help:
        ShowHelpTopic(QString::fromLatin1(HelpViewer::ContentsTopic));
        break;
    case Command::MathNone:
    case Command::MathSum:
    case Command::MathDifference:
    case Command::MathXY:
        screen->SelectMathMode(static_cast<int>(command) - static_cast<int>(Command::MathNone));
        break;
    default:
        break;
    }
}

bool MainWindow::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::StatusTip:
        statusPanels[0]->setText(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    case QEvent::WindowDeactivate:
        // Coming back from a box or a modal window this window opened is not a return.
        skipNextActivation = QApplication::activeModalWidget() != nullptr;
        break;
    case QEvent::WindowActivate:
        if (skipNextActivation)
            skipNextActivation = false;
        else
            Guarded([&] { MainWindowActivated(); });
        break;
    default:
        break;
    }
    return QMainWindow::event(e);
}

void MainWindow::closeEvent(QCloseEvent* e) {
    Guarded([&] { QuitProgram(); });
    e->accept();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* e) {
    surfaces->PopupMenu()->popup(e->globalPos());
}
