#include "screen/ScreenView.h"

#include "screen/PaintLog.h"
#include "screen/ScreenCanvas.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

ScreenView::ScreenView(QWidget* parent) : QWidget(parent) {
    setFixedSize(ScreenCanvas::Width, ScreenCanvas::Height);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    blank = QImage(ScreenCanvas::Width, ScreenCanvas::Height, QImage::Format_RGB32);
    blank.fill(Qt::white);
}

void ScreenView::ShowRaster(const QImage& shown, const QObject& rasterOwner,
                            const QRegion& changed) {
    if (raster != &shown || owner != &rasterOwner) {
        raster = &shown;
        owner = &rasterOwner;
        update();
    } else if (!changed.isEmpty()) {
        // One rectangle: the window system is handed each rectangle of a region on its
        // own, which costs more than the few more pixels copied.
        update(changed.boundingRect());
    } else if (redrawAskedNs != 0) {
        // Nothing to paint: the window already shows the picture of the redraw.
        PaintLog::Write(redrawAskedNs, PaintLog::Now());
        redrawAskedNs = 0;
    }
}

void ScreenView::WhitenPanel() {
    QWidget* panel = parentWidget();
    if (!panel)
        return;
    if (panel->autoFillBackground() && panel->palette().color(QPalette::Window) == Qt::white)
        return;
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
}

QSize ScreenView::sizeHint() const {
    return {ScreenCanvas::Width, ScreenCanvas::Height};
}

bool ScreenView::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::ContextMenu: // passed on to the window, whose pop-up menu takes the mouse
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
        emit mouseLost();
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

void ScreenView::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        const QImage& shown = Image();
        for (const QRect& area : event->region())
            painter.drawImage(area.topLeft(), shown, area);
    }
    if (redrawAskedNs != 0) {
        PaintLog::Write(redrawAskedNs, PaintLog::Now());
        redrawAskedNs = 0;
    }
}

void ScreenView::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(event->position().toPoint(), event->button());
}

void ScreenView::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(event->position().toPoint());
}

void ScreenView::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseReleased(event->position().toPoint(), event->button());
}
