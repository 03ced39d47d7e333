#pragma once

#include <QWidget>
#include <array>

#include "core/InstrumentSettings.h"

class DialView;
class Instrument;
class QAbstractButton;
class QFrame;
class QLabel;

// The body of the " Time/Div : " group: the time base knob with its 18 range buttons and
// the three labels. Fills the group box (289 x 297) from its top-left corner. A range
// button calls the session; the knob and labels show the session's time base.
class TimeBasePanel : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize GroupSize{289, 297};

    TimeBasePanel(QWidget* parent, Instrument& session);

    // Knob and labels for the session's time base.
    void ShowTimeBase();

    QAbstractButton* RangeButton(int index) const;
    DialView* Dial() const { return dial; }
    QLabel* TimeDivLabel() const { return timeDivLabel; }
    QLabel* SamplingLabel() const { return samplingLabel; }
    QLabel* RamSweepLabel() const { return ramSweepLabel; }

private:
    Instrument& session;
    QFrame* dialPanel = nullptr;
    DialView* dial = nullptr;
    std::array<QAbstractButton*, TimeBaseCount> buttons{};
    QLabel* timeDivLabel = nullptr;
    QLabel* samplingLabel = nullptr;
    QLabel* ramSweepLabel = nullptr;
};
