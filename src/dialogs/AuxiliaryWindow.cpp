#include "dialogs/AuxiliaryWindow.h"

#include "core/ErrorGuard.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

void ShowOnTop(QWidget* window, bool& placed) {
    if (window->isVisible()) {
        window->raise();
        window->activateWindow();
        return;
    }
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (!placed) {
        placed = true;
        const QWidget* owner = window->parentWidget();
        if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
            window->move(screen->availableGeometry().center() - window->rect().center());
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void HideAndRestack(QWidget* window) {
    window->hide();
    if (window->windowFlags() & Qt::WindowStaysOnTopHint)
        window->setWindowFlag(Qt::WindowStaysOnTopHint, false);
    if (QWidget* owner = window->parentWidget())
        owner->activateWindow();
}

AuxiliaryWindow::AuxiliaryWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {}

void AuxiliaryWindow::ShowOnTop() {
    ::ShowOnTop(this, placed);
}

QPushButton* AuxiliaryWindow::AddButton(const QString& caption, const QString& hint,
                                        const QRect& geometry) {
    auto* button = new QPushButton(caption, this);
    button->setToolTip(hint);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QPushButton* AuxiliaryWindow::AddOkButton(const QRect& geometry) {
    QPushButton* ok =
        AddButton(QStringLiteral("OK"), QStringLiteral("Fermer la fenêtre..."), geometry);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    return ok;
}

QPushButton* AuxiliaryWindow::AddHelpButton(const QString& caption, const QString& topic,
                                            const QRect& geometry) {
    QPushButton* help = AddButton(caption, QStringLiteral("Appel au fichier d'aide..."), geometry);
    connect(help, &QPushButton::clicked, this, [this, topic] { emit helpRequested(topic); });
    return help;
}

bool AuxiliaryWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        Guarded([this] { Activated(); });
    return QDialog::event(e);
}

void AuxiliaryWindow::closeEvent(QCloseEvent* e) {
    Guarded([this] { Closing(); });
    e->accept();
    HideAndRestack(this);
}

void AuxiliaryWindow::reject() {
    close();
}
