#include "analysis/ReadingText.h"

#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <clocale>
#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(Unit)

// The texts of the readings for the window (French) and for CSV files, with the user's
// locale set to French for Qt and, where the machine has it, for the C library: neither
// text may follow it.
class ReadingTextTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void frenchValues_data();
    void frenchValues();
    void frenchReadings();
    void notes_data();
    void notes();
    void csvNumbers_data();
    void csvNumbers();
    void csvReadings();
    void rows();

private:
    QTemporaryDir localeDir;
};

void ReadingTextTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    // A French C locale, built for the test when the machine has none installed.
    if (!std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") && localeDir.isValid()) {
        QProcess::execute(QStringLiteral("localedef"),
                          {QStringLiteral("-i"), QStringLiteral("fr_FR"), QStringLiteral("-f"),
                           QStringLiteral("UTF-8"),
                           localeDir.filePath(QStringLiteral("fr_FR.UTF-8"))});
        qputenv("LOCPATH", localeDir.path().toLocal8Bit());
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    }
    if (std::localeconv()->decimal_point != std::string(","))
        qWarning("no French C locale: only Qt's default locale is French");
}

void ReadingTextTest::cleanupTestCase() {
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
}

void ReadingTextTest::frenchValues_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<Unit>("unit");
    QTest::addColumn<QString>("text");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    QTest::newRow("kHz") << 1234.4 << Unit::Hertz << QStringLiteral("1,234 kHz");
    QTest::newRow("Hz, three figures before the comma")
        << 111.114 << Unit::Hertz << QStringLiteral("111,1 Hz");
    QTest::newRow("MHz") << 1.5e6 << Unit::Hertz << QStringLiteral("1,500 MHz");
    QTest::newRow("µs") << 0.0004567 << Unit::Second << QStringLiteral("456,7 µs");
    QTest::newRow("ns") << 2.5e-8 << Unit::Second << QStringLiteral("25,00 ns");
    QTest::newRow("ms") << 0.0125 << Unit::Second << QStringLiteral("12,50 ms");
    QTest::newRow("seconds") << 3.3 << Unit::Second << QStringLiteral("3,300 s");
    QTest::newRow("negative mV") << -0.25 << Unit::Volt << QStringLiteral("-250,0 mV");
    QTest::newRow("volts") << 12.345678 << Unit::Volt << QStringLiteral("12,35 V");
    QTest::newRow("zero") << 0.0 << Unit::Volt << QStringLiteral("0,000 V");
    QTest::newRow("negative zero") << -0.0 << Unit::Volt << QStringLiteral("0,000 V");
    // Rounding to four figures carries into the next decade or prefix.
    QTest::newRow("999.96 Hz is 1 kHz") << 999.96 << Unit::Hertz << QStringLiteral("1,000 kHz");
    QTest::newRow("9.9996 V") << 9.9996 << Unit::Volt << QStringLiteral("10,00 V");
    QTest::newRow("99.996 mV") << 0.099996 << Unit::Volt << QStringLiteral("100,0 mV");
    QTest::newRow("0.99996 V") << 0.99996 << Unit::Volt << QStringLiteral("1,000 V");
    QTest::newRow("-999.97 µs") << -999.97e-6 << Unit::Second << QStringLiteral("-1,000 ms");
    // Beyond the prefixes the mantissa leaves 1..999.
    QTest::newRow("above MHz") << 3e9 << Unit::Hertz << QStringLiteral("3000,0 MHz");
    QTest::newRow("below ns") << 5e-11 << Unit::Second << QStringLiteral("0,050 ns");
    QTest::newRow("rounds to zero in ns") << 1e-13 << Unit::Hertz << QStringLiteral("0,000 Hz");
    QTest::newRow("negative, rounds to zero") << -4e-13 << Unit::Volt << QStringLiteral("0,000 V");
    QTest::newRow("smallest shown in ns") << 5e-13 << Unit::Second << QStringLiteral("0,001 ns");
    QTest::newRow("percent") << 12.34 << Unit::Percent << QStringLiteral("12,3 %");
    QTest::newRow("percent, rounding up") << 49.96 << Unit::Percent << QStringLiteral("50,0 %");
    QTest::newRow("not a number") << nan << Unit::Volt << QStringLiteral("—");
    QTest::newRow("infinite") << infinity << Unit::Hertz << QStringLiteral("—");
}

void ReadingTextTest::frenchValues() {
    QFETCH(double, value);
    QFETCH(Unit, unit);
    QFETCH(QString, text);
    QCOMPARE(FrenchValueText(value, unit), text);
}

void ReadingTextTest::frenchReadings() {
    Reading r;
    r.value = 1234.4;
    QCOMPARE(FrenchReadingText(r, Unit::Hertz), QStringLiteral("—"));
    r.available = true;
    QCOMPARE(FrenchReadingText(r, Unit::Hertz), QStringLiteral("1,234 kHz"));
    r.clipped = true; // the flags go to the note, not into the value
    QCOMPARE(FrenchReadingText(r, Unit::Hertz), QStringLiteral("1,234 kHz"));
    QCOMPARE(FrenchReferenceName(VoltageReference::Ground), QStringLiteral("masse"));
    QCOMPARE(FrenchReferenceName(VoltageReference::ScreenCentre),
             QStringLiteral("centre de l'écran"));
}

void ReadingTextTest::notes_data() {
    QTest::addColumn<bool>("available");
    QTest::addColumn<bool>("clipped");
    QTest::addColumn<bool>("few");
    QTest::addColumn<bool>("resolution");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("flags");
    QTest::newRow("plain") << true << false << false << false << QString() << QString();
    QTest::newRow("clipped") << true << true << false << false << QStringLiteral("écrêté")
                             << QStringLiteral("clipped");
    QTest::newRow("few periods") << true << false << true << false
                                 << QStringLiteral("moins de deux périodes")
                                 << QStringLiteral("few_periods");
    QTest::newRow("clipped, at the resolution limit")
        << true << true << false << true << QStringLiteral("écrêté, limite de résolution")
        << QStringLiteral("clipped resolution_limit");
    QTest::newRow("all three") << true << true << true << true
                               << QStringLiteral(
                                      "écrêté, moins de deux périodes, limite de résolution")
                               << QStringLiteral("clipped few_periods resolution_limit");
    QTest::newRow("not available")
        << false << true << true << false << QString() << QStringLiteral("not_available");
}

void ReadingTextTest::notes() {
    QFETCH(bool, available);
    QFETCH(bool, clipped);
    QFETCH(bool, few);
    QFETCH(bool, resolution);
    QFETCH(QString, note);
    QFETCH(QString, flags);
    Reading r;
    r.value = 1;
    r.available = available;
    r.clipped = clipped;
    r.fewPeriods = few;
    r.resolutionLimited = resolution;
    QCOMPARE(FrenchReadingNote(r), note);
    QCOMPARE(CsvReadingFlags(r), flags);
}

void ReadingTextTest::csvNumbers_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("frequency") << 1234.5 << QStringLiteral("1234.5");
    QTest::newRow("negative") << -0.25 << QStringLiteral("-0.25");
    QTest::newRow("small") << 1.25e-5 << QStringLiteral("1.25e-05");
    QTest::newRow("seven figures") << 1.0 / 3 << QStringLiteral("0.3333333");
    QTest::newRow("time between points at 1 µs/div") << 1e-6 / 30 << QStringLiteral("3.333333e-08");
    QTest::newRow("large") << 12345678.0 << QStringLiteral("1.234568e+07");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("negative zero") << -0.0 << QStringLiteral("0");
    QTest::newRow("whole") << 50.0 << QStringLiteral("50");
}

void ReadingTextTest::csvNumbers() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(CsvNumber(value), text);
    // Read back as the same number to seven figures.
    bool ok = false;
    const double back = text.toDouble(&ok); // QString::toDouble reads the C format
    QVERIFY(ok);
    QVERIFY(std::fabs(back - value) <= 5e-7 * std::fabs(value));
}

void ReadingTextTest::csvReadings() {
    Reading r;
    r.value = 2.5;
    QCOMPARE(CsvReadingValue(r), QString());
    r.available = true;
    QCOMPARE(CsvReadingValue(r), QStringLiteral("2.5"));
    QCOMPARE(CsvReferenceName(VoltageReference::Ground), QStringLiteral("ground"));
    QCOMPARE(CsvReferenceName(VoltageReference::ScreenCentre), QStringLiteral("centre"));
}

// The rows in the order of the kinds, with the column names of the CSV files, which
// readers of those files rely on.
void ReadingTextTest::rows() {
    const QStringList names{"frequency_hz",   "period_s",    "peak_to_peak_v", "maximum_v",
                            "minimum_v",      "mean_v",      "rms_v",          "ac_rms_v",
                            "duty_cycle_pct", "rise_time_s", "fall_time_s"};
    const std::array<Unit, ReadingKindCount> units{
        Unit::Hertz, Unit::Second, Unit::Volt,    Unit::Volt,   Unit::Volt,  Unit::Volt,
        Unit::Volt,  Unit::Volt,   Unit::Percent, Unit::Second, Unit::Second};
    for (int i = 0; i < ReadingKindCount; ++i) {
        const ReadingRow& row = ReadingRowOf(static_cast<ReadingKind>(i));
        QCOMPARE(static_cast<int>(row.kind), i);
        QCOMPARE(QString::fromLatin1(row.csvName), names[i]);
        QCOMPARE(row.unit, units[static_cast<std::size_t>(i)]);
        QVERIFY(!QString::fromUtf8(row.label).isEmpty());
    }
}

QTEST_APPLESS_MAIN(ReadingTextTest)
#include "tst_readingtext.moc"
