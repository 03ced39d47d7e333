#pragma once

#include "app/InstrumentSettings.h"

#include <QObject>
#include <QString>
#include <functional>
#include <span>

class AcquisitionPanel;
class ChannelPanel;
class MagnifierPanel;
class ProgramServices;
class QWidget;
class RamWindow;
class TimeBasePanel;
class TranslationPanel;
class TriggerPanel;

// Tool bar buttons whose hints the presets set.
enum class PresetToolButton { Quit, Activate, Graticule, Colours, Save, Copy, PrintPreview };

struct PresetToolHint {
    PresetToolButton button;
    const char* hint; // "tooltip | status bar text"
};

std::span<const PresetToolHint> InactiveToolHints();
std::span<const PresetToolHint> ActivatedToolHints();

// The widgets the front-panel groups go into: the main window's group boxes (each panel
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

// All the front-panel groups together: builds them, connects what one group does to
// another (GND coupling and the trigger display, pause and the instrument groups, the
// magnifier and the step captions), applies the two presets and switches the groups that
// a command exchange locks.
class FrontPanel : public QObject {
    Q_OBJECT
public:
    FrontPanel(ProgramServices& services, RamWindow& window, const FrontPanelHosts& hosts,
               QObject* parent = nullptr);

    TimeBasePanel& TimeBase() const { return *timeBase; }
    ChannelPanel& ChannelOf(Channel channel) const;
    TriggerPanel& Trigger() const { return *trigger; }
    AcquisitionPanel& Acquisition() const { return *acquisition; }
    TranslationPanel& Translation() const { return *translation; }
    MagnifierPanel& Magnifier() const { return *magnifier; }

    // The state every group starts in: magnifier x1, step "1 C", the RAM window label,
    // acquisition running, trigger OFF and its lamp on, both sliders at 128, x1 probes.
    void ShowStartState();

    // The preset of the inactive link (start-up): defaults shown, everything that talks to
    // the box disabled or hidden, "Lecture" and "Pause" disabled. Sends and saves nothing.
    void ApplyInactivePreset();
    // The preset of link activation: the same defaults, enabled for channel A alone,
    // trigger OFF down. Sends and saves nothing.
    void ApplyActivatedPreset();
    // After the preset of link activation: both run buttons enabled, "Lecture" down.
    void ShowLinkActivated();

    // The lock of a command exchange. The instrument groups are the time base, both
    // channel groups and the trigger; the transfer groups the translation and acquisition.
    void SetInstrumentGroupsEnabled(bool enabled);
    void SetTransferGroupsEnabled(bool enabled);
    void SetCommandGroupsEnabled(bool enabled);

    // Repaints both volts/div knobs with the current channel colours.
    void RedrawVoltsDials();
    // Channel controls by trace switch and link, for both channels, or for one after its
    // trace switch was pressed (traceOn already holds the new state).
    void UpdateChannelEnabling();
    void RefreshChannelControls(Channel channel);

    // How the presets set a tool bar hint, and the centre-column buttons they show and
    // enable ("ON / OFF marqueurs" and "ON / OFF Analyseur de spectre").
    void SetToolHintSetter(std::function<void(PresetToolButton, const QString&)> setter);
    void SetCompanionButtons(QWidget* markersButton, QWidget* spectrumButton);

signals:
    // Save, copy and print commands: on while paused, off while running.
    void outputCommandsEnabled(bool enabled);

private:
    void ApplyCommonValues(bool putGroundDown);
    void ApplyToolHints(std::span<const PresetToolHint> hints);
    void ApplyLinkState(bool linkActive);

    ProgramServices& services;
    RamWindow& window;
    TimeBasePanel* timeBase = nullptr;
    ChannelPanel* channelA = nullptr;
    ChannelPanel* channelB = nullptr;
    TriggerPanel* trigger = nullptr;
    AcquisitionPanel* acquisition = nullptr;
    TranslationPanel* translation = nullptr;
    MagnifierPanel* magnifier = nullptr;
    std::function<void(PresetToolButton, const QString&)> setToolHint;
    QWidget* markersButton = nullptr;
    QWidget* spectrumButton = nullptr;
};
