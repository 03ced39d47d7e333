#include "files/SweepCsv.h"

#include "core/Sweep.h"
#include "files/SweepRecord.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
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

// A channel whose trace is on, with the volts one of its codes stands for and the code
// that reads 0 V: the measurements' reference (the measured ground level, else the centre
// line). Weighted codes are moved about the sweep's mid-level, which the weighting brings
// to the centre line: they keep that line.
struct Column {
    long double voltsPerCode;
    bool isA;
    int referenceCode;
    bool ground; // the reference is the channel's measured ground level
};

std::vector<Column> ChannelColumns(const InstrumentSettings& in, bool weighted) {
    std::vector<Column> columns;
    for (Channel c : {Channel::A, Channel::B}) {
        const ChannelSettings& ch = in.Of(c);
        const VoltsPerDivRow* volts = VoltsPerDivAt(ch.voltsPerDivIndex);
        const bool ground = !weighted && ReadsFromGround(ch);
        if (ch.traceOn && volts)
            columns.push_back({static_cast<long double>(volts->voltsPerDiv) * ch.ProbeFactor() /
                                   Sweep::CodesPerDivision,
                               c == Channel::A, ground ? ch.groundLevel : Sweep::CentreCode,
                               ground});
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
    // Volts are measured from the reference the header names.
    const bool weighted = weighting.has_value();
    const QByteArray how = weighted ? ' ' + WindowName(*weighting) : QByteArray();
    QByteArray out = "Point,Temps (s)";
    for (const Column& c : columns)
        out += (c.isA ? ",Voie A" : ",Voie B") + (weighted ? " pondérée" + how : QByteArray()) +
               (c.ground ? " (V par rapport à la masse)" : " (V par rapport à la ligne centrale)");
    for (const Column& c : columns)
        out += (c.isA ? ",Code A" : ",Code B") + (weighted ? " pondéré" + how : QByteArray());
    return out;
}

// Points 1 to `points`, each row led by `lead`; code(row, isA) gives a point's code,
// timeText(row) the text of its time and voltsText(column, code) that of a code's volts.
template <typename Code, typename TimeText, typename VoltsText>
void AppendRows(QByteArray& out, const QByteArray& lead, const std::vector<Column>& columns,
                int points, Code code, TimeText timeText, VoltsText voltsText) {
    // Whole numbers straight into the text, without a string of their own.
    const auto appendNumber = [&out](int value) {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        out.append(digits, end - digits);
    };
    for (int row = 1; row <= points; ++row) {
        out += lead;
        appendNumber(row);
        out += ',';
        out += timeText(row);
        for (const Column& c : columns) {
            out += ',';
            out += voltsText(c, code(row, c.isA));
        }
        for (const Column& c : columns) {
            out += ',';
            appendNumber(code(row, c.isA));
        }
        out += "\r\n";
    }
}

QByteArray VoltsText(const Column& column, int code) {
    return Decimal(static_cast<long double>(code - column.referenceCode) * column.voltsPerCode);
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
    const std::vector<Column> columns = ChannelColumns(in, sweep.weighting.has_value());
    QByteArray out = HeaderColumns(columns, sweep.weighting) + "\r\n";
    const int points = LastShownPoint(sweep.magnification);
    const bool weighted = sweep.weighting.has_value();
    if (weighted && !sweep.samples->WeightedWritten(points))
        return out;
    const SampleTable& samples = *sweep.samples;
    const long double period = PointPeriod(*timeBase);
    const int start = sweep.ramWindowStart;
    AppendRows(
        out, QByteArray(), columns, points,
        [&samples, weighted](int row, bool isA) {
            const SampleTable::Point& p = samples.At(row);
            if (weighted)
                return isA ? p.weightedA : p.weightedB;
            return isA ? p.displayA : p.displayB;
        },
        [period, start](int row) {
            return Decimal(static_cast<long double>(start + row - 1) * period);
        },
        VoltsText);
    return out;
}

QByteArray SweepSeriesCsv::Header(const SweepRecord& record) {
    return "Balayage,Date et heure," +
           HeaderColumns(ChannelColumns(record.instrument, false), std::nullopt) + "\r\n";
}

const std::vector<QByteArray>& SweepSeriesCsv::TimeTexts(long double period, int start,
                                                         int points) {
    if (period != timesPeriod || start != timesStart) {
        timesPeriod = period;
        timesStart = start;
        times.clear();
    }
    while (times.size() < static_cast<std::size_t>(points))
        times.push_back(Decimal(static_cast<long double>(start + int(times.size())) * period));
    return times;
}

const std::vector<QByteArray>& SweepSeriesCsv::VoltsTexts(long double voltsPerCode,
                                                          int referenceCode) {
    auto scale = std::find_if(volts.begin(), volts.end(), [&](const Scale& s) {
        return s.voltsPerCode == voltsPerCode && s.referenceCode == referenceCode;
    });
    if (scale != volts.end())
        return scale->texts;
    if (volts.size() >= MostScales)
        volts.erase(volts.begin());
    Scale made{voltsPerCode, referenceCode, {}};
    made.texts.reserve(MostCachedCode + 1);
    for (int c = 0; c <= MostCachedCode; ++c)
        made.texts.push_back(Decimal(static_cast<long double>(c - referenceCode) * voltsPerCode));
    volts.push_back(std::move(made));
    return volts.back().texts;
}

QByteArray SweepSeriesCsv::Rows(int number, const SweepRecord& record) {
    const TimeBaseRow* timeBase = TimeBaseAt(record.instrument.timeBaseIndex);
    if (!timeBase)
        return {};
    const QByteArray lead = QByteArray::number(number) + ',' + record.TimeText().toUtf8() + ',';
    const CompletedSweep& sweep = record.sweep;
    const std::vector<Column> columns = ChannelColumns(record.instrument, false);
    const int points = LastShownPoint(record.magnification);
    const std::vector<QByteArray>& timeTexts =
        TimeTexts(PointPeriod(*timeBase), record.ramWindowStart, points);
    // The texts of each column's scale, found once for the sweep. The first pass makes the
    // scales not kept yet, which may move the kept ones (at most two of the four are the
    // sweep's, the newest, so neither is let go); the second only finds them, where they
    // now stay.
    std::array<const std::vector<QByteArray>*, 2> voltsTexts{};
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t c = 0; c < columns.size(); ++c)
            voltsTexts[c] = &VoltsTexts(columns[c].voltsPerCode, columns[c].referenceCode);
    // The rows are put together in place: room for the longest row, filled by copies of
    // the kept texts, and cut to what was written.
    const auto longest = [](const std::vector<QByteArray>& texts) {
        qsizetype most = 0;
        for (const QByteArray& t : texts)
            most = std::max(most, t.size());
        return most;
    };
    constexpr qsizetype NumberRoom = 12; // a whole number, or a comma and a code
    qsizetype rowRoom = lead.size() + NumberRoom + 1 + longest(timeTexts) + 2;
    for (std::size_t c = 0; c < columns.size(); ++c)
        rowRoom += 1 + std::max<qsizetype>(longest(*voltsTexts[c]), 40) + NumberRoom;
    QByteArray out(points * rowRoom, Qt::Uninitialized);
    char* at = out.data();
    const auto put = [&at](const QByteArray& text) {
        std::memcpy(at, text.constData(), std::size_t(text.size()));
        at += text.size();
    };
    const auto putNumber = [&at](int value) { at = std::to_chars(at, at + NumberRoom, value).ptr; };
    for (int row = 1; row <= points; ++row) {
        const auto i = static_cast<std::size_t>(row - 1);
        const int codes[2] = {sweep.codeA[i], sweep.codeB[i]};
        put(lead);
        putNumber(row);
        *at++ = ',';
        put(timeTexts[i]);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const int code = codes[columns[c].isA ? 0 : 1];
            *at++ = ',';
            if (code >= 0 && code <= MostCachedCode)
                put((*voltsTexts[c])[static_cast<std::size_t>(code)]);
            else // a code beyond the kept ones; its text is not longer than 40
                put(Decimal(static_cast<long double>(code - columns[c].referenceCode) *
                            columns[c].voltsPerCode));
        }
        for (std::size_t c = 0; c < columns.size(); ++c) {
            *at++ = ',';
            putNumber(codes[columns[c].isA ? 0 : 1]);
        }
        *at++ = '\r';
        *at++ = '\n';
    }
    out.truncate(at - out.constData());
    return out;
}

QByteArray SweepSeriesCsvHeader(const SweepRecord& record) {
    return SweepSeriesCsv::Header(record);
}

QByteArray SweepSeriesCsvRows(int number, const SweepRecord& record) {
    SweepSeriesCsv series;
    return series.Rows(number, record);
}
