#pragma once

#include <QString>
#include <stdexcept>

// Raised when a number kept as text (a settings line, a sample-table cell) is not a
// whole decimal integer. Its text is the one the user sees in the error box.
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const QString& text);
};

// Strict decimal conversion: an optional sign followed by decimal digits, nothing else,
// within the range of int. Anything else throws ConversionError.
int StrToInt(const QString& text);
int StrToInt(QStringView text);

// Same rule, without throwing: false when the text is not a whole decimal integer.
bool TryStrToInt(QStringView text, int& value);
