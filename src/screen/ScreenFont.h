#pragma once

#include <QFont>
#include <QImage>
#include <QRgb>
#include <QString>

// The screen's text face: DejaVu Sans at 8 points on a 96 dpi screen (11 pixels), drawn
// without anti-aliasing, whose line is 13 pixels high. The face is loaded from its file so
// that the picture is the same on every display server.
namespace ScreenFont {

inline constexpr int PixelSize = 11;
inline constexpr int LineHeight = 13;

const QFont& Font();

// Width in pixels of the cell a text takes on the screen.
int TextWidth(const QString& text);

// The cell of a text: white background, the text in the given colour, LineHeight pixels
// high and TextWidth(text) wide. Cells are kept for reuse; the returned image is shared.
QImage TextCell(const QString& text, QRgb colour);

} // namespace ScreenFont
