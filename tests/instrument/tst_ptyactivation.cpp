#include "PtyBox.h"
#include "PtyModem.h"
#include "PtyTrace.h"
#include "instrument/Instrument.h"
#include "link/SampleDecoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

// Link activation of the session, on the program's own road: the hardware link over a
// pseudo-terminal, with the modem lines supplied by the preloaded shim, against the
// stand-in box (tools/ptybox) in its own process. The box reads RTS as its
// microcontroller does, a millisecond after the line moved, and answers 20 ms after it
// read RTS high; it is asleep until "Z1", or already awake.
namespace {

OscPtyModem* modem = nullptr;
QString modemFile;

} // namespace

class PtyActivationTest : public QObject {
    Q_OBJECT
private slots:
    void boxSeesALineRaisedBeforeItStarted();
    void activatedOverThePort_data() {
        QTest::addColumn<bool>("awake");
        QTest::addColumn<QList<QStringList>>("wires"); // the lines and writes it may show
        // Asleep, the box does not answer the wake-up's RTS, which stays up while "Z1"
        // goes out. Woken, it answers the high line 20 ms after it read "Z1"; the program
        // has dropped and at once raised RTS for the first handshake by then, unless the
        // machine held it up after the write (then the answer comes earlier on the wire,
        // and is taken all the same).
        const QStringList start{"RTS on", "write Z1 with RTS high"};
        const QStringList end{"RTS off", "DSR off", "write ?& with RTS low"};
        QTest::newRow("box asleep")
            << false
            << QList<QStringList>{
                   start + QStringList{"sent with RTS high", "RTS off", "RTS on", "DSR on"} + end,
                   start + QStringList{"sent with RTS high", "RTS off", "DSR on", "RTS on"} + end,
                   start + QStringList{"sent with RTS high", "DSR on", "RTS off", "RTS on"} + end,
                   start + QStringList{"DSR on", "sent with RTS high", "RTS off", "RTS on"} + end};
        // Awake, it answers the wake-up's RTS: RTS falls at its answer, "Z1" goes out with
        // RTS low, and the box has seen RTS low and dropped DSR before the first handshake
        // raises RTS again.
        QTest::newRow("box already awake")
            << true
            << QList<QStringList>{{"RTS on", "DSR on", "RTS off", "DSR off",
                                   "write Z1 with RTS low", "sent with RTS low", "RTS on", "DSR on",
                                   "RTS off", "DSR off", "write ?& with RTS low"}};
    }

    void activatedOverThePort() {
        QFETCH(bool, awake);
        QFETCH(QList<QStringList>, wires);
        modem->lines.store(0);
        OscPtyNotify(*modem);

        PtyBoxProcess box;
        QVERIFY2(box.Start(modemFile, awake), qPrintable(box.process.errorString()));
        const QString slave = box.slave;

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Instrument session(dir.path() + QLatin1Char('/'));
        session.LoadSettings();
        session.NoteProgramFolder();
        session.SetInitialState();
        session.ApplyInactivePreset();
        session.ResetInstrumentLines();
        session.ChoosePort(slave);
        session.SetRestoreMask(0);
        int sweeps = 0;
        connect(&session.Decoder(), &SampleDecoder::sweepCompleted, this, [&sweeps] { ++sweeps; });
        bool lost = false;
        connect(&session, &Instrument::linkLost, this, [&lost] { lost = true; });

        const uint32_t first = modem->eventCount.load();
        session.ActivateLink();
        QList<OscPtyEvent> events = PtyEvents(*modem, first);
        qInfo("%s box:\n%s", awake ? "awake" : "asleep", qPrintable(PtyTrace(events)));

        QVERIFY(!lost);
        QVERIFY(!session.LinkFailed());
        QVERIFY(session.LinkActive());
        const QStringList wire = PtyWire(events).mid(0, wires.first().size());
        QVERIFY2(wires.contains(wire), qPrintable(wire.join(QStringLiteral(", "))));
        // The box streams: whole sweeps are decoded.
        QTRY_VERIFY_WITH_TIMEOUT(sweeps >= 2, 10000);
        QVERIFY(!lost);
    }
};

// The stand-in box reads RTS from the moment it is switched on: a line the program raised
// before the box's reader began (a machine slow to schedule it) is high for the box, which
// answers it once woken.
void PtyActivationTest::boxSeesALineRaisedBeforeItStarted() {
    modem->lines.store(TIOCM_RTS);
    OscPtyNotify(*modem);
    PtyBoxProcess box;
    QVERIFY2(box.Start(modemFile, false), qPrintable(box.process.errorString()));
    const int fd = ::open(QFile::encodeName(box.slave).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    const auto closePort = qScopeGuard([fd] { ::close(fd); });
    QCOMPARE(::write(fd, "Z1", 2), ssize_t(2));
    QTRY_VERIFY_WITH_TIMEOUT(modem->lines.load() & TIOCM_DSR, 10000);
}

int main(int argc, char** argv) {
    return RunWithTheBoxsLineRecord<PtyActivationTest>(argc, argv, modem, modemFile);
}

#include "tst_ptyactivation.moc"
