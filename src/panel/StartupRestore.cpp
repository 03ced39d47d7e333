#include "panel/StartupRestore.h"

#include "app/ErrorGuard.h"
#include "app/InstrumentSettings.h"
#include "app/PersistedSettings.h"
#include "app/ProgramServices.h"
#include "panel/ChannelPanel.h"
#include "panel/FrontPanel.h"
#include "panel/TimeBasePanel.h"
#include "panel/TriggerPanel.h"

namespace {

constexpr int SavedLine(int line) {
    return line + SettingsLine::SavedOffset;
}

int SavedNumber(ProgramServices& services, int line) {
    return SettingsText::ToNumber(services.Settings().Line(SavedLine(line)));
}

void RestoreTraceSwitch(ProgramServices& services, FrontPanel& panel, Channel channel) {
    const int line = SettingsLine::Trace(channel);
    const QString text = services.Settings().Line(SavedLine(line));
    const bool on = text == SettingsText::FromTraceOn(true, channel);
    if (!on && text != SettingsText::FromTraceOn(false, channel))
        return;
    panel.ChannelOf(channel).SetTraceSwitch(on, true);
    panel.RefreshChannelControls(channel);
    services.Settings().SetLine(line, text);
    services.SaveSettings();
}

void RestorePosition(ProgramServices& services, FrontPanel& panel, Channel channel) {
    const int line = SettingsLine::Position(channel);
    const int position = ClampVerticalPosition(SavedNumber(services, line));
    const QString text = SettingsText::FromNumber(position);
    services.SendCommand((channel == Channel::A ? QStringLiteral("Q") : QStringLiteral("R")) +
                         text + QStringLiteral("#&"));
    panel.ChannelOf(channel).ShowPosition(position);
    services.Instrument().Of(channel).verticalPosition = position;
    services.Settings().SetLine(line, text);
    services.SaveSettings();
}

} // namespace

void RestoreStartupSettings(ProgramServices& services, FrontPanel& panel) {
    const int mask = SettingsText::ToNumber(services.Settings().Line(SettingsLine::RestoreMask));
    if (mask < 0)
        return;
    if (mask & RestoreBit::TimeBase)
        Guarded([&] {
            const int index = SavedNumber(services, SettingsLine::TimeBase);
            if (TimeBaseAt(index))
                panel.TimeBase().SelectTimeBase(index);
        });
    if (mask & RestoreBit::Trigger)
        Guarded([&] {
            const int source = SavedNumber(services, SettingsLine::Trigger);
            if (TriggerAt(source))
                panel.Trigger().SelectTrigger(source);
        });
    if (mask & RestoreBit::Traces)
        for (Channel c : {Channel::A, Channel::B})
            Guarded([&] { RestoreTraceSwitch(services, panel, c); });
    if (mask & RestoreBit::Couplings)
        for (Channel c : {Channel::A, Channel::B})
            Guarded([&] {
                const int value = SavedNumber(services, SettingsLine::CouplingOf(c));
                if (CouplingAt(value))
                    panel.ChannelOf(c).SelectCoupling(value);
            });
    if (mask & RestoreBit::VoltsPerDiv)
        for (Channel c : {Channel::A, Channel::B})
            Guarded([&] {
                const int index = SavedNumber(services, SettingsLine::Volts(c));
                if (VoltsPerDivAt(index))
                    panel.ChannelOf(c).SelectVoltsPerDiv(index);
            });
    if (mask & RestoreBit::Positions) {
        services.Instrument().channelA.groundMarkerShown = false;
        services.Instrument().channelB.groundMarkerShown = false;
        for (Channel c : {Channel::A, Channel::B})
            Guarded([&] { RestorePosition(services, panel, c); });
    }
}
