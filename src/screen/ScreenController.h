#pragma once

#include "app/InstrumentSettings.h"
#include "screen/OscilloscopeScreen.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <array>
#include <functional>

class QAction;
class ProgramServices;
class ScreenView;
class TraceSwitch;

// Values owned by other parts of the program that a redraw reads, each asked afresh at
// every redraw. A missing source gives the start-up value (magnifier 1, window at 0,
// weighting effect and spectrum view off, offsets 0, the computer's clock).
struct ScreenSources {
    std::function<int()> magnification;
    std::function<int()> ramWindowStart;
    std::function<bool()> showWindowEffect;
    std::function<bool()> spectrumMode;
    std::function<int()> sumOffset;
    std::function<int()> differenceOffset;
    std::function<QDateTime()> now;
};

// The refresh cycle of the screen: RedrawScreen, the clock timer (time and date once a
// second) and the idle animation timer (running from creation); the Math menu
// (SelectMathMode and the state of its four items and four tool buttons); and the handler
// of the two trace switches.
class ScreenController : public QObject {
    Q_OBJECT
public:
    ScreenController(ProgramServices& services, ScreenView& view, QObject* parent = nullptr);

    void SetSources(ScreenSources sources);
    void SetLayers(ScreenLayers layers);

    // Full redraw from the current state, shown at once. Throws what the drawing throws
    // (the picture drawn up to the failure is shown); callers run under the error guard.
    void RedrawScreen();

    // Math menu items and tool buttons: mode 0 none, 1 A + B, 2 A - B, 3 X-Y.
    void SelectMathMode(int mode);

    // Handler of a trace switch press: redraw with the new state, write and save settings
    // line 22 or 23, enable or disable the channel's controls (ChannelControlsEnabled);
    // switching off also disables the no-math tool button.
    void TraceSwitched(Channel channel, bool on);

    // Runs TraceSwitched, under the error guard, for each press of the switch.
    void ConnectTraceSwitch(TraceSwitch* traceSwitch);

    // Keeps the Math menu's four items and the four math tool buttons (modes 0 to 3) in
    // the state decided here: enabled and checked items, enabled buttons, and the buttons'
    // hints (tooltip and status-bar text, both empty while hints are off; the tool-button
    // actions must have no text of their own). Their triggering stays with the caller,
    // which runs SelectMathMode. A null action is skipped.
    void BindMathActions(const std::array<QAction*, 4>& menuItems,
                         const std::array<QAction*, 4>& toolButtons);

    bool MathItemEnabled(int mode) const;   // menu item; "Pas de Mat&h" is always enabled
    bool MathButtonEnabled(int mode) const; // tool button
    bool MathItemChecked(int mode) const;
    bool MathHintsShown() const { return mathMenu.hintsShown; }

    // The two timers. The animation timer runs from creation; the main window starts it on
    // activation while the link is inactive and stops it at link activation and at quit.
    // The clock timer runs from creation; start-up and the print previews stop it.
    void StartClock();
    void StopClock();
    bool ClockRunning() const { return clockTimer.isActive(); }
    void StartAnimation();
    void StopAnimation();
    bool AnimationRunning() const { return animationTimer.isActive(); }

    // The timers' handlers. A failing tick reports its error once; the following ticks
    // fail silently until one succeeds, so a bad setting does not pile up error boxes.
    void ClockTick();
    void AnimationTick();

    OscilloscopeScreen& Screen() { return screen; }
    const OscilloscopeScreen& Screen() const { return screen; }

signals:
    void MathControlsChanged();
    void ChannelControlsEnabled(Channel channel, bool enabled);
    void Redrawn();

private:
    ScreenInputs Inputs();
    void Publish(bool fullRedraw, int traceRunsBefore);
    template <typename F> void RunTick(bool& failing, F&& tick);

    ProgramServices& services;
    ScreenView& view;
    OscilloscopeScreen screen;
    ScreenSources sources;
    ScreenLayers layers;
    QTimer clockTimer;
    QTimer animationTimer;

    MathMenuState mathMenu;
    int checkedMode = 0;
    bool noMathButtonEnabled = false;

    bool inTick = false;
    bool clockFailing = false;
    bool animationFailing = false;
};
