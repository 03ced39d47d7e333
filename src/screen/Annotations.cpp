#include "screen/Annotations.h"

#include "core/PersistedSettings.h"
#include "core/SettingsLines.h"
#include "core/Sweep.h"
#include "screen/ScreenCanvas.h"

#include <algorithm>

namespace {

constexpr int ClockX = 20;
constexpr int TimeY = 1;
constexpr int DateY = 15;
constexpr int RightColumnX = 490;
constexpr int TriggerY = 293;
constexpr int MathY = 306;
constexpr int Black = 0;

struct ChannelPlace {
    int x;
    int colourLine;
    int tickStartX;
    int zeroX;
};

constexpr ChannelPlace PlaceOf(Channel channel) {
    return channel == Channel::A ? ChannelPlace{120, SettingsLine::ColourA, 15, 8}
                                 : ChannelPlace{320, SettingsLine::ColourB, 7, 0};
}

bool ValidCoupling(Coupling coupling) {
    return CouplingAt(static_cast<int>(coupling)) != nullptr;
}

QString TwoDigits(int value) {
    return (value < 10 ? QStringLiteral("0") : QString()) + QString::number(value);
}

} // namespace

ClockReading ClockReading::From(const QDateTime& moment) {
    const QDate date = moment.date();
    const QTime time = moment.time();
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

QString ClockTimeText(const ClockReading& clock) {
    return clock.Hour() + QLatin1Char(':') + TwoDigits(clock.minute) + QLatin1Char(':') +
           TwoDigits(clock.second) + QStringLiteral("  ");
}

QString ClockDateText(const ClockReading& clock) {
    return TwoDigits(clock.day) + QLatin1Char('/') + TwoDigits(clock.month) + QLatin1Char('/') +
           clock.Year() + QStringLiteral("  ");
}

QString TimeBaseScreenLabel(int timeBaseIndex, int magnification) {
    const MagnifierRow* magnifier = MagnifierAt(magnification);
    const TimeBaseRow* row = TimeBaseAt(timeBaseIndex);
    if (!magnifier || !row)
        return {};
    return QStringLiteral("Time / Div x%1 : %2")
        .arg(magnification)
        .arg(QString::fromUtf8(row->timePerDivision[magnifier->labelColumn]));
}

ClockReading DrawClock(ScreenCanvas& canvas, const PersistedSettings& settings,
                       const QDateTime& now) {
    const ClockReading clock = ClockReading::From(now);
    canvas.SetTextColour(settings.Number(SettingsLine::ClockColour));
    if (settings.IsOn(SettingsLine::ShowTime))
        canvas.TextOut(ClockX, TimeY, ClockTimeText(clock));
    if (settings.IsOn(SettingsLine::ShowDate))
        canvas.TextOut(ClockX, DateY, ClockDateText(clock));
    canvas.SetTextColour(Black);
    return clock;
}

void DrawTimeBaseLabel(ScreenCanvas& canvas, const InstrumentSettings& instrument,
                       int magnification) {
    canvas.TextOut(RightColumnX, DateY,
                   TimeBaseScreenLabel(instrument.timeBaseIndex, magnification));
}

void DrawChannelLabel(ScreenCanvas& canvas, const InstrumentSettings& instrument,
                      const PersistedSettings& settings, Channel channel) {
    const ChannelSettings& ch = instrument.Of(channel);
    const ChannelPlace place = PlaceOf(channel);
    if (ch.traceOn) {
        canvas.SetTextColour(settings.Number(place.colourLine));
        if (ValidCoupling(ch.coupling)) {
            canvas.TextOut(place.x, TimeY,
                           CouplingScreenLabel(static_cast<int>(ch.coupling), channel));
            canvas.TextOut(place.x, DateY,
                           VoltsPerDivScreenLabel(ch.voltsPerDivIndex, ch.probeTimesTen));
        }
        canvas.SetTextColour(Black);
    } else {
        canvas.TextOut(place.x, TimeY, QString(42, QLatin1Char(' ')));
        canvas.TextOut(place.x, DateY, QString(41, QLatin1Char(' ')));
    }
}

void DrawTriggerLabel(ScreenCanvas& canvas, const InstrumentSettings& instrument) {
    const TriggerRow* row = TriggerAt(static_cast<int>(instrument.triggerSource));
    if (row)
        canvas.TextOut(RightColumnX, TriggerY, QString::fromUtf8(row->screenLabel));
}

void DrawMathLabel(ScreenCanvas& canvas, const InstrumentSettings& instrument,
                   const PersistedSettings& settings) {
    canvas.SetTextColour(settings.Number(SettingsLine::MathColour));
    canvas.TextOut(RightColumnX, MathY, MathScreenLabel(static_cast<int>(instrument.mathMode)));
}

void DrawGroundMarkers(ScreenCanvas& canvas, const InstrumentSettings& instrument,
                       const PersistedSettings& settings) {
    for (Channel channel : {Channel::B, Channel::A}) {
        const ChannelSettings& ch = instrument.Of(channel);
        if (!ch.traceOn || !ch.groundMarkerShown || !ValidCoupling(ch.coupling))
            continue;
        const ChannelPlace place = PlaceOf(channel);
        const qint64 level = ch.groundLevel;
        const int colour = settings.Number(place.colourLine);
        canvas.SetTextColour(colour);
        canvas.SetPenColour(colour);
        canvas.MoveTo(place.tickStartX, 288 - level);
        canvas.LineTo(19, 288 - level);
        canvas.TextOut(place.zeroX, static_cast<int>(std::clamp<qint64>(282 - level, -1000, 1000)),
                       QStringLiteral("0"));
        canvas.SetTextColour(Black);
    }
}
