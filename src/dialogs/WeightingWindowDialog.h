#pragma once

#include "dialogs/AuxiliaryWindow.h"

#include <array>

class Instrument;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

// "Fenêtres de pondération pour l'analyse spectrale": the choice of the weighting window,
// with a picture of the chosen one, and whether the oscilloscope traces show its effect.
// One of the small non-modal windows; made once and only shown and hidden afterwards. A
// choice changes the session's window at once but weighs nothing: the next completed
// sweep, or coming back to the main window while paused, uses it.
class WeightingWindowDialog : public AuxiliaryWindow {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 431;
    static constexpr int ClientHeight = 334;
    static constexpr const char* HelpTopic = "rub58";
    // The picture of each window (1 to 5), a file of the program's folder.
    static const char* PictureFile(int window);

    WeightingWindowDialog(Instrument& session, QWidget* parent = nullptr);

    QRadioButton* WindowButton(int window) const { return buttons[std::size_t(window - 1)]; }
    QLabel* Picture() const { return picture; }
    // The file the picture was last loaded from.
    QString PicturePath() const { return picturePath; }
    QCheckBox* EffectBox() const { return effect; }
    QPushButton* OkButton() const { return ok; }
    QPushButton* HelpButton() const { return help; }
    QLabel* Notice() const { return notice; }

protected:
    // Each time the dialog becomes active: the current window's button, its picture and
    // the check box as the session holds them.
    void Activated() override;

private:
    void ShowPicture(int window);

    Instrument& session;
    std::array<QRadioButton*, 5> buttons{};
    QLabel* notice = nullptr;
    QLabel* picture = nullptr;
    QString picturePath;
    QCheckBox* effect = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* help = nullptr;
};
