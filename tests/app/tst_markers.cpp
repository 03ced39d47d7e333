#include "../screen/ScreenTestSupport.h"
#include "AppSupport.h"
#include "RecordingLink.h"
#include "TestTimings.h"
#include "app/MainWindow.h"
#include "dialogs/HelpViewer.h"
#include "measure/MarkerController.h"
#include "panel/MagnifierPanel.h"
#include "panel/MarkerButtons.h"
#include "screen/ScreenView.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>
#include <memory>

// The markers in the composed window: their buttons in the centre column and the presets,
// a drag on the screen image and the readouts it changes, and the pop-up menu that a
// right press on the image opens, which takes the mouse with it.
class MarkersWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void buttonsInTheCentreColumnFollowThePresets();
    void dragMovesTheNearerMarkerAndTheReadouts();
    void popupMenuLetsTheButtonGo();
    void hiddenScreenLetsTheButtonGo();
    void helpReachesTheMarkersFromTheContents();

private:
    // Starts the window on a recording link and activates it.
    void StartActive();
    ScreenView* View() const {
        return RegionOf(window.get(), Region::ScreenPanel)->findChild<ScreenView*>();
    }
    // A point of the screen image in the window's coordinates.
    QPoint InWindow(QPoint pixel) const { return View()->mapTo(window.get(), pixel); }
    MarkerController& Markers() const {
        return *Part<MarkerController>(window.get(), "markerController");
    }
    MarkerButtons& Buttons() const { return *Part<MarkerButtons>(window.get(), "markerButtons"); }

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MessageCapture> messages;
    std::unique_ptr<TimingsGuard> timings;
    std::unique_ptr<MainWindow> window;
};

void MarkersWindowTest::init() {
    folder = std::make_unique<ProgramFolder>();
    messages = std::make_unique<MessageCapture>();
    Timings quick = TimingsGuard::Quick();
    quick.splashTickMs = 1;
    timings = std::make_unique<TimingsGuard>(quick);
}

void MarkersWindowTest::cleanup() {
    window.reset();
    const QStringList errors = messages->Errors();
    timings.reset();
    messages.reset();
    folder.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
}

void MarkersWindowTest::StartActive() {
    folder->WriteSettings({{1, "SIMULATEUR"}, {16, "1"}});
    StartupEnvironment env;
    env.programFolder = folder->Path();
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    env.playSound = [](const QString&) {};
    env.linkFactory = [](const QString&) { return std::make_unique<RecordingLink>(); };
    window = std::make_unique<MainWindow>(env);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void MarkersWindowTest::buttonsInTheCentreColumnFollowThePresets() {
    StartActive();
    MarkerButtons& buttons = Buttons();
    QWidget* column = RegionOf(window.get(), Region::CentreColumn);
    QCOMPARE(buttons.parentWidget(), column);
    for (QToolButton* b : {buttons.MarkersButton(), buttons.SelectionButton(), buttons.RmsButton()})
        QVERIFY(QRect(0, 0, 47, 135).contains(b->geometry().translated(buttons.pos())));
    // Before activation: nothing to click.
    QVERIFY(!buttons.MarkersButton()->isVisible());
    QVERIFY(!buttons.MarkersButton()->isEnabled());
    QVERIFY(!buttons.SelectionButton()->isVisible());
    QVERIFY(!buttons.RmsButton()->isVisible());

    SurfacesOf(window.get()).MenuAction(Command::Activate)->trigger();
    QVERIFY(SessionOf(window.get()).LinkActive());
    QVERIFY(buttons.MarkersButton()->isVisible());
    QVERIFY(buttons.MarkersButton()->isEnabled());
    QCOMPARE(Markers().State().mode, MarkerMode::Off);
}

void MarkersWindowTest::dragMovesTheNearerMarkerAndTheReadouts() {
    using namespace ScreenTest;
    StartActive();
    SurfacesOf(window.get()).MenuAction(Command::Activate)->trigger();
    ScreenView* view = View();
    QCOMPARE(view->cursor().shape(), Qt::CrossCursor);
    QTest::mouseClick(Buttons().MarkersButton(), Qt::LeftButton);
    // 0.1 ms/div, 1 V/div, channel A on: the start positions' readouts.
    QImage image = view->Image();
    const int colourA = SessionOf(window.get()).Settings().Number(SettingsLine::ColourA);
    QVERIFY(HasTextCell(image, 300, 293, QStringLiteral("dt : 0.900ms"), 0));
    QVERIFY(HasTextCell(image, 300, 306, QStringLiteral("1/dt : 1.111kHz"), 0));
    QVERIFY(HasTextCell(image, 20, 293, QStringLiteral("VOIE A dv : 7.000V"), colourA));

    // A drag from near the left marker to x = 150: the left marker follows.
    QTest::mousePress(view, Qt::LeftButton, {}, {80, 100});
    QTest::mouseMove(view, {120, 110});
    QTest::mouseMove(view, {150, 120});
    QTest::mouseRelease(view, Qt::LeftButton, {}, {150, 120});
    QCOMPARE(Markers().State().timeLeft, 150);
    QCOMPARE(Markers().State().timeRight, 590);
    image = view->Image();
    QVERIFY(HasTextCell(image, 300, 293, QStringLiteral("dt : 0.733ms"), 0));
    QVERIFY(HasTextCell(image, 300, 306, QStringLiteral("1/dt : 1.364kHz"), 0));
    QCOMPARE(Pixel(image, 150, 40), Rgb(SessionOf(window.get()).Settings().Number(13)));

    // The horizontal pair with RMS, then a drag of the lower marker up to six divisions
    // from the upper one.
    QTest::mouseClick(Buttons().SelectionButton(), Qt::LeftButton);
    QTest::mouseClick(Buttons().RmsButton(), Qt::LeftButton);
    QTest::mousePress(view, Qt::LeftButton, {}, {300, 250});
    QTest::mouseMove(view, {300, 240});
    QTest::mouseRelease(view, Qt::LeftButton, {}, {300, 240});
    QCOMPARE(Markers().State().voltageTop, 48);
    QCOMPARE(Markers().State().voltageBottom, 240);
    image = view->Image();
    QVERIFY(HasTextCell(image, 20, 293, QStringLiteral("VOIE A dv : 6.000V"), colourA));
    QVERIFY(HasTextCell(image, 163, 293, QStringLiteral("Vrms : 2.121V~"), colourA));
    QVERIFY(HasTextCell(image, 300, 293, QStringLiteral("dt : 0.733ms"), 0));
    // A move after the release drags nothing.
    QTest::mouseMove(view, {300, 200});
    QCOMPARE(Markers().State().voltageBottom, 240);

    // Settings changes keep the positions; the readouts follow the new ranges.
    const MarkerState before = Markers().State();
    SessionOf(window.get()).SelectTimeBase(9); // 1 ms/div
    SessionOf(window.get()).SelectProbe(Channel::A, true);
    QCOMPARE(Markers().State(), before);
    image = view->Image();
    QVERIFY(HasTextCell(image, 300, 293, QStringLiteral("dt : 7.333ms"), 0));
    QVERIFY(HasTextCell(image, 300, 306, QStringLiteral("1/dt : 136.36Hz"), 0));
    QVERIFY(HasTextCell(image, 20, 293, QStringLiteral("VOIE A dv : 60.000V"), colourA));
    QVERIFY(HasTextCell(image, 163, 293, QStringLiteral("Vrms : 21.213V~"), colourA));

    // The magnifier's buttons: 440 pixels are 7.333 divisions, of 0.2 ms at x5 and of
    // 0.5 ms at x2; the voltage readout does not change.
    auto* magnifier = RegionOf(window.get(), Region::Magnifier)->findChild<MagnifierPanel*>();
    QVERIFY(magnifier);
    const struct {
        int factor;
        const char* dt;
        const char* frequency;
    } factors[] = {{5, "dt : 1.467ms", "1/dt : 681.82Hz"},
                   {2, "dt : 3.667ms", "1/dt : 272.73Hz"},
                   {1, "dt : 7.333ms", "1/dt : 136.36Hz"}};
    for (const auto& step : factors) {
        QTest::mouseClick(magnifier->FactorButton(step.factor), Qt::LeftButton);
        QCOMPARE(SessionOf(window.get()).Ram().Magnification(), step.factor);
        image = view->Image();
        QVERIFY2(HasTextCell(image, 300, 293, QString::fromUtf8(step.dt), 0), step.dt);
        QVERIFY2(HasTextCell(image, 300, 306, QString::fromUtf8(step.frequency), 0),
                 step.frequency);
        QVERIFY(HasTextCell(image, 20, 293, QStringLiteral("VOIE A dv : 60.000V"), colourA));
    }
    QCOMPARE(Markers().State(), before);
}

void MarkersWindowTest::popupMenuLetsTheButtonGo() {
    StartActive();
    SurfacesOf(window.get()).MenuAction(Command::Activate)->trigger();
    QTest::mouseClick(Buttons().MarkersButton(), Qt::LeftButton);
    QWindow* handle = window->windowHandle();
    QMenu* popup = SurfacesOf(window.get()).PopupMenu();

    // A right press on the image places the left marker and opens the pop-up menu, which
    // takes the mouse: the release never reaches the image.
    QTest::mousePress(handle, Qt::RightButton, {}, InWindow({100, 100}));
    QCOMPARE(Markers().State().timeLeft, 100);
    QTRY_VERIFY(popup->isVisible());
    QVERIFY(!Markers().State().buttonHeld);
    popup->close();
    QTRY_VERIFY(!popup->isVisible());

    // The pointer then passes over the image with no button down: nothing moves.
    QTest::mouseMove(handle, InWindow({60, 150}));
    QTest::mouseMove(handle, InWindow({40, 160}));
    QCOMPARE(Markers().State().timeLeft, 100);
    QCOMPARE(Markers().State().timeRight, 590);
    // A left drag still works afterwards.
    QTest::mousePress(handle, Qt::LeftButton, {}, InWindow({60, 150}));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, InWindow({60, 150}));
    QCOMPARE(Markers().State().timeLeft, 60);
}

void MarkersWindowTest::hiddenScreenLetsTheButtonGo() {
    StartActive();
    SurfacesOf(window.get()).MenuAction(Command::Activate)->trigger();
    QTest::mouseClick(Buttons().MarkersButton(), Qt::LeftButton);
    ScreenView* view = View();
    QTest::mousePress(view, Qt::LeftButton, {}, {100, 100});
    QVERIFY(Markers().State().buttonHeld);
    // The screen panel gives way (as it does to the spectrum view) with the button down.
    RegionOf(window.get(), Region::ScreenPanel)->hide();
    QVERIFY(!Markers().State().buttonHeld);
    RegionOf(window.get(), Region::ScreenPanel)->show();
    QTest::mouseMove(view, {300, 100});
    QCOMPARE(Markers().State().timeLeft, 100);
}

void MarkersWindowTest::helpReachesTheMarkersFromTheContents() {
    QVERIFY(QFile::copy(qEnvironmentVariable("OSC_TEST_DATA") + QStringLiteral("/aide.hlp"),
                        folder->Path() + QStringLiteral("aide.hlp")));
    StartActive();
    // The buttons have no help button of their own: the contents lead to the markers.
    SurfacesOf(window.get()).MenuAction(Command::Help)->trigger();
    QTextBrowser* browser = Part<HelpViewer>(window.get(), "helpViewer")->Browser();
    QVERIFY(browser->toHtml().contains(QStringLiteral("href=\"#marqueurs\"")));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Les marqueurs : mesure des tensions")));
    // Following the link shows the section, with the buttons' names as the user sees them.
    browser->setSource(QUrl(QStringLiteral("#marqueurs")));
    QTRY_VERIFY(browser->verticalScrollBar()->value() > 0);
    QCOMPARE(browser->cursorForPosition(QPoint(5, 5)).block().text(),
             QStringLiteral("Les marqueurs"));
    const QString text = browser->toPlainText();
    for (const char* words : {"ON / OFF marqueurs", "RMS", "VOIE A dv : 7.000V", "Vrms : 2.475V~",
                              "1/dt : 111.11Hz", "loupe x2 ou x5"})
        QVERIFY2(text.contains(QString::fromUtf8(words)), words);
}

QTEST_MAIN(MarkersWindowTest)
#include "tst_markers.moc"
