#include "../screen/ScreenTestSupport.h"

#include "measure/MarkerReadouts.h"
#include "screen/OscilloscopeScreen.h"

#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <clocale>

using namespace ScreenTest;

// The marker layers of the redraw: the dashed lines, the time and frequency readout and
// the voltage and RMS readout, checked on the drawn screen (texts, places, colours), with
// the numbers' rounding and their point under a French locale.
class MarkerReadoutsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void fixedPoint_data();
    void fixedPoint();
    void voltageReadout_data();
    void voltageReadout();
    void voltageReadoutFollowsTheTraces();
    void timeReadout_data();
    void timeReadout();
    void outsideTheTablesNothingIsDrawn();
    void markerLines();
    void nothingWhileOffNorInTheSpectrumView();

private:
    // A redraw with the marker layers over the fixture's inputs and the given markers.
    QImage Redraw(ScreenFixture& f, const MarkerState& markers) const;

    QTemporaryDir localeDir;
    bool cFrenchNumbers = false;
};

void MarkerReadoutsTest::initTestCase() {
    // The user's locale writes numbers with a comma: the readouts must not follow it.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QCOMPARE(QLocale().toString(0.5, 'f', 1), QStringLiteral("0,5"));
    // The C library's numbers too, with a French locale built for the test when the
    // machine has none installed.
    if (!std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") && localeDir.isValid()) {
        QProcess::execute(QStringLiteral("localedef"),
                          {QStringLiteral("-i"), QStringLiteral("fr_FR"), QStringLiteral("-f"),
                           QStringLiteral("UTF-8"),
                           localeDir.filePath(QStringLiteral("fr_FR.UTF-8"))});
        qputenv("LOCPATH", localeDir.path().toLocal8Bit());
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    }
    cFrenchNumbers = std::localeconv()->decimal_point == std::string(",");
    if (!cFrenchNumbers)
        qWarning("no French C locale: only Qt's default locale is French");
}

void MarkerReadoutsTest::cleanupTestCase() {
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
}

QImage MarkerReadoutsTest::Redraw(ScreenFixture& f, const MarkerState& markers) const {
    f.layers.drawMarkerLines = [&](ScreenCanvas& c) { DrawMarkerLines(c, markers, f.settings); };
    f.layers.drawTimeReadout = [&](ScreenCanvas& c) {
        DrawTimeReadout(c, markers, f.instrument, f.in.magnification);
    };
    f.layers.drawVoltageReadout = [&](ScreenCanvas& c) {
        DrawVoltageReadout(c, markers, f.instrument, f.settings);
    };
    OscilloscopeScreen screen;
    screen.RedrawScreen(f.in);
    return screen.Image();
}

void MarkerReadoutsTest::fixedPoint_data() {
    QTest::addColumn<qint64>("numerator");
    QTest::addColumn<qint64>("denominator");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << qint64(7) << qint64(1) << 3 << "7.000";
    QTest::newRow("1 px at 10 mV, a half up") << qint64(10) << qint64(32) << 3 << "0.313";
    QTest::newRow("3 px at 10 mV, a half up") << qint64(30) << qint64(32) << 3 << "0.938";
    QTest::newRow("negative half, away from zero") << qint64(-10) << qint64(32) << 3 << "-0.313";
    QTest::newRow("just under a half") << qint64(31249) << qint64(100000) << 3 << "0.312";
    QTest::newRow("thirds") << qint64(1000) << qint64(9) << 2 << "111.11";
    QTest::newRow("two thirds") << qint64(2) << qint64(3) << 3 << "0.667";
    QTest::newRow("no decimals, a half") << qint64(5) << qint64(2) << 0 << "3";
    QTest::newRow("four digits, no separator") << qint64(5000) << qint64(1) << 3 << "5000.000";
    QTest::newRow("small") << qint64(1) << qint64(2000) << 3 << "0.001";
}

void MarkerReadoutsTest::fixedPoint() {
    QFETCH(qint64, numerator);
    QFETCH(qint64, denominator);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(FixedPointText(numerator, denominator, decimals), text);
    // The real-valued form agrees where the value is exact in binary.
    if (denominator == 32 || denominator == 1 || denominator == 2)
        QCOMPARE(FixedPointText(static_cast<long double>(numerator) / denominator, decimals), text);
}

void MarkerReadoutsTest::voltageReadout_data() {
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("x10");
    QTest::addColumn<QString>("dv");
    QTest::addColumn<QString>("vrms");
    QTest::addColumn<bool>("rmsMoved"); // the dv text reaches past x = 163

    QTest::newRow("start, 1 V") << 48 << 272 << 3 << false << "7.000V"
                                << "2.475V~" << false;
    QTest::newRow("1 div, 10 mV") << 100 << 132 << 9 << false << "10.000mV"
                                  << "3.536mV~" << false;
    QTest::newRow("1 div, 5 V x10") << 100 << 132 << 1 << true << "50.000V"
                                    << "17.678V~" << false;
    QTest::newRow("1 px, 500 mV") << 100 << 101 << 4 << false << "15.625mV"
                                  << "5.524mV~" << false;
    QTest::newRow("1 px, 10 mV: half up") << 100 << 101 << 9 << false << "0.313mV"
                                          << "0.110mV~" << false;
    QTest::newRow("1 div, 500 mV x10") << 100 << 132 << 4 << true << "5000.000mV"
                                       << "1767.767mV~" << false;
    QTest::newRow("whole area, 2 V") << 32 << 288 << 2 << false << "16.000V"
                                     << "5.657V~" << false;
    // Five digits before the point: 2 x 5000 mV, and the whole area, 8 x 5000 mV. The RMS
    // text moves right of the dv text and still ends before the time readout at x = 300.
    QTest::newRow("2 div, 500 mV x10") << 100 << 164 << 4 << true << "10000.000mV"
                                       << "3535.534mV~" << true;
    QTest::newRow("whole area, 500 mV x10") << 32 << 288 << 4 << true << "40000.000mV"
                                            << "14142.136mV~" << true;
}

void MarkerReadoutsTest::voltageReadout() {
    QFETCH(int, top);
    QFETCH(int, bottom);
    QFETCH(int, index);
    QFETCH(bool, x10);
    QFETCH(QString, dv);
    QFETCH(QString, vrms);
    QFETCH(bool, rmsMoved);

    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    f.instrument.channelA.voltsPerDivIndex = index;
    f.instrument.channelA.probeTimesTen = x10;
    MarkerState markers;
    markers.mode = MarkerMode::Time; // the voltage readout shows whichever pair is selected
    markers.voltageTop = top;
    markers.voltageBottom = bottom;
    markers.rmsShown = true;

    const QString dvText = QStringLiteral("VOIE A dv : ") + dv;
    const QString rmsText = QStringLiteral("Vrms : ") + vrms;
    // The RMS text stands at x = 163 unless the dv text runs into it; then it starts five
    // pixels after the dv text's cell.
    const int dvEnd = 20 + ScreenFont::TextWidth(dvText);
    const int rmsX = rmsMoved ? dvEnd + 5 : 163;
    QCOMPARE(rmsMoved, dvEnd > 163 - 5);
    const QImage image = Redraw(f, markers);
    QVERIFY(HasTextCell(image, 20, 293, dvText, ColourA)); // not overdrawn by the RMS cell
    QVERIFY(HasTextCell(image, rmsX, 293, rmsText, ColourA));
    QVERIFY(AllWhite(image, {dvEnd, 293, rmsX - dvEnd, 13}));
    QVERIFY(rmsX + ScreenFont::TextWidth(rmsText) <= 300);
    QVERIFY(HasTextCell(image, 300, 293, QStringLiteral("dt : 0.900ms"), 0));
    QVERIFY(AllWhite(image, {20, 306, 280, 13})); // channel B's row: its trace is off
    QCOMPARE(VoltageReadout(markers, f.instrument, ColourA, ColourB),
             (QList<ReadoutText>{{{20, 293}, dvText, ColourA}, {{rmsX, 293}, rmsText, ColourA}}));

    // Without RMS only the dv text, and nothing where the RMS text was.
    markers.rmsShown = false;
    const QImage plain = Redraw(f, markers);
    QVERIFY(HasTextCell(plain, 20, 293, dvText, ColourA));
    const int end = 20 + ScreenFont::TextWidth(dvText);
    QVERIFY(AllWhite(plain, {end, 293, 300 - end, 13}));
}

void MarkerReadoutsTest::voltageReadoutFollowsTheTraces() {
    ScreenFixture f;
    MarkerState markers;
    markers.mode = MarkerMode::Voltage;
    markers.rmsShown = true;
    markers.voltageTop = 100;
    markers.voltageBottom = 164; // two divisions
    f.instrument.channelA.voltsPerDivIndex = 3;
    f.instrument.channelB.voltsPerDivIndex = 6;
    f.instrument.channelB.probeTimesTen = true;

    // Both on, different ranges: the same gap reads differently, in each channel's colour.
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    QImage image = Redraw(f, markers);
    QVERIFY(HasTextCell(image, 20, 293, QStringLiteral("VOIE A dv : 2.000V"), ColourA));
    QVERIFY(HasTextCell(image, 163, 293, QStringLiteral("Vrms : 0.707V~"), ColourA));
    QVERIFY(HasTextCell(image, 20, 306, QStringLiteral("VOIE B dv : 2000.000mV"), ColourB));
    QVERIFY(HasTextCell(image, 163, 306, QStringLiteral("Vrms : 707.107mV~"), ColourB));

    // Each row places its RMS text for itself: B's five-digit reading pushes B's to the
    // right of its dv text, A's stays at x = 163.
    f.instrument.channelB.voltsPerDivIndex = 4;
    image = Redraw(f, markers);
    const QString dvB = QStringLiteral("VOIE B dv : 10000.000mV");
    const int rmsBX = 20 + ScreenFont::TextWidth(dvB) + 5;
    QVERIFY(rmsBX > 163);
    QVERIFY(HasTextCell(image, 163, 293, QStringLiteral("Vrms : 0.707V~"), ColourA));
    QVERIFY(HasTextCell(image, 20, 306, dvB, ColourB));
    QVERIFY(HasTextCell(image, rmsBX, 306, QStringLiteral("Vrms : 3535.534mV~"), ColourB));
    f.instrument.channelB.voltsPerDivIndex = 6;

    // B alone: only B's row.
    f.instrument.channelA.traceOn = false;
    image = Redraw(f, markers);
    QVERIFY(AllWhite(image, {20, 293, 270, 13}));
    QVERIFY(HasTextCell(image, 20, 306, QStringLiteral("VOIE B dv : 2000.000mV"), ColourB));

    // Both off: no voltage text at all, the time readout still there.
    f.instrument.channelB.traceOn = false;
    image = Redraw(f, markers);
    QVERIFY(AllWhite(image, {20, 293, 270, 26}));
    QVERIFY(HasTextCell(image, 300, 293, QStringLiteral("dt : 0.900ms"), 0));
    QVERIFY(VoltageReadout(markers, f.instrument, ColourA, ColourB).isEmpty());
}

void MarkerReadoutsTest::timeReadout_data() {
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("magnification");
    QTest::addColumn<QString>("dt");
    QTest::addColumn<QString>("frequency");

    QTest::newRow("start, 1 ms") << 50 << 590 << 9 << 1 << "9.000ms"
                                 << "111.11Hz";
    QTest::newRow("start, 0.2 ms") << 50 << 590 << 11 << 1 << "1.800ms"
                                   << "0.556kHz";
    QTest::newRow("start, 1 us") << 50 << 590 << 18 << 1 << "9.000µs"
                                 << "111.111kHz";
    QTest::newRow("1 div, 500 ms x5") << 100 << 160 << 1 << 5 << "100.000ms"
                                      << "10.00Hz";
    QTest::newRow("1 div, 5 us x2") << 100 << 160 << 16 << 2 << "2.500µs"
                                    << "400.000kHz";
    QTest::newRow("3 px, 0.1 ms x2: half up") << 100 << 103 << 12 << 2 << "0.003ms"
                                              << "400.000kHz";
    QTest::newRow("whole area, 0.5 ms") << 20 << 620 << 10 << 1 << "5.000ms"
                                        << "200.00Hz";
    QTest::newRow("1 px, 1 us x5") << 300 << 301 << 18 << 5 << "0.003µs"
                                   << "300000.000kHz";
}

void MarkerReadoutsTest::timeReadout() {
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(int, index);
    QFETCH(int, magnification);
    QFETCH(QString, dt);
    QFETCH(QString, frequency);

    ScreenFixture f; // both traces off: the time readout does not depend on them
    f.instrument.timeBaseIndex = index;
    f.in.magnification = magnification;
    MarkerState markers;
    markers.mode = MarkerMode::Voltage; // shown whichever pair is selected
    markers.timeLeft = left;
    markers.timeRight = right;

    const QString dtText = QStringLiteral("dt : ") + dt;
    const QString frequencyText = QStringLiteral("1/dt : ") + frequency;
    QCOMPARE(TimeReadout(markers, index, magnification),
             (QList<ReadoutText>{{{300, 293}, dtText, 0}, {{300, 306}, frequencyText, 0}}));
    const QImage image = Redraw(f, markers);
    QVERIFY(HasTextCell(image, 300, 293, dtText, 0));
    QVERIFY(HasTextCell(image, 300, 306, frequencyText, 0));
}

void MarkerReadoutsTest::outsideTheTablesNothingIsDrawn() {
    MarkerState markers;
    markers.mode = MarkerMode::Time;
    for (int index : {0, 19})
        QVERIFY(TimeReadout(markers, index, 1).isEmpty());
    QVERIFY(TimeReadout(markers, 9, 3).isEmpty());
    InstrumentSettings instrument;
    instrument.channelA.traceOn = true;
    instrument.channelB.traceOn = true;
    instrument.channelA.voltsPerDivIndex = 10;
    instrument.channelB.voltsPerDivIndex = 9;
    const QList<ReadoutText> texts = VoltageReadout(markers, instrument, ColourA, ColourB);
    QCOMPARE(texts.size(), 1);
    QCOMPARE(texts.front().text, QStringLiteral("VOIE B dv : 70.000mV"));
}

void MarkerReadoutsTest::markerLines() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true; // a trace on the centre row, under the lines
    MarkerState markers;
    markers.mode = MarkerMode::Time;
    markers.timeLeft = 100;
    markers.timeRight = 401;
    markers.voltageTop = 160; // along the trace
    markers.voltageBottom = 200;
    const QImage image = Redraw(f, markers);
    const QRgb marker = Rgb(16711935);
    // Dashed: 18 pixels on, 6 off, from the first pixel of each line; the end pixel left
    // out.
    QList<int> dashedRows;
    for (int y = 32; y < 288; ++y)
        if ((y - 32) % 24 < 18)
            dashedRows << y;
    QList<int> dashedColumns;
    for (int x = 20; x < 620; ++x)
        if ((x - 20) % 24 < 18)
            dashedColumns << x;
    for (int x : {100, 401}) {
        QList<int> drawn = YsWithColour(image, x, marker);
        drawn.removeIf([](int y) { return y == 160 || y == 200; }); // the crossings
        QList<int> expected = dashedRows;
        expected.removeIf([](int y) { return y == 160 || y == 200; });
        QCOMPARE(drawn, expected);
    }
    for (int y : {160, 200}) {
        QList<int> drawn = XsWithColour(image, y, marker);
        QList<int> expected = dashedColumns;
        for (int x : {100, 401})
            if (!expected.contains(x) && dashedRows.contains(y))
                expected << x;
        std::sort(expected.begin(), expected.end());
        QCOMPARE(drawn, expected);
    }
    // Over the trace on the centre row, which shows through the gaps.
    QCOMPARE(Pixel(image, 30, 160), marker);
    QCOMPARE(Pixel(image, 40, 160), Rgb(ColourA));
}

void MarkerReadoutsTest::nothingWhileOffNorInTheSpectrumView() {
    ScreenFixture f;
    f.instrument.channelA.traceOn = true;
    MarkerState off;
    MarkerState on;
    on.mode = MarkerMode::Time;
    on.rmsShown = true;
    ScreenFixture plain;
    plain.instrument.channelA.traceOn = true;
    OscilloscopeScreen reference;
    reference.RedrawScreen(plain.in);
    QCOMPARE(Redraw(f, off), reference.Image());
    QVERIFY(Redraw(f, on) != reference.Image());

    // The spectrum view: the layers are not run, the hidden raster keeps the last picture
    // but for the two channel labels.
    f.in.spectrumMode = true;
    OscilloscopeScreen screen;
    f.layers.drawMarkerLines = [&](ScreenCanvas& c) { DrawMarkerLines(c, on, f.settings); };
    f.layers.drawTimeReadout = [&](ScreenCanvas& c) { DrawTimeReadout(c, on, f.instrument, 1); };
    f.layers.drawVoltageReadout = [&](ScreenCanvas& c) {
        DrawVoltageReadout(c, on, f.instrument, f.settings);
    };
    screen.RedrawScreen(f.in);
    QCOMPARE(CountColour(screen.Image(), Rgb(16711935)), 0);
    QVERIFY(AllWhite(screen.Image(), {0, 289, 480, 31}));
}

QTEST_MAIN(MarkerReadoutsTest)
#include "tst_markerreadouts.moc"
