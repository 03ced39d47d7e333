#include "core/Messages.h"

#include <QDebug>

namespace {
Messages::Handler& CurrentHandler() {
    static Messages::Handler handler;
    return handler;
}
Messages::Handler& Presenter() {
    static Messages::Handler presenter;
    return presenter;
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

void Show(Kind kind, const QString& text, QObject* near) {
    if (CurrentHandler()) {
        CurrentHandler()(kind, text, near);
        return;
    }
    if (Presenter()) {
        Presenter()(kind, text, near);
        return;
    }
    qWarning().noquote() << Title(kind) << ":" << text;
}

void SetPresenter(Handler presenter) {
    Presenter() = std::move(presenter);
}

Handler SetHandler(Handler handler) {
    Handler previous = std::move(CurrentHandler());
    CurrentHandler() = std::move(handler);
    return previous;
}

} // namespace Messages
