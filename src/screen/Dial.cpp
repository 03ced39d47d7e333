#include "screen/Dial.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <array>
#include <cmath>

namespace {

// clang-format off
constexpr std::array<DialGeometry, 2> Geometries{{
    // control     picture     centre       outer band ptr half inner hub hubW
    {{257, 257}, {264, 264}, {128, 128},   80,  70,  79,  40,   60,   25, 65},
    {{193, 193}, {193, 193}, { 96,  96},   60,  50,  59,  30,   40,   35, 15},
}};
// clang-format on

constexpr int RimWidth = 6;
constexpr int BandWidth = 20;
constexpr int PointerPenWidth = 2;
constexpr int HubCentreRadius = 10;
constexpr int HubCentrePenWidth = 25;
constexpr long double TwoPi = 6.2831853072L;

// A circle as the knob draws it: the disc of radius r filled white, then an outline of
// width w centred on the circle. A pen wider than the diameter covers the whole disc.
void DrawRing(QPainter& painter, QPoint centre, int radius, int width, const QColor& colour) {
    const QPointF c(centre);
    QPainterPath disc;
    disc.addEllipse(c, radius, radius);
    painter.fillPath(disc, Qt::white);

    const double outer = radius + width / 2.0;
    const double inner = radius - width / 2.0;
    QPainterPath ring;
    ring.setFillRule(Qt::OddEvenFill);
    ring.addEllipse(c, outer, outer);
    if (inner > 0)
        ring.addEllipse(c, inner, inner);
    painter.fillPath(ring, colour);
}

QPoint PointAt(QPoint centre, long double radians, int length) {
    return {centre.x() + RoundHalfEven(std::sin(radians) * length),
            centre.y() - RoundHalfEven(std::cos(radians) * length)};
}

long double Radians(int degrees) {
    return static_cast<long double>(degrees) * TwoPi / 360.0L;
}

} // namespace

const DialGeometry& GeometryOf(DialKind kind) {
    return Geometries[kind == DialKind::TimeBase ? 0 : 1];
}

QColor DialOuterRimColour() {
    return {128, 0, 0};
}
QColor DialBandColour() {
    return {255, 251, 240};
}
QColor DialInnerRimColour() {
    return {192, 220, 192};
}
QColor TimeBasePointerColour() {
    return {166, 202, 240};
}

QColor DialHubColour() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QGuiApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
    return {128, 128, 128};
}

int RoundHalfEven(long double value) {
    // The default floating-point rounding mode is to nearest, ties to even.
    return static_cast<int>(std::nearbyint(value));
}

QPoint DialTip(DialKind kind, int angle) {
    const DialGeometry& g = GeometryOf(kind);
    return PointAt(g.centre, Radians(angle), g.pointerLength);
}

void DrawDial(QImage& picture, DialKind kind, int angle, const QColor& pointerColour) {
    if (picture.isNull())
        return;
    const DialGeometry& g = GeometryOf(kind);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Integer coordinates name pixels: move the origin to the centre of pixel (0, 0).
    painter.translate(0.5, 0.5);

    DrawRing(painter, g.centre, g.outerRimRadius, RimWidth, DialOuterRimColour());
    DrawRing(painter, g.centre, g.bandRadius, BandWidth, DialBandColour());

    // The pointer: segments from every point of the base, on both sides of the centre,
    // to the tip, which fills a triangle.
    QPen pen(pointerColour, PointerPenWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    const QPoint tip = DialTip(kind, angle);
    for (int side : {90, -90}) {
        const long double across = Radians(angle + side);
        for (int i = 0; i <= g.pointerHalfWidth; ++i)
            painter.drawLine(PointAt(g.centre, across, i), tip);
    }
    painter.setPen(Qt::NoPen);

    DrawRing(painter, g.centre, g.innerRimRadius, RimWidth, DialInnerRimColour());
    DrawRing(painter, g.centre, g.hubRadius, g.hubPenWidth, DialHubColour());
    DrawRing(painter, g.centre, HubCentreRadius, HubCentrePenWidth, pointerColour);
}

QImage LoadKnobPicture(DialKind kind, const QString& folder, const QString& fileName) {
    QImage picture(folder + fileName);
    if (picture.isNull())
        return PlainKnobPicture(kind);
    return picture.convertToFormat(QImage::Format_RGB32);
}

QImage PlainKnobPicture(DialKind kind) {
    const DialGeometry& g = GeometryOf(kind);
    QImage picture(g.picture, QImage::Format_RGB32);
    // The corner colour is the transparent one: the panel shows through there.
    picture.fill(QColor(212, 208, 200));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPointF centre(g.centre.x() + 0.5, g.centre.y() + 0.5);
    const double radius = g.outerRimRadius + 12;
    QRadialGradient face(centre - QPointF(radius / 3, radius / 3), radius * 1.6);
    face.setColorAt(0, QColor(250, 250, 250));
    face.setColorAt(1, QColor(120, 120, 128));
    painter.setPen(QPen(QColor(64, 64, 64), 2));
    painter.setBrush(face);
    painter.drawEllipse(centre, radius, radius);
    return picture;
}
