// The five pictures of the weighting-window dialog (196 x 155): the window's weight w(n)
// over the 300 points of a sweep, computed from the same formulas as the weighting itself,
// drawn in a small frame with its name and formula.

#include "DataGen.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <cmath>

namespace datagen {

namespace {

constexpr int kWidth = 196;
constexpr int kHeight = 155;
constexpr int kPoints = 300;
constexpr double kTwoPi = 6.2831853072;
constexpr double kFourPi = 12.5663706144;

double Weight(int window, int n) {
    switch (window) {
    case 2:
        return 0.5 - 0.5 * std::cos(kTwoPi * n / kPoints);
    case 3:
        return 0.54 - 0.46 * std::cos(kTwoPi * n / kPoints);
    case 4:
        return n <= 151 ? n / 151.0 : (302 - n) / 151.0;
    case 5:
        return 0.42 - 0.5 * std::cos(kTwoPi * n / kPoints) + 0.08 * std::cos(kFourPi * n / kPoints);
    default:
        return 1.0;
    }
}

struct WindowPicture {
    int window;
    const char* file;
    QString title;
    QStringList formula; // one or two lines
};

// Plot frame: n = 0 at the left edge, n = 300 at the right; w = 0 at the bottom, 1 near the top.
const QRectF kPlot(30.5, 44.5, 148.0, 88.0);
constexpr double kTopWeight = 1.1;

QPointF Map(double n, double w) {
    return {kPlot.left() + n * kPlot.width() / kPoints,
            kPlot.bottom() - w * kPlot.height() / kTopWeight};
}

QImage Picture(const WindowPicture& wp) {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QFont title(SansFamily());
    title.setPixelSize(12);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRectF(0, 3, kWidth, 15), Qt::AlignHCenter | Qt::AlignVCenter, wp.title);

    // The formula, in the largest size up to 10 pixels that fits the width, centred in the
    // band between the title and the plot.
    QFont formula(SansFamily());
    for (int size = 10; size >= 7; --size) {
        formula.setPixelSize(size);
        bool fits = true;
        for (const QString& line : wp.formula)
            fits = fits && QFontMetricsF(formula).horizontalAdvance(line) <= kWidth - 8;
        if (fits)
            break;
    }
    p.setFont(formula);
    p.setPen(QColor(60, 60, 60));
    const double lineHeight = 11.0;
    double top = 17.0 + (2 - wp.formula.size()) * lineHeight / 2.0;
    for (const QString& line : wp.formula) {
        p.drawText(QRectF(0, top, kWidth, lineHeight), Qt::AlignHCenter | Qt::AlignVCenter, line);
        top += lineHeight;
    }

    // Grid at w = 0.5 and 1, n = 150 and 300.
    p.setPen(QPen(QColor(200, 200, 200), 1.0, Qt::DotLine));
    for (double w : {0.5, 1.0})
        p.drawLine(Map(0, w), Map(kPoints, w));
    for (double n : {150.0, 300.0})
        p.drawLine(Map(n, 0), Map(n, kTopWeight));

    // The curve w(n), n = 1 to 300; the rectangular window drops to 0 at both ends.
    QPainterPath curve;
    if (wp.window == 1) {
        curve.moveTo(Map(1, 0));
        curve.lineTo(Map(1, 1));
        curve.lineTo(Map(kPoints, 1));
        curve.lineTo(Map(kPoints, 0));
    } else {
        curve.moveTo(Map(1, Weight(wp.window, 1)));
        for (int n = 2; n <= kPoints; ++n)
            curve.lineTo(Map(n, Weight(wp.window, n)));
    }
    QPainterPath area = curve;
    area.lineTo(Map(kPoints, 0));
    area.lineTo(Map(1, 0));
    area.closeSubpath();
    p.fillPath(area, QColor(205, 222, 255));
    p.setPen(QPen(QColor(0, 60, 200), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);

    // Axes with their ticks and labels.
    p.setPen(QPen(Qt::black, 1.0));
    p.drawLine(Map(0, 0), Map(kPoints, 0) + QPointF(3, 0));
    p.drawLine(Map(0, 0), Map(0, kTopWeight) + QPointF(0, -3));
    QFont small(SansFamily());
    small.setPixelSize(9);
    p.setFont(small);
    for (double w : {0.0, 0.5, 1.0}) {
        const QPointF at = Map(0, w);
        p.drawLine(at, at - QPointF(3, 0));
        p.drawText(QRectF(0, at.y() - 6, at.x() - 5, 12), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(w, 'g', 2));
    }
    for (int n : {0, 150, 300}) {
        const QPointF at = Map(n, 0);
        p.drawLine(at, at + QPointF(0, 3));
        p.drawText(QRectF(at.x() - 20, at.y() + 4, 40, 11), Qt::AlignHCenter | Qt::AlignTop,
                   QString::number(n));
    }
    QFont italic(SerifFamily());
    italic.setPixelSize(10);
    italic.setItalic(true);
    p.setFont(italic);
    p.drawText(QRectF(kPlot.right() + 3, kPlot.bottom() - 13, 12, 12), Qt::AlignCenter,
               QStringLiteral("n"));
    p.drawText(QRectF(kPlot.left() + 4, kPlot.top() - 7, 30, 11), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("w(n)"));

    p.setPen(QColor(160, 160, 160));
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawRect(0, 0, kWidth - 1, kHeight - 1);
    return img;
}

} // namespace

bool WriteWindowCurves(const QDir& out) {
    const QString pi = QStringLiteral("\u03C0");
    const QString cos2 = QStringLiteral("cos(2%1n/300)").arg(pi);
    const QString cos4 = QStringLiteral("cos(4%1n/300)").arg(pi);
    const WindowPicture pictures[] = {
        {1,
         "rectangle.bmp",
         QStringLiteral("Fenêtre rectangulaire"),
         {QStringLiteral("w(n) = 1"), QStringLiteral("aucune pondération")}},
        {2,
         "hanning.bmp",
         QStringLiteral("Fenêtre de Hanning"),
         {QStringLiteral("w(n) = 0.5 - 0.5 ") + cos2}},
        {3,
         "hamming.bmp",
         QStringLiteral("Fenêtre de Hamming"),
         {QStringLiteral("w(n) = 0.54 - 0.46 ") + cos2}},
        {4,
         "bartlett.bmp",
         QStringLiteral("Fenêtre de Bartlett"),
         {QStringLiteral("w(n) = n/151 pour n \u2264 151"),
          QStringLiteral("w(n) = (302 - n)/151 pour n \u2265 151")}},
        {5,
         "blackman.bmp",
         QStringLiteral("Fenêtre de Blackman"),
         {QStringLiteral("w(n) = 0.42 - 0.5 ") + cos2, QStringLiteral("+ 0.08 ") + cos4}},
    };
    for (const WindowPicture& wp : pictures)
        if (!SaveBmp8(Picture(wp), out, QLatin1String(wp.file)))
            return false;
    return true;
}

} // namespace datagen
