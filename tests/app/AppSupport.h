#pragma once

// Helpers shared by the tests of the main window: its pieces found by their object names,
// a program folder of its own, the program's message boxes caught as texts, a watch on
// timer ticks, sample packets, and controls found by their captions.

#include "app/MainWindow.h"
#include "core/ErrorGuard.h"
#include "core/Messages.h"
#include "panel/FrontPanel.h"
#include "screen/ScreenController.h"

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <source_location>

// The piece of the main window with this object name (MainWindow.h lists them): one of the
// window's descendants, or one of the program's windows that have no parent (the splash,
// the communication notice, the help viewer). Ends the test, with the caller's line, when
// no object or more than one has the name, or when it is not a T.
template <class T>
T* Part(const QObject* window, const char* name,
        const std::source_location& at = std::source_location::current()) {
    const QString wanted = QString::fromLatin1(name);
    QList<QObject*> found = window->findChildren<QObject*>(wanted);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == wanted && !found.contains(w))
            found << w;
    T* part = found.size() == 1 ? qobject_cast<T*>(found.constFirst()) : nullptr;
    if (!part)
        qFatal("%s:%u: no single %s named \"%s\" in the main window (%d object(s) of that "
               "name%s%s)",
               at.file_name(), unsigned(at.line()), T::staticMetaObject.className(), name,
               int(found.size()), found.size() == 1 ? ", a " : "",
               found.size() == 1 ? found.constFirst()->metaObject()->className() : "");
    return part;
}

// The pieces most tests use.
inline Instrument& SessionOf(const QObject* window,
                             const std::source_location& at = std::source_location::current()) {
    return *Part<Instrument>(window, "session", at);
}
inline CommandSurfaces&
SurfacesOf(const QObject* window,
           const std::source_location& at = std::source_location::current()) {
    return *Part<CommandSurfaces>(window, "commandSurfaces", at);
}
inline ScreenController&
ScreenOf(const QObject* window, const std::source_location& at = std::source_location::current()) {
    return *Part<ScreenController>(window, "screenController", at);
}
inline FrontPanel& PanelOf(const QObject* window,
                           const std::source_location& at = std::source_location::current()) {
    return *Part<FrontPanel>(window, "frontPanel", at);
}

// A region of the main window, by the object name it is given.
inline QWidget* RegionOf(const QObject* window, Region region,
                         const std::source_location& at = std::source_location::current()) {
    static const struct {
        Region region;
        const char* name;
    } names[] = {
        {Region::ScreenPanel, "region.screenPanel"},
        {Region::SpectrumPanel, "region.spectrumPanel"},
        {Region::TimeBase, "region.timeBase"},
        {Region::Magnifier, "region.magnifier"},
        {Region::Acquisition, "region.acquisition"},
        {Region::Trigger, "region.trigger"},
        {Region::Translation, "region.translation"},
        {Region::SampleGrid, "region.sampleGrid"},
        {Region::ChannelA, "region.channelA"},
        {Region::ChannelB, "region.channelB"},
        {Region::CentreColumn, "region.centreColumn"},
    };
    const char* name = "";
    for (const auto& row : names)
        if (row.region == region)
            name = row.name;
    return Part<QWidget>(window, name, at);
}

// A temporary folder the program runs from, with its settings file.
class ProgramFolder {
public:
    // Ends with a separator, as the program's folder does.
    QString Path() const { return dir.path() + QStringLiteral("/"); }
    QString SettingsPath() const { return dir.filePath(QStringLiteral("parametres.inf")); }

    // Writes a settings file of 50 CR LF lines: the given lines, the others empty.
    void WriteSettings(const QList<QPair<int, QByteArray>>& lines) const {
        QByteArray file;
        for (int k = 1; k <= 50; ++k) {
            QByteArray text;
            for (const auto& [line, value] : lines)
                if (line == k)
                    text = value;
            file += text + "\r\n";
        }
        WriteRaw(file);
    }
    void WriteRaw(const QByteArray& bytes) const {
        QFile f(SettingsPath());
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    QByteArray ReadSettings() const {
        QFile f(SettingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Line k (1 to 50) of the file as written, without its CR LF.
    QByteArray SettingsLine(int k) const {
        QByteArray line = ReadSettings().split('\n').value(k - 1);
        if (line.endsWith('\r'))
            line.chop(1);
        return line;
    }

private:
    QTemporaryDir dir;
};

// Takes the program's message boxes for one test, as "Title: text" ("Erreur: ..." for the
// errors the guard reports), and gives the boxes back afterwards, also when the test
// fails half-way. `onMessage` runs inside the box, while the program waits for it.
class MessageCapture {
public:
    MessageCapture()
        : previousHandler(
              Messages::SetHandler([this](Messages::Kind kind, const QString& text, QObject*) {
                  texts << Messages::Title(kind) + QStringLiteral(": ") + text;
                  if (onMessage)
                      onMessage(kind, text);
              })),
          previousReporter(ErrorGuard::SetReporter({})) {}
    ~MessageCapture() {
        Messages::SetHandler(std::move(previousHandler));
        ErrorGuard::SetReporter(std::move(previousReporter));
    }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    QStringList Errors() const {
        return texts.filter(QRegularExpression(QStringLiteral("^Erreur: ")));
    }

    QStringList texts;
    std::function<void(Messages::Kind, const QString&)> onMessage;

private:
    Messages::Handler previousHandler;
    ErrorGuard::Reporter previousReporter;
};

// Counts the ticks of the timers a filter picks, as they are delivered, whatever object
// owns the timer. `beforeTick` runs just before a picked tick is handled.
class TimerWatch : public QObject {
public:
    using Filter = std::function<bool(const QTimer&)>;

    explicit TimerWatch(Filter picked, std::function<void()> before = {})
        : filter(std::move(picked)), beforeTick(std::move(before)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~TimerWatch() override { QCoreApplication::instance()->removeEventFilter(this); }

    int Ticks() const { return ticks; }
    QList<int> Intervals() const { return intervals; }
    // The interval of the timer whose tick is being handled (or was handled last), picked
    // or not; -1 before any tick.
    int CurrentInterval() const { return current ? current->interval() : -1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Timer)
            return false;
        auto* timer = qobject_cast<QTimer*>(watched);
        if (!timer)
            return false;
        current = timer;
        if (filter(*timer)) {
            ++ticks;
            intervals << timer->interval();
            if (beforeTick)
                beforeTick();
        }
        return false;
    }

private:
    Filter filter;
    std::function<void()> beforeTick;
    QPointer<QTimer> current;
    int ticks = 0;
    QList<int> intervals;
};

// The main window's splash timer: the one timer the main window owns itself.
inline bool IsSplashTimer(const QTimer& timer) {
    return timer.parent() && timer.parent()->inherits("MainWindow");
}

// One sweep of 300 sample packets as the box sends them, every point at the same codes:
// "A", three digits of channel A, "#" for the first point and "%" for the others, three
// digits of channel B, "B".
inline QByteArray FlatSweep(int codeA, int codeB) {
    const QByteArray a = QByteArray::number(codeA).rightJustified(3, '0');
    const QByteArray b = QByteArray::number(codeB).rightJustified(3, '0');
    QByteArray bytes;
    for (int point = 1; point <= 300; ++point)
        bytes += "A" + a + (point == 1 ? "#" : "%") + b + "B";
    return bytes;
}

// The button of a region with this caption; null when there is none.
inline QAbstractButton* ButtonIn(const QWidget* region, const QString& caption) {
    for (QAbstractButton* b : region->findChildren<QAbstractButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}
