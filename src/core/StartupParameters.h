#pragma once

#include <QString>
#include <array>

class PersistedSettings;

// The rules of the personal start-up values: the saved start-up lines (the instrument
// lines, SavedOffset further on) hold them, SettingsLine::RestoreMask says which groups link
// activation restores, SettingsLine::PersonalSaved whether the user stored them.
namespace StartupParameters {

// What SettingsLine::PersonalSaved says.
enum class State {
    Origin,   // "0": the lines hold the values of origin
    Personal, // "1": the user's values are stored
    Other,    // any other text: neither, every control stays usable
};
State StateOf(const QString& line40);

// The six groups of the restore mask, in the order they are shown and set.
inline constexpr std::array<int, 6> GroupBits = {1, 2, 4, 8, 16, 32};

// The mask after one box changed state: its bit added when it became checked, taken away
// when it became unchecked.
int MaskAfterToggle(int mask, int bit, bool checked);

// Stores the settings in force (the instrument lines) as the personal values (their saved
// copies) and marks them stored (PersonalSaved "1"). The restore mask is left to the caller.
void StorePersonal(PersistedSettings& settings);

// Puts the values of origin back into the saved start-up lines, the restore mask to "0"
// and PersonalSaved to "0".
void ClearPersonal(PersistedSettings& settings);

} // namespace StartupParameters
