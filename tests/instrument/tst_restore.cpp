#include "ProbeTools.h"

#include <QtTest>
#include <memory>

// The restore of link activation: what the mask of line 28 selects from lines 30 to 39 is
// replayed through the operations of the front panel, after "?&", each with its own save,
// command and redraw.
class RestoreTest : public QObject {
    Q_OBJECT
private slots:
    void init() { probe = std::make_unique<SessionProbe>(); }
    void cleanup() { probe.reset(); }

    void restore_data();
    void restore();
    void failingGroupIsReportedAndTheNextGroupsAreRestored();
    void settingsInMemory_data();
    void settingsInMemory();

private:
    // The events after "?&" of an activation with lines 28 and 30 to 39.
    QStringList Activate(const QString& mask, const QStringList& saved);
    QStringList FileLines(int first, int last) const;

    std::unique_ptr<SessionProbe> probe;
};

namespace {

// Lines 30 to 39: positions A and B, time base, trigger, trace switches A and B, couplings
// A and B, volts/div A and B.
const QStringList Saved{"100", "150", "9", "2", "VOIE_A_ON", "VOIE_B_ON", "3", "1", "4", "5"};
// Lines 18 to 27 as every start leaves them.
const QStringList StartLines{"128",        "128", "12", "1", "VOIE_A_ON",
                             "VOIE_B_OFF", "2",   "2",  "3", "3"};

QStringList With(QStringList lines, const QList<QPair<int, QString>>& changes, int first) {
    for (const auto& [line, text] : changes)
        lines[line - first] = text;
    return lines;
}

// The saved lines with some changed, by line number.
QStringList SavedWith(const QList<QPair<int, QString>>& changes) {
    return With(Saved, changes, 30);
}

// The start lines with some changed, by line number.
QStringList StartWith(const QList<QPair<int, QString>>& changes) {
    return With(StartLines, changes, 18);
}

// Every group, in the order of the bits: time base, trigger, trace switches, couplings,
// volts/div, positions.
// clang-format off
const QStringList Everything{
    "save", "send T03&", "redraw",
    "save", "send U&", "redraw",
    "save", "save",
    "save", "send I&", "redraw", "save", "send J&", "redraw",
    "save", "send A4*&", "redraw", "save", "send B5*&", "redraw",
    "send Q100#&", "save", "send R150#&", "save"};
// clang-format on

} // namespace

QStringList RestoreTest::Activate(const QString& mask, const QStringList& saved) {
    QList<QPair<int, QString>> lines{{28, mask}};
    for (int k = 30; k <= 39; ++k)
        lines << qMakePair(k, saved[k - 30]);
    LoadSettingsLines(*probe, lines);
    probe->Activate(true);
    const qsizetype initialised = probe->events.indexOf(QStringLiteral("send ?&"));
    return initialised < 0 ? QStringList{"no ?&"} : probe->events.mid(initialised + 1);
}

QStringList RestoreTest::FileLines(int first, int last) const {
    const PersistedSettings file =
        SettingsFile::Load(probe->dir.filePath(QStringLiteral("parametres.inf")));
    QStringList lines;
    for (int k = first; k <= last; ++k)
        lines << file.Line(k);
    return lines;
}

void RestoreTest::restore_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("saved");     // lines 30 to 39
    QTest::addColumn<QStringList>("events");    // after "?&"
    QTest::addColumn<QStringList>("inForce");   // lines 18 to 27 in the file afterwards
    QTest::addColumn<QString>("traces");        // channels whose trace and controls are on
    QTest::addColumn<QString>("groundMarkers"); // channels whose ground marker is shown
    QTest::addColumn<TriggerSource>("trigger"); // as the trigger buttons show it

    QTest::newRow("0: nothing") << "0" << Saved << QStringList{} << StartLines << "A"
                                << "AB" << TriggerSource::Off;
    QTest::newRow("1: time base") << "1" << Saved << QStringList{"save", "send T03&", "redraw"}
                                  << StartWith({{20, "9"}}) << "A"
                                  << "AB" << TriggerSource::Off;
    QTest::newRow("1: time base 12, as the 0.1 ms button")
        << "1" << SavedWith({{32, "12"}}) << QStringList{"save", "send T02&", "redraw"}
        << StartLines << "A"
        << "AB" << TriggerSource::Off;
    QTest::newRow("2: trigger") << "2" << Saved << QStringList{"save", "send U&", "redraw"}
                                << StartWith({{21, "2"}}) << "A"
                                << "AB" << TriggerSource::ChannelA;
    // The trace switches alone: their lines are written and saved, nothing is sent or
    // redrawn, the channels' controls follow.
    QTest::newRow("4: trace switches alone")
        << "4" << SavedWith({{34, "VOIE_A_OFF"}, {35, "VOIE_B_ON"}}) << QStringList{"save", "save"}
        << StartWith({{22, "VOIE_A_OFF"}, {23, "VOIE_B_ON"}}) << "B"
        << "AB" << TriggerSource::Off;
    QTest::newRow("8: couplings GND and DC")
        << "8" << SavedWith({{36, "2"}, {37, "3"}})
        << QStringList{"save", "send H&", "redraw", "save", "send M&", "redraw"}
        << StartWith({{24, "2"}, {25, "3"}}) << "A"
        << "AB" << TriggerSource::Off;
    QTest::newRow("16: volts/div")
        << "16" << Saved
        << QStringList{"save", "send A4*&", "redraw", "save", "send B5*&", "redraw"}
        << StartWith({{26, "4"}, {27, "5"}}) << "A"
        << "AB" << TriggerSource::Off;
    // The positions hide both ground markers; each command goes before its save.
    QTest::newRow("32: positions")
        << "32" << Saved << QStringList{"send Q100#&", "save", "send R150#&", "save"}
        << StartWith({{18, "100"}, {19, "150"}}) << "A"
        << "" << TriggerSource::Off;
    QTest::newRow("63: everything") << "63" << Saved << Everything << Saved << "AB"
                                    << "" << TriggerSource::ChannelA;
    QTest::newRow("127: bit 64 ignored") << "127" << Saved << Everything << Saved << "AB"
                                         << "" << TriggerSource::ChannelA;
    QTest::newRow("64 alone") << "64" << Saved << QStringList{} << StartLines << "A"
                              << "AB" << TriggerSource::Off;
    QTest::newRow("-1: negative") << "-1" << Saved << QStringList{} << StartLines << "A"
                                  << "AB" << TriggerSource::Off;
    // Values outside their tables are skipped, positions are brought into 0..255, a
    // trace line holding neither word does nothing.
    QTest::newRow("63, values out of range")
        << "63" << QStringList{"300", "-5", "19", "0", "OUI", "VOIE_B_ON", "4", "0", "10", "0"}
        << QStringList{"save", "send Q255#&", "save", "send R0#&", "save"}
        << StartWith({{18, "255"}, {19, "0"}, {23, "VOIE_B_ON"}}) << "AB"
        << "" << TriggerSource::Off;
    // A grounded channel shows the restored trigger as OFF; the box and line 21 keep it.
    QTest::newRow("10: GND after the trigger")
        << "10" << SavedWith({{33, "2"}, {36, "2"}, {37, "1"}})
        << QStringList{"save",   "send U&", "redraw",  "save",  "send H&",
                       "redraw", "save",    "send J&", "redraw"}
        << StartWith({{21, "2"}, {24, "2"}, {25, "1"}}) << "A"
        << "AB" << TriggerSource::Off;
}

void RestoreTest::restore() {
    QFETCH(QString, mask);
    QFETCH(QStringList, saved);
    QFETCH(QStringList, events);
    QFETCH(QStringList, inForce);
    QFETCH(QString, traces);
    QFETCH(QString, groundMarkers);
    QFETCH(TriggerSource, trigger);

    QCOMPARE(Activate(mask, saved), events);
    QCOMPARE(FileLines(18, 27), inForce);
    const InstrumentSettings& state = probe->session.State();
    QCOMPARE(state.channelA.verticalPosition, inForce[0].toInt());
    QCOMPARE(state.channelB.verticalPosition, inForce[1].toInt());
    QCOMPARE(state.timeBaseIndex, inForce[2].toInt());
    QCOMPARE(static_cast<int>(state.channelA.coupling), inForce[6].toInt());
    QCOMPARE(static_cast<int>(state.channelB.coupling), inForce[7].toInt());
    QCOMPARE(state.channelA.voltsPerDivIndex, inForce[8].toInt());
    QCOMPARE(state.channelB.voltsPerDivIndex, inForce[9].toInt());
    QCOMPARE(state.triggerSource, trigger);
    for (Channel c : {Channel::A, Channel::B}) {
        const bool on = traces.contains(Letter(c));
        QCOMPARE(state.Of(c).traceOn, on);
        QCOMPARE(probe->session.ChannelControlsEnabled(c), on);
        QCOMPARE(state.Of(c).groundMarkerShown, groundMarkers.contains(Letter(c)));
    }
    // The saved lines themselves are read, never written.
    QCOMPARE(FileLines(30, 39), saved);
}

void RestoreTest::failingGroupIsReportedAndTheNextGroupsAreRestored() {
    // Every save fails: the folder of line 45 does not exist.
    probe->Start();
    QList<QPair<int, QString>> lines{{28, "63"}, {45, "/nonexistent-oscilloscope-folder/"}};
    for (int k = 30; k <= 39; ++k)
        lines << qMakePair(k, Saved[k - 30]);
    LoadSettingsLines(*probe, lines, false);
    ErrorCatcher errors;
    probe->events.clear();

    probe->session.ActivateLink();
    // Each group's handler stops at its save, the time base's before its command; the
    // positions send theirs first. Every failure is reported and the next group still runs.
    QCOMPARE(probe->Commands(), (QStringList{"Z1", "?&", "Q100#&", "R150#&"}));
    QCOMPARE(errors.texts.size(), 10);
    for (const QString& text : errors.texts)
        QVERIFY2(text.startsWith(QStringLiteral("Impossible d'enregistrer le fichier")),
                 qPrintable(text));
    QVERIFY(probe->session.LinkActive());
    QVERIFY(probe->session.State().channelB.traceOn);
}

void RestoreTest::settingsInMemory_data() {
    QTest::addColumn<bool>("restore");
    QTest::addColumn<QStringList>("commands"); // after "Z1" and "?&"
    // The restore skipped: the activated preset alone, whatever the mask says.
    QTest::newRow("restore skipped") << false << QStringList{};
    // Applied, it replays the groups of the lines in memory, and saves nothing.
    QTest::newRow("restore applied")
        << true << QStringList{"T03&", "U&", "I&", "J&", "A4*&", "B5*&", "Q100#&", "R150#&"};
}

void RestoreTest::settingsInMemory() {
    QFETCH(bool, restore);
    QFETCH(QStringList, commands);
    // A settings file that would restore every group; the session takes its lines once and
    // keeps them in memory from then on.
    QList<QPair<int, QString>> lines{{28, "63"}};
    for (int k = 30; k <= 39; ++k)
        lines << qMakePair(k, Saved[k - 30]);
    LoadSettingsLines(*probe, lines);
    Instrument& session = probe->session;
    const PersistedSettings inMemory = session.Settings();
    session.KeepSettingsInMemory(inMemory);
    QVERIFY(session.SettingsInMemory());
    const QString path = probe->dir.filePath(QStringLiteral("parametres.inf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    probe->Start(); // resets the instrument lines: in memory only
    session.ActivateLink(restore ? StartupRestore::Apply : StartupRestore::Skip);
    session.SelectTimeBase(5);
    session.SwitchTrace(Channel::B, true);
    QCOMPARE(probe->Commands(), (QStringList{"Z1", "?&"} + commands + QStringList{"T12&"}));
    QVERIFY(!probe->events.contains(QStringLiteral("save")));
    QCOMPARE(session.Settings().Line(SettingsLine::TimeBase), QStringLiteral("5"));
    QCOMPARE(session.Settings().Line(SettingsLine::TraceB), QStringLiteral("VOIE_B_ON"));
    if (!restore) {
        // The activated preset: 1 V/div, GND, channel A alone, trigger off.
        QCOMPARE(session.State().channelA.voltsPerDivIndex, 3);
        QCOMPARE(session.State().channelA.coupling, Coupling::GND);
        QCOMPARE(session.State().channelA.verticalPosition, 128);
        QCOMPARE(session.State().triggerSource, TriggerSource::Off);
    }

    // The file was neither written nor replaced, and is not read again.
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    file.close();
    QCOMPARE(QDir(probe->dir.path()).entryList(QDir::Files),
             QStringList(QStringLiteral("parametres.inf")));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(50 * 2, '\n'));
    file.close();
    session.LoadSettings();
    QCOMPARE(session.Settings().Line(SettingsLine::TimeBase), QStringLiteral("5"));
    QCOMPARE(session.Settings().Line(SettingsLine::RestoreMask), QStringLiteral("63"));
}

QTEST_MAIN(RestoreTest)
#include "tst_restore.moc"
