#include "panel/MagnifierPanel.h"

#include "app/ErrorGuard.h"
#include "app/ProgramServices.h"
#include "panel/PanelControls.h"
#include "screen/RamWindow.h"

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

MagnifierPanel::MagnifierPanel(QWidget* parent, ProgramServices& services, RamWindow& window)
    : QWidget(parent), services(services), window(window) {
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
                GuardedSlot([this, factor] { SetMagnification(factor); }));
        buttons[i] = button;
    }
    ShowMagnification();
}

void MagnifierPanel::SetMagnification(int factor) {
    if (!window.SetMagnification(factor))
        return;
    ShowMagnification();
    services.RedrawScreen();
    emit magnificationChanged(factor);
}

void MagnifierPanel::ShowMagnification() {
    if (QAbstractButton* button = FactorButton(window.Magnification()))
        button->setChecked(true);
}

QAbstractButton* MagnifierPanel::FactorButton(int factor) const {
    for (std::size_t i = 0; i < FactorButtons.size(); ++i)
        if (FactorButtons[i].factor == factor)
            return buttons[i];
    return nullptr;
}
