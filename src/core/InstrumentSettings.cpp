#include "core/InstrumentSettings.h"

#include "core/PersistedSettings.h"
#include "core/Sweep.h"

#include <algorithm>
#include <array>

namespace {

// clang-format off
constexpr std::array<TimeBaseRow, TimeBaseCount> TimeBaseTable{{
    {"500", "ms", "Time/Div : 500ms", "Fréquence d'échantillonnage : 60Hz",   "Balayage RAM : 34,11s", "T21&", -141, 500e-3, 60, {"500ms", "250ms", "100ms"}, {5000, "ms", 1000, 2, "Hz"}, 300},
    {"200", "ms", "Time/Div : 200ms", "Fréquence d'échantillonnage : 150Hz",  "Balayage RAM : 13,64s", "T13&", -124, 200e-3, 150, {"200ms", "100ms", "40ms"}, {2000, "ms", 1000, 2, "Hz"}, 300},
    {"100", "ms", "Time/Div : 100ms", "Fréquence d'échantillonnage : 300Hz",  "Balayage RAM : 6,82s",  "T05&", -108, 100e-3, 300, {"100ms", "50ms", "20ms"}, {1000, "ms", 1000, 2, "Hz"}, 300},
    {"50",  "ms", "Time/Div : 50ms",  "Fréquence d'échantillonnage : 600Hz",  "Balayage RAM : 3,41s",  "T20&",  -94, 50e-3, 600, {"50ms", "25ms", "10ms"}, {500, "ms", 1000, 2, "Hz"}, 300},
    {"20",  "ms", "Time/Div : 20ms",  "Fréquence d'échantillonnage : 1,5kHz", "Balayage RAM : 1,37s",  "T12&",  -80, 20e-3, 1500, {"20ms", "10ms", "4ms"}, {200, "ms", 1000, 2, "Hz"}, 300},
    {"10",  "ms", "Time/Div : 10ms",  "Fréquence d'échantillonnage : 3kHz",   "Balayage RAM : 682ms",  "T04&",  -67, 10e-3, 3000, {"10ms", "5ms", "2ms"}, {100, "ms", 1000, 2, "Hz"}, 300},
    {"5",   "ms", "Time/Div : 5ms",   "Fréquence d'échantillonnage : 6kHz",   "Balayage RAM : 341ms",  "T19&",  -50, 5e-3, 6000, {"5ms", "2.5ms", "1ms"}, {50, "ms", 1000, 2, "Hz"}, 300},
    {"2",   "ms", "Time/Div : 2ms",   "Fréquence d'échantillonnage : 15kHz",  "Balayage RAM : 136ms",  "T11&",  -38, 2e-3, 15000, {"2ms", "1ms", "0.4ms"}, {20, "ms", 1000, 2, "Hz"}, 300},
    {"1",   "ms", "Time/Div : 1ms",   "Fréquence d'échantillonnage : 30kHz",  "Balayage RAM : 68,2ms", "T03&",  -24, 1e-3, 30000, {"1ms", "0.5ms", "0.2ms"}, {10, "ms", 1000, 2, "Hz"}, 300},
    {"0.5", "ms", "Time/Div : 0.5ms", "Fréquence d'échantillonnage : 60kHz",  "Balayage RAM : 34,1ms", "T18&",   -7, 0.5e-3, 60000, {"0.5ms", "0.25ms", "0.1ms"}, {5, "ms", 1000, 2, "Hz"}, 300},
    {"0.2", "ms", "Time/Div : 0.2ms", "Fréquence d'échantillonnage : 150kHz", "Balayage RAM : 13,6ms", "T10&",   12, 0.2e-3, 150000, {"0.2ms", "0.1ms", "40µs"}, {2, "ms", 1, 3, "kHz"}, 300},
    {"0.1", "ms", "Time/Div : 0.1ms", "Fréquence d'échantillonnage : 300kHz", "Balayage RAM : 6,82ms", "T02&",   31, 0.1e-3, 300000, {"0.1ms", "50µs", "20µs"}, {1, "ms", 1, 3, "kHz"}, 300},
    {"50",  "µs", "Time/Div : 50µs",  "Fréquence d'échantillonnage : 600kHz", "Balayage RAM : 3,41ms", "T17&",   60, 50e-6, 600000, {"50µs", "25µs", "10µs"}, {500, "µs", 1000, 3, "kHz"}, 300},
    {"20",  "µs", "Time/Div : 20µs",  "Fréquence d'échantillonnage : 1,5MHz", "Balayage RAM : 1,36ms", "T09&",   75, 20e-6, 1500000, {"20µs", "10µs", "4µs"}, {200, "µs", 1000, 3, "kHz"}, 300},
    {"10",  "µs", "Time/Div : 10µs",  "Fréquence d'échantillonnage : 3MHz",   "Balayage RAM : 682µs",  "T01&",   89, 10e-6, 3000000, {"10µs", "5µs", "2µs"}, {100, "µs", 1000, 3, "kHz"}, 300},
    {"5",   "µs", "Time/Div : 5µs",   "Fréquence d'échantillonnage : 6MHz",   "Balayage RAM : 341µs",  "T16&",  103, 5e-6, 6000000, {"5µs", "2.5µs", "1µs"}, {50, "µs", 1000, 3, "kHz"}, 300},
    {"2",   "µs", "Time/Div : 2µs",   "Fréquence d'échantillonnage : 15MHz",  "Balayage RAM : 136µs",  "T08&",  119, 2e-6, 15000000, {"2µs", "1µs", "0.4µs"}, {20, "µs", 1000, 3, "kHz"}, 140},
    {"1",   "µs", "Time/Div : 1µs",   "Fréquence d'échantillonnage : 30MHz",  "Balayage RAM : 68,2µs", "T00&",  135, 1e-6, 30000000, {"1µs", "0.5µs", "0.2µs"}, {10, "µs", 1000, 3, "kHz"}, 75},
}};

constexpr std::array<VoltsPerDivRow, VoltsPerDivCount> VoltsPerDivTable{{
    {"5",   "V",  "5V",    "Volts/Div : 5V",    "Volts / Div x1 : 5V",    "Volts / Div x10 : 50V",    5,    "A12*&", "B12*&", -78, 5, "V~", 3.14L},
    {"2",   "V",  "2V",    "Volts/Div : 2V",    "Volts / Div x1 : 2V",    "Volts / Div x10 : 20V",    2,    "A13*&", "B13*&", -52, 2, "V~", 7.87L},
    {"1",   "V",  "1V",    "Volts/Div : 1V",    "Volts / Div x1 : 1V",    "Volts / Div x10 : 10V",    1,    "A14*&", "B14*&", -25, 1, "V~", 15.74L},
    {"500", "mV", "500mV", "Volts/Div : 500mV", "Volts / Div x1 : 500mV", "Volts / Div x10 : 5V",     0.5,  "A4*&",  "B4*&",   28, 500, "mV~", 31.25L},
    {"200", "mV", "200mV", "Volts/Div : 200mV", "Volts / Div x1 : 200mV", "Volts / Div x10 : 2V",     0.2,  "A5*&",  "B5*&",   55, 200, "mV~", 78.5L},
    {"100", "mV", "100mV", "Volts/Div : 100mV", "Volts / Div x1 : 100mV", "Volts / Div x10 : 1V",     0.1,  "A6*&",  "B6*&",   79, 100, "mV~", 160.0L},
    {"50",  "mV", "50mV",  "Volts/Div : 50mV",  "Volts / Div x1 : 50mV",  "Volts / Div x10 : 500mV",  0.05, "A8*&",  "B8*&",  102, 50, "mV~", 326.0L},
    {"20",  "mV", "20mV",  "Volts/Div : 20mV",  "Volts / Div x1 : 20mV",  "Volts / Div x10 : 200mV",  0.02, "A9*&",  "B9*&",  124, 20, "mV~", 765.0L},
    {"10",  "mV", "10mV",  "Volts/Div : 10mV",  "Volts / Div x1 : 10mV",  "Volts / Div x10 : 100mV",  0.01, "A10*&", "B10*&", 151, 10, "mV~", 1623.0L},
}};

constexpr std::array<CouplingRow, 3> CouplingTable{{
    {"AC",  {"G&", "J&"}},
    {"GND", {"H&", "K&"}},
    {"DC",  {"I&", "M&"}},
}};

constexpr std::array<TriggerRow, 4> TriggerTable{{
    {"OFF",     "Arrêt du trigger",                         "Trigger : OFF",     "S&", "ledon.bmp"},
    {"VOIE A",  "Trigger synchronisé sur la VOIE A",        "Trigger : VOIE A",  "U&", "ledoff.bmp"},
    {"VOIE B",  "Trigger synchronisé sur la VOIE B",        "Trigger : VOIE B",  "V&", "ledoff.bmp"},
    {"EXTERNE", "Trigger synchronisé sur l'entrée EXTERNE", "Trigger : EXTERNE", "W&", "ledoff.bmp"},
}};

constexpr MathModeRow MathModes[MathModeCount] = {
    {"Pas de Mat&h", "Ctrl+F2", "Pas de Math | Désactiver les fonctions mathématiques...",
     "                      "},
    {"Voie A + Voie &B", "Ctrl+F3",
     "Voie A + Voie B | Activer la fonction mathématique : Voie A + Voie B...",
     "Math : Voie A + Voie B"},
    {"&Voie A - Voie B", "Ctrl+F4",
     "Voie A - Voie B | Activer la fonction mathématique : Voie A - Voie B...",
     "Math : Voie A - Voie B"},
    {"Mode &X Y (Voie A = X et Voie B = Y)", "Ctrl+F5",
     "Mode X-Y (Voie A = X et Voie B = Y) | Activer la fonction mathématique : Mode X-Y (Voie A "
     "= X et Voie B = Y)...",
     "Math : Mode X Y       "},
};
// clang-format on

template <typename Table> const typename Table::value_type* RowAt(const Table& table, int index) {
    if (index < 1 || index > static_cast<int>(table.size()))
        return nullptr;
    return &table[static_cast<std::size_t>(index - 1)];
}

QString ChannelName(Channel channel) {
    return channel == Channel::A ? QStringLiteral("VOIE A") : QStringLiteral("VOIE B");
}

} // namespace

const MathModeRow* MathModeAt(int mode) {
    if (mode < 0 || mode >= MathModeCount)
        return nullptr;
    return &MathModes[mode];
}

QString MathCaption(int mode) {
    const MathModeRow* row = MathModeAt(mode);
    return row ? QString::fromUtf8(row->caption) : QString();
}

QString MathShortcut(int mode) {
    const MathModeRow* row = MathModeAt(mode);
    return row ? QString::fromUtf8(row->shortcut) : QString();
}

QString MathHint(int mode) {
    const MathModeRow* row = MathModeAt(mode);
    return row ? QString::fromUtf8(row->hint) : QString();
}

QString MathToolTip(int mode) {
    return MathHint(mode).section(QLatin1Char('|'), 0, 0).trimmed();
}

QString MathStatusHelp(int mode) {
    return MathHint(mode).section(QLatin1Char('|'), 1).trimmed();
}

QString MathScreenLabel(int mode) {
    const MathModeRow* row = MathModeAt(mode);
    return row ? QString::fromUtf8(row->screenLabel) : QString();
}

bool ReadsFromGround(const ChannelSettings& channel) {
    return channel.groundMeasured;
}

int ZeroVoltCode(const ChannelSettings& channel) {
    return ReadsFromGround(channel) ? channel.groundLevel : Sweep::CentreCode;
}

int ClampVerticalPosition(int value) {
    return std::clamp(value, 0, 255);
}

const TimeBaseRow* TimeBaseAt(int index) {
    return RowAt(TimeBaseTable, index);
}
const VoltsPerDivRow* VoltsPerDivAt(int index) {
    return RowAt(VoltsPerDivTable, index);
}
const CouplingRow* CouplingAt(int value) {
    return RowAt(CouplingTable, value);
}
const TriggerRow* TriggerAt(int value) {
    return RowAt(TriggerTable, value);
}

QString VoltsPerDivHint(int index, Channel channel) {
    const VoltsPerDivRow* row = VoltsPerDivAt(index);
    if (!row)
        return {};
    return QStringLiteral("Calibre %1 - %2")
        .arg(QString::fromUtf8(row->range), ChannelName(channel));
}

QString VoltsPerDivScreenLabel(int index, bool probeTimesTen) {
    const VoltsPerDivRow* row = VoltsPerDivAt(index);
    if (!row)
        return {};
    return QString::fromUtf8(probeTimesTen ? row->screenLabelX10 : row->screenLabelX1);
}

QString CouplingHint(int value, Channel channel) {
    const CouplingRow* row = CouplingAt(value);
    if (!row)
        return {};
    return QStringLiteral("Couplage %1 %2")
        .arg(QString::fromLatin1(row->caption), ChannelName(channel));
}

QString CouplingPanelLabel(int value, Channel channel) {
    const CouplingRow* row = CouplingAt(value);
    if (!row)
        return {};
    return QStringLiteral("%1 : %2").arg(ChannelName(channel), QString::fromLatin1(row->caption));
}

QString CouplingScreenLabel(int value, Channel channel) {
    const CouplingRow* row = CouplingAt(value);
    if (!row)
        return {};
    return QStringLiteral("Couplage %1 %2 : %3")
        .arg(ChannelName(channel),
             channel == Channel::A ? QStringLiteral("(X)") : QStringLiteral("(Y)"),
             QString::fromLatin1(row->caption));
}

InstrumentSettings ActivatedPresetSettings() {
    InstrumentSettings activated;
    activated.channelA.traceOn = true;
    activated.channelB.traceOn = false;
    return activated;
}

QString InstrumentLineStartText(int line) {
    namespace L = SettingsLine;
    if (line >= L::PositionA + L::SavedOffset && line <= L::VoltsB + L::SavedOffset)
        line -= L::SavedOffset;
    const InstrumentSettings start = ActivatedPresetSettings();
    switch (line) {
    case L::PositionA:
        return QString::number(start.channelA.verticalPosition);
    case L::PositionB:
        return QString::number(start.channelB.verticalPosition);
    case L::TimeBase:
        return QString::number(start.timeBaseIndex);
    case L::Trigger:
        return QString::number(static_cast<int>(start.triggerSource));
    case L::TraceA:
        return start.channelA.traceOn ? PersistedSettings::OnWord(line)
                                      : PersistedSettings::OffWord(line);
    case L::TraceB:
        return start.channelB.traceOn ? PersistedSettings::OnWord(line)
                                      : PersistedSettings::OffWord(line);
    case L::CouplingA:
        return QString::number(static_cast<int>(start.channelA.coupling));
    case L::CouplingB:
        return QString::number(static_cast<int>(start.channelB.coupling));
    case L::VoltsA:
        return QString::number(start.channelA.voltsPerDivIndex);
    case L::VoltsB:
        return QString::number(start.channelB.voltsPerDivIndex);
    default:
        return {};
    }
}

void ResetInstrumentLines(PersistedSettings& settings) {
    for (int line = SettingsLine::PositionA; line <= SettingsLine::VoltsB; ++line)
        settings.SetLine(line, InstrumentLineStartText(line));
}
