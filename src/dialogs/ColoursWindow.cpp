#include "dialogs/ColoursWindow.h"

#include "core/Colour.h"
#include "core/ErrorGuard.h"
#include "core/PersistedSettings.h"
#include "core/SettingsLines.h"
#include "instrument/Instrument.h"

#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

struct ColourRow {
    const char* label;
    int line;
};

// clang-format off
const ColourRow ColourRows[ColoursWindow::RowCount] = {
    {"Couleur Heure et Date :",    SettingsLine::ClockColour},
    {"Couleur du graticule :",     SettingsLine::GraticuleColour},
    {"Couleur de la VOIE A : ",    SettingsLine::ColourA},
    {"Couleur de la VOIE B : ",    SettingsLine::ColourB},
    {"Couleur des marqueurs :",    SettingsLine::MarkerColour},
    {"Couleur fonctions Math :",   SettingsLine::MathColour},
    {"Couleur gradient spectre :", SettingsLine::SpectrumBackground},
};
// clang-format on

constexpr int RowHeight = 30;

std::optional<QColor> PlatformChooser(const QColor& start, QWidget* parent) {
    // A child of the window, so that it opens above a window that stays on top.
    const QColor chosen = QColorDialog::getColor(start, parent);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

} // namespace

void ColourSwatch::SetColour(const QColor& c) {
    colour = c;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), colour);
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

int ColoursWindow::LineOf(int row) {
    return ColourRows[row].line;
}

ColoursWindow::ColoursWindow(QWidget* parent, Instrument& owner)
    : AuxiliaryWindow(parent), session(owner), choose(PlatformChooser) {
    setWindowTitle(QStringLiteral("Couleurs"));
    setFixedSize(345, 302);

    auto* group = new QGroupBox(QStringLiteral(" Sélection des couleurs : "), this);
    group->setGeometry(8, 8, 329, 34 + RowCount * RowHeight - 6);
    for (int row = 0; row < RowCount; ++row) {
        const int top = 22 + row * RowHeight;
        auto* label = new QLabel(QString::fromUtf8(ColourRows[row].label), group);
        label->setGeometry(12, top + 3, 160, 18);
        auto* swatch = new ColourSwatch(group);
        swatch->setGeometry(176, top, 57, 24);
        auto* button = new QPushButton(QStringLiteral("Modifier..."), group);
        button->setGeometry(241, top, 77, 25);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, GuardedSlot([this, row] { Modify(row); }));
        swatches[static_cast<std::size_t>(row)] = swatch;
        modify[static_cast<std::size_t>(row)] = button;
    }

    QPushButton* defaults =
        AddButton(QStringLiteral("Couleurs par défaut"),
                  QStringLiteral("Revenir aux couleurs d'origines..."), {8, 268, 129, 25});
    connect(defaults, &QPushButton::clicked, this, GuardedSlot([this] { RestoreDefaults(); }));
    AddHelpButton(QStringLiteral("&Aide"), QStringLiteral("rub14"), {152, 268, 85, 25});
    AddOkButton({252, 268, 85, 25});
}

void ColoursWindow::Show(int row, const QColor& colour) {
    swatches[static_cast<std::size_t>(row)]->SetColour(colour);
    starts[static_cast<std::size_t>(row)] = colour;
}

void ColoursWindow::Activated() {
    for (int row = 0; row < RowCount; ++row)
        Show(row, session.Settings().Colour(LineOf(row)));
}

void ColoursWindow::Modify(int row) {
    if (row < 0 || row >= RowCount)
        return;
    const std::optional<QColor> chosen = choose(StartColour(row), this);
    if (!chosen)
        return;
    const int bgr = SettingFromColour(*chosen);
    Show(row, ColourFromSetting(bgr));
    session.SetDisplayColour(LineOf(row), bgr);
}

void ColoursWindow::RestoreDefaults() {
    for (int row = 0; row < RowCount; ++row) {
        const int bgr = PersistedSettings::FallbackText(LineOf(row)).toInt();
        Show(row, ColourFromSetting(bgr));
        session.SetDisplayColour(LineOf(row), bgr);
    }
}
