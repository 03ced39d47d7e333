#include "core/StartupParameters.h"

#include "core/InstrumentSettings.h"
#include "core/PersistedSettings.h"
#include "core/SettingsLines.h"

namespace StartupParameters {

State StateOf(const QString& line40) {
    if (line40 == QStringLiteral("0"))
        return State::Origin;
    if (line40 == QStringLiteral("1"))
        return State::Personal;
    return State::Other;
}

int MaskAfterToggle(int mask, int bit, bool checked) {
    return checked ? mask + bit : mask - bit;
}

void StorePersonal(PersistedSettings& settings) {
    for (int line = SettingsLine::PositionA; line <= SettingsLine::VoltsB; ++line)
        settings.SetRawLine(line + SettingsLine::SavedOffset, settings.RawLine(line));
    settings.SetLine(SettingsLine::PersonalSaved, QStringLiteral("1"));
}

void ClearPersonal(PersistedSettings& settings) {
    for (int line = SettingsLine::PositionA + SettingsLine::SavedOffset;
         line <= SettingsLine::VoltsB + SettingsLine::SavedOffset; ++line)
        settings.SetLine(line, InstrumentLineStartText(line));
    settings.SetNumber(SettingsLine::RestoreMask, 0);
    settings.SetLine(SettingsLine::PersonalSaved, QStringLiteral("0"));
}

} // namespace StartupParameters
