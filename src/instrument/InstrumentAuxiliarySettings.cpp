// Instrument, the session: the settings the small windows change. They change the lines in memory
// only: the file is rewritten when the main window becomes active again.

#include "core/SettingsLines.h"
#include "core/StartupParameters.h"
#include "instrument/Instrument.h"

void Instrument::SetDisplayOption(int line, bool on) {
    settings.SetOn(line, on);
}

void Instrument::SetDisplayColour(int line, int bgr) {
    settings.SetNumber(line, bgr);
}

void Instrument::SetRestoreMask(int mask) {
    settings.SetNumber(SettingsLine::RestoreMask, mask);
}

void Instrument::StorePersonalStartup() {
    StartupParameters::StorePersonal(settings);
}

void Instrument::ClearPersonalStartup() {
    StartupParameters::ClearPersonal(settings);
}

bool Instrument::SetSaveFolder(const QString& folder) {
    if (folder.contains(QLatin1Char('\n')) || folder.contains(QLatin1Char('\r')))
        return false;
    settings.SetLine(SettingsLine::SaveFolder, folder);
    return true;
}
