// The sample CSV of a series of recorded sweeps: the sweep's number and its date and time
// before the columns of the program's own sample export.

#include "files/SweepCsv.h"
#include "files/SweepRecord.h"

#include <QScopeGuard>
#include <QTimeZone>
#include <QtTest>
#include <random>

namespace {

// 2024-06-01 12:05:09.123 UTC.
constexpr qint64 June1st = 1717243509123;

SweepRecord KnownRecord() {
    SweepRecord r;
    r.msecsSinceEpoch = June1st;
    r.utcOffsetMinutes = 120;
    r.instrument.timeBaseIndex = 9; // 1 ms/div: a point every 1/30 ms
    r.instrument.channelA.traceOn = true;
    r.instrument.channelA.voltsPerDivIndex = 3; // 1 V
    r.instrument.channelB.traceOn = true;
    r.instrument.channelB.voltsPerDivIndex = 4; // 500 mV with a x10 probe: 5 V
    r.instrument.channelB.probeTimesTen = true;
    r.ramWindowStart = 30;
    r.sweep.codeA.fill(128);
    r.sweep.codeB.fill(128);
    r.sweep.codeA[0] = 160;
    r.sweep.codeB[0] = 96;
    r.sweep.codeA[1] = 129;
    r.sweep.codeB[1] = 0;
    r.sweep.codeA[299] = 999; // three digits that are no level: kept as received
    return r;
}

} // namespace

class SweepSeriesCsvTest : public QObject {
    Q_OBJECT
private slots:
    // A known sweep, value for value, under a French default locale: the number and the
    // local time lead every row; time from the time base and the window's start, volts from
    // the centre line with volts/div and probe.
    void knownSweep() {
        const QLocale previous;
        const auto restore = qScopeGuard([&] { QLocale::setDefault(previous); });
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        const SweepRecord r = KnownRecord();
        QCOMPARE(SweepSeriesCsvHeader(r),
                 QStringLiteral("Balayage,Date et heure,Point,Temps (s),Voie A (V par rapport à "
                                "la ligne centrale),Voie B (V par rapport à la ligne centrale),"
                                "Code A,Code B\r\n")
                     .toUtf8());
        const QList<QByteArray> lines = SweepSeriesCsvRows(12, r).split('\n');
        QCOMPARE(lines.size(), 301); // 300 points, nothing after the last CR LF
        const QByteArray lead = "12,2024-06-01T14:05:09.123+02:00,";
        // Point 1 is sample 30: 30 / 30 kHz = 1 ms; (160 - 128) / 32 x 1 V; (96 - 128) / 32 x 5 V.
        QCOMPARE(lines[0], lead + "1,0.001,1,-5,160,96\r");
        QCOMPARE(lines[1], lead + "2,0.00103333333333333,0.03125,-20,129,0\r");
        QCOMPARE(lines[2], lead + "3,0.00106666666666667,0,0,128,128\r");
        // (999 - 128) / 32 x 1 V = 27.21875 V; sample 329 / 30 kHz.
        QCOMPARE(lines[299], lead + "300,0.0109666666666667,27.21875,0,999,128\r");
        QCOMPARE(lines[300], QByteArray());
    }

    // The columns after the number and the time are those of the program's sample export of
    // the same sweep shown on the screen (its displayed codes being the codes as received),
    // whatever the settings: channels off, probes, magnifier, window.
    void sameColumnsAsTheSampleExport() {
        std::mt19937 random(20240601);
        SweepSeriesCsv series;
        for (int k = 0; k < 200; ++k) {
            SweepRecord r;
            r.msecsSinceEpoch = June1st + k;
            InstrumentSettings& in = r.instrument;
            in.timeBaseIndex = 1 + int(random() % 18);
            for (Channel c : {Channel::A, Channel::B}) {
                in.Of(c).traceOn = random() % 3 != 0;
                in.Of(c).voltsPerDivIndex = 1 + int(random() % 9);
                in.Of(c).probeTimesTen = random() % 2 != 0;
            }
            const int factors[] = {1, 2, 5};
            r.magnification = factors[random() % 3];
            r.ramWindowStart = int(random() % 1748);
            SampleTable table;
            for (int i = 0; i < 300; ++i) {
                r.sweep.codeA[std::size_t(i)] = int(random() % 1000);
                r.sweep.codeB[std::size_t(i)] = int(random() % 1000);
                table.At(i + 1).displayA = r.sweep.codeA[std::size_t(i)];
                table.At(i + 1).displayB = r.sweep.codeB[std::size_t(i)];
            }
            if (k % 10 == 0) { // codes no file holds, written all the same
                r.sweep.codeA[17] = -40;
                r.sweep.codeB[3] = 1234;
                table.At(18).displayA = -40;
                table.At(4).displayB = 1234;
            }
            SweepExport shown;
            shown.instrument = in;
            shown.samples = &table;
            shown.ramWindowStart = r.ramWindowStart;
            shown.magnification = r.magnification;
            QList<QByteArray> exported = SweepCsv(shown).split('\n');
            const QByteArray lead = QByteArray::number(k + 1) + ',' + r.TimeText().toUtf8() + ',';
            QCOMPARE(SweepSeriesCsvHeader(r), "Balayage,Date et heure," + exported[0] + '\n');
            QByteArray expected;
            for (int line = 1; line < exported.size() - 1; ++line)
                expected += lead + exported[line] + '\n';
            QCOMPARE(SweepSeriesCsvRows(k + 1, r), expected);
            // A writer that keeps its texts from one sweep to the next writes the same.
            QCOMPARE(series.Rows(k + 1, r), expected);
        }
    }

    void timeText_data() {
        QTest::addColumn<qint64>("msecs");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("text");
        QTest::newRow("summer in Paris") << June1st << 120 << "2024-06-01T14:05:09.123+02:00";
        QTest::newRow("UTC") << June1st << 0 << "2024-06-01T12:05:09.123+00:00";
        QTest::newRow("west, half hours") << June1st << -90 << "2024-06-01T10:35:09.123-01:30";
        // 2023-12-31 23:30:00.005 UTC is already the new year an hour east.
        QTest::newRow("across the year")
            << qint64(1704065400005) << 60 << "2024-01-01T00:30:00.005+01:00";
        QTest::newRow("the epoch") << qint64(0) << 0 << "1970-01-01T00:00:00.000+00:00";
    }
    void timeText() {
        QFETCH(qint64, msecs);
        QFETCH(int, offset);
        QFETCH(QString, text);
        SweepRecord r;
        r.msecsSinceEpoch = msecs;
        r.utcOffsetMinutes = offset;
        QCOMPARE(r.TimeText(), text);
    }

    // A record made at a local time keeps the instant and its offset.
    void recordAtALocalTime() {
        const QDateTime when =
            QDateTime::fromMSecsSinceEpoch(June1st, QTimeZone(QByteArray("Europe/Paris")));
        const SweepRecord r = SweepRecord::At(when);
        QCOMPARE(r.msecsSinceEpoch, June1st);
        QCOMPARE(r.utcOffsetMinutes, 120);
        QCOMPARE(r.TimeText(), QStringLiteral("2024-06-01T14:05:09.123+02:00"));
    }
};

QTEST_GUILESS_MAIN(SweepSeriesCsvTest)
#include "tst_sweepseriescsv.moc"
