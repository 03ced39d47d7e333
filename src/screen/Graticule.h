#pragma once

class PersistedSettings;
class ScreenCanvas;

// Replaces the screen raster by a new white one in the default drawing state.
void NewScreenImage(ScreenCanvas& canvas);

// First layer of every oscilloscope redraw: a new raster with the 10 x 8 division
// graticule, its subdivision ticks, the frame, and the options SettingsLine::OuterTicks
// (ticks on the outer lines) and RiseTimeLines (10 % / 90 % rise-time lines), in
// SettingsLine::GraticuleColour.
void DrawGraticule(ScreenCanvas& canvas, const PersistedSettings& settings);
