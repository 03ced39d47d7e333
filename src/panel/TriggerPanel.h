#pragma once

#include <QWidget>
#include <array>

class ProgramServices;
class QAbstractButton;
class QFrame;
class QLabel;

// The " Sélection du Trigger : " group: the trigger-state lamp and the four source buttons.
// Fills the group box (289 x 121) from its top-left corner.
class TriggerPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize GroupSize{289, 121};
    static constexpr int SourceCount = 4;

    TriggerPanel(QWidget* parent, ProgramServices& services);

    // The handler of source 1..4 (OFF, VOIE A, VOIE B, EXTERNE), also run by the restore of
    // link activation: puts its button down, updates the model, settings line 21,
    // SaveSettings, the lamp, the command, RedrawScreen.
    void SelectTrigger(int source);

    // Shows OFF (button down, lamp on) without touching the box or the settings file:
    // what GND coupling does while the trigger is armed.
    void ShowTriggerOff();

    // Loads "ledon.bmp" (on) or "ledoff.bmp" (off) of the program's folder into the lamp.
    void ShowTriggerGlyph(bool on);
    QString GlyphName() const { return glyphName; }

    void SetSourceButtonsEnabled(bool enabled);
    void SetGroupEnabled(bool enabled);

    QAbstractButton* SourceButton(int source) const;
    QLabel* Glyph() const { return glyph; }

private:
    ProgramServices& services;
    QFrame* panel = nullptr;
    QLabel* glyph = nullptr;
    QString glyphName;
    std::array<QAbstractButton*, SourceCount> buttons{};
};
