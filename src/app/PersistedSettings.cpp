#include "app/PersistedSettings.h"

QString PersistedSettings::Line(int k) const {
    return QString::fromUtf8(RawLine(k));
}

void PersistedSettings::SetLine(int k, const QString& text) {
    SetRawLine(k, text.toUtf8());
}

QByteArray PersistedSettings::RawLine(int k) const {
    if (k < 1 || k > LineCount)
        return {};
    return lines[static_cast<std::size_t>(k - 1)];
}

void PersistedSettings::SetRawLine(int k, const QByteArray& bytes) {
    if (k < 1 || k > LineCount)
        return;
    lines[static_cast<std::size_t>(k - 1)] = bytes;
}
