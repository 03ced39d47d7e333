#pragma once

#include <QWidget>
#include <array>

class Instrument;
class QAbstractButton;
class QFrame;
class QLabel;

// The body of the " Sélection du Trigger : " group: the trigger-state lamp and the four
// source buttons. Fills the group box (289 x 121) from its top-left corner. A source
// button calls the session; the buttons and the lamp show the session's trigger source.
class TriggerPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize GroupSize{289, 121};
    static constexpr int SourceCount = 4;

    TriggerPanel(QWidget* parent, Instrument& session);

    // The session's source: its button down, the lamp on for OFF and off for the others.
    void ShowTrigger();

    // Loads "ledon.bmp" (on) or "ledoff.bmp" (off) of the program's folder into the lamp.
    void ShowTriggerGlyph(bool on);
    QString GlyphName() const { return glyphName; }

    void SetSourceButtonsEnabled(bool enabled);

    QAbstractButton* SourceButton(int source) const;
    QLabel* Glyph() const { return glyph; }

private:
    Instrument& session;
    QFrame* panel = nullptr;
    QLabel* glyph = nullptr;
    QString glyphName;
    std::array<QAbstractButton*, SourceCount> buttons{};
};
