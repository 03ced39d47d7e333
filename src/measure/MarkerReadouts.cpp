#include "measure/MarkerReadouts.h"

#include "core/InstrumentSettings.h"
#include "core/PersistedSettings.h"
#include "core/SettingsLines.h"
#include "screen/ScreenCanvas.h"
#include "screen/ScreenFont.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int PixelsPerHorizontalDivision = 60;
constexpr int PixelsPerVerticalDivision = 32;
constexpr int FirstRowY = 293;
constexpr int SecondRowY = 306;
constexpr int VoltageX = 20;
constexpr int RmsX = 163;
// A dv text of five digits before the point (a x10 probe at 500 mV/div, two divisions or
// more) reaches past x = 163: the RMS text then starts this far after the dv text's cell,
// as far as it stands after the widest four-digit reading.
constexpr int RmsGap = 5;
constexpr int TimeX = 300;
constexpr int Black = 0;

// Time base rows: the time per division at x1 in tenths of the dt unit (the x2 and x5
// factors are this divided by 2 and 5), the dt unit, and how the frequency is formed:
// 1000 / dt or 1 / dt, with its decimals and unit.
struct TimeFactorRow {
    qint64 tenthsPerDivision;
    const char* dtUnit;
    qint64 frequencyScale; // frequency = frequencyScale / dt
    int frequencyDecimals;
    const char* frequencyUnit;
};

// clang-format off
constexpr TimeFactorRow TimeFactors[TimeBaseCount] = {
    {5000, "ms", 1000, 2, "Hz"},  {2000, "ms", 1000, 2, "Hz"},  {1000, "ms", 1000, 2, "Hz"},
    {500,  "ms", 1000, 2, "Hz"},  {200,  "ms", 1000, 2, "Hz"},  {100,  "ms", 1000, 2, "Hz"},
    {50,   "ms", 1000, 2, "Hz"},  {20,   "ms", 1000, 2, "Hz"},  {10,   "ms", 1000, 2, "Hz"},
    {5,    "ms", 1000, 2, "Hz"},  {2,    "ms", 1,    3, "kHz"}, {1,    "ms", 1,    3, "kHz"},
    {500,  "µs", 1000, 3, "kHz"}, {200,  "µs", 1000, 3, "kHz"}, {100,  "µs", 1000, 3, "kHz"},
    {50,   "µs", 1000, 3, "kHz"}, {20,   "µs", 1000, 3, "kHz"}, {10,   "µs", 1000, 3, "kHz"},
};

// Volts/div rows: the factor that turns divisions into the unit with a x1 probe (ten
// times that with a x10 probe, in the same unit), the unit and the RMS unit.
struct VoltsFactorRow {
    qint64 factor;
    const char* unit;
    const char* rmsUnit;
};

constexpr VoltsFactorRow VoltsFactors[VoltsPerDivCount] = {
    {5, "V", "V~"},     {2, "V", "V~"},     {1, "V", "V~"},
    {500, "mV", "mV~"}, {200, "mV", "mV~"}, {100, "mV", "mV~"},
    {50, "mV", "mV~"},  {20, "mV", "mV~"},  {10, "mV", "mV~"},
};
// clang-format on

qint64 PowerOfTen(int decimals) {
    qint64 p = 1;
    for (int i = 0; i < decimals; ++i)
        p *= 10;
    return p;
}

// A count of 10^-decimals units as "integer.decimals".
QString ScaledText(qint64 scaled, int decimals) {
    const bool negative = scaled < 0;
    const qint64 magnitude = negative ? -scaled : scaled;
    const qint64 unit = PowerOfTen(decimals);
    QString text = QString::number(magnitude / unit);
    if (decimals > 0)
        text += QLatin1Char('.') +
                QString::number(magnitude % unit).rightJustified(decimals, QLatin1Char('0'));
    return negative ? QLatin1Char('-') + text : text;
}

} // namespace

QString FixedPointText(qint64 numerator, qint64 denominator, int decimals) {
    if (denominator <= 0 || decimals < 0)
        return {};
    const bool negative = numerator < 0;
    const qint64 scaled = (negative ? -numerator : numerator) * PowerOfTen(decimals);
    // Nearest integer of scaled / denominator, a half going up (away from zero).
    const qint64 rounded = (2 * scaled + denominator) / (2 * denominator);
    return ScaledText(negative ? -rounded : rounded, decimals);
}

QString FixedPointText(long double value, int decimals) {
    if (decimals < 0 || !std::isfinite(value))
        return {};
    // llroundl rounds halves away from zero.
    return ScaledText(std::llroundl(value * static_cast<long double>(PowerOfTen(decimals))),
                      decimals);
}

QList<ReadoutText> TimeReadout(const MarkerState& markers, int timeBaseIndex, int magnification) {
    if (!markers.On() || timeBaseIndex < 1 || timeBaseIndex > TimeBaseCount)
        return {};
    if (magnification != 1 && magnification != 2 && magnification != 5)
        return {};
    const TimeFactorRow& row = TimeFactors[timeBaseIndex - 1];
    const qint64 gap = markers.timeRight - markers.timeLeft;
    if (gap <= 0)
        return {};
    // dt = gap / 60 x tenths / (10 x magnification), kept as a fraction so that the
    // rounding of the last decimal is exact.
    const qint64 dtNumerator = gap * row.tenthsPerDivision;
    const qint64 dtDenominator = qint64{PixelsPerHorizontalDivision} * 10 * magnification;
    const QString dt = FixedPointText(dtNumerator, dtDenominator, 3);
    const QString frequency =
        FixedPointText(row.frequencyScale * dtDenominator, dtNumerator, row.frequencyDecimals);
    return {
        {{TimeX, FirstRowY}, QStringLiteral("dt : ") + dt + QString::fromUtf8(row.dtUnit), Black},
        {{TimeX, SecondRowY},
         QStringLiteral("1/dt : ") + frequency + QString::fromUtf8(row.frequencyUnit),
         Black},
    };
}

QList<ReadoutText> VoltageReadout(const MarkerState& markers, const InstrumentSettings& instrument,
                                  int colourA, int colourB) {
    QList<ReadoutText> texts;
    if (!markers.On())
        return texts;
    const qint64 gap = markers.voltageBottom - markers.voltageTop;
    for (Channel channel : {Channel::A, Channel::B}) {
        const ChannelSettings& settings = instrument.Of(channel);
        if (!settings.traceOn)
            continue;
        if (settings.voltsPerDivIndex < 1 || settings.voltsPerDivIndex > VoltsPerDivCount)
            continue;
        const VoltsFactorRow& row = VoltsFactors[settings.voltsPerDivIndex - 1];
        const qint64 factor = row.factor * settings.ProbeFactor();
        // dv = gap / 32 x factor; the RMS value of a sine of dv peak to peak is
        // (dv / 2) / sqrt(2).
        const qint64 dvNumerator = gap * factor;
        const long double rms =
            static_cast<long double>(dvNumerator) / PixelsPerVerticalDivision / 2 / std::sqrt(2.0L);
        const bool a = channel == Channel::A;
        const int y = a ? FirstRowY : SecondRowY;
        const int colour = a ? colourA : colourB;
        const QString dv = (a ? QStringLiteral("VOIE A dv : ") : QStringLiteral("VOIE B dv : ")) +
                           FixedPointText(dvNumerator, PixelsPerVerticalDivision, 3) +
                           QString::fromUtf8(row.unit);
        texts.append({{VoltageX, y}, dv, colour});
        if (markers.rmsShown) {
            const int rmsX = std::max(RmsX, VoltageX + ScreenFont::TextWidth(dv) + RmsGap);
            texts.append({{rmsX, y},
                          QStringLiteral("Vrms : ") + FixedPointText(rms, 3) +
                              QString::fromUtf8(row.rmsUnit),
                          colour});
        }
    }
    return texts;
}

namespace {

void DrawTexts(ScreenCanvas& canvas, const QList<ReadoutText>& texts) {
    for (const ReadoutText& t : texts) {
        canvas.SetTextColour(t.colour);
        canvas.TextOut(t.at.x(), t.at.y(), t.text);
    }
}

} // namespace

void DrawMarkerLines(ScreenCanvas& canvas, const MarkerState& markers,
                     const PersistedSettings& settings) {
    if (!markers.On())
        return;
    canvas.SetPenColour(settings.Number(SettingsLine::MarkerColour));
    canvas.SetPenStyle(PenStyle::Dashed);
    for (int x : {markers.timeLeft, markers.timeRight}) {
        canvas.MoveTo(x, MarkerState::AreaTop);
        canvas.LineTo(x, MarkerState::AreaBottom);
    }
    for (int y : {markers.voltageTop, markers.voltageBottom}) {
        canvas.MoveTo(MarkerState::AreaLeft, y);
        canvas.LineTo(MarkerState::AreaRight, y);
    }
}

void DrawTimeReadout(ScreenCanvas& canvas, const MarkerState& markers,
                     const InstrumentSettings& instrument, int magnification) {
    DrawTexts(canvas, TimeReadout(markers, instrument.timeBaseIndex, magnification));
}

void DrawVoltageReadout(ScreenCanvas& canvas, const MarkerState& markers,
                        const InstrumentSettings& instrument, const PersistedSettings& settings) {
    DrawTexts(canvas, VoltageReadout(markers, instrument, settings.Number(SettingsLine::ColourA),
                                     settings.Number(SettingsLine::ColourB)));
}
