#pragma once

#include "app/InstrumentSettings.h"
#include "app/PersistedSettings.h"
#include "app/ProgramServices.h"
#include "link/SampleTable.h"

#include <QString>
#include <QStringList>
#include <functional>

// A main window stand-in for tests, benchmarks and the fuzz target: it owns the state
// and records what the subsystems ask of it, in the order they ask.
class FakeServices : public ProgramServices {
public:
    PersistedSettings settings;
    InstrumentSettings instrument;
    SampleTable samples;
    QStringList events;   // "save", "send X", "redraw"
    QStringList commands; // the commands alone
    int saves = 0;
    int redraws = 0;
    bool linkActive = false;
    QString folder;
    std::function<void()> onRedraw; // runs at each redraw, after it is counted

    PersistedSettings& Settings() override { return settings; }
    InstrumentSettings& Instrument() override { return instrument; }
    SampleTable& Samples() override { return samples; }
    void SaveSettings() override {
        ++saves;
        events << QStringLiteral("save");
    }
    void SendCommand(const QString& command) override {
        events << QStringLiteral("send ") + command;
        commands << command;
    }
    void RedrawScreen() override {
        ++redraws;
        events << QStringLiteral("redraw");
        if (onRedraw)
            onRedraw();
    }
    void PlaySound(const QString&) override {}
    QString ProgramFolder() const override { return folder; }
    bool LinkActive() const override { return linkActive; }
};
