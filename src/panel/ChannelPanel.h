#pragma once

#include "app/InstrumentSettings.h"

#include <QRect>
#include <QWidget>
#include <array>
#include <functional>

class DialView;
class ProgramServices;
class QAbstractButton;
class QFrame;
class QGroupBox;
class QLabel;
class QSlider;

// One channel's group (" Volts/Div VOIE A (Axe X) : " or " Volts/Div VOIE B (Axe Y) : "):
// the vertical position slider and its three buttons, the volts/div knob with its nine
// range buttons, the x1/x10 probe buttons and the coupling group. Fills the group box
// (297 x 281) from its top-left corner.
//
// Two levels of enabling: the group as a whole (switched by pause and by every command
// exchange) and the channel's controls one by one (on only while the channel's trace is
// on and the link is active). A control works only when both allow it. The trace switch
// sits beside the group's body, so neither a pause nor an exchange locks it.
class ChannelPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize GroupSize{297, 281};
    // Where the channel's trace switch goes, in the group's coordinates.
    static constexpr QRect TraceSwitchRect{16, 232, 57, 41};

    ChannelPanel(QWidget* parent, ProgramServices& services, Channel channel);

    Channel ChannelId() const { return channel; }

    // Handlers (a click, or the restore of link activation).
    void SelectVoltsPerDiv(int index); // rows 1..9 of VoltsPerDivTable
    void SelectCoupling(int value);    // 1 AC, 2 GND, 3 DC; puts its button down
    void SelectProbe(bool timesTen);   // display only: RedrawScreen, nothing saved or sent
    void PositionReleased();           // a mouse button released over the slider
    void CentrePosition();
    void StepPositionUp();
    void StepPositionDown();

    // Displays, without touching the box.
    void ShowVoltsPerDiv(int index);                         // knob and panel label
    void ShowCoupling(int value, bool putButtonDown = true); // coupling label and button
    void ShowPosition(int position);                         // slider only
    // Repaints the knob at its current angle in the channel's colour (settings line 10 or 11).
    void RedrawDial();

    // Enables the channel's controls by its trace switch and the link; shows the
    // position and probe buttons only while the link is active.
    void UpdateEnabling();
    void ApplyEnabling(bool linkActive);

    // Switches the group as a whole.
    void SetGroupEnabled(bool enabled);
    bool IsGroupEnabled() const;

    // The trace switch made by the screen: placed in TraceSwitchRect; showState shows a
    // new on/off state on the switch without running its handler (used by the presets).
    void PlaceTraceSwitch(QWidget* traceSwitch, std::function<void(bool on)> showState);
    // Sets traceOn and the switch's look and enabled state, without the switch's handler.
    void SetTraceSwitch(bool on, bool enabled);

    QSlider* PositionSlider() const { return slider; }
    QAbstractButton* UpButton() const { return upButton; }
    QAbstractButton* CentreButton() const { return centreButton; }
    QAbstractButton* DownButton() const { return downButton; }
    QAbstractButton* RangeButton(int index) const;
    QAbstractButton* CouplingButton(int value) const;
    QAbstractButton* ProbeButton(bool timesTen) const { return probeButtons[timesTen ? 1 : 0]; }
    QFrame* DialPanel() const { return dialPanel; }
    QGroupBox* CouplingGroup() const { return couplingGroup; }
    DialView* Dial() const { return dial; }
    QLabel* CouplingLabel() const { return couplingLabel; }
    QLabel* PanelLabel() const { return panelLabel; }
    QWidget* TraceSwitch() const { return traceSwitch; }

signals:
    // GND was chosen while the trigger was armed: the trigger now shows OFF.
    void triggerForcedOff();

private:
    ChannelSettings& Settings();
    QColor PointerColour() const;
    void SendPosition(int position);
    void StepPosition(int delta);

    ProgramServices& services;
    Channel channel;
    QWidget* body = nullptr;
    QSlider* slider = nullptr;
    QAbstractButton* upButton = nullptr;
    QAbstractButton* centreButton = nullptr;
    QAbstractButton* downButton = nullptr;
    QFrame* dialPanel = nullptr;
    DialView* dial = nullptr;
    std::array<QAbstractButton*, VoltsPerDivCount> rangeButtons{};
    std::array<QAbstractButton*, 2> probeButtons{};
    QGroupBox* couplingGroup = nullptr;
    std::array<QAbstractButton*, 3> couplingButtons{};
    QLabel* couplingLabel = nullptr;
    QLabel* panelLabel = nullptr;
    QWidget* traceSwitch = nullptr;
    std::function<void(bool)> showTraceState;
};
