#pragma once

#include <QPalette>
#include <QString>

class QApplication;

// The look of every window of the program: one style sheet kept in the program's
// resources, over the Fusion style and a palette of its own, so that the program looks
// the same whatever the desktop's theme, light or dark.
namespace Skin {

// The style sheet (":/skin/skin.qss").
QString StyleSheet();

// The colours the style sheet is drawn with: dark text on light steel-grey panels.
QPalette Palette();

// Puts the skin on the whole application: every window made afterwards, and those
// already made, are drawn with it.
void Apply(QApplication& application);

} // namespace Skin
