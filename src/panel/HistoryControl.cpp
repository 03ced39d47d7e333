#include "panel/HistoryControl.h"

#include "core/ErrorGuard.h"
#include "instrument/Instrument.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QShortcut>
#include <QSlider>
#include <QTimeZone>

QString HistoryCaption(int position, int count, const SweepRecord& record) {
    // The local time then, whatever the time zone now.
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(
        record.msecsSinceEpoch + qint64(record.utcOffsetMinutes) * 60 * 1000, QTimeZone::utc());
    return QStringLiteral("Balayage %1 / %2 – %3")
        .arg(position)
        .arg(count)
        .arg(when.toString(QStringLiteral("HH:mm:ss,zzz")));
}

HistoryControl::HistoryControl(Instrument& owner, QWidget* parent, QWidget* window)
    : QWidget(parent), session(owner) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(6);
    slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QStringLiteral("historySlider"));
    slider->setFocusPolicy(Qt::NoFocus);
    slider->setPageStep(LongStep);
    caption = new QLabel(this);
    caption->setObjectName(QStringLiteral("historyCaption"));
    layout->addWidget(slider, 1);
    layout->addWidget(caption);
    connect(slider, &QSlider::valueChanged, this, GuardedSlot([this](int value) {
                if (!following)
                    session.BrowseTo(value - 1);
            }));
    const struct {
        QKeySequence keys;
        int delta;
    } bindings[] = {{QKeySequence(Qt::Key_PageUp), -ShortStep},
                    {QKeySequence(Qt::Key_PageDown), ShortStep},
                    {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -LongStep},
                    {QKeySequence(Qt::CTRL | Qt::Key_PageDown), LongStep}};
    for (const auto& key : bindings) {
        auto* shortcut = new QShortcut(key.keys, window);
        shortcut->setContext(Qt::WindowShortcut);
        keys << shortcut;
        const int delta = key.delta;
        connect(shortcut, &QShortcut::activated, this, GuardedSlot([this, delta] { Step(delta); }));
    }
    for (auto signal : {&Instrument::runStateChanged, &Instrument::shownSweepChanged,
                        &Instrument::acquisitionChanged, &Instrument::sweepCompleted})
        connect(&session, signal, this, [this] { Follow(); });
    Follow();
}

void HistoryControl::Step(int delta) {
    if (!isHidden())
        session.StepBrowsing(delta);
}

void HistoryControl::Follow() {
    const int count = session.BrowsingAvailable() ? session.BrowsableCount() : 0;
    for (QShortcut* key : keys)
        key->setEnabled(count > 0);
    if (count == 0) {
        hide();
        return;
    }
    const int index = session.BrowsedIndex().value_or(count - 1);
    following = true;
    slider->setRange(1, count);
    slider->setValue(index + 1);
    following = false;
    if (const std::optional<SweepRecord> record = session.BrowsableAt(index))
        caption->setText(HistoryCaption(index + 1, count, *record));
    show();
    raise();
}
