#include "core/InstrumentSettings.h"
#include "core/PersistedSettings.h"
#include "core/Sweep.h"

#include <QtTest>
#include <cmath>

// The range tables and the settings-line texts of the instrument model.
class TablesTest : public QObject {
    Q_OBJECT
private slots:
    void timeBaseRows_data();
    void timeBaseRows();
    void timeBaseRowsAreConsistent();
    void timeBaseRangesByHand_data();
    void timeBaseRangesByHand();
    void voltsPerDivRows_data();
    void voltsPerDivRows();
    void voltsPerDivRowsAreConsistent();
    void voltsPerDivRangesByHand_data();
    void voltsPerDivRangesByHand();
    void couplingAndTriggerRows();
    void lookupsOutsideTheTables();
    void startValuesOfTheInstrumentLines();
    void magnifierRows_data();
    void magnifierRows();
};

void TablesTest::timeBaseRows_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("sampling");
    QTest::addColumn<QString>("ramSweep");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("angle");
    // clang-format off
    QTest::newRow("1")  << 1  << "Time/Div : 500ms" << "Fréquence d'échantillonnage : 60Hz"   << "Balayage RAM : 34,11s" << "T21&" << -141;
    QTest::newRow("2")  << 2  << "Time/Div : 200ms" << "Fréquence d'échantillonnage : 150Hz"  << "Balayage RAM : 13,64s" << "T13&" << -124;
    QTest::newRow("3")  << 3  << "Time/Div : 100ms" << "Fréquence d'échantillonnage : 300Hz"  << "Balayage RAM : 6,82s"  << "T05&" << -108;
    QTest::newRow("4")  << 4  << "Time/Div : 50ms"  << "Fréquence d'échantillonnage : 600Hz"  << "Balayage RAM : 3,41s"  << "T20&" << -94;
    QTest::newRow("5")  << 5  << "Time/Div : 20ms"  << "Fréquence d'échantillonnage : 1,5kHz" << "Balayage RAM : 1,37s"  << "T12&" << -80;
    QTest::newRow("6")  << 6  << "Time/Div : 10ms"  << "Fréquence d'échantillonnage : 3kHz"   << "Balayage RAM : 682ms"  << "T04&" << -67;
    QTest::newRow("7")  << 7  << "Time/Div : 5ms"   << "Fréquence d'échantillonnage : 6kHz"   << "Balayage RAM : 341ms"  << "T19&" << -50;
    QTest::newRow("8")  << 8  << "Time/Div : 2ms"   << "Fréquence d'échantillonnage : 15kHz"  << "Balayage RAM : 136ms"  << "T11&" << -38;
    QTest::newRow("9")  << 9  << "Time/Div : 1ms"   << "Fréquence d'échantillonnage : 30kHz"  << "Balayage RAM : 68,2ms" << "T03&" << -24;
    QTest::newRow("10") << 10 << "Time/Div : 0.5ms" << "Fréquence d'échantillonnage : 60kHz"  << "Balayage RAM : 34,1ms" << "T18&" << -7;
    QTest::newRow("11") << 11 << "Time/Div : 0.2ms" << "Fréquence d'échantillonnage : 150kHz" << "Balayage RAM : 13,6ms" << "T10&" << 12;
    QTest::newRow("12") << 12 << "Time/Div : 0.1ms" << "Fréquence d'échantillonnage : 300kHz" << "Balayage RAM : 6,82ms" << "T02&" << 31;
    QTest::newRow("13") << 13 << "Time/Div : 50µs"  << "Fréquence d'échantillonnage : 600kHz" << "Balayage RAM : 3,41ms" << "T17&" << 60;
    QTest::newRow("14") << 14 << "Time/Div : 20µs"  << "Fréquence d'échantillonnage : 1,5MHz" << "Balayage RAM : 1,36ms" << "T09&" << 75;
    QTest::newRow("15") << 15 << "Time/Div : 10µs"  << "Fréquence d'échantillonnage : 3MHz"   << "Balayage RAM : 682µs"  << "T01&" << 89;
    QTest::newRow("16") << 16 << "Time/Div : 5µs"   << "Fréquence d'échantillonnage : 6MHz"   << "Balayage RAM : 341µs"  << "T16&" << 103;
    QTest::newRow("17") << 17 << "Time/Div : 2µs"   << "Fréquence d'échantillonnage : 15MHz"  << "Balayage RAM : 136µs"  << "T08&" << 119;
    QTest::newRow("18") << 18 << "Time/Div : 1µs"   << "Fréquence d'échantillonnage : 30MHz"  << "Balayage RAM : 68,2µs" << "T00&" << 135;
    // clang-format on
}

void TablesTest::timeBaseRows() {
    QFETCH(int, index);
    const TimeBaseRow* row = TimeBaseAt(index);
    QVERIFY(row);
    QTEST(QString::fromUtf8(row->hint), "hint");
    QTEST(QString::fromUtf8(row->sampling), "sampling");
    QTEST(QString::fromUtf8(row->ramSweep), "ramSweep");
    QTEST(QString::fromLatin1(row->command), "command");
    QTEST(row->angle, "angle");
}

void TablesTest::timeBaseRowsAreConsistent() {
    // Each row's caption, unit, range and command agree with one another: the command's
    // number is 8 x mantissa code + decade, written with two digits.
    for (int i = 1; i <= TimeBaseCount; ++i) {
        const TimeBaseRow* row = TimeBaseAt(i);
        const QString caption = QString::fromLatin1(row->caption);
        const QString unit = QString::fromUtf8(row->unit);
        QCOMPARE(QString::fromUtf8(row->hint), QStringLiteral("Time/Div : ") + caption + unit);
        const double seconds = caption.toDouble() * (unit == QStringLiteral("ms") ? 1e-3 : 1e-6);
        QVERIFY(std::abs(seconds / row->secondsPerDiv - 1) < 1e-9);
        const double micro = row->secondsPerDiv * 1e6;
        const int decade = static_cast<int>(std::floor(std::log10(micro) + 1e-9));
        const double mantissa = micro / std::pow(10, decade);
        const int m = mantissa < 1.5 ? 0 : mantissa < 3 ? 1 : 2;
        QCOMPARE(QString::fromLatin1(row->command),
                 QStringLiteral("T%1&").arg(8 * m + decade, 2, 10, QChar(u'0')));
        if (i > 1)
            QVERIFY(row->angle > TimeBaseAt(i - 1)->angle);
    }
}

// A few rows worked out by hand from the ranges: the button and its unit group, the
// range in seconds per division (the sampling rate is 30 per division: 500 ms/div is
// 60 Hz), and the command number 8 x m + d (m 0, 1, 2 for a mantissa of 1, 2, 5; d the
// decade, 0 for 1 to 5 µs/div up to 5 for 100 to 500 ms/div).
void TablesTest::timeBaseRangesByHand_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("secondsPerDiv");
    QTest::addColumn<QString>("command");
    // clang-format off
    QTest::newRow("500 ms: m 2, d 5") << 1  << "500" << "ms" << 0.5    << "T21&";
    QTest::newRow("5 ms: m 2, d 3")   << 7  << "5"   << "ms" << 0.005  << "T19&";
    QTest::newRow("0.5 ms: m 2, d 2") << 10 << "0.5" << "ms" << 0.0005 << "T18&";
    QTest::newRow("0.1 ms: m 0, d 2") << 12 << "0.1" << "ms" << 0.0001 << "T02&";
    QTest::newRow("20 µs: m 1, d 1")  << 14 << "20"  << "µs" << 2e-5   << "T09&";
    QTest::newRow("1 µs: m 0, d 0")   << 18 << "1"   << "µs" << 1e-6   << "T00&";
    // clang-format on
}

void TablesTest::timeBaseRangesByHand() {
    QFETCH(int, index);
    QFETCH(double, secondsPerDiv);
    const TimeBaseRow* row = TimeBaseAt(index);
    QVERIFY(row);
    QTEST(QString::fromLatin1(row->caption), "caption");
    QTEST(QString::fromUtf8(row->unit), "unit");
    QVERIFY(std::abs(row->secondsPerDiv / secondsPerDiv - 1) < 1e-12);
    QTEST(QString::fromLatin1(row->command), "command");
}

void TablesTest::voltsPerDivRows_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("hintB");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("screenX1");
    QTest::addColumn<QString>("screenX10");
    QTest::addColumn<QString>("commandA");
    QTest::addColumn<QString>("commandB");
    QTest::addColumn<int>("angle");
    // clang-format off
    QTest::newRow("1") << 1 << "Calibre 5V - VOIE B"    << "Volts/Div : 5V"    << "Volts / Div x1 : 5V"    << "Volts / Div x10 : 50V"   << "A12*&" << "B12*&" << -78;
    QTest::newRow("2") << 2 << "Calibre 2V - VOIE B"    << "Volts/Div : 2V"    << "Volts / Div x1 : 2V"    << "Volts / Div x10 : 20V"   << "A13*&" << "B13*&" << -52;
    QTest::newRow("3") << 3 << "Calibre 1V - VOIE B"    << "Volts/Div : 1V"    << "Volts / Div x1 : 1V"    << "Volts / Div x10 : 10V"   << "A14*&" << "B14*&" << -25;
    QTest::newRow("4") << 4 << "Calibre 500mV - VOIE B" << "Volts/Div : 500mV" << "Volts / Div x1 : 500mV" << "Volts / Div x10 : 5V"    << "A4*&"  << "B4*&"  << 28;
    QTest::newRow("5") << 5 << "Calibre 200mV - VOIE B" << "Volts/Div : 200mV" << "Volts / Div x1 : 200mV" << "Volts / Div x10 : 2V"    << "A5*&"  << "B5*&"  << 55;
    QTest::newRow("6") << 6 << "Calibre 100mV - VOIE B" << "Volts/Div : 100mV" << "Volts / Div x1 : 100mV" << "Volts / Div x10 : 1V"    << "A6*&"  << "B6*&"  << 79;
    QTest::newRow("7") << 7 << "Calibre 50mV - VOIE B"  << "Volts/Div : 50mV"  << "Volts / Div x1 : 50mV"  << "Volts / Div x10 : 500mV" << "A8*&"  << "B8*&"  << 102;
    QTest::newRow("8") << 8 << "Calibre 20mV - VOIE B"  << "Volts/Div : 20mV"  << "Volts / Div x1 : 20mV"  << "Volts / Div x10 : 200mV" << "A9*&"  << "B9*&"  << 124;
    QTest::newRow("9") << 9 << "Calibre 10mV - VOIE B"  << "Volts/Div : 10mV"  << "Volts / Div x1 : 10mV"  << "Volts / Div x10 : 100mV" << "A10*&" << "B10*&" << 151;
    // clang-format on
}

void TablesTest::voltsPerDivRows() {
    QFETCH(int, index);
    const VoltsPerDivRow* row = VoltsPerDivAt(index);
    QVERIFY(row);
    QTEST(VoltsPerDivHint(index, Channel::B), "hintB");
    QTEST(QString::fromUtf8(row->panelLabel), "panel");
    QTEST(VoltsPerDivScreenLabel(index, false), "screenX1");
    QTEST(VoltsPerDivScreenLabel(index, true), "screenX10");
    QTEST(QString::fromLatin1(row->commandA), "commandA");
    QTEST(QString::fromLatin1(row->commandB), "commandB");
    QTEST(row->angle, "angle");
}

void TablesTest::voltsPerDivRowsAreConsistent() {
    for (int i = 1; i <= VoltsPerDivCount; ++i) {
        const VoltsPerDivRow* row = VoltsPerDivAt(i);
        const QString unit = QString::fromLatin1(row->unit);
        const double volts = QString::fromLatin1(row->caption).toDouble() *
                             (unit == QStringLiteral("mV") ? 1e-3 : 1);
        QVERIFY(std::abs(volts / row->voltsPerDiv - 1) < 1e-9);
        QCOMPARE(
            VoltsPerDivHint(i, Channel::A),
            QStringLiteral("Calibre %1%2 - VOIE A").arg(QString::fromLatin1(row->caption), unit));
        // No range command carries the numbers 7 or 11.
        for (const QByteArray c : {row->commandA, row->commandB}) {
            QVERIFY(!c.contains("7*"));
            QVERIFY(!c.contains("11*"));
        }
    }
}

// A few rows worked out by hand: the button and its unit, the range text of the hint and
// the volts per division with a x1 probe.
void TablesTest::voltsPerDivRangesByHand_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("range");
    QTest::addColumn<double>("voltsPerDiv");
    // clang-format off
    QTest::newRow("5 V")    << 1 << "5"   << "V"  << "5V"    << 5.0;
    QTest::newRow("1 V")    << 3 << "1"   << "V"  << "1V"    << 1.0;
    QTest::newRow("500 mV") << 4 << "500" << "mV" << "500mV" << 0.5;
    QTest::newRow("50 mV")  << 7 << "50"  << "mV" << "50mV"  << 0.05;
    QTest::newRow("10 mV")  << 9 << "10"  << "mV" << "10mV"  << 0.01;
    // clang-format on
}

void TablesTest::voltsPerDivRangesByHand() {
    QFETCH(int, index);
    QFETCH(double, voltsPerDiv);
    const VoltsPerDivRow* row = VoltsPerDivAt(index);
    QVERIFY(row);
    QTEST(QString::fromLatin1(row->caption), "caption");
    QTEST(QString::fromLatin1(row->unit), "unit");
    QTEST(QString::fromLatin1(row->range), "range");
    QVERIFY(std::abs(row->voltsPerDiv / voltsPerDiv - 1) < 1e-12);
}

void TablesTest::couplingAndTriggerRows() {
    const char* commandsA[] = {"G&", "H&", "I&"};
    const char* commandsB[] = {"J&", "K&", "M&"};
    const char* names[] = {"AC", "GND", "DC"};
    for (int v = 1; v <= 3; ++v) {
        const QString name = QString::fromLatin1(names[v - 1]);
        QCOMPARE(QString::fromLatin1(CouplingAt(v)->caption), name);
        QCOMPARE(QString::fromLatin1(CouplingAt(v)->command[0]),
                 QString::fromLatin1(commandsA[v - 1]));
        QCOMPARE(QString::fromLatin1(CouplingAt(v)->command[1]),
                 QString::fromLatin1(commandsB[v - 1]));
        QCOMPARE(CouplingHint(v, Channel::B),
                 QStringLiteral("Couplage ") + name + QStringLiteral(" VOIE B"));
        QCOMPARE(CouplingPanelLabel(v, Channel::A), QStringLiteral("VOIE A : ") + name);
        QCOMPARE(CouplingScreenLabel(v, Channel::A),
                 QStringLiteral("Couplage VOIE A (X) : ") + name);
        QCOMPARE(CouplingScreenLabel(v, Channel::B),
                 QStringLiteral("Couplage VOIE B (Y) : ") + name);
    }
    struct Trigger {
        const char *caption, *hint, *label, *command, *glyph;
    };
    const Trigger triggers[] = {
        {"OFF", "Arrêt du trigger", "Trigger : OFF", "S&", "ledon.bmp"},
        {"VOIE A", "Trigger synchronisé sur la VOIE A", "Trigger : VOIE A", "U&", "ledoff.bmp"},
        {"VOIE B", "Trigger synchronisé sur la VOIE B", "Trigger : VOIE B", "V&", "ledoff.bmp"},
        {"EXTERNE", "Trigger synchronisé sur l'entrée EXTERNE", "Trigger : EXTERNE", "W&",
         "ledoff.bmp"},
    };
    for (int v = 1; v <= 4; ++v) {
        const TriggerRow* row = TriggerAt(v);
        QCOMPARE(QString::fromUtf8(row->caption), QString::fromUtf8(triggers[v - 1].caption));
        QCOMPARE(QString::fromUtf8(row->hint), QString::fromUtf8(triggers[v - 1].hint));
        QCOMPARE(QString::fromUtf8(row->screenLabel), QString::fromUtf8(triggers[v - 1].label));
        QCOMPARE(QString::fromUtf8(row->command), QString::fromUtf8(triggers[v - 1].command));
        QCOMPARE(QString::fromUtf8(row->glyph), QString::fromUtf8(triggers[v - 1].glyph));
    }
}

void TablesTest::lookupsOutsideTheTables() {
    QVERIFY(!TimeBaseAt(0) && !TimeBaseAt(19) && !VoltsPerDivAt(0) && !VoltsPerDivAt(10));
    QVERIFY(!CouplingAt(0) && !CouplingAt(4) && !TriggerAt(0) && !TriggerAt(5));
    QVERIFY(VoltsPerDivHint(10, Channel::A).isEmpty());
    QVERIFY(VoltsPerDivScreenLabel(0, true).isEmpty());
    QVERIFY(CouplingHint(-1, Channel::B).isEmpty());
    QVERIFY(CouplingPanelLabel(4, Channel::A).isEmpty());
    QVERIFY(CouplingScreenLabel(0, Channel::A).isEmpty());
    QCOMPARE(ClampVerticalPosition(256), 255);
    QCOMPARE(ClampVerticalPosition(-1), 0);
}

void TablesTest::startValuesOfTheInstrumentLines() {
    // "7" is a valid value for every number line, so that nothing falls back to a default.
    PersistedSettings s;
    for (int k = 1; k <= 50; ++k)
        s.SetLine(k, QStringLiteral("7"));
    ResetInstrumentLines(s);
    const char* expected[] = {"128",        "128", "12", "1", "VOIE_A_ON",
                              "VOIE_B_OFF", "2",   "2",  "3", "3"};
    for (int k = 18; k <= 27; ++k)
        QCOMPARE(s.Line(k), QString::fromLatin1(expected[k - 18]));
    // Only the lines in force are reset: not the colours, the mask or the saved copies.
    for (int k : {1, 16, 17, 28, 29, 30, 34, 39})
        QCOMPARE(s.Line(k), QStringLiteral("7"));
}

void TablesTest::magnifierRows_data() {
    QTest::addColumn<int>("factor");
    QTest::addColumn<int>("lastPoint");
    QTest::addColumn<int>("pixelStep");
    QTest::addColumn<int>("pointsPerDivision");
    QTest::addColumn<QString>("label"); // the time base label at 0.1 ms/div
    // The points shown span the graticule's 600 pixels; a division is 60 of them.
    QTest::newRow("x1") << 1 << 300 << 2 << 30 << QStringLiteral("0.1ms");
    QTest::newRow("x2") << 2 << 151 << 4 << 15 << QStringLiteral("50µs");
    QTest::newRow("x5") << 5 << 61 << 10 << 6 << QStringLiteral("20µs");
    QTest::newRow("x3 is no magnifier") << 3 << 0 << 0 << 0 << QString();
    QTest::newRow("0") << 0 << 0 << 0 << 0 << QString();
}

void TablesTest::magnifierRows() {
    QFETCH(int, factor);
    QFETCH(int, lastPoint);
    QFETCH(int, pixelStep);
    QFETCH(int, pointsPerDivision);
    QFETCH(QString, label);
    QCOMPARE(LastShownPoint(factor), lastPoint);
    const MagnifierRow* row = MagnifierAt(factor);
    QCOMPARE(row != nullptr, lastPoint > 0);
    if (!row)
        return;
    QCOMPARE(row->pixelStep, pixelStep);
    QCOMPARE(row->Segments() * row->pixelStep, factor == 1 ? 598 : 600);
    QCOMPARE(row->pointsPerDivision, pointsPerDivision);
    QCOMPARE(QString::fromUtf8(TimeBaseAt(12)->timePerDivision[row->labelColumn]), label);
}

QTEST_GUILESS_MAIN(TablesTest)
#include "tst_tables.moc"
