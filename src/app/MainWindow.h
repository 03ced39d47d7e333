#pragma once

#include "app/CommandSurfaces.h"
#include "app/InstrumentSettings.h"
#include "app/PersistedSettings.h"
#include "app/ProgramServices.h"
#include "link/CommandHost.h"
#include "link/PacketFramer.h"
#include "link/SampleDecoder.h"
#include "link/SampleTable.h"
#include "screen/RamWindow.h"

#include <QMainWindow>
#include <QSize>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class CommandProtocol;
class CommunicationWindow;
class FrontPanel;
class HelpViewer;
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
class SoundPlayer;
class SplashWindow;

// What start-up takes from the machine; tests pass their own.
struct StartupEnvironment {
    QString programFolder;           // empty: the executable's folder
    std::optional<QSize> screenSize; // empty: the primary screen's size
    std::optional<bool> soundDevice; // empty: ask the platform
    // Makes the link for a port name; empty: the hardware port or the simulated box.
    std::function<std::unique_ptr<SerialLink>(const QString& portName)> linkFactory;
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

class MainWindow : public QMainWindow, public ProgramServices, private CommandHost {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 964;
    static constexpr int ClientHeight = 676;

    explicit MainWindow(const StartupEnvironment& environment = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // False when start-up decided the program must end without serving the user.
    bool ShouldServe() const { return serve; }

    // ProgramServices
    PersistedSettings& Settings() override { return settings; }
    InstrumentSettings& Instrument() override { return instrument; }
    SampleTable& Samples() override { return samples; }
    void SaveSettings() override;
    void SendCommand(const QString& command) override;
    void RedrawScreen() override;
    void PlaySound(const QString& fileName) override;
    QString ProgramFolder() const override { return programFolder; }
    bool LinkActive() const override { return linkActive; }

    void MainWindowActivated();
    void QuitProgram();

    // Opens the port of settings line 1, wakes and initialises the box, applies the
    // activated preset and restores the start-up settings the user chose.
    void ActivateLink();
    bool LinkFailed() const { return linkFailed; }

    CommandSurfaces& Surfaces() { return *surfaces; }
    QWidget* RegionWidget(Region r) const { return regions[static_cast<int>(r)]; }
    QWidget* Client() const { return client; }
    QLabel* StatusPanel(int index) const { return statusPanels[index]; }
    QProgressBar* ProgressBar() const { return progress; }
    SplashWindow* Splash() const { return splash; }
    ScreenController& Screen() const { return *screen; }
    FrontPanel& Panel() const { return *frontPanel; }
    RamWindow& Window() { return ramWindow; }
    SampleDecoder& Decoder() { return decoder; }
    SerialLink* Link() const { return link.get(); }
    CommandProtocol* Protocol() const { return protocol; }
    CommunicationWindow* CommunicationNotice() const { return communication; }
    PortSelectionDialog* PortDialog() const { return portDialog; }
    HelpViewer* Help() const { return help; }

    // Opens the help file at a topic; every help button of the program comes here.
    void ShowHelpTopic(const QString& topic);
    SoundPlayer& Sounds() { return *sounds; }
    const QString& SettingsPath() const { return settingsPath; }

    // Shows or hides the sample table in place of the trigger and translation groups.
    void ToggleHardwareCheck();

signals:
    // The application should end at the next turn of its event loop.
    void terminateRequested();
    // The port-selection window should open (the question of the first start).
    void portSelectionRequested();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildClientArea();
    void BuildStatusBar();
    void StartupSequence(const StartupEnvironment& environment);
    void SetInitialState();
    void ApplyInactivePreset();
    void RunCommand(Command command);
    void SetOutputCommandsEnabled(bool enabled);
    void BuildScreenAndPanel();
    void ReceiveBytes(const QByteArray& chunk);
    void CommunicationTick();

    // CommandHost: what a command exchange shows and locks.
    void SetSettingGroupsEnabled(bool enabled) override;
    void SetAcquisitionGroupsEnabled(bool enabled) override;
    void SetCommandStatus(const QString& text) override;
    void ShowProgress(int minimum, int maximum) override;
    void SetProgress(int value) override;
    void HideProgress() override;
    void LinkFailure() override;

    PersistedSettings settings;
    InstrumentSettings instrument;
    SampleTable samples;
    RamWindow ramWindow;
    PacketFramer framer;
    SampleDecoder decoder{*this};
    std::unique_ptr<SerialLink> link;
    CommandProtocol* protocol = nullptr;
    QString programFolder;
    QString settingsPath;
    bool serve = true;
    bool linkActive = false;
    bool linkFailed = false;
    bool quitting = false;
    bool skipNextActivation = false;
    std::function<std::unique_ptr<SerialLink>(const QString&)> linkFactory;

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
    SampleTableView* tableView = nullptr;
    CommunicationWindow* communication = nullptr;
    PortSelectionDialog* portDialog = nullptr;
    HelpViewer* help = nullptr;

    SplashWindow* splash = nullptr;
    SoundPlayer* sounds = nullptr;
    QTimer* splashTimer = nullptr;
    QTimer* communicationTimer = nullptr;
    int communicationTicks = 0;
};
