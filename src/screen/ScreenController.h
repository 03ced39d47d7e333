#pragma once

#include "screen/OscilloscopeScreen.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>

class Instrument;
class ScreenView;

// The refresh cycle of the screen: RedrawScreen, whenever the session asks for it and
// from the main window; the clock timer (time and date once a second); and the idle
// animation timer (running from creation until the link is activated or the program
// quits). Each redraw of the oscilloscope screen lets the session prepare its data
// first, then draws from the session's state without changing it.
class ScreenController : public QObject {
    Q_OBJECT
public:
    ScreenController(Instrument& session, ScreenView& view, QObject* parent = nullptr);

    // The moment the clock shows, asked at every redraw; none: the computer's clock.
    void SetClock(std::function<QDateTime()> now);
    void SetLayers(ScreenLayers layers);
    const ScreenLayers& Layers() const { return layers; }

    // Full redraw from the current state, shown at once.
    void RedrawScreen();

    // The two timers. The main window starts the animation when it becomes active while
    // the link is inactive; link activation and quitting stop it. The clock timer runs
    // from creation; start-up and the print previews stop it.
    void StartClock();
    void StopClock();
    bool ClockRunning() const { return clockTimer.isActive(); }
    void StartAnimation();
    void StopAnimation();
    bool AnimationRunning() const { return animationTimer.isActive(); }

    // The timers' handlers. A failing tick reports its error once; the following ticks
    // fail silently until one succeeds, so that a failing layer does not pile up boxes.
    // A clock tick that would draw the time and date the screen already shows (a redraw
    // came within the same second) leaves the screen as it is.
    void ClockTick();
    void AnimationTick();

    OscilloscopeScreen& Screen() { return screen; }
    const OscilloscopeScreen& Screen() const { return screen; }

    // What a redraw would read now: the session's state, settings, samples, RAM window,
    // offsets, weighting effect and spectrum switch, the clock, and the layers.
    ScreenInputs Inputs() const;

signals:
    void redrawn();

private:
    void Draw(bool animate);
    // The moment the clock shows: the set clock's, or the computer's local time. The offset
    // of local time from UTC is read at most once a second: asking the system for local
    // time looks at the time zone's file each time.
    QDateTime Now() const;
    template <typename F> void RunTick(bool& failing, F&& tick);

    Instrument& session;
    ScreenView& view;
    OscilloscopeScreen screen;
    std::function<QDateTime()> clock;
    ScreenLayers layers;
    QTimer clockTimer;
    QTimer animationTimer;

    mutable int localOffset = 0; // seconds east of UTC
    mutable QDateTime localOffsetUntil;
    bool inTick = false;
    bool clockFailing = false;
    bool animationFailing = false;
};
