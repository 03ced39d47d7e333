#include "dialogs/PortSelectionDialog.h"

#include "core/ErrorGuard.h"
#include "dialogs/AuxiliaryWindow.h"
#include "instrument/Instrument.h"
#include "link/SerialLink.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace {

QPushButton* Button(QWidget* parent, const QString& caption, const QString& hint, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setToolTip(hint);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace

const QString PortSelectionDialog::Invitation =
    QStringLiteral("Cliquez sur la flèche de droite --------------------->");

PortSelectionDialog::PortSelectionDialog(QWidget* parent, Instrument& owner)
    : PortSelectionDialog(parent, owner, PortLister(AvailablePorts)) {}

PortSelectionDialog::PortSelectionDialog(QWidget* parent, Instrument& owner, QStringList names)
    : PortSelectionDialog(parent, owner, PortLister([names] { return names; })) {}

PortSelectionDialog::PortSelectionDialog(QWidget* parent, Instrument& owner, PortLister list)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), session(owner),
      lister(std::move(list)) {
    setWindowTitle(QStringLiteral("Port RS232 physique ou virtuel USB"));
    setFixedSize(ClientWidth, ClientHeight);

    group = new QGroupBox(QStringLiteral(" Sélection du port : "), this);
    group->setGeometry(8, 8, 337, 51);
    ports = new QComboBox(group);
    ports->setEditable(true);
    ports->setInsertPolicy(QComboBox::NoInsert);
    ports->setGeometry(37, 20, 268, ports->sizeHint().height());
    // Text typed into the field is never taken, not even a listed name confirmed with
    // Enter: only a pick from the list chooses a port.
    ports->lineEdit()->installEventFilter(this);

    confirmation = new QLabel(this);
    QFont bold = confirmation->font();
    bold.setBold(true);
    confirmation->setFont(bold);
    confirmation->setStyleSheet(QStringLiteral("color: blue;"));
    confirmation->move(0, 65);
    confirmation->hide();

    ok = Button(this, QStringLiteral("OK"), QStringLiteral("Fermer la fenêtre..."),
                {246, 83, 65, 25});
    helpRs232 = Button(this, QStringLiteral("&Aide RS232"),
                       QStringLiteral("Appel au fichier d'aide RS232..."), {136, 83, 93, 25});
    helpUsb = Button(this, QStringLiteral("A&ide USB"),
                     QStringLiteral("Appel au fichier d'aide USB..."), {40, 83, 81, 25});

    // The ports of the machine, sorted as text, and the port of the settings.
    ListPorts();
    ports->setEditText(session.Settings().Line(SettingsLine::Port));

    connect(ports, &QComboBox::activated, this, GuardedSlot([this](int index) { Picked(index); }));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(helpRs232, &QPushButton::clicked, this,
            [this] { emit helpRequested(QStringLiteral("rub11")); });
    connect(helpUsb, &QPushButton::clicked, this,
            [this] { emit helpRequested(QStringLiteral("rub61")); });
    // "OK" and the keyboard hide the dialog and return it to normal stacking.
    // The main window becomes the active window again: that is where the choice is saved.
    connect(this, &QDialog::finished, this, [this] { HideAndRestack(this); });
}

PortSelectionDialog::~PortSelectionDialog() {
    // The list may still report a pick while the dialog's widgets are being destroyed
    // (its pop-up closing): by then this dialog is gone.
    disconnect(ports, nullptr, this, nullptr);
}

void PortSelectionDialog::ShowOnTop() {
    if (session.Reconnecting()) {
        const QString shown = ports->currentText();
        ListPorts();
        ports->setEditText(shown);
    }
    ::ShowOnTop(this, placed);
}

void PortSelectionDialog::ListPorts() {
    QStringList names = lister ? lister() : QStringList();
    std::sort(names.begin(), names.end());
    ports->clear();
    ports->addItems(names);
    ports->setCurrentIndex(-1);
}

bool PortSelectionDialog::eventFilter(QObject* watched, QEvent* e) {
    if (watched == ports->lineEdit() && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(watched, e);
}

bool PortSelectionDialog::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        Guarded([this] { Activated(); });
    return QDialog::event(e);
}

void PortSelectionDialog::Activated() {
    if (session.Settings().Number(SettingsLine::PortChosen) != 0)
        return;
    ports->setEditText(Invitation);
    session.MarkPortQuestionAsked();
}

void PortSelectionDialog::Picked(int index) {
    if (index < 0 || index >= ports->count())
        return;
    const QString name = ports->itemText(index);
    confirmation->setText(QStringLiteral("Vous avez sélectionné le port ") + name);
    confirmation->adjustSize();
    confirmation->show();
    // Centred under the list: (dialog width - label width) / 2 - 4, ties to even.
    const double left = (width() - confirmation->width()) / 2.0 - 4;
    confirmation->move(int(std::nearbyint(left)), 65);
    session.ChoosePort(name);
}
