#include "core/ErrorGuard.h"

#include "core/Messages.h"

#include <QPointer>

namespace {
ErrorGuard::Reporter& CurrentReporter() {
    static ErrorGuard::Reporter reporter;
    return reporter;
}
QPointer<QObject>& ParentWindow() {
    static QPointer<QObject> parent;
    return parent;
}
} // namespace

namespace ErrorGuard {

void Report(const QString& text) {
    if (CurrentReporter()) {
        CurrentReporter()(text);
        return;
    }
    Messages::Show(Messages::Kind::Error, text, ParentWindow().data());
}

Reporter SetReporter(Reporter reporter) {
    Reporter previous = std::move(CurrentReporter());
    CurrentReporter() = std::move(reporter);
    return previous;
}

void SetParentWindow(QObject* parent) {
    ParentWindow() = parent;
}

void ReportCurrentException() {
    try {
        throw;
    } catch (const std::exception& e) {
        Report(QString::fromUtf8(e.what()));
    } catch (...) {
        Report(QStringLiteral("Erreur inconnue"));
    }
}

} // namespace ErrorGuard
