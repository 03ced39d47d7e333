#include "dialogs/MenuStyleWindow.h"

#include "core/SettingsLines.h"
#include "instrument/Instrument.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>

MenuStyleWindow::MenuStyleWindow(QWidget* parent, Instrument& owner)
    : AuxiliaryWindow(parent), session(owner) {
    setWindowTitle(QStringLiteral("Types de menus déroulant"));
    setFixedSize(ClientWidth, ClientHeight);

    group =
        new QGroupBox(QStringLiteral(" Quels types de menus déroulant souhaitez-vous ? "), this);
    group->setGeometry(8, 8, 314, 78);
    officeXp = new QRadioButton(QStringLiteral("Menus de type Microsoft Office XP."), group);
    officeXp->setGeometry(16, 22, 290, 20);
    conventional = new QRadioButton(QStringLiteral("Menus de type conventionnel."), group);
    conventional->setGeometry(16, 48, 290, 20);
    choice = new QButtonGroup(this);
    choice->addButton(officeXp);
    choice->addButton(conventional);

    AddHelpButton(QStringLiteral("&Aide"), QStringLiteral("rub15"), {88, 96, 75, 25});
    AddOkButton({176, 96, 75, 25});
}

void MenuStyleWindow::Activated() {
    // Neither line on: no button selected, which an exclusive group does not allow.
    choice->setExclusive(false);
    officeXp->setChecked(false);
    conventional->setChecked(false);
    choice->setExclusive(true);
    const PersistedSettings& lines = session.Settings();
    if (lines.IsOn(SettingsLine::MenuStyleFirst))
        officeXp->setChecked(true);
    if (lines.IsOn(SettingsLine::MenuStyleSecond))
        conventional->setChecked(true);
}

void MenuStyleWindow::Closing() {
    session.SetMenuStyle(officeXp->isChecked(), conventional->isChecked());
}
