#include "panel/DialView.h"

#include "panel/PanelControls.h"

#include <QPainter>

DialView::DialView(QWidget* parent, DialKind kind, const QImage& knobPicture)
    : QWidget(parent), kind(kind), picture(knobPicture.convertToFormat(QImage::Format_RGB32)) {
    const DialGeometry& g = GeometryOf(kind);
    resize(g.control);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    RefreshPixmap();
}

void DialView::Draw(int newAngle, const QColor& pointerColour) {
    angle = newAngle;
    DrawDial(picture, kind, angle, pointerColour);
    RefreshPixmap();
    update();
}

void DialView::RefreshPixmap() {
    if (picture.isNull()) {
        shown = QPixmap();
        return;
    }
    shown = PanelControls::TransparentPixmap(picture);
}

void DialView::paintEvent(QPaintEvent*) {
    if (shown.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(rect(), shown);
}
