#include "SweepScript.h"
#include "measure/MeasurementController.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

// The automatic measurements of the run: the readings of the sweep shown, the statistics
// of the sweeps that count and their restarts, and the log of those sweeps. The session is
// activated; channel A is in DC so that its volts read from the centre line: a flat sweep
// at code N reads (N - 128) / 32 V at 1 V/div.
class MeasurementControllerTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void statisticsOfTheSweepsThatCount();
    void restarts_data();
    void restarts();
    void resetByTheUser();
    void pausedSweepsAreShownNotCounted();
    void displaySettingsMeasureTheSameSweepAgain();
    void logWritesTheSweepsThatCount();
    void logStopsWhenItsFolderGoes();

private:
    Instrument& Session() { return probe->session; }
    void Play(const QString& steps) { QVERIFY2(script->Run(steps), qPrintable(script->failed)); }
    int Count(Channel channel, ReadingKind kind = ReadingKind::Mean) const {
        return measurements->Statistics(channel, kind).Count();
    }

    std::unique_ptr<SessionProbe> probe;
    std::unique_ptr<SweepScript> script;
    std::unique_ptr<MeasurementController> measurements;
};

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

void MeasurementControllerTest::init() {
    probe = std::make_unique<SessionProbe>();
    script = std::make_unique<SweepScript>(*probe);
    measurements = std::make_unique<MeasurementController>(probe->session);
    probe->Activate();
    script->HookWrites();
    Play(QStringLiteral("dc"));
}

void MeasurementControllerTest::cleanup() {
    measurements.reset();
    script.reset();
    probe.reset();
}

void MeasurementControllerTest::statisticsOfTheSweepsThatCount() {
    QVERIFY(!measurements->Latest(Channel::A));
    Play(QStringLiteral("sweep:100 sweep:104 sweep:108"));
    // -0.875 V, -0.75 V, -0.625 V: equally spaced by 0.125 V.
    const ReadingStatistics& mean = measurements->Statistics(Channel::A, ReadingKind::Mean);
    QCOMPARE(mean.Count(), 3);
    QCOMPARE(mean.Current(), -0.625);
    QCOMPARE(mean.Minimum(), -0.875);
    QCOMPARE(mean.Maximum(), -0.625);
    QCOMPARE(mean.Mean(), -0.75);
    QVERIFY(std::fabs(mean.StandardDeviation() - 0.125) < 1e-12);
    // A flat sweep has no period: the frequency has no value to count.
    QCOMPARE(Count(Channel::A, ReadingKind::Frequency), 0);
    QVERIFY(measurements->Latest(Channel::A));
    QCOMPARE(measurements->Latest(Channel::A)->mean.value, -0.625);
    QCOMPARE(measurements->Latest(Channel::A)->reference, VoltageReference::ScreenCentre);
    QCOMPARE(measurements->LatestSweep(), 3);
    QVERIFY(measurements->LatestCounted());
    QVERIFY(!measurements->Latest(Channel::B)); // its trace is off
}

// Each setting that changes what is acquired or how it reads: the statistics it restarts,
// and the next sweep that counts starts them again.
void MeasurementControllerTest::restarts_data() {
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("restartsA");
    QTest::addColumn<bool>("restartsB");
    QTest::newRow("time base") << "timebase" << true << true;
    QTest::newRow("magnifier") << "x2" << true << true;
    QTest::newRow("RAM window") << "right" << true << true;
    QTest::newRow("range of A") << "volts" << true << false;
    QTest::newRow("probe of A") << "probe" << true << false;
    QTest::newRow("coupling of A") << "ac" << true << false;
    QTest::newRow("position of A") << "release:90" << true << false;
    QTest::newRow("position of A, one unit") << "up" << true << false;
    QTest::newRow("position of A, centred") << "centre" << true << false;
    QTest::newRow("trace of B off and on") << "off:B trace:B" << false << true;
    QTest::newRow("trigger") << "trigger" << false << false;
}

void MeasurementControllerTest::restarts() {
    QFETCH(QString, step);
    QFETCH(bool, restartsA);
    QFETCH(bool, restartsB);
    Play(QStringLiteral("trace:B sweep:100 sweep:100"));
    QCOMPARE(Count(Channel::A), 2);
    QCOMPARE(Count(Channel::B), 2);
    Play(step);
    QCOMPARE(Count(Channel::A), restartsA ? 0 : 2);
    QCOMPARE(Count(Channel::B), restartsB ? 0 : 2);
    Play(QStringLiteral("sweep:100"));
    QCOMPARE(Count(Channel::A), restartsA ? 1 : 3);
    QCOMPARE(Count(Channel::B), restartsB ? 1 : 3);
}

void MeasurementControllerTest::resetByTheUser() {
    Play(QStringLiteral("trace:B sweep:100 sweep:110"));
    QSignalSpy updated(measurements.get(), &MeasurementController::updated);
    measurements->ResetStatistics();
    QVERIFY(updated.count() > 0);
    for (Channel c : {Channel::A, Channel::B})
        for (int k = 0; k < ReadingKindCount; ++k)
            QCOMPARE(measurements->Statistics(c, ReadingKind(k)).Count(), 0);
    QVERIFY(measurements->Latest(Channel::A)); // the readings of the sweep shown stay
    Play(QStringLiteral("sweep:120"));
    QCOMPARE(Count(Channel::A), 1);
    QCOMPARE(measurements->Statistics(Channel::A, ReadingKind::Mean).Minimum(), -0.25);
}

// While paused the box sends its memory again (and anew for a moved window): those sweeps
// are measured and shown, not counted; nor is the memory it sends while "L&" is on its way.
void MeasurementControllerTest::pausedSweepsAreShownNotCounted() {
    Play(QStringLiteral("sweep:100 sweep:104 pause sweep:160"));
    QCOMPARE(measurements->Latest(Channel::A)->mean.value, 1.0);
    QVERIFY(!measurements->LatestCounted());
    QCOMPARE(measurements->LatestSweep(), 3);
    Play(QStringLiteral("sweep:160 run+sweep:160"));
    QCOMPARE(Count(Channel::A), 2);
    QCOMPARE(measurements->Statistics(Channel::A, ReadingKind::Mean).Maximum(), -0.75);
    Play(QStringLiteral("sweep:96"));
    QCOMPARE(Count(Channel::A), 3);
    QCOMPARE(measurements->Statistics(Channel::A, ReadingKind::Mean).Minimum(), -1.0);
}

// The magnifier and the probe change what the sweep shown gives: it is measured again at
// once, while paused too (no sweep would come to do it).
void MeasurementControllerTest::displaySettingsMeasureTheSameSweepAgain() {
    // Points 1 to 151 at 100, the rest at 164: the mean of all 300 is 131.84, of the first
    // 151 exactly 100.
    QByteArray sweep = SweepScript::Packets(1, 151, 100);
    for (int point = 152; point <= 300; ++point)
        sweep += SweepScript::Packet(point, 164, 164);
    Session().ReceiveBytes(sweep);
    Play(QStringLiteral("pause"));
    QCOMPARE(measurements->Latest(Channel::A)->pointCount, 300);
    Play(QStringLiteral("x2"));
    QCOMPARE(measurements->Latest(Channel::A)->pointCount, 151);
    QCOMPARE(measurements->Latest(Channel::A)->mean.value, -0.875);
    Session().SelectProbe(Channel::A, true);
    QCOMPARE(measurements->Latest(Channel::A)->mean.value, -8.75);
    Session().SwitchTrace(Channel::A, false);
    QVERIFY(!measurements->Latest(Channel::A));
}

void MeasurementControllerTest::logWritesTheSweepsThatCount() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mesures.csv"));
    const QDateTime start(QDate(2024, 3, 8), QTime(14, 0), Qt::OffsetFromUTC, 3600);
    int ticks = 0;
    measurements->SetClock([&] { return start.addMSecs(234 * ++ticks); });
    Play(QStringLiteral("sweep:100")); // before the log
    QSignalSpy changed(measurements.get(), &MeasurementController::logChanged);
    measurements->StartLog(path);
    QVERIFY(measurements->Logging());
    QCOMPARE(changed.count(), 1);
    Play(QStringLiteral("sweep:104 timebase+sweep:108 sweep:112 pause sweep:112 run sweep:116"));
    QCOMPARE(measurements->LoggedLines(), 3);
    measurements->StopLog();
    QVERIFY(!measurements->Logging());
    Play(QStringLiteral("sweep:120"));

    const QList<QByteArray> lines = ReadAll(path).split('\n');
    QCOMPARE(lines.size(), 5); // header, three sweeps, nothing after the last CR LF
    QCOMPARE(lines[0] + '\n', MeasurementLog::HeaderLine());
    const QByteArray mean = "a_mean_v";
    const int meanColumn = int(lines[0].split(',').indexOf(mean));
    QVERIFY(meanColumn > 0);
    // The sweep's number in the run, its time, its mean; B off.
    const QList<QList<QByteArray>> expected{
        {"2", "2024-03-08T14:00:00.234+01:00", "-0.75"},
        {"4", "2024-03-08T14:00:00.468+01:00", "-0.5"},
        {"6", "2024-03-08T14:00:00.702+01:00", "-0.375"},
    };
    const int bOn = int(lines[0].split(',').indexOf("b_on"));
    for (int i = 0; i < 3; ++i) {
        const QList<QByteArray> fields = lines[i + 1].trimmed().split(',');
        QCOMPARE(fields.size(), lines[0].split(',').size());
        QCOMPARE(fields[0], expected[i][0]);
        QCOMPARE(fields[1], expected[i][1]);
        QCOMPARE(fields[meanColumn], expected[i][2]);
        QCOMPARE(fields[bOn], QByteArray("0"));
        QVERIFY(lines[i + 1].endsWith('\r'));
    }
}

// The folder of the log is moved away: the next sweep stops the log and says why; the
// lines written before are in the file, where it went.
void MeasurementControllerTest::logStopsWhenItsFolderGoes() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("journal")));
    const QString path = dir.filePath(QStringLiteral("journal/mesures.csv"));
    measurements->StartLog(path);
    Play(QStringLiteral("sweep:100 sweep:104"));
    const QByteArray before = ReadAll(path);
    QCOMPARE(before.count('\n'), 3);
    QVERIFY(QDir(dir.path()).rename(QStringLiteral("journal"), QStringLiteral("parti")));

    QSignalSpy stopped(measurements.get(), &MeasurementController::logStopped);
    Play(QStringLiteral("sweep:108"));
    QCOMPARE(stopped.count(), 1);
    QVERIFY(stopped[0][0].toString().contains(QStringLiteral("n'est plus à sa place")));
    QVERIFY(!measurements->Logging());
    QCOMPARE(Count(Channel::A), 3); // the measurements go on
    Play(QStringLiteral("sweep:112"));
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(ReadAll(dir.filePath(QStringLiteral("parti/mesures.csv"))), before);
}

QTEST_MAIN(MeasurementControllerTest)
#include "tst_measurementcontroller.moc"
