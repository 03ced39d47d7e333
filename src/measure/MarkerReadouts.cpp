#include "measure/MarkerReadouts.h"

#include "core/InstrumentSettings.h"
#include "core/PersistedSettings.h"
#include "core/SettingsLines.h"
#include "core/Sweep.h"
#include "screen/ScreenCanvas.h"
#include "screen/ScreenFont.h"
#include "screen/ScreenGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int PixelsPerHorizontalDivision = ScreenGeometry::HorizontalDivision;
constexpr int PixelsPerVerticalDivision = ScreenGeometry::VerticalDivision;
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
    const TimeBaseRow* timeBase = TimeBaseAt(timeBaseIndex);
    if (!markers.On() || !timeBase || !MagnifierAt(magnification))
        return {};
    const TimeReadoutScale& row = timeBase->readout;
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
        const VoltsPerDivRow* volts = VoltsPerDivAt(settings.voltsPerDivIndex);
        if (!volts)
            continue;
        const VoltsPerDivRow& row = *volts;
        const qint64 factor = row.readoutPerDivision * settings.ProbeFactor();
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
