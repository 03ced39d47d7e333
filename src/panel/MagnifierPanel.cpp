#include "panel/MagnifierPanel.h"

#include "core/ErrorGuard.h"
#include "instrument/Instrument.h"
#include "panel/PanelControls.h"

#include <QButtonGroup>
#include <QToolButton>

namespace {

struct FactorButtonSpec {
    int factor;
    QRect geometry;
    const char* caption;
    const char* hint;
};

// clang-format off
constexpr std::array<FactorButtonSpec, 3> FactorButtons{{
    {1, {2, 4, 30, 21},  "x1", "Time / Div x1"},
    {2, {34, 4, 30, 21}, "x2", "Time / Div x2"},
    {5, {66, 4, 30, 21}, "x5", "Time / Div x5"},
}};
// clang-format on

} // namespace

MagnifierPanel::MagnifierPanel(QWidget* parent, Instrument& owner)
    : QWidget(parent), session(owner) {
    resize(PanelSize);
    auto* group = new QButtonGroup(this);
    for (std::size_t i = 0; i < FactorButtons.size(); ++i) {
        const FactorButtonSpec& entry = FactorButtons[i];
        QToolButton* button =
            PanelControls::MakeButton(this, entry.geometry, QString::fromLatin1(entry.caption),
                                      QString::fromLatin1(entry.hint), true);
        PanelControls::SetBold(button);
        group->addButton(button);
        const int factor = entry.factor;
        connect(button, &QAbstractButton::clicked, this,
                GuardedSlot([this, factor] { session.SetMagnification(factor); }));
        buttons[i] = button;
    }
    connect(&session, &Instrument::magnificationChanged, this, &MagnifierPanel::ShowMagnification);
    ShowMagnification();
}

void MagnifierPanel::ShowMagnification() {
    if (QAbstractButton* button = FactorButton(session.Ram().Magnification()))
        button->setChecked(true);
}

QAbstractButton* MagnifierPanel::FactorButton(int factor) const {
    for (std::size_t i = 0; i < FactorButtons.size(); ++i)
        if (FactorButtons[i].factor == factor)
            return buttons[i];
    return nullptr;
}
