#include "dialogs/MessageBoxes.h"

#include "core/Messages.h"

#include <QMessageBox>
#include <QPointer>

void InstallMessageBoxes(QWidget* mainWindow) {
    QPointer<QWidget> fallback(mainWindow);
    Messages::SetPresenter([fallback](Messages::Kind kind, const QString& text, QObject* near) {
        QWidget* parent = qobject_cast<QWidget*>(near);
        if (!parent)
            parent = fallback.data();
        const QMessageBox::Icon icon = kind == Messages::Kind::Warning ? QMessageBox::Warning
                                       : kind == Messages::Kind::Error ? QMessageBox::Critical
                                                                       : QMessageBox::Information;
        QMessageBox box(icon, Messages::Title(kind), text, QMessageBox::Ok, parent);
        box.exec();
    });
}
