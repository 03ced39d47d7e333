#pragma once

#include "FakeServices.h"

// Small fakes shared by the link tests.

#include "core/InstrumentSettings.h"
#include "core/PersistedSettings.h"
#include "app/ProgramServices.h"
#include "link/CommandHost.h"
#include "core/SampleTable.h"

#include <QElapsedTimer>
#include <QStringList>
#include <functional>

// The main window's state and operations, with the link active.
struct LinkServices : FakeServices {
    LinkServices() { linkActive = true; }
};

// The monotonic clock in milliseconds, comparable with SimulatedBox::Received::atMs.
inline qint64 NowMs() {
    QElapsedTimer t;
    t.start();
    return t.msecsSinceReference();
}

// Records every call of the command exchange with the time it came (NowMs()).
class RecordingHost : public CommandHost {
public:
    struct Call {
        QString what;
        qint64 ms;
    };
    QList<Call> calls;
    QList<int> progress;
    int failures = 0;
    bool settingGroups = true;
    bool acquisitionGroups = true;
    bool progressShown = false;
    QString status;
    std::function<void()> onFailure;

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

    void SetSettingGroupsEnabled(bool enabled) override {
        settingGroups = enabled;
        Note(enabled ? "settings on" : "settings off");
    }
    void SetAcquisitionGroupsEnabled(bool enabled) override {
        acquisitionGroups = enabled;
        Note(enabled ? "acquisition on" : "acquisition off");
    }
    void SetCommandStatus(const QString& text) override {
        status = text;
        Note(text.trimmed().isEmpty() ? "status cleared" : "status busy");
    }
    void ShowProgress(int minimum, int maximum) override {
        progressShown = true;
        Note(QStringLiteral("progress %1..%2").arg(minimum).arg(maximum));
    }
    void SetProgress(int value) override { progress << value; }
    void HideProgress() override {
        progressShown = false;
        Note("progress hidden");
    }
    void LinkFailure() override {
        ++failures;
        Note("failure");
        if (onFailure)
            onFailure();
    }
};
