#include "core/ErrorGuard.h"
#include "app/MainWindow.h"
#include "core/Messages.h"
#include "core/SettingsFile.h"
#include "app/SoundPlayer.h"
#include "core/Timings.h"
#include "dialogs/HelpViewer.h"
#include "dialogs/SplashWindow.h"
#include "screen/ScreenController.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

// Start-up, the shell of the main window and quitting, run as a user would meet them.
class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startWritesTheSettingsFile_data();
    void startWritesTheSettingsFile();
    void soundDeviceDecidesLines14And44_data();
    void soundDeviceDecidesLines14And44();
    void screenSizeCheck_data();
    void screenSizeCheck();
    void continueButtonEndsTheSplash();
    void unwritableFolderStillStarts();
    void menusAndShortcuts_data();
    void menusAndShortcuts();
    void popupAndToolBar();
    void layoutOfTheRegions();
    void portQuestionOnlyWhileNoPortChosen();
    void activationRewritesTheFileOnce();
    void hardwareCheckToggles();
    void helpOpensItsTopic_data();
    void helpOpensItsTopic();
    void quitWritesNothing();

private:
    MainWindow* Start(const QSize& screen = QSize(1280, 1024), bool sound = false);
    QByteArray ReadSettings() const;

    QTemporaryDir* dir = nullptr;
    QStringList messages;
    QStringList errors;
};

void StartupTest::initTestCase() {
    ProgramTimings().splashTickMs = 1;
    Messages::SetHandler([this](Messages::Kind kind, const QString& text) {
        messages << Messages::Title(kind) + QStringLiteral(": ") + text;
    });
    ErrorGuard::SetReporter([this](const QString& text) { errors << text; });
}

void StartupTest::init() {
    dir = new QTemporaryDir;
    messages.clear();
    errors.clear();
}

void StartupTest::cleanup() {
    QFile::setPermissions(dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    delete dir;
}

MainWindow* StartupTest::Start(const QSize& screen, bool sound) {
    StartupEnvironment env;
    env.programFolder = dir->path() + QStringLiteral("/");
    env.screenSize = screen;
    env.soundDevice = sound;
    return new MainWindow(env);
}

QByteArray StartupTest::ReadSettings() const {
    QFile f(dir->filePath(QStringLiteral("parametres.inf")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void StartupTest::startWritesTheSettingsFile_data() {
    QTest::addColumn<QByteArray>("before");
    QByteArray previous;
    for (int k = 1; k <= 50; ++k)
        previous += (k >= 18 && k <= 27 ? QByteArray("9") : "old" + QByteArray::number(k)) + "\n";
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("previous run, LF endings") << previous;
    QTest::newRow("text in every line") << QByteArray("abc\n").repeated(50);
    QTest::newRow("binary") << QByteArray("\x00\xff\x10\n\x80", 5).repeated(3000);
}

void StartupTest::startWritesTheSettingsFile() {
    QFETCH(QByteArray, before);
    if (!before.isEmpty()) {
        QFile f(dir->filePath(QStringLiteral("parametres.inf")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(before);
    }
    const PersistedSettings old =
        SettingsFile::Load(dir->filePath(QStringLiteral("parametres.inf")));
    std::unique_ptr<MainWindow> w(Start());
    QVERIFY(w->ShouldServe());
    QVERIFY(errors.isEmpty());
    QCOMPARE(w->windowTitle(), QStringLiteral("Oscilloscope Numérique à mémoire v1.7"));

    const QByteArray file = ReadSettings();
    QCOMPARE(file.count("\r\n"), 50);
    QCOMPARE(file.count('\n'), 50);
    const PersistedSettings now =
        SettingsFile::Load(dir->filePath(QStringLiteral("parametres.inf")));
    const char* start[] = {"128", "128", "12", "1", "VOIE_A_ON", "VOIE_B_OFF", "2", "2", "3", "3"};
    for (int k = 18; k <= 27; ++k)
        QCOMPARE(now.Line(k), QString::fromLatin1(start[k - 18]));
    QCOMPARE(now.Line(45), dir->path() + QStringLiteral("/"));
    QCOMPARE(now.Line(44), QStringLiteral("CARTE_SON_OFF"));
    for (int k : {29, 41, 42, 43, 46, 47, 48, 49, 50})
        QCOMPARE(now.RawLine(k), old.RawLine(k));
    // Memory and file agree.
    QCOMPARE(now, w->Settings());
}

void StartupTest::soundDeviceDecidesLines14And44_data() {
    QTest::addColumn<bool>("device");
    QTest::addColumn<QString>("line14");
    QTest::addColumn<QString>("line44");
    QTest::addColumn<QString>("played");
    QTest::newRow("no device") << false << "SON_OFF"
                               << "CARTE_SON_OFF"
                               << "";
    QTest::newRow("device") << true << "SON_ON"
                            << "CARTE_SON_ON"
                            << "accueil.wav";
}

void StartupTest::soundDeviceDecidesLines14And44() {
    QFETCH(bool, device);
    QFETCH(QString, played);
    QFile f(dir->filePath(QStringLiteral("parametres.inf")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    for (int k = 1; k <= 50; ++k)
        f.write(k == 14 ? "SON_ON\r\n" : "\r\n");
    f.close();
    std::unique_ptr<MainWindow> w(Start(QSize(1280, 1024), device));
    const PersistedSettings now = SettingsFile::Load(f.fileName());
    QTEST(now.Line(14), "line14");
    QTEST(now.Line(44), "line44");
    QCOMPARE(w->Sounds().LastRequested().section(u'/', -1), played);
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
    std::unique_ptr<MainWindow> w(Start(screen));
    QCOMPARE(w->ShouldServe(), serves);
    const QString resolution = QStringLiteral("%1 x %2").arg(screen.width()).arg(screen.height());
    QCOMPARE(w->Splash()->ResolutionLine(),
             QStringLiteral("Votre résolution graphique est de ") + resolution);
    if (serves) {
        QVERIFY(messages.isEmpty());
        return;
    }
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first(),
             QStringLiteral("Erreur: Désolé, votre résolution d'affichage de ") + resolution +
                 QStringLiteral("\n\r ne permet pas un affichage correct du programme.\n\r\n\r"
                                " Augmentez la résoltion de votre carte graphique...\n\r\n\r"
                                "         (Résolution minimale 1024 x 768)"));
    // The rest of start-up still ran: the file holds the start values.
    QVERIFY(ReadSettings().contains("\r\nVOIE_A_ON\r\nVOIE_B_OFF\r\n"));
}

void StartupTest::continueButtonEndsTheSplash() {
    ProgramTimings().splashTickMs = 60000;
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(50, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* splash = qobject_cast<SplashWindow*>(w))
                splash->ContinueButton()->click();
    });
    std::unique_ptr<MainWindow> w(Start());
    ProgramTimings().splashTickMs = 1;
    QVERIFY(clock.elapsed() < 30000);
    QVERIFY(!w->Splash()->isVisible());
    QCOMPARE(w->Splash()->SplashCounter(), SplashWindow::EndCount);
}

void StartupTest::unwritableFolderStillStarts() {
    // A folder that is a file cannot hold the settings file, even for root.
    QFile blocker(dir->filePath(QStringLiteral("folder")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    StartupEnvironment env;
    env.programFolder = blocker.fileName() + QStringLiteral("/");
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    std::unique_ptr<MainWindow> w(new MainWindow(env));
    QVERIFY(w->ShouldServe());
    QCOMPARE(errors.size(), 2); // both saves of start-up reported
    QVERIFY(errors.first().startsWith(QStringLiteral("Impossible d'enregistrer le fichier")));
    QCOMPARE(w->Settings().Line(20), QStringLiteral("12")); // memory holds the start values
}

void StartupTest::menusAndShortcuts_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("enabled");
    // clang-format off
    QTest::newRow("save")     << int(Command::Save)              << "&Sauvegarder"                             << "Ctrl+S"     << false;
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
    // clang-format on
}

void StartupTest::menusAndShortcuts() {
    QFETCH(int, command);
    std::unique_ptr<MainWindow> w(Start());
    QAction* a = w->Surfaces().MenuAction(static_cast<Command>(command));
    QTEST(a->text(), "caption");
    QTEST(a->shortcut().toString(), "shortcut");
    QTEST(a->isEnabled(), "enabled");
    const QStringList menus = {QStringLiteral("&Fichier"),       QStringLiteral("&Edition"),
                               QStringLiteral("&Communication"), QStringLiteral("&Options"),
                               QStringLiteral("Math"),           QStringLiteral("&Aide")};
    QStringList titles;
    for (QAction* m : w->menuBar()->actions())
        titles << m->text();
    QCOMPARE(titles, menus);
    QVERIFY(w->Surfaces().MenuAction(Command::MathNone)->isChecked());
}

void StartupTest::popupAndToolBar() {
    std::unique_ptr<MainWindow> w(Start());
    QStringList popup;
    for (QAction* a : w->Surfaces().PopupMenu()->actions())
        popup << (a->isSeparator() ? QStringLiteral("-")
                                   : a->text() + QStringLiteral(" ") + a->shortcut().toString());
    QCOMPARE(
        popup,
        QStringList({"&Activer la communication Ctrl+A",
                     "Choix du &port (physique ou virtuel USB) Ctrl+P", "-", "Sauvegarder Ctrl+S",
                     "Copier Ctrl+C", "Aperçu avant impression Ctrl+I", "-", "Graticule Ctrl+G",
                     "Couleurs Ctrl+L", "Paramèt&res de démarrage Ctrl+R", "-", "Aide Ctrl+D"}));
    QVERIFY(!w->Surfaces().PopupAction(Command::Save)->isEnabled());
    QVERIFY(w->Surfaces().PopupAction(Command::Graticule)->isEnabled());

    CommandSurfaces& s = w->Surfaces();
    QCOMPARE(s.ToolAction(Command::Quit)->toolTip(), QStringLiteral("Quitter"));
    QCOMPARE(s.ToolAction(Command::Quit)->statusTip(), QStringLiteral("Quitter le programme..."));
    QCOMPARE(s.ToolAction(Command::Activate)->toolTip(), QStringLiteral("Activer RS232 / USB"));
    QCOMPARE(s.ToolAction(Command::Colours)->statusTip(),
             QStringLiteral("Définir les couleurs des traces VOIE A et VOIE B et de quelques "
                            "options complémentaires..."));
    QCOMPARE(s.ToolAction(Command::Help)->toolTip(), QStringLiteral(" Aide"));
    for (Command c :
         {Command::Save, Command::Copy, Command::PrintPreview, Command::MathNone, Command::MathSum})
        QVERIFY(!s.ToolAction(c)->isEnabled());
    QVERIFY(s.ToolAction(Command::Quit)->isEnabled());

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
    std::unique_ptr<MainWindow> w(Start());
    QCOMPARE(w->Client()->size(), QSize(964, 676));
    struct Row {
        Region region;
        const char* caption;
        QRect geometry;
        bool visible;
    };
    const Row rows[] = {
        {Region::ScreenPanel, nullptr, {8, 32, 662, 341}, true},
        {Region::SpectrumPanel, nullptr, {8, 32, 662, 341}, false},
        {Region::TimeBase, " Time/Div : ", {672, 25, 289, 297}, true},
        {Region::Magnifier, nullptr, {848, 46, 98, 29}, true},
        {Region::Acquisition, " Acquisition des traces : ", {672, 328, 289, 50}, true},
        {Region::Trigger, " Sélection du Trigger : ", {672, 383, 289, 121}, true},
        {Region::Translation,
         " Translation des traces (C = Carreaux) : ",
         {672, 510, 289, 145},
         true},
        {Region::SampleGrid, nullptr, {664, 384, 297, 273}, false},
        {Region::ChannelA, " Volts/Div VOIE A (Axe X) : ", {16, 374, 297, 281}, true},
        {Region::ChannelB, " Volts/Div VOIE B (Axe Y) : ", {360, 374, 297, 281}, true},
    };
    w->show();
    for (const Row& r : rows) {
        QWidget* region = w->RegionWidget(r.region);
        QCOMPARE(region->geometry(), r.geometry);
        QCOMPARE(region->isVisible(), r.visible);
        if (r.caption)
            QCOMPARE(static_cast<QGroupBox*>(region)->title(), QString::fromUtf8(r.caption));
    }
    // The front panel cannot send anything before the link is active.
    for (Region r : {Region::TimeBase, Region::Acquisition, Region::Trigger, Region::ChannelA,
                     Region::ChannelB, Region::Translation, Region::Magnifier})
        for (QAbstractButton* b : w->RegionWidget(r)->findChildren<QAbstractButton*>())
            QVERIFY2(!b->isEnabled() || !b->isVisible(), qPrintable(b->text() + b->toolTip()));
    QCOMPARE(w->StatusPanel(0)->width(), 550);
    QCOMPARE(w->StatusPanel(1)->width(), 250);
    QCOMPARE(w->StatusPanel(2)->width(), 100);
    QVERIFY(!w->ProgressBar()->isVisible());
    QCOMPARE(w->ProgressBar()->geometry(), QRect(805, 659, 156, 14));
}

void StartupTest::portQuestionOnlyWhileNoPortChosen() {
    std::unique_ptr<MainWindow> w(Start());
    QSignalSpy spy(w.get(), &MainWindow::portSelectionRequested);
    w->Settings().SetLine(16, QStringLiteral("0"));
    w->MainWindowActivated();
    QCOMPARE(messages,
             QStringList(QStringLiteral(
                 "Information: Vous devez sélectionner le port de communication série (physique ou "
                 "virtuel USB) utilisé avec l'oscilloscope.")));
    QCOMPARE(spy.size(), 1);
    w->Settings().SetLine(16, QStringLiteral("1")); // the port window was shown
    w->MainWindowActivated();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(spy.size(), 1);
}

void StartupTest::activationRewritesTheFileOnce() {
    std::unique_ptr<MainWindow> w(Start());
    w->Settings().SetLine(1, QStringLiteral("SIMULATEUR"));
    QVERIFY(!ReadSettings().startsWith("SIMULATEUR"));
    w->Settings().SetLine(16, QStringLiteral("1"));
    w->MainWindowActivated();
    QVERIFY(ReadSettings().startsWith("SIMULATEUR\r\n"));
}

void StartupTest::hardwareCheckToggles() {
    std::unique_ptr<MainWindow> w(Start());
    w->show();
    QWidget* grid = w->RegionWidget(Region::SampleGrid);
    QWidget* trigger = w->RegionWidget(Region::Trigger);
    QWidget* translation = w->RegionWidget(Region::Translation);
    w->Surfaces().MenuAction(Command::HardwareCheck)->trigger();
    QVERIFY(grid->isVisible() && !trigger->isVisible() && !translation->isVisible());
    auto* table = grid->findChild<QAbstractItemView*>();
    QVERIFY(table && table->isVisible());
    QCOMPARE(table->model()->index(5, 0).data().toString(), QStringLiteral("5"));
    w->Surfaces().MenuAction(Command::HardwareCheck)->trigger();
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
                            dir->filePath(QStringLiteral("aide.hlp"))));
    std::unique_ptr<MainWindow> w(Start());
    if (topic == QStringLiteral("som"))
        w->Surfaces().MenuAction(Command::Help)->trigger();
    else
        w->ShowHelpTopic(topic);
    QVERIFY(w->Help()->isVisible());
    QCOMPARE(w->Help()->CurrentTopic(), topic);
    QVERIFY2(w->Help()->Browser()->toPlainText().contains(shown), qPrintable(shown));
    if (topic == QStringLiteral("rub11")) {
        // The topic's heading is scrolled into view, not the top of the file.
        QTextBrowser* b = w->Help()->Browser();
        QVERIFY(b->verticalScrollBar()->value() > 0);
        const QTextCursor at = b->cursorForPosition(QPoint(5, 5));
        QCOMPARE(at.block().text(), QStringLiteral("Choix du port RS232"));
    }
}

void StartupTest::quitWritesNothing() {
    std::unique_ptr<MainWindow> w(Start());
    w->show();
    const QByteArray before = ReadSettings();
    w->Settings().SetLine(2, QStringLiteral("changed in memory"));
    QVERIFY(w->Screen().AnimationRunning());
    QSignalSpy terminate(w.get(), &MainWindow::terminateRequested);
    QVERIFY(w->close()); // the close box runs the quit operation and is allowed
    QCOMPARE(terminate.size(), 1);
    QVERIFY(!w->Screen().AnimationRunning());
    QCOMPARE(ReadSettings(), before);
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
