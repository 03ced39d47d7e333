// The trigger-state lamp (25 x 17) and the 32 x 32 glyphs of the marker, RMS and spectrum
// buttons. Every glyph is a small oscilloscope screen: lit (dark face, bright drawing) for the
// "on" states, unlit (grey face, grey drawing) for the "off" states.

#include "DataGen.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

namespace datagen {

namespace {

constexpr int kGlyph = 32;

struct ScreenLook {
    QColor face, frame, grid, trace, marker, text;
};

const ScreenLook kLit{QColor(18, 38, 30),   QColor(50, 56, 62),   QColor(48, 92, 72),
                      QColor(255, 214, 64), QColor(255, 60, 255), QColor(110, 255, 140)};
const ScreenLook kUnlit{QColor(206, 208, 210), QColor(140, 142, 146), QColor(184, 186, 190),
                        QColor(150, 152, 156), QColor(165, 167, 171), QColor(128, 130, 134)};

// Inner drawing area of the glyph screen.
const QRectF kFace(3.0, 4.0, 26.0, 24.0);

void DrawScreen(QPainter& p, const ScreenLook& look) {
    QPainterPath body;
    body.addRoundedRect(QRectF(1.0, 2.0, 30.0, 28.0), 3.5, 3.5);
    p.fillPath(body, look.frame);
    QPainterPath face;
    face.addRoundedRect(kFace, 1.5, 1.5);
    p.fillPath(face, look.face);
    p.save();
    p.setClipPath(face);
    QPen grid(look.grid, 1.0, Qt::DotLine);
    p.setPen(grid);
    p.drawLine(QPointF(16.0, 4.0), QPointF(16.0, 28.0));
    p.drawLine(QPointF(3.0, 16.0), QPointF(29.0, 16.0));
    p.restore();
}

void DrawSine(QPainter& p, const QColor& colour, double centreY, double amplitude,
              double width = 1.4) {
    QPainterPath path;
    for (int i = 0; i <= 52; ++i) {
        const double x = kFace.left() + 0.5 + i * (kFace.width() - 1.0) / 52.0;
        const double y = centreY - amplitude * std::sin(2.0 * std::numbers::pi * i / 26.0);
        if (i == 0)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void DrawArrowHead(QPainter& p, QPointF tip, QPointF direction) {
    const QPointF side(-direction.y(), direction.x());
    QPolygonF head;
    head << tip << tip - direction * 3.5 + side * 2.6 << tip - direction * 3.5 - side * 2.6;
    p.setPen(Qt::NoPen);
    p.drawPolygon(head);
}

void DrawDoubleArrow(QPainter& p, QPointF a, QPointF b, const QColor& colour) {
    const QPointF d = (b - a) / std::hypot(b.x() - a.x(), b.y() - a.y());
    p.setPen(QPen(colour, 1.4));
    p.drawLine(a + d * 2.5, b - d * 2.5);
    p.setBrush(colour);
    DrawArrowHead(p, b, d);
    DrawArrowHead(p, a, -d);
}

void DrawMarkers(QPainter& p, const ScreenLook& look, Qt::PenStyle style) {
    p.setPen(QPen(look.marker, 1.3, style));
    for (double x : {10.5, 21.5})
        p.drawLine(QPointF(x, kFace.top()), QPointF(x, kFace.bottom()));
    for (double y : {9.5, 22.5})
        p.drawLine(QPointF(kFace.left(), y), QPointF(kFace.right(), y));
}

QImage MarkerGlyph(bool on) {
    return TransparentPicture(kGlyph, kGlyph, [on](QPainter& p) {
        const ScreenLook& look = on ? kLit : kUnlit;
        DrawScreen(p, look);
        DrawSine(p, look.trace, 16.0, 5.5, 1.1);
        DrawMarkers(p, look, on ? Qt::SolidLine : Qt::DotLine);
    });
}

QImage TimeMarkerGlyph() {
    return TransparentPicture(kGlyph, kGlyph, [](QPainter& p) {
        DrawScreen(p, kLit);
        p.setPen(QPen(kLit.marker, 1.6));
        for (double x : {8.5, 23.5})
            p.drawLine(QPointF(x, kFace.top()), QPointF(x, kFace.bottom()));
        DrawDoubleArrow(p, QPointF(9.8, 16.0), QPointF(22.2, 16.0), Qt::white);
    });
}

QImage VoltageMarkerGlyph() {
    return TransparentPicture(kGlyph, kGlyph, [](QPainter& p) {
        DrawScreen(p, kLit);
        p.setPen(QPen(kLit.marker, 1.6));
        for (double y : {8.5, 23.5})
            p.drawLine(QPointF(kFace.left(), y), QPointF(kFace.right(), y));
        DrawDoubleArrow(p, QPointF(16.0, 9.8), QPointF(16.0, 22.2), Qt::white);
    });
}

QImage RmsGlyph(bool on) {
    return TransparentPicture(kGlyph, kGlyph, [on](QPainter& p) {
        const ScreenLook& look = on ? kLit : kUnlit;
        DrawScreen(p, look);
        DrawSine(p, look.trace, 11.0, 4.5, 1.2);
        QFont f(SansFamily());
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.setPen(look.text);
        p.drawText(QRectF(kFace.left(), 16.0, kFace.width(), 12.0), Qt::AlignCenter,
                   QStringLiteral("RMS"));
    });
}

QImage SpectrumGlyph(bool on) {
    return TransparentPicture(kGlyph, kGlyph, [on](QPainter& p) {
        const ScreenLook& look = on ? kLit : kUnlit;
        DrawScreen(p, look);
        // Lines of a spectrum: a main peak with its side lobes and two harmonics.
        const double heights[] = {3, 6, 14, 17, 9, 4, 2, 5, 8, 4, 2, 3, 4, 2};
        const double base = kFace.bottom() - 1.5;
        for (int i = 0; i < 14; ++i) {
            const double x = kFace.left() + 2.5 + i * 1.65;
            QColor c = look.trace;
            if (on)
                c = QColor::fromHsvF(0.5 - 0.35 * heights[i] / 17.0, 0.75, 1.0);
            p.setPen(QPen(c, 1.2, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(QPointF(x, base), QPointF(x, base - heights[i]));
        }
        QFont f(SansFamily());
        f.setPixelSize(8);
        f.setBold(true);
        p.setFont(f);
        p.setPen(look.text);
        p.drawText(QRectF(kFace.left() + 9.0, kFace.top() + 0.5, kFace.width() - 10.0, 9.0),
                   Qt::AlignRight | Qt::AlignTop, QStringLiteral("FFT"));
    });
}

// A round LED in its dark bezel, lit bright red or dark.
QImage Lamp(bool lit) {
    return TransparentPicture(25, 17, [lit](QPainter& p) {
        const QPointF c(12.5, 8.5);
        if (lit) {
            QRadialGradient glow(c, 12.5);
            glow.setColorAt(0.0, QColor(255, 40, 20, 150));
            glow.setColorAt(0.55, QColor(255, 40, 20, 60));
            glow.setColorAt(1.0, QColor(255, 40, 20, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(glow);
            p.drawEllipse(c, 12.5, 8.5);
        }
        QLinearGradient bezel(c - QPointF(6, 6), c + QPointF(6, 6));
        bezel.setColorAt(0.0, QColor(70, 70, 74));
        bezel.setColorAt(1.0, QColor(20, 20, 22));
        p.setPen(Qt::NoPen);
        p.setBrush(bezel);
        p.drawEllipse(c, 7.5, 7.5);

        QRadialGradient lens(c + QPointF(-1.5, -2.0), 7.0);
        if (lit) {
            lens.setColorAt(0.0, QColor(255, 225, 210));
            lens.setColorAt(0.3, QColor(255, 70, 50));
            lens.setColorAt(1.0, QColor(185, 0, 0));
        } else {
            lens.setColorAt(0.0, QColor(130, 60, 60));
            lens.setColorAt(0.45, QColor(85, 22, 22));
            lens.setColorAt(1.0, QColor(45, 8, 8));
        }
        p.setBrush(lens);
        p.drawEllipse(c, 6.0, 6.0);
        // Specular highlight.
        p.setBrush(QColor(255, 255, 255, lit ? 170 : 70));
        p.drawEllipse(c + QPointF(-2.2, -2.6), 1.9, 1.3);
    });
}

} // namespace

bool WriteGlyphs(const QDir& out) {
    return SaveBmp(Lamp(true), out, QStringLiteral("ledon.bmp")) &&
           SaveBmp(Lamp(false), out, QStringLiteral("ledoff.bmp")) &&
           SaveBmp(MarkerGlyph(true), out, QStringLiteral("marqueur_on.bmp")) &&
           SaveBmp(MarkerGlyph(false), out, QStringLiteral("marqueur_off.bmp")) &&
           SaveBmp(TimeMarkerGlyph(), out, QStringLiteral("time_vertical.bmp")) &&
           SaveBmp(VoltageMarkerGlyph(), out, QStringLiteral("volts_horizontal.bmp")) &&
           SaveBmp(RmsGlyph(true), out, QStringLiteral("rms_on.bmp")) &&
           SaveBmp(RmsGlyph(false), out, QStringLiteral("rms_off.bmp")) &&
           SaveBmp(SpectrumGlyph(true), out, QStringLiteral("FFT_ON.bmp")) &&
           SaveBmp(SpectrumGlyph(false), out, QStringLiteral("FFT_OFF.bmp"));
}

} // namespace datagen
