#include "AppSupport.h"
#include "TestTimings.h"
#include "app/MainWindow.h"
#include "core/Timings.h"
#include "dialogs/HelpViewer.h"
#include "dialogs/PortSelectionDialog.h"
#include "dialogs/SplashWindow.h"
#include "panel/ChannelPanel.h"
#include "panel/DialView.h"
#include "panel/FrontPanel.h"
#include "screen/ScreenController.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

// Start-up, the shell of the main window, coming back to it and quitting, as a user
// meets them: each test starts a real main window in a program folder of its own.
class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startWritesTheSettingsFile_data();
    void startWritesTheSettingsFile();
    void soundDeviceDecidesLines14And44_data();
    void soundDeviceDecidesLines14And44();
    void screenSizeCheck_data();
    void screenSizeCheck();
    void splashEndsAtTheTenthTick();
    void continueButtonEndsTheSplash();
    void timersKeepTheirIntervals();
    void unwritableFolderStillStarts();
    void menusAndShortcuts_data();
    void menusAndShortcuts();
    void popupAndToolBar();
    void layoutOfTheRegions();
    void portQuestionAskedOnce();
    void portDialogShowsTheSavedPort();
    void activationRewritesTheFileOnce();
    void activationRedrawsRecoloursAndAnimates();
    void hardwareCheckToggles();
    void helpOpensItsTopic_data();
    void helpOpensItsTopic();
    void quitWritesNothing_data();
    void quitWritesNothing();

private:
    // A main window started in the test's folder on a large screen without sound.
    std::unique_ptr<MainWindow> Start(const QSize& screen = QSize(1280, 1024),
                                      bool soundDevice = false);

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MessageCapture> messages;
    std::unique_ptr<TimingsGuard> timings;
    QStringList played; // full paths of the sounds asked for
};

void StartupTest::init() {
    folder = std::make_unique<ProgramFolder>();
    messages = std::make_unique<MessageCapture>();
    // The splash ends after ten ticks of a millisecond; every other wait is the program's.
    Timings quickSplash;
    quickSplash.splashTickMs = 1;
    timings = std::make_unique<TimingsGuard>(quickSplash);
    played.clear();
}

void StartupTest::cleanup() {
    QStringList errors = messages->Errors();
    timings.reset();
    messages.reset();
    folder.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
}

std::unique_ptr<MainWindow> StartupTest::Start(const QSize& screen, bool soundDevice) {
    StartupEnvironment env;
    env.programFolder = folder->Path();
    env.screenSize = screen;
    env.soundDevice = soundDevice;
    env.playSound = [this](const QString& path) { played << path; };
    return std::make_unique<MainWindow>(env);
}

void StartupTest::startWritesTheSettingsFile_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("unused"); // what line 29 and lines 41 to 43 hold
    QByteArray previous;
    for (int k = 1; k <= 50; ++k)
        previous += (k >= 18 && k <= 27 ? QByteArray("9") : "old" + QByteArray::number(k)) + "\n";
    QTest::newRow("no file") << QByteArray() << QByteArray();
    QTest::newRow("previous run, LF endings") << previous << QByteArray("old");
    QTest::newRow("text in every line") << QByteArray("abc\n").repeated(50) << QByteArray("abc");
    // Every line after the first reads 80 00 FF 10.
    QTest::newRow("binary") << QByteArray("\x00\xff\x10\n\x80", 5).repeated(3000)
                            << QByteArray("\x80\x00\xff\x10", 4);
}

void StartupTest::startWritesTheSettingsFile() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, unused);
    if (!before.isEmpty())
        folder->WriteRaw(before);
    std::unique_ptr<MainWindow> w = Start();
    QVERIFY(w->ShouldServe());
    QCOMPARE(w->windowTitle(), QStringLiteral("Oscilloscope Numérique à mémoire v1.7"));

    const QByteArray file = folder->ReadSettings();
    QCOMPARE(file.count("\r\n"), 50);
    QCOMPARE(file.count('\n'), 50);
    const char* start[] = {"128", "128", "12", "1", "VOIE_A_ON", "VOIE_B_OFF", "2", "2", "3", "3"};
    for (int k = 18; k <= 27; ++k)
        QCOMPARE(folder->SettingsLine(k), QByteArray(start[k - 18]));
    QCOMPARE(folder->SettingsLine(14), QByteArray("SON_OFF"));
    QCOMPARE(folder->SettingsLine(44), QByteArray("CARTE_SON_OFF"));
    QCOMPARE(folder->SettingsLine(45), folder->Path().toLocal8Bit());
    // Unused lines keep their bytes.
    for (int k : {29, 41, 42, 43, 46, 47, 48, 49, 50}) {
        const QByteArray expected = unused == "old" ? "old" + QByteArray::number(k) : unused;
        QCOMPARE(folder->SettingsLine(k), expected);
    }
    // Memory and file agree.
    for (int k = 1; k <= 50; ++k)
        QCOMPARE(folder->SettingsLine(k), SessionOf(w.get()).Settings().RawLine(k));
}

void StartupTest::soundDeviceDecidesLines14And44_data() {
    QTest::addColumn<bool>("device");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("line14");
    QTest::addColumn<QByteArray>("line44");
    QTest::addColumn<QStringList>("sounds");
    QTest::newRow("no device") << false << QByteArray("SON_ON") << QByteArray("SON_OFF")
                               << QByteArray("CARTE_SON_OFF") << QStringList();
    QTest::newRow("device, sounds on")
        << true << QByteArray("SON_ON") << QByteArray("SON_ON") << QByteArray("CARTE_SON_ON")
        << QStringList({"accueil.wav"});
    QTest::newRow("device, sounds off") << true << QByteArray("SON_OFF") << QByteArray("SON_OFF")
                                        << QByteArray("CARTE_SON_ON") << QStringList();
}

void StartupTest::soundDeviceDecidesLines14And44() {
    QFETCH(bool, device);
    QFETCH(QByteArray, before);
    QFETCH(QStringList, sounds);
    folder->WriteSettings({{14, before}, {44, "CARTE_SON_ON"}});
    std::unique_ptr<MainWindow> w = Start(QSize(1280, 1024), device);
    QTEST(folder->SettingsLine(14), "line14");
    QTEST(folder->SettingsLine(44), "line44");
    QStringList expected;
    for (const QString& name : sounds)
        expected << folder->Path() + name;
    QCOMPARE(played, expected);
}

void StartupTest::screenSizeCheck_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("serves");
    QTest::newRow("1024 x 768") << QSize(1024, 768) << true;
    QTest::newRow("1023 x 768") << QSize(1023, 768) << false;
    QTest::newRow("1024 x 767") << QSize(1024, 767) << false;
}

void StartupTest::screenSizeCheck() {
    QFETCH(QSize, screen);
    QFETCH(bool, serves);
    std::unique_ptr<MainWindow> w = Start(screen);
    QCOMPARE(w->ShouldServe(), serves);
    const QString resolution = QStringLiteral("%1 x %2").arg(screen.width()).arg(screen.height());
    QCOMPARE(Part<SplashWindow>(w.get(), "splash")->ResolutionLine(),
             QStringLiteral("Votre résolution graphique est de ") + resolution);
    if (serves) {
        QCOMPARE(messages->texts, QStringList());
        return;
    }
    QCOMPARE(messages->texts,
             QStringList(QStringLiteral("Erreur: Désolé, votre résolution d'affichage de ") +
                         resolution +
                         QStringLiteral("\n\r ne permet pas un affichage correct du programme.\n\r"
                                        "\n\r Augmentez la résoltion de votre carte "
                                        "graphique...\n\r\n\r         (Résolution minimale "
                                        "1024 x 768)")));
    messages->texts.clear(); // the box is the expected one, not a failure
    // The rest of start-up still ran: the file holds the start values.
    QVERIFY(folder->ReadSettings().contains("\r\nVOIE_A_ON\r\nVOIE_B_OFF\r\n"));
}

void StartupTest::splashEndsAtTheTenthTick() {
    TimerWatch splashTicks(IsSplashTimer);
    std::unique_ptr<MainWindow> w = Start();
    QCOMPARE(splashTicks.Ticks(), 10);
    const SplashWindow* splash = Part<SplashWindow>(w.get(), "splash");
    QCOMPARE(splash->SplashCounter(), 10);
    QVERIFY(!splash->isVisible());
}

void StartupTest::continueButtonEndsTheSplash() {
    // The program's own timings: a splash tick is a second, so only the click can end the
    // wait at once. Should the click be lost, the test ends the wait itself after 20 s.
    TimingsGuard programTimings{Timings()};
    TimerWatch splashTicks(IsSplashTimer);
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* splash = qobject_cast<SplashWindow*>(w))
                splash->ContinueButton()->click();
    });
    bool clickLost = false;
    QTimer rescue;
    rescue.setSingleShot(true);
    connect(&rescue, &QTimer::timeout, [&clickLost] {
        clickLost = true;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* splash = qobject_cast<SplashWindow*>(w))
                splash->SetSplashCounter(10);
    });
    rescue.start(20000);
    std::unique_ptr<MainWindow> w = Start();
    rescue.stop();
    QVERIFY(!clickLost);
    QVERIFY(splashTicks.Ticks() < 10);
    const SplashWindow* splash = Part<SplashWindow>(w.get(), "splash");
    QCOMPARE(splash->SplashCounter(), 10);
    QVERIFY(!splash->isVisible());
    // The splash timer ticks once a second from creation to the end of the run.
    const QList<QTimer*> own = w->findChildren<QTimer*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(own.size(), 1);
    QCOMPARE(own.first()->interval(), 1000);
    QVERIFY(own.first()->isActive());
}

void StartupTest::timersKeepTheirIntervals() {
    // The instrument's own durations of the main window's timers.
    const Timings defaults;
    QCOMPARE(defaults.splashTickMs, 1000);
    QCOMPARE(defaults.clockMs, 1000);
    QCOMPARE(defaults.animationMs, 35);
    QCOMPARE(defaults.commWindowMs, 1000);

    // On a started window the idle animation redraws at each tick of a 35 ms timer, and
    // the clock runs again once the splash is over.
    TimerWatch anyTimer([](const QTimer&) { return false; });
    std::unique_ptr<MainWindow> w = Start();
    QVERIFY(ScreenOf(w.get()).ClockRunning());
    QVERIFY(ScreenOf(w.get()).AnimationRunning());
    QList<int> redrawTimers;
    connect(&ScreenOf(w.get()), &ScreenController::redrawn, this,
            [&] { redrawTimers << anyTimer.CurrentInterval(); });
    QTRY_VERIFY_WITH_TIMEOUT(redrawTimers.size() >= 3, 30000);
    for (int interval : redrawTimers)
        QCOMPARE(interval, 35);
}

void StartupTest::unwritableFolderStillStarts() {
    // A folder that is a file cannot hold the settings file, even for root.
    QFile blocker(folder->Path() + QStringLiteral("folder"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    StartupEnvironment env;
    env.programFolder = blocker.fileName() + QStringLiteral("/");
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    std::unique_ptr<MainWindow> w = std::make_unique<MainWindow>(env);
    QVERIFY(w->ShouldServe());
    const QStringList errors = messages->Errors();
    QCOMPARE(errors.size(), 2); // both saves of start-up reported
    for (const QString& error : errors)
        QVERIFY2(error.startsWith(QStringLiteral("Erreur: Impossible d'enregistrer le fichier")),
                 qPrintable(error));
    messages->texts.clear();
    // Memory holds the start values all the same.
    QCOMPARE(SessionOf(w.get()).Settings().Line(20), QStringLiteral("12"));
    QCOMPARE(SessionOf(w.get()).Settings().Line(23), QStringLiteral("VOIE_B_OFF"));
}

void StartupTest::menusAndShortcuts_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("enabled");
    // clang-format off
    QTest::newRow("save")     << int(Command::Save)              << "&Sauvegarder"                             << "Ctrl+S"     << false;
    QTest::newRow("export")   << int(Command::ExportSamples)     << "Exporter les échantillons..."             << ""           << false;
    QTest::newRow("preview")  << int(Command::PrintPreview)      << "&Aperçu avant impression"                 << "Ctrl+I"     << false;
    QTest::newRow("setup")    << int(Command::PrintSetup)        << "&Configuration de l'impression"           << "Ctrl+E"     << false;
    QTest::newRow("quit")     << int(Command::Quit)              << "&Quitter"                                 << "Ctrl+Q"     << true;
    QTest::newRow("copy")     << int(Command::Copy)              << "Cop&ier"                                  << "Ctrl+C"     << false;
    QTest::newRow("activate") << int(Command::Activate)          << "&Activer la communication"                << "Ctrl+A"     << true;
    QTest::newRow("port")     << int(Command::ChoosePort)        << "Choix du &port (physique ou virtuel USB)" << "Ctrl+P"     << true;
    QTest::newRow("check")    << int(Command::HardwareCheck)     << "Vérifications &matérielles"               << "Ctrl+Alt+M" << true;
    QTest::newRow("grat")     << int(Command::Graticule)         << "&Graticule"                               << "Ctrl+G"     << true;
    QTest::newRow("colours")  << int(Command::Colours)           << "Coul&eurs"                                << "Ctrl+L"     << true;
    QTest::newRow("startup")  << int(Command::StartupParameters) << "Paramèt&res de démarrage"                 << "Ctrl+R"     << false;
    QTest::newRow("no math")  << int(Command::MathNone)          << "Pas de Mat&h"                             << "Ctrl+F2"    << true;
    QTest::newRow("sum")      << int(Command::MathSum)           << "Voie A + Voie &B"                         << "Ctrl+F3"    << false;
    QTest::newRow("diff")     << int(Command::MathDifference)    << "&Voie A - Voie B"                         << "Ctrl+F4"    << false;
    QTest::newRow("xy")       << int(Command::MathXY)            << "Mode &X Y (Voie A = X et Voie B = Y)"     << "Ctrl+F5"    << false;
    QTest::newRow("help")     << int(Command::Help)              << "Ai&de"                                    << "Ctrl+D"     << true;
    QTest::newRow("about")    << int(Command::About)             << "A pr&opos de..."                          << "Ctrl+O"     << true;
    QTest::newRow("measures") << int(Command::Measurements)      << "&Mesures automatiques..."                 << "Ctrl+M"     << true;
    QTest::newRow("shot")     << int(Command::SingleShot)        << "Mo&nocoup"                                << "Ctrl+U"     << false;
    // clang-format on
}

void StartupTest::menusAndShortcuts() {
    QFETCH(int, command);
    std::unique_ptr<MainWindow> w = Start();
    QAction* a = SurfacesOf(w.get()).MenuAction(static_cast<Command>(command));
    QVERIFY(a);
    QTEST(a->text(), "caption");
    QTEST(a->shortcut().toString(), "shortcut");
    QTEST(a->isEnabled(), "enabled");
    QStringList titles;
    for (QAction* m : w->menuBar()->actions())
        titles << m->text();
    QCOMPARE(titles,
             QStringList({"&Fichier", "&Edition", "&Communication", "&Options", "Math", "&Aide"}));
    QVERIFY(SurfacesOf(w.get()).MenuAction(Command::MathNone)->isChecked());
    // The export comes right after the save, on the menu bar only.
    const QList<QAction*> file = w->menuBar()->actions()[0]->menu()->actions();
    QCOMPARE(file.indexOf(SurfacesOf(w.get()).MenuAction(Command::ExportSamples)),
             file.indexOf(SurfacesOf(w.get()).MenuAction(Command::Save)) + 1);
    QVERIFY(!SurfacesOf(w.get()).PopupAction(Command::ExportSamples));
    QVERIFY(!SurfacesOf(w.get()).ToolAction(Command::ExportSamples));
    // No two items of the menu bar share a shortcut, the help's F1 included.
    QStringList shortcuts{QKeySequence(QKeySequence::HelpContents).toString()};
    for (QAction* m : w->menuBar()->actions())
        for (QAction* item : m->menu()->actions()) {
            const QList<QAction*> inner = item->menu() ? item->menu()->actions() : QList{item};
            for (QAction* a : inner)
                if (!a->shortcut().isEmpty()) {
                    QVERIFY2(!shortcuts.contains(a->shortcut().toString()),
                             qPrintable(a->shortcut().toString()));
                    shortcuts << a->shortcut().toString();
                }
        }
    QCOMPARE(shortcuts.size(), 20);
}

void StartupTest::popupAndToolBar() {
    std::unique_ptr<MainWindow> w = Start();
    CommandSurfaces& s = SurfacesOf(w.get());
    QStringList popup;
    for (QAction* a : s.PopupMenu()->actions())
        popup << (a->isSeparator() ? QStringLiteral("-")
                                   : a->text() + QStringLiteral(" ") + a->shortcut().toString());
    QCOMPARE(
        popup,
        QStringList({"&Activer la communication Ctrl+A",
                     "Choix du &port (physique ou virtuel USB) Ctrl+P", "-", "Sauvegarder Ctrl+S",
                     "Copier Ctrl+C", "Aperçu avant impression Ctrl+I", "-", "Graticule Ctrl+G",
                     "Couleurs Ctrl+L", "Paramèt&res de démarrage Ctrl+R", "-", "Aide Ctrl+D"}));
    QVERIFY(!s.PopupAction(Command::Save)->isEnabled());
    QVERIFY(!s.PopupAction(Command::StartupParameters)->isEnabled());
    QVERIFY(s.PopupAction(Command::Graticule)->isEnabled());

    // Hints of the inactive preset: tooltip before the bar, status text after it.
    QCOMPARE(s.ToolAction(Command::Quit)->toolTip(), QStringLiteral("Quitter"));
    QCOMPARE(s.ToolAction(Command::Quit)->statusTip(), QStringLiteral("Quitter le programme..."));
    QCOMPARE(s.ToolAction(Command::Activate)->toolTip(), QStringLiteral("Activer RS232 / USB"));
    QCOMPARE(s.ToolAction(Command::Activate)->statusTip(),
             QStringLiteral("Activer la liaison RS232 / USB..."));
    QCOMPARE(s.ToolAction(Command::Graticule)->statusTip(),
             QStringLiteral("Définir les options d'affichage du graticule..."));
    QCOMPARE(s.ToolAction(Command::Colours)->toolTip(), QStringLiteral("Couleur"));
    QCOMPARE(s.ToolAction(Command::Colours)->statusTip(),
             QStringLiteral("Définir les couleurs des traces VOIE A et VOIE B et de quelques "
                            "options complémentaires..."));
    QCOMPARE(s.ToolAction(Command::Help)->toolTip(), QStringLiteral(" Aide"));
    for (Command c :
         {Command::Save, Command::Copy, Command::PrintPreview, Command::MathNone, Command::MathSum})
        QVERIFY(!s.ToolAction(c)->isEnabled());
    QVERIFY(s.ToolAction(Command::Quit)->isEnabled());
    QVERIFY(s.ToolAction(Command::Activate)->isEnabled());

    // The copies of a command run the same operation.
    QSignalSpy spy(&s, &CommandSurfaces::triggered);
    s.PopupAction(Command::Graticule)->trigger();
    s.ToolAction(Command::Graticule)->trigger();
    s.MenuAction(Command::Graticule)->trigger();
    QCOMPARE(spy.size(), 3);
    for (const auto& args : spy)
        QCOMPARE(args.at(0).value<Command>(), Command::Graticule);
}

void StartupTest::layoutOfTheRegions() {
    std::unique_ptr<MainWindow> w = Start();
    QCOMPARE(Part<QWidget>(w.get(), "client")->size(), QSize(964, 676));
    struct Row {
        Region region;
        const char* caption; // null for a plain panel
        bool bold;
        QRect geometry;
        bool visible;
    };
    // clang-format off
    const Row rows[] = {
        {Region::ScreenPanel,   nullptr,                                     false, {8, 32, 662, 341},    true},
        {Region::SpectrumPanel, nullptr,                                     false, {8, 32, 662, 341},    false},
        {Region::TimeBase,      " Time/Div : ",                              true,  {672, 25, 289, 297},  true},
        {Region::Magnifier,     nullptr,                                     false, {848, 46, 98, 29},    true},
        {Region::Acquisition,   " Acquisition des traces : ",                true,  {672, 328, 289, 50},  true},
        {Region::Trigger,       " Sélection du Trigger : ",                  true,  {672, 383, 289, 121}, true},
        {Region::Translation,   " Translation des traces (C = Carreaux) : ", false, {672, 510, 289, 145}, true},
        {Region::SampleGrid,    nullptr,                                     false, {664, 384, 297, 273}, false},
        {Region::ChannelA,      " Volts/Div VOIE A (Axe X) : ",              true,  {16, 374, 297, 281},  true},
        {Region::ChannelB,      " Volts/Div VOIE B (Axe Y) : ",              true,  {360, 374, 297, 281}, true},
    };
    // clang-format on
    w->show();
    for (const Row& r : rows) {
        QWidget* region = RegionOf(w.get(), r.region);
        QCOMPARE(region->geometry(), r.geometry);
        QCOMPARE(region->isVisible(), r.visible);
        if (!r.caption)
            continue;
        auto* group = qobject_cast<QGroupBox*>(region);
        QVERIFY2(group, r.caption);
        QCOMPARE(group->title(), QString::fromUtf8(r.caption));
        if (r.bold)
            QVERIFY2(group->font().bold(), r.caption);
    }
    // The front panel cannot send anything before the link is active: the time base,
    // acquisition and trigger groups are off as a whole, and every other button is off or
    // hidden.
    for (Region r : {Region::TimeBase, Region::Acquisition, Region::Trigger})
        QVERIFY(!RegionOf(w.get(), r)->isEnabled());
    for (Region r : {Region::TimeBase, Region::Acquisition, Region::Trigger, Region::ChannelA,
                     Region::ChannelB, Region::Translation, Region::Magnifier})
        for (QAbstractButton* b : RegionOf(w.get(), r)->findChildren<QAbstractButton*>())
            QVERIFY2(!b->isEnabled() || !b->isVisible(), qPrintable(b->text() + b->toolTip()));
    QCOMPARE(Part<QLabel>(w.get(), "statusPanel0")->width(), 550);
    QCOMPARE(Part<QLabel>(w.get(), "statusPanel1")->width(), 250);
    QCOMPARE(Part<QLabel>(w.get(), "statusPanel2")->width(), 100);
    const QProgressBar* progress = Part<QProgressBar>(w.get(), "progressBar");
    QVERIFY(!progress->isVisible());
    QCOMPARE(progress->geometry(), QRect(805, 659, 156, 14));
}

void StartupTest::portQuestionAskedOnce() {
    // A new settings file: no port has ever been chosen.
    folder->WriteSettings({{1, "ttyS0"}, {16, "0"}});
    std::unique_ptr<MainWindow> w = Start();
    QSignalSpy saves(&SessionOf(w.get()), &Instrument::settingsSaved);
    w->show(); // the first activation of the main window asks
    const QString question = QStringLiteral(
        "Information: Vous devez sélectionner le port de communication série (physique ou "
        "virtuel USB) utilisé avec l'oscilloscope.");
    QTRY_COMPARE_WITH_TIMEOUT(messages->texts, QStringList(question), 30000);
    PortSelectionDialog* dialog = Part<PortSelectionDialog>(w.get(), "portDialog");
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 30000);
    // The dialog, once active, invites the choice and notes that the question was put.
    QTRY_COMPARE_WITH_TIMEOUT(
        dialog->PortList()->currentText(),
        QStringLiteral("Cliquez sur la flèche de droite --------------------->"), 30000);
    QCOMPARE(SessionOf(w.get()).Settings().Line(16), QStringLiteral("1"));

    // Back to the main window: the file is rewritten and nobody asks again.
    const int savesBefore = saves.size();
    w->activateWindow();
    QTRY_VERIFY_WITH_TIMEOUT(saves.size() > savesBefore, 30000);
    QCOMPARE(folder->SettingsLine(16), QByteArray("1"));
    QCOMPARE(messages->texts, QStringList(question));
    messages->texts.clear();
}

void StartupTest::portDialogShowsTheSavedPort() {
    folder->WriteSettings({{1, "ttyUSB7"}, {16, "1"}});
    std::unique_ptr<MainWindow> w = Start();
    SurfacesOf(w.get()).MenuAction(Command::ChoosePort)->trigger();
    PortSelectionDialog* dialog = Part<PortSelectionDialog>(w.get(), "portDialog");
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->PortList()->currentText(), QStringLiteral("ttyUSB7"));
}

void StartupTest::activationRewritesTheFileOnce() {
    folder->WriteSettings({{1, "ttyS0"}, {16, "1"}});
    std::unique_ptr<MainWindow> w = Start();
    SessionOf(w.get()).ChoosePort(QStringLiteral("SIMULATEUR")); // as the port dialog does
    QCOMPARE(folder->SettingsLine(1), QByteArray("ttyS0"));
    QSignalSpy saves(&SessionOf(w.get()), &Instrument::settingsSaved);
    w->MainWindowActivated();
    QCOMPARE(saves.size(), 1);
    QCOMPARE(folder->SettingsLine(1), QByteArray("SIMULATEUR"));
}

void StartupTest::activationRedrawsRecoloursAndAnimates() {
    // Channel A red, channel B blue.
    folder->WriteSettings({{10, "255"}, {11, "16711680"}, {16, "1"}});
    std::unique_ptr<MainWindow> w = Start();
    DialView* dialA = PanelOf(w.get()).ChannelOf(Channel::A).Dial();
    DialView* dialB = PanelOf(w.get()).ChannelOf(Channel::B).Dial();
    // A point of the pointer at 1 V/div (25 degrees left of 12 o'clock, 50 pixels from the
    // centre of the knob at 96, 96).
    const QPoint onPointer(75, 51);
    QCOMPARE(dialA->Picture().pixelColor(onPointer), QColor(255, 0, 0));
    QCOMPARE(dialB->Picture().pixelColor(onPointer), QColor(0, 0, 255));

    // The colours window changes lines 10 and 11 in memory only: green and yellow.
    QByteArray file = folder->ReadSettings();
    file.replace("\r\n255\r\n16711680\r\n", "\r\n65280\r\n65535\r\n");
    folder->WriteRaw(file);
    SessionOf(w.get()).LoadSettings();
    QCOMPARE(dialA->Picture().pixelColor(onPointer), QColor(255, 0, 0));
    ScreenOf(w.get()).StopAnimation();

    QSignalSpy redraws(&ScreenOf(w.get()), &ScreenController::redrawn);
    w->MainWindowActivated();
    QCOMPARE(redraws.size(), 1);
    QCOMPARE(dialA->Picture().pixelColor(onPointer), QColor(0, 255, 0));
    QCOMPARE(dialB->Picture().pixelColor(onPointer), QColor(255, 255, 0));
    QCOMPARE(dialA->grab().toImage().pixelColor(onPointer), QColor(0, 255, 0));
    // The link is not active: the idle animation runs again.
    QVERIFY(ScreenOf(w.get()).AnimationRunning());
}

void StartupTest::hardwareCheckToggles() {
    std::unique_ptr<MainWindow> w = Start();
    w->show();
    QWidget* grid = RegionOf(w.get(), Region::SampleGrid);
    QWidget* trigger = RegionOf(w.get(), Region::Trigger);
    QWidget* translation = RegionOf(w.get(), Region::Translation);
    SurfacesOf(w.get()).MenuAction(Command::HardwareCheck)->trigger();
    QVERIFY(grid->isVisible() && !trigger->isVisible() && !translation->isVisible());
    auto* table = grid->findChild<QAbstractItemView*>();
    QVERIFY(table && table->isVisible());
    QCOMPARE(table->model()->index(5, 0).data().toString(), QStringLiteral("5"));
    SurfacesOf(w.get()).MenuAction(Command::HardwareCheck)->trigger();
    QVERIFY(!grid->isVisible() && trigger->isVisible() && translation->isVisible());
}

void StartupTest::helpOpensItsTopic_data() {
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("shown");
    QTest::newRow("contents") << true << "som"
                              << "Sommaire";
    QTest::newRow("port dialog") << true << "rub11"
                                 << "Choix du port RS232";
    QTest::newRow("unknown topic") << true << "rub99"
                                   << "La rubrique « rub99 » n'existe pas";
    QTest::newRow("no help file") << false << "som"
                                  << "est introuvable";
}

void StartupTest::helpOpensItsTopic() {
    QFETCH(bool, withFile);
    QFETCH(QString, topic);
    QFETCH(QString, shown);
    if (withFile)
        QVERIFY(QFile::copy(qEnvironmentVariable("OSC_TEST_DATA") + QStringLiteral("/aide.hlp"),
                            folder->Path() + QStringLiteral("aide.hlp")));
    std::unique_ptr<MainWindow> w = Start();
    if (topic == QStringLiteral("som"))
        SurfacesOf(w.get()).MenuAction(Command::Help)->trigger();
    else
        w->ShowHelpTopic(topic);
    HelpViewer* help = Part<HelpViewer>(w.get(), "helpViewer");
    QVERIFY(help->isVisible());
    QCOMPARE(help->CurrentTopic(), topic);
    QVERIFY2(help->Browser()->toPlainText().contains(shown), qPrintable(shown));
    if (topic == QStringLiteral("rub11")) {
        // The topic's heading is scrolled into view, not the top of the file.
        QTextBrowser* b = help->Browser();
        QVERIFY(b->verticalScrollBar()->value() > 0);
        const QTextCursor at = b->cursorForPosition(QPoint(5, 5));
        QCOMPARE(at.block().text(), QStringLiteral("Choix du port RS232"));
    }
}

void StartupTest::quitWritesNothing_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("close box") << true;
    QTest::newRow("&Quitter") << false;
}

void StartupTest::quitWritesNothing() {
    QFETCH(bool, closeBox);
    std::unique_ptr<MainWindow> w = Start();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    const QByteArray before = folder->ReadSettings();
    SessionOf(w.get()).ChoosePort(QStringLiteral("changed in memory"));
    QVERIFY(ScreenOf(w.get()).AnimationRunning());
    QSignalSpy terminate(w.get(), &MainWindow::terminateRequested);
    if (closeBox)
        QVERIFY(w->close()); // the close is allowed
    else
        SurfacesOf(w.get()).MenuAction(Command::Quit)->trigger();
    QCOMPARE(terminate.size(), 1);
    QVERIFY(!ScreenOf(w.get()).AnimationRunning());
    QCOMPARE(folder->ReadSettings(), before);
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
