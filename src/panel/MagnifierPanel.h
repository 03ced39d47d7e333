#pragma once

#include <QWidget>
#include <array>

class Instrument;
class QAbstractButton;

// The magnifier: three exclusive toggle buttons "x1", "x2", "x5" that stretch the start of
// the sweep over the screen's width. A display setting only: nothing is sent or saved.
// Its size is 98 x 29; the main window places it at the top right of the time base group.
class MagnifierPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize PanelSize{98, 29};

    // "x1", "x2" and "x5" call the session's SetMagnification.
    MagnifierPanel(QWidget* parent, Instrument& session);

    // Puts the button of the session's factor down.
    void ShowMagnification();

    QAbstractButton* FactorButton(int factor) const;

private:
    Instrument& session;
    std::array<QAbstractButton*, 3> buttons{};
};
