#pragma once

#include "core/InstrumentSettings.h"
#include "core/SampleTable.h"
#include "core/WeightingWindow.h"

#include <QByteArray>
#include <optional>
#include <vector>

struct SweepRecord;

// The samples of a sweep as CSV, for the program's sample export and for the command-line
// capture alike: UTF-8, a point as decimal separator, one header line, one row per point
// shown, a channel whose trace is off left out, CR LF line ends. Neither follows the
// user's locale.

// The sweep shown on the screen. The channel columns hold the codes the traces are drawn
// from: those as received ("Voie A (V par rapport à la ligne centrale)", "Code A"), or,
// while the screen shows the effect of a weighting window, the weighted codes under names
// that say so and name the window ("Voie A pondérée par la fenêtre de Hanning (V par
// rapport à la ligne centrale)", "Code A pondéré par la fenêtre de Hanning"). A column's
// name thus always means the same values. The volts of the codes as received are read from
// the automatic measurements' reference (ZeroVoltCode): the channel's measured ground
// level, named "(V par rapport à la masse)", or the centre line; weighted codes, moved
// about the sweep's mid-level, always from the centre line.
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

// A series of recorded sweeps (the capture, a file read back): every row begins with the
// sweep's number and its date and time ("Balayage", "Date et heure", as
// SweepRecord::TimeText writes it), followed by the columns of the sample export of that
// sweep, from its codes as received. The header goes first, and again before a sweep
// whose columns differ from the sweep before it.
QByteArray SweepSeriesCsvHeader(const SweepRecord& record);
QByteArray SweepSeriesCsvRows(int number, const SweepRecord& record);

// The same for a long series, sweep after sweep: the texts of the times of a window and of
// the volts of every code at a scale are made once and kept while the settings stay, so
// that a sweep's rows are mostly put together from them. The bytes are those of the
// functions above.
class SweepSeriesCsv {
public:
    static QByteArray Header(const SweepRecord& record);
    QByteArray Rows(int number, const SweepRecord& record);

private:
    static constexpr int MostCachedCode = 999;
    static constexpr std::size_t MostScales = 4; // at least the two channels'
    struct Scale {
        long double voltsPerCode;
        int referenceCode;             // the code that reads 0 V
        std::vector<QByteArray> texts; // codes 0 to 999
    };
    // The texts of points 1 to `points` of a window; of codes 0 to 999 at a scale.
    const std::vector<QByteArray>& TimeTexts(long double period, int start, int points);
    const std::vector<QByteArray>& VoltsTexts(long double voltsPerCode, int referenceCode);

    long double timesPeriod = -1;
    int timesStart = -1;
    std::vector<QByteArray> times; // points 1 on
    std::vector<Scale> volts;
};
