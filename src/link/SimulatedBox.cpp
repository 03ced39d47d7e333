#include "link/SimulatedBox.h"

#include "link/BoxCommands.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double SineFrequency = 1000.0; // channel A
constexpr double SinePeak = 2.0;
constexpr double SquareFrequency = 500.0; // channel B
constexpr double SquarePeak = 1.0;
constexpr double SquareOffset = 1.5;
// Without a trigger each acquisition starts 0.37 of a sine period later than the last, so
// the traces drift across the screen.
constexpr double UntriggeredDrift = 0.37 / SineFrequency;
constexpr int PaceMs = 10;        // the line's bytes are handed over in steps of this
constexpr int MostGatherMs = 250; // the longest a receiver's wish lets them gather
constexpr qint64 MostBytesPerTick = 4096;

int Index(Channel channel) {
    return channel == Channel::A ? 0 : 1;
}

} // namespace

SimulatedBox::SimulatedBox(QObject* parent)
    : SerialLink(parent), handshake([this](bool on) { emit dsrChanged(on); }) {
    paceTimer.setTimerType(Qt::PreciseTimer);
    paceTimer.setSingleShot(true);
    connect(&paceTimer, &QTimer::timeout, this, [this] { Pace(); });
}

void SimulatedBox::Open(const QString&) {
    Close();
    if (unplugged)
        throw SerialError(SerialErrorText(QStringLiteral("Unable to open com port"), ENODEV));
    open = true;
    handshake.Reset(startsAwake);
    state = State{};
    input.clear();
}

void SimulatedBox::Close() {
    StopSending();
    handshake.Reset(false);
    open = false;
}

void SimulatedBox::SetRts(bool on) {
    if (!open)
        throw SerialError(SerialErrorText(QStringLiteral("EscapeCommFunction function failed"),
                                          unplugged ? EIO : EBADF));
    handshake.SetRts(on);
}

void SimulatedBox::Write(const QByteArray& bytes) {
    if (!open)
        throw SerialError(
            SerialErrorText(QStringLiteral("WriteFile function failed"), unplugged ? EIO : EBADF));
    QElapsedTimer now;
    now.start();
    const qint64 at = now.msecsSinceReference();
    input += bytes;
    for (;;) {
        const QByteArray wakeUp = BoxCommands::WakeUp();
        if (input.startsWith(wakeUp)) {
            received.append({wakeUp, handshake.Rts(), at});
            input.remove(0, wakeUp.size());
            handshake.Wake();
            continue;
        }
        const qsizetype end = input.indexOf('&');
        if (end < 0)
            break;
        const QByteArray command = input.left(end + 1);
        input.remove(0, end + 1);
        received.append({command, handshake.Rts(), at});
        if (handshake.Awake() && handshake.Powered())
            Execute(command);
    }
    if (input.size() > 64) // bytes that never form a command
        input.clear();
}

void SimulatedBox::Execute(const QByteArray& bytes) {
    const std::optional<BoxCommand> command = BoxCommands::Parse(bytes);
    if (!command)
        return; // not a command of the box
    const int c = Index(command->channel);
    switch (command->kind) {
    case BoxCommand::Kind::WakeUp:
        break;
    case BoxCommand::Kind::Initialise:
        Initialise();
        break;
    case BoxCommand::Kind::EndOfUse:
        StopSending();
        handshake.Sleep();
        break;
    case BoxCommand::Kind::TimeBase:
        state.timeBaseIndex = command->value;
        break;
    case BoxCommand::Kind::VoltsPerDiv:
        state.voltsPerDivIndex[c] = command->value;
        break;
    case BoxCommand::Kind::Coupling:
        state.coupling[c] = static_cast<Coupling>(command->value);
        break;
    case BoxCommand::Kind::Position:
        state.position[c] = command->value;
        break;
    case BoxCommand::Kind::Trigger:
        state.trigger = static_cast<TriggerSource>(command->value);
        break;
    case BoxCommand::Kind::Run:
        state.running = true;
        break;
    case BoxCommand::Kind::Pause:
        state.running = false;
        break;
    case BoxCommand::Kind::WindowRight:
    case BoxCommand::Kind::WindowLeft:
    case BoxCommand::Kind::WindowReset:
        state.windowStart = command->value;
        break;
    }
}

void SimulatedBox::Initialise() {
    // The activated state: 0.1 ms/div, 1 V/div and GND on both channels, no trigger,
    // acquisition running, window at the start of the memory.
    state = State{};
    for (int i = 1; i <= TimeBaseCount; ++i)
        if (TimeBaseAt(i)->secondsPerDiv == 0.1e-3)
            state.timeBaseIndex = i;
    for (int i = 1; i <= VoltsPerDivCount; ++i)
        if (VoltsPerDivAt(i)->voltsPerDiv == 1.0)
            state.voltsPerDivIndex = {i, i};
    StartSending();
}

void SimulatedBox::StartSending() {
    if (sending)
        return;
    sending = true;
    sweep.clear();
    sweepPos = 0;
    bytesDue = 0;
    clock.start();
    paceTimer.start(PaceMs);
}

void SimulatedBox::StopSending() {
    sending = false;
    paceTimer.stop();
}

void SimulatedBox::Pace() {
    if (!sending || !open)
        return;
    const qint64 carried = clock.nsecsElapsed() * bytesPerSecond / 1'000'000'000;
    qint64 count = carried - bytesDue;
    if (count > MostBytesPerTick) { // the program was held up: the line does not catch up
        bytesDue += count - MostBytesPerTick;
        count = MostBytesPerTick;
    }
    if (count > 0 && muted) {
        bytesDue += count; // the line carries nothing meanwhile
    } else if (count > 0) {
        bytesDue += count;
        QByteArray chunk = NextBytes(count);
        if (!chunk.isEmpty())
            emit bytesReceived(chunk); // the receiver may say here how many more it needs
    }
    if (!sending || !open)
        return;
    // The next step: when the line has carried what the receiver waits for, or the usual
    // step when it waits for nothing in particular.
    int next = PaceMs;
    if (wanted > 0)
        next = int(std::clamp<qint64>((wanted * 1000 + bytesPerSecond - 1) / bytesPerSecond + 1,
                                      PaceMs, MostGatherMs));
    paceTimer.start(next);
}

void SimulatedBox::SetBytesWanted(qsizetype bytes) {
    wanted = std::max<qsizetype>(bytes, 0);
}

QByteArray SimulatedBox::NextBytes(qint64 count) {
    QByteArray out;
    out.reserve(count);
    while (count > 0) {
        if (sweepPos >= sweep.size())
            NextSweep();
        const qint64 take = std::min<qint64>(count, sweep.size() - sweepPos);
        for (qint64 i = 0; i < take; ++i) {
            const char byte = sweep[sweepPos + i];
            ++streamBytes;
            if (lossEvery > 0 && streamBytes % lossEvery == 0)
                continue;
            out += (corruptionEvery > 0 && streamBytes % corruptionEvery == 0) ? '?' : byte;
        }
        sweepPos += take;
        count -= take;
        if (sweepPos >= sweep.size())
            ++sweepsSent;
    }
    return out;
}

void SimulatedBox::NextSweep() {
    // A running box acquires anew for every sweep; a paused one keeps its memory and only
    // sends the window asked for.
    if (state.running || acquisitions == 0) {
        const bool triggered =
            state.trigger == TriggerSource::ChannelA || state.trigger == TriggerSource::ChannelB;
        const double start = triggered ? 0.0 : acquisitions * UntriggeredDrift;
        memory = Acquire(state, start);
        ++acquisitions;
    }
    sweep = SweepBytes(memory, state.windowStart);
    sweepPos = 0;
}

void SimulatedBox::Unplug(const QString& reason) {
    unplugged = true;
    if (!open)
        return;
    Close();
    emit portLost(reason);
}

void SimulatedBox::SetMuted(bool on) {
    muted = on;
}

void SimulatedBox::SetPowered(bool on) {
    if (on == handshake.Powered())
        return;
    handshake.SetPowered(on);
    if (!on) {
        StopSending();
        input.clear();
    } else {
        state = State{};
    }
}

void SimulatedBox::Inject(const QByteArray& bytes) {
    if (open && !bytes.isEmpty())
        emit bytesReceived(bytes);
}

double SimulatedBox::InputVolts(Channel channel, Coupling coupling, double t) {
    if (coupling == Coupling::GND)
        return 0.0;
    if (channel == Channel::A)
        return SinePeak * std::sin(2 * Pi * SineFrequency * t);
    const double phase = t * SquareFrequency - std::floor(t * SquareFrequency);
    const double square = phase < 0.5 ? SquarePeak : -SquarePeak;
    return coupling == Coupling::DC ? square + SquareOffset : square;
}

SimulatedBox::Memory SimulatedBox::Acquire(const State& state, double startTime) {
    Memory result{};
    const TimeBaseRow* timeBase = TimeBaseAt(state.timeBaseIndex);
    const double sampleTime =
        (timeBase ? timeBase->secondsPerDiv : 0.1e-3) / Sweep::PointsPerDivision;
    for (Channel channel : {Channel::A, Channel::B}) {
        const int c = Index(channel);
        const VoltsPerDivRow* volts = VoltsPerDivAt(state.voltsPerDivIndex[c]);
        const double voltsPerDiv = volts ? volts->voltsPerDiv : 1.0;
        for (int i = 0; i < Sweep::MemorySamples; ++i) {
            const double v = InputVolts(channel, state.coupling[c], startTime + i * sampleTime);
            const long code =
                state.position[c] + std::lround(v / voltsPerDiv * Sweep::CodesPerDivision);
            result[c][i] = static_cast<int>(std::clamp<long>(code, 0, 255));
        }
    }
    return result;
}

QByteArray SimulatedBox::SweepBytes(const Memory& memory, int start) {
    start = std::clamp(start, 0, Sweep::LastWindowStart);
    QByteArray bytes;
    bytes.reserve(Sweep::Points * 9);
    char packet[10];
    for (int n = 0; n < Sweep::Points; ++n) {
        const int a = memory[0][start + n];
        const int b = memory[1][start + n];
        packet[0] = 'A';
        packet[1] = char('0' + a / 100);
        packet[2] = char('0' + a / 10 % 10);
        packet[3] = char('0' + a % 10);
        packet[4] = n == 0 ? '#' : '%';
        packet[5] = char('0' + b / 100);
        packet[6] = char('0' + b / 10 % 10);
        packet[7] = char('0' + b % 10);
        packet[8] = 'B';
        bytes.append(packet, 9);
    }
    return bytes;
}
