#include "AppSupport.h"
#include "RecordingLink.h"
#include "TestTimings.h"
#include "app/MainWindow.h"
#include "core/SettingsLines.h"
#include "dialogs/AboutWindow.h"
#include "dialogs/ColoursWindow.h"
#include "dialogs/GraticuleOptionsWindow.h"
#include "dialogs/HelpViewer.h"
#include "dialogs/MeasurementsWindow.h"
#include "dialogs/StartupParametersWindow.h"
#include "panel/ChannelPanel.h"
#include "panel/DialView.h"
#include "panel/FrontPanel.h"
#include "screen/ScreenView.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(Command)

// The small windows in the whole program: the commands that open them, the way they come
// and go, what reaches the file and the screen when the user comes back to the main
// window, the about box's sound, and the help of each window.
class AuxiliaryWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void commandsOpenTheirWindows_data();
    void commandsOpenTheirWindows();
    void startupParametersAfterActivationOnly();
    void soundOptionWithoutASoundDevice();
    void defaultColoursReachTheScreen();
    void startupParametersReachTheFileOnReturn();
    void aboutPlaysItsSoundOncePerOpening();
    void helpOfEachWindow_data();
    void helpOfEachWindow();

private:
    // Writes the settings file (line 1 "SIMULATEUR" and line 16 "1" with the given lines),
    // starts the main window against a recording link, shows it and waits until it is
    // active.
    void Start(const QList<QPair<int, QByteArray>>& lines = {}, bool soundDevice = false);
    void ActivateLink() { SurfacesOf(window.get()).MenuAction(Command::Activate)->trigger(); }
    QImage ScreenImage() const {
        auto* view = RegionOf(window.get(), Region::ScreenPanel)->findChild<ScreenView*>();
        return view ? view->Image() : QImage();
    }
    AuxiliaryWindow* WindowOf(Command c) const;

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MessageCapture> messages;
    std::unique_ptr<TimingsGuard> timings;
    std::unique_ptr<MainWindow> window;
    RecordingLink* link = nullptr;
    QStringList played;
};

void AuxiliaryWindowsTest::init() {
    folder = std::make_unique<ProgramFolder>();
    messages = std::make_unique<MessageCapture>();
    Timings quick = TimingsGuard::Quick();
    quick.splashTickMs = 1;
    timings = std::make_unique<TimingsGuard>(quick);
    link = nullptr;
    played.clear();
}

void AuxiliaryWindowsTest::cleanup() {
    window.reset();
    const QStringList errors = messages->Errors();
    timings.reset();
    messages.reset();
    folder.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
}

void AuxiliaryWindowsTest::Start(const QList<QPair<int, QByteArray>>& lines, bool soundDevice) {
    QList<QPair<int, QByteArray>> file{{1, "SIMULATEUR"}, {16, "1"}};
    file << lines;
    folder->WriteSettings(file);
    StartupEnvironment env;
    env.programFolder = folder->Path();
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = soundDevice;
    env.playSound = [this](const QString& path) { played << path.section(u'/', -1); };
    env.linkFactory = [this](const QString&) {
        auto made = std::make_unique<RecordingLink>();
        link = made.get();
        return made;
    };
    window = std::make_unique<MainWindow>(env);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

AuxiliaryWindow* AuxiliaryWindowsTest::WindowOf(Command c) const {
    switch (c) {
    case Command::Graticule:
        return Part<GraticuleOptionsWindow>(window.get(), "graticuleOptions");
    case Command::Colours:
        return Part<ColoursWindow>(window.get(), "colours");
    case Command::StartupParameters:
        return Part<StartupParametersWindow>(window.get(), "startupParameters");
    case Command::About:
        return Part<AboutWindow>(window.get(), "about");
    case Command::Measurements:
        return Part<MeasurementsWindow>(window.get(), "measurements");
    default:
        return nullptr;
    }
}

void AuxiliaryWindowsTest::commandsOpenTheirWindows_data() {
    QTest::addColumn<Command>("command");
    QTest::addColumn<int>("surface"); // 0 menu bar, 1 pop-up menu, 2 tool bar
    QTest::addColumn<QString>("caption");
    QTest::newRow("Graticule, menu") << Command::Graticule << 0 << "Graticule";
    QTest::newRow("Graticule, pop-up") << Command::Graticule << 1 << "Graticule";
    QTest::newRow("Graticule, tool bar") << Command::Graticule << 2 << "Graticule";
    QTest::newRow("Couleurs, menu") << Command::Colours << 0 << "Couleurs";
    QTest::newRow("Couleurs, pop-up") << Command::Colours << 1 << "Couleurs";
    QTest::newRow("Couleurs, tool bar") << Command::Colours << 2 << "Couleurs";
    QTest::newRow("A propos, menu") << Command::About << 0 << "A propos de...";
    QTest::newRow("Mesures automatiques, menu")
        << Command::Measurements << 0 << "Mesures automatiques";
    QTest::newRow("Mesures automatiques, tool bar")
        << Command::Measurements << 2 << "Mesures automatiques";
    QTest::newRow("start-up parameters, menu")
        << Command::StartupParameters << 0 << "Paramètres de démarrage";
    QTest::newRow("start-up parameters, pop-up")
        << Command::StartupParameters << 1 << "Paramètres de démarrage";
}

// Each command opens its window on top of the others; opening it again brings the same
// window forward; "OK" hides it with the normal stacking and the main window is active
// again.
void AuxiliaryWindowsTest::commandsOpenTheirWindows() {
    QFETCH(Command, command);
    QFETCH(int, surface);
    QFETCH(QString, caption);
    Start();
    ActivateLink();
    CommandSurfaces& s = SurfacesOf(window.get());
    QAction* action = surface == 0   ? s.MenuAction(command)
                      : surface == 1 ? s.PopupAction(command)
                                     : s.ToolAction(command);
    QVERIFY(action && action->isEnabled());
    AuxiliaryWindow* aux = WindowOf(command);
    QVERIFY(aux->isHidden());
    action->trigger();
    QVERIFY(aux->isVisible());
    QCOMPARE(aux->windowTitle(), caption);
    QVERIFY(aux->windowFlags() & Qt::WindowStaysOnTopHint);
    QTRY_VERIFY(aux->isActiveWindow());
    action->trigger();
    QCOMPARE(QApplication::topLevelWidgets().count(aux), 1);
    QVERIFY(aux->isVisible());

    ButtonIn(aux, "OK")->click();
    QVERIFY(aux->isHidden());
    QVERIFY(!(aux->windowFlags() & Qt::WindowStaysOnTopHint));
    QTRY_VERIFY(window->isActiveWindow());
}

// "Paramèt&res de démarrage" opens nothing before the link is activated.
void AuxiliaryWindowsTest::startupParametersAfterActivationOnly() {
    Start();
    CommandSurfaces& s = SurfacesOf(window.get());
    QVERIFY(!s.MenuAction(Command::StartupParameters)->isEnabled());
    QVERIFY(!s.PopupAction(Command::StartupParameters)->isEnabled());
    QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
    StartupParametersWindow* p = Part<StartupParametersWindow>(window.get(), "startupParameters");
    QVERIFY(p->isHidden());
    ActivateLink();
    QVERIFY(s.MenuAction(Command::StartupParameters)->isEnabled());
    window->activateWindow();
    QTRY_VERIFY(window->isActiveWindow());
    QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
    QVERIFY(p->isVisible());
}

// Start-up found no sound device: sounds off, "Effets sonores" disabled and unchecked
// even though the file had sounds on, and "OK" writes "SON_OFF".
void AuxiliaryWindowsTest::soundOptionWithoutASoundDevice() {
    Start({{14, "SON_ON"}, {44, "CARTE_SON_ON"}, {4, "HEURE_ON"}}, false);
    SurfacesOf(window.get()).MenuAction(Command::Graticule)->trigger();
    GraticuleOptionsWindow* g = Part<GraticuleOptionsWindow>(window.get(), "graticuleOptions");
    QTRY_VERIFY(g->isActiveWindow());
    QCheckBox* sound = g->Option(4);
    QCOMPARE(sound->text(), QStringLiteral("Effets sonores"));
    QVERIFY(!sound->isEnabled());
    QVERIFY(!sound->isChecked());
    QVERIFY(g->Option(2)->isChecked()); // "Heure", its line on
    QTest::mouseClick(sound, Qt::LeftButton, {}, QPoint(8, sound->height() / 2));
    QVERIFY(!sound->isChecked());
    g->close(); // the close box
    QCOMPARE(SessionOf(window.get()).Settings().Line(SettingsLine::Sound),
             QStringLiteral("SON_OFF"));
    QCOMPARE(SessionOf(window.get()).Settings().Line(SettingsLine::ShowTime),
             QStringLiteral("HEURE_ON"));
}

// "Couleurs par défaut" then "OK": the screen keeps its colours until the main window is
// active again, then shows a black graticule, a red channel A and the dial pointers in red
// and blue; the file is rewritten then.
void AuxiliaryWindowsTest::defaultColoursReachTheScreen() {
    // Graticule green, channel A yellow, channel B cyan.
    Start({{9, "65280"}, {10, "65535"}, {11, "16776960"}});
    ActivateLink();
    link->Receive(FlatSweep(200, 128)); // channel A at y 88
    const QPoint onGraticule(80, 100);  // the second vertical line
    const QPoint onTrace(330, 88);
    const QPoint onPointer(75, 51); // of the volts/div dials at 1 V/div
    DialView* dialA = PanelOf(window.get()).ChannelOf(Channel::A).Dial();
    DialView* dialB = PanelOf(window.get()).ChannelOf(Channel::B).Dial();
    QCOMPARE(ScreenImage().pixelColor(onGraticule), QColor(0, 255, 0));
    QCOMPARE(ScreenImage().pixelColor(onTrace), QColor(255, 255, 0));
    QCOMPARE(dialA->Picture().pixelColor(onPointer), QColor(255, 255, 0));

    SurfacesOf(window.get()).ToolAction(Command::Colours)->trigger();
    ColoursWindow* c = Part<ColoursWindow>(window.get(), "colours");
    QTRY_VERIFY(c->isActiveWindow());
    QCOMPARE(c->Swatch(1)->Colour(), QColor(0, 255, 0));
    ButtonIn(c, "Couleurs par défaut")->click();
    SessionOf(window.get()).SaveSettings(); // anything else that saves: still not redrawn
    QCOMPARE(ScreenImage().pixelColor(onGraticule), QColor(0, 255, 0));
    QCOMPARE(dialA->Picture().pixelColor(onPointer), QColor(255, 255, 0));
    QCOMPARE(folder->SettingsLine(10), QByteArray("255"));
    folder->WriteSettings({}); // the next return to the main window writes the file anew

    ButtonIn(c, "OK")->click();
    QTRY_VERIFY(window->isActiveWindow());
    QTRY_COMPARE(ScreenImage().pixelColor(onGraticule), QColor(0, 0, 0));
    QCOMPARE(ScreenImage().pixelColor(onTrace), QColor(255, 0, 0));
    QCOMPARE(dialA->Picture().pixelColor(onPointer), QColor(255, 0, 0));
    QCOMPARE(dialB->Picture().pixelColor(onPointer), QColor(0, 0, 255));
    QCOMPARE(dialA->grab().toImage().pixelColor(onPointer), QColor(255, 0, 0));
    QCOMPARE(folder->SettingsLine(9), QByteArray("0"));
    QCOMPARE(folder->SettingsLine(11), QByteArray("16711680"));
    QCOMPARE(folder->SettingsLine(13), QByteArray("16711935"));
    QCOMPARE(folder->SettingsLine(15), QByteArray("1813282"));
    QCOMPARE(folder->SettingsLine(17), QByteArray("12582910"));
}

// "Sauvegarder" changes lines 28 to 40 in memory; the file holds them once the user is
// back in the main window.
void AuxiliaryWindowsTest::startupParametersReachTheFileOnReturn() {
    Start({{28, "0"}, {40, "0"}});
    ActivateLink();
    SurfacesOf(window.get()).MenuAction(Command::StartupParameters)->trigger();
    StartupParametersWindow* p = Part<StartupParametersWindow>(window.get(), "startupParameters");
    QTRY_VERIFY(p->isActiveWindow());
    p->SetQuestion([](const QString&, QWidget*) { return true; });
    p->SaveButton()->click();
    QCOMPARE(SessionOf(window.get()).Settings().Line(28), QStringLiteral("63"));
    QCOMPARE(folder->SettingsLine(28), QByteArray("0"));
    QCOMPARE(folder->SettingsLine(40), QByteArray("0"));
    p->close();
    QTRY_COMPARE(folder->SettingsLine(28), QByteArray("63"));
    QCOMPARE(folder->SettingsLine(40), QByteArray("1"));
    QCOMPARE(folder->SettingsLine(34), QByteArray("VOIE_A_ON"));
}

// With sounds on, each opening plays "id46.wav" once; coming back to the open box plays
// nothing more. The machine's facts are shown.
void AuxiliaryWindowsTest::aboutPlaysItsSoundOncePerOpening() {
    Start({{14, "SON_ON"}}, true);
    played.clear();
    QAction* open = SurfacesOf(window.get()).MenuAction(Command::About);
    AboutWindow* a = Part<AboutWindow>(window.get(), "about");
    open->trigger();
    QTRY_VERIFY(a->isActiveWindow());
    QCOMPARE(played, QStringList{"id46.wav"});
    window->activateWindow(); // away and back
    QTRY_VERIFY(window->isActiveWindow());
    open->trigger();
    QTRY_VERIFY(a->isActiveWindow());
    QCOMPARE(played, QStringList{"id46.wav"});
    QVERIFY(a->Fact(0)->text().endsWith(QStringLiteral(" Ko")));
    QVERIFY(a->Fact(1)->text().endsWith(QStringLiteral(" %")));
    const QSize screen = a->screen()->size();
    QCOMPARE(a->Fact(3)->text(),
             QStringLiteral("%1 x %2").arg(screen.width()).arg(screen.height()));
    QCOMPARE(a->Fact(4)->text(), QStringLiteral("%1 bits").arg(a->screen()->depth()));

    ButtonIn(a, "OK")->click();
    QVERIFY(!a->SoundPlayed());
    open->trigger();
    QTRY_VERIFY(a->isActiveWindow());
    QCOMPARE(played, QStringList({"id46.wav", "id46.wav"}));
}

void AuxiliaryWindowsTest::helpOfEachWindow_data() {
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("heading");
    QTest::newRow("Graticule") << Command::Graticule << "rub13"
                               << "Options du graticule";
    QTest::newRow("Couleurs") << Command::Colours << "rub14"
                              << "Couleurs";
    QTest::newRow("start-up parameters") << Command::StartupParameters << "rub59"
                                         << "Paramètres de démarrage";
    QTest::newRow("automatic measurements") << Command::Measurements << "mesures"
                                            << "Mesures automatiques";
}

// The "&Aide" button of each window opens the help at the window's topic, scrolled to it.
void AuxiliaryWindowsTest::helpOfEachWindow() {
    QFETCH(Command, command);
    QFETCH(QString, topic);
    QFETCH(QString, heading);
    QVERIFY(QFile::copy(qEnvironmentVariable("OSC_TEST_DATA") + QStringLiteral("/aide.hlp"),
                        folder->Path() + QStringLiteral("aide.hlp")));
    Start();
    ActivateLink();
    SurfacesOf(window.get()).MenuAction(command)->trigger();
    AuxiliaryWindow* aux = WindowOf(command);
    QTRY_VERIFY(aux->isActiveWindow());
    ButtonIn(aux, "&Aide")->click();
    HelpViewer* help = Part<HelpViewer>(window.get(), "helpViewer");
    QVERIFY(help->isVisible());
    QCOMPARE(help->CurrentTopic(), topic);
    QTextBrowser* b = help->Browser();
    QVERIFY(b->verticalScrollBar()->value() > 0);
    QCOMPARE(b->cursorForPosition(QPoint(5, 5)).block().text(), heading);
}

QTEST_MAIN(AuxiliaryWindowsTest)
#include "tst_auxiliarywindows.moc"
