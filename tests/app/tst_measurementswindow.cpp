#include "AppSupport.h"
#include "RecordingLink.h"
#include "TestTimings.h"
#include "analysis/MeasurementLog.h"
#include "dialogs/MeasurementsWindow.h"
#include "measure/MeasurementController.h"
#include "screen/ScreenController.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <memory>

// The automatic measurements and single shot from the main window: the window's table
// and its statistics, the log started and stopped from it, and "Monocoup" from the menu
// and the tool bar, with what it holds on the screen, in the readings and in the export.
class MeasurementsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void tableOfTheSweepShown();
    void logFromTheWindow();
    void logThatFailsIsSaid();
    void singleShotHoldsTheCaughtSweep();
    void singleShotDisarmedBySecondPress();
    void helpTopicsInTheContents_data();
    void helpTopicsInTheContents();

private:
    void Start();
    void Activate() { Surfaces().MenuAction(Command::Activate)->trigger(); }
    CommandSurfaces& Surfaces() { return SurfacesOf(window.get()); }
    Instrument& Session() { return SessionOf(window.get()); }
    MeasurementsWindow* Window() { return Part<MeasurementsWindow>(window.get(), "measurements"); }
    QString Cell(Channel channel, ReadingKind kind, int column) {
        QTableWidgetItem* item = Window()->Table(channel)->item(int(kind), column);
        return item ? item->text() : QString();
    }
    QString ThirdPanel() { return Part<QLabel>(window.get(), "statusPanel2")->text(); }
    QList<QByteArray> Export();

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MessageCapture> messages;
    std::unique_ptr<TimingsGuard> timings;
    std::unique_ptr<MainWindow> window;
    RecordingLink* link = nullptr;
    QTemporaryDir files;
    QString answer; // the save dialog's answer
    int exports = 0;
};

namespace {

// A sine on channel A: period 32 points, 64 codes peak about 128; channel B at `codeB`.
QByteArray SineSweep(int codeB = 128, double phase = 0) {
    QByteArray bytes;
    for (int point = 1; point <= 300; ++point) {
        const int a = 128 + int(std::lround(64 * std::sin(2 * M_PI * (point + phase) / 32)));
        bytes += "A" + QByteArray::number(a).rightJustified(3, '0') + (point == 1 ? "#" : "%") +
                 QByteArray::number(codeB).rightJustified(3, '0') + "B";
    }
    return bytes;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

void MeasurementsWindowTest::init() {
    folder = std::make_unique<ProgramFolder>();
    messages = std::make_unique<MessageCapture>();
    Timings quick = TimingsGuard::Quick();
    quick.splashTickMs = 1;
    timings = std::make_unique<TimingsGuard>(quick);
    link = nullptr;
}

void MeasurementsWindowTest::cleanup() {
    window.reset();
    timings.reset();
    messages.reset();
    folder.reset();
}

void MeasurementsWindowTest::Start() {
    folder->WriteSettings({{1, "SIMULATEUR"}, {16, "1"}});
    StartupEnvironment env;
    env.programFolder = folder->Path();
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    env.outputPrompts.chooseFile = [this](const SaveRequest&) {
        return std::optional<QString>(answer);
    };
    env.linkFactory = [this](const QString&) {
        auto made = std::make_unique<RecordingLink>();
        link = made.get();
        return made;
    };
    window = std::make_unique<MainWindow>(env);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

QList<QByteArray> MeasurementsWindowTest::Export() {
    answer = files.filePath(QStringLiteral("export%1.csv").arg(++exports));
    Surfaces().MenuAction(Command::ExportSamples)->trigger();
    return ReadAll(answer).split('\n');
}

// 0.1 ms/div: a point every 1/300000 s, so a period of 32 points is 106.67 µs, 9.375 kHz;
// 128 codes from top to bottom at 1 V/div are 4 V.
void MeasurementsWindowTest::tableOfTheSweepShown() {
    Start();
    Activate();
    Session().SelectCoupling(Channel::A, int(Coupling::DC));
    Surfaces().ToolAction(Command::Measurements)->trigger();
    QVERIFY(Window()->isVisible());
    QCOMPARE(Window()->ChannelState(Channel::A)->text(),
             QStringLiteral("En attente d'un balayage."));

    link->Receive(SineSweep());
    QCOMPARE(Cell(Channel::A, ReadingKind::Frequency, MeasurementsWindow::Current),
             QStringLiteral("9,375 kHz"));
    QCOMPARE(Cell(Channel::A, ReadingKind::Period, MeasurementsWindow::Current),
             QStringLiteral("106,7 µs"));
    QCOMPARE(Cell(Channel::A, ReadingKind::PeakToPeak, MeasurementsWindow::Current),
             QStringLiteral("4,000 V"));
    QCOMPARE(Cell(Channel::A, ReadingKind::Frequency, MeasurementsWindow::Count),
             QStringLiteral("1"));
    QCOMPARE(Cell(Channel::A, ReadingKind::Frequency, MeasurementsWindow::Deviation),
             QStringLiteral("—")); // one value has no spread
    QVERIFY(
        Window()->ChannelState(Channel::A)->text().contains(QStringLiteral("centre de l'écran")));
    QCOMPARE(Window()->ChannelState(Channel::B)->text(), QStringLiteral("Voie éteinte."));
    QCOMPARE(Window()->SweepLabel()->text(), QStringLiteral("Balayage n° 1"));

    link->Receive(SineSweep(128, 8)); // the same sine a quarter period later
    QCOMPARE(Cell(Channel::A, ReadingKind::Frequency, MeasurementsWindow::Count),
             QStringLiteral("2"));
    QCOMPARE(Cell(Channel::A, ReadingKind::PeakToPeak, MeasurementsWindow::Lowest),
             QStringLiteral("4,000 V"));

    QTest::mouseClick(Window()->ResetButton(), Qt::LeftButton);
    QCOMPARE(Cell(Channel::A, ReadingKind::Frequency, MeasurementsWindow::Count),
             QStringLiteral("0"));
    QCOMPARE(Cell(Channel::A, ReadingKind::Frequency, MeasurementsWindow::Lowest),
             QStringLiteral("—"));
    QCOMPARE(Cell(Channel::A, ReadingKind::Frequency, MeasurementsWindow::Current),
             QStringLiteral("9,375 kHz")); // the sweep shown is still measured

    // Paused, the sweeps the box sends again are shown but not counted.
    ButtonIn(RegionOf(window.get(), Region::Acquisition), QStringLiteral("Pause"))->click();
    link->Receive(SineSweep());
    QCOMPARE(Cell(Channel::A, ReadingKind::Frequency, MeasurementsWindow::Count),
             QStringLiteral("0"));
    QVERIFY(Window()->SweepLabel()->text().contains(QStringLiteral("hors statistiques")));
    QVERIFY2(messages->texts.isEmpty(), qPrintable(messages->texts.join(u'\n')));
}

void MeasurementsWindowTest::logFromTheWindow() {
    Start();
    Activate();
    Surfaces().MenuAction(Command::Measurements)->trigger();
    QVERIFY(!Window()->StopLogButton()->isEnabled());
    answer = files.filePath(QStringLiteral("journal.csv"));
    QTest::mouseClick(Window()->StartLogButton(), Qt::LeftButton);
    QVERIFY(Window()->StopLogButton()->isEnabled());
    for (int i = 0; i < 3; ++i)
        link->Receive(SineSweep());
    QVERIFY(Window()->LogLabel()->text().contains(QStringLiteral("3 balayage(s)")));
    QTest::mouseClick(Window()->StopLogButton(), Qt::LeftButton);
    link->Receive(SineSweep());
    QCOMPARE(Window()->LogLabel()->text(), QStringLiteral("Aucun enregistrement en cours."));

    const QList<QByteArray> lines = ReadAll(answer).split('\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0] + '\n', MeasurementLog::HeaderLine());
    for (int i = 1; i <= 3; ++i) {
        const QList<QByteArray> fields = lines[i].split(',');
        QCOMPARE(fields[0], QByteArray::number(i));
        QCOMPARE(fields[2], QByteArray("1"));    // a_on
        QCOMPARE(fields[4], QByteArray("9375")); // a_frequency_hz
    }
    QVERIFY2(messages->texts.isEmpty(), qPrintable(messages->texts.join(u'\n')));
}

// The log's folder goes while it runs: a warning says so once, the log stops, and the
// lines written before are kept.
void MeasurementsWindowTest::logThatFailsIsSaid() {
    Start();
    Activate();
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("journal")));
    answer = dir.filePath(QStringLiteral("journal/mesures.csv"));
    Surfaces().MenuAction(Command::Measurements)->trigger();
    QTest::mouseClick(Window()->StartLogButton(), Qt::LeftButton);
    link->Receive(SineSweep());
    QVERIFY(QDir(dir.path()).rename(QStringLiteral("journal"), QStringLiteral("parti")));
    link->Receive(SineSweep());
    QTRY_COMPARE(messages->texts.size(), 1);
    QVERIFY2(messages->texts[0].startsWith(
                 QStringLiteral("Avertissement: L'enregistrement des mesures dans « ")),
             qPrintable(messages->texts[0]));
    QCOMPARE(Window()->LogLabel()->text(), QStringLiteral("Aucun enregistrement en cours."));
    QCOMPARE(ReadAll(dir.filePath(QStringLiteral("parti/mesures.csv"))).count('\n'), 2);
    messages->texts.clear();
}

// Armed from the menu, single shot catches the next sweep and pauses: "P&" is sent; the
// sweep the box sends while it is on its way, and the memory it sends again while paused,
// change neither the screen, nor the readings, nor the export. "Lecture" lets go.
void MeasurementsWindowTest::singleShotHoldsTheCaughtSweep() {
    Start();
    QVERIFY(!Surfaces().IsEnabled(Command::SingleShot));
    Activate();
    Session().SelectCoupling(Channel::A, int(Coupling::DC));
    QVERIFY(Surfaces().IsEnabled(Command::SingleShot));
    link->Receive(SineSweep(128, 4));

    Surfaces().MenuAction(Command::SingleShot)->trigger();
    QCOMPARE(ThirdPanel(), QStringLiteral("Monocoup armé"));
    QVERIFY(Surfaces().ToolAction(Command::SingleShot)->isChecked());
    auto previous = link->onWrite;
    link->onWrite = [this, previous](const QByteArray& bytes) {
        if (previous)
            previous(bytes);
        if (bytes == "P&")
            link->Receive(SineSweep(60, 16)); // inverted, B lower
    };
    link->Receive(SineSweep(200));
    const QImage caughtScreen = ScreenOf(window.get()).Screen().Image().copy(0, 32, 640, 257);
    auto* measurements = Part<MeasurementController>(window.get(), "measurementController");
    const ChannelMeasurements caught = *measurements->Latest(Channel::A);

    QTRY_VERIFY(!Session().State().running);
    QVERIFY(link->writes.contains("P&"));
    QCOMPARE(ThirdPanel(), QStringLiteral("Monocoup figé"));
    QVERIFY(!Surfaces().IsEnabled(Command::SingleShot));
    QVERIFY(Surfaces().IsEnabled(Command::Save));
    link->Receive(SineSweep(30, 8)); // the memory again
    QTest::qWait(20);

    QCOMPARE(ScreenOf(window.get()).Screen().Image().copy(0, 32, 640, 257), caughtScreen);
    QVERIFY(*measurements->Latest(Channel::A) == caught);
    const QList<QByteArray> lines = Export();
    QCOMPARE(lines.size(), 302);
    for (int point = 1; point <= 300; ++point) {
        const int a = 128 + int(std::lround(64 * std::sin(2 * M_PI * point / 32)));
        QCOMPARE(lines[point].trimmed().split(',').last(), QByteArray::number(a));
    }

    ButtonIn(RegionOf(window.get(), Region::Acquisition), QStringLiteral("Lecture"))->click();
    QCOMPARE(ThirdPanel(), QString());
    QVERIFY(Surfaces().IsEnabled(Command::SingleShot));
    QVERIFY(!Surfaces().MenuAction(Command::SingleShot)->isChecked());
    link->Receive(SineSweep(128, 16));
    QVERIFY(!(*measurements->Latest(Channel::A) == caught));
    QVERIFY2(messages->texts.isEmpty(), qPrintable(messages->texts.join(u'\n')));
}

void MeasurementsWindowTest::singleShotDisarmedBySecondPress() {
    Start();
    Activate();
    Surfaces().ToolAction(Command::SingleShot)->trigger();
    QCOMPARE(ThirdPanel(), QStringLiteral("Monocoup armé"));
    Surfaces().ToolAction(Command::SingleShot)->trigger();
    QCOMPARE(ThirdPanel(), QString());
    QVERIFY(!Surfaces().ToolAction(Command::SingleShot)->isChecked());
    link->Receive(SineSweep());
    QTest::qWait(20);
    QVERIFY(Session().State().running);
    QVERIFY(!link->writes.contains("P&"));
}

void MeasurementsWindowTest::helpTopicsInTheContents_data() {
    QTest::addColumn<QString>("topic");
    QTest::newRow("window") << "mesures";
    QTest::newRow("log") << "journal";
    QTest::newRow("single shot") << "monocoup";
}

// Each topic is in the help file and reached from its contents.
void MeasurementsWindowTest::helpTopicsInTheContents() {
    QFETCH(QString, topic);
    const QString html = QString::fromUtf8(
        ReadAll(qEnvironmentVariable("OSC_TEST_DATA") + QStringLiteral("/aide.hlp")));
    const qsizetype contents = html.indexOf(QStringLiteral("<a name=\"som\">"));
    const qsizetype contentsEnd = html.indexOf(QStringLiteral("</ul>"), contents);
    QVERIFY(contents >= 0 && contentsEnd > contents);
    QVERIFY(html.mid(contents, contentsEnd - contents)
                .contains(QStringLiteral("href=\"#%1\"").arg(topic)));
    QCOMPARE(html.count(QStringLiteral("<a name=\"%1\">").arg(topic)), 1);
}

QTEST_MAIN(MeasurementsWindowTest)
#include "tst_measurementswindow.moc"
