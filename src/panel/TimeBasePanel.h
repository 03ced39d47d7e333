#pragma once

#include <QWidget>
#include <array>

#include "app/InstrumentSettings.h"

class DialView;
class ProgramServices;
class QAbstractButton;
class QFrame;
class QLabel;

// The " Time/Div : " group: the time base knob with its 18 range buttons and the three
// labels. Fills the group box (289 x 297) from its top-left corner.
class TimeBasePanel : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize GroupSize{289, 297};

    TimeBasePanel(QWidget* parent, ProgramServices& services);

    // The handler of a range button, also run by the restore of link activation: knob,
    // labels, model, settings line 20, SaveSettings, the range's command, RedrawScreen.
    // An index outside the table does nothing.
    void SelectTimeBase(int index);

    // Knob and labels for a range, without touching the model or the box.
    void ShowTimeBase(int index);

    // Switches the group as a whole (presets, pause, command exchanges).
    void SetGroupEnabled(bool enabled);

    QAbstractButton* RangeButton(int index) const;
    DialView* Dial() const { return dial; }
    QLabel* TimeDivLabel() const { return timeDivLabel; }
    QLabel* SamplingLabel() const { return samplingLabel; }
    QLabel* RamSweepLabel() const { return ramSweepLabel; }

private:
    ProgramServices& services;
    QFrame* dialPanel = nullptr;
    DialView* dial = nullptr;
    std::array<QAbstractButton*, TimeBaseCount> buttons{};
    QLabel* timeDivLabel = nullptr;
    QLabel* samplingLabel = nullptr;
    QLabel* ramSweepLabel = nullptr;
};
