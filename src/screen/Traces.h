#pragma once

#include <QString>

class ScreenCanvas;
struct ScreenInputs;

// State of the Math menu items and tool buttons that the trace layer decides: the items
// and buttons of the three math modes are enabled, and the four buttons show their hints,
// only while both traces are on.
struct MathMenuState {
    bool modesEnabled = false;
    bool hintsShown = false;
};

// The Math menu: caption, shortcut and tool-button hint of each math mode (0 to 3). The
// hint holds the tooltip before the bar and the status-bar help after it.
struct MathModeRow {
    const char* caption;
    const char* shortcut;
    const char* hint;
    const char* screenLabel; // 22 characters
};
inline constexpr int MathModeCount = 4;
const MathModeRow* MathModeAt(int mode);
QString MathCaption(int mode);
QString MathShortcut(int mode);
QString MathHint(int mode);
QString MathToolTip(int mode);    // the hint's text before the bar
QString MathStatusHelp(int mode); // the hint's text after the bar
QString MathScreenLabel(int mode);

// Screen column of a channel A code in X-Y mode: code x 1.875 rounded half to even, + 80.
qint64 XYColumn(qint64 code);

// Trace layer: the channel traces, A + B, A - B or the X-Y figure, from the sample table,
// with the horizontal magnifier. Updates the Math menu state first (which forces the math
// mode to none unless both traces are on). Math columns that are still empty (the first
// sweep has not completed) draw no math trace; so do empty weighted columns when the
// weighting effect is shown. Any other cell that is not a decimal integer throws
// ConversionError and stops the layer there.
void DrawTraces(ScreenCanvas& canvas, ScreenInputs& in, MathMenuState& menu);
