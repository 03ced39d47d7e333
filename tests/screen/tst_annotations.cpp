#include "ScreenTestSupport.h"

#include "screen/Annotations.h"

#include <QtTest>
#include <climits>

using namespace ScreenTest;

// The texts around the graticule and the ground markers: every text, place and colour.
class AnnotationsTest : public QObject {
    Q_OBJECT
private slots:
    void clockTexts_data();
    void clockTexts();
    void clockOptionsAreExact();
    void timeBaseLabels_data();
    void timeBaseLabels();
    void channelLabels_data();
    void channelLabels();
    void switchedOffChannelBlanksItsLabels();
    void triggerLabels_data();
    void triggerLabels();
    void mathLabels_data();
    void mathLabels();
    void groundMarkers_data();
    void groundMarkers();
    void channelAMarkerCoversChannelB();
    void farLevelsAreClippedAtTheRasterEdge_data();
    void farLevelsAreClippedAtTheRasterEdge();
};

void AnnotationsTest::clockTexts_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("date");
    QTest::newRow("5 March 2007") << QDateTime(QDate(2007, 3, 5), QTime(9, 5, 7)) << "9:05:07  "
                                  << "05/03/2007  ";
    QTest::newRow("25 December 2007")
        << QDateTime(QDate(2007, 12, 25), QTime(10, 15, 30)) << "10:15:30  "
        << "25/12/2007  ";
    QTest::newRow("midnight") << QDateTime(QDate(2026, 1, 9), QTime(0, 0, 0)) << "0:00:00  "
                              << "09/01/2026  ";
    QTest::newRow("last second") << QDateTime(QDate(1999, 10, 31), QTime(23, 59, 59))
                                 << "23:59:59  "
                                 << "31/10/1999  ";
}

void AnnotationsTest::clockTexts() {
    QFETCH(QDateTime, now);
    QFETCH(QString, time);
    QFETCH(QString, date);

    ScreenCanvas canvas;
    const ClockReading reading = DrawClock(canvas, DisplaySettings(), now);
    QCOMPARE(ClockTimeText(reading), time);
    QCOMPARE(ClockDateText(reading), date);
    QVERIFY(HasTextCell(canvas.Image(), 20, 1, time, ClockColour));
    QVERIFY(HasTextCell(canvas.Image(), 20, 15, date, ClockColour));
    QCOMPARE(canvas.TextColour(), Black);
    QCOMPARE(reading.year, now.date().year());
    QCOMPARE(reading.Minute(), QString::number(now.time().minute())); // no leading zero
    QCOMPARE(reading.Day(), QString::number(now.date().day()));
}

void AnnotationsTest::clockOptionsAreExact() {
    PersistedSettings settings = DisplaySettings();
    settings.SetLine(4, QStringLiteral("HEURE_OFF"));
    settings.SetLine(5, QStringLiteral("date_on"));
    ScreenCanvas canvas;
    canvas.TextOut(20, 1, QStringLiteral("earlier text")); // stays: nothing is written
    const QDateTime now(QDate(2007, 3, 5), QTime(9, 5, 7));
    DrawClock(canvas, settings, now);
    QVERIFY(HasTextCell(canvas.Image(), 20, 1, QStringLiteral("earlier text"), 0));
    QVERIFY(AllWhite(canvas.Image(), QRect(0, 14, 640, 14)));
    QCOMPARE(canvas.TextColour(), Black);
}

void AnnotationsTest::timeBaseLabels_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("magnification");
    QTest::addColumn<QString>("text");
    QTest::newRow("12 x1") << 12 << 1 << "Time / Div x1 : 0.1ms";
    QTest::newRow("12 x2") << 12 << 2 << "Time / Div x2 : 50µs";
    QTest::newRow("12 x5") << 12 << 5 << "Time / Div x5 : 20µs";
    QTest::newRow("1 x1") << 1 << 1 << "Time / Div x1 : 500ms";
    QTest::newRow("2 x5") << 2 << 5 << "Time / Div x5 : 40ms";
    QTest::newRow("7 x2") << 7 << 2 << "Time / Div x2 : 2.5ms";
    QTest::newRow("10 x2") << 10 << 2 << "Time / Div x2 : 0.25ms";
    QTest::newRow("11 x5") << 11 << 5 << "Time / Div x5 : 40µs";
    QTest::newRow("16 x2") << 16 << 2 << "Time / Div x2 : 2.5µs";
    QTest::newRow("18 x5") << 18 << 5 << "Time / Div x5 : 0.2µs";
    QTest::newRow("index 0") << 0 << 1 << "";
    QTest::newRow("index 19") << 19 << 1 << "";
    QTest::newRow("magnifier 3") << 12 << 3 << "";
}

void AnnotationsTest::timeBaseLabels() {
    QFETCH(int, index);
    QFETCH(int, magnification);
    QFETCH(QString, text);

    QCOMPARE(TimeBaseScreenLabel(index, magnification), text);
    InstrumentSettings instrument;
    instrument.timeBaseIndex = index;
    ScreenCanvas canvas;
    DrawTimeBaseLabel(canvas, instrument, magnification);
    if (text.isEmpty())
        QVERIFY(AllWhite(canvas.Image(), canvas.Image().rect()));
    else
        QVERIFY(HasTextCell(canvas.Image(), 490, 15, text, 0));
}

void AnnotationsTest::channelLabels_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("coupling");
    QTest::addColumn<int>("volts");
    QTest::addColumn<bool>("x10");
    QTest::addColumn<QString>("couplingText");
    QTest::addColumn<QString>("voltsText");

    QTest::newRow("A GND 3") << 0 << 2 << 3 << false << "Couplage VOIE A (X) : GND"
                             << "Volts / Div x1 : 1V";
    QTest::newRow("A AC 1 x10") << 0 << 1 << 1 << true << "Couplage VOIE A (X) : AC"
                                << "Volts / Div x10 : 50V";
    QTest::newRow("B DC 9") << 1 << 3 << 9 << false << "Couplage VOIE B (Y) : DC"
                            << "Volts / Div x1 : 10mV";
    QTest::newRow("B DC 9 x10") << 1 << 3 << 9 << true << "Couplage VOIE B (Y) : DC"
                                << "Volts / Div x10 : 100mV";
    QTest::newRow("A coupling outside") << 0 << 4 << 3 << false << ""
                                        << "";
}

void AnnotationsTest::channelLabels() {
    QFETCH(int, channel);
    QFETCH(int, coupling);
    QFETCH(int, volts);
    QFETCH(bool, x10);
    QFETCH(QString, couplingText);
    QFETCH(QString, voltsText);

    const Channel ch = channel == 0 ? Channel::A : Channel::B;
    const int x = channel == 0 ? 120 : 320;
    const int colour = channel == 0 ? ColourA : ColourB;
    InstrumentSettings instrument;
    ChannelSettings& settings = instrument.Of(ch);
    settings.traceOn = true;
    settings.coupling = static_cast<Coupling>(coupling);
    settings.voltsPerDivIndex = volts;
    settings.probeTimesTen = x10;

    ScreenCanvas canvas;
    DrawChannelLabel(canvas, instrument, DisplaySettings(), ch);
    if (couplingText.isEmpty()) {
        QVERIFY(AllWhite(canvas.Image(), canvas.Image().rect()));
    } else {
        QVERIFY(HasTextCell(canvas.Image(), x, 1, couplingText, colour));
        QVERIFY(HasTextCell(canvas.Image(), x, 15, voltsText, colour));
    }
    QCOMPARE(canvas.TextColour(), Black);
}

void AnnotationsTest::switchedOffChannelBlanksItsLabels() {
    InstrumentSettings instrument;
    instrument.channelA.traceOn = true;
    instrument.channelB.traceOn = true;
    ScreenCanvas canvas;
    DrawChannelLabel(canvas, instrument, DisplaySettings(), Channel::A);
    DrawChannelLabel(canvas, instrument, DisplaySettings(), Channel::B);
    QVERIFY(!AllWhite(canvas.Image(), QRect(120, 0, 400, 28)));

    instrument.channelA.traceOn = false;
    instrument.channelB.traceOn = false;
    DrawChannelLabel(canvas, instrument, DisplaySettings(), Channel::A);
    DrawChannelLabel(canvas, instrument, DisplaySettings(), Channel::B);
    QVERIFY(AllWhite(canvas.Image(), canvas.Image().rect()));
    // 42 and 41 spaces are wide enough to cover the longest labels.
    QVERIFY(ScreenFont::TextWidth(QString(41, QLatin1Char(' '))) >=
            ScreenFont::TextWidth(QStringLiteral("Volts / Div x10 : 100mV")));
}

void AnnotationsTest::triggerLabels_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("text");
    QTest::newRow("off") << 1 << "Trigger : OFF";
    QTest::newRow("A") << 2 << "Trigger : VOIE A";
    QTest::newRow("B") << 3 << "Trigger : VOIE B";
    QTest::newRow("external") << 4 << "Trigger : EXTERNE";
    QTest::newRow("outside") << 5 << "";
}

void AnnotationsTest::triggerLabels() {
    QFETCH(int, source);
    QFETCH(QString, text);
    InstrumentSettings instrument;
    instrument.triggerSource = static_cast<TriggerSource>(source);
    ScreenCanvas canvas;
    DrawTriggerLabel(canvas, instrument);
    if (text.isEmpty())
        QVERIFY(AllWhite(canvas.Image(), canvas.Image().rect()));
    else
        QVERIFY(HasTextCell(canvas.Image(), 490, 293, text, 0));
}

void AnnotationsTest::mathLabels_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << 0 << QString(22, QLatin1Char(' '));
    QTest::newRow("A + B") << 1 << "Math : Voie A + Voie B";
    QTest::newRow("A - B") << 2 << "Math : Voie A - Voie B";
    QTest::newRow("X-Y") << 3 << "Math : Mode X Y       ";
}

void AnnotationsTest::mathLabels() {
    QFETCH(int, mode);
    QFETCH(QString, text);
    InstrumentSettings instrument;
    instrument.mathMode = static_cast<MathMode>(mode);
    ScreenCanvas canvas;
    DrawMathLabel(canvas, instrument, DisplaySettings());
    QVERIFY(HasTextCell(canvas.Image(), 490, 306, text, MathColour));
    if (mode == 0) // nothing visible
        QVERIFY(AllWhite(canvas.Image(), canvas.Image().rect()));
    QCOMPARE(canvas.TextColour(), Rgb(MathColour)); // left set
}

// The markers stand at the level they are given: the session measures a grounded
// channel's level before the redraw, and the drawing does not look at the samples.
void AnnotationsTest::groundMarkers_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("coupling");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("tickY");

    QTest::newRow("A grounded at 128") << 0 << 2 << 128 << 160;
    QTest::newRow("B grounded at 128") << 1 << 2 << 128 << 160;
    QTest::newRow("A grounded at 40") << 0 << 2 << 40 << 248;
    // AC or DC: the level last measured or set (centring then one up press: 130).
    QTest::newRow("A AC after centring and up") << 0 << 1 << 130 << 158;
    QTest::newRow("B DC keeps its level") << 1 << 3 << 200 << 88;
    QTest::newRow("A at level 0") << 0 << 3 << 0 << 288;
}

void AnnotationsTest::groundMarkers() {
    QFETCH(int, channel);
    QFETCH(int, coupling);
    QFETCH(int, level);
    QFETCH(int, tickY);

    const Channel ch = channel == 0 ? Channel::A : Channel::B;
    const int colour = channel == 0 ? ColourA : ColourB;
    const QList<int> tickXs = channel == 0 ? Range(15, 18) : Range(7, 18);
    const int zeroX = channel == 0 ? 8 : 0;

    ScreenFixture f;
    ChannelSettings& settings = f.instrument.Of(ch);
    settings.traceOn = true;
    settings.coupling = static_cast<Coupling>(coupling);
    settings.groundLevel = level;
    // Samples elsewhere than the level: the marker does not follow them.
    f.Fill(DisplayA, 10);
    f.Fill(DisplayB, 10);
    ScreenCanvas canvas;
    DrawGroundMarkers(canvas, f.instrument, f.settings);

    const int zeroWidth = ScreenFont::TextWidth(QStringLiteral("0"));
    QCOMPARE(XsWithColour(canvas.Image(), tickY, Rgb(colour), zeroX + zeroWidth, 30), tickXs);
    QVERIFY(HasTextCell(canvas.Image(), zeroX, tickY - 6, QStringLiteral("0"), colour));
    QVERIFY(WhiteOutside(canvas.Image(), {QRect(zeroX, tickY - 6, zeroWidth, 13),
                                          QRect(tickXs.first(), tickY, tickXs.size(), 1)}));
    QCOMPARE(canvas.TextColour(), Black);

    // Hidden marker, trace off, or a coupling outside its table: nothing drawn.
    for (int hidden = 0; hidden < 3; ++hidden) {
        ScreenFixture g;
        ChannelSettings& other = g.instrument.Of(ch);
        other.traceOn = hidden != 0;
        other.groundMarkerShown = hidden != 1;
        other.coupling = hidden == 2 ? static_cast<Coupling>(4) : Coupling::GND;
        other.groundLevel = level;
        ScreenCanvas blank;
        DrawGroundMarkers(blank, g.instrument, g.settings);
        QVERIFY2(AllWhite(blank.Image(), blank.Image().rect()),
                 qPrintable(QString::number(hidden)));
    }
}

void AnnotationsTest::channelAMarkerCoversChannelB() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    ScreenCanvas canvas;
    DrawGroundMarkers(canvas, f.instrument, f.settings);
    // Both at 128: B's long tick and "0" first, then A's over them.
    QVERIFY(HasTextCell(canvas.Image(), 0, 154, QStringLiteral("0"), ColourB));
    QVERIFY(HasTextCell(canvas.Image(), 8, 154, QStringLiteral("0"), ColourA));
    QCOMPARE(XsWithColour(canvas.Image(), 160, Rgb(ColourA), 15, 19), Range(15, 18));
    QCOMPARE(Pixel(canvas.Image(), 19, 160), White);
}

// A level pushed beyond the codes by the position buttons puts the marker beyond the
// graticule or beyond the raster: what lies on the raster is drawn, the rest is cut off,
// and nothing wraps onto another row or column.
void AnnotationsTest::farLevelsAreClippedAtTheRasterEdge_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("tickShown"); // the tick at y = 288 - level, x = 15..18
    QTest::addColumn<int>("cellTop");    // the "0" cell at y = 282 - level, 13 rows
    QTest::addColumn<int>("cellRows");   // rows of that cell left on the raster

    QTest::newRow("tick on the last row") << -30 << true << 312 << 8;
    QTest::newRow("tick below, 6 rows of the 0") << -32 << false << 314 << 6;
    QTest::newRow("all below the raster") << -40 << false << 322 << 0;
    QTest::newRow("tick on row 1") << 287 << true << -5 << 8;
    QTest::newRow("tick above, 5 rows of the 0") << 290 << false << -8 << 5;
    QTest::newRow("all above the raster") << 300 << false << -18 << 0;
    QTest::newRow("largest level") << INT_MAX << false << 0 << 0;
    QTest::newRow("smallest level") << INT_MIN << false << 0 << 0;
}

void AnnotationsTest::farLevelsAreClippedAtTheRasterEdge() {
    QFETCH(int, level);
    QFETCH(bool, tickShown);
    QFETCH(int, cellTop);
    QFETCH(int, cellRows);

    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelA.coupling = Coupling::AC;
    f.instrument.channelA.groundLevel = level;
    ScreenCanvas canvas;
    DrawGroundMarkers(canvas, f.instrument, f.settings);

    const QImage& image = canvas.Image();
    const int zeroWidth = ScreenFont::TextWidth(QStringLiteral("0"));
    QList<QRect> drawn;
    if (cellRows > 0) {
        drawn << QRect(8, std::max(cellTop, 0), zeroWidth, cellRows);
        QVERIFY(HasTextCell(image, 8, cellTop, QStringLiteral("0"), ColourA));
    }
    if (tickShown) {
        drawn << QRect(15, 288 - level, 4, 1);
        QCOMPARE(XsWithColour(image, 288 - level, Rgb(ColourA), 15, 639), Range(15, 18));
    }
    QVERIFY(WhiteOutside(image, drawn));
}

QTEST_MAIN(AnnotationsTest)
#include "tst_annotations.moc"
