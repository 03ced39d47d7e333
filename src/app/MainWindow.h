#pragma once

#include "app/CommandSurfaces.h"
#include "instrument/Instrument.h"
#include "output/OutputCommands.h"

#include <QMainWindow>
#include <QSize>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class AboutWindow;
class ColoursWindow;
class CommunicationWindow;
class FrontPanel;
class GraticuleOptionsWindow;
class HelpViewer;
class MarkerButtons;
class MarkerController;
class MeasurementController;
class MeasurementsWindow;
class MenuStyleWindow;
class PrintPreviewWindow;
class QPrinter;
class SpectrumPrintWindow;
class PortSelectionDialog;
class QLabel;
class QProgressBar;
class QStatusBar;
class QTimer;
class QToolBar;
class SampleTableView;
class ScreenController;
class ScreenView;
class SerialLink;
class SingleInstanceGuard;
class SoundPlayer;
class SpectrumButtons;
class SpectrumView;
class SplashWindow;
class StartupParametersWindow;
class WeightingWindowDialog;

// What start-up takes from the machine; tests pass their own.
struct StartupEnvironment {
    QString programFolder;           // empty: the executable's folder
    QString settingsFolder;          // empty: the program folder
    std::optional<QSize> screenSize; // empty: the primary screen's size
    std::optional<bool> soundDevice; // empty: ask the platform
    // Makes the link for a port name; empty: the hardware port or the simulated box.
    Instrument::LinkFactory linkFactory;
    // Plays a sound file (full path); empty: the program's sound player.
    std::function<void(const QString& path)> playSound;
    // Answers to the questions of saving, exporting and printing to a file; each one left
    // empty is asked in the program's own dialog.
    OutputPrompts outputPrompts;
    // The claim of the running copy; later copies hand it their command line, which
    // brings this window to the front. None: nobody hands anything over.
    SingleInstanceGuard* instanceGuard = nullptr;
};

// The regions of the main window, placed at their fixed positions.
enum class Region {
    ScreenPanel,
    SpectrumPanel,
    TimeBase,
    Magnifier,
    Acquisition,
    Trigger,
    Translation,
    SampleGrid,
    ChannelA,
    ChannelB,
    CentreColumn,
};
inline constexpr int RegionCount = static_cast<int>(Region::CentreColumn) + 1;

// The main window: the composition root. It makes the instrument session and the pieces
// that show it (the screen, the front panel, the menus and tool bar, the status bar and
// the small windows), connects them, and runs the start-up sequence. It holds no rule of
// the instrument: every command goes to the session or to the window it opens.
//
// The pieces have no getters: they carry object names by which they are found
// (findChild<T*>(name)). Each is named after its part in the window, in lower camel case:
// - objects: session (the Instrument, a member that is also a child), commandSurfaces,
//   screenController, markerController, measurementController, frontPanel;
// - widgets: client, the regions "region." and the Region's name (region.screenPanel,
//   region.timeBase ... region.centreColumn), statusPanel0 to statusPanel2, progressBar,
//   screenView, sampleTable, markerButtons, spectrumView, spectrumButtons;
// - windows over it: portDialog, graticuleOptions, colours, about, startupParameters,
//   menuStyle, weightingDialog, printPreview, spectrumPrint, measurements;
// - windows of their own, without a parent, among the application's top-level widgets:
//   splash, communicationNotice, helpViewer.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 964;
    static constexpr int ClientHeight = 676;

    explicit MainWindow(const StartupEnvironment& environment = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // False when start-up decided the program must end without serving the user.
    bool ShouldServe() const { return serve; }

    // Coming back to the main window: the settings file is rewritten (the small windows
    // change the settings in memory only), the screen and the knobs redrawn, the idle
    // animation restarted while the link is inactive, a paused sweep weighted anew, and
    // on the first run the port question asked.
    void MainWindowActivated();
    void QuitProgram();
    // Opens the help file at a topic; every help button of the program comes here, with
    // the window it is on when that is not the main window.
    void ShowHelpTopic(const QString& topic, QWidget* asking = nullptr);
    // Shows or hides the sample table in place of the trigger and translation groups.
    void ToggleHardwareCheck();
    // Plays a sound file of the program's folder without waiting, if sounds are on.
    void PlaySound(const QString& fileName);
    // A later copy handed over: the window is restored if minimised and comes to the
    // front. Nothing happens before the window is shown at the end of start-up.
    void BringToFront();

signals:
    // The application should end at the next turn of its event loop.
    void terminateRequested();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QWidget* RegionWidget(Region r) const { return regions[static_cast<int>(r)]; }
    void BuildClientArea();
    void BuildStatusBar();
    void BuildScreenAndPanel();
    void BuildMarkers();
    void BuildSpectrum();
    void ResetSpectrum();
    // The spectrum switched on: the chart covers the screen, the window-choice button
    // appears and the spectrum is computed at once; off: the screen is back and redrawn.
    void ShowSpectrumView(bool on);
    void BuildWindows();
    void BuildOutput(const OutputPrompts& prompts);
    // Opens the print window of the view shown, the clock stopped while it is open.
    void OpenPrintWindow();
    void ConnectSession();
    void StartupSequence(const StartupEnvironment& environment);
    void RunCommand(Command command);
    void ShowMathMenu();
    void ShowPresetHints(Preset preset);
    void SetOutputCommandsEnabled(bool enabled);
    void SetOutputHintsShown(bool shown);
    void ActivationStarted();
    void LinkLost();
    // The link lost or live again: activation and the port's choice offered while it is
    // lost, and the screen's frame marked as not live.
    void ShowLinkState();
    // The command panel of the status bar: the exchange's text during an exchange, the
    // session's notice about the link outside one.
    void ShowCommandPanel();
    void ShowProgress(int maximum);
    // The automatic measurements: their controller, made with the session's other
    // followers; their window, made with the other small windows.
    void BuildMeasurements();
    // Single shot: the command usable or not, pressed while armed, and the third panel of
    // the status bar.
    void ShowSingleShot();

    Instrument session;
    std::function<void(const QString&)> playSound;
    bool serve = true;
    bool skipNextActivation = false;

    QWidget* client = nullptr;
    QToolBar* toolBar = nullptr;
    CommandSurfaces* surfaces = nullptr;
    std::array<QWidget*, RegionCount> regions{};
    QStatusBar* statusBar = nullptr;
    std::array<QLabel*, 3> statusPanels{};
    QProgressBar* progress = nullptr;
    ScreenView* screenView = nullptr;
    ScreenController* screen = nullptr;
    FrontPanel* frontPanel = nullptr;
    MarkerController* markers = nullptr;
    MarkerButtons* markerButtons = nullptr;
    MeasurementController* measurements = nullptr;
    MeasurementsWindow* measurementsWindow = nullptr;
    SampleTableView* tableView = nullptr;
    CommunicationWindow* communication = nullptr;
    PortSelectionDialog* portDialog = nullptr;
    HelpViewer* help = nullptr;
    GraticuleOptionsWindow* graticuleOptions = nullptr;
    ColoursWindow* colours = nullptr;
    AboutWindow* about = nullptr;
    StartupParametersWindow* startupParameters = nullptr;
    SpectrumView* spectrumView = nullptr;
    SpectrumButtons* spectrumButtons = nullptr;
    WeightingWindowDialog* weightingDialog = nullptr;
    MenuStyleWindow* menuStyle = nullptr; // no command opens it; it is reached from code
    std::unique_ptr<OutputCommands> output;
    // One printer for both print windows and the printer set-up.
    std::unique_ptr<QPrinter> printer;
    PrintPreviewWindow* printPreview = nullptr;
    SpectrumPrintWindow* spectrumPrint = nullptr;

    SplashWindow* splash = nullptr;
    SoundPlayer* sounds = nullptr;
    QTimer* splashTimer = nullptr;
    PanelLocks shownLocks;  // the output locks as the commands were last set
    QString exchangeStatus; // the command protocol's last status text
};
