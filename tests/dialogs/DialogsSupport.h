#pragma once

// Helpers shared by the tests of the small windows: a session over a settings file of its
// own, the activation of a window, buttons found by their captions, and the answer to a
// modal dialog.

#include "core/SettingsFile.h"
#include "instrument/Instrument.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>

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

// Answers the next modal dialog the code under test opens. `answer` runs inside the
// dialog's own event loop: it looks at the dialog, records what the test checks once the
// dialog has returned, and answers it. However `answer` ends (a record missing, an early
// return), the dialog is closed when it returns: a fault then shows as a failed check after
// the dialog, not as a dialog left open until the test's time runs out. Checks therefore
// belong after the call that opened the dialog, never inside `answer`.
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(QWidget*)> answer) : answer(std::move(answer)) {
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [this] { AnswerOpenDialog(); });
        poll.start();
    }
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

    // A modal dialog was met and answered.
    bool Answered() const { return answered; }

private:
    void AnswerOpenDialog() {
        const QPointer<QWidget> dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        poll.stop();
        answered = true;
        const auto close = qScopeGuard([dialog] {
            if (!dialog || !dialog->isVisible())
                return;
            if (auto* d = qobject_cast<QDialog*>(dialog.data()))
                d->done(QDialog::Rejected);
            else
                dialog->close();
        });
        answer(dialog);
    }

    std::function<void(QWidget*)> answer;
    QTimer poll;
    bool answered = false;
};
