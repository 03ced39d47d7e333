#pragma once

#include "core/InstrumentSettings.h"

#include <QRect>
#include <QWidget>
#include <array>
#include <functional>

class DialView;
class Instrument;
class QAbstractButton;
class QFrame;
class QGroupBox;
class QLabel;
class QSlider;

// The body of one channel's group (" Volts/Div VOIE A (Axe X) : " or " Volts/Div VOIE B
// (Axe Y) : "): the vertical position slider and its three buttons, the volts/div knob
// with its nine range buttons, the x1/x10 probe buttons and the coupling group. Fills the
// group box (297 x 281) from its top-left corner. Its controls call the session; it
// shows the channel's state as the session announces it.
//
// Two levels of enabling: the group box as a whole (switched by pause and by every
// command exchange, by the front panel) and the channel's controls one by one (on while
// the session says so: the trace switch is on and the link is active).
class ChannelPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize GroupSize{297, 281};
    // Where the channel's trace switch stands, in the group's coordinates.
    static constexpr QRect TraceSwitchRect{16, 232, 57, 41};

    ChannelPanel(QWidget* parent, Instrument& session, Channel channel);

    Channel ChannelId() const { return channel; }

    // Displays of the channel's state.
    void ShowVoltsPerDiv();
    void ShowCoupling();
    void ShowProbe();
    void ShowPosition();
    void ShowControlsEnabled();
    // The probe and the position buttons are shown only while the link is active.
    void ShowLinkControls(bool shown);
    // Repaints the knob at its current angle in the channel's colour (SettingsLine::ColourA or
    // ColourB).
    void RedrawDial();

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

private:
    const ChannelSettings& Settings() const;
    QColor PointerColour() const;

    Instrument& session;
    Channel channel;
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
};
