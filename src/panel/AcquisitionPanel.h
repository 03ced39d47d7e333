#pragma once

#include <QWidget>

class Instrument;
class QAbstractButton;

// The body of the " Acquisition des traces : " group: "Lecture" runs the acquisition,
// "Pause" freezes it, each through the session. Fills the group box (289 x 50) from its
// top-left corner.
class AcquisitionPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize GroupSize{289, 50};

    AcquisitionPanel(QWidget* parent, Instrument& session);

    // The button of the session's state down.
    void ShowRunState();
    void SetRunButtonsEnabled(bool enabled);

    QAbstractButton* RunButton() const { return runButton; }
    QAbstractButton* PauseButton() const { return pauseButton; }

private:
    Instrument& session;
    QAbstractButton* runButton = nullptr;
    QAbstractButton* pauseButton = nullptr;
    bool runButtonsEnabled = true; // as the buttons were last set
};
