#pragma once

#include <QString>

// What the command exchange needs from the main window: the front-panel groups it locks,
// the status-bar panel and the progress bar it shows, and the link failure procedure.
class CommandHost {
public:
    virtual ~CommandHost() = default;

    // The four setting groups: time base, volts/div of channel A and of channel B, trigger.
    virtual void SetSettingGroupsEnabled(bool enabled) = 0;
    // The RAM-window translation group and the acquisition group.
    virtual void SetAcquisitionGroupsEnabled(bool enabled) = 0;
    // The second panel of the status bar (the one after the hint panel).
    virtual void SetCommandStatus(const QString& text) = 0;
    // The progress bar of the acknowledgement wait.
    virtual void ShowProgress(int minimum, int maximum) = 0;
    virtual void SetProgress(int value) = 0;
    virtual void HideProgress() = 0;
    // The box did not acknowledge in time. Runs from inside the wait; the waits of the
    // exchange have already been told to end. Reports the failure and asks the program
    // to end.
    virtual void LinkFailure() = 0;
};
