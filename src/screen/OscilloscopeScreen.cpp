#include "screen/OscilloscopeScreen.h"

#include "screen/Graticule.h"
#include "screen/ScreenFont.h"
#include "screen/TileMask.h"

#include <algorithm>
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

// The x of both ends of every dash for each ratio: they do not depend on the phase.
struct FigureColumns {
    std::array<int, 361> from;
    std::array<int, 361> to;
};

const FigureColumns& ColumnsOf(int k) {
    static const std::array<FigureColumns, 3> columns = [] {
        std::array<FigureColumns, 3> all{};
        for (int ratio = 1; ratio <= 3; ++ratio)
            for (int i = 0; i <= 360; ++i) {
                all[std::size_t(ratio - 1)].from[std::size_t(i)] =
                    RoundHalfEven(std::sin(ratio * i) * 250) + 320;
                all[std::size_t(ratio - 1)].to[std::size_t(i)] =
                    RoundHalfEven(std::sin(ratio * (i + 0.1)) * 250) + 320;
            }
        return all;
    }();
    return columns[std::size_t(std::clamp(k, 1, 3) - 1)];
}

} // namespace

OscilloscopeScreen::DrawnInputs OscilloscopeScreen::DrawnInputs::Of(const ScreenInputs& in) {
    return {in.instrument,    in.settings,         in.samples,
            in.magnification, in.ramWindowStart,   in.showWindowEffect,
            in.sumOffset,     in.differenceOffset, ClockReading::From(in.now),
            in.layers};
}

bool OscilloscopeScreen::DrawnInputs::Same(const ScreenInputs& in) const {
    return !in.spectrumMode && magnification == in.magnification &&
           ramWindowStart == in.ramWindowStart && showWindowEffect == in.showWindowEffect &&
           sumOffset == in.sumOffset && differenceOffset == in.differenceOffset &&
           layers == in.layers && instrument == in.instrument &&
           clock == ClockReading::From(in.now) && settings == in.settings && samples == in.samples;
}

void OscilloscopeScreen::RedrawScreen(const ScreenInputs& in) {
    idleBase.reset();
    basePicture = QImage();
    changed = QRegion(canvas.Image().rect());
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
    changed = TileMask::Differences(canvas.Previous(), canvas.Image()).Region();
}

void OscilloscopeScreen::DrawClock(const PersistedSettings& settings, const QDateTime& now) {
    idleBase.reset();
    basePicture = QImage();
    // The clock's two lines of text, at the top of the raster.
    changed = QRegion(QRect(0, 0, canvas.Image().width(), 2 * ScreenFont::LineHeight + 2));
    clock = ::DrawClock(canvas, settings, now);
}

void OscilloscopeScreen::IdleAnimation(const ScreenInputs& in) {
    animationPhase += 0.1;
    if (idleBase && idleBase->Same(in)) {
        // The picture under the previous figure, then the new figure.
        canvas.CopyFrom(basePicture, figure);
        TileMask squares = figure;
        DrawFigure(animationPhase);
        squares |= figure;
        changed = squares.Region();
    } else {
        RedrawScreen(in);
        if (!in.spectrumMode) {
            idleBase = DrawnInputs::Of(in);
            basePicture = canvas.Image();
            DrawFigure(animationPhase);
            changed |= figure.Region();
        } else {
            DrawFigure(animationPhase);
        }
    }
    if (animationPhase > 133)
        animationPhase = 1;
}

void OscilloscopeScreen::DrawFigure(double phase) {
    if (idleBase) {
        figure = TileMask(canvas.Image().rect());
        canvas.Track(&figure);
    }
    DrawIdleFigure(canvas, phase);
    canvas.Track(nullptr);
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

std::array<IdleDash, 361> IdleFigure(double phase) {
    const FigureColumns& columns = ColumnsOf(AnimationRatio(phase));
    std::array<IdleDash, 361> dashes{};
    for (int i = 0; i <= 360; ++i) {
        const std::size_t at = std::size_t(i);
        dashes[at] = {columns.from[at], RoundHalfEven(std::sin(i + phase) * 100) + 160,
                      columns.to[at], RoundHalfEven(std::sin(i + 0.1 + phase) * 100) + 160};
    }
    return dashes;
}

void DrawIdleFigure(ScreenCanvas& canvas, double phase) {
    canvas.SetPenColour(RoundHalfEven(phase) * 100000);
    for (const IdleDash& dash : IdleFigure(phase)) {
        canvas.MoveTo(dash.x1, dash.y1);
        canvas.LineTo(dash.x2, dash.y2);
    }
}
