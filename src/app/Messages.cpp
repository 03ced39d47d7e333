#include "app/Messages.h"

#include <QMessageBox>

namespace {
Messages::Handler& CurrentHandler() {
    static Messages::Handler handler;
    return handler;
}
} // namespace

namespace Messages {

QString Title(Kind kind) {
    switch (kind) {
    case Kind::Warning:
        return QStringLiteral("Avertissement");
    case Kind::Error:
        return QStringLiteral("Erreur");
    case Kind::Information:
        return QStringLiteral("Information");
    }
    return {};
}

void Show(Kind kind, const QString& text, QWidget* parent) {
    if (CurrentHandler()) {
        CurrentHandler()(kind, text);
        return;
    }
    const QMessageBox::Icon icon = kind == Kind::Warning ? QMessageBox::Warning
                                   : kind == Kind::Error ? QMessageBox::Critical
                                                         : QMessageBox::Information;
    QMessageBox box(icon, Title(kind), text, QMessageBox::Ok, parent);
    box.exec();
}

Handler SetHandler(Handler handler) {
    Handler previous = std::move(CurrentHandler());
    CurrentHandler() = std::move(handler);
    return previous;
}

} // namespace Messages
