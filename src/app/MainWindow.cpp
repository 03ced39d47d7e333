#include "app/MainWindow.h"

#include "app/ErrorGuard.h"
#include "app/Messages.h"
#include "app/SettingsFile.h"
#include "app/SoundPlayer.h"
#include "app/Timings.h"
#include "dialogs/SplashWindow.h"

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
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>

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

QString ExecutableFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QSize PrimaryScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

} // namespace

MainWindow::MainWindow(const StartupEnvironment& environment, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    ErrorGuard::SetParentWindow(this);
    sounds = new SoundPlayer(this);

    splashTimer = new QTimer(this);
    splashTimer->setInterval(ProgramTimings().splashTickMs);
    clockTimer = new QTimer(this);
    clockTimer->setInterval(ProgramTimings().clockMs);
    animationTimer = new QTimer(this);
    animationTimer->setInterval(ProgramTimings().animationMs);

    BuildClientArea();
    surfaces = new CommandSurfaces(menuBar(), toolBar, this);
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    connect(surfaces, &CommandSurfaces::triggered, this,
            [this](Command c) { Guarded([&] { RunCommand(c); }); });

    connect(clockTimer, &QTimer::timeout, this, [this] { Guarded([&] { RedrawScreen(); }); });

    splash = new SplashWindow(environment.programFolder.isEmpty() ? ExecutableFolder()
                                                                  : environment.programFolder);
    connect(splashTimer, &QTimer::timeout, splash, &SplashWindow::Tick);
    splashTimer->start();
    clockTimer->start();
    animationTimer->start();

    StartupSequence(environment);
}

MainWindow::~MainWindow()
{
    delete splash;
}

void MainWindow::BuildClientArea()
{
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
    screenImage = new QLabel(screenPanel);
    screenImage->setGeometry(8, 8, 640, 320);
    screenImage->setCursor(Qt::CrossCursor);
    QImage blank(640, 320, QImage::Format_RGB32);
    blank.fill(Qt::white);
    screenImage->setPixmap(QPixmap::fromImage(blank));
    // The magnifier sits over the time base group.
    RegionWidget(Region::Magnifier)->raise();

    BuildStatusBar();

}

void MainWindow::BuildStatusBar()
{
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

void MainWindow::StartupSequence(const StartupEnvironment& environment)
{
    // Each step runs on its own: a step that fails is reported and start-up goes on, so
    // the program always reaches a complete initial state.
    programFolder = environment.programFolder.isEmpty() ? ExecutableFolder() : environment.programFolder;
    if (!programFolder.endsWith(u'/'))
        programFolder += u'/';
    settingsPath = programFolder + QString::fromLatin1(SettingsFile::FileName);

    settings = SettingsFile::Load(settingsPath);

    const bool soundDevice = environment.soundDevice.value_or(SoundPlayer::HasOutputDevice());
    if (soundDevice) {
        settings.SetLine(44, QStringLiteral("CARTE_SON_ON"));
    } else {
        settings.SetLine(14, QStringLiteral("SON_OFF"));
        settings.SetLine(44, QStringLiteral("CARTE_SON_OFF"));
    }

    settings.SetLine(45, programFolder);
    Guarded([&] { SaveSettings(); });

    Guarded([&] { PlaySound(QStringLiteral("accueil.wav")); });

    clockTimer->stop();

    const QSize screen = environment.screenSize.value_or(PrimaryScreenSize());
    splash->ShowExpanding(screen, 1000);
    splash->SetResolutionLine(QStringLiteral("Votre résolution graphique est de %1 x %2")
                                  .arg(screen.width())
                                  .arg(screen.height()));

    if (screen.width() < 1024 || screen.height() < 768) {
        QApplication::beep();
        const QString br = QStringLiteral("\n\r");
        Messages::Show(Messages::Kind::Error,
                       QStringLiteral("Désolé, votre résolution d'affichage de %1 x %2").arg(screen.width()).arg(screen.height()) +
                           br + QStringLiteral(" ne permet pas un affichage correct du programme.") + br + br +
                           QStringLiteral(" Augmentez la résoltion de votre carte graphique...") + br + br +
                           QStringLiteral("         (Résolution minimale 1024 x 768)"),
                       splash);
        serve = false;
        emit terminateRequested();
    } else {
        splash->SetSplashCounter(0);
        QEventLoop wait;
        const auto connection = connect(splash, &SplashWindow::counterChanged, &wait, [&](int count) {
            if (count >= SplashWindow::EndCount)
                wait.quit();
        });
        if (splash->SplashCounter() < SplashWindow::EndCount)
            wait.exec();
        disconnect(connection);
    }

    clockTimer->start();
    splash->hide();
    setWindowTitle(MainCaption);
    move(screen.width() / 2 - width() / 2, screen.height() / 2 - height() / 2);

    samples.Reset();

    Guarded([&] { SetInitialState(); });
    Guarded([&] { RedrawScreen(); });

    linkActive = false;
    progress->hide();

    Guarded([&] { ApplyInactivePreset(); });

    ResetInstrumentLines(settings);
    Guarded([&] { SaveSettings(); });

    linkFailed = false;
    instrument.channelA.groundMarkerShown = true;
    instrument.channelB.groundMarkerShown = true;
    instrument.channelA.probeTimesTen = false;
    instrument.channelB.probeTimesTen = false;
}

void MainWindow::SetInitialState()
{
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
}

void MainWindow::ApplyInactivePreset()
{
    surfaces->SetToolHint(Command::Quit, QStringLiteral("Quitter | Quitter le programme..."));
    surfaces->SetToolHint(Command::Activate,
                          QStringLiteral("Activer RS232 / USB | Activer la liaison RS232 / USB..."));
    surfaces->SetToolHint(Command::Graticule,
                          QStringLiteral("Graticule | Définir les options d'affichage du graticule..."));
    surfaces->SetToolHint(Command::Colours,
                          QStringLiteral("Couleur | Définir les couleurs des traces VOIE A et VOIE B et de "
                                         "quelques options complémentaires..."));
    for (Region r : {Region::TimeBase, Region::Acquisition, Region::Trigger, Region::Magnifier,
                     Region::ChannelA, Region::ChannelB, Region::Translation})
        RegionWidget(r)->setEnabled(false);
}

void MainWindow::SetOutputCommandsEnabled(bool enabled)
{
    for (Command c : {Command::Save, Command::PrintPreview, Command::PrintSetup, Command::Copy})
        surfaces->SetEnabled(c, enabled);
}

void MainWindow::SaveSettings()
{
    SettingsFile::Save(settings.Line(45) + QStringLiteral("/") + QString::fromLatin1(SettingsFile::FileName),
                       settings);
}

void MainWindow::SendCommand(const QString& command)
{
    Q_UNUSED(command);
}

void MainWindow::RedrawScreen() {}

void MainWindow::PlaySound(const QString& fileName)
{
    if (settings.Line(14) == QStringLiteral("SON_ON"))
        sounds->Play(programFolder + fileName);
}

void MainWindow::MainWindowActivated()
{
    SaveSettings();
    RedrawScreen();
    if (!linkActive) {
        animationTimer->setInterval(ProgramTimings().animationMs);
        animationTimer->start();
    }
    if (settings.Line(16) == QStringLiteral("0")) {
        Messages::Show(Messages::Kind::Information,
                       QStringLiteral("Vous devez sélectionner le port de communication série (physique ou "
                                      "virtuel USB) utilisé avec l'oscilloscope."),
                       this);
        emit portSelectionRequested();
    }
}

void MainWindow::QuitProgram()
{
    if (quitting)
        return;
    quitting = true;
    if (linkActive) {
        linkActive = false;
        SendCommand(QStringLiteral("F&"));
    } else {
        animationTimer->stop();
    }
    emit terminateRequested();
}

void MainWindow::ToggleHardwareCheck()
{
    QWidget* grid = RegionWidget(Region::SampleGrid);
    const bool show = !grid->isVisible();
    grid->setVisible(show);
    RegionWidget(Region::Trigger)->setVisible(!show);
    RegionWidget(Region::Translation)->setVisible(!show);
    if (show)
        grid->raise();
}

void MainWindow::RunCommand(Command command)
{
    switch (command) {
    case Command::Quit:
        QuitProgram();
        break;
    case Command::HardwareCheck:
        ToggleHardwareCheck();
        break;
    default:
        break;
    }
}

bool MainWindow::event(QEvent* e)
{
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

void MainWindow::closeEvent(QCloseEvent* e)
{
    Guarded([&] { QuitProgram(); });
    e->accept();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* e)
{
    surfaces->PopupMenu()->popup(e->globalPos());
}
