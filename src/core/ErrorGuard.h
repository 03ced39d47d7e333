#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

class QObject;

// Every entry point from the event loop (a control's slot, a timer tick, a serial event)
// runs through Guarded(): an exception abandons the handler, its text is shown in a
// message box titled "Erreur", and the program goes on. No exception reaches Qt's code.
namespace ErrorGuard {

using Reporter = std::function<void(const QString& text)>;

// Shows the text in the error box (the default), or hands it to the reporter a test set.
void Report(const QString& text);

// Replaces the reporter (tests collect the texts instead of opening boxes); returns the
// previous one. An empty reporter restores the message box.
Reporter SetReporter(Reporter reporter);

// The window the error box belongs to; null for the main window.
void SetParentWindow(QObject* parent);

void ReportCurrentException();

} // namespace ErrorGuard

// Runs f under the guard; returns false when f threw.
template <typename F> bool Guarded(F&& f) {
    try {
        std::forward<F>(f)();
        return true;
    } catch (...) {
        ErrorGuard::ReportCurrentException();
        return false;
    }
}

// Wraps a callable so that each call runs under the guard (for connect()). Signal
// arguments the callable does not take are dropped, as connect() does for plain slots.
template <typename F> auto GuardedSlot(F f) {
    return [f = std::move(f)](auto&&... args) mutable {
        Guarded([&] {
            if constexpr (std::is_invocable_v<F&, decltype(args)...>)
                f(std::forward<decltype(args)>(args)...);
            else
                f();
        });
    };
}
