#pragma once

#include "output/OutputCommands.h"

class QWidget;

// The program's own save dialog (Qt's, the same on every platform, which reports each
// change of folder): never asks about overwriting itself; the program asks instead, in a
// warning box with "&Oui" and "&Non".
std::optional<QString> RunSaveFileDialog(QWidget* parent, const SaveRequest& request);
bool AskOverwrite(QWidget* parent);
// The warning box with "&Oui" and "&Non" of the program, a child of `parent` so that it
// opens above a window that stays on top; true when the user answers "&Oui".
bool AskYesNo(const QString& text, QWidget* parent);
OutputPrompts DialogPrompts(QWidget* parent);
