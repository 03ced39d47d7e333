#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <vector>

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
