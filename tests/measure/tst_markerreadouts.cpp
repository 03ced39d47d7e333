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
    void everyTimeBaseRow_data();
    void everyTimeBaseRow();
    void everyVoltsPerDivRow_data();
    void everyVoltsPerDivRow();
    void outsideTheTablesNothingIsDrawn();
    void markerLines();
    void coloursComeFromTheSettingsLines();
    void nothingWhileOffNorInTheSpectrumView();

private:
    // A redraw with the marker layers over the fixture's inputs and the given markers.
    QImage Redraw(ScreenFixture& f, const MarkerState& markers) const;

    QTemporaryDir localeDir;
};

void MarkerReadoutsTest::initTestCase() {
    // The user's locale writes numbers with a comma: the readouts must not follow it.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QCOMPARE(QLocale().toString(0.5, 'f', 1), QStringLiteral("0,5"));
    // The C library's numbers too, with a French locale built for the test when the
    // machine has none installed (localedef comes with the C library; the locale's sources
    // with Debian's "locales" package, which the set-up installs). Without it the tests
    // would not show what they claim: they fail.
    if (!std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        QVERIFY(localeDir.isValid());
        const int built = QProcess::execute(QStringLiteral("localedef"),
                                            {QStringLiteral("-i"), QStringLiteral("fr_FR"),
                                             QStringLiteral("-f"), QStringLiteral("UTF-8"),
                                             localeDir.filePath(QStringLiteral("fr_FR.UTF-8"))});
        qputenv("LOCPATH", localeDir.path().toLocal8Bit());
        QVERIFY2(std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"),
                 qPrintable(QStringLiteral("no French C locale: localedef -i fr_FR -f UTF-8 "
                                           "ended with %1 (localedef comes with libc-bin, the "
                                           "locale sources with the \"locales\" package)")
                                .arg(built)));
    }
    QCOMPARE(std::string(std::localeconv()->decimal_point), std::string(","));
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

// One division at each row of the time base table, with each magnifier factor: x1 reads the
// row's time per division, x2 and x5 a half and a fifth of it; the frequency is its inverse,
// in Hz with two decimals down to 0.5 ms/div, in kHz with three from 0.2 ms/div on.
void MarkerReadoutsTest::everyTimeBaseRow_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("magnification");
    QTest::addColumn<QString>("dt");
    QTest::addColumn<QString>("frequency");
    struct Row {
        const char* x1[2];
        const char* x2[2];
        const char* x5[2];
    };
    // clang-format off
    const Row rows[18] = {
        {{"500.000ms", "2.00Hz"},      {"250.000ms", "4.00Hz"},      {"100.000ms", "10.00Hz"}},
        {{"200.000ms", "5.00Hz"},      {"100.000ms", "10.00Hz"},     {"40.000ms", "25.00Hz"}},
        {{"100.000ms", "10.00Hz"},     {"50.000ms", "20.00Hz"},      {"20.000ms", "50.00Hz"}},
        {{"50.000ms", "20.00Hz"},      {"25.000ms", "40.00Hz"},      {"10.000ms", "100.00Hz"}},
        {{"20.000ms", "50.00Hz"},      {"10.000ms", "100.00Hz"},     {"4.000ms", "250.00Hz"}},
        {{"10.000ms", "100.00Hz"},     {"5.000ms", "200.00Hz"},      {"2.000ms", "500.00Hz"}},
        {{"5.000ms", "200.00Hz"},      {"2.500ms", "400.00Hz"},      {"1.000ms", "1000.00Hz"}},
        {{"2.000ms", "500.00Hz"},      {"1.000ms", "1000.00Hz"},     {"0.400ms", "2500.00Hz"}},
        {{"1.000ms", "1000.00Hz"},     {"0.500ms", "2000.00Hz"},     {"0.200ms", "5000.00Hz"}},
        {{"0.500ms", "2000.00Hz"},     {"0.250ms", "4000.00Hz"},     {"0.100ms", "10000.00Hz"}},
        {{"0.200ms", "5.000kHz"},      {"0.100ms", "10.000kHz"},     {"0.040ms", "25.000kHz"}},
        {{"0.100ms", "10.000kHz"},     {"0.050ms", "20.000kHz"},     {"0.020ms", "50.000kHz"}},
        {{"50.000µs", "20.000kHz"},    {"25.000µs", "40.000kHz"},    {"10.000µs", "100.000kHz"}},
        {{"20.000µs", "50.000kHz"},    {"10.000µs", "100.000kHz"},   {"4.000µs", "250.000kHz"}},
        {{"10.000µs", "100.000kHz"},   {"5.000µs", "200.000kHz"},    {"2.000µs", "500.000kHz"}},
        {{"5.000µs", "200.000kHz"},    {"2.500µs", "400.000kHz"},    {"1.000µs", "1000.000kHz"}},
        {{"2.000µs", "500.000kHz"},    {"1.000µs", "1000.000kHz"},   {"0.400µs", "2500.000kHz"}},
        {{"1.000µs", "1000.000kHz"},   {"0.500µs", "2000.000kHz"},   {"0.200µs", "5000.000kHz"}},
    };
    // clang-format on
    for (int index = 1; index <= 18; ++index) {
        const Row& row = rows[index - 1];
        const std::pair<int, const char* const*> factors[] = {
            {1, row.x1}, {2, row.x2}, {5, row.x5}};
        for (const auto& [magnification, texts] : factors)
            QTest::addRow("row %d x%d", index, magnification)
                << index << magnification << QString::fromUtf8(texts[0])
                << QString::fromUtf8(texts[1]);
    }
}

void MarkerReadoutsTest::everyTimeBaseRow() {
    QFETCH(int, index);
    QFETCH(int, magnification);
    QFETCH(QString, dt);
    QFETCH(QString, frequency);
    MarkerState markers;
    markers.mode = MarkerMode::Time;
    markers.timeLeft = 200;
    markers.timeRight = 260;
    QCOMPARE(TimeReadout(markers, index, magnification),
             (QList<ReadoutText>{{{300, 293}, QStringLiteral("dt : ") + dt, 0},
                                 {{300, 306}, QStringLiteral("1/dt : ") + frequency, 0}}));
}

// One division at each row of the volts/div table, on each channel: the row's volts per
// division (ten times that with a x10 probe, in the same unit), and the RMS value of a sine
// of that peak-to-peak amplitude, dv / (2 sqrt 2) = dv x 0.35355339.
void MarkerReadoutsTest::everyVoltsPerDivRow_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("x10");
    QTest::addColumn<QString>("dv");
    QTest::addColumn<QString>("vrms");
    // clang-format off
    const char* const rows[9][4] = {
        {"5.000V",     "1.768V~",     "50.000V",     "17.678V~"},
        {"2.000V",     "0.707V~",     "20.000V",     "7.071V~"},
        {"1.000V",     "0.354V~",     "10.000V",     "3.536V~"},
        {"500.000mV",  "176.777mV~",  "5000.000mV",  "1767.767mV~"},
        {"200.000mV",  "70.711mV~",   "2000.000mV",  "707.107mV~"},
        {"100.000mV",  "35.355mV~",   "1000.000mV",  "353.553mV~"},
        {"50.000mV",   "17.678mV~",   "500.000mV",   "176.777mV~"},
        {"20.000mV",   "7.071mV~",    "200.000mV",   "70.711mV~"},
        {"10.000mV",   "3.536mV~",    "100.000mV",   "35.355mV~"},
    };
    // clang-format on
    for (int index = 1; index <= 9; ++index)
        for (bool x10 : {false, true})
            QTest::addRow("row %d %s", index, x10 ? "x10" : "x1")
                << index << x10 << QString::fromUtf8(rows[index - 1][x10 ? 2 : 0])
                << QString::fromUtf8(rows[index - 1][x10 ? 3 : 1]);
}

void MarkerReadoutsTest::everyVoltsPerDivRow() {
    QFETCH(int, index);
    QFETCH(bool, x10);
    QFETCH(QString, dv);
    QFETCH(QString, vrms);
    MarkerState markers;
    markers.mode = MarkerMode::Voltage;
    markers.rmsShown = true;
    markers.voltageTop = 200;
    markers.voltageBottom = 232;
    for (Channel channel : {Channel::A, Channel::B}) {
        InstrumentSettings instrument;
        ChannelSettings& settings =
            channel == Channel::A ? instrument.channelA : instrument.channelB;
        settings.traceOn = true;
        settings.voltsPerDivIndex = index;
        settings.probeTimesTen = x10;
        const bool a = channel == Channel::A;
        const int y = a ? 293 : 306;
        const int colour = a ? ColourA : ColourB;
        QCOMPARE(VoltageReadout(markers, instrument, ColourA, ColourB),
                 (QList<ReadoutText>{
                     {{20, y},
                      (a ? QStringLiteral("VOIE A dv : ") : QStringLiteral("VOIE B dv : ")) + dv,
                      colour},
                     {{163, y}, QStringLiteral("Vrms : ") + vrms, colour}}));
    }
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

// The colours of channel A, channel B and the markers come from settings lines 10, 11
// and 13 at each redraw; the time readout stays black. Unusual colours here, none of them a
// default, each given as the red, green and blue the 0x00BBGGRR number stands for.
void MarkerReadoutsTest::coloursComeFromTheSettingsLines() {
    ScreenFixture f;
    f.settings.SetLine(10, QStringLiteral("1193046")); // 0x123456: red 0x56, green 0x34, blue 0x12
    f.settings.SetLine(11, QStringLiteral("42495"));   // 0x00A5FF: orange
    f.settings.SetLine(13, QStringLiteral("8421376")); // 0x808000: teal
    const QRgb colourA = qRgb(0x56, 0x34, 0x12);
    const QRgb colourB = qRgb(0xFF, 0xA5, 0x00);
    const QRgb marker = qRgb(0x00, 0x80, 0x80);
    f.instrument.channelA.traceOn = true;
    f.instrument.channelB.traceOn = true;
    MarkerState markers;
    markers.mode = MarkerMode::Voltage;
    markers.rmsShown = true;
    const QImage image = Redraw(f, markers);

    // The readouts: A's row and B's row each wholly in its channel's colour on white.
    const auto coloursIn = [&](const QRect& rect) {
        QSet<QRgb> colours;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                colours.insert(Pixel(image, x, y));
        return colours;
    };
    QCOMPARE(coloursIn({20, 293, 270, 13}), (QSet<QRgb>{White, colourA}));
    QCOMPARE(coloursIn({20, 306, 270, 13}), (QSet<QRgb>{White, colourB}));
    QVERIFY(HasTextCell(image, 20, 293, QStringLiteral("VOIE A dv : 7.000V"), 1193046));
    QVERIFY(HasTextCell(image, 163, 293, QStringLiteral("Vrms : 2.475V~"), 1193046));
    QVERIFY(HasTextCell(image, 20, 306, QStringLiteral("VOIE B dv : 7.000V"), 42495));
    QVERIFY(HasTextCell(image, 163, 306, QStringLiteral("Vrms : 2.475V~"), 42495));
    QCOMPARE(coloursIn({300, 293, 100, 26}), (QSet<QRgb>{White, Black}));

    // The four lines in the marker colour, from their first pixel.
    for (const QPoint& start : {QPoint(50, 32), QPoint(590, 32), QPoint(20, 48), QPoint(20, 272)})
        QCOMPARE(Pixel(image, start.x(), start.y()), marker);
    // No default colour anywhere: red, blue and magenta.
    for (QRgb unused : {qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(255, 0, 255)})
        QCOMPARE(CountColour(image, unused), 0);
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
