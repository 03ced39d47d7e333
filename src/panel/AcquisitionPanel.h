#pragma once

#include <QWidget>

class ProgramServices;
class QAbstractButton;

// The " Acquisition des traces : " group: "Lecture" runs the acquisition, "Pause" freezes
// it. Fills the group box (289 x 50) from its top-left corner.
class AcquisitionPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize GroupSize{289, 50};

    AcquisitionPanel(QWidget* parent, ProgramServices& services);

    // "Lecture": running, output commands off, "L&", the instrument groups enabled.
    void Run();
    // "Pause": paused, output commands on, "P&", then the instrument groups disabled
    // (after the command, whose completion has just enabled them).
    void Pause();

    // Both buttons enabled and "Lecture" down, with nothing sent (link activation).
    void ShowLinkActivated();
    void SetRunButtonsEnabled(bool enabled);
    void SetGroupEnabled(bool enabled);

    QAbstractButton* RunButton() const { return runButton; }
    QAbstractButton* PauseButton() const { return pauseButton; }

signals:
    // The save, copy and print commands (menus, pop-up menu, tool bar buttons and their
    // hints) follow this: on while paused, off while running.
    void outputCommandsEnabled(bool enabled);
    // The time base, both channel groups and the trigger group follow this.
    void instrumentGroupsEnabled(bool enabled);

private:
    ProgramServices& services;
    QAbstractButton* runButton = nullptr;
    QAbstractButton* pauseButton = nullptr;
};
