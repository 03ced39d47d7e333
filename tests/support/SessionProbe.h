#pragma once

#include "RecordingLink.h"
#include "TestTimings.h"
#include "instrument/Instrument.h"

#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// An instrument session for tests, in a temporary program folder, whose link is a
// RecordingLink. It records what the session does in the order it does it:
// "save", "send <command>" and "redraw", as a user and the box would see them.
class SessionProbe {
public:
    SessionProbe()
        : timings(TimingsGuard::Quick()),
          session(dir.path() + QLatin1Char('/'), [this](const QString& name) {
              opened << name;
              auto made = std::make_unique<RecordingLink>();
              // A link that fails to open is dropped by the session: no pointer to it stays.
              link = failOpen ? nullptr : made.get();
              made->silent = silentLink;
              made->asleep = asleepLink;
              made->failOpen = failOpen;
              made->onWrite = [this](const QByteArray& bytes) {
                  events << QStringLiteral("send ") + QString::fromLatin1(bytes);
              };
              if (onMade)
                  onMade(*made);
              return made;
          }) {
        QObject::connect(&session, &Instrument::settingsSaved, [this] { events << "save"; });
        QObject::connect(&session, &Instrument::redrawRequested, [this] { events << "redraw"; });
        session.LoadSettings();
        session.NoteProgramFolder();
    }

    // Start-up as the main window runs it: initial state, inactive preset, start lines.
    void Start() {
        session.SetInitialState();
        session.ApplyInactivePreset();
        session.ResetInstrumentLines();
        events.clear();
    }

    // Start-up, then link activation with the restore mask of line 28 as it stands; the
    // events of the activation are cleared unless kept.
    void Activate(bool keepEvents = false) {
        Start();
        session.ActivateLink();
        if (!keepEvents)
            events.clear();
    }

    // The commands written since the events were last cleared, in order: after Activate(),
    // those after "Z1" and "?&".
    QStringList Commands() const {
        QStringList commands;
        for (const QString& e : events)
            if (e.startsWith(QStringLiteral("send ")))
                commands << e.mid(5);
        return commands;
    }

    QTemporaryDir dir;
    TimingsGuard timings;
    QStringList events;
    bool silentLink = false;
    bool asleepLink = false; // the box sleeps until "Z1"; otherwise it is awake already
    bool failOpen = false;
    QStringList opened; // the port of every link made, in order (an opening, or a try)
    std::function<void(RecordingLink&)> onMade; // called for every link made
    // The link last made; null once the session has let go of it (a lost link is deleted
    // when the event loop next runs) until the next one is made.
    QPointer<RecordingLink> link;
    Instrument session;
};
