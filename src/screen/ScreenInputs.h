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

// Everything one redraw reads. The instrument and the sample table are written as well:
// the trace layer puts the math mode back to none while a trace is off and writes the
// clamped math values back into the table, and the ground-marker layer records the
// measured ground level.
struct ScreenInputs {
    InstrumentSettings& instrument;
    const PersistedSettings& settings;
    SampleTable& samples;
    int magnification = 1;  // horizontal magnifier: 1, 2 or 5
    int ramWindowStart = 0; // first memory sample of the displayed window
    bool showWindowEffect = false;
    bool spectrumMode = false;
    int sumOffset = 0;
    int differenceOffset = 0;
    QDateTime now; // the clock reading the time and date texts show
    const ScreenLayers* layers = nullptr;
};
