// The three knob pictures of the front panel: a metal bezel with a graduation ring whose
// ticks point at the range buttons, around the dial face that the program repaints with its
// pointer. Inside the outer rim the picture already holds the face as the pointer drawing
// leaves it (rims, band and hub, no pointer), so the knob reads well before the first pointer.

#include "DataGen.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>
#include <vector>

namespace datagen {

namespace {

struct Ring {
    double radius, width;
    QColor colour;
};

struct Knob {
    const char* file;
    int size;               // picture width and height
    QPointF centre;         // centre of the dial in the picture's pixel grid
    std::vector<int> ticks; // range angles, degrees clockwise from 12 o'clock
    int majorEvery;         // every n-th tick is longer: the ranges 1, 10, 100... of a decade
    double bezel;           // outer radius of the bezel
    double scale;           // radius of the scale arc, where the ticks start
    double tickLength;
    const char* label;
    double labelSize; // pixel size of the label font
    Ring rings[5];    // outer rim, pointer band, inner rim, hub disc, hub centre
};

const QColor kGreyText(128, 128, 128);

QPointF Polar(QPointF c, double degrees, double r) {
    const double t = degrees * std::numbers::pi / 180.0;
    return {c.x() + r * std::sin(t), c.y() - r * std::cos(t)};
}

void DrawFace(QPainter& p, const Knob& k) {
    const QPointF c = k.centre;
    // Everything inside the outer rim starts white, as the pointer drawing leaves it.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(c, k.rings[0].radius, k.rings[0].radius);
    for (int i = 0; i < 5; ++i) {
        const Ring& r = k.rings[i];
        if (r.width / 2.0 >= r.radius) {
            // A pen wider than the circle makes a filled disc.
            p.setPen(Qt::NoPen);
            p.setBrush(r.colour);
            p.drawEllipse(c, r.radius + r.width / 2.0, r.radius + r.width / 2.0);
            continue;
        }
        p.setPen(QPen(r.colour, r.width));
        p.setBrush(i == 2 || i == 3 ? QBrush(Qt::white) : QBrush(Qt::NoBrush));
        p.drawEllipse(c, r.radius, r.radius);
    }
}

void DrawBezel(QPainter& p, const Knob& k) {
    const QPointF c = k.centre;
    const double R = k.bezel;

    // Soft shadow below and right of the knob.
    QRadialGradient shadow(c + QPointF(1.5, 2.0), R + 3.0);
    shadow.setColorAt(0.92, QColor(0, 0, 0, 70));
    shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(c + QPointF(1.5, 2.0), R + 3.0, R + 3.0);

    // Brushed-metal outer ring, lit from the top left.
    QLinearGradient metal(c - QPointF(R, R), c + QPointF(R, R));
    metal.setColorAt(0.0, QColor(252, 252, 252));
    metal.setColorAt(0.5, QColor(200, 202, 206));
    metal.setColorAt(1.0, QColor(120, 122, 128));
    p.setBrush(metal);
    p.setPen(QPen(QColor(90, 92, 96), 1.0));
    p.drawEllipse(c, R, R);

    // Flat scale face carrying the ticks.
    const double faceR = R - 4.0;
    QLinearGradient face(c - QPointF(faceR, faceR), c + QPointF(faceR, faceR));
    face.setColorAt(0.0, QColor(236, 236, 230));
    face.setColorAt(1.0, QColor(214, 214, 208));
    p.setBrush(face);
    p.setPen(QPen(QColor(150, 150, 150), 1.0));
    p.drawEllipse(c, faceR, faceR);

    // Groove in which the dial turns, just outside its rim.
    const double seat = k.rings[0].radius + k.rings[0].width / 2.0 + 1.5;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(70, 70, 72), 3.0));
    p.drawEllipse(c, seat, seat);
    p.setPen(QPen(QColor(255, 255, 255, 160), 1.0));
    p.drawEllipse(c, seat + 2.0, seat + 2.0);

    // Scale arc from the first range to the last, then one tick per range.
    const int first = k.ticks.front();
    const int last = k.ticks.back();
    const QRectF arcBox(c.x() - k.scale, c.y() - k.scale, 2 * k.scale, 2 * k.scale);
    p.setPen(QPen(QColor(30, 30, 30), 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(arcBox, (90 - first) * 16, -(last - first) * 16);
    for (std::size_t i = 0; i < k.ticks.size(); ++i) {
        const bool major = int(i) % k.majorEvery == k.majorEvery - 1;
        const double length = major ? k.tickLength : k.tickLength * 0.7;
        p.setPen(QPen(QColor(20, 20, 20), major ? 2.4 : 1.8, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(Polar(c, k.ticks[i], k.scale - 0.8), Polar(c, k.ticks[i], k.scale + length));
    }

    // Name of the knob in the gap of the scale, along the ring, read from below.
    const double gapMiddle = (last + first + 360) / 2.0;
    const double labelRadius = k.scale + k.tickLength * 0.45;
    QFont f(SansFamily());
    f.setPixelSize(int(k.labelSize));
    f.setBold(true);
    p.save();
    p.translate(Polar(c, gapMiddle, labelRadius));
    p.rotate(gapMiddle - 180.0);
    p.setFont(f);
    p.setPen(QColor(60, 60, 64));
    p.drawText(QRectF(-60.0, -k.labelSize, 120.0, 2.0 * k.labelSize), Qt::AlignCenter,
               QLatin1String(k.label));
    p.restore();
}

QImage KnobPicture(const Knob& k) {
    return TransparentPicture(k.size, k.size, [&k](QPainter& p) {
        DrawBezel(p, k);
        DrawFace(p, k);
    });
}

} // namespace

bool WriteKnobs(const QDir& out) {
    const QColor timePointer(166, 202, 240);
    const QColor band(255, 251, 240);
    const QColor outerRim(128, 0, 0);
    const QColor innerRim(192, 220, 192);
    const std::vector<int> timeAngles = {-141, -124, -108, -94, -80, -67, -50, -38, -24,
                                         -7,   12,   31,   60,  75,  89,  103, 119, 135};
    const std::vector<int> voltAngles = {-78, -52, -25, 28, 55, 79, 102, 124, 151};

    const Knob knobs[] = {
        {"knob_timebase.bmp",
         264,
         QPointF(128, 128),
         timeAngles,
         3,
         110.0,
         89.0,
         13.0,
         "TIME/DIV",
         9.0,
         {{80, 6, outerRim},
          {70, 20, band},
          {60, 6, innerRim},
          {25, 65, kGreyText},
          {10, 25, timePointer}}},
        {"knob_volts_a.bmp",
         193,
         QPointF(96, 96),
         voltAngles,
         3,
         88.0,
         70.0,
         11.0,
         "VOLTS/DIV",
         8.0,
         {{60, 6, outerRim},
          {50, 20, band},
          {40, 6, innerRim},
          {35, 15, kGreyText},
          {10, 25, QColor(255, 0, 0)}}},
    };
    // Channel B's knob is channel A's with a blue hub.
    Knob channelB = knobs[1];
    channelB.file = "knob_volts_b.bmp";
    channelB.rings[4].colour = QColor(0, 0, 255);
    for (const Knob& k : {knobs[0], knobs[1], channelB})
        if (!SaveBmp(KnobPicture(k), out, QLatin1String(k.file)))
            return false;
    return true;
}

} // namespace datagen
