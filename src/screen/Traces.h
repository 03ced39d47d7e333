#pragma once

#include <QString>

class ScreenCanvas;
struct ScreenInputs;

// Screen column of a channel A code in X-Y mode: code x 1.875 rounded half to even, + 80.
qint64 XYColumn(qint64 code);

// Trace layer: the channel traces, A + B, A - B or the X-Y figure, from the sample table,
// with the horizontal magnifier. A math mode is drawn only while both traces are on.
// Math values that are not written yet (the first sweep has not completed) draw no math
// trace; so do weighted values not written yet when the weighting effect is shown.
void DrawTraces(ScreenCanvas& canvas, const ScreenInputs& in);
