#include "dialogs/GraticuleOptionsWindow.h"

#include "core/SettingsLines.h"
#include "instrument/Instrument.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

namespace {

struct OptionRow {
    int group; // index into GroupRows
    const char* caption;
    int line;
};

struct GroupRow {
    const char* caption;
    QRect geometry;
};

// clang-format off
const GroupRow GroupRows[] = {
    {" Graticule : ",    {8, 8, 257, 65}},
    {" Heure / Date : ", {8, 80, 257, 65}},
    {" Effets : ",       {8, 152, 257, 45}},
};

const OptionRow OptionRows[GraticuleOptionsWindow::OptionCount] = {
    {0, "Subdivisions périphériques",     SettingsLine::OuterTicks},
    {0, "Indicateurs du temps de montée", SettingsLine::RiseTimeLines},
    {1, "Heure",                          SettingsLine::ShowTime},
    {1, "Date",                           SettingsLine::ShowDate},
    {2, "Effets sonores",                 SettingsLine::Sound},
};
// clang-format on

} // namespace

int GraticuleOptionsWindow::LineOf(int index) {
    return OptionRows[index].line;
}

GraticuleOptionsWindow::GraticuleOptionsWindow(QWidget* parent, Instrument& owner)
    : AuxiliaryWindow(parent), session(owner) {
    setWindowTitle(QStringLiteral("Graticule"));
    setFixedSize(273, 240);

    QGroupBox* groups[std::size(GroupRows)];
    int rowInGroup[std::size(GroupRows)] = {};
    for (std::size_t g = 0; g < std::size(GroupRows); ++g) {
        groups[g] = new QGroupBox(QString::fromUtf8(GroupRows[g].caption), this);
        groups[g]->setGeometry(GroupRows[g].geometry);
    }
    for (int i = 0; i < OptionCount; ++i) {
        const OptionRow& row = OptionRows[i];
        auto* box = new QCheckBox(QString::fromUtf8(row.caption), groups[row.group]);
        box->setGeometry(16, 20 + 20 * rowInGroup[row.group]++, 230, 18);
        boxes[static_cast<std::size_t>(i)] = box;
    }

    // What start-up found: a machine without a sound device cannot switch sounds on.
    const PersistedSettings& settings = session.Settings();
    QCheckBox* sound = boxes[OptionCount - 1];
    if (settings.IsOn(SettingsLine::SoundDevice))
        sound->setEnabled(true);
    else if (settings.Line(SettingsLine::SoundDevice) ==
             PersistedSettings::OffWord(SettingsLine::SoundDevice))
        sound->setEnabled(false);

    AddHelpButton(QStringLiteral("&Aide"), QStringLiteral("rub13"), {24, 206, 105, 25});
    AddOkButton({144, 206, 105, 25});
}

void GraticuleOptionsWindow::Activated() {
    for (int i = 0; i < OptionCount; ++i)
        if (session.Settings().IsOn(LineOf(i)))
            boxes[static_cast<std::size_t>(i)]->setChecked(true);
}

void GraticuleOptionsWindow::Closing() {
    for (int i = 0; i < OptionCount; ++i)
        session.SetDisplayOption(LineOf(i), boxes[static_cast<std::size_t>(i)]->isChecked());
}
