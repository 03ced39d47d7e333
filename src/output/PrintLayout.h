#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;

// The printed picture of the screen: 640 x width factor by 320 x height factor printer
// pixels from (10, 10), the title under it; the preview shows the page at one tenth.
namespace PrintLayout {

inline constexpr int DefaultFactor = 7;
inline constexpr int MinFactor = 1;
inline constexpr int MaxFactor = 10;

QRect PreviewPictureRect(int heightFactor, int widthFactor);
QRect PrintedPictureRect(int heightFactor, int widthFactor);
QPoint PreviewTitlePoint(int heightFactor);
QPoint PrintedTitlePoint(int heightFactor);

// The screen image with its transparent colour, that of its bottom-left pixel (the
// screen's background), made transparent: the paper shows through there.
QImage WithoutBackground(const QImage& screen);

// The preview's page image: white, the picture, then the title (after 160 spaces that
// wipe an earlier one) in the image's default font.
void DrawPreview(QImage& page, const QImage& screen, int heightFactor, int widthFactor,
                 const QString& title);
// The printed page, in printer pixels of the printable area.
void DrawPrintedPage(QPainter& painter, const QImage& screen, int heightFactor, int widthFactor,
                     const QString& title);

} // namespace PrintLayout
