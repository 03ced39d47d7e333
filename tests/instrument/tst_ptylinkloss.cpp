#include "PtyBox.h"
#include "PtyModem.h"
#include "PtyTrace.h"
#include "TestTimings.h"
#include "core/ErrorGuard.h"
#include "instrument/Instrument.h"
#include "link/CommandProtocol.h"
#include "link/SampleDecoder.h"
#include "link/SerialLink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

// A link lost and found again, on the program's own road: the hardware link over a
// pseudo-terminal, with the modem lines supplied by the preloaded shim, against the
// stand-in box (tools/ptybox) in its own process. The box's end is closed by ending that
// process, which is what the program's port sees when a USB adapter is pulled out: a
// hang-up, and the device node gone. The session's port is a symbolic link, which a new
// box is put behind: a port back under the same name. The box is switched off and on, or
// starved of data, by orders on its input.
namespace {

OscPtyModem* modem = nullptr;
QString modemFile;

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// The texts of the writes the program made since the log's event `from`.
QStringList WritesSince(uint32_t from) {
    QStringList writes;
    for (const OscPtyEvent& e : PtyEvents(*modem, from))
        if (e.kind == OscPtyEvent::Write)
            writes << QString::fromLatin1(e.bytes, std::min<int>(e.length, sizeof e.bytes));
    return writes;
}

// The stand-in box in its own process, behind a port name of the test's.
class Box : public PtyBoxProcess {
public:
    // Starts a box, asleep until "Z1" or already awake, and puts it behind `port`.
    bool Start(bool awake, const QString& port) {
        if (!PtyBoxProcess::Start(modemFile, awake))
            return false;
        QFile::remove(port);
        return QFile::link(slave, port);
    }

    void Close() { Stop(); }
};

} // namespace

class PtyLinkLossTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void lostWhenTheBoxEndCloses_data();
    void lostWhenTheBoxEndCloses();
    void reconnectionRestoresTheState_data();
    void reconnectionRestoresTheState();
    void boxThatStopsAcknowledgingIsLostThenFound_data();
    void boxThatStopsAcknowledgingIsLostThenFound();
    void silentBoxIsReportedOnlyWhenItShouldSend_data();
    void silentBoxIsReportedOnlyWhenItShouldSend();
    void adapterBackUnderAnotherNodeIsFoundByItsLastingName();

private:
    // A session on the box's port, activated, with the sweeps flowing. The port is the
    // link in the test's folder, or with `byNode` the box's device node itself, which then
    // has a lasting name in the folder of aliases.
    void Activate(bool awake, bool byNode = false);

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TimingsGuard> timings;
    std::unique_ptr<Box> box;
    std::unique_ptr<Instrument> session;
    std::unique_ptr<ErrorGuard::Reporter> reporter;
    QStringList errors;
    QStringList losses; // the causes the links gave for their losses
    QString port;
    int sweeps = 0;
    int openings = 0; // links made for an opening, successful or not
    int terminations = 0;
};

void PtyLinkLossTest::init() {
    modem->lines.store(0);
    modem->eventCount.store(0);
    OscPtyNotify(*modem);
    Timings quick = ProgramTimings();
    // The box answers 20 ms after it read RTS; the watchdog keeps its 2 s.
    quick.beforeWriteMs = 100;
    quick.afterWriteMs = 50;
    quick.commWindowMs = 50;
    timings = std::make_unique<TimingsGuard>(quick);
    errors.clear();
    losses.clear();
    ErrorGuard::SetReporter([this](const QString& text) { errors << text; });
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    port = dir->filePath(QStringLiteral("ttyBOX"));
    box = std::make_unique<Box>();
    sweeps = openings = terminations = 0;
}

void PtyLinkLossTest::cleanup() {
    session.reset();
    box.reset();
    ErrorGuard::SetReporter({});
    timings.reset();
    dir.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
}

void PtyLinkLossTest::Activate(bool awake, bool byNode) {
    QVERIFY(box->Start(awake, port));
    const QString aliases = dir->filePath(QStringLiteral("by-id"));
    if (byNode) {
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("by-id")));
        QVERIFY(QFile::link(box->slave, aliases + QStringLiteral("/usb-Stand-in_Box_0001")));
    }
    session =
        std::make_unique<Instrument>(dir->path() + QLatin1Char('/'), [this](const QString& name) {
            ++openings;
            auto made = CreateSerialLink(name);
            connect(made.get(), &SerialLink::portLost, this,
                    [this](const QString& reason) { losses << reason; });
            return made;
        });
    Instrument& s = *session;
    s.LoadSettings();
    s.NoteProgramFolder();
    s.SetInitialState();
    s.ApplyInactivePreset();
    s.ResetInstrumentLines();
    s.ChoosePort(byNode ? box->slave : port);
    s.SetRestoreMask(0);
    // This machine's adapters play no part.
    s.SetPortAliasFolder(byNode ? aliases : QString());
    connect(&s.Decoder(), &SampleDecoder::sweepCompleted, this, [this] { ++sweeps; });
    connect(&s, &Instrument::terminateRequested, this, [this] { ++terminations; });
    s.ActivateLink();
    QVERIFY2(s.LinkActive(), qPrintable(losses.join(u',') + u'\n' + PtyTrace(PtyEvents(*modem))));
    QTRY_VERIFY_WITH_TIMEOUT(sweeps >= 2, 10000);
}

void PtyLinkLossTest::lostWhenTheBoxEndCloses_data() {
    QTest::addColumn<bool>("awake");
    QTest::newRow("box asleep at first") << false;
    QTest::newRow("box already awake") << true;
}

// The box's end closes while the box streams: the loss is noticed at once, from the port
// itself (no command reveals it), the last sweep stays, the panel stays usable and changes
// the state alone, the port is tried once a second without keeping the processor busy,
// and quitting ends at once without a word to the box.
void PtyLinkLossTest::lostWhenTheBoxEndCloses() {
    QFETCH(bool, awake);
    Activate(awake);
    Instrument& s = *session;
    QSignalSpy state(&s, &Instrument::linkStateChanged);

    const uint32_t atLoss = modem->eventCount.load();
    QElapsedTimer clock;
    clock.start();
    box->Close();
    QTRY_VERIFY_WITH_TIMEOUT(s.Reconnecting(), 5000);
    const qint64 noticedMs = clock.elapsed();
    qInfo("loss noticed %lld ms after the box's end closed", noticedMs);
    if (qEnvironmentVariableIsSet("OSC_TIMING_TESTS"))
        QVERIFY2(noticedMs < 1000, qPrintable(QString::number(noticedMs)));
    QCOMPARE(state.size(), 1);
    QCOMPARE(s.LossReason(), LossReason::HungUp);
    QCOMPARE(s.LinkNotice(), QStringLiteral("Liaison perdue : port fermé ou débranché"));
    QVERIFY(WritesSince(atLoss).isEmpty()); // no command was needed to notice
    QVERIFY(s.LinkActive());
    QVERIFY(!s.LinkFailed());
    QCOMPARE(terminations, 0);

    // What the screen shows stays; every group of the panel is open.
    const auto displayed = [&s] {
        QList<int> codes;
        for (int n = 1; n <= 300; ++n)
            codes << s.Samples().At(n).displayA;
        return codes;
    };
    const QList<int> shown = displayed();
    const std::optional<CompletedSweep> lastSweep = s.LastSweep();
    const int sweepsAtLoss = sweeps;
    const PanelLocks& locks = s.Locks();
    QVERIFY(locks.settingGroupsEnabled && locks.transferGroupsEnabled && locks.runButtonsEnabled);
    // A setting changes the state and the file, and nothing goes on the wire.
    s.SelectTimeBase(3);
    QCOMPARE(s.State().timeBaseIndex, 3);
    QCOMPARE(s.Settings().Number(SettingsLine::TimeBase), 3);
    QVERIFY(!s.Protocol().Busy());
    QVERIFY(WritesSince(atLoss).isEmpty());

    // While lost, the port is tried once a second and the processor mostly sleeps.
    const int openingsBefore = openings;
    const double cpuBefore = CpuSeconds();
    QElapsedTimer window;
    window.start();
    QTest::qWait(3500);
    const double cpu = CpuSeconds() - cpuBefore;
    const double seconds = window.elapsed() / 1000.0;
    const int tries = openings - openingsBefore;
    qInfo("while lost: %.1f%% of one core over %.1f s, %d attempts to open the port",
          100 * cpu / seconds, seconds, tries);
    QVERIFY2(cpu < 0.3 * seconds, qPrintable(QString::number(cpu)));
    QVERIFY(tries >= 1);
    // A coarse timer of a second may fire up to 5 % early.
    QVERIFY2(tries <= int(seconds / 0.95) + 1, qPrintable(QString::number(tries)));
    QVERIFY(s.Reconnecting());
    QCOMPARE(sweeps, sweepsAtLoss);
    QCOMPARE(displayed(), shown);
    QVERIFY(s.LastSweep() == lastSweep);

    // Quitting ends at once; "F&" goes nowhere.
    s.Quit();
    QCOMPARE(terminations, 1);
    QVERIFY(!WritesSince(atLoss).contains(QStringLiteral("F&")));
    QVERIFY(!s.LinkActive());
}

void PtyLinkLossTest::reconnectionRestoresTheState_data() {
    QTest::addColumn<bool>("whileLost");
    QTest::addColumn<bool>("awakeAgain");
    // The settings made by hand while the link is live reach the box then, and again on
    // its return; those made while it is lost reach it only on its return. A box switched
    // off comes back asleep; one that kept its power (the adapter alone was pulled out)
    // comes back awake.
    QTest::newRow("made before the loss, box back asleep") << false << false;
    QTest::newRow("made while lost, box back awake") << true << true;
}

// The same settings, made by hand: what a box back on the same port receives after "?&".
void PtyLinkLossTest::reconnectionRestoresTheState() {
    QFETCH(bool, whileLost);
    QFETCH(bool, awakeAgain);
    Activate(false);
    Instrument& s = *session;
    // By the tables of the box's commands: 100 ms/div "T05&", 100 mV/div on A "A6*&", 5 V/div
    // on B "B12*&", DC on A "I&", AC on B "J&", trigger on B "V&", the window one division
    // (30 samples) to the right "d30#&", positions 100 and 150, and the pause last.
    const QStringList settings{"T05&",   "A6*&",   "B12*&", "I&",    "J&",
                               "Q100#&", "R150#&", "V&",    "d30#&", "P&"};
    const auto makeSettings = [&s] {
        s.SelectTimeBase(3);
        s.SelectVoltsPerDiv(Channel::A, 6);
        s.SwitchTrace(Channel::B, true);
        s.SelectVoltsPerDiv(Channel::B, 1);
        s.SelectCoupling(Channel::A, 3);
        s.SelectCoupling(Channel::B, 1);
        s.ReleasePosition(Channel::A, 100);
        s.ReleasePosition(Channel::B, 150);
        s.SelectTrigger(3);
        s.TranslateRight();
        s.Pause();
    };
    if (!whileLost) {
        const uint32_t first = modem->eventCount.load();
        makeSettings();
        // By hand, in the order of the clicks; the restore keeps its own order.
        const QStringList byHand = WritesSince(first);
        QStringList sorted = byHand, expected = settings;
        sorted.sort();
        expected.sort();
        QCOMPARE(sorted, expected);
    }

    box->Close();
    QTRY_VERIFY_WITH_TIMEOUT(s.Reconnecting(), 5000);
    if (whileLost) {
        const uint32_t lost = modem->eventCount.load();
        makeSettings();
        QVERIFY(WritesSince(lost).isEmpty());
    }
    QVERIFY(!s.Locks().settingGroupsEnabled); // paused

    // A new box behind the same name.
    modem->eventCount.store(0);
    const int before = sweeps;
    QVERIFY(box->Start(awakeAgain, port));
    QTRY_VERIFY_WITH_TIMEOUT(!s.Reconnecting(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(s.LinkNotice(), QStringLiteral("Liaison rétablie"), 20000);
    const QList<OscPtyEvent> events = PtyEvents(*modem);
    qInfo("reconnection, box %s:\n%s", awakeAgain ? "awake" : "asleep",
          qPrintable(PtyTrace(events)));
    // The wake-up and the initialisation, then the state in force.
    QCOMPARE(WritesSince(0), QStringList({"Z1", "?&"}) + settings);
    QStringList wire = PtyWire(events);
    QCOMPARE(wire.first(), QStringLiteral("RTS on"));
    QCOMPARE(wire.count(QStringLiteral("RTS on")), 2 + settings.size());
    // The panel as the pause wants it, and sweeps flow again (a paused box sends its window).
    QVERIFY(!s.Locks().settingGroupsEnabled);
    QVERIFY(s.Locks().transferGroupsEnabled && s.Locks().runButtonsEnabled);
    QTRY_VERIFY_WITH_TIMEOUT(sweeps >= before + 2, 10000);
    QVERIFY(!s.Protocol().Busy());
    QCOMPARE(terminations, 0);
}

void PtyLinkLossTest::boxThatStopsAcknowledgingIsLostThenFound_data() {
    QTest::addColumn<bool>("awake");
    QTest::newRow("box asleep at first") << false;
    QTest::newRow("box already awake") << true;
}

// A box switched off behind an adapter that keeps the port: the next command goes
// unacknowledged for the watchdog's 2 s, and the link is lost instead of the run ending.
// The port is opened again and the box woken, quietly, until it answers; then the
// command it missed reaches it with the rest of the state.
void PtyLinkLossTest::boxThatStopsAcknowledgingIsLostThenFound() {
    QFETCH(bool, awake);
    Activate(awake);
    Instrument& s = *session;
    QStringList lockChanges;
    bool groups = s.Locks().settingGroupsEnabled;
    connect(&s, &Instrument::locksChanged, this, [&] {
        if (s.Locks().settingGroupsEnabled != groups)
            lockChanges << (s.Locks().settingGroupsEnabled ? "on" : "off");
        groups = s.Locks().settingGroupsEnabled;
    });
    box->Order("off");
    QTRY_VERIFY_WITH_TIMEOUT(!(modem->lines.load() & TIOCM_DSR), 5000);
    s.SelectTimeBase(5); // 20 ms/div
    QVERIFY(s.Reconnecting());
    QCOMPARE(s.LinkNotice(), QStringLiteral("Liaison perdue : le boîtier ne répond plus"));
    QCOMPARE(terminations, 0);
    QVERIFY(!s.LinkFailed());
    QCOMPARE(lockChanges, QStringList({"off", "on"})); // the exchange, then free again

    // The attempts open the port and wake the box, which does not answer: nothing locks.
    lockChanges.clear();
    const int before = openings;
    QTRY_VERIFY_WITH_TIMEOUT(openings >= before + 2, 20000);
    QVERIFY(s.Reconnecting());
    QVERIFY(lockChanges.isEmpty());
    QVERIFY(s.Locks().settingGroupsEnabled);

    modem->eventCount.store(0);
    box->Order("on");
    QTRY_COMPARE_WITH_TIMEOUT(s.LinkNotice(), QStringLiteral("Liaison rétablie"), 20000);
    QStringList writes = WritesSince(0);
    // Attempts before the box came on may have woken it in vain.
    while (writes.size() > 1 && writes[0] == "Z1" && writes[1] == "Z1")
        writes.removeFirst();
    QCOMPARE(writes, QStringList({"Z1", "?&", "T12&", "Q128#&", "R128#&"}));
    const int sweepsBack = sweeps;
    QTRY_VERIFY_WITH_TIMEOUT(sweeps >= sweepsBack + 2, 10000);
    QCOMPARE(terminations, 0);
}

void PtyLinkLossTest::silentBoxIsReportedOnlyWhenItShouldSend_data() {
    QTest::addColumn<int>("trigger");
    QTest::newRow("trigger off") << 1;
    QTest::newRow("trigger on channel A") << 2;
}

// A box that stops sending while it still answers: reported once three RAM sweeps and
// 2 s have passed (at 0.1 ms/div that is 2.02 s), unless a trigger is set, for which a
// box may wait as long as it must. The port is neither closed nor opened again.
void PtyLinkLossTest::silentBoxIsReportedOnlyWhenItShouldSend() {
    QFETCH(int, trigger);
    Activate(false);
    Instrument& s = *session;
    if (trigger != 1)
        s.SelectTrigger(trigger);
    SerialLink* link = s.Link();
    const int openingsBefore = openings;
    QElapsedTimer clock;
    box->Order("mute");
    clock.start();
    // Until 1.5 s after the box fell silent there can be no notice.
    while (clock.elapsed() < 1500) {
        QVERIFY2(s.LinkNotice().isEmpty(), qPrintable(s.LinkNotice()));
        QTest::qWait(50);
    }
    if (trigger != 1) {
        // Well past the bound (and its supervision's tick): still nothing.
        QTest::qWait(3000);
        QVERIFY2(s.LinkNotice().isEmpty(), qPrintable(s.LinkNotice()));
        s.SelectTrigger(1); // the box should send now
    }
    QTRY_VERIFY_WITH_TIMEOUT(!s.LinkNotice().isEmpty(), 15000);
    const QRegularExpression notice(QStringLiteral("^Aucune donnée reçue depuis (\\d+) s$"));
    const QRegularExpressionMatch match = notice.match(s.LinkNotice());
    QVERIFY2(match.hasMatch(), qPrintable(s.LinkNotice()));
    QVERIFY(match.captured(1).toInt() >= 2);
    QVERIFY(!s.Reconnecting());
    QCOMPARE(s.Link(), link);
    QVERIFY(link->IsOpen());
    QCOMPARE(openings, openingsBefore);

    box->Order("unmute");
    QTRY_VERIFY_WITH_TIMEOUT(s.LinkNotice().isEmpty(), 10000);
}

// An adapter plugged in again may come back under another device node; the name the
// system gives it after its maker and serial number follows it there, and so does the
// program.
void PtyLinkLossTest::adapterBackUnderAnotherNodeIsFoundByItsLastingName() {
    Activate(false, true);
    Instrument& s = *session;
    const QString oldNode = box->slave;
    box->Close();
    QTRY_VERIFY_WITH_TIMEOUT(s.Reconnecting(), 5000);
    // The node freed by the box's end is held by another, as by another device.
    QList<int> held;
    const auto release = qScopeGuard([&held] {
        for (int fd : held)
            ::close(fd);
    });
    for (int i = 0; i < 20; ++i) {
        const int other = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(other >= 0);
        held << other;
        if (QString::fromLocal8Bit(ptsname(other)) == oldNode)
            break;
        QTest::qWait(100);
    }
    QVERIFY(box->Start(false, port));
    QVERIFY2(box->slave != oldNode, qPrintable(box->slave));
    const QString alias = dir->filePath(QStringLiteral("by-id/usb-Stand-in_Box_0001"));
    QVERIFY(QFile::remove(alias));
    QVERIFY(QFile::link(box->slave, alias));
    QTRY_COMPARE_WITH_TIMEOUT(s.LinkNotice(), QStringLiteral("Liaison rétablie"), 20000);
    QCOMPARE(s.Settings().Line(SettingsLine::Port), oldNode); // the choice is left as it was
    const int before = sweeps;
    QTRY_VERIFY_WITH_TIMEOUT(sweeps >= before + 2, 10000);
}

int main(int argc, char** argv) {
    return RunWithTheBoxsLineRecord<PtyLinkLossTest>(argc, argv, modem, modemFile);
}

#include "tst_ptylinkloss.moc"
