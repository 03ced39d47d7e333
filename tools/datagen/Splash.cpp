// The splash picture (505 x 393): the title over an oscilloscope showing two traces, a small
// spectrum display, and calm space where the splash window writes "avec analyseur de
// spectre" (a band around y 232..280), the screen resolution line (y 350..372 from x 80) and
// its "Suite..." button (bottom right).

#include "DataGen.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

namespace datagen {

namespace {

constexpr int kWidth = 505;
constexpr int kHeight = 393;

// The instrument's screen: 10 x 8 divisions of 26 x 18 pixels.
constexpr double kDivX = 26.0;
constexpr double kDivY = 18.0;
const QRectF kScreen(66.0, 63.0, 10 * kDivX, 8 * kDivY);

void DrawBackground(QPainter& p) {
    QLinearGradient g(0, 0, 0, kHeight);
    g.setColorAt(0.0, QColor(255, 255, 255));
    g.setColorAt(1.0, QColor(214, 226, 242));
    p.fillRect(QRect(0, 0, kWidth, kHeight), g);
}

void DrawTitle(QPainter& p) {
    const QString text = QStringLiteral("Oscilloscope Numérique à mémoire");
    QFont f(SerifFamily());
    f.setBold(true);
    for (int size = 28; size > 12; --size) {
        f.setPixelSize(size);
        if (QFontMetricsF(f).horizontalAdvance(text) <= kWidth - 36)
            break;
    }
    p.setFont(f);
    const QRectF box(0, 8, kWidth, 36);
    p.setPen(QColor(150, 160, 180));
    p.drawText(box.translated(2, 2), Qt::AlignCenter, text);
    p.setPen(QColor(0, 0, 110));
    p.drawText(box, Qt::AlignCenter, text);
}

void DrawKnob(QPainter& p, QPointF c, double r, double angle) {
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.35), r * 1.4);
    g.setColorAt(0.0, QColor(235, 235, 238));
    g.setColorAt(0.6, QColor(150, 152, 158));
    g.setColorAt(1.0, QColor(70, 72, 78));
    p.setPen(QPen(QColor(20, 20, 22), 1.0));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    const double t = angle * std::numbers::pi / 180.0;
    p.setPen(QPen(QColor(30, 30, 30), std::max(1.5, r / 8.0), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(std::sin(t), -std::cos(t)) * r * 0.25,
               c + QPointF(std::sin(t), -std::cos(t)) * r * 0.85);
}

void DrawConnector(QPainter& p, QPointF c, const QString& name) {
    QRadialGradient g(c - QPointF(2, 2), 9);
    g.setColorAt(0.0, QColor(250, 240, 200));
    g.setColorAt(1.0, QColor(150, 130, 70));
    p.setPen(QPen(QColor(40, 40, 40), 1.0));
    p.setBrush(g);
    p.drawEllipse(c, 7.0, 7.0);
    p.setBrush(QColor(25, 25, 25));
    p.drawEllipse(c, 2.5, 2.5);
    QFont f(SansFamily());
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(220, 220, 220));
    p.drawText(QRectF(c.x() + 9, c.y() - 6, 30, 12), Qt::AlignLeft | Qt::AlignVCenter, name);
}

void DrawInstrument(QPainter& p) {
    const QRectF body(48.5, 50.5, 408.0, 172.0);
    QLinearGradient metal(body.topLeft(), body.bottomLeft());
    metal.setColorAt(0.0, QColor(92, 98, 108));
    metal.setColorAt(1.0, QColor(42, 45, 52));
    p.setPen(QPen(QColor(25, 27, 30), 1.0));
    p.setBrush(metal);
    p.drawRoundedRect(body, 10, 10);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(2, 2, -2, -2), 8, 8);

    // Screen bezel and face.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(18, 20, 22));
    p.drawRoundedRect(kScreen.adjusted(-6, -6, 6, 6), 5, 5);
    QRadialGradient face(kScreen.center(), kScreen.width() * 0.62);
    face.setColorAt(0.0, QColor(18, 52, 40));
    face.setColorAt(1.0, QColor(6, 22, 16));
    p.setBrush(face);
    p.drawRect(kScreen);

    // Graticule: 10 x 8 divisions, dotted, with ticks on the centre axes.
    p.setPen(QPen(QColor(60, 120, 95), 1.0, Qt::DotLine));
    for (int i = 1; i < 10; ++i)
        p.drawLine(QPointF(kScreen.left() + i * kDivX, kScreen.top()),
                   QPointF(kScreen.left() + i * kDivX, kScreen.bottom()));
    for (int j = 1; j < 8; ++j)
        p.drawLine(QPointF(kScreen.left(), kScreen.top() + j * kDivY),
                   QPointF(kScreen.right(), kScreen.top() + j * kDivY));
    p.setPen(QPen(QColor(70, 140, 110), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(kScreen);
    const QPointF mid = kScreen.center();
    for (int i = 0; i <= 50; ++i) {
        const double x = kScreen.left() + i * kDivX / 5.0;
        p.drawLine(QPointF(x, mid.y() - 2), QPointF(x, mid.y() + 2));
    }
    for (int j = 0; j <= 40; ++j) {
        const double y = kScreen.top() + j * kDivY / 5.0;
        p.drawLine(QPointF(mid.x() - 2, y), QPointF(mid.x() + 2, y));
    }

    // Two traces with a phosphor glow: a sine on A, a charging square wave on B.
    QPainterPath a, b;
    const int steps = 520;
    for (int i = 0; i <= steps; ++i) {
        const double u = double(i) / steps;
        const double x = kScreen.left() + u * kScreen.width();
        const double ya =
            mid.y() - 1.7 * kDivY - 1.9 * kDivY * std::sin(2 * std::numbers::pi * 2.5 * u);
        const double phase = std::fmod(u * 4.0, 1.0);
        const double level = phase < 0.5 ? 1.0 - 2.0 * std::exp(-phase * 18.0)
                                         : -1.0 + 2.0 * std::exp(-(phase - 0.5) * 18.0);
        const double yb = mid.y() + 2.2 * kDivY - 1.3 * kDivY * level;
        if (i == 0) {
            a.moveTo(x, ya);
            b.moveTo(x, yb);
        } else {
            a.lineTo(x, ya);
            b.lineTo(x, yb);
        }
    }
    p.save();
    p.setClipRect(kScreen);
    const struct {
        const QPainterPath* path;
        QColor colour;
    } traces[] = {{&a, QColor(255, 222, 70)}, {&b, QColor(90, 215, 255)}};
    for (const auto& t : traces) {
        QColor glow = t.colour;
        glow.setAlpha(55);
        p.setPen(QPen(glow, 5.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(*t.path);
        p.setPen(QPen(t.colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(*t.path);
    }
    p.restore();

    // Front panel controls right of the screen.
    DrawKnob(p, QPointF(390, 100), 25, 31);
    DrawKnob(p, QPointF(360, 154), 12, -25);
    DrawKnob(p, QPointF(420, 154), 12, -25);
    DrawConnector(p, QPointF(360, 196), QStringLiteral("A"));
    DrawConnector(p, QPointF(420, 196), QStringLiteral("B"));
    QRadialGradient led(QPointF(437, 63), 6);
    led.setColorAt(0.0, QColor(200, 255, 200));
    led.setColorAt(1.0, QColor(30, 170, 60));
    p.setPen(Qt::NoPen);
    p.setBrush(led);
    p.drawEllipse(QPointF(438, 64), 4.5, 4.5);
}

// A small spectrum display: the lines of a square wave's odd harmonics.
void DrawSpectrum(QPainter& p) {
    const QRectF box(398.5, 234.5, 92.0, 80.0);
    p.setPen(QPen(QColor(120, 130, 150), 1.0));
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    g.setColorAt(0.0, QColor(254, 255, 191));
    g.setColorAt(1.0, Qt::white);
    p.setBrush(g);
    p.drawRect(box);
    const double base = box.bottom() - 6;
    for (int k = 1; k <= 21; ++k) {
        const double x = box.left() + 4 + (k - 1) * 4.2;
        const double h = (k % 2 == 1) ? 62.0 / k : 2.0;
        p.setPen(QPen(k % 2 == 1 ? QColor(210, 0, 0) : QColor(0, 0, 210), 2.0, Qt::SolidLine,
                      Qt::FlatCap));
        p.drawLine(QPointF(x, base), QPointF(x, base - h));
    }
    p.setPen(QPen(QColor(90, 90, 90), 1.0));
    p.drawLine(QPointF(box.left() + 2, base + 0.5), QPointF(box.right() - 2, base + 0.5));
}

// One line of the instrument's main figures, under the band of the splash window's text.
void DrawFacts(QPainter& p) {
    QFont f(SansFamily());
    f.setPixelSize(11);
    f.setItalic(true);
    p.setFont(f);
    p.setPen(QColor(70, 90, 130));
    p.drawText(QRectF(20, 290, 370, 16), Qt::AlignCenter,
               QStringLiteral("2 voies  \u00B7  30 MHz  \u00B7  8 bits  \u00B7  2 x 2048 "
                              "échantillons"));
}

} // namespace

bool WriteSplash(const QDir& out) {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        DrawBackground(p);
        DrawTitle(p);
        DrawInstrument(p);
        DrawSpectrum(p);
        DrawFacts(p);
        p.setPen(QPen(QColor(170, 185, 210), 1.0));
        p.drawLine(QPointF(20, 336.5), QPointF(kWidth - 20, 336.5));
    }
    return SaveBmp8(img, out, QStringLiteral("splash.bmp"));
}

} // namespace datagen
