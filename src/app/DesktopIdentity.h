#pragma once

#include <QString>

// How the desktop knows the program's windows: the name of its desktop entry, by which
// docks and window lists match the windows to the menu entry, and its icon, which every
// window of the program shows.
namespace DesktopIdentity {

// The desktop entry is installed as "oscilloscope.desktop".
inline constexpr const char* DesktopFileName = "oscilloscope";
// The icon as a bitmap in the data folder.
inline constexpr const char* IconFile = "oscilloscope.png";

// Gives the application its desktop entry name and the icon of `dataFolder` (a folder
// ending with a separator). Before the first window is made: the window system reads
// both when a window is created.
void Apply(const QString& dataFolder);

} // namespace DesktopIdentity
