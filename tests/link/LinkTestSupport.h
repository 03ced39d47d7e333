#pragma once

// Small helpers shared by the link tests.

#include "link/CommandProtocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTimer>
#include <cstdlib>
#include <functional>

// The system's error texts in these tests are the English ones of the C locale, whatever
// the language of the machine that runs them: the application object picks the locale up
// from the environment when it is made, after this.
inline const bool EnglishSystemTexts = [] {
    setenv("LC_ALL", "C.UTF-8", 1);
    return true;
}();

// The monotonic clock in milliseconds, comparable with SimulatedBox::Received::atMs.
inline qint64 NowMs() {
    QElapsedTimer t;
    t.start();
    return t.msecsSinceReference();
}

// Records what an exchange of the command protocol shows and locks, as its signals tell
// it, with the time of each (NowMs()).
class ProtocolRecorder {
public:
    struct Call {
        QString what;
        qint64 ms;
    };
    QList<Call> calls;
    QList<int> progress; // every watchdog step shown
    int failures = 0;
    bool settingGroups = true;
    bool transferGroups = true;
    bool progressShown = false;
    QString status;
    std::function<void()> onFailure;
    QObject context; // ends the connections with the recorder

    explicit ProtocolRecorder(CommandProtocol& protocol) {
        QObject::connect(&protocol, &CommandProtocol::statusChanged, &context,
                         [this](const QString& text) {
                             status = text;
                             Note(text.trimmed().isEmpty() ? "status cleared" : "status busy");
                         });
        QObject::connect(&protocol, &CommandProtocol::settingGroupsEnabled, &context,
                         [this](bool enabled) {
                             settingGroups = enabled;
                             Note(enabled ? "settings on" : "settings off");
                         });
        QObject::connect(&protocol, &CommandProtocol::transferGroupsEnabled, &context,
                         [this](bool enabled) {
                             transferGroups = enabled;
                             Note(enabled ? "transfer on" : "transfer off");
                         });
        QObject::connect(&protocol, &CommandProtocol::progressStarted, &context,
                         [this](int maximum) {
                             progressShown = true;
                             Note(QStringLiteral("progress 0..%1").arg(maximum));
                         });
        QObject::connect(&protocol, &CommandProtocol::progressChanged, &context,
                         [this](int value) { progress << value; });
        QObject::connect(&protocol, &CommandProtocol::progressFinished, &context, [this] {
            progressShown = false;
            Note("progress hidden");
        });
        QObject::connect(&protocol, &CommandProtocol::acknowledgementLost, &context, [this] {
            ++failures;
            Note("failure");
            if (onFailure)
                onFailure();
        });
    }

    void Note(const QString& what) { calls.append({what, NowMs()}); }
    QStringList Names() const {
        QStringList names;
        for (const Call& c : calls)
            names << c.what;
        return names;
    }
    qint64 TimeOf(const QString& what) const {
        for (const Call& c : calls)
            if (c.what == what)
                return c.ms;
        return -1;
    }
};

// Counts the waits that ran their course, by their length: each wait of the protocol is
// one single-shot timer of its interval, and it ends when that timer fires. A wait that
// runs twice counts two, one of the wrong length counts under another interval: proof of
// the waits that holds however slowly a loaded machine runs them.
class WaitCounter : public QObject {
public:
    WaitCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~WaitCounter() override { QCoreApplication::instance()->removeEventFilter(this); }

    int Ended(int intervalMs) const { return ended.value(intervalMs); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer) {
            const auto* timer = qobject_cast<QTimer*>(watched);
            if (timer && timer->isSingleShot())
                ++ended[timer->interval()];
        }
        return false;
    }

private:
    QHash<int, int> ended;
};
