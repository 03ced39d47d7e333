#include "screen/OscilloscopeScreen.h"

#include "screen/Graticule.h"

#include <cmath>

namespace {

void RunLayer(const std::function<void(ScreenCanvas&)>& layer, ScreenCanvas& canvas) {
    if (layer)
        layer(canvas);
}

// Nearest integer, halves to even.
int RoundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

void OscilloscopeScreen::RedrawScreen(const ScreenInputs& in) {
    const ScreenLayers noLayers;
    const ScreenLayers& layers = in.layers ? *in.layers : noLayers;

    if (in.spectrumMode) {
        DrawChannelLabel(canvas, in.instrument, in.settings, Channel::A);
        DrawChannelLabel(canvas, in.instrument, in.settings, Channel::B);
        if (layers.computeSpectrum)
            layers.computeSpectrum();
        return;
    }

    DrawGraticule(canvas, in.settings);
    clock = ::DrawClock(canvas, in.settings, in.now);
    DrawTimeBaseLabel(canvas, in.instrument, in.magnification);
    DrawChannelLabel(canvas, in.instrument, in.settings, Channel::A);
    DrawChannelLabel(canvas, in.instrument, in.settings, Channel::B);
    DrawTraces(canvas, in);
    DrawTriggerLabel(canvas, in.instrument);
    DrawMathLabel(canvas, in.instrument, in.settings);
    RunLayer(layers.drawMarkerLines, canvas);
    RunLayer(layers.drawTimeReadout, canvas);
    RunLayer(layers.drawVoltageReadout, canvas);
    DrawGroundMarkers(canvas, in.instrument, in.settings);
}

void OscilloscopeScreen::DrawClock(const PersistedSettings& settings, const QDateTime& now) {
    clock = ::DrawClock(canvas, settings, now);
}

void OscilloscopeScreen::IdleAnimation(const ScreenInputs& in) {
    animationPhase += 0.1;
    RedrawScreen(in);
    DrawIdleFigure(canvas, animationPhase);
    if (animationPhase > 133)
        animationPhase = 1;
}

int AnimationRatio(double phase) {
    if (phase < 33)
        return 1;
    if (phase < 66)
        return 2;
    if (phase < 100)
        return 3;
    return 2;
}

void DrawIdleFigure(ScreenCanvas& canvas, double phase) {
    const int k = AnimationRatio(phase);
    canvas.SetPenColour(RoundHalfEven(phase) * 100000);
    for (int i = 0; i <= 360; ++i) {
        const int x1 = RoundHalfEven(std::sin(k * i) * 250) + 320;
        const int y1 = RoundHalfEven(std::sin(i + phase) * 100) + 160;
        const int x2 = RoundHalfEven(std::sin(k * (i + 0.1)) * 250) + 320;
        const int y2 = RoundHalfEven(std::sin(i + 0.1 + phase) * 100) + 160;
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
    }
}
