#pragma once

#include <QByteArray>
#include <QString>
#include <array>

// The 50 lines of the settings file, held in memory for the whole run. Line k is read
// and replaced by its number (1..50); replacing a line does not write the file.
// Lines are kept as the file's own bytes, so lines the program never sets are written
// back exactly as they were read.
class PersistedSettings {
public:
    static constexpr int LineCount = 50;

    QString Line(int k) const;
    void SetLine(int k, const QString& text);

    QByteArray RawLine(int k) const;
    void SetRawLine(int k, const QByteArray& bytes);

    bool operator==(const PersistedSettings&) const = default;

private:
    std::array<QByteArray, LineCount> lines;
};
