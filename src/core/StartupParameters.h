#pragma once

#include <QString>
#include <array>

class PersistedSettings;

// The rules of the personal start-up values: lines 30 to 39 hold them, line 28 says which
// groups link activation restores, line 40 whether the user stored them.
namespace StartupParameters {

// What line 40 says.
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

// Stores the settings in force (lines 18 to 27) as the personal values (lines 30 to 39)
// and marks them stored (line 40 "1"). Line 28 is left to the caller.
void StorePersonal(PersistedSettings& settings);

// Puts the values of origin back into lines 30 to 39, line 28 to "0" and line 40 to "0".
void ClearPersonal(PersistedSettings& settings);

} // namespace StartupParameters
