#include "AppSupport.h"
#include "RecordingLink.h"
#include "TestTimings.h"
#include "app/MainWindow.h"
#include "output/OutputCommands.h"
#include "panel/SpectrumButtons.h"
#include "screen/ScreenController.h"
#include "spectrum/SpectrumView.h"

#include <QLineSeries>
#include <QRadioButton>
#include <QSet>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <cmath>
#include <memory>

// "Exporter les échantillons..." from the main window, paused: the file says what the
// screen or the chart shows, in the scale and at the frequencies of the computation shown.
class SampleExportTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void spectrumKeepsTheScaleOfItsComputation();
    void spectrumFrequenciesOfTheTimeBase_data();
    void spectrumFrequenciesOfTheTimeBase();
    void sweepAsTheTracesShowIt();

private:
    void Start(const QList<QPair<int, QByteArray>>& lines = {});
    void Activate() { SurfacesOf(window.get()).MenuAction(Command::Activate)->trigger(); }
    void Pause() {
        ButtonIn(RegionOf(window.get(), Region::Acquisition), QStringLiteral("Pause"))->click();
    }
    void SwitchSpectrumOn() {
        QTest::mouseClick(Part<SpectrumButtons>(window.get(), "spectrumButtons")->SwitchButton(),
                          Qt::LeftButton);
    }
    // Runs the menu command and gives back the lines of the file written, without their
    // CR LF.
    QList<QByteArray> Export();

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MessageCapture> messages;
    std::unique_ptr<TimingsGuard> timings;
    std::unique_ptr<MainWindow> window;
    RecordingLink* link = nullptr;
    QTemporaryDir files;
    int exports = 0;
    QString exportPath; // the file the save dialog is answered with
};

namespace {

// A sine of period 32 points and peak 64 on channel A (bin 8 of the transform), flat on B.
QByteArray SineSweep() {
    QByteArray bytes;
    for (int point = 1; point <= 300; ++point) {
        const int a = 128 + int(std::lround(64 * std::sin(2 * M_PI * point / 32)));
        bytes +=
            "A" + QByteArray::number(a).rightJustified(3, '0') + (point == 1 ? "#" : "%") + "128B";
    }
    return bytes;
}

} // namespace

void SampleExportTest::init() {
    folder = std::make_unique<ProgramFolder>();
    messages = std::make_unique<MessageCapture>();
    Timings quick = TimingsGuard::Quick();
    quick.splashTickMs = 1;
    timings = std::make_unique<TimingsGuard>(quick);
    link = nullptr;
}

void SampleExportTest::cleanup() {
    window.reset();
    const QStringList texts = messages->texts;
    timings.reset();
    messages.reset();
    folder.reset();
    QVERIFY2(texts.isEmpty(), qPrintable(texts.join(u'\n')));
}

void SampleExportTest::Start(const QList<QPair<int, QByteArray>>& lines) {
    QList<QPair<int, QByteArray>> file{{1, "SIMULATEUR"}, {16, "1"}};
    file << lines;
    folder->WriteSettings(file);
    StartupEnvironment env;
    env.programFolder = folder->Path();
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    env.outputPrompts.chooseFile = [this](const SaveRequest&) {
        return std::optional<QString>(exportPath);
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

QList<QByteArray> SampleExportTest::Export() {
    exportPath = files.filePath(QStringLiteral("export%1.csv").arg(++exports));
    SurfacesOf(window.get()).MenuAction(Command::ExportSamples)->trigger();
    QFile file(exportPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

// "Linéaire" and "Logarithmique" change the scale of the next computation only: a file
// exported before it has the values shown, under the name of their scale.
void SampleExportTest::spectrumKeepsTheScaleOfItsComputation() {
    Start();
    Activate();
    SessionOf(window.get()).SelectVoltsPerDiv(Channel::A, 6); // 100 mV: decibel divisor 160
    link->Receive(SineSweep());
    SwitchSpectrumOn();
    Pause();
    SpectrumView* view = Part<SpectrumView>(window.get(), "spectrumView");
    QCOMPARE(view->Series(Channel::A)->at(7).y(), 32.0); // linear: half the peak at bin 8

    view->LogarithmicButton()->click();
    QList<QByteArray> lines = Export();
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines[0], QByteArray("Fréquence (Hz),Voie A (linéaire)"));
    // 0.1 ms/div: 300 kHz, bin 8 at 8 x 300000 / 256 = 9375 Hz.
    QCOMPARE(lines[8], QByteArray("9375,32"));

    ScreenOf(window.get()).RedrawScreen(); // computed in decibels now
    view->LinearButton()->click();
    lines = Export();
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines[0], QByteArray("Fréquence (Hz),Voie A (dB)"));
    QCOMPARE(lines[8], QByteArray("9375,-14")); // 20 log10(32 / 160) = -13.98
}

// The sampling frequency is 30 points per division of the time base: k x fs / 256 for
// each bin, exactly, every row its own frequency.
void SampleExportTest::spectrumFrequenciesOfTheTimeBase_data() {
    QTest::addColumn<int>("timeBase");
    QTest::addColumn<QList<QByteArray>>("bins1_4_5_25");
    QTest::newRow("500 ms/div, 60 Hz")
        << 1 << QList<QByteArray>{"0.234375", "0.9375", "1.171875", "5.859375"};
    QTest::newRow("1 ms/div, 30 kHz")
        << 9 << QList<QByteArray>{"117.1875", "468.75", "585.9375", "2929.6875"};
    QTest::newRow("1 us/div, 30 MHz")
        << 18 << QList<QByteArray>{"117187.5", "468750", "585937.5", "2929687.5"};
}

void SampleExportTest::spectrumFrequenciesOfTheTimeBase() {
    QFETCH(int, timeBase);
    QFETCH(QList<QByteArray>, bins1_4_5_25);
    Start();
    Activate();
    SessionOf(window.get()).SelectTimeBase(timeBase);
    link->Receive(SineSweep());
    SwitchSpectrumOn();
    Pause();
    const QList<QByteArray> lines = Export();
    QCOMPARE(lines.size(), 27); // header, 25 bins, nothing after the last CR LF
    const QList<int> bins{1, 4, 5, 25};
    for (int i = 0; i < bins.size(); ++i)
        QCOMPARE(lines[bins[i]].split(',').value(0), bins1_4_5_25[i]);
    QSet<QByteArray> frequencies;
    for (int bin = 1; bin <= 25; ++bin)
        frequencies.insert(lines[bin].split(',').value(0));
    QCOMPARE(frequencies.size(), 25);
}

// With "Visualiser l'effet de la fenêtre..." on, the traces are drawn from the weighted
// codes, and so is the file, which says so; with it off, the codes as received.
void SampleExportTest::sweepAsTheTracesShowIt() {
    Start();
    Activate();
    Instrument& session = SessionOf(window.get());
    session.SelectWeightingWindow(2); // Hanning
    session.SetShowWindowEffect(true);
    link->Receive(FlatSweep(200, 128));
    Pause();
    QList<QByteArray> lines = Export();
    QCOMPARE(lines.size(), 302);
    QCOMPARE(lines[0], QByteArray("Point,Temps (s),Voie A pondérée par la fenêtre de Hanning (V "
                                  "par rapport à la ligne centrale),Code A pondéré par la "
                                  "fenêtre de Hanning"));
    // Hanning's weight at the last point is 0: the point is at the centre line, whatever the
    // channel's mid-level.
    QCOMPARE(lines[300].split(',').mid(2), (QList<QByteArray>{"0", "128"}));

    // The channel is in GND, as the activation leaves it: the sweep measured its ground
    // level, from which the codes as received are read.
    session.SetShowWindowEffect(false);
    lines = Export();
    QCOMPARE(lines.size(), 302);
    QCOMPARE(lines[0], QByteArray("Point,Temps (s),Voie A (V par rapport à la masse),Code A"));
    QCOMPARE(lines[300].split(',').mid(2), (QList<QByteArray>{"0", "200"}));
}

QTEST_MAIN(SampleExportTest)
#include "tst_sampleexport.moc"
