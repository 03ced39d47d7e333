#pragma once

#include "core/InstrumentSettings.h"
#include "instrument/Instrument.h"

#include <QObject>
#include <array>

class AcquisitionPanel;
class ChannelPanel;
class Instrument;
class MagnifierPanel;
class QWidget;
class TimeBasePanel;
class TraceSwitch;
class TranslationPanel;
class TriggerPanel;
enum class Preset;

// The widgets the front-panel groups go into: the main window's group boxes (each body
// fills its box from the top-left corner) and, for the magnifier, the widget it sits on.
struct FrontPanelHosts {
    QWidget* timeBase = nullptr;    // " Time/Div : "
    QWidget* channelA = nullptr;    // " Volts/Div VOIE A (Axe X) : "
    QWidget* channelB = nullptr;    // " Volts/Div VOIE B (Axe Y) : "
    QWidget* trigger = nullptr;     // " Sélection du Trigger : "
    QWidget* acquisition = nullptr; // " Acquisition des traces : "
    QWidget* translation = nullptr; // " Translation des traces (C = Carreaux) : "
    QWidget* magnifier = nullptr;   // any; the caller moves the magnifier into place
};

// All the front-panel groups together: builds them and the two trace switches, and
// shows what the session announces for the panel as a whole: the lock of the groups
// during a command exchange and a pause (the group boxes themselves, captions included)
// and the controls each preset enables, disables, shows or hides.
class FrontPanel : public QObject {
    Q_OBJECT
public:
    FrontPanel(Instrument& session, const FrontPanelHosts& hosts, QObject* parent = nullptr);

    TimeBasePanel& TimeBase() const { return *timeBase; }
    ChannelPanel& ChannelOf(Channel channel) const;
    TraceSwitch& TraceSwitchOf(Channel channel) const;
    TriggerPanel& Trigger() const { return *trigger; }
    AcquisitionPanel& Acquisition() const { return *acquisition; }
    TranslationPanel& Translation() const { return *translation; }
    MagnifierPanel& Magnifier() const { return *magnifier; }

    // The time base, both channel groups and the trigger group; the translation and
    // acquisition groups.
    void SetSettingGroupsEnabled(bool enabled);
    void SetTransferGroupsEnabled(bool enabled);

    // Repaints both volts/div knobs with the current channel colours.
    void RedrawVoltsDials();

    // The centre-column buttons the presets show and enable ("ON / OFF marqueurs" and
    // "ON / OFF Analyseur de spectre"); a null button leaves that one as it was.
    void SetCompanionButtons(QWidget* markersButton, QWidget* spectrumButton);

private:
    void ApplyPreset(Preset preset);

    Instrument& session;
    FrontPanelHosts hosts;
    TimeBasePanel* timeBase = nullptr;
    ChannelPanel* channelA = nullptr;
    ChannelPanel* channelB = nullptr;
    std::array<TraceSwitch*, 2> traceSwitches{};
    TriggerPanel* trigger = nullptr;
    AcquisitionPanel* acquisition = nullptr;
    TranslationPanel* translation = nullptr;
    MagnifierPanel* magnifier = nullptr;
    QWidget* markersButton = nullptr;
    QWidget* spectrumButton = nullptr;
    PanelLocks shownLocks; // the group locks as the boxes were last set
};
