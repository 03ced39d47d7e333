#pragma once

// What each line of the settings file holds, by number. Lines not named here are unused
// and are written back as they were read.
namespace SettingsLine {
inline constexpr int Port = 1;            // serial port of the box
inline constexpr int OuterTicks = 2;      // "PERIPHERIQUE_ON" / "_OFF"
inline constexpr int RiseTimeLines = 3;   // "LIGNE1090%_ON" / "_OFF"
inline constexpr int ShowTime = 4;        // "HEURE_ON" / "_OFF"
inline constexpr int ShowDate = 5;        // "DATE_ON" / "_OFF"
inline constexpr int MenuStyleFirst = 6;  // "OFFICEXP_ON" / "_OFF"
inline constexpr int MenuStyleSecond = 7; // "CONVENTIONNEL_ON" / "_OFF"
inline constexpr int ClockColour = 8;     // colours are 0x00BBGGRR in decimal
inline constexpr int GraticuleColour = 9;
inline constexpr int ColourA = 10;
inline constexpr int ColourB = 11;
inline constexpr int SaveFolder = 12;
inline constexpr int MarkerColour = 13;
inline constexpr int Sound = 14; // "SON_ON" / "SON_OFF"
inline constexpr int MathColour = 15;
inline constexpr int PortChosen = 16; // "0" until a port was ever chosen, then "1"
inline constexpr int SpectrumBackground = 17;
inline constexpr int PositionA = 18; // 18 to 27: the instrument in force
inline constexpr int PositionB = 19;
inline constexpr int TimeBase = 20;
inline constexpr int Trigger = 21;
inline constexpr int TraceA = 22;
inline constexpr int TraceB = 23;
inline constexpr int CouplingA = 24;
inline constexpr int CouplingB = 25;
inline constexpr int VoltsA = 26;
inline constexpr int VoltsB = 27;
inline constexpr int RestoreMask = 28;   // what link activation restores
inline constexpr int SavedOffset = 12;   // 30 to 39: saved copies of 18 to 27
inline constexpr int PersonalSaved = 40; // "1" once the user saved start-up values
inline constexpr int SoundDevice = 44;   // "CARTE_SON_ON" / "CARTE_SON_OFF"
inline constexpr int ProgramFolder = 45; // the executable's folder

} // namespace SettingsLine
