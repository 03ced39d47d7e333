#pragma once

#include <QImage>
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

    void SetImage(const QImage& image);
    const QImage& Image() const { return image; }

    // Gives the panel around the image a white background (each full redraw does this).
    void WhitenPanel();

    // The image set next shows a redraw the session asked for at this time (PaintLog's
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
    QImage image;
    qint64 redrawAskedNs = 0; // 0: the image to paint shows no redraw asked for
};
