#include "core/Conversion.h"

#include <limits>

namespace {
QString ConversionMessage(const QString& text) {
    return QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text);
}
} // namespace

ConversionError::ConversionError(const QString& text)
    : std::runtime_error(ConversionMessage(text).toStdString()) {}

bool TryStrToInt(QStringView text, int& value) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return false;
    long long magnitude = 0;
    const long long limit = negative ? -static_cast<long long>(std::numeric_limits<int>::min())
                                     : std::numeric_limits<int>::max();
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > limit)
            return false;
    }
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}

int StrToInt(QStringView text) {
    int value = 0;
    if (!TryStrToInt(text, value))
        throw ConversionError(text.toString());
    return value;
}

int StrToInt(const QString& text) {
    return StrToInt(QStringView(text));
}
