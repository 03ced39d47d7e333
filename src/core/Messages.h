#pragma once

#include <QString>
#include <functional>

class QObject;

// The program's message boxes: titled by kind, with "OK", shown and waited for. The
// program installs the boxes themselves (the presenter); until then, and in tests that
// install a handler of their own, the texts go elsewhere.
namespace Messages {

enum class Kind { Warning, Error, Information };

using Handler = std::function<void(Kind kind, const QString& text, QObject* near)>;

// Shows the text and returns when the box is closed. `near` is the window the box belongs
// to; null for the main window. Goes to the handler when one is set, otherwise to the
// presenter, otherwise to the program's error output.
void Show(Kind kind, const QString& text, QObject* near = nullptr);

// The message boxes of the program, installed once at start.
void SetPresenter(Handler presenter);
// Takes the texts instead of the presenter (tests); returns the previous handler. An
// empty handler gives the texts back to the presenter.
Handler SetHandler(Handler handler);

QString Title(Kind kind);

} // namespace Messages
