#pragma once

#include "FakeServices.h"

// A fake of the main window's services that records what the front panel asks of it,
// and a fixture that builds the whole front panel into plain host widgets.

#include "app/InstrumentSettings.h"
#include "app/PersistedSettings.h"
#include "app/ProgramServices.h"
#include "link/SampleTable.h"
#include "panel/AcquisitionPanel.h"
#include "panel/ChannelPanel.h"
#include "panel/FrontPanel.h"
#include "panel/MagnifierPanel.h"
#include "panel/TimeBasePanel.h"
#include "panel/TranslationPanel.h"
#include "panel/TriggerPanel.h"
#include "screen/RamWindow.h"

#include <QAbstractButton>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

// The main window stand-in of the panel tests: colours and start values in the settings,
// a snapshot of the settings at each save, the ground-marker flags at each redraw, and
// the lock a real exchange puts on the panel around each command.
class PanelServices : public FakeServices {
public:
    PanelServices() {
        settings.SetLine(10, QStringLiteral("255"));      // channel A red
        settings.SetLine(11, QStringLiteral("16711680")); // channel B blue
        ResetInstrumentLines(settings);
        folder = qEnvironmentVariable("OSC_TEST_DATA") + QLatin1Char('/');
    }

    void SaveSettings() override {
        FakeServices::SaveSettings();
        saved.push_back(settings);
    }
    void SendCommand(const QString& command) override {
        if (lock)
            lock(false);
        FakeServices::SendCommand(command);
        if (lock)
            lock(true);
    }
    void RedrawScreen() override {
        FakeServices::RedrawScreen();
        groundShownAtRedraw.push_back(
            {instrument.channelA.groundMarkerShown, instrument.channelB.groundMarkerShown});
    }

    void Clear() {
        events.clear();
        commands.clear();
        saved.clear();
        groundShownAtRedraw.clear();
    }

    std::vector<PersistedSettings> saved;                   // the settings as each save wrote them
    std::vector<std::pair<bool, bool>> groundShownAtRedraw; // A and B at each redraw
    // What a real exchange does to the panel: locks the groups before, unlocks after.
    std::function<void(bool enabled)> lock;
};

// The whole front panel in host widgets the size of the main window's group boxes, with
// the command lock of a real exchange.
struct PanelFixture {
    PanelFixture() {
        window.resize(964, 676);
        hosts.timeBase = Host(672, 25, 289, 297);
        hosts.channelA = Host(16, 374, 297, 281);
        hosts.channelB = Host(360, 374, 297, 281);
        hosts.trigger = Host(672, 383, 289, 121);
        hosts.acquisition = Host(672, 328, 289, 50);
        hosts.translation = Host(672, 510, 289, 145);
        hosts.magnifier = &window;
        panel = std::make_unique<FrontPanel>(services, ram, hosts);
        panel->Translation().SetMessageShower([this](const QString& text) {
            messages << text;
            messageSeenAt << ram.Start();
        });
        services.lock = [this](bool enabled) { panel->SetCommandGroupsEnabled(enabled); };
    }

    QWidget* Host(int x, int y, int w, int h) {
        auto* host = new QWidget(&window);
        host->setGeometry(x, y, w, h);
        return host;
    }

    // The inactive preset, then activation as the link does it: link up, preset, run buttons.
    void Activate() {
        panel->ApplyInactivePreset();
        services.linkActive = true;
        panel->ApplyActivatedPreset();
        panel->ShowLinkActivated();
        services.Clear();
    }

    ChannelPanel& ChannelOf(::Channel c) { return panel->ChannelOf(c); }

    // Whether a click on the button would reach it: enabled with all its parents, shown.
    static bool Clickable(const QWidget* w) {
        return w->isEnabled() && w->isVisibleTo(w->window());
    }

    // Turns a channel's trace on or off as its switch does, without the screen's redraw.
    void SetTrace(::Channel c, bool on) {
        services.instrument.Of(c).traceOn = on;
        panel->RefreshChannelControls(c);
    }

    PanelServices services;
    RamWindow ram;
    QWidget window;
    FrontPanelHosts hosts;
    std::unique_ptr<FrontPanel> panel;
    QStringList messages;
    QList<int> messageSeenAt;
};
