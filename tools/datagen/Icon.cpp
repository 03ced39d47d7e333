// The program's icon as a 128 x 128 PNG with an alpha channel, for the window icon (Qt
// reads no SVG without its svg module) and the icon theme's bitmap size: the drawing of
// dist/oscilloscope.svg, shape for shape, on its 64 x 64 grid scaled by two.

#include "DataGen.h"

#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace datagen {

namespace {

constexpr int kIconSize = 128;
constexpr double kGrid = 64.0; // the SVG's view box

// An SVG stroke: butt caps and miter joins.
QPen Stroke(const char* colour, double width) {
    return QPen(QColor(QString::fromLatin1(colour)), width, Qt::SolidLine, Qt::FlatCap,
                Qt::MiterJoin);
}

void RoundedRect(QPainter& p, const QRectF& r, double radius, const char* fill,
                 const char* stroke = nullptr, double width = 1.0) {
    p.setBrush(QColor(QString::fromLatin1(fill)));
    if (stroke)
        p.setPen(Stroke(stroke, width));
    else
        p.setPen(Qt::NoPen);
    p.drawRoundedRect(r, radius, radius);
}

void Knob(QPainter& p, const QPointF& centre, const QPointF& pointer) {
    p.setPen(Stroke("#36597d", 1.5));
    p.setBrush(QColor(0xf7, 0xf8, 0xfa));
    p.drawEllipse(centre, 5.0, 5.0);
    p.drawLine(centre, pointer);
}

void DrawIcon(QPainter& p) {
    // The case, the screen and its graticule.
    RoundedRect(p, QRectF(2, 6, 60, 52), 6, "#cfd5dc", "#36597d", 2);
    RoundedRect(p, QRectF(7, 11, 38, 30), 0, "#ffffff", "#5f6e80");
    p.setPen(Stroke("#a9b3bf", 0.6));
    for (double x : {16.5, 26.0, 35.5})
        p.drawLine(QPointF(x, 11), QPointF(x, 41));
    for (double y : {18.5, 26.0, 33.5})
        p.drawLine(QPointF(7, y), QPointF(45, y));

    // Channel A: "M7 26 C 11 14, 15 14, 19 26 S 27 38, 31 26 S 39 14, 45 22", each S's
    // first control point the mirror of the previous second one.
    QPainterPath sine(QPointF(7, 26));
    sine.cubicTo(QPointF(11, 14), QPointF(15, 14), QPointF(19, 26));
    sine.cubicTo(QPointF(23, 38), QPointF(27, 38), QPointF(31, 26));
    sine.cubicTo(QPointF(35, 14), QPointF(39, 14), QPointF(45, 22));
    p.setBrush(Qt::NoBrush);
    p.setPen(Stroke("#ff0000", 2));
    p.drawPath(sine);
    // Channel B: a square wave.
    QPainterPath square(QPointF(7, 36));
    for (const QPointF& corner :
         {QPointF(16, 36), QPointF(16, 16), QPointF(26, 16), QPointF(26, 36), QPointF(35, 36),
          QPointF(35, 16), QPointF(45, 16)})
        square.lineTo(corner);
    p.setPen(Stroke("#0000ff", 1.4));
    p.drawPath(square);

    // Two knobs and three buttons, the first one lit.
    Knob(p, QPointF(53, 18), QPointF(56, 15));
    Knob(p, QPointF(53, 33), QPointF(50, 30));
    RoundedRect(p, QRectF(7, 46, 8, 6), 1, "#3d7a40");
    RoundedRect(p, QRectF(18, 46, 8, 6), 1, "#f7f8fa", "#5f6e80");
    RoundedRect(p, QRectF(29, 46, 8, 6), 1, "#f7f8fa", "#5f6e80");
}

} // namespace

bool WriteIcon(const QDir& out) {
    QImage image(kIconSize, kIconSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(kIconSize / kGrid, kIconSize / kGrid);
        DrawIcon(p);
    }
    const QString path = out.filePath(QStringLiteral("oscilloscope.png"));
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "datagen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace datagen
