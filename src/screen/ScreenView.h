#pragma once

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>

// Shows the 640 x 320 screen raster, with a cross-hair cursor. Mouse presses, moves and
// releases are passed on in image pixels for the measurement markers; moves are passed on
// with or without a button down. When the image loses the mouse without seeing a release
// (a context menu opens on it and takes the mouse, the image is hidden or its window goes
// inactive), mouseLost says so.
class ScreenView : public QWidget {
    Q_OBJECT
public:
    explicit ScreenView(QWidget* parent = nullptr);

    // Shows a raster drawn elsewhere, which the view reads whenever it paints, and
    // repaints the part of it that changed. The raster belongs to `owner`: once the owner
    // is gone the view shows white.
    void ShowRaster(const QImage& raster, const QObject& owner, const QRegion& changed);
    // The picture shown.
    const QImage& Image() const { return owner && raster ? *raster : blank; }

    // Gives the panel around the image a white background (each full redraw does this).
    void WhitenPanel();

    // The raster shown next shows a redraw the session asked for at this time (PaintLog's
    // clock); its paint is logged when PaintLog is enabled.
    void NoteRedrawAsked(qint64 askedNs) { redrawAskedNs = askedNs; }

    QSize sizeHint() const override;

signals:
    void mousePressed(QPoint pixel, Qt::MouseButton button);
    void mouseMoved(QPoint pixel);
    void mouseReleased(QPoint pixel, Qt::MouseButton button);
    void mouseLost();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage blank;
    const QImage* raster = nullptr;
    QPointer<const QObject> owner;
    qint64 redrawAskedNs = 0; // 0: the image to paint shows no redraw asked for
};
