#pragma once

#include "core/InstrumentSettings.h"
#include "core/SampleTable.h"
#include "core/WeightingWindow.h"
#include "screen/Annotations.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>
#include <stdexcept>
#include <vector>

// What the output commands write, free of any window: the proposed file names, the files
// themselves (written whole or not at all) and the text of the sample export.

// A file that could not be written; the text says which and why.
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Trace_8_3_2009__14_05_09" (or "Spectre_..." for the spectrum view): day, month and
// hour without a leading zero, minutes and seconds on two digits.
QString ProposedFileName(bool spectrum, const ClockReading& clock);
// The same after another beginning: "Mesures_8_3_2009__14_05_09".
QString ProposedFileName(const QString& prefix, const ClockReading& clock);

// Writes bytes to the file through a temporary file that replaces it only when the whole
// content is written: a failure leaves an existing file as it was. Throws OutputError.
void WriteFileAtomically(const QString& path, const QByteArray& bytes);

// The image as a standard BMP file, whatever the name's extension. Throws OutputError.
void WriteBmpFile(const QString& path, const QImage& image);
QByteArray BmpBytes(const QImage& image);

// The sweep shown on the screen, as CSV (UTF-8, a point as decimal separator, one header
// line, one row per displayed point, a channel whose trace is off left out). The channel
// columns hold the codes the traces are drawn from: those as received ("Voie A (V par
// rapport à la ligne centrale)", "Code A"), or, while the screen shows the effect of a
// weighting window, the weighted codes under names that say so and name the window
// ("Voie A pondérée par la fenêtre de Hanning (V par rapport à la ligne centrale)", "Code A
// pondéré par la fenêtre de Hanning"). A column's name thus always means the same values.
// The volts of the codes as received are read from the automatic measurements' reference
// (PreferredReference): the channel's measured ground level, named "(V par rapport à la
// masse)", or the centre line; weighted codes, moved about the sweep's mid-level, always
// from the centre line.
struct SweepExport {
    InstrumentSettings instrument;
    const SampleTable* samples = nullptr;
    int ramWindowStart = 0; // 0..1747
    int magnification = 1;  // 1, 2 or 5: 300, 151 or 61 points shown
    // The window whose effect the traces show; none when they show the codes as received.
    // Until a sweep has been weighted the screen draws no trace from the weighted codes,
    // and the file has no rows.
    std::optional<WeightingWindow> weighting;
};
// The window whose effect the screen shows: while the effect is shown the channel traces
// are drawn from the weighted codes; in X-Y mode there are no channel traces, and the
// figure is drawn from the codes as received.
std::optional<WeightingWindow> ShownWeighting(const InstrumentSettings& instrument,
                                              WeightingWindow window, bool effectShown);
QByteArray SweepCsv(const SweepExport& sweep);

// The spectrum shown: the values of the last computation, in the scale it was computed in
// (not the scale chosen since), for bins 1 to `bins`. A channel with no values is left out.
struct SpectrumExport {
    bool logarithmic = false;     // the computation's scale: decibels, else linear
    qint64 samplingFrequency = 0; // Hz, of the time base the computation was made at
    int bins = 0;
    std::vector<int> valuesA;
    std::vector<int> valuesB;
};
// One row per bin: its exact frequency k x fs / 256 in Hz, with a decimal point and as
// many decimals as it has (at most 8), then the value of each channel.
QByteArray SpectrumCsv(const SpectrumExport& spectrum);
