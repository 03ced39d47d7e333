#include "screen/ScreenController.h"

#include "core/ErrorGuard.h"
#include "core/Timings.h"
#include "instrument/Instrument.h"
#include "screen/PaintLog.h"
#include "screen/ScreenView.h"

ScreenController::ScreenController(Instrument& owner, ScreenView& screenView, QObject* parent)
    : QObject(parent), session(owner), view(screenView) {
    clockTimer.setInterval(ProgramTimings().clockMs);
    connect(&clockTimer, &QTimer::timeout, this, &ScreenController::ClockTick);
    animationTimer.setInterval(ProgramTimings().animationMs);
    connect(&animationTimer, &QTimer::timeout, this, &ScreenController::AnimationTick);
    clockTimer.start();
    animationTimer.start();

    connect(&session, &Instrument::redrawRequested, this, GuardedSlot([this] {
        if (PaintLog::Enabled() && !session.Spectrum().on)
            view.NoteRedrawAsked(PaintLog::Now());
        RedrawScreen();
    }));
    connect(&session, &Instrument::activationStarted, this, &ScreenController::StopAnimation);
    connect(&session, &Instrument::quitStarted, this, &ScreenController::StopAnimation);
}

void ScreenController::SetClock(std::function<QDateTime()> now) {
    clock = std::move(now);
}

void ScreenController::SetLayers(ScreenLayers newLayers) {
    layers = std::move(newLayers);
    screen.ForgetDrawnInputs();
}

ScreenInputs ScreenController::Inputs() const {
    // What is shown: the live sweep, or a sweep browsed with the settings it was taken with.
    return ScreenInputs{session.ShownState(),
                        session.Settings(),
                        session.ShownSamples(),
                        session.ShownMagnification(),
                        session.ShownWindowStart(),
                        session.ShowWindowEffect(),
                        session.Spectrum().on,
                        session.ShownSumOffset(),
                        session.ShownDifferenceOffset(),
                        Now(),
                        &layers};
}

void ScreenController::Draw(bool animate) {
    const bool spectrum = session.Spectrum().on;
    if (!spectrum)
        session.PrepareScreen();
    const ScreenInputs in = Inputs();
    // A layer that fails stops the redraw where it happens; the screen then shows what was
    // drawn up to there, as it would have been left on the window.
    const auto publish = [&] {
        view.ShowRaster(screen.Image(), *this, screen.Changed());
        if (!spectrum)
            view.WhitenPanel();
    };
    try {
        if (animate)
            screen.IdleAnimation(in);
        else
            screen.RedrawScreen(in);
    } catch (...) {
        publish();
        throw;
    }
    publish();
    emit redrawn();
}

void ScreenController::RedrawScreen() {
    Draw(false);
}

void ScreenController::StartClock() {
    clockTimer.setInterval(ProgramTimings().clockMs);
    clockTimer.start();
}

void ScreenController::StopClock() {
    clockTimer.stop();
}

void ScreenController::StartAnimation() {
    animationTimer.setInterval(ProgramTimings().animationMs);
    animationTimer.start();
}

void ScreenController::StopAnimation() {
    animationTimer.stop();
}

template <typename F> void ScreenController::RunTick(bool& failing, F&& tick) {
    // A tick arriving while the error box of an earlier one is open is dropped.
    if (inTick)
        return;
    inTick = true;
    try {
        tick();
        failing = false;
    } catch (...) {
        if (!failing) {
            failing = true;
            ErrorGuard::ReportCurrentException();
        }
    }
    inTick = false;
}

QDateTime ScreenController::Now() const {
    if (clock)
        return clock();
    const QDateTime utc = QDateTime::currentDateTimeUtc();
    if (!localOffsetUntil.isValid() || utc >= localOffsetUntil) {
        localOffset = QDateTime::currentDateTime().offsetFromUtc();
        localOffsetUntil = utc.addSecs(1);
    }
    return utc.toOffsetFromUtc(localOffset);
}

void ScreenController::ClockTick() {
    RunTick(clockFailing, [this] {
        const QDateTime now = Now();
        if (ClockReading::From(now) == screen.LastClock())
            return;
        screen.DrawClock(session.Settings(), now);
        view.ShowRaster(screen.Image(), *this, screen.Changed());
    });
}

void ScreenController::AnimationTick() {
    RunTick(animationFailing, [this] { Draw(true); });
}
