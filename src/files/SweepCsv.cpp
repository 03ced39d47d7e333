#include "files/SweepCsv.h"

#include "core/Sweep.h"
#include "files/SweepRecord.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

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

// A channel whose trace is on, with the volts one of its codes stands for.
struct Column {
    long double voltsPerCode;
    bool isA;
};

std::vector<Column> ChannelColumns(const InstrumentSettings& in) {
    std::vector<Column> columns;
    for (Channel c : {Channel::A, Channel::B}) {
        const ChannelSettings& ch = in.Of(c);
        const VoltsPerDivRow* volts = VoltsPerDivAt(ch.voltsPerDivIndex);
        if (ch.traceOn && volts)
            columns.push_back({static_cast<long double>(volts->voltsPerDiv) * ch.ProbeFactor() /
                                   Sweep::CodesPerDivision,
                               c == Channel::A});
    }
    return columns;
}

// The time between two points: the sampling frequency of a time base is 30 samples per
// division.
long double PointPeriod(const TimeBaseRow& timeBase) {
    return static_cast<long double>(timeBase.secondsPerDiv) / Sweep::PointsPerDivision;
}

// The header's columns, without the line end.
QByteArray HeaderColumns(const std::vector<Column>& columns,
                         const std::optional<WeightingWindow>& weighting) {
    // Volts are measured from the screen's centre line (code 128), as the header says.
    const bool weighted = weighting.has_value();
    const QByteArray how = weighted ? ' ' + WindowName(*weighting) : QByteArray();
    QByteArray out = "Point,Temps (s)";
    for (const Column& c : columns)
        out += (c.isA ? ",Voie A" : ",Voie B") + (weighted ? " pondérée" + how : QByteArray()) +
               " (V par rapport à la ligne centrale)";
    for (const Column& c : columns)
        out += (c.isA ? ",Code A" : ",Code B") + (weighted ? " pondéré" + how : QByteArray());
    return out;
}

// Points 1 to `points`, each row led by `lead`; code(row, isA) gives a point's code.
template <typename Code>
void AppendRows(QByteArray& out, const QByteArray& lead, const std::vector<Column>& columns,
                long double period, int ramWindowStart, int points, Code code) {
    for (int row = 1; row <= points; ++row) {
        out += lead;
        out += QByteArray::number(row);
        out += ',';
        out += Decimal(static_cast<long double>(ramWindowStart + row - 1) * period);
        for (const Column& c : columns) {
            out += ',';
            out += Decimal(static_cast<long double>(code(row, c.isA) - Sweep::CentreCode) *
                           c.voltsPerCode);
        }
        for (const Column& c : columns) {
            out += ',';
            out += QByteArray::number(code(row, c.isA));
        }
        out += "\r\n";
    }
}

} // namespace

std::optional<WeightingWindow> ShownWeighting(const InstrumentSettings& instrument,
                                              WeightingWindow window, bool effectShown) {
    const bool xy = instrument.channelA.traceOn && instrument.channelB.traceOn &&
                    instrument.mathMode == MathMode::XY;
    if (!effectShown || xy)
        return std::nullopt;
    return window;
}

QByteArray SweepCsv(const SweepExport& sweep) {
    const InstrumentSettings& in = sweep.instrument;
    const TimeBaseRow* timeBase = TimeBaseAt(in.timeBaseIndex);
    if (!timeBase || !sweep.samples)
        return {};
    const std::vector<Column> columns = ChannelColumns(in);
    QByteArray out = HeaderColumns(columns, sweep.weighting) + "\r\n";
    const int points = LastShownPoint(sweep.magnification);
    const bool weighted = sweep.weighting.has_value();
    if (weighted && !sweep.samples->WeightedWritten(points))
        return out;
    const SampleTable& samples = *sweep.samples;
    AppendRows(out, QByteArray(), columns, PointPeriod(*timeBase), sweep.ramWindowStart, points,
               [&samples, weighted](int row, bool isA) {
                   const SampleTable::Point& p = samples.At(row);
                   if (weighted)
                       return isA ? p.weightedA : p.weightedB;
                   return isA ? p.displayA : p.displayB;
               });
    return out;
}

QByteArray SweepSeriesCsvHeader(const SweepRecord& record) {
    return "Balayage,Date et heure," +
           HeaderColumns(ChannelColumns(record.instrument), std::nullopt) + "\r\n";
}

QByteArray SweepSeriesCsvRows(int number, const SweepRecord& record) {
    const TimeBaseRow* timeBase = TimeBaseAt(record.instrument.timeBaseIndex);
    if (!timeBase)
        return {};
    const QByteArray lead = QByteArray::number(number) + ',' + record.TimeText().toUtf8() + ',';
    const CompletedSweep& sweep = record.sweep;
    QByteArray out;
    AppendRows(out, lead, ChannelColumns(record.instrument), PointPeriod(*timeBase),
               record.ramWindowStart, LastShownPoint(record.magnification),
               [&sweep](int row, bool isA) {
                   const auto i = static_cast<std::size_t>(row - 1);
                   return isA ? sweep.codeA[i] : sweep.codeB[i];
               });
    return out;
}
