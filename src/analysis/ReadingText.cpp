#include "analysis/ReadingText.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace {

constexpr std::array<ReadingRow, ReadingKindCount> Rows{{
    {ReadingKind::Frequency, "Fréquence", "frequency_hz", Unit::Hertz},
    {ReadingKind::Period, "Période", "period_s", Unit::Second},
    {ReadingKind::PeakToPeak, "Crête à crête", "peak_to_peak_v", Unit::Volt},
    {ReadingKind::Maximum, "Maximum", "maximum_v", Unit::Volt},
    {ReadingKind::Minimum, "Minimum", "minimum_v", Unit::Volt},
    {ReadingKind::Mean, "Moyenne", "mean_v", Unit::Volt},
    {ReadingKind::Rms, "Valeur efficace", "rms_v", Unit::Volt},
    {ReadingKind::AcRms, "Valeur efficace AC", "ac_rms_v", Unit::Volt},
    {ReadingKind::DutyCycle, "Rapport cyclique", "duty_cycle_pct", Unit::Percent},
    {ReadingKind::RiseTime, "Temps de montée", "rise_time_s", Unit::Second},
    {ReadingKind::FallTime, "Temps de descente", "fall_time_s", Unit::Second},
}};

const QString NotAvailable = QStringLiteral("—");

// `value` with `decimals` decimals and a point, whatever the locale.
QString Fixed(double value, int decimals) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

const char* UnitText(Unit unit) {
    switch (unit) {
    case Unit::Hertz:
        return "Hz";
    case Unit::Second:
        return "s";
    case Unit::Volt:
        return "V";
    case Unit::Percent:
        return "%";
    }
    return "";
}

// Four significant digits for a mantissa below 1000 (three decimals below 1).
int DecimalsFor(double magnitude) {
    if (magnitude >= 100)
        return 1;
    if (magnitude >= 10)
        return 2;
    return 3;
}

} // namespace

const ReadingRow& ReadingRowOf(ReadingKind kind) {
    return Rows[static_cast<std::size_t>(kind)];
}

QString FrenchValueText(double value, Unit unit) {
    if (!std::isfinite(value))
        return NotAvailable;
    if (value == 0)
        value = 0; // no "-0"
    QString text;
    QString suffix;
    if (unit == Unit::Percent) {
        text = Fixed(value, 1);
        suffix = QStringLiteral(" %");
    } else {
        static constexpr std::array<const char*, 6> Prefixes{"n", "µ", "m", "", "k", "M"};
        constexpr int LowestPower = -9;
        constexpr int HighestPower = 6;
        // What rounds to zero even in nano reads as zero (a spread of identical readings
        // leaves such a remainder), not as "0,000 n".
        if (std::fabs(value) < 0.0005e-9)
            value = 0;
        const double magnitude = std::fabs(value);
        int power = 0;
        if (magnitude > 0)
            power = static_cast<int>(std::floor(std::log10(magnitude) / 3)) * 3;
        power = std::clamp(power, LowestPower, HighestPower);
        for (;;) {
            const double mantissa = value / std::pow(10.0, power);
            int decimals = DecimalsFor(std::fabs(mantissa));
            const double step = std::pow(10.0, decimals);
            const double rounded = std::fabs(std::round(mantissa * step) / step);
            if (rounded >= 1000 && power < HighestPower) {
                power += 3;
                continue;
            }
            if (rounded < 1 && magnitude > 0 && power > LowestPower) {
                power -= 3;
                continue;
            }
            decimals = DecimalsFor(rounded); // 9.9996 rounds to 10.00, not 10.000
            text = Fixed(mantissa, decimals);
            break;
        }
        suffix = QLatin1Char(' ') +
                 QString::fromUtf8(Prefixes[static_cast<std::size_t>((power - LowestPower) / 3)]) +
                 QLatin1String(UnitText(unit));
    }
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text + suffix;
}

QString FrenchReadingText(const Reading& reading, Unit unit) {
    return reading.available ? FrenchValueText(reading.value, unit) : NotAvailable;
}

QString FrenchReadingNote(const Reading& reading) {
    if (!reading.available)
        return {};
    QStringList notes;
    if (reading.clipped)
        notes << QStringLiteral("écrêté");
    if (reading.fewPeriods)
        notes << QStringLiteral("moins de deux périodes");
    if (reading.resolutionLimited)
        notes << QStringLiteral("limite de résolution");
    return notes.join(QStringLiteral(", "));
}

QString FrenchReferenceName(VoltageReference reference) {
    return reference == VoltageReference::Ground ? QStringLiteral("masse")
                                                 : QStringLiteral("centre de l'écran");
}

QString CsvNumber(double value) {
    if (value == 0)
        value = 0;
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString CsvReadingValue(const Reading& reading) {
    return reading.available ? CsvNumber(reading.value) : QString();
}

QString CsvReadingFlags(const Reading& reading) {
    if (!reading.available)
        return QStringLiteral("not_available");
    QStringList flags;
    if (reading.clipped)
        flags << QStringLiteral("clipped");
    if (reading.fewPeriods)
        flags << QStringLiteral("few_periods");
    if (reading.resolutionLimited)
        flags << QStringLiteral("resolution_limit");
    return flags.join(QLatin1Char(' '));
}

QString CsvReferenceName(VoltageReference reference) {
    return reference == VoltageReference::Ground ? QStringLiteral("ground")
                                                 : QStringLiteral("centre");
}
