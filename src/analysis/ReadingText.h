#pragma once

#include "analysis/Measurements.h"

#include <QString>

// The texts of the readings: in French for the windows (decimal comma, SI prefixes, four
// significant digits: "1,234 kHz", "—" when not available) and for machines (CSV: decimal
// point, base units, seven significant digits: "1234.5", an empty field when not
// available, the flags in a column of their own). Neither follows the user's locale.

enum class Unit { Hertz, Second, Volt, Percent };

// A reading's name for the window, its CSV column and its unit.
struct ReadingRow {
    ReadingKind kind;
    const char* label;   // "Fréquence"
    const char* csvName; // "frequency_hz"
    Unit unit;
};
// In the order of ReadingKind.
const ReadingRow& ReadingRowOf(ReadingKind kind);

// "1,234 kHz", "-250,0 mV", "12,50 µs", "0,000 V"; percentages with one decimal: "25,0 %".
// Prefixes from n to M. Not a number: "—".
QString FrenchValueText(double value, Unit unit);
// The value's text, or "—" when the reading is not available.
QString FrenchReadingText(const Reading& reading, Unit unit);
// What the flags say, joined by ", ": "écrêté", "moins de deux périodes", "limite de
// résolution"; empty for a plain reading or one not available.
QString FrenchReadingNote(const Reading& reading);
// "masse" or "centre de l'écran".
QString FrenchReferenceName(VoltageReference reference);

// "1234.5", "-0.25", "1.25e-05": base units, up to seven significant digits.
QString CsvNumber(double value);
// The value, or an empty field when the reading is not available.
QString CsvReadingValue(const Reading& reading);
// The flags as words separated by spaces: "not_available", "clipped", "few_periods",
// "resolution_limit"; empty for a plain reading.
QString CsvReadingFlags(const Reading& reading);
// "ground" or "centre".
QString CsvReferenceName(VoltageReference reference);
