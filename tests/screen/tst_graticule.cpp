#include "ScreenTestSupport.h"

#include "screen/Graticule.h"
#include "screen/ScreenGeometry.h"

#include <QtTest>

using namespace ScreenTest;

// The graticule layer: the geometry, the division lines, the ticks, the frame and the two
// options, checked on the pixels of the raster.
class GraticuleTest : public QObject {
    Q_OBJECT
private slots:
    void geometryOfTheScreen();
    void profiles_data();
    void profiles();
    void frameAndOutside_data();
    void frameAndOutside();
    void riseTimeTextsStandInTheRightMargin();
    void optionsAreComparedExactly_data();
    void optionsAreComparedExactly();
    void badColourTextDrawsInTheProgramsOwnColour_data();
    void badColourTextDrawsInTheProgramsOwnColour();
    void graticuleReplacesTheRaster();

private:
    static QImage Draw(bool peripheral, bool riseTime);
};

QImage GraticuleTest::Draw(bool peripheral, bool riseTime) {
    PersistedSettings settings = DisplaySettings();
    settings.SetLine(2, peripheral ? QStringLiteral("PERIPHERIQUE_ON")
                                   : QStringLiteral("PERIPHERIQUE_OFF"));
    settings.SetLine(3,
                     riseTime ? QStringLiteral("LIGNE1090%_ON") : QStringLiteral("LIGNE1090%_OFF"));
    ScreenCanvas canvas;
    DrawGraticule(canvas, settings);
    return canvas.Image();
}

void GraticuleTest::geometryOfTheScreen() {
    const ScreenGeometry g = ScreenGeometry::From(640, 320);
    QCOMPARE(g.width, 640);
    QCOMPARE(g.height, 320);
    QCOMPARE(g.centreX, 320);
    QCOMPARE(g.centreY, 160);
    QCOMPARE(g.margin, 20);
    QCOMPARE(g.divisionWidth, 60);
    QCOMPARE(g.subdivisionWidth, 12);
}

// A profile is the list of graticule-coloured coordinates along one row or column.
void GraticuleTest::profiles_data() {
    QTest::addColumn<bool>("peripheral");
    QTest::addColumn<bool>("riseTime");
    QTest::addColumn<bool>("alongRow");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QList<int>>("expected");

    const QList<int> divisionXs = Range(20, 620, 60); // 11 vertical lines
    const QList<int> divisionYs = Range(32, 288, 32); // 9 horizontal lines
    const QList<int> axisTickXs = Range(32, 620, 12); // 50 ticks, none at x = 20
    QList<int> axisTickYs;                            // 32 ticks
    for (int top = 32; top < 288; top += 32)
        for (int offset : {6, 13, 19, 26})
            axisTickYs << top + offset;

    for (bool peripheral : {false, true}) {
        const char* p = peripheral ? "peripheral on" : "peripheral off";
        // Row 100 crosses every vertical line and nothing else.
        QTest::addRow("%s: vertical lines", p)
            << peripheral << false << true << 100 << 20 << 620 << divisionXs;
        // Column 50 crosses every horizontal line and nothing else.
        QTest::addRow("%s: horizontal lines", p)
            << peripheral << false << false << 50 << 32 << 288 << divisionYs;
        // Column 317 lies inside the vertical-axis ticks, which cover x = 315..325.
        QTest::addRow("%s: vertical-axis ticks", p)
            << peripheral << false << false << 317 << 32 << 288 << Union(axisTickYs, divisionYs);
        QTest::addRow("%s: ticks end at 315 and 325", p)
            << peripheral << false << true << 38 << 300 << 340 << Range(315, 325);
        // Row 158 crosses the horizontal-axis ticks (y = 156..164) and the vertical lines.
        QTest::addRow("%s: horizontal-axis ticks", p)
            << peripheral << false << true << 158 << 20 << 620 << Union(axisTickXs, divisionXs);
        QTest::addRow("%s: a horizontal-axis tick covers 156..164", p)
            << peripheral << false << false << 44 << 140 << 180 << Range(156, 164);
        // The outer lines carry ticks only with the option.
        const QList<int> topTick = peripheral ? Range(32, 36) : QList<int>{32};
        const QList<int> bottomTick = peripheral ? Range(284, 288) : QList<int>{288};
        QTest::addRow("%s: top and bottom edge ticks", p)
            << peripheral << false << false << 44 << 31 << 40 << Union(topTick, {31});
        QTest::addRow("%s: bottom edge tick", p)
            << peripheral << false << false << 44 << 280 << 289 << Union(bottomTick, {289});
        QTest::addRow("%s: left edge ticks", p)
            << peripheral << false << true << 38 << 19 << 30
            << (peripheral ? Range(19, 24) : QList<int>{19, 20});
        QTest::addRow("%s: right edge ticks", p)
            << peripheral << false << true << 38 << 610 << 621
            << (peripheral ? Range(616, 621) : QList<int>{620, 621});
    }
    // The rise-time lines: dotted 3 on 3 off from x = 20, at y = 80 and 240.
    QList<int> dotted;
    for (int x = 20; x < 620; ++x)
        if ((x - 20) % 6 < 3 || (x - 20) % 60 == 0)
            dotted << x;
    dotted << 620; // the right vertical line
    QTest::newRow("rise-time line at 80") << false << true << true << 80 << 20 << 620 << dotted;
    QTest::newRow("rise-time line at 240") << false << true << true << 240 << 20 << 620 << dotted;
    QTest::newRow("no rise-time line") << false << false << true << 80 << 20 << 620 << divisionXs;
}

void GraticuleTest::profiles() {
    QFETCH(bool, peripheral);
    QFETCH(bool, riseTime);
    QFETCH(bool, alongRow);
    QFETCH(int, line);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QList<int>, expected);

    const QImage image = Draw(peripheral, riseTime);
    const QRgb colour = Rgb(GraticuleColour);
    const QList<int> found = alongRow ? XsWithColour(image, line, colour, from, to)
                                      : YsWithColour(image, line, colour, from, to);
    QCOMPARE(found, expected);
}

void GraticuleTest::frameAndOutside_data() {
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<bool>("drawn");

    QTest::newRow("frame top-left") << QPoint(19, 31) << true;
    QTest::newRow("frame top-right") << QPoint(621, 31) << true;
    QTest::newRow("frame bottom-left") << QPoint(19, 289) << true;
    QTest::newRow("frame bottom-right") << QPoint(621, 289) << true;
    QTest::newRow("frame left middle") << QPoint(19, 160) << true;
    QTest::newRow("frame right middle") << QPoint(621, 200) << true;
    QTest::newRow("frame top middle") << QPoint(333, 31) << true;
    QTest::newRow("frame bottom middle") << QPoint(333, 289) << true;
    QTest::newRow("outside left") << QPoint(18, 160) << false;
    QTest::newRow("outside right") << QPoint(622, 160) << false;
    QTest::newRow("outside top") << QPoint(320, 30) << false;
    QTest::newRow("outside bottom") << QPoint(320, 290) << false;
    QTest::newRow("centre") << QPoint(320, 160) << true;
    QTest::newRow("inside a division") << QPoint(50, 50) << false;
}

void GraticuleTest::frameAndOutside() {
    QFETCH(QPoint, pixel);
    QFETCH(bool, drawn);
    for (bool peripheral : {false, true}) {
        const QImage image = Draw(peripheral, false);
        QCOMPARE(Pixel(image, pixel.x(), pixel.y()) == Rgb(GraticuleColour), drawn);
        if (!drawn)
            QCOMPARE(Pixel(image, pixel.x(), pixel.y()), White);
    }
}

void GraticuleTest::riseTimeTextsStandInTheRightMargin() {
    const QImage on = Draw(false, true);
    QVERIFY(HasTextCell(on, 622, 74, QStringLiteral("100"), 0));
    QVERIFY(HasTextCell(on, 625, 89, QStringLiteral("90"), 0));
    QVERIFY(HasTextCell(on, 625, 217, QStringLiteral("10"), 0));
    QVERIFY(HasTextCell(on, 628, 234, QStringLiteral("0"), 0));
    // The texts never reach left of x = 622; the frame at 621 stays.
    QCOMPARE(YsWithColour(on, 621, Rgb(GraticuleColour), 31, 289), Range(31, 289));

    const QImage off = Draw(false, false);
    QVERIFY(AllWhite(off, QRect(622, 0, 18, 320)));
    QVERIFY(AllWhite(off, QRect(0, 0, 640, 31)));
    QVERIFY(AllWhite(off, QRect(0, 290, 640, 30)));
    QVERIFY(AllWhite(off, QRect(0, 0, 19, 320)));
}

void GraticuleTest::optionsAreComparedExactly_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("on");
    QTest::newRow("ticks on") << 2 << "PERIPHERIQUE_ON" << true;
    QTest::newRow("ticks lower case") << 2 << "peripherique_on" << false;
    QTest::newRow("ticks trailing space") << 2 << "PERIPHERIQUE_ON " << false;
    QTest::newRow("ticks empty") << 2 << "" << false;
    QTest::newRow("rise-time on") << 3 << "LIGNE1090%_ON" << true;
    QTest::newRow("rise-time lower case") << 3 << "ligne1090%_on" << false;
    QTest::newRow("rise-time leading space") << 3 << " LIGNE1090%_ON" << false;
}

void GraticuleTest::optionsAreComparedExactly() {
    QFETCH(int, line);
    QFETCH(QString, text);
    QFETCH(bool, on);

    PersistedSettings settings = DisplaySettings();
    settings.SetLine(line, text);
    ScreenCanvas canvas;
    DrawGraticule(canvas, settings);
    const QImage expected = line == 2 ? Draw(on, false) : Draw(false, on);
    QCOMPARE(canvas.Image(), expected);
    QVERIFY(Draw(true, false) != Draw(false, false));
}

// A colour line always holds a number: text that is not one is replaced by the program's
// own colour for the graticule, black, and the whole graticule is drawn in it.
void GraticuleTest::badColourTextDrawsInTheProgramsOwnColour_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("word") << "rouge";
    QTest::newRow("decimal comma") << "12,5";
    QTest::newRow("empty") << "";
    QTest::newRow("leading space") << " 128";
    QTest::newRow("beyond int") << "2147483648";
}

void GraticuleTest::badColourTextDrawsInTheProgramsOwnColour() {
    QFETCH(QString, text);
    PersistedSettings settings = DisplaySettings();
    settings.SetLine(9, text);
    ScreenCanvas canvas;
    canvas.MoveTo(0, 0);
    canvas.LineTo(300, 300); // something from the previous picture
    DrawGraticule(canvas, settings);

    const QImage& image = canvas.Image();
    QCOMPARE(CountColour(image, Rgb(GraticuleColour)), 0);
    QCOMPARE(Pixel(image, 19, 31), Black);
    QCOMPARE(Pixel(image, 320, 160), Black);
    QCOMPARE(XsWithColour(image, 100, Black, 20, 620), Range(20, 620, 60));
    PersistedSettings black = DisplaySettings();
    black.SetLine(9, QStringLiteral("0"));
    ScreenCanvas reference;
    DrawGraticule(reference, black);
    QCOMPARE(image, reference.Image());
}

void GraticuleTest::graticuleReplacesTheRaster() {
    ScreenCanvas canvas;
    canvas.SetPenColour(255);
    canvas.SetPenStyle(PenStyle::Dashed);
    canvas.MoveTo(0, 0);
    canvas.LineTo(639, 319);
    DrawGraticule(canvas, DisplaySettings());
    QCOMPARE(canvas.Image(), Draw(false, false));
    QCOMPARE(canvas.Style(), PenStyle::Solid);
    QCOMPARE(canvas.TextColour(), Black);
}

QTEST_MAIN(GraticuleTest)
#include "tst_graticule.moc"
