#pragma once

#include "screen/RamWindow.h"

#include <QWidget>
#include <array>
#include <functional>

class ProgramServices;
class QAbstractButton;
class QFrame;
class QLabel;
class QRadioButton;

// The " Translation des traces (C = Carreaux) : " group: the eleven step choices, the
// RAM-window label and the "<", "> | <" and ">" buttons that move the box's 300-sample
// window over its memory. Fills the group box (289 x 145) from its top-left corner.
class TranslationPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize GroupSize{289, 145};
    static const QString UpperLimitMessage;

    TranslationPanel(QWidget* parent, ProgramServices& services, RamWindow& window);

    // The handlers of ">", "<" and "> | <". None redraws: the next sweep shows the move.
    void TranslateRight();
    void TranslateLeft();
    void ResetTranslation();

    // Captions of the step choices for the current magnification.
    void ShowStepCaptions();
    // The start-up state: step "1 C" chosen, "<" and "> | <" disabled, the label for the
    // window's current range.
    void ShowStartState();

    // The step choices and ">" together (the presets switch them).
    void SetStepsAndRightEnabled(bool enabled);
    void SetGroupEnabled(bool enabled);

    // Shows the information message of the upper limit and returns when it is closed.
    // Tests replace it; the default is a message box titled "Information".
    void SetMessageShower(std::function<void(const QString&)> shower);

    QAbstractButton* LeftButton() const { return leftButton; }
    QAbstractButton* ResetButton() const { return resetButton; }
    QAbstractButton* RightButton() const { return rightButton; }
    QRadioButton* StepButton(int index) const;
    QLabel* RangeLabel() const { return rangeLabel; }

signals:
    // Asks the time base, both channel groups and the trigger group to follow this; sent
    // after each move while the acquisition is paused, to keep them disabled.
    void instrumentGroupsEnabled(bool enabled);

private:
    void AfterMove(const RamWindow::Move& move);

    ProgramServices& services;
    RamWindow& window;
    QFrame* panel = nullptr;
    std::array<QRadioButton*, RamWindow::StepCount> steps{};
    QLabel* rangeLabel = nullptr;
    QAbstractButton* leftButton = nullptr;
    QAbstractButton* resetButton = nullptr;
    QAbstractButton* rightButton = nullptr;
    std::function<void(const QString&)> showMessage;
};
