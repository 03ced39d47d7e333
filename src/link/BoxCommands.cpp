#include "link/BoxCommands.h"

#include "core/Sweep.h"

namespace {

using Kind = BoxCommand::Kind;

QByteArray Parameterised(char letter, int value) {
    return QByteArray(1, letter) + QByteArray::number(value) + "#&";
}

char PositionLetter(Channel channel) {
    return channel == Channel::A ? 'Q' : 'R';
}

// Commands whose bytes are a single table row, for the parser to try one by one.
std::optional<BoxCommand> FixedCommand(QByteArrayView bytes) {
    const auto matches = [&](const BoxCommand& candidate) {
        return BoxCommands::Encode(candidate) == bytes;
    };
    for (Kind kind : {Kind::WakeUp, Kind::Initialise, Kind::EndOfUse, Kind::Run, Kind::Pause})
        if (matches({kind, Channel::A, 0}))
            return BoxCommand{kind, Channel::A, 0};
    for (int index = 1; index <= TimeBaseCount; ++index)
        if (matches({Kind::TimeBase, Channel::A, index}))
            return BoxCommand{Kind::TimeBase, Channel::A, index};
    for (Channel channel : {Channel::A, Channel::B}) {
        for (int index = 1; index <= VoltsPerDivCount; ++index)
            if (matches({Kind::VoltsPerDiv, channel, index}))
                return BoxCommand{Kind::VoltsPerDiv, channel, index};
        for (int value = 1; value <= 3; ++value)
            if (matches({Kind::Coupling, channel, value}))
                return BoxCommand{Kind::Coupling, channel, value};
    }
    for (int source = 1; source <= 4; ++source)
        if (matches({Kind::Trigger, Channel::A, source}))
            return BoxCommand{Kind::Trigger, Channel::A, source};
    return std::nullopt;
}

} // namespace

namespace BoxCommands {

QByteArray Encode(const BoxCommand& command) {
    const int value = command.value;
    switch (command.kind) {
    case Kind::WakeUp:
        return QByteArrayLiteral("Z1");
    case Kind::Initialise:
        return QByteArrayLiteral("?&");
    case Kind::EndOfUse:
        return QByteArrayLiteral("F&");
    case Kind::Run:
        return QByteArrayLiteral("L&");
    case Kind::Pause:
        return QByteArrayLiteral("P&");
    case Kind::TimeBase: {
        const TimeBaseRow* row = TimeBaseAt(value);
        return row ? QByteArray(row->command) : QByteArray();
    }
    case Kind::VoltsPerDiv: {
        const VoltsPerDivRow* row = VoltsPerDivAt(value);
        if (!row)
            return {};
        return QByteArray(command.channel == Channel::A ? row->commandA : row->commandB);
    }
    case Kind::Coupling: {
        const CouplingRow* row = CouplingAt(value);
        return row ? QByteArray(row->command[command.channel == Channel::A ? 0 : 1]) : QByteArray();
    }
    case Kind::Trigger: {
        const TriggerRow* row = TriggerAt(value);
        return row ? QByteArray(row->command) : QByteArray();
    }
    case Kind::Position:
        if (value < 0 || value > LastPosition)
            return {};
        return Parameterised(PositionLetter(command.channel), value);
    case Kind::WindowRight:
    case Kind::WindowLeft:
        if (value < 0 || value > Sweep::LastWindowStart)
            return {};
        return Parameterised(command.kind == Kind::WindowRight ? 'd' : 'g', value);
    case Kind::WindowReset:
        return value == 0 ? Parameterised('c', 0) : QByteArray();
    }
    return {};
}

std::optional<BoxCommand> Parse(QByteArrayView bytes) {
    if (bytes.size() < 2)
        return std::nullopt;
    if (bytes.endsWith("#&")) {
        // A letter, a plain decimal of up to four digits, "#&".
        const QByteArrayView digits = bytes.sliced(1, bytes.size() - 3);
        if (digits.isEmpty() || digits.size() > 4)
            return std::nullopt;
        int value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + (c - '0');
        }
        BoxCommand command;
        command.value = value;
        switch (bytes.front()) {
        case 'Q':
        case 'R':
            command.kind = Kind::Position;
            command.channel = bytes.front() == 'Q' ? Channel::A : Channel::B;
            break;
        case 'd':
            command.kind = Kind::WindowRight;
            break;
        case 'g':
            command.kind = Kind::WindowLeft;
            break;
        case 'c':
            command.kind = Kind::WindowReset;
            break;
        default:
            return std::nullopt;
        }
        // Leading zeros and values out of range are not commands.
        if (Encode(command) != bytes)
            return std::nullopt;
        return command;
    }
    return FixedCommand(bytes);
}

QByteArray WakeUp() {
    return Encode({Kind::WakeUp});
}
QByteArray Initialise() {
    return Encode({Kind::Initialise});
}
QByteArray EndOfUse() {
    return Encode({Kind::EndOfUse});
}
QByteArray TimeBase(int index) {
    return Encode({Kind::TimeBase, Channel::A, index});
}
QByteArray VoltsPerDiv(Channel channel, int index) {
    return Encode({Kind::VoltsPerDiv, channel, index});
}
QByteArray CouplingOf(Channel channel, Coupling coupling) {
    return Encode({Kind::Coupling, channel, static_cast<int>(coupling)});
}
QByteArray Position(Channel channel, int position) {
    return Encode({Kind::Position, channel, position});
}
QByteArray Trigger(TriggerSource source) {
    return Encode({Kind::Trigger, Channel::A, static_cast<int>(source)});
}
QByteArray Run() {
    return Encode({Kind::Run});
}
QByteArray Pause() {
    return Encode({Kind::Pause});
}
QByteArray WindowRight(int start) {
    return Encode({Kind::WindowRight, Channel::A, start});
}
QByteArray WindowLeft(int start) {
    return Encode({Kind::WindowLeft, Channel::A, start});
}
QByteArray WindowReset() {
    return Encode({Kind::WindowReset});
}

} // namespace BoxCommands
