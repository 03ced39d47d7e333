#pragma once

#include "screen/Annotations.h"
#include "screen/ScreenCanvas.h"
#include "screen/ScreenInputs.h"
#include "screen/Traces.h"

// The oscilloscope screen raster and the operations that draw on it: the full redraw,
// the clock refresh and the idle animation.
class OscilloscopeScreen {
public:
    // Full redraw. On the oscilloscope screen: graticule (new raster), clock, time base
    // label, channel labels A and B, traces, trigger label, math label, marker lines, time
    // readout, voltage readout, ground markers. In the spectrum view only the two channel
    // labels are written on the hidden raster and the spectrum is recomputed.
    void RedrawScreen(const ScreenInputs& in);

    // Clock refresh on the current raster, without a redraw.
    void DrawClock(const PersistedSettings& settings, const QDateTime& now);

    // One tick of the idle animation: advances the phase by 0.1, redraws, and draws the
    // Lissajous figure of the phase over the new picture.
    void IdleAnimation(const ScreenInputs& in);

    double AnimationPhase() const { return animationPhase; }
    void SetAnimationPhase(double phase) { animationPhase = phase; }

    const QImage& Image() const { return canvas.Image(); }
    ScreenCanvas& Canvas() { return canvas; }
    const ClockReading& LastClock() const { return clock; }

private:
    ScreenCanvas canvas;
    ClockReading clock;
    double animationPhase = 0.0;
};

// Frequency ratio of the idle figure for a phase: 1 up to 33, 2 up to 66, 3 up to 100,
// then 2.
int AnimationRatio(double phase);

// The idle figure for a phase: 361 dashes of x = sin(k s), y = sin(s + phase) at
// s = 0, 1, ..., 360, each from s to s + 0.1, in the colour round(phase) x 100000.
void DrawIdleFigure(ScreenCanvas& canvas, double phase);
