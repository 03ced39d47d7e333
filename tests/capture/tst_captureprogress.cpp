// The progress line of a capture: French, decimal comma, the singular up to one.

#include "capture/CaptureProgress.h"

#include <QtTest>

class CaptureProgressTest : public QObject {
    Q_OBJECT
private slots:
    void text_data() {
        QTest::addColumn<int>("sweeps");
        QTest::addColumn<int>("ofSweeps");     // 0: none
        QTest::addColumn<double>("ofSeconds"); // 0: none
        QTest::addColumn<double>("elapsed");
        QTest::addColumn<qint64>("rejected");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << 0 << 100 << 0.0 << 0.0 << qint64(0)
                               << "balayage 0/100 — 0,0 balayages/s — 0 paquet rejeté";
        // 12 sweeps in 2.8 s: 4.2857 a second.
        QTest::newRow("counted") << 12 << 100 << 0.0 << 2.8 << qint64(1)
                                 << "balayage 12/100 — 4,3 balayages/s — 1 paquet rejeté";
        QTest::newRow("timed") << 33 << 0 << 60.0 << 7.9 << qint64(2)
                               << "balayage 33 — 7/60 s — 4,2 balayages/s — 2 paquets rejetés";
        // The last line of a timed run may come a little after the end.
        QTest::newRow("timed, at the end") << 240 << 0 << 60.0 << 60.6 << qint64(0)
                                           << "balayage 240 — 60/60 s — 4,0 balayages/s — 0 "
                                              "paquet rejeté";
        QTest::newRow("fractions of a second") << 5 << 0 << 1.5 << 1.2 << qint64(0)
                                               << "balayage 5 — 1/1,5 s — 4,2 balayages/s — 0 "
                                                  "paquet rejeté";
    }
    void text() {
        QFETCH(int, sweeps);
        QFETCH(int, ofSweeps);
        QFETCH(double, ofSeconds);
        QFETCH(double, elapsed);
        QFETCH(qint64, rejected);
        QFETCH(QString, text);
        CaptureProgress p;
        p.sweeps = sweeps;
        if (ofSweeps)
            p.ofSweeps = ofSweeps;
        if (ofSeconds > 0)
            p.ofSeconds = ofSeconds;
        p.elapsedSeconds = elapsed;
        p.rejectedPackets = rejected;
        QCOMPARE(p.Text(), text);
    }
};

QTEST_GUILESS_MAIN(CaptureProgressTest)
#include "tst_captureprogress.moc"
