#include "output/PrintLayout.h"

#include <QPainter>

namespace PrintLayout {

QRect PreviewPictureRect(int heightFactor, int widthFactor) {
    return QRect(10, 10, 640 * widthFactor / 10, 320 * heightFactor / 10);
}

QRect PrintedPictureRect(int heightFactor, int widthFactor) {
    return QRect(10, 10, 640 * widthFactor, 320 * heightFactor);
}

QPoint PreviewTitlePoint(int heightFactor) {
    return QPoint(22, 10 + 320 * heightFactor / 10 + 5);
}

QPoint PrintedTitlePoint(int heightFactor) {
    return QPoint(50, 10 + 320 * heightFactor + 15);
}

QImage WithoutBackground(const QImage& screen) {
    if (screen.isNull())
        return screen;
    QImage image = screen.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, image.height() - 1) | 0xff000000u;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] | 0xff000000u) == transparent)
                line[x] = 0;
    }
    return image;
}

namespace {

// Drawn from the top-left corner of the text cell, as the page image and the printer
// write text.
void DrawText(QPainter& painter, QPoint at, const QString& text) {
    const QFontMetrics metrics(painter.font());
    painter.drawText(at + QPoint(0, metrics.ascent()), text);
}

} // namespace

void DrawPreview(QImage& page, const QImage& screen, int heightFactor, int widthFactor,
                 const QString& title) {
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.drawImage(PreviewPictureRect(heightFactor, widthFactor), WithoutBackground(screen));
    painter.setPen(Qt::black);
    const QPoint at = PreviewTitlePoint(heightFactor);
    // Opaque spaces wipe a title drawn before.
    const QFontMetrics metrics(painter.font());
    painter.fillRect(
        QRect(at, QSize(metrics.horizontalAdvance(QString(160, u' ')), metrics.height())),
        Qt::white);
    DrawText(painter, at, title);
}

void DrawPrintedPage(QPainter& painter, const QImage& screen, int heightFactor, int widthFactor,
                     const QString& title) {
    painter.drawImage(PrintedPictureRect(heightFactor, widthFactor), WithoutBackground(screen));
    painter.setPen(Qt::black);
    DrawText(painter, PrintedTitlePoint(heightFactor), title);
}

} // namespace PrintLayout
