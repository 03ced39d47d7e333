#pragma once

#include "core/InstrumentSettings.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <stdexcept>

// A command line the capture cannot run: the text says why and names the option, in
// French. The capture ends with status 1.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString Text() const { return QString::fromUtf8(what()); }
};

// What one channel is set to before the capture; the values are rows and values of the
// instrument's tables.
struct ChannelOptions {
    int voltsPerDivIndex = InstrumentSettings{}.channelA.voltsPerDivIndex; // 1 V
    Coupling coupling = Coupling::DC;
    bool probeTimesTen = false;
    bool traceOn = true;
    int position = InstrumentSettings{}.channelA.verticalPosition; // the centre
};

// The command line of oscilloscope-capture, read.
struct CaptureOptions {
    bool help = false;
    bool version = false;

    // The source: a port (a device, or the simulated box), or an acquisition file.
    QString port;
    QString from;

    // How long: a number of sweeps, or seconds (with a port, one of them).
    std::optional<int> sweeps;
    std::optional<double> seconds;

    // The instrument, sent whole after the initialisation.
    int timeBaseIndex = InstrumentSettings{}.timeBaseIndex; // 0.1 ms/div
    std::array<ChannelOptions, 2> channels;                 // A, B
    TriggerSource trigger = TriggerSource::Off;
    int windowStart = 0;

    // The outputs; "-" is the standard output.
    QString csv;
    QString measurements;
    QString record;

    bool quiet = false;

    const ChannelOptions& Of(Channel c) const { return channels[c == Channel::A ? 0 : 1]; }
    ChannelOptions& Of(Channel c) { return channels[c == Channel::A ? 0 : 1]; }
};

inline constexpr const char* CaptureProgramName = "oscilloscope-capture";

// Reads the arguments (the program's name left out). Long options, each value after the
// option or joined to it by "=": "--sweeps 20", "--sweeps=20". Throws UsageError.
CaptureOptions ParseCaptureOptions(const QStringList& arguments);

// The text of --help, in French: every option with an example, and the exit statuses.
QString CaptureHelpText();
// The text of --version.
QString CaptureVersionText();

// The labels the options take, as the program's own labels read them: the time bases
// "1us" to "500ms" (the microsecond also written "µs"), the ranges "10mV" to "5V".
QString TimeBaseLabel(int index);
QString VoltsPerDivLabel(int index);
