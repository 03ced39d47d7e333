#pragma once

#include <QWidget>
#include <array>

class ProgramServices;
class QAbstractButton;
class RamWindow;

// The magnifier: three exclusive toggle buttons "x1", "x2", "x5" that stretch the start of
// the sweep over the screen's width. A display setting only: nothing is sent or saved.
// Its size is 98 x 29; the main window places it at the top right of the time base group.
class MagnifierPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize PanelSize{98, 29};

    MagnifierPanel(QWidget* parent, ProgramServices& services, RamWindow& window);

    // The handler of "x1", "x2", "x5": the factor, RedrawScreen, then the step captions
    // (through magnificationChanged). Any other factor does nothing.
    void SetMagnification(int factor);
    // Puts the button of the window's current factor down, with nothing else.
    void ShowMagnification();

    QAbstractButton* FactorButton(int factor) const;

signals:
    void magnificationChanged(int factor);

private:
    ProgramServices& services;
    RamWindow& window;
    std::array<QAbstractButton*, 3> buttons{};
};
