#pragma once

#include <QDateTime>
#include <functional>

class PersistedSettings;
class SampleTable;
class ScreenCanvas;
struct InstrumentSettings;

// Layers of the redraw that other parts of the program draw: the measurement markers
// and their readouts, and the spectrum that replaces the screen in the spectrum view.
// An empty hook draws nothing.
struct ScreenLayers {
    std::function<void(ScreenCanvas&)> drawMarkerLines;
    std::function<void(ScreenCanvas&)> drawTimeReadout;
    std::function<void(ScreenCanvas&)> drawVoltageReadout;
    std::function<void()> computeSpectrum;
};

// Everything one redraw reads; a redraw writes nothing but the screen raster. What must
// change in the data before a redraw (the Math menu rule, the math values kept on the
// screen, the measured ground levels) has been done by the session just before.
struct ScreenInputs {
    const InstrumentSettings& instrument;
    const PersistedSettings& settings;
    const SampleTable& samples;
    int magnification = 1;  // horizontal magnifier: 1, 2 or 5
    int ramWindowStart = 0; // first memory sample of the displayed window
    bool showWindowEffect = false;
    bool spectrumMode = false;
    int sumOffset = 0;
    int differenceOffset = 0;
    QDateTime now; // the clock reading the time and date texts show
    const ScreenLayers* layers = nullptr;
};
