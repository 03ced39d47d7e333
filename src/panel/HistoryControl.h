#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class Instrument;
class QLabel;
class QShortcut;
class QSlider;
struct SweepRecord;

// "Balayage 734 / 1000 – 14:32:07,512": the sweep's place among the sweeps that may be
// browsed (1 the oldest) and the local time of day it was completed, with milliseconds.
QString HistoryCaption(int position, int count, const SweepRecord& record);

// The history control of the status bar: a slider over the sweeps kept (or those of the
// acquisition file open) and the caption of the sweep shown. Seen only while sweeps may be
// browsed (paused, or a file open) and there are some. Moving the slider, or the keys
// Page Up and Page Down (one sweep back or forward) and Ctrl+Page Up and Ctrl+Page Down
// (ten) of the window, shows another sweep through the session. While the live sweep is
// shown, the slider stands on the newest kept.
class HistoryControl : public QWidget {
    Q_OBJECT
public:
    static constexpr int ShortStep = 1;
    static constexpr int LongStep = 10;

    // The keys are served in `window`.
    HistoryControl(Instrument& session, QWidget* parent, QWidget* window);

    QSlider* Slider() const { return slider; }
    QLabel* Caption() const { return caption; }

    // Follows the session: seen or not, the slider's range and place, the caption.
    void Follow();

private:
    void Step(int delta);

    Instrument& session;
    QSlider* slider = nullptr;
    QLabel* caption = nullptr;
    bool following = false;
    // Enabled only while the control is seen: otherwise the keys stay the focused
    // control's (a position slider's page step).
    QList<QShortcut*> keys;
};
