#pragma once

#include "app/CommandSurfaces.h"
#include "app/InstrumentSettings.h"
#include "app/PersistedSettings.h"
#include "app/ProgramServices.h"
#include "link/SampleTable.h"

#include <QMainWindow>
#include <QSize>
#include <array>
#include <optional>

class QLabel;
class QProgressBar;
class QStatusBar;
class QTimer;
class QToolBar;
class SoundPlayer;
class SplashWindow;

// What start-up takes from the machine; tests pass their own.
struct StartupEnvironment {
    QString programFolder;           // empty: the executable's folder
    std::optional<QSize> screenSize; // empty: the primary screen's size
    std::optional<bool> soundDevice; // empty: ask the platform
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

class MainWindow : public QMainWindow, public ProgramServices {
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

    CommandSurfaces& Surfaces() { return *surfaces; }
    QWidget* RegionWidget(Region r) const { return regions[static_cast<int>(r)]; }
    QWidget* Client() const { return client; }
    QLabel* StatusPanel(int index) const { return statusPanels[index]; }
    QProgressBar* ProgressBar() const { return progress; }
    SplashWindow* Splash() const { return splash; }
    QTimer* ClockTimer() const { return clockTimer; }
    QTimer* AnimationTimer() const { return animationTimer; }
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

    PersistedSettings settings;
    InstrumentSettings instrument;
    SampleTable samples;
    QString programFolder;
    QString settingsPath;
    bool serve = true;
    bool linkActive = false;
    bool linkFailed = false;
    bool quitting = false;
    bool skipNextActivation = false;

    QWidget* client = nullptr;
    QToolBar* toolBar = nullptr;
    CommandSurfaces* surfaces = nullptr;
    std::array<QWidget*, RegionCount> regions{};
    QStatusBar* statusBar = nullptr;
    std::array<QLabel*, 3> statusPanels{};
    QProgressBar* progress = nullptr;
    QLabel* screenImage = nullptr;

    SplashWindow* splash = nullptr;
    SoundPlayer* sounds = nullptr;
    QTimer* splashTimer = nullptr;
    QTimer* clockTimer = nullptr;
    QTimer* animationTimer = nullptr;
};
