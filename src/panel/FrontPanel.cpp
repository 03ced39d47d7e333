#include "panel/FrontPanel.h"

#include "instrument/Instrument.h"
#include "panel/AcquisitionPanel.h"
#include "panel/ChannelPanel.h"
#include "panel/MagnifierPanel.h"
#include "panel/TimeBasePanel.h"
#include "panel/TraceSwitch.h"
#include "panel/TranslationPanel.h"
#include "panel/TriggerPanel.h"

#include <QApplication>

namespace {

// A group box's caption may be bold; its body keeps the program's own face.
void KeepPlainFace(QWidget* body) {
    body->setFont(QApplication::font());
}

std::size_t Index(Channel channel) {
    return channel == Channel::A ? 0 : 1;
}

} // namespace

FrontPanel::FrontPanel(Instrument& owner, const FrontPanelHosts& groups, QObject* parent)
    : QObject(parent), session(owner), hosts(groups) {
    timeBase = new TimeBasePanel(hosts.timeBase, session);
    channelA = new ChannelPanel(hosts.channelA, session, Channel::A);
    channelB = new ChannelPanel(hosts.channelB, session, Channel::B);
    trigger = new TriggerPanel(hosts.trigger, session);
    acquisition = new AcquisitionPanel(hosts.acquisition, session);
    translation = new TranslationPanel(hosts.translation, session);
    magnifier = new MagnifierPanel(hosts.magnifier, session);
    for (QWidget* body : std::initializer_list<QWidget*>{timeBase, channelA, channelB, trigger,
                                                         acquisition, translation, magnifier})
        KeepPlainFace(body);

    // The trace switches stand over their channel's group without being part of it, so
    // that neither a pause nor a command exchange locks them.
    for (Channel c : {Channel::A, Channel::B}) {
        QWidget* group = c == Channel::A ? hosts.channelA : hosts.channelB;
        auto* traceSwitch = new TraceSwitch(group->parentWidget(), session, c);
        QRect place(QPoint(0, 0),
                    traceSwitch->sizeHint().boundedTo(ChannelPanel::TraceSwitchRect.size()));
        place.moveCenter(ChannelPanel::TraceSwitchRect.center() + group->pos());
        traceSwitch->setGeometry(place);
        traceSwitch->raise();
        traceSwitch->show();
        traceSwitches[Index(c)] = traceSwitch;
    }

    // The group boxes are made as the session's locks start; each change of a lock
    // reaches them. The presets switch some of the same boxes on their own.
    shownLocks = session.Locks();
    connect(&session, &Instrument::locksChanged, this, [this] {
        const PanelLocks& locks = session.Locks();
        if (locks.settingGroupsEnabled != shownLocks.settingGroupsEnabled)
            SetSettingGroupsEnabled(locks.settingGroupsEnabled);
        if (locks.transferGroupsEnabled != shownLocks.transferGroupsEnabled)
            SetTransferGroupsEnabled(locks.transferGroupsEnabled);
    });
    connect(&session, &Instrument::presetApplied, this, &FrontPanel::ApplyPreset);
}

ChannelPanel& FrontPanel::ChannelOf(Channel channel) const {
    return channel == Channel::A ? *channelA : *channelB;
}

TraceSwitch& FrontPanel::TraceSwitchOf(Channel channel) const {
    return *traceSwitches[Index(channel)];
}

void FrontPanel::ApplyPreset(Preset preset) {
    const bool active = preset == Preset::Activated;
    for (QWidget* group : {hosts.timeBase, hosts.acquisition, hosts.trigger})
        group->setEnabled(active);
    magnifier->setEnabled(active);
    for (TraceSwitch* traceSwitch : traceSwitches)
        traceSwitch->setEnabled(active);
    for (ChannelPanel* channel : {channelA, channelB})
        channel->ShowLinkControls(active);
    trigger->SetSourceButtonsEnabled(active);
    translation->SetStepsEnabled(active);
    if (!active)
        translation->ShowStepCaptions();
    for (QWidget* companion : {markersButton, spectrumButton}) {
        if (!companion)
            continue;
        companion->setVisible(active);
        companion->setEnabled(active);
    }
}

void FrontPanel::SetSettingGroupsEnabled(bool enabled) {
    shownLocks.settingGroupsEnabled = enabled;
    for (QWidget* group : {hosts.timeBase, hosts.channelA, hosts.channelB, hosts.trigger})
        group->setEnabled(enabled);
}

void FrontPanel::SetTransferGroupsEnabled(bool enabled) {
    shownLocks.transferGroupsEnabled = enabled;
    for (QWidget* group : {hosts.translation, hosts.acquisition})
        group->setEnabled(enabled);
}

void FrontPanel::RedrawVoltsDials() {
    channelA->RedrawDial();
    channelB->RedrawDial();
}

void FrontPanel::SetCompanionButtons(QWidget* markers, QWidget* spectrum) {
    // Each button is given by the part of the window that makes it; a null one keeps the
    // button given before.
    if (markers)
        markersButton = markers;
    if (spectrum)
        spectrumButton = spectrum;
}
