#pragma once

#include "dialogs/AuxiliaryWindow.h"

#include <array>

class Instrument;
class QCheckBox;
class QGroupBox;

// "Graticule": the peripheral subdivisions and rise-time lines of the graticule, the time
// and the date on the screen, and the sound effects, one check box per settings line.
// The boxes keep their states between openings. Becoming active checks the boxes whose
// line is on and leaves the others as they are; "OK" and the close box write the five
// lines from the boxes, in memory only. "Effets sonores" can be used only on a machine
// that can play sounds, as start-up found it (SettingsLine::SoundDevice) before the window was
// made.
class GraticuleOptionsWindow : public AuxiliaryWindow {
    Q_OBJECT
public:
    static constexpr int OptionCount = 5;

    GraticuleOptionsWindow(QWidget* parent, Instrument& session);

    // The boxes in the order of their lines: 2, 3, 4, 5, 14.
    QCheckBox* Option(int index) const { return boxes[static_cast<std::size_t>(index)]; }
    static int LineOf(int index);

protected:
    void Activated() override;
    void Closing() override;

private:
    Instrument& session;
    std::array<QCheckBox*, OptionCount> boxes{};
};
