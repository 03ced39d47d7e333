#include "panel/FrontPanel.h"

#include "app/ProgramServices.h"
#include "panel/AcquisitionPanel.h"
#include "panel/ChannelPanel.h"
#include "panel/MagnifierPanel.h"
#include "panel/TimeBasePanel.h"
#include "panel/TranslationPanel.h"
#include "panel/TriggerPanel.h"
#include "screen/RamWindow.h"

#include <QAbstractButton>
#include <QSlider>
#include <array>

namespace {

// clang-format off
constexpr std::array<PresetToolHint, 4> InactiveHints{{
    {PresetToolButton::Quit, "Quitter | Quitter le programme..."},
    {PresetToolButton::Activate, "Activer RS232 / USB | Activer la liaison RS232 / USB..."},
    {PresetToolButton::Graticule, "Graticule | Définir les options d'affichage du graticule..."},
    {PresetToolButton::Colours, "Couleur | Définir les couleurs des traces VOIE A et VOIE B et de quelques options complémentaires..."},
}};

constexpr std::array<PresetToolHint, 3> ActivatedHints{{
    {PresetToolButton::Save, "Sauvegarder | Sauvegarder l'oscillogramme dans la format image BMP..."},
    {PresetToolButton::Copy, "Copier | Copier l'oscillogramme dans la presse papier..."},
    {PresetToolButton::PrintPreview, "Aperçu impression | Aperçu et dimensionnement de l'oscillogramme avant impression..."},
}};
// clang-format on

// The defaults both presets show: 0.1 ms/div, 1 V/div, GND.
constexpr int PresetTimeBase = 12;
constexpr int PresetVoltsPerDiv = 3;
constexpr int CentrePosition = 128;

} // namespace

std::span<const PresetToolHint> InactiveToolHints() {
    return InactiveHints;
}

std::span<const PresetToolHint> ActivatedToolHints() {
    return ActivatedHints;
}

FrontPanel::FrontPanel(ProgramServices& services, RamWindow& window, const FrontPanelHosts& hosts,
                       QObject* parent)
    : QObject(parent), services(services), window(window) {
    timeBase = new TimeBasePanel(hosts.timeBase, services);
    channelA = new ChannelPanel(hosts.channelA, services, Channel::A);
    channelB = new ChannelPanel(hosts.channelB, services, Channel::B);
    trigger = new TriggerPanel(hosts.trigger, services);
    acquisition = new AcquisitionPanel(hosts.acquisition, services);
    translation = new TranslationPanel(hosts.translation, services, window);
    magnifier = new MagnifierPanel(hosts.magnifier, services, window);

    for (ChannelPanel* channel : {channelA, channelB})
        connect(channel, &ChannelPanel::triggerForcedOff, trigger, &TriggerPanel::ShowTriggerOff);
    connect(acquisition, &AcquisitionPanel::instrumentGroupsEnabled, this,
            &FrontPanel::SetInstrumentGroupsEnabled);
    connect(acquisition, &AcquisitionPanel::outputCommandsEnabled, this,
            &FrontPanel::outputCommandsEnabled);
    connect(translation, &TranslationPanel::instrumentGroupsEnabled, this,
            &FrontPanel::SetInstrumentGroupsEnabled);
    connect(magnifier, &MagnifierPanel::magnificationChanged, translation,
            &TranslationPanel::ShowStepCaptions);
}

ChannelPanel& FrontPanel::ChannelOf(Channel channel) const {
    return channel == Channel::A ? *channelA : *channelB;
}

void FrontPanel::ShowStartState() {
    window.SetMagnification(1);
    magnifier->ShowMagnification();
    translation->ShowStepCaptions();
    translation->ShowStartState();

    InstrumentSettings& instrument = services.Instrument();
    instrument.running = true;
    acquisition->RunButton()->setChecked(true);
    instrument.triggerArmed = false;
    instrument.triggerSource = TriggerSource::Off;
    trigger->ShowTriggerOff();

    for (ChannelPanel* channel : {channelA, channelB}) {
        channel->PositionSlider()->setRange(0, 255);
        channel->ShowPosition(CentrePosition);
        ChannelSettings& settings = instrument.Of(channel->ChannelId());
        settings.probeTimesTen = false;
        settings.groundMarkerShown = true;
        channel->ProbeButton(false)->setChecked(true);
    }
}

void FrontPanel::ApplyCommonValues(bool putGroundDown) {
    InstrumentSettings& instrument = services.Instrument();
    timeBase->ShowTimeBase(PresetTimeBase);
    instrument.timeBaseIndex = PresetTimeBase;
    for (ChannelPanel* channel : {channelA, channelB}) {
        ChannelSettings& settings = instrument.Of(channel->ChannelId());
        channel->ShowVoltsPerDiv(PresetVoltsPerDiv);
        settings.voltsPerDivIndex = PresetVoltsPerDiv;
        channel->ShowCoupling(static_cast<int>(Coupling::GND), putGroundDown);
        settings.coupling = Coupling::GND;
    }
}

void FrontPanel::ApplyToolHints(std::span<const PresetToolHint> hints) {
    if (!setToolHint)
        return;
    for (const PresetToolHint& hint : hints)
        setToolHint(hint.button, QString::fromUtf8(hint.hint));
}

void FrontPanel::ApplyLinkState(bool linkActive) {
    timeBase->SetGroupEnabled(linkActive);
    acquisition->SetGroupEnabled(linkActive);
    trigger->SetGroupEnabled(linkActive);
    magnifier->setEnabled(linkActive);

    // Channel A comes on with the link, channel B stays off until its switch is pressed.
    channelA->SetTraceSwitch(linkActive, linkActive);
    channelB->SetTraceSwitch(false, linkActive);
    for (ChannelPanel* channel : {channelA, channelB})
        channel->ApplyEnabling(linkActive);

    trigger->SetSourceButtonsEnabled(linkActive);
    translation->SetStepsAndRightEnabled(linkActive);
    for (QWidget* companion : {markersButton, spectrumButton}) {
        if (!companion)
            continue;
        companion->setVisible(linkActive);
        companion->setEnabled(linkActive);
    }
}

void FrontPanel::ApplyInactivePreset() {
    ApplyCommonValues(true);
    ApplyToolHints(InactiveToolHints());
    ApplyLinkState(false);
    translation->ShowStepCaptions();
    acquisition->SetRunButtonsEnabled(false);
}

void FrontPanel::ApplyActivatedPreset() {
    ApplyCommonValues(false);
    ApplyToolHints(ActivatedToolHints());
    ApplyLinkState(true);
    InstrumentSettings& instrument = services.Instrument();
    instrument.triggerArmed = false;
    instrument.triggerSource = TriggerSource::Off;
    trigger->ShowTriggerOff();
}

void FrontPanel::ShowLinkActivated() {
    acquisition->ShowLinkActivated();
}

void FrontPanel::SetInstrumentGroupsEnabled(bool enabled) {
    timeBase->SetGroupEnabled(enabled);
    channelA->SetGroupEnabled(enabled);
    channelB->SetGroupEnabled(enabled);
    trigger->SetGroupEnabled(enabled);
}

void FrontPanel::SetTransferGroupsEnabled(bool enabled) {
    translation->SetGroupEnabled(enabled);
    acquisition->SetGroupEnabled(enabled);
}

void FrontPanel::SetCommandGroupsEnabled(bool enabled) {
    SetInstrumentGroupsEnabled(enabled);
    SetTransferGroupsEnabled(enabled);
}

void FrontPanel::RedrawVoltsDials() {
    channelA->RedrawDial();
    channelB->RedrawDial();
}

void FrontPanel::UpdateChannelEnabling() {
    channelA->UpdateEnabling();
    channelB->UpdateEnabling();
}

void FrontPanel::RefreshChannelControls(Channel channel) {
    ChannelOf(channel).UpdateEnabling();
}

void FrontPanel::SetToolHintSetter(std::function<void(PresetToolButton, const QString&)> setter) {
    setToolHint = std::move(setter);
}

void FrontPanel::SetCompanionButtons(QWidget* markers, QWidget* spectrum) {
    markersButton = markers;
    spectrumButton = spectrum;
}
