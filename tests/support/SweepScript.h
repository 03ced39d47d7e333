#pragma once

#include "ProbeTools.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <functional>

// Short scripts of what a user does and what the box sends, played on an activated session
// whose redraws prepare the screen as the screen controller does (the ground levels are
// measured there). Channel A is on; its operations are those of the front panel. Tokens,
// separated by spaces:
//   sweep:N     a whole sweep, every point of both channels at code N
//   start:N     the first 150 packets of such a sweep; finish:N the last 150
//   gnd dc ac   channel A's coupling
//   release:N   channel A's position slider released at N; centre; up (one unit up)
//   volts probe channel A's range (500 mV) and its x10 probe
//   trace:B     channel B switched on; off:B switched off
//   timebase trigger pause run right x2
//               the time base (1 ms/div), the trigger on channel A, the run buttons, the
//               RAM window one step right, the magnifier x2
//   shot        single shot pressed
//   events      the events waiting in the event loop are handled
// A command token followed by "+" and a box token ("gnd+sweep:100") has the box token
// played while the command's bytes are written, inside the exchange.
class SweepScript {
public:
    explicit SweepScript(SessionProbe& probe) : probe(probe) {
        Instrument& s = probe.session;
        QObject::connect(&s, &Instrument::redrawRequested, &s, [&s] {
            if (!s.Spectrum().on)
                s.PrepareScreen();
        });
    }

    // Call once the link is made (after SessionProbe::Activate).
    void HookWrites() {
        auto previous = probe.link->onWrite;
        probe.link->onWrite = [this, previous](const QByteArray& bytes) {
            if (previous)
                previous(bytes);
            if (atWrite) {
                const auto run = std::move(atWrite);
                atWrite = {};
                run();
            }
        };
    }

    // Plays the script; false (with the token in `failed`) at a token it does not know.
    bool Run(const QString& script) {
        for (const QString& token : script.split(u' ', Qt::SkipEmptyParts))
            if (!Play(token)) {
                failed = token;
                return false;
            }
        return true;
    }

    static QByteArray Packet(int point, int codeA, int codeB) {
        return "A" + QByteArray::number(codeA).rightJustified(3, '0') + (point == 1 ? "#" : "%") +
               QByteArray::number(codeB).rightJustified(3, '0') + "B";
    }
    static QByteArray Packets(int first, int last, int code) {
        QByteArray bytes;
        for (int point = first; point <= last; ++point)
            bytes += Packet(point, code, code);
        return bytes;
    }

    QString failed;

private:
    bool Play(const QString& token) {
        const qsizetype plus = token.indexOf(u'+');
        if (plus > 0) {
            const QString box = token.mid(plus + 1);
            atWrite = [this, box] { Play(box); };
            return Play(token.left(plus));
        }
        Instrument& s = probe.session;
        const QString name = token.section(u':', 0, 0);
        const int value = token.section(u':', 1, 1).toInt();
        if (name == QLatin1String("sweep"))
            s.ReceiveBytes(Packets(1, 300, value));
        else if (name == QLatin1String("start"))
            s.ReceiveBytes(Packets(1, 150, value));
        else if (name == QLatin1String("finish"))
            s.ReceiveBytes(Packets(151, 300, value));
        else if (name == QLatin1String("gnd"))
            s.SelectCoupling(Channel::A, int(Coupling::GND));
        else if (name == QLatin1String("dc"))
            s.SelectCoupling(Channel::A, int(Coupling::DC));
        else if (name == QLatin1String("ac"))
            s.SelectCoupling(Channel::A, int(Coupling::AC));
        else if (name == QLatin1String("release"))
            s.ReleasePosition(Channel::A, value);
        else if (name == QLatin1String("centre"))
            s.CentrePosition(Channel::A);
        else if (name == QLatin1String("up"))
            s.StepPosition(Channel::A, 1);
        else if (name == QLatin1String("volts"))
            s.SelectVoltsPerDiv(Channel::A, 4);
        else if (name == QLatin1String("probe"))
            s.SelectProbe(Channel::A, true);
        else if (token == QLatin1String("trace:B"))
            s.SwitchTrace(Channel::B, true);
        else if (token == QLatin1String("off:B"))
            s.SwitchTrace(Channel::B, false);
        else if (name == QLatin1String("timebase"))
            s.SelectTimeBase(9);
        else if (name == QLatin1String("trigger"))
            s.SelectTrigger(int(TriggerSource::ChannelA));
        else if (name == QLatin1String("pause"))
            s.Pause();
        else if (name == QLatin1String("run"))
            s.Run();
        else if (name == QLatin1String("right"))
            s.TranslateRight();
        else if (name == QLatin1String("x2"))
            s.SetMagnification(2);
        else if (name == QLatin1String("shot"))
            s.ToggleSingleShot();
        else if (name == QLatin1String("events"))
            QCoreApplication::processEvents();
        else
            return false;
        return true;
    }

    SessionProbe& probe;
    std::function<void()> atWrite;
};
