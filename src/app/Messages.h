#pragma once

#include <QString>
#include <functional>

class QWidget;

// The program's message boxes: titled by kind, with "OK". Tests replace the handler to
// read the texts instead of opening boxes.
namespace Messages {

enum class Kind { Warning, Error, Information };

using Handler = std::function<void(Kind kind, const QString& text)>;

void Show(Kind kind, const QString& text, QWidget* parent = nullptr);
Handler SetHandler(Handler handler);

QString Title(Kind kind);

} // namespace Messages
