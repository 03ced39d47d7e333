#pragma once

#include "core/SettingsLines.h"

#include <QString>
#include <QtGlobal>

class PersistedSettings;

enum class Coupling { AC = 1, GND = 2, DC = 3 };
enum class TriggerSource { Off = 1, ChannelA = 2, ChannelB = 3, External = 4 };
enum class MathMode { None = 0, Sum = 1, Difference = 2, XY = 3 };
enum class Channel { A, B };

struct ChannelSettings {
    int voltsPerDivIndex = 3; // 1..9, row of VoltsPerDivTable
    Coupling coupling = Coupling::GND;
    bool probeTimesTen = false; // display and measurement only
    int verticalPosition = 128; // 0..255, sent to the box
    int groundLevel = 0;        // sample code of the ground marker
    bool groundMarkerShown = true;
    // The ground level was measured from a sweep taken in GND coupling since the last
    // position change. The marker's validity at start-up, with level 0, is not such a
    // measurement; the measurements and the sample export read 0 V at the ground level
    // only while this is set, at the screen's centre line otherwise.
    bool groundMeasured = false;
    bool traceOn = false;

    int ProbeFactor() const { return probeTimesTen ? 10 : 1; }

    bool operator==(const ChannelSettings&) const = default;
};

struct InstrumentSettings {
    int timeBaseIndex = 12; // 1..18, row of TimeBaseTable
    ChannelSettings channelA;
    ChannelSettings channelB;
    bool triggerArmed = false;
    TriggerSource triggerSource = TriggerSource::Off;
    bool running = true;
    MathMode mathMode = MathMode::None;

    ChannelSettings& Of(Channel c) { return c == Channel::A ? channelA : channelB; }
    const ChannelSettings& Of(Channel c) const { return c == Channel::A ? channelA : channelB; }

    bool operator==(const InstrumentSettings&) const = default;
};

// The code that reads 0 V on a channel, for the automatic measurements and the sample
// export alike: its ground level once measured (groundMeasured), the screen's centre line
// otherwise.
bool ReadsFromGround(const ChannelSettings& channel);
int ZeroVoltCode(const ChannelSettings& channel);

// Clamps a vertical position into 0..255.
int ClampVerticalPosition(int value);

// How the markers' time readout reads a time base: the time per division at x1 in tenths
// of the dt unit (at x2 and x5 it is divided by 2 and 5), the dt unit, and the frequency
// formed as frequencyScale / dt with its decimals and unit.
struct TimeReadoutScale {
    qint64 tenthsPerDivision;
    const char* dtUnit;
    qint64 frequencyScale;
    int frequencyDecimals;
    const char* frequencyUnit;
};

struct TimeBaseRow {
    const char* caption;     // button caption
    const char* unit;        // "ms" or "µs": the group the button stands in
    const char* hint;        // button hint and the time/div label under the dial
    const char* sampling;    // sampling-frequency label
    const char* ramSweep;    // RAM-sweep label
    const char* command;     // command sent to the box
    int angle;               // dial pointer angle in degrees
    double secondsPerDiv;    // the range itself
    qint64 samplesPerSecond; // 30 points per division
    // The time per division the screen shows at x1, x2 and x5 (the magnifier's label
    // column).
    const char* timePerDivision[3];
    TimeReadoutScale readout;
    int mostSpectrumBins; // the spectrum's zoom stops here
};

struct VoltsPerDivRow {
    const char* caption;       // button caption
    const char* unit;          // "V" or "mV"
    const char* range;         // range text of the hint, "5V" .. "10mV"
    const char* panelLabel;    // label under the channel's dial
    const char* screenLabelX1; // screen label with a x1 probe
    const char* screenLabelX10;
    double voltsPerDiv; // with a x1 probe
    const char* commandA;
    const char* commandB;
    int angle;
    // The markers' voltage readout: divisions times this give the reading in `unit` with
    // a x1 probe (ten times that with x10), and the RMS reading's unit.
    qint64 readoutPerDivision;
    const char* rmsUnit;
    long double spectrumLogDivisor; // the logarithmic spectrum's divisor
};

struct CouplingRow {
    const char* caption;
    const char* command[2]; // channel A, channel B
};

struct TriggerRow {
    const char* caption;
    const char* hint;
    const char* screenLabel;
    const char* command;
    const char* glyph; // trigger-state lamp
};

inline constexpr int TimeBaseCount = 18;
inline constexpr int VoltsPerDivCount = 9;

// Row lookups: an index outside its table gives nothing.
const TimeBaseRow* TimeBaseAt(int index);
const VoltsPerDivRow* VoltsPerDivAt(int index);
const CouplingRow* CouplingAt(int value);
const TriggerRow* TriggerAt(int value);

// The Math menu: caption, shortcut and tool-button hint of each math mode (0 to 3). The
// hint holds the tooltip before the bar and the status-bar help after it.
struct MathModeRow {
    const char* caption;
    const char* shortcut;
    const char* hint;
    const char* screenLabel; // 22 characters
};
inline constexpr int MathModeCount = 4;
const MathModeRow* MathModeAt(int mode);
QString MathCaption(int mode);
QString MathShortcut(int mode);
QString MathHint(int mode);
QString MathToolTip(int mode);    // the hint's text before the bar
QString MathStatusHelp(int mode); // the hint's text after the bar
QString MathScreenLabel(int mode);

// Channel texts. Each returns an empty string for an index outside its table.
QString VoltsPerDivHint(int index, Channel channel); // "Calibre 5V - VOIE A"
QString VoltsPerDivScreenLabel(int index, bool probeTimesTen);
QString CouplingHint(int value, Channel channel);        // "Couplage AC VOIE A"
QString CouplingPanelLabel(int value, Channel channel);  // "VOIE A : AC"
QString CouplingScreenLabel(int value, Channel channel); // "Couplage VOIE A (X) : AC"

// Settings lines of a channel's persisted fields.
namespace SettingsLine {
inline constexpr int Position(Channel c) {
    return c == Channel::A ? PositionA : PositionB;
}
inline constexpr int Trace(Channel c) {
    return c == Channel::A ? TraceA : TraceB;
}
inline constexpr int CouplingOf(Channel c) {
    return c == Channel::A ? CouplingA : CouplingB;
}
inline constexpr int Volts(Channel c) {
    return c == Channel::A ? VoltsA : VoltsB;
}
inline constexpr int ColourOf(Channel c) {
    return c == Channel::A ? ColourA : ColourB;
}
} // namespace SettingsLine

// Bits of the start-up restore mask (SettingsLine::RestoreMask).
namespace RestoreBit {
inline constexpr int TimeBase = 1;
inline constexpr int Trigger = 2;
inline constexpr int Traces = 4;
inline constexpr int Couplings = 8;
inline constexpr int VoltsPerDiv = 16;
inline constexpr int Positions = 32;
} // namespace RestoreBit

// The instrument the activated preset puts in force: the start values of
// InstrumentSettings, with channel A's trace on and channel B's off.
InstrumentSettings ActivatedPresetSettings();

// The text of an instrument line (18 to 27) at every start, which is also the value of
// origin of its saved copy (30 to 39): the activated preset's instrument. Empty for any
// other line.
QString InstrumentLineStartText(int line);

// Writes the start values of the instrument lines, PositionA to VoltsB (every start-up
// resets them).
void ResetInstrumentLines(PersistedSettings& settings);
