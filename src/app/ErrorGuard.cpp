#include "app/ErrorGuard.h"

#include "app/Messages.h"

#include <QPointer>
#include <QWidget>

namespace {
ErrorGuard::Reporter& CurrentReporter() {
    static ErrorGuard::Reporter reporter;
    return reporter;
}
QPointer<QWidget>& ParentWindow() {
    static QPointer<QWidget> parent;
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

void SetParentWindow(QWidget* parent) {
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
