// A capture on the program's own road to a box: the hardware link over a pseudo-terminal,
// the modem lines supplied by the preloaded shim, against the stand-in box of tools/ptybox
// in its own process, asleep until "Z1" or left awake. The box reads RTS as its
// microcontroller does, a millisecond after the line moved; the waits around each command
// are shortened, with room for it.

#include "CaptureSupport.h"
#include "PtyBox.h"
#include "PtyModem.h"
#include "PtyTrace.h"
#include "TestTimings.h"
#include "capture/Capture.h"
#include "files/AcquisitionFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>

namespace {

OscPtyModem* modem = nullptr;
QString modemFile;

} // namespace

class CaptureOverPtyTest : public QObject {
    Q_OBJECT
private slots:
    void captureOverThePort_data() {
        QTest::addColumn<bool>("awake");
        QTest::newRow("box asleep") << false;
        QTest::newRow("box already awake") << true;
    }

    // The commands on the wire are the program's, "Z1" first (with RTS high only for a
    // sleeping box, which does not answer it), "F&" last, each after the box's answer with
    // RTS low again; RTS is low at the end; the samples are the bench's.
    void captureOverThePort() {
        QFETCH(bool, awake);
        modem->lines.store(0);
        OscPtyNotify(*modem);

        PtyBoxProcess box;
        QVERIFY2(box.Start(modemFile, awake), qPrintable(box.process.errorString()));
        const QString slave = box.slave;

        // Shortened waits, still well beyond the 20 ms the box takes to answer RTS on a
        // loaded machine: the awake box's answer comes before "Z1" is written.
        Timings waits;
        waits.beforeWriteMs = 150;
        waits.afterWriteMs = 30;
        TimingsGuard timings(waits);
        QTemporaryDir dir;
        const QString record = dir.filePath(QStringLiteral("r.oscacq"));
        QBuffer out;
        QBuffer err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        CaptureStreams streams;
        streams.out = &out;
        streams.err = &err;
        Capture capture(
            ParseCaptureOptions({"--port", slave, "--sweeps", "2", "--quiet", "--trigger", "A",
                                 "--window", "600", "--volts", "B=500mV", "--position", "B=60",
                                 "--csv", "-", "--record", record}),
            streams);
        const uint32_t first = modem->eventCount.load();
        QCOMPARE(capture.Run(), 0);
        QCOMPARE(QString::fromUtf8(err.data()), QString());
        const QList<OscPtyEvent> events = PtyEvents(*modem, first);
        qInfo("%s box:\n%s", awake ? "awake" : "asleep", qPrintable(PtyTrace(events)));

        const QString wakeUp = awake ? QStringLiteral("write Z1 with RTS low")
                                     : QStringLiteral("write Z1 with RTS high");
        QStringList writes;
        for (const QString& e : PtyWire(events))
            if (e.startsWith(QStringLiteral("write ")))
                writes << e;
        QStringList expected{wakeUp};
        for (const char* command :
             {"?&", "T02&", "A14*&", "I&", "Q128#&", "B4*&", "M&", "R60#&", "U&", "d600#&", "F&"})
            expected << QStringLiteral("write %1 with RTS low").arg(QLatin1String(command));
        QCOMPARE(writes, expected);
        // Every command after the wake-up went out after the box's answer to its RTS rise.
        const QStringList wire = PtyWire(events);
        qsizetype from = wire.indexOf(wakeUp) + 1;
        for (qsizetype i = 1; i < expected.size(); ++i) {
            const qsizetype at = wire.indexOf(expected[i], from);
            QVERIFY(at > from);
            QVERIFY2(wire.mid(from, at - from).contains(QStringLiteral("DSR on")),
                     qPrintable(expected[i]));
            from = at + 1;
        }
        QVERIFY(!(modem->lines.load() & TIOCM_RTS));

        CheckBenchCsv(out.data(), 2, 0.1e-3, 600, ChannelSet{1, Coupling::DC, 1, 128, true},
                      ChannelSet{0.5, Coupling::DC, 1, 60, true});
        if (QTest::currentTestFailed())
            return;
        const AcquisitionContents read = ReadAcquisitionFile(record);
        QCOMPARE(read.error, QString());
        QCOMPARE(int(read.sweeps.size()), 2);
    }
};

int main(int argc, char** argv) {
    return RunWithTheBoxsLineRecord<CaptureOverPtyTest>(argc, argv, modem, modemFile);
}

#include "tst_captureoverpty.moc"
