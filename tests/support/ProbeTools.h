#pragma once

#include "SessionProbe.h"
#include "core/ErrorGuard.h"
#include "core/Messages.h"
#include "core/PersistedSettings.h"
#include "core/SettingsFile.h"
#include "instrument/RamWindow.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

// Small tools around SessionProbe: settings lines as an earlier run left them, the
// program's message boxes and error boxes caught for one test (each catcher puts the
// previous handler back when it goes, also when the test fails half-way), more of the
// session's signals in the probe's events, and the RAM window brought to a start.

// Writes the lines into the probe's settings file and loads it, as a file left by an
// earlier run. Line 45 (the program's folder) is noted again afterwards unless
// `noteFolder` is false, which leaves whatever the lines gave it.
inline void LoadSettingsLines(SessionProbe& probe, const QList<QPair<int, QString>>& lines,
                              bool noteFolder = true) {
    PersistedSettings settings = probe.session.Settings();
    for (const auto& [line, text] : lines)
        settings.SetLine(line, text);
    SettingsFile::Save(probe.dir.filePath(QString::fromLatin1(SettingsFile::FileName)), settings);
    probe.session.LoadSettings();
    if (noteFolder)
        probe.session.NoteProgramFolder();
}

// Catches the texts of the program's message boxes ("Information: ...").
class MessageCatcher {
public:
    using Also = std::function<void(Messages::Kind kind, const QString& text)>;

    // `also` runs inside the box, while the program waits for it to be closed.
    explicit MessageCatcher(Also also = {})
        : previous(Messages::SetHandler(
              [this, also = std::move(also)](Messages::Kind kind, const QString& text, QObject*) {
                  shown << Messages::Title(kind) + QStringLiteral(": ") + text;
                  if (also)
                      also(kind, text);
              })) {}
    ~MessageCatcher() { Messages::SetHandler(previous); }
    MessageCatcher(const MessageCatcher&) = delete;
    MessageCatcher& operator=(const MessageCatcher&) = delete;

    QStringList shown;

private:
    Messages::Handler previous;
};

// Catches the texts of the error boxes of the guard around every event handler.
class ErrorCatcher {
public:
    ErrorCatcher()
        : previous(ErrorGuard::SetReporter([this](const QString& text) { texts << text; })) {}
    ~ErrorCatcher() { ErrorGuard::SetReporter(previous); }
    ErrorCatcher(const ErrorCatcher&) = delete;
    ErrorCatcher& operator=(const ErrorCatcher&) = delete;

    QStringList texts;

private:
    ErrorGuard::Reporter previous;
};

// The channel's letter in the recorded events.
inline QString Letter(Channel channel) {
    return channel == Channel::A ? QStringLiteral("A") : QStringLiteral("B");
}

// Adds to the probe's events what the front panel shows, as the session announces it:
// "time base" (knob and labels), "volts A", "coupling A", "probe A", "position A",
// "trace A", "controls A" (and the same for B), "trigger" (buttons and lamp), "run state",
// "math menu", "buttons" and "range" (the translation buttons and label), "step" and
// "captions" (the step choice and the step captions of the magnification).
inline void RecordDisplays(SessionProbe& probe) {
    Instrument& s = probe.session;
    QStringList& events = probe.events;
    const auto named = [&events](const QString& name) {
        return [&events, name] { events << name; };
    };
    const auto perChannel = [&events](const QString& name) {
        return [&events, name](Channel c) { events << name + QLatin1Char(' ') + Letter(c); };
    };
    QObject::connect(&s, &Instrument::timeBaseChanged, &s, named(QStringLiteral("time base")));
    QObject::connect(&s, &Instrument::voltsPerDivChanged, &s, perChannel(QStringLiteral("volts")));
    QObject::connect(&s, &Instrument::couplingChanged, &s, perChannel(QStringLiteral("coupling")));
    QObject::connect(&s, &Instrument::probeChanged, &s, perChannel(QStringLiteral("probe")));
    QObject::connect(&s, &Instrument::positionChanged, &s, perChannel(QStringLiteral("position")));
    QObject::connect(&s, &Instrument::traceChanged, &s, perChannel(QStringLiteral("trace")));
    QObject::connect(&s, &Instrument::channelControlsChanged, &s,
                     perChannel(QStringLiteral("controls")));
    QObject::connect(&s, &Instrument::triggerChanged, &s, named(QStringLiteral("trigger")));
    QObject::connect(&s, &Instrument::runStateChanged, &s, named(QStringLiteral("run state")));
    QObject::connect(&s, &Instrument::mathMenuChanged, &s, named(QStringLiteral("math menu")));
    QObject::connect(&s, &Instrument::translationChanged, &s, named(QStringLiteral("buttons")));
    QObject::connect(&s, &Instrument::windowRangeChanged, &s, named(QStringLiteral("range")));
    QObject::connect(&s, &Instrument::stepChanged, &s, named(QStringLiteral("step")));
    QObject::connect(&s, &Instrument::magnificationChanged, &s, named(QStringLiteral("captions")));
}

// Adds each change of a lock to the probe's events, as the views see it (they follow the
// changes of the session's lock record): for RecordLocks "groups on" / "groups off" for the
// time base, volts/div and trigger groups, "transfer on" / "transfer off" for the
// translation and acquisition groups; for RecordOutputs "output on" / "output off" for the
// output commands (save, copy, print) and "hints on" / "hints off" for their hints.
inline void RecordLockChanges(SessionProbe& probe,
                              std::vector<std::pair<bool PanelLocks::*, QString>> locks) {
    Instrument& s = probe.session;
    QStringList& events = probe.events;
    auto shown = std::make_shared<PanelLocks>(s.Locks());
    QObject::connect(&s, &Instrument::locksChanged, &s, [&s, &events, shown, locks] {
        for (const auto& [lock, name] : locks) {
            const bool on = s.Locks().*lock;
            if (on != (*shown).*lock)
                events << name + (on ? QStringLiteral(" on") : QStringLiteral(" off"));
        }
        *shown = s.Locks();
    });
}

inline void RecordLocks(SessionProbe& probe) {
    RecordLockChanges(probe, {{&PanelLocks::settingGroupsEnabled, QStringLiteral("groups")},
                              {&PanelLocks::transferGroupsEnabled, QStringLiteral("transfer")}});
}

inline void RecordOutputs(SessionProbe& probe) {
    RecordLockChanges(probe, {{&PanelLocks::outputCommandsEnabled, QStringLiteral("output")},
                              {&PanelLocks::outputHintsShown, QStringLiteral("hints")}});
}

// Brings the RAM window to a start through the translation operations, as a user would
// (the commands are sent). Every step is a multiple of 3 samples, so a start that is a
// multiple of 3 is reached from 0, and one that is 1 more than a multiple of 3 from the
// last start (1747) going left; the message of the upper limit is swallowed on the way.
// Returns whether the start was reached; the chosen step is left as the last move set it.
inline bool MoveWindowTo(SessionProbe& probe, int target) {
    Instrument& s = probe.session;
    MessageCatcher quiet;
    bool leftwards = false;
    int remaining = target;
    s.ResetTranslation();
    if (target % 3 == 1) {
        s.SelectStep(RamWindow::StepCount);
        while (s.Ram().Start() < Sweep::LastWindowStart)
            s.TranslateRight();
        leftwards = true;
        remaining = Sweep::LastWindowStart - target;
    } else if (target % 3 != 0) {
        return false;
    }
    for (int index = RamWindow::StepCount; index >= 1 && remaining > 0; --index) {
        const int samples = RamWindow::StepSamples(index);
        if (remaining < samples)
            continue;
        s.SelectStep(index);
        for (; remaining >= samples; remaining -= samples) {
            if (leftwards)
                s.TranslateLeft();
            else
                s.TranslateRight();
        }
    }
    return s.Ram().Start() == target;
}
