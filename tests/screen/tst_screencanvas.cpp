#include "ScreenTestSupport.h"

#include <QtTest>

using namespace ScreenTest;

// The drawing rules every screen layer relies on: lines without their end pixel, pen
// colours from 0x00BBGGRR integers, the dotted and dashed patterns, opaque text cells in
// the 13-pixel screen font, clipping of far coordinates.
class ScreenCanvasTest : public QObject {
    Q_OBJECT
private slots:
    void linesLeaveOutTheEndPixel_data();
    void linesLeaveOutTheEndPixel();
    void lineToContinuesFromTheLastPoint();
    void penColourComesFromBgrInteger_data();
    void penColourComesFromBgrInteger();
    void stylesFollowTheirPattern_data();
    void stylesFollowTheirPattern();
    void widePenCoversItsWidth();
    void farCoordinatesAreClipped_data();
    void farCoordinatesAreClipped();
    void textCellIsOpaqueAndThirteenHigh();
    void textCellIsClippedAtTheEdges_data();
    void textCellIsClippedAtTheEdges();
    void newImageRestoresDefaultState();
};

void ScreenCanvasTest::linesLeaveOutTheEndPixel_data() {
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QList<QPoint>>("pixels");

    QTest::newRow("right") << QPoint(10, 5) << QPoint(13, 5)
                           << QList<QPoint>{{10, 5}, {11, 5}, {12, 5}};
    QTest::newRow("left") << QPoint(13, 5) << QPoint(10, 5)
                          << QList<QPoint>{{13, 5}, {12, 5}, {11, 5}};
    QTest::newRow("down") << QPoint(4, 7) << QPoint(4, 10) << QList<QPoint>{{4, 7}, {4, 8}, {4, 9}};
    QTest::newRow("up") << QPoint(4, 10) << QPoint(4, 7) << QList<QPoint>{{4, 10}, {4, 9}, {4, 8}};
    QTest::newRow("diagonal") << QPoint(0, 0) << QPoint(3, 3)
                              << QList<QPoint>{{0, 0}, {1, 1}, {2, 2}};
    QTest::newRow("shallow") << QPoint(0, 0) << QPoint(4, 2)
                             << QList<QPoint>{{0, 0}, {1, 1}, {2, 1}, {3, 2}};
    QTest::newRow("one pixel") << QPoint(8, 8) << QPoint(9, 8) << QList<QPoint>{{8, 8}};
    QTest::newRow("zero length") << QPoint(8, 8) << QPoint(8, 8) << QList<QPoint>{};
}

void ScreenCanvasTest::linesLeaveOutTheEndPixel() {
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QList<QPoint>, pixels);

    ScreenCanvas canvas;
    canvas.MoveTo(from.x(), from.y());
    canvas.LineTo(to.x(), to.y());
    const QImage& image = canvas.Image();
    QList<QPoint> drawn;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if (Pixel(image, x, y) == Black)
                drawn << QPoint(x, y);
    auto byPosition = [](const QPoint& a, const QPoint& b) {
        return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
    };
    std::sort(drawn.begin(), drawn.end(), byPosition);
    std::sort(pixels.begin(), pixels.end(), byPosition);
    QCOMPARE(drawn, pixels);
}

void ScreenCanvasTest::lineToContinuesFromTheLastPoint() {
    // A tick drawn as (320, y) -> (325, y) then on to (314, y) covers 315..325.
    ScreenCanvas canvas;
    canvas.MoveTo(320, 50);
    canvas.LineTo(325, 50);
    canvas.LineTo(314, 50);
    QCOMPARE(XsWithColour(canvas.Image(), 50, Black), Range(315, 325));
}

void ScreenCanvasTest::penColourComesFromBgrInteger_data() {
    QTest::addColumn<int>("bgr");
    QTest::addColumn<QRgb>("rgb");
    QTest::newRow("red") << 255 << qRgb(255, 0, 0);
    QTest::newRow("blue") << 16711680 << qRgb(0, 0, 255);
    QTest::newRow("math green") << 1813282 << qRgb(0x22, 0xAB, 0x1B);
    QTest::newRow("black") << 0 << qRgb(0, 0, 0);
}

void ScreenCanvasTest::penColourComesFromBgrInteger() {
    QFETCH(int, bgr);
    QFETCH(QRgb, rgb);
    ScreenCanvas canvas;
    canvas.SetPenColour(bgr);
    canvas.MoveTo(5, 5);
    canvas.LineTo(6, 5);
    QCOMPARE(Pixel(canvas.Image(), 5, 5), rgb);
    canvas.SetTextColour(bgr);
    canvas.TextOut(100, 100, QStringLiteral("M"));
    QVERIFY(CountColour(canvas.Image(), rgb) > 1);
}

void ScreenCanvasTest::stylesFollowTheirPattern_data() {
    QTest::addColumn<PenStyle>("style");
    QTest::addColumn<int>("on");
    QTest::addColumn<int>("off");
    QTest::newRow("dotted") << PenStyle::Dotted << 3 << 3;
    QTest::newRow("dashed") << PenStyle::Dashed << 18 << 6;
}

void ScreenCanvasTest::stylesFollowTheirPattern() {
    QFETCH(PenStyle, style);
    QFETCH(int, on);
    QFETCH(int, off);

    ScreenCanvas canvas;
    canvas.SetPenStyle(style);
    // The pattern runs on over consecutive line-to calls and restarts at a move.
    canvas.MoveTo(20, 80);
    canvas.LineTo(120, 80);
    canvas.LineTo(620, 80);
    canvas.MoveTo(300, 100);
    canvas.LineTo(400, 100);

    QList<int> expected80;
    for (int x = 20; x < 620; ++x)
        if ((x - 20) % (on + off) < on)
            expected80 << x;
    QCOMPARE(XsWithColour(canvas.Image(), 80, Black), expected80);
    QList<int> expected100;
    for (int x = 300; x < 400; ++x)
        if ((x - 300) % (on + off) < on)
            expected100 << x;
    QCOMPARE(XsWithColour(canvas.Image(), 100, Black), expected100);
}

void ScreenCanvasTest::widePenCoversItsWidth() {
    // A pen wider than one pixel is centred on the line; its style is always solid.
    ScreenCanvas canvas;
    canvas.SetPenWidth(3);
    canvas.SetPenStyle(PenStyle::Dotted);
    canvas.MoveTo(10, 10);
    canvas.LineTo(30, 10);
    QCOMPARE(YsWithColour(canvas.Image(), 15, Black), Range(9, 11));
    QCOMPARE(XsWithColour(canvas.Image(), 10, Black), Range(9, 30));
    canvas.SetPenWidth(0); // a width below one draws one pixel wide
    QCOMPARE(canvas.PenWidth(), 1);
}

void ScreenCanvasTest::farCoordinatesAreClipped_data() {
    QTest::addColumn<qint64>("x1");
    QTest::addColumn<qint64>("y1");
    QTest::addColumn<qint64>("x2");
    QTest::addColumn<qint64>("y2");
    QTest::addColumn<QList<QPoint>>("inside"); // pixels that must be drawn

    // A trace point with a code far below 0 leaves the raster almost vertically.
    QTest::newRow("steep to far below")
        << qint64(20) << qint64(160) << qint64(22) << qint64(288) + 2147483648LL
        << QList<QPoint>{{20, 160}, {20, 319}};
    QTest::newRow("steep from far above")
        << qint64(-4000000000LL) << qint64(-4000000000LL) << qint64(10) << qint64(10)
        << QList<QPoint>{{0, 0}, {9, 9}};
    QTest::newRow("horizontal beyond both ends")
        << qint64(-5000000000LL) << qint64(3) << qint64(5000000000LL) << qint64(3)
        << QList<QPoint>{{0, 3}, {639, 3}};
    QTest::newRow("vertical beyond both ends")
        << qint64(5) << qint64(5000000000LL) << qint64(5) << qint64(-5000000000LL)
        << QList<QPoint>{{5, 0}, {5, 319}};
    QTest::newRow("row above the raster")
        << qint64(0) << qint64(-1) << qint64(600) << qint64(-1) << QList<QPoint>{};
    QTest::newRow("wholly outside")
        << qint64(700) << qint64(10) << qint64(900) << qint64(10) << QList<QPoint>{};
}

void ScreenCanvasTest::farCoordinatesAreClipped() {
    QFETCH(qint64, x1);
    QFETCH(qint64, y1);
    QFETCH(qint64, x2);
    QFETCH(qint64, y2);
    QFETCH(QList<QPoint>, inside);

    ScreenCanvas canvas;
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
    for (const QPoint& p : inside)
        QCOMPARE(Pixel(canvas.Image(), p.x(), p.y()), Black);
    if (inside.isEmpty())
        QVERIFY(AllWhite(canvas.Image(), canvas.Image().rect()));
}

void ScreenCanvasTest::textCellIsOpaqueAndThirteenHigh() {
    QCOMPARE(ScreenFont::LineHeight, 13);
    QCOMPARE(QFontMetrics(ScreenFont::Font()).height(), 13);

    ScreenCanvas canvas;
    canvas.SetPenColour(255);
    for (int y = 0; y < 40; ++y) { // a red background under the text
        canvas.MoveTo(0, y);
        canvas.LineTo(200, y);
    }
    canvas.SetTextColour(16711680);
    const QString text = QStringLiteral("Trigger : VOIE A");
    canvas.TextOut(10, 5, text);

    const int width = ScreenFont::TextWidth(text);
    QVERIFY(width > 50);
    QVERIFY(HasTextCell(canvas.Image(), 10, 5, text, 16711680));
    // Every pixel of the cell is white or the text colour; the red is gone inside it and
    // left untouched around it.
    const QRgb blue = Rgb(16711680);
    int textPixels = 0;
    for (int y = 5; y < 18; ++y)
        for (int x = 10; x < 10 + width; ++x) {
            const QRgb p = Pixel(canvas.Image(), x, y);
            QVERIFY(p == White || p == blue);
            textPixels += p == blue;
        }
    QVERIFY(textPixels > 30);
    QCOMPARE(Pixel(canvas.Image(), 10, 4), Rgb(255));
    QCOMPARE(Pixel(canvas.Image(), 10, 18), Rgb(255));
    QCOMPARE(Pixel(canvas.Image(), 9, 10), Rgb(255));
    QCOMPARE(Pixel(canvas.Image(), 10 + width, 10), Rgb(255));
    // Spaces write a white cell of their width.
    canvas.TextOut(0, 20, QString(5, QLatin1Char(' ')));
    QVERIFY(
        AllWhite(canvas.Image(), QRect(0, 20, ScreenFont::TextWidth(QStringLiteral("     ")), 13)));
}

// Cells that overhang an edge keep their part on the raster, exactly where it belongs;
// nothing wraps onto the other side or another row, and a cell wholly off the raster
// changes nothing.
void ScreenCanvasTest::textCellIsClippedAtTheEdges_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("visible"); // the part of the cell left on the raster

    const int w0 = ScreenFont::TextWidth(QStringLiteral("0"));
    const int w100 = ScreenFont::TextWidth(QStringLiteral("100"));
    QTest::newRow("over the top-left corner") << QPoint(-3, -6) << "0" << QRect(0, 0, w0 - 3, 7);
    QTest::newRow("over the bottom-right corner")
        << QPoint(630, 312) << "100" << QRect(630, 312, 10, 8);
    QTest::newRow("over the left edge") << QPoint(-5, 100) << "100" << QRect(0, 100, w100 - 5, 13);
    QTest::newRow("over the bottom edge") << QPoint(200, 310) << "0" << QRect(200, 310, w0, 10);
    QTest::newRow("right of the raster") << QPoint(640, 10) << "x" << QRect();
    QTest::newRow("far away") << QPoint(5000, 5000) << "x" << QRect();
    QTest::newRow("far above") << QPoint(10, -5000) << "x" << QRect();
    QTest::newRow("just above") << QPoint(10, -13) << "x" << QRect();
}

void ScreenCanvasTest::textCellIsClippedAtTheEdges() {
    QFETCH(QPoint, at);
    QFETCH(QString, text);
    QFETCH(QRect, visible);

    // Over a red raster, so that the white of the cell shows where the cell went.
    ScreenCanvas canvas;
    canvas.SetPenColour(255);
    for (int y = 0; y < ScreenCanvas::Height; ++y) {
        canvas.MoveTo(0, y);
        canvas.LineTo(ScreenCanvas::Width, y);
    }
    const QImage red = canvas.Image().copy();
    canvas.SetTextColour(16711680);
    canvas.TextOut(at.x(), at.y(), text);
    const QImage& image = canvas.Image();

    if (visible.isEmpty()) {
        QCOMPARE(image, red);
        return;
    }
    QVERIFY(HasTextCell(image, at.x(), at.y(), text, 16711680));
    QVERIFY(CountColour(image, Rgb(16711680)) > 0);
    // The visible part is wholly covered by the cell, and every pixel outside it is still
    // red.
    QCOMPARE(CountColour(image, Rgb(255)),
             ScreenCanvas::Width * ScreenCanvas::Height - visible.width() * visible.height());
    QCOMPARE(CountColour(image.copy(visible), Rgb(255)), 0);
}

void ScreenCanvasTest::newImageRestoresDefaultState() {
    ScreenCanvas canvas;
    canvas.SetPenColour(255);
    canvas.SetPenStyle(PenStyle::Dashed);
    canvas.SetTextColour(255);
    canvas.MoveTo(0, 0);
    canvas.LineTo(100, 100);
    canvas.NewImage();
    QCOMPARE(canvas.Image().size(), QSize(640, 320));
    QVERIFY(AllWhite(canvas.Image(), canvas.Image().rect()));
    QCOMPARE(canvas.PenColour(), Black);
    QCOMPARE(canvas.TextColour(), Black);
    QCOMPARE(canvas.Style(), PenStyle::Solid);
    QCOMPARE(canvas.PenWidth(), 1);
}

QTEST_MAIN(ScreenCanvasTest)
#include "tst_screencanvas.moc"
