#pragma once

#include <QString>

class PersistedSettings;
struct InstrumentSettings;
class SampleTable;

// What the main window offers to the subsystems it composes: the state it owns for the
// whole run and the few operations every front-panel handler calls. Panels and
// controllers take a ProgramServices& so that tests can hand them a fake.
class ProgramServices {
public:
    virtual ~ProgramServices() = default;

    virtual PersistedSettings& Settings() = 0;
    virtual InstrumentSettings& Instrument() = 0;
    virtual SampleTable& Samples() = 0;

    // Rewrites the settings file from memory; throws SettingsWriteError on failure.
    virtual void SaveSettings() = 0;
    // Sends one command to the box under the handshake; returns when the exchange ended.
    virtual void SendCommand(const QString& command) = 0;
    // Full redraw of the screen (or of the spectrum view).
    virtual void RedrawScreen() = 0;
    // Plays a sound file of the program's folder without waiting, if sounds are on.
    virtual void PlaySound(const QString& fileName) = 0;
    // The executable's folder, ending with a separator.
    virtual QString ProgramFolder() const = 0;
    // Whether the link with the box has been activated.
    virtual bool LinkActive() const = 0;
};
