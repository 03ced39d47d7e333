#pragma once

#include "core/InstrumentSettings.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// The commands of the box, as the program writes them and as the box reads them: one
// encoder per command and the matching parser. Fixed commands are a letter or "?"
// followed by "&"; parameterised ones put the value in plain decimal (no sign, no leading
// zero) after their letter and end with "#&"; the volts/div commands end with "*&" after
// their range code; the time base commands carry a two-digit code. "Z1", the wake-up,
// is the only command without "&". The codes of the ranges, couplings and trigger
// sources come from the instrument's tables.
struct BoxCommand {
    enum class Kind {
        WakeUp,      // "Z1"
        Initialise,  // "?&"
        EndOfUse,    // "F&"
        TimeBase,    // "T02&": value = row of the time base table (1..18)
        VoltsPerDiv, // "A14*&" / "B14*&": value = row of the volts/div table (1..9)
        Coupling,    // "G&" .. "M&": value = Coupling
        Position,    // "Q128#&" / "R128#&": value = vertical position (0..255)
        Trigger,     // "S&" .. "W&": value = TriggerSource
        Run,         // "L&"
        Pause,       // "P&"
        WindowRight, // "d30#&": value = new first sample (0..1747)
        WindowLeft,  // "g0#&": likewise
        WindowReset, // "c0#&": value always 0
    };

    Kind kind = Kind::Initialise;
    Channel channel = Channel::A; // for the per-channel commands
    int value = 0;

    bool operator==(const BoxCommand&) const = default;
};

namespace BoxCommands {

inline constexpr int LastPosition = 255;

// The bytes of a command; empty when its value lies outside its range.
QByteArray Encode(const BoxCommand& command);

// The command these bytes are, when they are exactly what Encode writes for it.
std::optional<BoxCommand> Parse(QByteArrayView bytes);

QByteArray WakeUp();
QByteArray Initialise();
QByteArray EndOfUse();
QByteArray TimeBase(int index);
QByteArray VoltsPerDiv(Channel channel, int index);
QByteArray CouplingOf(Channel channel, Coupling coupling);
QByteArray Position(Channel channel, int position);
QByteArray Trigger(TriggerSource source);
QByteArray Run();
QByteArray Pause();
QByteArray WindowRight(int start);
QByteArray WindowLeft(int start);
QByteArray WindowReset();

} // namespace BoxCommands
