#pragma once

#include <QString>
#include <QStringList>

// Where the program finds its data files and keeps its settings file.
//
// A copy run from its own folder (the build folder, an unpacked copy) has its data files
// beside the executable and keeps "parametres.inf" there too, as long as that folder can
// be written. An installed copy finds its data files in the data folder of its
// installation (<prefix>/share/oscilloscope unless the build was told otherwise) and keeps
// its settings in the user's configuration folder, where the factory file is copied at
// the first start.
namespace ProgramLocations {

// The folder name under share/ and under the configuration folder.
inline constexpr const char* ProgramName = "oscilloscope";

// The data folder of an installed copy, relative to its executable's folder (absolute when
// the build was given an absolute data folder), as the build installs it:
// "../share/oscilloscope" for the usual layout.
QString InstalledDataFolder();

struct Inputs {
    QString executableFolder;      // the executable's own folder
    bool executableFolderWritable; // a file can be created there
    QString configHome;            // $XDG_CONFIG_HOME, or ~/.config
    QStringList dataFolders;       // the system's data folders ($XDG_DATA_DIRS), searched last
    QString installedData = InstalledDataFolder(); // see InstalledDataFolder()
};

struct Folders {
    QString data;     // ends with a separator
    QString settings; // ends with a separator
};

// The data folder is the first of: the executable's folder, the installed data folder
// (taken from the executable's folder when relative), each of the data folders followed by
// /oscilloscope, that holds the help file; the executable's folder when none does. The settings
// stay in the executable's folder when the data are there and it can be written, and go to
// <configHome>/ oscilloscope otherwise.
Folders Locate(const Inputs& inputs);

// The inputs of this machine and this executable.
Inputs ForThisProgram(const QString& executableFolder);

// A file can be created in `folder` (tried, not guessed from the permission bits, which
// do not tell for every user).
bool IsWritable(const QString& folder);

// When the settings live apart from the data and have no file yet: creates the settings
// folder and copies the factory "parametres.inf" of the data folder into it, writable by
// the user. Does nothing otherwise; a failure leaves no file, and start-up then begins
// from empty lines as with a missing file.
void SeedSettingsFile(const Folders& folders);

} // namespace ProgramLocations
