#include "dialogs/MenuStyleWindow.h"

#include "core/SettingsLines.h"
#include "instrument/Instrument.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

MenuStyleWindow::MenuStyleWindow(QWidget* parent, Instrument& owner)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      session(owner) {
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

    help = new QPushButton(QStringLiteral("&Aide"), this);
    help->setToolTip(QStringLiteral("Appel au fichier d'aide..."));
    help->setGeometry(88, 96, 75, 25);
    help->setAutoDefault(false);
    ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setToolTip(QStringLiteral("Fermer la fenêtre..."));
    ok->setGeometry(176, 96, 75, 25);
    ok->setAutoDefault(false);

    connect(help, &QPushButton::clicked, this,
            [this] { emit helpRequested(QStringLiteral("rub15")); });
    connect(ok, &QPushButton::clicked, this, &MenuStyleWindow::WriteAndHide);
}

void MenuStyleWindow::ShowOnTop() {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (QScreen* screen =
            parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
}

// The close box and Escape end here as "OK" does.
void MenuStyleWindow::reject() {
    WriteAndHide();
}

bool MenuStyleWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        Activated();
    return QDialog::event(e);
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

void MenuStyleWindow::WriteAndHide() {
    session.SetMenuStyle(officeXp->isChecked(), conventional->isChecked());
    hide();
    setResult(QDialog::Accepted);
    // Back to normal stacking; the main window, active again, writes the file.
    if (windowFlags() & Qt::WindowStaysOnTopHint)
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
    if (parentWidget())
        parentWidget()->activateWindow();
}
