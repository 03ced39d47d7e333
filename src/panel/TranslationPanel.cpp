#include "panel/TranslationPanel.h"

#include "app/Messages.h"

#include "app/ErrorGuard.h"
#include "app/InstrumentSettings.h"
#include "app/ProgramServices.h"
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

const QString TranslationPanel::UpperLimitMessage =
    QStringLiteral("               Dernière  translation...\r\nVous avez atteint la limite "
                   "supérieure de la RAM !");

TranslationPanel::TranslationPanel(QWidget* parent, ProgramServices& services, RamWindow& window)
    : QWidget(parent), services(services), window(window) {
    setGeometry(QRect(QPoint(0, 0), GroupSize));
    showMessage = [this](const QString& text) {
        Messages::Show(Messages::Kind::Information, text, this);
    };
    panel = MakeBorderedPanel(this, PanelRect);

    for (int index = 1; index <= RamWindow::StepCount; ++index) {
        auto* step = new QRadioButton(panel);
        const QPoint place(StepLeft + (RamWindow::StepColumn(index) - 1) * ColumnPitch,
                           StepTop + (RamWindow::StepRow(index) - 1) * RowPitch);
        step->setGeometry(QRect(place, StepSize));
        step->setFocusPolicy(Qt::NoFocus);
        SetHint(step, RamWindow::StepHint(index));
        connect(step, &QRadioButton::toggled, this, [this, index](bool checked) {
            if (checked)
                this->window.SetStep(index);
        });
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
    connect(leftButton, &QAbstractButton::clicked, this, GuardedSlot([this] { TranslateLeft(); }));
    connect(resetButton, &QAbstractButton::clicked, this,
            GuardedSlot([this] { ResetTranslation(); }));
    connect(rightButton, &QAbstractButton::clicked, this,
            GuardedSlot([this] { TranslateRight(); }));

    ShowStepCaptions();
    ShowStartState();
}

void TranslationPanel::SetMessageShower(std::function<void(const QString&)> shower) {
    showMessage = std::move(shower);
}

void TranslationPanel::TranslateRight() {
    const RamWindow::Move move = window.TranslateRight();
    if (move.upperLimitReached) {
        rightButton->setEnabled(false);
        leftButton->setEnabled(true);
        if (showMessage)
            showMessage(UpperLimitMessage);
    }
    if (move.start > 0) {
        leftButton->setEnabled(true);
        resetButton->setEnabled(true);
    }
    AfterMove(move);
}

void TranslationPanel::TranslateLeft() {
    const RamWindow::Move move = window.TranslateLeft();
    rightButton->setEnabled(true);
    if (move.start == 0) {
        leftButton->setEnabled(false);
        resetButton->setEnabled(false);
    }
    AfterMove(move);
}

void TranslationPanel::ResetTranslation() {
    const RamWindow::Move move = window.ResetTranslation();
    rightButton->setEnabled(true);
    leftButton->setEnabled(false);
    resetButton->setEnabled(false);
    AfterMove(move);
}

void TranslationPanel::AfterMove(const RamWindow::Move& move) {
    SetLabelText(rangeLabel, window.RangeLabel());
    services.SendCommand(move.command);
    if (!services.Instrument().running)
        emit instrumentGroupsEnabled(false);
}

void TranslationPanel::ShowStepCaptions() {
    for (int index = 1; index <= RamWindow::StepCount; ++index)
        steps[static_cast<std::size_t>(index - 1)]->setText(
            RamWindow::StepCaption(index, window.Magnification()));
}

void TranslationPanel::ShowStartState() {
    window.SetStep(RamWindow::DefaultStep);
    steps[static_cast<std::size_t>(RamWindow::DefaultStep - 1)]->setChecked(true);
    leftButton->setEnabled(window.Start() > 0);
    resetButton->setEnabled(window.Start() > 0);
    SetLabelText(rangeLabel, window.RangeLabel());
}

void TranslationPanel::SetStepsAndRightEnabled(bool enabled) {
    for (QRadioButton* step : steps)
        step->setEnabled(enabled);
    rightButton->setEnabled(enabled);
}

void TranslationPanel::SetGroupEnabled(bool enabled) {
    setEnabled(enabled);
}

QRadioButton* TranslationPanel::StepButton(int index) const {
    if (index < 1 || index > RamWindow::StepCount)
        return nullptr;
    return steps[static_cast<std::size_t>(index - 1)];
}
