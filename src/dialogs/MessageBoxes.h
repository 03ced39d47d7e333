#pragma once

class QWidget;

// Installs the program's message boxes: each text of Messages::Show in a box titled by
// its kind ("Avertissement", "Erreur", "Information") with an "OK" button, over the
// window it belongs to (the main window when none is named), waited for.
void InstallMessageBoxes(QWidget* mainWindow);
