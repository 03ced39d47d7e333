#pragma once

#include "core/InstrumentSettings.h"
#include "core/PersistedSettings.h"
#include "core/SampleTable.h"
#include "screen/Annotations.h"
#include "screen/ScreenCanvas.h"
#include "screen/ScreenInputs.h"
#include "screen/TileMask.h"
#include "screen/Traces.h"

#include <QRegion>
#include <array>
#include <optional>

// The oscilloscope screen raster and the operations that draw on it: the full redraw,
// the clock refresh and the idle animation. Each operation says which part of the raster
// it may have changed (Changed), so that the window is given only that part.
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
    // Lissajous figure of the phase over the new picture. When the inputs are those of the
    // previous tick (the session, the settings, the store, the clock's second and the
    // layers unchanged) and nothing else was drawn since, the picture under the previous
    // figure is put back and only the new figure is drawn: the same pixels as a redraw.
    void IdleAnimation(const ScreenInputs& in);

    // The next idle tick redraws everything (the layers' hooks were replaced).
    void ForgetDrawnInputs() {
        idleBase.reset();
        basePicture = QImage();
    }

    // The part of the raster the last operation may have changed: all of it, but after an
    // idle tick that only moved the figure.
    const QRegion& Changed() const { return changed; }

    double AnimationPhase() const { return animationPhase; }
    void SetAnimationPhase(double phase) { animationPhase = phase; }

    const QImage& Image() const { return canvas.Image(); }
    const ClockReading& LastClock() const { return clock; }

private:
    // Everything a redraw reads, kept by value.
    struct DrawnInputs {
        InstrumentSettings instrument;
        PersistedSettings settings;
        SampleTable samples;
        int magnification = 0;
        int ramWindowStart = 0;
        bool showWindowEffect = false;
        int sumOffset = 0;
        int differenceOffset = 0;
        ClockReading clock;
        const ScreenLayers* layers = nullptr;

        static DrawnInputs Of(const ScreenInputs& in);
        bool Same(const ScreenInputs& in) const;
    };

    void DrawFigure(double phase);

    ScreenCanvas canvas;
    ClockReading clock;
    double animationPhase = 0.0;
    std::optional<DrawnInputs> idleBase; // the inputs of the redraw under the figure
    QImage basePicture;                  // that redraw's picture
    TileMask figure;                     // the squares the figure wrote over it
    QRegion changed;
};

// Frequency ratio of the idle figure for a phase: 1 up to 33, 2 up to 66, 3 up to 100,
// then 2.
int AnimationRatio(double phase);

// One dash of the idle figure, from (x1, y1) towards (x2, y2).
struct IdleDash {
    int x1;
    int y1;
    int x2;
    int y2;
};

// The idle figure for a phase: 361 dashes of x = sin(k s), y = sin(s + phase) at
// s = 0, 1, ..., 360, each from s to s + 0.1, k the ratio of the phase.
std::array<IdleDash, 361> IdleFigure(double phase);

// Draws the idle figure of a phase in the colour round(phase) x 100000.
void DrawIdleFigure(ScreenCanvas& canvas, double phase);
