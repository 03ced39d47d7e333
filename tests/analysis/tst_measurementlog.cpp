#include "analysis/MeasurementLog.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

// The measurement log: its header, one line per sweep in base units with the flags, and
// its failures: a file that cannot be made, a disk that fills, a folder that goes. What
// was written before a failure stays in the file, line for line.
class MeasurementLogTest : public QObject {
    Q_OBJECT
private slots:
    void header();
    void line_data();
    void line();
    void fileHoldsEveryLine();
    void folderThatVanishesStopsTheLog();
    void diskThatFillsKeepsTheWholeLines();
    void fullDeviceAtOnce();
    void fileThatCannotBeMade();
    void standardOutput();
};

Q_DECLARE_METATYPE(LoggedSweep)

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The columns as the log's documentation lists them.
QByteArray ExpectedHeader() {
    const char* readings[] = {"frequency_hz",   "period_s",    "peak_to_peak_v", "maximum_v",
                              "minimum_v",      "mean_v",      "rms_v",          "ac_rms_v",
                              "duty_cycle_pct", "rise_time_s", "fall_time_s"};
    QByteArray header = "sweep,time";
    for (const char* channel : {"a_", "b_"}) {
        header += QByteArray(",") + channel + "on," + channel + "reference";
        for (const char* reading : readings)
            header += QByteArray(",") + channel + reading + "," + channel + reading + "_flags";
    }
    return header + "\r\n";
}

QDateTime At(int hour, int minute, int second, int ms, int offsetSeconds) {
    return QDateTime(QDate(2024, 3, 8), QTime(hour, minute, second, ms), Qt::OffsetFromUTC,
                     offsetSeconds);
}

Reading Value(double value) {
    Reading r;
    r.value = value;
    r.available = true;
    return r;
}

// A sine on A: 1 kHz over 3 periods, clipped at the top, its edges at the resolution
// limit; no period on B (flat), against its ground.
ChannelMeasurements Sine() {
    ChannelMeasurements m;
    m.frequency = Value(1000);
    m.period = Value(0.001);
    m.peakToPeak = Value(7.96875);
    m.peakToPeak.clipped = true;
    m.maximum = Value(3.96875);
    m.maximum.clipped = true;
    m.minimum = Value(-4);
    m.mean = Value(-0.015625);
    m.rms = Value(2.0625);
    m.acRms = Value(2.0624);
    m.dutyCycle = Value(50);
    m.dutyCycle.fewPeriods = true;
    m.dutyCycle.resolutionLimited = true;
    m.riseTime = Value(1.25e-05);
    m.riseTime.resolutionLimited = true;
    m.fallTime = Value(0.0003333333333);
    m.reference = VoltageReference::ScreenCentre;
    return m;
}

ChannelMeasurements Flat() {
    ChannelMeasurements m;
    m.peakToPeak = Value(0);
    m.maximum = Value(0.5);
    m.minimum = Value(0.5);
    m.mean = Value(0.5);
    m.rms = Value(0.5);
    m.acRms = Value(0);
    m.reference = VoltageReference::Ground;
    return m;
}

const QByteArray SineFields =
    "1,centre,1000,,0.001,,7.96875,clipped,3.96875,clipped,-4,,-0.015625,,2.0625,,2.0624,,"
    "50,few_periods resolution_limit,1.25e-05,resolution_limit,0.0003333333,";
const QByteArray FlatFields = "1,ground,,not_available,,not_available,0,,0.5,,0.5,,0.5,,0.5,,0,,"
                              ",not_available,,not_available,,not_available";
const QByteArray OffFields = "0,,,,,,,,,,,,,,,,,,,,,,,";

LoggedSweep SineSweep(int number, const QDateTime& time) {
    return {number, time, Sine(), std::nullopt};
}

} // namespace

void MeasurementLogTest::header() {
    QCOMPARE(MeasurementLog::HeaderLine(), ExpectedHeader());
    QCOMPARE(ExpectedHeader().count(',') + 1, 2 + 2 * (2 + 2 * 11));
}

void MeasurementLogTest::line_data() {
    QTest::addColumn<LoggedSweep>("sweep");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("A on, B off, an hour east of UTC")
        << LoggedSweep{1, At(14, 5, 9, 123, 3600), Sine(), std::nullopt}
        << "1,2024-03-08T14:05:09.123+01:00," + SineFields + "," + OffFields + "\r\n";
    QTest::newRow("both on, west of UTC, no milliseconds")
        << LoggedSweep{27, At(9, 0, 0, 0, -5 * 3600), Sine(), Flat()}
        << "27,2024-03-08T09:00:00.000-05:00," + SineFields + "," + FlatFields + "\r\n";
    QTest::newRow("A off, B on, UTC")
        << LoggedSweep{1000000, At(23, 59, 59, 999, 0), std::nullopt, Flat()}
        << "1000000,2024-03-08T23:59:59.999Z," + OffFields + "," + FlatFields + "\r\n";
}

// Base units with a decimal point whatever the user's locale; the flags as words.
void MeasurementLogTest::line() {
    QFETCH(LoggedSweep, sweep);
    QFETCH(QByteArray, expected);
    const QLocale previous;
    const auto restore = qScopeGuard([&] { QLocale::setDefault(previous); });
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    const QByteArray line = MeasurementLog::Line(sweep);
    QCOMPARE(line, expected);
    QCOMPARE(line.count(','), ExpectedHeader().count(','));
}

void MeasurementLogTest::fileHoldsEveryLine() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mesures.csv"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older file, longer than the log will be, that it replaces entirely\r\n");
    old.close();

    auto log = MeasurementLog::ToFile(path);
    QCOMPARE(ReadAll(path), ExpectedHeader()); // the header is there at once
    QByteArray expected = ExpectedHeader();
    for (int n = 1; n <= 3; ++n) {
        const LoggedSweep sweep = SineSweep(n, At(10, 0, n, 0, 3600));
        log->Append(sweep);
        expected += MeasurementLog::Line(sweep);
        QCOMPARE(ReadAll(path), expected); // each line is in the file once appended
    }
    QCOMPARE(log->Lines(), 3);
    QCOMPARE(log->Path(), path);
    QVERIFY(!expected.startsWith("\xEF\xBB\xBF")); // UTF-8 without a mark
}

// The folder is moved away while the log runs: the next line stops the log with a message
// in French, and the file, found where it went, holds the header and every earlier line.
void MeasurementLogTest::folderThatVanishesStopsTheLog() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("essai")));
    const QString path = dir.filePath(QStringLiteral("essai/mesures.csv"));
    auto log = MeasurementLog::ToFile(path);
    QByteArray expected = ExpectedHeader();
    for (int n = 1; n <= 2; ++n) {
        log->Append(SineSweep(n, At(10, 0, n, 0, 0)));
        expected += MeasurementLog::Line(SineSweep(n, At(10, 0, n, 0, 0)));
    }
    QVERIFY(QDir(dir.path()).rename(QStringLiteral("essai"), QStringLiteral("ailleurs")));

    QString message;
    try {
        log->Append(SineSweep(3, At(10, 0, 3, 0, 0)));
    } catch (const MeasurementLogError& e) {
        message = QString::fromUtf8(e.what());
    }
    QVERIFY2(message.contains(QStringLiteral("n'est plus à sa place")), qPrintable(message));
    QVERIFY(message.contains(path));
    QVERIFY(!log->Open());
    QCOMPARE(ReadAll(dir.filePath(QStringLiteral("ailleurs/mesures.csv"))), expected);
    QVERIFY(!QFile::exists(path)); // nothing made anew at the old place
    QVERIFY_THROWS_EXCEPTION(MeasurementLogError, log->Append(SineSweep(4, At(10, 0, 4, 0, 0))));
    QCOMPARE(log->Lines(), 2);
}

// The file may not grow past a size that falls in the middle of the third line, as a
// disk that fills: the log stops, and the file ends with the second line, whole.
void MeasurementLogTest::diskThatFillsKeepsTheWholeLines() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mesures.csv"));
    auto log = MeasurementLog::ToFile(path);
    QByteArray expected = ExpectedHeader();
    for (int n = 1; n <= 2; ++n) {
        log->Append(SineSweep(n, At(10, 0, n, 0, 0)));
        expected += MeasurementLog::Line(SineSweep(n, At(10, 0, n, 0, 0)));
    }

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const auto restore = qScopeGuard([&] {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    });
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(expected.size() + 40);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);

    QString message;
    try {
        log->Append(SineSweep(3, At(10, 0, 3, 0, 0)));
    } catch (const MeasurementLogError& e) {
        message = QString::fromUtf8(e.what());
    }
    QVERIFY2(message.startsWith(QStringLiteral("L'enregistrement des mesures dans « ")),
             qPrintable(message));
    QVERIFY(message.endsWith(QStringLiteral("Les lignes déjà écrites sont conservées.")));
    QCOMPARE(log->Lines(), 2);
    QCOMPARE(ReadAll(path), expected);
}

// A device that is always full: the header cannot be written, and opening fails.
void MeasurementLogTest::fullDeviceAtOnce() {
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full here");
    QVERIFY_THROWS_EXCEPTION(MeasurementLogError,
                             MeasurementLog::ToFile(QStringLiteral("/dev/full")));
}

void MeasurementLogTest::fileThatCannotBeMade() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("absent/mesures.csv"));
    QString message;
    try {
        MeasurementLog::ToFile(path);
    } catch (const MeasurementLogError& e) {
        message = QString::fromUtf8(e.what());
    }
    QVERIFY2(message.startsWith(QStringLiteral("Le fichier des mesures « ") + path +
                                QStringLiteral(" » n'a pas pu être créé : ")),
             qPrintable(message));
    QVERIFY(!QFile::exists(path));
}

// On the standard output (here a file put in its place for the test), the same lines;
// the output stays open when the log goes.
void MeasurementLogTest::standardOutput() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sortie.csv"));
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    QVERIFY(saved >= 0);
    FILE* target = std::fopen(QFile::encodeName(path).constData(), "wb");
    QVERIFY(target);
    dup2(fileno(target), STDOUT_FILENO);
    std::fclose(target);
    QByteArray expected = ExpectedHeader();
    {
        auto log = MeasurementLog::ToStandardOutput();
        log->Append(SineSweep(5, At(12, 0, 0, 5, 0)));
        expected += MeasurementLog::Line(SineSweep(5, At(12, 0, 0, 5, 0)));
        QCOMPARE(log->Path(), QStringLiteral("-"));
    }
    const bool stillOpen = write(STDOUT_FILENO, "x", 1) == 1;
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    QVERIFY(stillOpen);
    QCOMPARE(ReadAll(path), expected + "x");
}

QTEST_GUILESS_MAIN(MeasurementLogTest)
#include "tst_measurementlog.moc"
