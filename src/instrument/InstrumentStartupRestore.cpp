// Instrument, the session: the restore of the start-up settings at link activation.

#include "core/ErrorGuard.h"
#include "instrument/Instrument.h"
#include "link/BoxCommands.h"

namespace {

// The saved copy (SavedOffset further on) of an instrument line in force.
constexpr int Saved(int line) {
    return line + SettingsLine::SavedOffset;
}

} // namespace

void Instrument::RestoreStartupSettings() {
    const int mask = settings.Number(SettingsLine::RestoreMask);
    if (mask < 0)
        return;
    if (mask & RestoreBit::TimeBase)
        Guarded([&] {
            const int index = settings.Number(Saved(SettingsLine::TimeBase));
            if (TimeBaseAt(index))
                SelectTimeBase(index);
        });
    if (mask & RestoreBit::Trigger)
        Guarded([&] {
            const int source = settings.Number(Saved(SettingsLine::Trigger));
            if (TriggerAt(source))
                SelectTrigger(source);
        });
    if (mask & RestoreBit::Traces)
        for (Channel c : {Channel::A, Channel::B})
            Guarded([&] {
                const int line = Saved(SettingsLine::Trace(c));
                // Only the two words of the line restore; any other text does nothing.
                const bool on = settings.IsOn(line);
                if (on || settings.Line(line) == PersistedSettings::OffWord(line))
                    RestoreTraceSwitch(c, on);
            });
    if (mask & RestoreBit::Couplings)
        for (Channel c : {Channel::A, Channel::B})
            Guarded([&] {
                const int value = settings.Number(Saved(SettingsLine::CouplingOf(c)));
                if (CouplingAt(value))
                    SelectCoupling(c, value);
            });
    if (mask & RestoreBit::VoltsPerDiv)
        for (Channel c : {Channel::A, Channel::B})
            Guarded([&] {
                const int index = settings.Number(Saved(SettingsLine::Volts(c)));
                if (VoltsPerDivAt(index))
                    SelectVoltsPerDiv(c, index);
            });
    if (mask & RestoreBit::Positions) {
        state.channelA.groundMarkerShown = false;
        state.channelB.groundMarkerShown = false;
        for (Channel c : {Channel::A, Channel::B})
            Guarded([&] {
                const int position =
                    ClampVerticalPosition(settings.Number(Saved(SettingsLine::Position(c))));
                ForgetGround(c);
                SendCommand(BoxCommands::Position(c, position));
                Of(c).verticalPosition = position;
                emit positionChanged(c);
                settings.SetNumber(SettingsLine::Position(c), position);
                SaveSettings();
            });
    }
}

void Instrument::RestoreTraceSwitch(Channel channel, bool on) {
    Of(channel).traceOn = on;
    emit traceChanged(channel);
    SetChannelControls(channel, on && linkActive);
    settings.SetOn(SettingsLine::Trace(channel), on);
    SaveSettings();
}
