#pragma once

#include "instrument/RamWindow.h"

#include <QWidget>
#include <array>

class Instrument;
class QAbstractButton;
class QFrame;
class QLabel;
class QRadioButton;

// The body of the " Translation des traces (C = Carreaux) : " group: the eleven step
// choices, the RAM-window label and the "<", "> | <" and ">" buttons that move the box's
// 300-sample window over its memory, each through the session. Fills the group box
// (289 x 145) from its top-left corner.
class TranslationPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize GroupSize{289, 145};

    TranslationPanel(QWidget* parent, Instrument& session);

    // Displays of the session's window: the three buttons, the label, the chosen step and
    // the step captions for the current magnification.
    void ShowButtons();
    void ShowRange();
    void ShowStep();
    void ShowStepCaptions();

    // The step choices (the presets switch them).
    void SetStepsEnabled(bool enabled);

    QAbstractButton* LeftButton() const { return leftButton; }
    QAbstractButton* ResetButton() const { return resetButton; }
    QAbstractButton* RightButton() const { return rightButton; }
    QRadioButton* StepButton(int index) const;
    QLabel* RangeLabel() const { return rangeLabel; }

private:
    Instrument& session;
    QFrame* panel = nullptr;
    std::array<QRadioButton*, RamWindow::StepCount> steps{};
    QLabel* rangeLabel = nullptr;
    QAbstractButton* leftButton = nullptr;
    QAbstractButton* resetButton = nullptr;
    QAbstractButton* rightButton = nullptr;
};
