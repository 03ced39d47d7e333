#include "screen/ScreenController.h"

#include "app/ErrorGuard.h"
#include "app/PersistedSettings.h"
#include "app/ProgramServices.h"
#include "app/Timings.h"
#include "screen/ScreenView.h"
#include "screen/TraceSwitch.h"

#include <QAction>

namespace {

template <typename T> T Ask(const std::function<T()>& source, T fallback) {
    return source ? source() : fallback;
}

} // namespace

ScreenController::ScreenController(ProgramServices& services, ScreenView& view, QObject* parent)
    : QObject(parent), services(services), view(view) {
    clockTimer.setInterval(ProgramTimings().clockMs);
    connect(&clockTimer, &QTimer::timeout, this, &ScreenController::ClockTick);
    animationTimer.setInterval(ProgramTimings().animationMs);
    connect(&animationTimer, &QTimer::timeout, this, &ScreenController::AnimationTick);
    clockTimer.start();
    animationTimer.start();
}

void ScreenController::SetSources(ScreenSources newSources) {
    sources = std::move(newSources);
}

void ScreenController::SetLayers(ScreenLayers newLayers) {
    layers = std::move(newLayers);
}

ScreenInputs ScreenController::Inputs() {
    ScreenInputs in{services.Instrument(),
                    services.Settings(),
                    services.Samples(),
                    1,
                    0,
                    false,
                    false,
                    0,
                    0,
                    QDateTime(),
                    nullptr};
    in.magnification = Ask(sources.magnification, 1);
    in.ramWindowStart = Ask(sources.ramWindowStart, 0);
    in.showWindowEffect = Ask(sources.showWindowEffect, false);
    in.spectrumMode = Ask(sources.spectrumMode, false);
    in.sumOffset = Ask(sources.sumOffset, 0);
    in.differenceOffset = Ask(sources.differenceOffset, 0);
    in.now = sources.now ? sources.now() : QDateTime::currentDateTime();
    in.layers = &layers;
    return in;
}

void ScreenController::Publish(bool fullRedraw, int traceRunsBefore) {
    view.SetImage(screen.Image());
    if (fullRedraw)
        view.WhitenPanel();
    if (screen.TraceLayerRuns() != traceRunsBefore) {
        const MathMenuState written = screen.MathMenu();
        const bool changed = written.modesEnabled != mathMenu.modesEnabled ||
                             written.hintsShown != mathMenu.hintsShown ||
                             (!written.modesEnabled && checkedMode != 0);
        mathMenu = written;
        if (!mathMenu.modesEnabled)
            checkedMode = 0;
        if (changed)
            emit MathControlsChanged();
    }
    emit Redrawn();
}

void ScreenController::RedrawScreen() {
    ScreenInputs in = Inputs();
    const int traceRunsBefore = screen.TraceLayerRuns();
    try {
        screen.RedrawScreen(in);
    } catch (...) {
        Publish(!in.spectrumMode, traceRunsBefore);
        throw;
    }
    Publish(!in.spectrumMode, traceRunsBefore);
}

void ScreenController::SelectMathMode(int mode) {
    if (mode < 0 || mode >= MathModeCount)
        return;
    services.Instrument().mathMode = static_cast<MathMode>(mode);
    checkedMode = mode;
    noMathButtonEnabled = mode != 0;
    emit MathControlsChanged();
    RedrawScreen();
}

void ScreenController::TraceSwitched(Channel channel, bool on) {
    services.Instrument().Of(channel).traceOn = on;
    RedrawScreen();
    services.Settings().SetLine(SettingsLine::Trace(channel),
                                SettingsText::FromTraceOn(on, channel));
    services.SaveSettings();
    emit ChannelControlsEnabled(channel, on);
    if (!on) {
        noMathButtonEnabled = false;
        emit MathControlsChanged();
    }
}

void ScreenController::ConnectTraceSwitch(TraceSwitch* traceSwitch) {
    connect(traceSwitch, &TraceSwitch::Switched, this,
            GuardedSlot([this](Channel channel, bool on) { TraceSwitched(channel, on); }));
}

bool ScreenController::MathItemEnabled(int mode) const {
    if (mode == 0)
        return true;
    return mode > 0 && mode < MathModeCount && mathMenu.modesEnabled;
}

bool ScreenController::MathButtonEnabled(int mode) const {
    if (mode == 0)
        return noMathButtonEnabled;
    return MathItemEnabled(mode);
}

bool ScreenController::MathItemChecked(int mode) const {
    return mode == checkedMode;
}

void ScreenController::BindMathActions(const std::array<QAction*, 4>& menuItems,
                                       const std::array<QAction*, 4>& toolButtons) {
    auto update = [this, menuItems, toolButtons] {
        for (int mode = 0; mode < MathModeCount; ++mode) {
            QAction* item = menuItems[static_cast<size_t>(mode)];
            QAction* button = toolButtons[static_cast<size_t>(mode)];
            if (item) {
                item->setEnabled(MathItemEnabled(mode));
                item->setChecked(MathItemChecked(mode));
            }
            if (button) {
                button->setEnabled(MathButtonEnabled(mode));
                button->setToolTip(MathHintsShown() ? MathToolTip(mode) : QString());
                button->setStatusTip(MathHintsShown() ? MathStatusHelp(mode) : QString());
            }
        }
    };
    connect(this, &ScreenController::MathControlsChanged, this, update);
    update();
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

void ScreenController::ClockTick() {
    RunTick(clockFailing, [this] {
        const QDateTime now = sources.now ? sources.now() : QDateTime::currentDateTime();
        screen.DrawClock(services.Settings(), now);
        view.SetImage(screen.Image());
    });
}

void ScreenController::AnimationTick() {
    RunTick(animationFailing, [this] {
        ScreenInputs in = Inputs();
        const int traceRunsBefore = screen.TraceLayerRuns();
        try {
            screen.IdleAnimation(in);
        } catch (...) {
            Publish(!in.spectrumMode, traceRunsBefore);
            throw;
        }
        Publish(!in.spectrumMode, traceRunsBefore);
    });
}
