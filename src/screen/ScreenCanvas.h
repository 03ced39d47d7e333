#pragma once

#include <QImage>
#include <QRgb>
#include <QString>

#include "screen/TileMask.h"

// Line styles of the screen pen. Dotted is 3 pixels on and 3 off, dashed 18 on and 6 off,
// the pattern running on along consecutive line-to calls and restarting at each move.
enum class PenStyle { Solid, Dotted, Dashed };

// Drawing surface of the oscilloscope screen: a raster with a current position, a pen and
// a text colour.
// - MoveTo sets the current position. LineTo draws from the current position to the given
//   point, leaving out the end pixel, and makes that point the current position.
// - Colours are given as the settings file keeps them, 0x00BBGGRR integers.
// - TextOut puts the text's cell (13 pixels high, filled white) with its top-left corner at
//   the given point, the text in the current text colour.
// - Anything outside the raster is clipped; coordinates may lie far outside it.
class ScreenCanvas {
public:
    static constexpr int Width = 640;
    static constexpr int Height = 320;

    ScreenCanvas();

    // Replaces the raster by a new one of the given size, filled with white, and restores
    // the default drawing state: solid black pen of width 1, black text, position (0, 0).
    // The raster replaced is kept as Previous() until the next NewImage, which fills it
    // again in place when nothing else shares it.
    void NewImage(int width = Width, int height = Height);

    const QImage& Image() const { return image; }
    const QImage& Previous() const { return previous; }

    // While a mask is given, every pixel a line writes marks its square. nullptr stops.
    void Track(TileMask* written) { tracked = written; }
    // Puts back the marked squares from a picture of the raster's size and format (an
    // earlier state of it). The drawing state stays as it is.
    void CopyFrom(const QImage& source, const TileMask& squares);

    void MoveTo(qint64 x, qint64 y);
    void LineTo(qint64 x, qint64 y);

    void SetPenColour(int bgr);
    void SetPenWidth(int width);
    void SetPenStyle(PenStyle style);
    void SetTextColour(int bgr);

    void TextOut(int x, int y, const QString& text);

    QRgb PenColour() const { return penColour; }
    QRgb TextColour() const { return textColour; }
    PenStyle Style() const { return penStyle; }
    int PenWidth() const { return penWidth; }

private:
    void Plot(qint64 x, qint64 y);
    void Put(qint64 x, qint64 y) {
        pixels[y * stride + x] = penColour;
        if (tracked)
            tracked->Mark(int(x) / TileMask::Size, int(y) / TileMask::Size);
    }

    QImage image;
    QImage previous;
    QRgb* pixels = nullptr; // first pixel of the raster while drawing
    qsizetype stride = 0;   // pixels per raster row
    int width = 0;
    int height = 0;
    qint64 posX = 0;
    qint64 posY = 0;
    QRgb penColour = 0;
    int penBgr = 0; // the integer penColour was made from, while penBgrValid
    bool penBgrValid = false;
    QRgb textColour = 0;
    int penWidth = 1;
    PenStyle penStyle = PenStyle::Solid;
    qint64 stylePhase = 0; // pixels of the pattern used since the last move
    TileMask* tracked = nullptr;
};
