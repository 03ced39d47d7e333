#pragma once

// Helpers shared by the tests of the small windows: a session over a settings file of its
// own, the activation of a window, and buttons found by their captions.

#include "core/SettingsFile.h"
#include "instrument/Instrument.h"

#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QPair>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>

// A session whose settings file holds the factory lines, changed by the given ones, loaded
// as the program loads it before it makes its windows.
struct SettingsSession {
    QTemporaryDir dir;
    Instrument session{dir.path() + QLatin1Char('/')};

    explicit SettingsSession(const QList<QPair<int, QString>>& lines = {}) {
        PersistedSettings file = SettingsFile::Load(qEnvironmentVariable("OSC_TEST_DATA") +
                                                    QStringLiteral("/parametres.inf"));
        for (const auto& [k, text] : lines)
            file.SetLine(k, text);
        SettingsFile::Save(FilePath(), file);
        session.LoadSettings();
        session.NoteProgramFolder();
    }
    QString FilePath() const { return dir.path() + QStringLiteral("/parametres.inf"); }
    // The lines as the file holds them now.
    PersistedSettings File() const { return SettingsFile::Load(FilePath()); }
    QString Line(int k) const { return session.Settings().Line(k); }
};

inline void Activate(QWidget& window) {
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window, &activate);
}

inline QPushButton* ButtonCaptioned(const QWidget& window, const QString& caption) {
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}
