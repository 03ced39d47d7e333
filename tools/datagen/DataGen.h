#pragma once

// The data generator: every file of data/ except the help file is made by one of the
// Write* functions below. Output is deterministic for a given set of fonts (DejaVu).

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>
#include <QtEndian>
#include <functional>

class QPainter;

namespace datagen {

// Neutral panel grey. Transparent pictures (lamp, glyphs, knobs) use it for every pixel
// outside their drawing, bottom-left pixel included, and blend their antialiased edges
// against it; no pixel of the drawing itself has exactly this colour.
inline const QColor kPanel(240, 240, 240);

// Fonts shipped by fonts-dejavu-core, registered from their files when present.
void RegisterFonts();
QString SansFamily();
QString SerifFamily();

// Paints a transparent picture of w x h: `paint` draws the foreground on a cleared layer,
// which is then flattened over kPanel (see above).
QImage TransparentPicture(int w, int h, const std::function<void(QPainter&)>& paint);

// Writes `image` as a 24-bit BMP named `name` in `out`; false (with a message) on failure.
bool SaveBmp(const QImage& image, const QDir& out, const QString& name);

// Writes `image` as an 8-bit palette BMP: the 256 colours are chosen by median cut over the
// picture's own colours (exact when it has no more than 256). For the opaque pictures whose
// size matters (dialog pictures, splash).
bool SaveBmp8(const QImage& image, const QDir& out, const QString& name);

// Appends little-endian fields to a file header being built by hand (BMP, WAV).
struct LittleEndian {
    QByteArray& bytes;
    void U32(quint32 v) {
        char c[4];
        qToLittleEndian(v, c);
        bytes.append(c, 4);
    }
    void U16(quint16 v) {
        char c[2];
        qToLittleEndian(v, c);
        bytes.append(c, 2);
    }
};

bool WriteFactorySettings(const QDir& out);
bool WriteSounds(const QDir& out);
bool WriteGlyphs(const QDir& out);
bool WriteKnobs(const QDir& out);
bool WriteWindowCurves(const QDir& out);
bool WriteSplash(const QDir& out);
bool WriteIcon(const QDir& out);

} // namespace datagen
