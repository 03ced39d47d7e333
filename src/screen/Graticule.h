#pragma once

class PersistedSettings;
class ScreenCanvas;

// Replaces the screen raster by a new white one in the default drawing state.
void NewScreenImage(ScreenCanvas& canvas);

// First layer of every oscilloscope redraw: a new raster with the 10 x 8 division
// graticule, its subdivision ticks, the frame, and the options of settings lines 2
// (ticks on the outer lines) and 3 (10 % / 90 % rise-time lines). Colour from line 9.
void DrawGraticule(ScreenCanvas& canvas, const PersistedSettings& settings);
