#include "panel/TranslationPanel.h"

#include "core/ErrorGuard.h"
#include "instrument/Instrument.h"
#include "panel/PanelControls.h"

#include <QFrame>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

namespace {

using namespace PanelControls;

constexpr QRect PanelRect{8, 16, 273, 121};
constexpr int StepLeft = 8;
constexpr int StepTop = 6;
constexpr int ColumnPitch = 88;
constexpr int RowPitch = 16;
constexpr QSize StepSize{84, 16};
constexpr QPoint RangeLabelPosition{8, 74};

struct MoveButton {
    QRect geometry;
    const char* caption;
    const char* hint;
};

// clang-format off
constexpr std::array<MoveButton, 3> MoveButtons{{
    {{8, 92, 81, 22},   "<",     "Translation de la fenêtre à gauche"},
    {{96, 92, 81, 22},  "> | <", "Retour à zéro de la fenêtre de translation"},
    {{184, 92, 81, 22}, ">",     "Translation de la fenêtre à droite"},
}};
// clang-format on

} // namespace

TranslationPanel::TranslationPanel(QWidget* parent, Instrument& owner)
    : QWidget(parent), session(owner) {
    setGeometry(QRect(QPoint(0, 0), GroupSize));
    panel = MakeBorderedPanel(this, PanelRect);

    for (int index = 1; index <= RamWindow::StepCount; ++index) {
        auto* step = new QRadioButton(panel);
        const QPoint place(StepLeft + (RamWindow::StepColumn(index) - 1) * ColumnPitch,
                           StepTop + (RamWindow::StepRow(index) - 1) * RowPitch);
        step->setGeometry(QRect(place, StepSize));
        step->setFocusPolicy(Qt::NoFocus);
        SetHint(step, RamWindow::StepHint(index));
        connect(step, &QRadioButton::toggled, this, GuardedSlot([this, index](bool checked) {
                    if (checked)
                        session.SelectStep(index);
                }));
        steps[static_cast<std::size_t>(index - 1)] = step;
    }

    rangeLabel = MakeLabel(panel, RangeLabelPosition, {});

    std::array<QAbstractButton*, 3> made{};
    for (std::size_t i = 0; i < MoveButtons.size(); ++i) {
        const MoveButton& entry = MoveButtons[i];
        made[i] = MakeButton(panel, entry.geometry, QString::fromLatin1(entry.caption),
                             QString::fromUtf8(entry.hint));
        SetBold(made[i]);
    }
    leftButton = made[0];
    resetButton = made[1];
    rightButton = made[2];
    connect(leftButton, &QAbstractButton::clicked, this,
            GuardedSlot([this] { session.TranslateLeft(); }));
    connect(resetButton, &QAbstractButton::clicked, this,
            GuardedSlot([this] { session.ResetTranslation(); }));
    connect(rightButton, &QAbstractButton::clicked, this,
            GuardedSlot([this] { session.TranslateRight(); }));

    connect(&session, &Instrument::translationChanged, this, &TranslationPanel::ShowButtons);
    connect(&session, &Instrument::windowRangeChanged, this, &TranslationPanel::ShowRange);
    connect(&session, &Instrument::stepChanged, this, &TranslationPanel::ShowStep);
    connect(&session, &Instrument::magnificationChanged, this, &TranslationPanel::ShowStepCaptions);

    ShowStepCaptions();
    ShowStep();
    ShowButtons();
    ShowRange();
}

void TranslationPanel::ShowButtons() {
    const RamWindow& ram = session.Ram();
    leftButton->setEnabled(ram.LeftEnabled());
    resetButton->setEnabled(ram.ResetEnabled());
    rightButton->setEnabled(ram.RightEnabled());
}

void TranslationPanel::ShowRange() {
    SetLabelText(rangeLabel, session.Ram().RangeLabel());
}

void TranslationPanel::ShowStep() {
    if (QRadioButton* step = StepButton(session.Ram().Step()))
        step->setChecked(true);
}

void TranslationPanel::ShowStepCaptions() {
    for (int index = 1; index <= RamWindow::StepCount; ++index)
        steps[static_cast<std::size_t>(index - 1)]->setText(
            RamWindow::StepCaption(index, session.Ram().Magnification()));
}

void TranslationPanel::SetStepsEnabled(bool enabled) {
    for (QRadioButton* step : steps)
        step->setEnabled(enabled);
}

QRadioButton* TranslationPanel::StepButton(int index) const {
    if (index < 1 || index > RamWindow::StepCount)
        return nullptr;
    return steps[static_cast<std::size_t>(index - 1)];
}
