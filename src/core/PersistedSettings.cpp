#include "core/PersistedSettings.h"

#include "core/Colour.h"
#include "core/Conversion.h"
#include "core/InstrumentSettings.h"

namespace {

struct LineRule {
    PersistedSettings::Kind kind;
    const char* word;     // keyword lines: the word before "_ON" / "_OFF"
    const char* fallback; // number and colour lines: the program's own value; none for
                          // the instrument lines, whose start values are the instrument's
};

using K = PersistedSettings::Kind;

// What each of the file's lines holds, in order. The instrument lines (SettingsLine::
// PositionA to VoltsB) are the instrument in force, their saved copies (SavedOffset further
// on) its values for the start-up.
// clang-format off
constexpr std::array<LineRule, PersistedSettings::LineCount> Rules{{
    {K::Text, nullptr, nullptr},              // 1 port
    {K::Keyword, "PERIPHERIQUE", nullptr},    // 2 ticks on the outer lines
    {K::Keyword, "LIGNE1090%", nullptr},      // 3 rise-time lines
    {K::Keyword, "HEURE", nullptr},           // 4 time
    {K::Keyword, "DATE", nullptr},            // 5 date
    {K::Keyword, "OFFICEXP", nullptr},        // 6 menu style
    {K::Keyword, "CONVENTIONNEL", nullptr},   // 7 menu style
    {K::Colour, nullptr, "0"},                // 8 time and date
    {K::Colour, nullptr, "0"},                // 9 graticule
    {K::Colour, nullptr, "255"},              // 10 channel A
    {K::Colour, nullptr, "16711680"},         // 11 channel B
    {K::Text, nullptr, nullptr},              // 12 folder of the save dialog
    {K::Colour, nullptr, "16711935"},         // 13 markers
    {K::Keyword, "SON", nullptr},             // 14 sounds
    {K::Colour, nullptr, "1813282"},          // 15 math trace
    {K::Number, nullptr, "0"},                // 16 a port was chosen
    {K::Colour, nullptr, "12582910"},         // 17 spectrum background
    {K::Number, nullptr, nullptr},            // 18 position A
    {K::Number, nullptr, nullptr},            // 19 position B
    {K::Number, nullptr, nullptr},            // 20 time base
    {K::Number, nullptr, nullptr},            // 21 trigger
    {K::Keyword, "VOIE_A", nullptr},          // 22 trace A
    {K::Keyword, "VOIE_B", nullptr},          // 23 trace B
    {K::Number, nullptr, nullptr},            // 24 coupling A
    {K::Number, nullptr, nullptr},            // 25 coupling B
    {K::Number, nullptr, nullptr},            // 26 volts/div A
    {K::Number, nullptr, nullptr},            // 27 volts/div B
    {K::Number, nullptr, "0"},                // 28 start-up restore mask
    {K::Text, nullptr, nullptr},              // 29
    {K::Number, nullptr, nullptr},            // 30 saved position A
    {K::Number, nullptr, nullptr},            // 31 saved position B
    {K::Number, nullptr, nullptr},            // 32 saved time base
    {K::Number, nullptr, nullptr},            // 33 saved trigger
    {K::Keyword, "VOIE_A", nullptr},          // 34 saved trace A
    {K::Keyword, "VOIE_B", nullptr},          // 35 saved trace B
    {K::Number, nullptr, nullptr},            // 36 saved coupling A
    {K::Number, nullptr, nullptr},            // 37 saved coupling B
    {K::Number, nullptr, nullptr},            // 38 saved volts/div A
    {K::Number, nullptr, nullptr},            // 39 saved volts/div B
    {K::Number, nullptr, "0"},                // 40 personal start-up values saved
    {K::Text, nullptr, nullptr},              // 41
    {K::Text, nullptr, nullptr},              // 42
    {K::Text, nullptr, nullptr},              // 43
    {K::Keyword, "CARTE_SON", nullptr},       // 44 wave-output device
    {K::Text, nullptr, nullptr},              // 45 program folder
    {K::Text, nullptr, nullptr},              // 46
    {K::Text, nullptr, nullptr},              // 47
    {K::Text, nullptr, nullptr},              // 48
    {K::Text, nullptr, nullptr},              // 49
    {K::Text, nullptr, nullptr},              // 50
}};
// clang-format on

bool InRange(int k) {
    return k >= 1 && k <= PersistedSettings::LineCount;
}

const LineRule* RuleOf(int k) {
    return InRange(k) ? &Rules[static_cast<std::size_t>(k - 1)] : nullptr;
}

} // namespace

PersistedSettings::PersistedSettings() {
    for (int k = 1; k <= LineCount; ++k)
        Parse(k);
}

PersistedSettings::Kind PersistedSettings::KindOf(int k) {
    const LineRule* rule = RuleOf(k);
    return rule ? rule->kind : Kind::Text;
}

QString PersistedSettings::OnWord(int k) {
    const LineRule* rule = RuleOf(k);
    if (!rule || !rule->word)
        return {};
    return QString::fromLatin1(rule->word) + QStringLiteral("_ON");
}

QString PersistedSettings::OffWord(int k) {
    const LineRule* rule = RuleOf(k);
    if (!rule || !rule->word)
        return {};
    return QString::fromLatin1(rule->word) + QStringLiteral("_OFF");
}

QString PersistedSettings::FallbackText(int k) {
    const LineRule* rule = RuleOf(k);
    if (!rule)
        return {};
    return rule->fallback ? QString::fromLatin1(rule->fallback) : InstrumentLineStartText(k);
}

QString PersistedSettings::Line(int k) const {
    return QString::fromUtf8(RawLine(k));
}

void PersistedSettings::SetLine(int k, const QString& text) {
    SetRawLine(k, text.toUtf8());
}

QByteArray PersistedSettings::RawLine(int k) const {
    return InRange(k) ? lines[Slot(k)] : QByteArray();
}

void PersistedSettings::SetRawLine(int k, const QByteArray& bytes) {
    if (!InRange(k))
        return;
    lines[Slot(k)] = bytes;
    Parse(k);
}

void PersistedSettings::Parse(int k) {
    const LineRule& rule = *RuleOf(k);
    const std::size_t i = Slot(k);
    switch (rule.kind) {
    case Kind::Text:
        break;
    case Kind::Keyword:
        on[i] = lines[i] == OnWord(k).toLatin1();
        break;
    case Kind::Number:
    case Kind::Colour: {
        int value = 0;
        if (!TryStrToInt(QString::fromUtf8(lines[i]), value)) {
            const QString fallback = FallbackText(k);
            lines[i] = fallback.toLatin1();
            value = StrToInt(fallback);
        }
        numbers[i] = value;
        if (rule.kind == Kind::Colour)
            colours[i] = ColourFromSetting(value);
        break;
    }
    }
}

bool PersistedSettings::IsOn(int k) const {
    return KindOf(k) == Kind::Keyword && on[Slot(k)];
}

void PersistedSettings::SetOn(int k, bool value) {
    if (KindOf(k) != Kind::Keyword)
        return;
    SetLine(k, value ? OnWord(k) : OffWord(k));
}

int PersistedSettings::Number(int k) const {
    const Kind kind = KindOf(k);
    return kind == Kind::Number || kind == Kind::Colour ? numbers[Slot(k)] : 0;
}

void PersistedSettings::SetNumber(int k, int value) {
    const Kind kind = KindOf(k);
    if (kind == Kind::Number || kind == Kind::Colour)
        SetLine(k, QString::number(value));
}

QColor PersistedSettings::Colour(int k) const {
    return KindOf(k) == Kind::Colour ? colours[Slot(k)] : QColor();
}

void PersistedSettings::SetColour(int k, const QColor& colour) {
    if (KindOf(k) == Kind::Colour)
        SetNumber(k, SettingFromColour(colour));
}
