#pragma once

#include "core/PersistedSettings.h"

#include <QString>
#include <stdexcept>

// Raised when the settings file cannot be written; memory keeps its values.
class SettingsWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The settings file "parametres.inf": 50 lines, each followed by CR LF.
namespace SettingsFile {

inline constexpr const char* FileName = "parametres.inf";

// Longest line kept from the file; the rest of a longer line is dropped. The program's
// own lines are short; this keeps a damaged file from filling memory.
inline constexpr int MaxLineBytes = 4096;

// Reads up to 50 lines (LF or CR LF). A file that cannot be opened gives 50 empty lines;
// a shorter file leaves the missing lines empty; lines after the 50th are not read.
// Number lines that hold no decimal integer take the value the program itself writes.
PersistedSettings Load(const QString& path);

// Rewrites the whole file atomically: either the new 50 lines are in place or the old
// file is untouched. Throws SettingsWriteError with a French text on failure.
void Save(const QString& path, const PersistedSettings& settings);

} // namespace SettingsFile
