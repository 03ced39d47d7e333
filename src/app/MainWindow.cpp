#include "app/MainWindow.h"

#include "app/SingleInstanceGuard.h"
#include "app/SoundPlayer.h"
#include "core/ErrorGuard.h"
#include "core/Messages.h"
#include "core/Timings.h"
#include "dialogs/AboutWindow.h"
#include "dialogs/ColoursWindow.h"
#include "dialogs/CommunicationWindow.h"
#include "dialogs/GraticuleOptionsWindow.h"
#include "dialogs/HelpViewer.h"
#include "dialogs/MeasurementsWindow.h"
#include "dialogs/MenuStyleWindow.h"
#include "dialogs/MessageBoxes.h"
#include "dialogs/PortSelectionDialog.h"
#include "dialogs/SampleTableView.h"
#include "dialogs/SplashWindow.h"
#include "dialogs/StartupParametersWindow.h"
#include "dialogs/WeightingWindowDialog.h"
#include "link/CommandProtocol.h"
#include "measure/MarkerController.h"
#include "measure/MeasurementController.h"
#include "output/OutputCommands.h"
#include "output/PrintPreviewWindow.h"
#include "output/PrinterSetupDialog.h"
#include "output/SaveFileDialog.h"
#include "output/SpectrumPrintWindow.h"
#include "panel/FrontPanel.h"
#include "panel/MarkerButtons.h"
#include "panel/SpectrumButtons.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"
#include "spectrum/SpectrumView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

const QString MainCaption = QStringLiteral("Oscilloscope Numérique à mémoire v1.7");
const QString SpectrumCaption = QStringLiteral("Analyseur de spectre v1.7");
const QString SingleShotArmedStatus = QStringLiteral("Monocoup armé");
const QString SingleShotCaughtStatus = QStringLiteral("Monocoup figé");
const QString LinkFailureStatus =
    QStringLiteral(" Echec de la communication série...             ");
const QString LinkFailureMessage =
    QStringLiteral("               Erreur de communication !!!\n\r\n\r      Le logiciel de "
                   "l'oscilloscope doit s'arrêter.\n\rCliquez sur Ok et patientez quelques "
                   "secondes...");

struct RegionRow {
    Region region;
    const char* name;    // object name
    const char* caption; // group box caption; null for a plain panel
    bool boldCaption;
    QRect geometry; // in the client area
    bool visibleAtStart;
};

// clang-format off
const RegionRow RegionTable[] = {
    {Region::ScreenPanel,    "region.screenPanel",    nullptr,                                      false, {8, 32, 662, 341},    true},
    {Region::SpectrumPanel,  "region.spectrumPanel",  nullptr,                                      false, {8, 32, 662, 341},    false},
    {Region::TimeBase,       "region.timeBase",       " Time/Div : ",                               true,  {672, 25, 289, 297},  true},
    {Region::Magnifier,      "region.magnifier",      nullptr,                                      false, {848, 46, 98, 29},    true},
    {Region::Acquisition,    "region.acquisition",    " Acquisition des traces : ",                 true,  {672, 328, 289, 50},  true},
    {Region::Trigger,        "region.trigger",        " Sélection du Trigger : ",                   true,  {672, 383, 289, 121}, true},
    {Region::Translation,    "region.translation",    " Translation des traces (C = Carreaux) : ",  false, {672, 510, 289, 145}, true},
    {Region::SampleGrid,     "region.sampleGrid",     nullptr,                                      false, {664, 384, 297, 273}, false},
    {Region::ChannelA,       "region.channelA",       " Volts/Div VOIE A (Axe X) : ",               true,  {16, 374, 297, 281},  true},
    {Region::ChannelB,       "region.channelB",       " Volts/Div VOIE B (Axe Y) : ",               true,  {360, 374, 297, 281}, true},
    {Region::CentreColumn,   "region.centreColumn",   nullptr,                                      false, {313, 380, 47, 270},  true},
};

// Tool bar hints the presets set: the inactive one for quit, activate, graticule and
// colours, the activated one for save, copy and print preview.
struct PresetHint {
    Preset preset;
    Command command;
    const char* hint; // "tooltip | status bar text"
};
const PresetHint PresetHints[] = {
    {Preset::Inactive,  Command::Quit,         "Quitter | Quitter le programme..."},
    {Preset::Inactive,  Command::Activate,     "Activer RS232 / USB | Activer la liaison RS232 / USB..."},
    {Preset::Inactive,  Command::Graticule,    "Graticule | Définir les options d'affichage du graticule..."},
    {Preset::Inactive,  Command::Colours,      "Couleur | Définir les couleurs des traces VOIE A et VOIE B et de quelques options complémentaires..."},
    {Preset::Activated, Command::Save,         "Sauvegarder | Sauvegarder l'oscillogramme dans la format image BMP..."},
    {Preset::Activated, Command::Copy,         "Copier | Copier l'oscillogramme dans la presse papier..."},
    {Preset::Activated, Command::PrintPreview, "Aperçu impression | Aperçu et dimensionnement de l'oscillogramme avant impression..."},
};
// clang-format on

constexpr Command OutputCommandList[] = {Command::Save, Command::ExportSamples,
                                         Command::PrintPreview, Command::PrintSetup, Command::Copy};
constexpr Command OutputToolButtons[] = {Command::Save, Command::Copy, Command::PrintPreview};
constexpr Command MathCommands[] = {Command::MathNone, Command::MathSum, Command::MathDifference,
                                    Command::MathXY};

QString ProgramFolderOf(const StartupEnvironment& environment) {
    QString folder = environment.programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                         : environment.programFolder;
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
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      session(ProgramFolderOf(environment), environment.linkFactory) {
    // A child by name too, so that it can be found like the other pieces; it stays a
    // member, destroyed with the window before the window's children.
    session.setParent(this);
    session.setObjectName(QStringLiteral("session"));
    if (!environment.settingsFolder.isEmpty())
        session.SetSettingsFolder(environment.settingsFolder);
    // Hand-overs are served from now on, the splash wait included.
    if (environment.instanceGuard)
        connect(environment.instanceGuard, &SingleInstanceGuard::commandLineReceived, this,
                &MainWindow::BringToFront);
    ErrorGuard::SetParentWindow(this);
    InstallMessageBoxes(this);
    sounds = new SoundPlayer(this);
    playSound = environment.playSound;
    if (!playSound)
        playSound = [this](const QString& path) { sounds->Play(path); };

    splashTimer = new QTimer(this);
    splashTimer->setInterval(ProgramTimings().splashTickMs);

    BuildClientArea();
    surfaces = new CommandSurfaces(menuBar(), toolBar, this);
    surfaces->setObjectName(QStringLiteral("commandSurfaces"));
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    connect(surfaces, &CommandSurfaces::triggered, this,
            [this](Command c) { Guarded([&] { RunCommand(c); }); });
    BuildScreenAndPanel();
    BuildMarkers();
    BuildSpectrum();
    BuildOutput(environment.outputPrompts);
    measurements = new MeasurementController(session, this);
    measurements->setObjectName(QStringLiteral("measurementController"));
    ConnectSession();

    splash = new SplashWindow(session.ProgramFolder());
    splash->setObjectName(QStringLiteral("splash"));
    connect(splashTimer, &QTimer::timeout, splash, &SplashWindow::Tick);
    splashTimer->start();

    StartupSequence(environment);
    // The other windows are made once start-up is over: the port dialog shows the port
    // of the settings just loaded.
    BuildWindows();
}

MainWindow::~MainWindow() {
    delete splash;
    delete communication;
    delete help;
}

void MainWindow::BuildClientArea() {
    client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);

    toolBar = new QToolBar(client);
    toolBar->setGeometry(0, 0, ClientWidth, 26);
    toolBar->setIconSize(QSize(20, 20));
    toolBar->setMovable(false);

    for (const RegionRow& row : RegionTable) {
        QWidget* w = nullptr;
        if (row.caption) {
            auto* group = new QGroupBox(QString::fromUtf8(row.caption), client);
            if (row.boldCaption) {
                QFont bold = group->font();
                bold.setBold(true);
                group->setFont(bold);
            }
            w = group;
        } else {
            w = new QFrame(client);
        }
        w->setObjectName(QString::fromLatin1(row.name));
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
        statusPanels[i]->setObjectName(QStringLiteral("statusPanel%1").arg(i));
        statusPanels[i]->setFixedWidth(widths[i]);
        statusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar->addWidget(statusPanels[i]);
    }
    // The exchange's status texts are made to fit their panel: the face steps down from
    // the program's size until the label holds each of them whole.
    QLabel* status = statusPanels[1];
    status->ensurePolished();
    QFont statusFont = status->font();
    for (const QString& text : {CommandProtocol::BusyText, LinkFailureStatus}) {
        status->setText(text);
        while (statusFont.pointSizeF() > 6 && status->sizeHint().width() > status->width()) {
            statusFont.setPointSizeF(statusFont.pointSizeF() - 0.5);
            status->setFont(statusFont);
        }
    }
    status->clear();

    progress = new QProgressBar(client);
    progress->setObjectName(QStringLiteral("progressBar"));
    progress->setGeometry(805, 659, 156, 14);
    progress->setTextVisible(false);
    progress->hide();
}

void MainWindow::BuildScreenAndPanel() {
    screenView = new ScreenView(RegionWidget(Region::ScreenPanel));
    screenView->setObjectName(QStringLiteral("screenView"));
    screenView->move(8, 8);
    screen = new ScreenController(session, *screenView, this);
    screen->setObjectName(QStringLiteral("screenController"));

    FrontPanelHosts hosts;
    hosts.timeBase = RegionWidget(Region::TimeBase);
    hosts.channelA = RegionWidget(Region::ChannelA);
    hosts.channelB = RegionWidget(Region::ChannelB);
    hosts.trigger = RegionWidget(Region::Trigger);
    hosts.acquisition = RegionWidget(Region::Acquisition);
    hosts.translation = RegionWidget(Region::Translation);
    hosts.magnifier = RegionWidget(Region::Magnifier);
    frontPanel = new FrontPanel(session, hosts, this);
    frontPanel->setObjectName(QStringLiteral("frontPanel"));

    tableView = new SampleTableView(RegionWidget(Region::SampleGrid), session.Samples());
    tableView->setObjectName(QStringLiteral("sampleTable"));
    tableView->setGeometry(RegionWidget(Region::SampleGrid)->rect());
    tableView->show(); // seen whenever its region is
}

// The markers: their buttons in the upper part of the centre column, the mouse on the
// screen image, the marker layers of the redraw. The pop-up menu takes the mouse when it
// opens, so a button pressed on the screen image is no longer held then.
void MainWindow::BuildMarkers() {
    markers = new MarkerController(this);
    markers->setObjectName(QStringLiteral("markerController"));
    markerButtons =
        new MarkerButtons(RegionWidget(Region::CentreColumn), *markers, session.ProgramFolder());
    markerButtons->setObjectName(QStringLiteral("markerButtons"));
    markerButtons->move(0, 0);
    frontPanel->SetCompanionButtons(markerButtons->MarkersButton(), nullptr);
    screen->SetLayers(MarkerLayers(*markers, session));
    connect(markers, &MarkerController::redrawRequested, this,
            GuardedSlot([this] { screen->RedrawScreen(); }));
    connect(screenView, &ScreenView::mousePressed, markers,
            GuardedSlot([this](QPoint pixel, Qt::MouseButton) { markers->Press(pixel); }));
    connect(screenView, &ScreenView::mouseMoved, markers,
            GuardedSlot([this](QPoint pixel) { markers->Move(pixel); }));
    connect(screenView, &ScreenView::mouseReleased, markers, &MarkerController::Release);
    connect(screenView, &ScreenView::mouseLost, markers, &MarkerController::LoseMouse);
    connect(surfaces->PopupMenu(), &QMenu::aboutToShow, markers, &MarkerController::LoseMouse);
}

// The spectrum view at the screen's place, its buttons in the lower part of the centre
// column and the weighting-window dialog. Built after the markers: it adds its hook to
// the redraw's layers already set.
void MainWindow::BuildSpectrum() {
    auto* panel = static_cast<QFrame*>(RegionWidget(Region::SpectrumPanel));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    spectrumView = new SpectrumView(session, panel);
    spectrumView->setObjectName(QStringLiteral("spectrumView"));
    spectrumButtons =
        new SpectrumButtons(RegionWidget(Region::CentreColumn), session.ProgramFolder());
    spectrumButtons->setObjectName(QStringLiteral("spectrumButtons"));
    frontPanel->SetCompanionButtons(nullptr, spectrumButtons->SwitchButton());
    connect(spectrumButtons, &SpectrumButtons::switched, this,
            [this](bool on) { Guarded([&] { session.SwitchSpectrum(on); }); });
    connect(&session, &Instrument::spectrumSwitched, this,
            GuardedSlot([this] { ShowSpectrumView(session.Spectrum().on); }));

    weightingDialog = new WeightingWindowDialog(session, this);
    weightingDialog->setObjectName(QStringLiteral("weightingDialog"));
    connect(spectrumButtons, &SpectrumButtons::windowChoiceRequested, this,
            [this] { Guarded([&] { weightingDialog->ShowOnTop(); }); });
    connect(
        weightingDialog, &WeightingWindowDialog::helpRequested, this,
        [this](const QString& topic) { Guarded([&] { ShowHelpTopic(topic, weightingDialog); }); });

    // In the spectrum view the redraw computes the spectrum.
    ScreenLayers layers = screen->Layers();
    layers.computeSpectrum = [this] { spectrumView->ComputeSpectrum(); };
    screen->SetLayers(std::move(layers));
}

void MainWindow::ResetSpectrum() {
    spectrumView->Reset();
    RegionWidget(Region::SpectrumPanel)->hide();
    spectrumButtons->ShowSwitch(false);
    spectrumButtons->WindowButton()->hide();
}

void MainWindow::ShowSpectrumView(bool on) {
    spectrumButtons->ShowSwitch(on);
    if (on) {
        setWindowTitle(SpectrumCaption);
        spectrumView->SetGradientStart(session.Settings().Number(SettingsLine::SpectrumBackground));
        RegionWidget(Region::SpectrumPanel)->show();
        RegionWidget(Region::SpectrumPanel)->raise();
        spectrumButtons->WindowButton()->show();
        spectrumView->ComputeSpectrum();
    } else {
        setWindowTitle(MainCaption);
        RegionWidget(Region::SpectrumPanel)->hide();
        spectrumButtons->WindowButton()->hide();
        screen->RedrawScreen();
    }
}

void MainWindow::BuildWindows() {
    communication = new CommunicationWindow;
    communication->setObjectName(QStringLiteral("communicationNotice"));
    connect(&session, &Instrument::communicationNoticeShown, this, [this](bool shown) {
        if (shown)
            communication->ShowOnTop();
        else
            communication->HideAndRestack();
    });
    help = new HelpViewer(session.ProgramFolder());
    help->setObjectName(QStringLiteral("helpViewer"));
    // F1 opens the contents of the help.
    auto* contents = new QShortcut(QKeySequence::HelpContents, this);
    connect(contents, &QShortcut::activated, this,
            [this] { Guarded([&] { help->ShowContents(); }); });
    portDialog = new PortSelectionDialog(this, session);
    portDialog->setObjectName(QStringLiteral("portDialog"));
    connect(portDialog, &PortSelectionDialog::helpRequested, this,
            [this](const QString& topic) { Guarded([&] { ShowHelpTopic(topic, portDialog); }); });
    // The small windows of the options, the start-up parameters, the about box and the menu
    // style, in the order the program makes its windows; "Effets sonores" reads
    // SettingsLine::SoundDevice, set by now.
    graticuleOptions = new GraticuleOptionsWindow(this, session);
    colours = new ColoursWindow(this, session);
    about = new AboutWindow(this, session);
    startupParameters = new StartupParametersWindow(this, session);
    menuStyle = new MenuStyleWindow(this, session);
    graticuleOptions->setObjectName(QStringLiteral("graticuleOptions"));
    colours->setObjectName(QStringLiteral("colours"));
    about->setObjectName(QStringLiteral("about"));
    startupParameters->setObjectName(QStringLiteral("startupParameters"));
    menuStyle->setObjectName(QStringLiteral("menuStyle"));
    for (AuxiliaryWindow* w : std::initializer_list<AuxiliaryWindow*>{
             graticuleOptions, colours, about, startupParameters, menuStyle})
        connect(w, &AuxiliaryWindow::helpRequested, this,
                [this, w](const QString& topic) { Guarded([&] { ShowHelpTopic(topic, w); }); });
    connect(about, &AboutWindow::soundRequested, this, &MainWindow::PlaySound);
    BuildMeasurements();
}

void MainWindow::BuildMeasurements() {
    measurementsWindow = new MeasurementsWindow(
        *measurements,
        [this] {
            return output->ChooseFile(QStringLiteral("CSV (*.csv)"), QStringLiteral("csv"),
                                      QStringLiteral("Mesures_"));
        },
        this);
    measurementsWindow->setObjectName(QStringLiteral("measurements"));
    connect(measurementsWindow, &AuxiliaryWindow::helpRequested, this,
            [this](const QString& topic) {
                Guarded([&] { ShowHelpTopic(topic, measurementsWindow); });
            });
}

void MainWindow::ShowSingleShot() {
    const SingleShot shot = session.SingleShotState();
    surfaces->SetEnabled(Command::SingleShot, session.SingleShotAvailable());
    for (QAction* a :
         {surfaces->MenuAction(Command::SingleShot), surfaces->ToolAction(Command::SingleShot)})
        a->setChecked(shot == SingleShot::Armed);
    statusPanels[2]->setText(shot == SingleShot::Armed    ? SingleShotArmedStatus
                             : shot == SingleShot::Caught ? SingleShotCaughtStatus
                                                          : QString());
}

void MainWindow::BuildOutput(const OutputPrompts& prompts) {
    OutputSources sources;
    sources.screenImage = [this] { return screen->Screen().Image(); };
    sources.chartImage = [this] { return spectrumView->ChartImage(); };
    sources.clock = [this] { return screen->Screen().LastClock(); };
    sources.spectrum = [this] {
        const SpectrumChartData& shown = spectrumView->Shown();
        return SpectrumExport{spectrumView->ShownScale().logarithmic,
                              spectrumView->ShownSamplingFrequency(), int(shown.frequencies.size()),
                              shown.series[0].values, shown.series[1].values};
    };
    // The program's dialogs ask, unless start-up was given other answers.
    OutputPrompts questions = DialogPrompts(this);
    if (prompts.chooseFile)
        questions.chooseFile = prompts.chooseFile;
    if (prompts.confirmOverwrite)
        questions.confirmOverwrite = prompts.confirmOverwrite;
    output = std::make_unique<OutputCommands>(session, sources, std::move(questions));

    printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    PrintHooks hooks;
    hooks.pageSetup = [](QPrinter& p, QWidget* asking) { return RunPrinterSetup(p, asking); };
    hooks.choosePdf = [this] {
        return output->ChooseFile(QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf"));
    };
    hooks.help = [this](const QString& topic, QWidget* asking) { ShowHelpTopic(topic, asking); };
    printPreview = new PrintPreviewWindow(
        *printer, [this] { return screen->Screen().Image(); }, hooks, this);
    printPreview->setObjectName(QStringLiteral("printPreview"));
    spectrumPrint = new SpectrumPrintWindow(
        *printer,
        [this](QPainter& painter, const QRectF& target) {
            spectrumView->RenderChart(painter, target);
        },
        hooks, this);
    spectrumPrint->setObjectName(QStringLiteral("spectrumPrint"));
}

void MainWindow::OpenPrintWindow() {
    screen->StopClock();
    // Every way out, an error included, gives the clock back.
    struct ClockRestart {
        ScreenController& screen;
        ~ClockRestart() { screen.StartClock(); }
    } restart{*screen};
    if (session.Spectrum().on)
        spectrumPrint->Open();
    else
        printPreview->Open();
}

void MainWindow::ConnectSession() {
    // The exchange with the box shows its status text and its acknowledgement wait.
    CommandProtocol& protocol = session.Protocol();
    connect(&protocol, &CommandProtocol::statusChanged, this, [this](const QString& text) {
        exchangeStatus = text;
        ShowCommandPanel();
    });
    connect(&session, &Instrument::linkNoticeChanged, this, &MainWindow::ShowCommandPanel);
    connect(&session, &Instrument::linkStateChanged, this, &MainWindow::ShowLinkState);
    connect(&protocol, &CommandProtocol::progressStarted, this, &MainWindow::ShowProgress);
    connect(&protocol, &CommandProtocol::progressChanged, progress, &QProgressBar::setValue);
    connect(&protocol, &CommandProtocol::progressFinished, progress, &QWidget::hide);
    // The output commands and their hints, as made, follow each change of their locks.
    shownLocks = session.Locks();
    connect(&session, &Instrument::locksChanged, this, [this] {
        const PanelLocks& locks = session.Locks();
        if (locks.outputCommandsEnabled != shownLocks.outputCommandsEnabled)
            SetOutputCommandsEnabled(locks.outputCommandsEnabled);
        if (locks.outputHintsShown != shownLocks.outputHintsShown)
            SetOutputHintsShown(locks.outputHintsShown);
    });
    connect(&session, &Instrument::mathMenuChanged, this, &MainWindow::ShowMathMenu);
    // Single shot can be armed while the link is active and the acquisition runs.
    for (auto signal : {&Instrument::singleShotChanged, &Instrument::runStateChanged,
                        &Instrument::locksChanged, &Instrument::linkLost})
        connect(&session, signal, this, &MainWindow::ShowSingleShot);
    connect(&session, &Instrument::presetApplied, this, &MainWindow::ShowPresetHints);
    connect(&session, &Instrument::activationStarted, this, &MainWindow::ActivationStarted);
    connect(&session, &Instrument::soundRequested, this, &MainWindow::PlaySound);
    connect(&session, &Instrument::linkLost, this, &MainWindow::LinkLost);
    connect(&session, &Instrument::terminateRequested, this, &MainWindow::terminateRequested);
    ShowMathMenu();
    ShowSingleShot();
}

void MainWindow::StartupSequence(const StartupEnvironment& environment) {
    // Each step runs on its own: a step that fails is reported and start-up goes on, so
    // the program always reaches a complete initial state.
    session.LoadSettings();
    // The platform is asked only when the environment does not say: the question opens a
    // connection to the sound server.
    session.NoteSoundDevice(environment.soundDevice ? *environment.soundDevice
                                                    : SoundPlayer::HasOutputDevice());
    session.NoteProgramFolder();
    Guarded([&] { session.SaveSettings(); });

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

    Guarded([&] {
        surfaces->SetEnabled(Command::StartupParameters, false);
        session.SetInitialState();
        ResetSpectrum();
    });
    Guarded([&] { screen->RedrawScreen(); });
    progress->hide();
    Guarded([&] { session.ApplyInactivePreset(); });
    Guarded([&] { session.ResetInstrumentLines(); });
}

void MainWindow::SetOutputCommandsEnabled(bool enabled) {
    shownLocks.outputCommandsEnabled = enabled;
    for (Command c : OutputCommandList)
        surfaces->SetEnabled(c, enabled);
}

void MainWindow::SetOutputHintsShown(bool shown) {
    shownLocks.outputHintsShown = shown;
    for (Command c : OutputToolButtons)
        surfaces->SetToolHint(c, surfaces->ToolAction(c)->property("hint").toString(), shown);
}

void MainWindow::ShowPresetHints(Preset preset) {
    for (const PresetHint& row : PresetHints)
        if (row.preset == preset)
            surfaces->SetToolHint(row.command, QString::fromUtf8(row.hint));
}

void MainWindow::ShowMathMenu() {
    const MathMenuState& menu = session.MathMenu();
    for (int mode = 0; mode < MathModeCount; ++mode) {
        const Command command = MathCommands[mode];
        QAction* item = surfaces->MenuAction(command);
        QAction* button = surfaces->ToolAction(command);
        const bool modeEnabled = mode == 0 || menu.modesEnabled;
        for (QAction* popupOrItem : {item, surfaces->PopupAction(command)})
            if (popupOrItem)
                popupOrItem->setEnabled(modeEnabled);
        item->setChecked(mode == menu.checkedMode);
        button->setEnabled(mode == 0 ? menu.noMathButtonEnabled : menu.modesEnabled);
        button->setToolTip(menu.hintsShown ? MathToolTip(mode) : QString());
        button->setStatusTip(menu.hintsShown ? MathStatusHelp(mode) : QString());
    }
}

void MainWindow::ShowProgress(int maximum) {
    progress->setRange(0, maximum);
    progress->setValue(0);
    progress->show();
    progress->raise();
}

void MainWindow::ActivationStarted() {
    surfaces->SetEnabled(Command::Activate, false);
    surfaces->SetEnabled(Command::ChoosePort, false);
    surfaces->SetEnabled(Command::StartupParameters, true);
    for (Command c : {Command::Activate, Command::Save, Command::Copy, Command::PrintPreview})
        surfaces->SetToolHint(c, surfaces->ToolAction(c)->property("hint").toString(), false);
}

void MainWindow::LinkLost() {
    QApplication::beep();
    QApplication::beep();
    statusPanels[1]->setText(LinkFailureStatus);
    Messages::Show(Messages::Kind::Warning, LinkFailureMessage, this);
}

void MainWindow::ShowCommandPanel() {
    const QString notice = session.LinkNotice();
    const bool exchange = !exchangeStatus.isEmpty() && exchangeStatus != CommandProtocol::IdleText;
    statusPanels[1]->setText(exchange || notice.isEmpty() ? exchangeStatus : notice);
    statusPanels[1]->setToolTip(notice);
}

void MainWindow::ShowLinkState() {
    const bool lost = session.Reconnecting();
    // Try again now, or on another port, whose activation restores the state in force too.
    surfaces->SetEnabled(Command::Activate, lost);
    surfaces->SetEnabled(Command::ChoosePort, lost);
    // The sweep on the screen or the spectrum is the last one received: a red band around
    // it, outside the raster (saved, copied and printed images stay as they are).
    for (Region r : {Region::ScreenPanel, Region::SpectrumPanel}) {
        QWidget* panel = RegionWidget(r);
        panel->setStyleSheet(lost ? QStringLiteral(".QFrame { border: 5px solid #d00000; }")
                                  : QString());
    }
    if (lost)
        QApplication::beep();
}

void MainWindow::PlaySound(const QString& fileName) {
    if (session.Settings().IsOn(SettingsLine::Sound))
        playSound(session.ProgramFolder() + fileName);
}

void MainWindow::BringToFront() {
    if (!isVisible())
        return; // still starting: the window is shown, at the front, when start-up ends
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void MainWindow::MainWindowActivated() {
    session.SaveSettings();
    screen->RedrawScreen();
    frontPanel->RedrawVoltsDials();
    if (!session.LinkActive())
        screen->StartAnimation();
    session.ReweightWhilePaused();
    spectrumView->SetGradientStart(session.Settings().Number(SettingsLine::SpectrumBackground));
    if (session.Settings().Number(SettingsLine::PortChosen) == 0) {
        Messages::Show(
            Messages::Kind::Information,
            QStringLiteral("Vous devez sélectionner le port de communication série (physique ou "
                           "virtuel USB) utilisé avec l'oscilloscope."),
            this);
        portDialog->ShowOnTop();
    }
}

void MainWindow::QuitProgram() {
    session.Quit();
}

void MainWindow::ShowHelpTopic(const QString& topic, QWidget* asking) {
    help->ShowHelpTopic(topic, asking);
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
        session.ActivateLink();
        break;
    case Command::ChoosePort:
        portDialog->ShowOnTop();
        break;
    case Command::Help:
        ShowHelpTopic(QString::fromLatin1(HelpViewer::ContentsTopic));
        break;
    case Command::Graticule:
        graticuleOptions->ShowOnTop();
        break;
    case Command::Colours:
        colours->ShowOnTop();
        break;
    case Command::StartupParameters:
        startupParameters->ShowOnTop();
        break;
    case Command::About:
        about->ShowOnTop();
        break;
    case Command::Measurements:
        measurementsWindow->ShowOnTop();
        break;
    case Command::SingleShot:
        session.ToggleSingleShot();
        ShowSingleShot(); // a checkable item pressed in vain is put back
        break;
    case Command::Save:
        output->SaveScreenImage();
        break;
    case Command::ExportSamples:
        output->ExportSamples();
        break;
    case Command::Copy:
        output->CopyScreenImage();
        break;
    case Command::PrintPreview:
        OpenPrintWindow();
        break;
    case Command::PrintSetup:
        RunPrinterSetup(*printer, this);
        break;
    case Command::MathNone:
    case Command::MathSum:
    case Command::MathDifference:
    case Command::MathXY:
        session.SelectMathMode(static_cast<int>(command) - static_cast<int>(Command::MathNone));
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
