#include "files/SpectrumCsv.h"

namespace {

// k x fs / 256 exactly: 256 is 2^8, so the fraction ends within 8 decimals (1/256 is
// 0.00390625). The chart's labels are the same number truncated to whole hertz.
QByteArray BinFrequencyText(int bin, qint64 samplingFrequency) {
    const qint64 scaled = static_cast<qint64>(bin) * samplingFrequency;
    QByteArray text = QByteArray::number(scaled / 256);
    const qint64 remainder = scaled % 256;
    if (remainder != 0) {
        QByteArray decimals = QByteArray::number(remainder * 390625).rightJustified(8, '0');
        while (decimals.endsWith('0'))
            decimals.chop(1);
        text += '.' + decimals;
    }
    return text;
}

} // namespace

QByteArray SpectrumCsv(const SpectrumExport& spectrum) {
    const char* unit = spectrum.logarithmic ? " (dB)" : " (linéaire)";
    QByteArray out = "Fréquence (Hz)";
    const bool a = !spectrum.valuesA.empty();
    const bool b = !spectrum.valuesB.empty();
    if (a)
        out += QByteArray(",Voie A") + unit;
    if (b)
        out += QByteArray(",Voie B") + unit;
    out += "\r\n";
    for (int bin = 1; bin <= spectrum.bins; ++bin) {
        const std::size_t i = static_cast<std::size_t>(bin - 1);
        out += BinFrequencyText(bin, spectrum.samplingFrequency);
        if (a)
            out += ',' + QByteArray::number(i < spectrum.valuesA.size() ? spectrum.valuesA[i] : 0);
        if (b)
            out += ',' + QByteArray::number(i < spectrum.valuesB.size() ? spectrum.valuesB[i] : 0);
        out += "\r\n";
    }
    return out;
}
