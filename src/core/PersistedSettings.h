#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <array>

// The 50 lines of the settings file, held in memory for the whole run.
//
// Each line is kept as the file's own bytes, so that a line the program never sets is
// written back exactly as it was read, and as the typed value the program works with,
// parsed once whenever the line is set: an on/off flag for the keyword lines, an integer
// for the number lines, a colour for the colour lines. A number or colour line always
// holds a whole decimal number: text that is not one is replaced by the program's own
// value for that line (the value "Couleurs par défaut", "Effacer" or the start-up would
// write). Nothing reads a line as text to act on it; the text is for the file and the
// views of the file.
class PersistedSettings {
public:
    static constexpr int LineCount = 50;

    enum class Kind { Text, Keyword, Number, Colour };

    PersistedSettings();

    static Kind KindOf(int k);
    // The words of a keyword line ("SON_ON", "SON_OFF"); empty for other lines.
    static QString OnWord(int k);
    static QString OffWord(int k);
    // The program's own value of a number or colour line; empty for other lines.
    static QString FallbackText(int k);

    // The text of line k (1..50); empty outside. Setting it parses it; outside the range
    // nothing happens.
    QString Line(int k) const;
    void SetLine(int k, const QString& text);
    QByteArray RawLine(int k) const;
    void SetRawLine(int k, const QByteArray& bytes);

    // Keyword lines: on when the line holds exactly its "_ON" word.
    bool IsOn(int k) const;
    void SetOn(int k, bool on);

    // Number and colour lines (0 for other lines).
    int Number(int k) const;
    void SetNumber(int k, int value);

    // Colour lines, kept as 0x00BBGGRR integers in the file.
    QColor Colour(int k) const;
    void SetColour(int k, const QColor& colour);

    bool operator==(const PersistedSettings& other) const { return lines == other.lines; }

private:
    static std::size_t Slot(int k) { return static_cast<std::size_t>(k - 1); }
    void Parse(int k);

    std::array<QByteArray, LineCount> lines;
    std::array<int, LineCount> numbers{};
    std::array<bool, LineCount> on{};
    std::array<QColor, LineCount> colours;
};
