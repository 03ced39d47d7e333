#include "output/OutputFiles.h"

#include "analysis/ShownSweep.h"
#include "core/Sweep.h"

#include <QBuffer>
#include <QFileInfo>
#include <QSaveFile>
#include <cmath>

namespace {

QString TwoDigits(int value) {
    return value < 10 ? QStringLiteral("0") + QString::number(value) : QString::number(value);
}

// Decimal text with a point whatever the locale; up to 15 significant digits and no
// exponent for the values an instrument gives.
QByteArray Decimal(long double value) {
    QByteArray text = QByteArray::number(double(value), 'g', 15);
    if (text.contains('e')) {
        // Small values in fixed notation, still with 15 significant digits.
        const int exponent = int(std::floor(std::log10(std::fabs(double(value)))));
        text = QByteArray::number(double(value), 'f', std::max(0, 14 - exponent));
        if (text.contains('.')) {
            while (text.endsWith('0'))
                text.chop(1);
            if (text.endsWith('.'))
                text.chop(1);
        }
    }
    return text;
}

} // namespace

QString ProposedFileName(bool spectrum, const ClockReading& clock) {
    return ProposedFileName(spectrum ? QStringLiteral("Spectre_") : QStringLiteral("Trace_"),
                            clock);
}

QString ProposedFileName(const QString& prefix, const ClockReading& clock) {
    return prefix + clock.Day() + QLatin1Char('_') + clock.Month() + QLatin1Char('_') +
           clock.Year() + QStringLiteral("__") + clock.Hour() + QLatin1Char('_') +
           TwoDigits(clock.minute) + QLatin1Char('_') + TwoDigits(clock.second);
}

void WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    const auto fail = [&](const QString& why) {
        file.cancelWriting();
        throw OutputError(QStringLiteral("Le fichier \"%1\" n'a pas pu être écrit : %2")
                              .arg(QFileInfo(path).absoluteFilePath(), why)
                              .toStdString());
    };
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    if (file.write(bytes) != bytes.size())
        fail(file.errorString());
    if (!file.commit())
        fail(file.errorString());
}

QByteArray BmpBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "BMP"))
        throw OutputError("L'image n'a pas pu être convertie au format BMP.");
    return bytes;
}

void WriteBmpFile(const QString& path, const QImage& image) {
    WriteFileAtomically(path, BmpBytes(image));
}

std::optional<WeightingWindow> ShownWeighting(const InstrumentSettings& instrument,
                                              WeightingWindow window, bool effectShown) {
    const bool xy = instrument.channelA.traceOn && instrument.channelB.traceOn &&
                    instrument.mathMode == MathMode::XY;
    if (!effectShown || xy)
        return std::nullopt;
    return window;
}

namespace {

// "par la fenêtre de Hanning", as the weighting dialog names the windows.
QByteArray WindowName(WeightingWindow window) {
    switch (window) {
    case WeightingWindow::Rectangular:
        return "par la fenêtre rectangulaire";
    case WeightingWindow::Hanning:
        return "par la fenêtre de Hanning";
    case WeightingWindow::Hamming:
        return "par la fenêtre de Hamming";
    case WeightingWindow::Bartlett:
        return "par la fenêtre de Bartlett";
    case WeightingWindow::Blackman:
        return "par la fenêtre de Blackman";
    }
    return "par une fenêtre inconnue";
}

} // namespace

QByteArray SweepCsv(const SweepExport& sweep) {
    const InstrumentSettings& in = sweep.instrument;
    const TimeBaseRow* timeBase = TimeBaseAt(in.timeBaseIndex);
    if (!timeBase || !sweep.samples)
        return {};
    // The sampling frequency of a time base is 30 samples per division.
    const long double period =
        static_cast<long double>(timeBase->secondsPerDiv) / Sweep::PointsPerDivision;

    const bool weighted = sweep.weighting.has_value();
    struct Column {
        long double voltsPerCode;
        bool isA;
        int referenceCode; // the code that reads 0 V
        bool ground;       // it is the channel's measured ground level
    };
    std::vector<Column> columns;
    for (Channel c : {Channel::A, Channel::B}) {
        const ChannelSettings& ch = in.Of(c);
        const VoltsPerDivRow* volts = VoltsPerDivAt(ch.voltsPerDivIndex);
        // The measurements' reference. Weighted codes are moved about the sweep's
        // mid-level, which the weighting brings to the centre line: they keep that line.
        const bool ground = !weighted && PreferredReference(ch) == VoltageReference::Ground;
        if (ch.traceOn && volts)
            columns.push_back({static_cast<long double>(volts->voltsPerDiv) * ch.ProbeFactor() /
                                   Sweep::CodesPerDivision,
                               c == Channel::A, ground ? ch.groundLevel : Sweep::CentreCode,
                               ground});
    }
    const auto code = [weighted](const SampleTable::Point& p, bool isA) {
        if (weighted)
            return isA ? p.weightedA : p.weightedB;
        return isA ? p.displayA : p.displayB;
    };

    // Volts are measured from the reference the header names.
    const QByteArray how = weighted ? ' ' + WindowName(*sweep.weighting) : QByteArray();
    QByteArray out = "Point,Temps (s)";
    for (const Column& c : columns)
        out += (c.isA ? ",Voie A" : ",Voie B") + (weighted ? " pondérée" + how : QByteArray()) +
               (c.ground ? " (V par rapport à la masse)" : " (V par rapport à la ligne centrale)");
    for (const Column& c : columns)
        out += (c.isA ? ",Code A" : ",Code B") + (weighted ? " pondéré" + how : QByteArray());
    out += "\r\n";
    const int points = LastShownPoint(sweep.magnification);
    if (weighted && !sweep.samples->WeightedWritten(points))
        return out;
    for (int row = 1; row <= points; ++row) {
        const SampleTable::Point& p = sweep.samples->At(row);
        out += QByteArray::number(row);
        out += ',';
        out += Decimal(static_cast<long double>(sweep.ramWindowStart + row - 1) * period);
        for (const Column& c : columns) {
            out += ',';
            out += Decimal(static_cast<long double>(code(p, c.isA) - c.referenceCode) *
                           c.voltsPerCode);
        }
        for (const Column& c : columns) {
            out += ',';
            out += QByteArray::number(code(p, c.isA));
        }
        out += "\r\n";
    }
    return out;
}

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
