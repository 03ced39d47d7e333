#include "dialogs/StartupParametersWindow.h"

#include "core/ErrorGuard.h"
#include "core/Messages.h"
#include "core/SettingsLines.h"
#include "core/StartupParameters.h"
#include "instrument/Instrument.h"
#include "output/SaveFileDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

// clang-format off
const char* const GroupLabels[StartupParametersWindow::GroupCount] = {
    "Calibres Time / Div",
    "Trigger : Voie A, Voie B et Externe",
    "Position des interrupteurs ON/OFF : Voie A et Voie B",
    "Couplage d'entrée AC, DC et GND : Voie A et Voie B",
    "Calibres Volts / Div : Voie A et Voie B",
    "Position verticale des traces : Voie A et Voie B",
};
// clang-format on

constexpr int RowHeight = 24;

} // namespace

const QString StartupParametersWindow::SaveQuestion =
    QStringLiteral("Êtes-vous sûr de vouloir sauvegarder vos paramètres personnels ?");
const QString StartupParametersWindow::ClearQuestion =
    QStringLiteral("Êtes-vous sûr de vouloir revenir aux paramètres d'origines ?");

StartupParametersWindow::StartupParametersWindow(QWidget* parent, Instrument& owner)
    : AuxiliaryWindow(parent), session(owner), ask(AskYesNo) {
    setWindowTitle(QStringLiteral("Paramètres de démarrage"));
    setFixedSize(433, 222);

    auto* group = new QGroupBox(
        QStringLiteral(" Sélectionnez les paramètres à modifier au démarrage du logiciel : "),
        this);
    group->setGeometry(8, 8, 417, 30 + GroupCount * RowHeight);
    for (int row = 0; row < GroupCount; ++row) {
        const int top = 22 + row * RowHeight;
        auto* box = new QCheckBox(group);
        box->setGeometry(16, top, 20, 18);
        auto* label = new QLabel(QString::fromUtf8(GroupLabels[row]), group);
        label->setGeometry(40, top, 370, 18);
        label->setBuddy(box);
        connect(box, &QCheckBox::toggled, this,
                GuardedSlot([this, row](bool checked) { Toggled(row, checked); }));
        boxes[static_cast<std::size_t>(row)] = box;
        labels[static_cast<std::size_t>(row)] = label;
    }

    const int buttonsTop = 30 + GroupCount * RowHeight + 22;
    AddHelpButton(QStringLiteral("&Aide"), QStringLiteral("rub59"), {8, buttonsTop, 97, 25});
    clear =
        AddButton(QStringLiteral("Effacer"), QStringLiteral("Revenir aux paramètres d'origines..."),
                  {114, buttonsTop, 97, 25});
    save = AddButton(QStringLiteral("Sauvegarder"),
                     QStringLiteral("Sauvegarder vos paramètres personnels..."),
                     {220, buttonsTop, 97, 25});
    AddOkButton({328, buttonsTop, 97, 25});
    connect(save, &QPushButton::clicked, this, GuardedSlot([this] { SavePersonal(); }));
    connect(clear, &QPushButton::clicked, this, GuardedSlot([this] { ClearPersonal(); }));

    // SettingsLine::PersonalSaved, read once.
    switch (StartupParameters::StateOf(session.Settings().Line(SettingsLine::PersonalSaved))) {
    case StartupParameters::State::Origin:
        SetGroupsEnabled(false);
        clear->setEnabled(false);
        break;
    case StartupParameters::State::Personal:
        save->setEnabled(false);
        break;
    case StartupParameters::State::Other:
        break;
    }
}

void StartupParametersWindow::SetGroupsEnabled(bool enabled) {
    for (int row = 0; row < GroupCount; ++row) {
        boxes[static_cast<std::size_t>(row)]->setEnabled(enabled);
        labels[static_cast<std::size_t>(row)]->setEnabled(enabled);
    }
}

void StartupParametersWindow::Toggled(int row, bool checked) {
    mirror = StartupParameters::MaskAfterToggle(
        mirror, StartupParameters::GroupBits[static_cast<std::size_t>(row)], checked);
    session.SetRestoreMask(mirror);
}

void StartupParametersWindow::Activated() {
    const int mask = session.Settings().Number(SettingsLine::RestoreMask);
    for (int row = 0; row < GroupCount; ++row)
        boxes[static_cast<std::size_t>(row)]->setChecked(
            mask & StartupParameters::GroupBits[static_cast<std::size_t>(row)]);
}

void StartupParametersWindow::SavePersonal() {
    if (!ask(SaveQuestion, this))
        return;
    session.StorePersonalStartup();
    SetGroupsEnabled(true);
    for (QCheckBox* box : boxes)
        box->setChecked(true);
    save->setEnabled(false);
    clear->setEnabled(true);
}

void StartupParametersWindow::ClearPersonal() {
    if (!ask(ClearQuestion, this))
        return;
    for (QCheckBox* box : boxes)
        box->setChecked(false);
    session.ClearPersonalStartup(); // the saved start-up lines, the restore mask "0", PersonalSaved
                                    // "0"
    SetGroupsEnabled(false);
    clear->setEnabled(false);
    save->setEnabled(true);
}
