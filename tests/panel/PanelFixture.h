#pragma once

// The whole front panel on a session, in a main window laid out as the program's: the
// groups go into group boxes at their places in the client area, the magnifier into a
// frame over the time base group, and the status bar shows the hints.

#include "ProbeTools.h"
#include "panel/AcquisitionPanel.h"
#include "panel/ChannelPanel.h"
#include "panel/FrontPanel.h"
#include "panel/MagnifierPanel.h"
#include "panel/TimeBasePanel.h"
#include "panel/TraceSwitch.h"
#include "panel/TranslationPanel.h"
#include "panel/TriggerPanel.h"

#include <QFrame>
#include <QGroupBox>
#include <QMainWindow>
#include <QStatusBar>
#include <QToolButton>
#include <memory>

struct PanelFixture {
    PanelFixture() {
        client = new QWidget(&window);
        client->setFixedSize(964, 676);
        window.setCentralWidget(client);
        window.statusBar();
        timeBase = Group(" Time/Div : ", {672, 25, 289, 297});
        acquisition = Group(" Acquisition des traces : ", {672, 328, 289, 50});
        trigger = Group(" Sélection du Trigger : ", {672, 383, 289, 121});
        translation = Group(" Translation des traces (C = Carreaux) : ", {672, 510, 289, 145});
        channelA = Group(" Volts/Div VOIE A (Axe X) : ", {16, 374, 297, 281});
        channelB = Group(" Volts/Div VOIE B (Axe Y) : ", {360, 374, 297, 281});
        magnifier = new QFrame(client);
        magnifier->setGeometry(848, 46, 98, 29);
        markers = new QToolButton(client);
        spectrum = new QToolButton(client);

        FrontPanelHosts hosts;
        hosts.timeBase = timeBase;
        hosts.channelA = channelA;
        hosts.channelB = channelB;
        hosts.trigger = trigger;
        hosts.acquisition = acquisition;
        hosts.translation = translation;
        hosts.magnifier = magnifier;
        panel = std::make_unique<FrontPanel>(probe.session, hosts);
        panel->SetCompanionButtons(markers, spectrum);
    }

    QGroupBox* Group(const char* caption, const QRect& place) {
        auto* group = new QGroupBox(QString::fromUtf8(caption), client);
        group->setGeometry(place);
        return group;
    }

    // Start-up: the initial state and the inactive preset.
    void Start() { probe.Start(); }
    // Start-up, then link activation (restore mask 0): the activated preset.
    void Activate() { probe.Activate(); }

    Instrument& Session() { return probe.session; }
    ChannelPanel& ChannelOf(Channel c) const { return panel->ChannelOf(c); }
    TraceSwitch& SwitchOf(Channel c) const { return panel->TraceSwitchOf(c); }
    QGroupBox* GroupOf(Channel c) const { return c == Channel::A ? channelA : channelB; }

    // Whether a click on the control would reach it: enabled with all its parents, shown.
    static bool Clickable(const QWidget* w) {
        return w->isEnabled() && w->isVisibleTo(w->window());
    }

    SessionProbe probe;
    QMainWindow window;
    QWidget* client = nullptr;
    QGroupBox* timeBase = nullptr;
    QGroupBox* acquisition = nullptr;
    QGroupBox* trigger = nullptr;
    QGroupBox* translation = nullptr;
    QGroupBox* channelA = nullptr;
    QGroupBox* channelB = nullptr;
    QFrame* magnifier = nullptr;
    QToolButton* markers = nullptr;
    QToolButton* spectrum = nullptr;
    std::unique_ptr<FrontPanel> panel;
};
