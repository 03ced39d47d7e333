#include "AppSupport.h"
#include "RecordingLink.h"
#include "TestTimings.h"
#include "app/MainWindow.h"
#include "dialogs/HelpViewer.h"
#include "dialogs/WeightingWindowDialog.h"
#include "panel/SpectrumButtons.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"
#include "spectrum/SpectrumView.h"

#include <QChart>
#include <QCheckBox>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QToolButton>
#include <QValueAxis>
#include <QtTest>
#include <memory>

// The spectrum analyser in the main window: the switch and its presets, the title, the
// chart over the screen, the window-choice button and its dialog, the spectrum computed
// at each redraw, and the switch before the first sweep.
class SpectrumWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startAndPresets();
    void switchOnAndOff();
    void switchedOnBeforeTheFirstSweep();
    void eachSweepRecomputes();
    void activationSetsTheGradient();
    void windowChoiceReachesAPausedSpectrum();
    void windowEffectOnTheScreen();
    void helpTopics();

private:
    void Start(const QList<QPair<int, QByteArray>>& lines = {});
    void Activate() { SurfacesOf(window.get()).MenuAction(Command::Activate)->trigger(); }
    SpectrumButtons* Buttons() const {
        return Part<SpectrumButtons>(window.get(), "spectrumButtons");
    }
    QToolButton* Switch() const { return Buttons()->SwitchButton(); }
    QToolButton* WindowChoice() const { return Buttons()->WindowButton(); }
    SpectrumView* View() const { return Part<SpectrumView>(window.get(), "spectrumView"); }
    WeightingWindowDialog* Weighting() const {
        return Part<WeightingWindowDialog>(window.get(), "weightingDialog");
    }
    HelpViewer* Help() const { return Part<HelpViewer>(window.get(), "helpViewer"); }

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MessageCapture> messages;
    std::unique_ptr<TimingsGuard> timings;
    std::unique_ptr<MainWindow> window;
    RecordingLink* link = nullptr;
};

// A sine of period 32 on A (peak 64), flat on B: one completed sweep.
QByteArray SineSweep() {
    QByteArray bytes;
    for (int point = 1; point <= 300; ++point) {
        const int a = 128 + int(std::lround(64 * std::sin(2 * M_PI * point / 32)));
        bytes +=
            "A" + QByteArray::number(a).rightJustified(3, '0') + (point == 1 ? "#" : "%") + "128B";
    }
    return bytes;
}

void SpectrumWindowTest::init() {
    folder = std::make_unique<ProgramFolder>();
    messages = std::make_unique<MessageCapture>();
    Timings quick = TimingsGuard::Quick();
    quick.splashTickMs = 1;
    timings = std::make_unique<TimingsGuard>(quick);
    link = nullptr;
}

void SpectrumWindowTest::cleanup() {
    window.reset();
    const QStringList texts = messages->texts;
    timings.reset();
    messages.reset();
    folder.reset();
    QVERIFY2(texts.isEmpty(), qPrintable(texts.join(u'\n')));
}

void SpectrumWindowTest::Start(const QList<QPair<int, QByteArray>>& lines) {
    QList<QPair<int, QByteArray>> file{{1, "SIMULATEUR"}, {16, "1"}};
    file << lines;
    folder->WriteSettings(file);
    StartupEnvironment env;
    env.programFolder = folder->Path();
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    env.linkFactory = [this](const QString&) {
        auto made = std::make_unique<RecordingLink>();
        link = made.get();
        return made;
    };
    window = std::make_unique<MainWindow>(env);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void SpectrumWindowTest::startAndPresets() {
    Start();
    // The switch and the window-choice button share the lower part of the centre column.
    QWidget* column = RegionOf(window.get(), Region::CentreColumn);
    QCOMPARE(Buttons()->parentWidget(), column);
    QCOMPARE(Buttons()->geometry(), QRect(0, 140, 47, 130));
    QCOMPARE(Switch()->toolTip(), QStringLiteral("ON / OFF Analyseur de spectre"));
    QCOMPARE(WindowChoice()->toolTip(), QStringLiteral("Choix du type de fenêtres de pondération"));
    // Inactive preset: the switch hidden and off; the window choice hidden.
    QVERIFY(Switch()->isHidden());
    QVERIFY(!Switch()->isEnabled());
    QVERIFY(!Switch()->isChecked());
    QCOMPARE(Buttons()->GlyphPath(), folder->Path() + "FFT_OFF.bmp");
    QVERIFY(WindowChoice()->isHidden());
    QVERIFY(RegionOf(window.get(), Region::SpectrumPanel)->isHidden());
    QVERIFY(!SessionOf(window.get()).Spectrum().on);
    QCOMPARE(Weighting()->isVisible(), false);
    // Activated preset: the switch shown and on; still no window choice.
    Activate();
    QVERIFY(Switch()->isVisible());
    QVERIFY(Switch()->isEnabled());
    QVERIFY(WindowChoice()->isHidden());
}

void SpectrumWindowTest::switchOnAndOff() {
    Start({{17, "8454143"}});
    Activate();
    link->Receive(SineSweep());
    QSignalSpy redraws(&ScreenOf(window.get()), &ScreenController::redrawn);

    QTest::mouseClick(Switch(), Qt::LeftButton);
    QVERIFY(Switch()->isChecked());
    QCOMPARE(window->windowTitle(), QStringLiteral("Analyseur de spectre v1.7"));
    QCOMPARE(Buttons()->GlyphPath(), folder->Path() + "FFT_ON.bmp");
    QVERIFY(SessionOf(window.get()).Spectrum().on);
    QWidget* panel = RegionOf(window.get(), Region::SpectrumPanel);
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->geometry(), QRect(8, 32, 662, 341));
    QCOMPARE(View()->parentWidget(), panel);
    QVERIFY(WindowChoice()->isVisible());
    QCOMPARE(View()->GradientStart(), 8454143);
    // Computed at once, without a redraw of the screen.
    QCOMPARE(View()->Series(Channel::A)->count(), 25);
    QCOMPARE(View()->Series(Channel::A)->at(7).y(), 32.0);
    QCOMPARE(View()->Series(Channel::B)->count(), 0); // channel B's trace is off
    QCOMPARE(redraws.size(), 0);

    QTest::mouseClick(Switch(), Qt::LeftButton);
    QVERIFY(!Switch()->isChecked());
    QCOMPARE(window->windowTitle(), QStringLiteral("Oscilloscope Numérique à mémoire v1.7"));
    QCOMPARE(Buttons()->GlyphPath(), folder->Path() + "FFT_OFF.bmp");
    QVERIFY(!SessionOf(window.get()).Spectrum().on);
    QVERIFY(!panel->isVisible());
    QVERIFY(!WindowChoice()->isVisible());
    QCOMPARE(redraws.size(), 1);
    // The screen is drawn again: the trace of channel A is on it.
    auto* screen = RegionOf(window.get(), Region::ScreenPanel)->findChild<ScreenView*>();
    int red = 0;
    for (int x = 21; x < 620; ++x)
        for (int y = 33; y < 288; ++y)
            red += screen->Image().pixelColor(x, y) == QColor(255, 0, 0);
    QVERIFY(red > 300);
}

// Before any sweep has completed, the weighted codes do not exist yet: the view opens on
// empty series with its title, every later redraw too, and no box appears.
void SpectrumWindowTest::switchedOnBeforeTheFirstSweep() {
    Start();
    Activate();
    QTest::mouseClick(Switch(), Qt::LeftButton);
    QCOMPARE(View()->chart()->title(), QStringLiteral("Spectre d'amplitude linéaire"));
    QCOMPARE(View()->Series(Channel::A)->count(), 0);
    View()->LogarithmicButton()->click();
    for (int i = 0; i < 3; ++i)
        ScreenOf(window.get()).RedrawScreen();
    // Half a sweep changes nothing.
    link->Receive(SineSweep().left(9 * 150));
    ScreenOf(window.get()).RedrawScreen();
    QCOMPARE(View()->Series(Channel::A)->count(), 0);
    QCOMPARE(View()->chart()->title(), QStringLiteral("Spectre d'amplitude logarithmique"));
    QVERIFY(messages->texts.isEmpty());
    // The rest of the sweep shows.
    link->Receive(SineSweep().mid(9 * 150));
    QCOMPARE(View()->Series(Channel::A)->count(), 25);
}

// In the spectrum view every redraw (here each completed sweep) recomputes the spectrum
// with the bin count and scale chosen since.
void SpectrumWindowTest::eachSweepRecomputes() {
    Start();
    Activate();
    QTest::mouseClick(Switch(), Qt::LeftButton);
    View()->ZoomButton(2)->click(); // 30 lines
    QCOMPARE(View()->Series(Channel::A)->count(), 0);
    link->Receive(SineSweep());
    QCOMPARE(View()->Series(Channel::A)->count(), 30);
    QCOMPARE(View()->FrequencyLabels().last(), QStringLiteral("35156Hz")); // 0.1 ms/div
}

void SpectrumWindowTest::activationSetsTheGradient() {
    Start();
    Activate();
    QTest::mouseClick(Switch(), Qt::LeftButton);
    Instrument& session = SessionOf(window.get());
    const_cast<PersistedSettings&>(session.Settings())
        .SetNumber(SettingsLine::SpectrumBackground, 255);
    QCOMPARE(View()->GradientStart() == 255, false);
    window->MainWindowActivated();
    QCOMPARE(View()->GradientStart(), 255);
}

// The window chosen while paused reaches the frozen spectrum when the main window is back.
void SpectrumWindowTest::windowChoiceReachesAPausedSpectrum() {
    Start();
    Activate();
    link->Receive(SineSweep());
    QTest::mouseClick(Switch(), Qt::LeftButton);
    const double rectangular = View()->Series(Channel::A)->at(7).y();
    QCOMPARE(rectangular, 32.0);
    ButtonIn(RegionOf(window.get(), Region::Acquisition), QStringLiteral("Pause"))->click();
    // A next sweep begins before the box stops.
    link->Receive(QByteArray("A000#000B").repeated(1) + QByteArray("A000%000B").repeated(40));

    QTest::mouseClick(WindowChoice(), Qt::LeftButton);
    WeightingWindowDialog* dialog = Weighting();
    QVERIFY(dialog->isVisible());
    dialog->WindowButton(2)->click();                             // Hanning
    QCOMPARE(View()->Series(Channel::A)->at(7).y(), rectangular); // nothing recomputed yet
    dialog->OkButton()->click();
    window->MainWindowActivated();
    // The frozen sweep weighted with Hanning: less at bin 8 (the window's mean over the
    // 256 points transformed is about 0.57), and exactly the spectrum of that weighting.
    const double hanning = View()->Series(Channel::A)->at(7).y();
    QVERIFY2(hanning >= 17 && hanning <= 19, qPrintable(QString::number(hanning)));
    Instrument& session = SessionOf(window.get());
    // Weighted about 128 (the reset extremes), which is also this sine's own mid-level.
    SampleTable expected;
    CompletedSweep centred = *session.LastSweep();
    centred.extremes = SweepExtremes{};
    ApplyWeightingWindow(expected, session.State(), centred, WeightingWindow::Hanning);
    const SpectrumChartData chart =
        ComputeSpectrum({expected, session.State(), session.Settings(), 25, {}});
    for (int k = 0; k < 25; ++k)
        QCOMPARE(View()->Series(Channel::A)->at(k).y(), double(chart.series[0].values[k]));
    // The same values worked out apart from the program, in a long double computation of the
    // weighting and the transform made for this test: bin 8 is 18.38 (by hand, 32 x the
    // window's mean over the 256 points, 0.5 + 0.5 x 37.9 / 256 = 0.574, gives 18.4), bins 7
    // and 9 take 7.40 and 7.29 of the window's spread, bins 6 and 10 0.79 and 0.76, and no
    // other bin reaches 0.5.
    const int byHand[25] = {0, 0, 0, 0, 0, 1, 7, 18, 7, 1, 0, 0, 0,
                            0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0};
    for (int k = 0; k < 25; ++k)
        QCOMPARE(View()->Series(Channel::A)->at(k).y(), double(byHand[k]));
    QCOMPARE(SessionOf(window.get()).Samples().At(20).displayA,
             128 + int(std::lround(64 * std::sin(2 * M_PI * 20 / 32))));
}

// "Visualiser l'effet de la fenêtre...": the traces are drawn from the weighted codes.
void SpectrumWindowTest::windowEffectOnTheScreen() {
    Start({{10, "255"}}); // channel A in red
    Activate();
    auto* screen = RegionOf(window.get(), Region::ScreenPanel)->findChild<ScreenView*>();
    const QColor red(255, 0, 0);
    link->Receive(FlatSweep(200, 128)); // y = 288 - 200
    QCOMPARE(screen->Image().pixelColor(320, 88), red);

    // Hanning pulls the flat sweep to its mid-level, 200, and moves that level to 128.
    QTest::mouseClick(Switch(), Qt::LeftButton);
    QTest::mouseClick(WindowChoice(), Qt::LeftButton);
    WeightingWindowDialog* dialog = Weighting();
    dialog->WindowButton(2)->click();
    dialog->EffectBox()->click();
    dialog->OkButton()->click();
    QTest::mouseClick(Switch(), Qt::LeftButton); // back to the screen
    link->Receive(FlatSweep(200, 128));
    int near128 = 0;
    for (int y = 158; y <= 162; ++y)
        near128 += screen->Image().pixelColor(320, y) == red;
    QVERIFY(near128 > 0);
    QVERIFY(screen->Image().pixelColor(320, 88) != red);

    dialog->ShowOnTop();
    dialog->EffectBox()->click(); // off again: the codes as received
    dialog->OkButton()->click();
    link->Receive(FlatSweep(200, 128));
    QCOMPARE(screen->Image().pixelColor(320, 88), red);
}

// The dialog's "&Aide" opens the weighting topic; the contents lead to the spectrum view's.
void SpectrumWindowTest::helpTopics() {
    QVERIFY(QFile::copy(qEnvironmentVariable("OSC_TEST_DATA") + QStringLiteral("/aide.hlp"),
                        folder->Path() + QStringLiteral("aide.hlp")));
    Start();
    Weighting()->HelpButton()->click();
    QCOMPARE(Help()->CurrentTopic(), QStringLiteral("rub58"));
    const QString text = Help()->Browser()->toPlainText();
    for (const char* words : {"Fenêtres de pondération", "Fenêtre de Hanning",
                              "Visualiser l'effet de la fenêtre sur le graticule"})
        QVERIFY2(text.contains(QString::fromUtf8(words)), words);
    window->ShowHelpTopic(QStringLiteral("spectre"));
    QCOMPARE(Help()->CurrentTopic(), QStringLiteral("spectre"));
    QVERIFY(text.contains(QStringLiteral("L'analyseur de spectre")));
    QVERIFY(text.contains(QStringLiteral("Contraction du spectre")));
    QVERIFY(!Help()->Browser()->toPlainText().contains(QStringLiteral("n'existe pas")));
    Help()->hide();
}

QTEST_MAIN(SpectrumWindowTest)
#include "tst_spectrum.moc"
