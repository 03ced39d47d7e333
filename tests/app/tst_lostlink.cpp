#include "AppSupport.h"
#include "TestTimings.h"
#include "app/MainWindow.h"
#include "dialogs/HelpViewer.h"
#include "link/CommandProtocol.h"
#include "link/SimulatedBox.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"

#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

// A lost link in the whole program, with the simulated box made to fail: what the status
// bar and the screen's frame say, the commands offered again, the panel and the output
// commands while the link is lost, the box back, and the help topic.
class LostLinkTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void lossIsShownAndTheProgramStaysUsable();
    void exchangeTextDuringAnExchangeNoticeOutside();
    void helpTopicIsInTheContents();

private:
    void Start();
    void Activate() { SurfacesOf(window.get()).MenuAction(Command::Activate)->trigger(); }
    QLabel* CommandPanel() const { return Part<QLabel>(window.get(), "statusPanel1"); }
    // Whether the frame of the screen's panel is drawn red, just outside the raster.
    bool FrameRed() const {
        const QImage panel = RegionOf(window.get(), Region::ScreenPanel)->grab().toImage();
        const QColor c = panel.pixelColor(3, 3);
        return c.red() > 180 && c.green() < 60 && c.blue() < 60;
    }
    QImage Raster() const {
        return RegionOf(window.get(), Region::ScreenPanel)
            ->findChild<ScreenView*>()
            ->Image()
            .convertToFormat(QImage::Format_RGB32);
    }

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MessageCapture> messages;
    std::unique_ptr<TimingsGuard> timings;
    std::unique_ptr<MainWindow> window;
    QPointer<SimulatedBox> box; // the last one made
    bool unplugged = false;     // the boxes made cannot be opened
    int made = 0;
};

void LostLinkTest::init() {
    folder = std::make_unique<ProgramFolder>();
    messages = std::make_unique<MessageCapture>();
    Timings quick = TimingsGuard::Quick();
    quick.splashTickMs = 1;
    quick.watchdogIntervalMs = 2;
    quick.supervisionMs = 50;
    timings = std::make_unique<TimingsGuard>(quick);
    unplugged = false;
    made = 0;
}

void LostLinkTest::cleanup() {
    window.reset();
    const QStringList errors = messages->Errors();
    timings.reset();
    messages.reset();
    folder.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
}

void LostLinkTest::Start() {
    folder->WriteSettings({{1, "SIMULATEUR"}, {16, "1"}});
    StartupEnvironment env;
    env.programFolder = folder->Path();
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    env.playSound = [](const QString&) {};
    env.linkFactory = [this](const QString&) {
        ++made;
        auto made = std::make_unique<SimulatedBox>();
        made->SetAnswerDelay(1);
        if (unplugged)
            made->Unplug();
        box = made.get();
        return made;
    };
    window = std::make_unique<MainWindow>(env);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    // The clock stands still: a redraw changes the raster only when a sweep does.
    ScreenOf(window.get()).SetClock([] { return QDateTime(QDate(2024, 6, 1), QTime(12, 0)); });
}

// The box's cable pulled out while it streams: the command panel says so at once, the
// frame around the screen turns red while the raster stays as it was, activation and the
// port's choice are offered again, every group stays usable; a pause and a copy work as
// ever, and the box back is told the state and streams again.
void LostLinkTest::lossIsShownAndTheProgramStaysUsable() {
    Start();
    Activate();
    Instrument& s = SessionOf(window.get());
    QTRY_VERIFY_WITH_TIMEOUT(box && box->SweepsSent() >= 2, 10000);
    CommandSurfaces& surfaces = SurfacesOf(window.get());
    QVERIFY(!surfaces.IsEnabled(Command::Activate));
    QVERIFY(!FrameRed());

    unplugged = true;
    box->Unplug();
    const QImage shown = Raster();
    QCOMPARE(CommandPanel()->text(), QStringLiteral("Liaison perdue : port fermé ou débranché"));
    QVERIFY(FrameRed());
    QVERIFY(surfaces.IsEnabled(Command::Activate));
    QVERIFY(surfaces.IsEnabled(Command::ChoosePort));
    for (Region r : {Region::TimeBase, Region::ChannelA, Region::Trigger, Region::Translation,
                     Region::Acquisition})
        QVERIFY(qobject_cast<QGroupBox*>(RegionOf(window.get(), r))->isEnabled());

    // A time base button changes the state and what the screen says, not the sweep.
    ButtonIn(RegionOf(window.get(), Region::TimeBase), QStringLiteral("20"))->click();
    QCOMPARE(s.State().timeBaseIndex, 5);
    QCOMPARE(CommandPanel()->text(), QStringLiteral("Liaison perdue : port fermé ou débranché"));
    // Paused, the output commands come on; a copy is the raster without the frame.
    ButtonIn(RegionOf(window.get(), Region::Acquisition), QStringLiteral("Pause"))->click();
    QVERIFY(surfaces.IsEnabled(Command::Copy));
    surfaces.MenuAction(Command::Copy)->trigger();
    const QImage copied =
        QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(copied, Raster());
    QCOMPARE(copied.size(), QSize(640, 320));
    // Only the time base's labels changed on the raster: its traces are the sweep shown.
    int changed = 0;
    for (int y = 32; y <= 288; ++y)
        for (int x = 20; x <= 620; ++x)
            changed += shown.pixel(x, y) != copied.pixel(x, y) ? 1 : 0;
    QCOMPARE(changed, 0);

    // The box back: told the state, streaming again, the frame and the offers gone.
    const int before = made;
    unplugged = false;
    QTRY_COMPARE_WITH_TIMEOUT(CommandPanel()->text(), QStringLiteral("Liaison rétablie"), 10000);
    QVERIFY(made > before);
    QCOMPARE(box->Settings().timeBaseIndex, 5);
    QVERIFY(!box->Settings().running);
    QVERIFY(!FrameRed());
    QVERIFY(!surfaces.IsEnabled(Command::Activate));
    QVERIFY(!surfaces.IsEnabled(Command::ChoosePort));
    const int sweeps = box->SweepsSent();
    QTRY_VERIFY_WITH_TIMEOUT(box->SweepsSent() >= sweeps + 2, 10000);
}

// During an exchange the command panel shows the exchange's own text; outside it, the
// session's notice.
void LostLinkTest::exchangeTextDuringAnExchangeNoticeOutside() {
    Timings t = ProgramTimings();
    t.restoredNoticeMs = 3000;
    TimingsGuard guard(t);
    Start();
    Activate();
    QTRY_VERIFY_WITH_TIMEOUT(box, 10000);
    QCOMPARE(CommandPanel()->text(), CommandProtocol::IdleText);
    box->Unplug();
    QTRY_COMPARE_WITH_TIMEOUT(CommandPanel()->text(), QStringLiteral("Liaison rétablie"), 10000);
    QStringList atWrite;
    connect(box, &SimulatedBox::dsrChanged, this, [&](bool on) {
        if (on)
            atWrite << CommandPanel()->text();
    });
    ButtonIn(RegionOf(window.get(), Region::ChannelA), QStringLiteral("DC"))->click();
    QCOMPARE(atWrite, QStringList{CommandProtocol::BusyText});
    QCOMPARE(CommandPanel()->text(), QStringLiteral("Liaison rétablie"));
    // The notice goes after a while; the blanks of an idle panel are back.
    QTRY_COMPARE_WITH_TIMEOUT(CommandPanel()->text(), CommandProtocol::IdleText, 20000);
}

// The help's contents lead to what the program does when the link is lost.
void LostLinkTest::helpTopicIsInTheContents() {
    QVERIFY(QFile::copy(qEnvironmentVariable("OSC_TEST_DATA") + QStringLiteral("/aide.hlp"),
                        folder->Path() + QStringLiteral("aide.hlp")));
    Start();
    SurfacesOf(window.get()).MenuAction(Command::Help)->trigger();
    QTextBrowser* browser = Part<HelpViewer>(window.get(), "helpViewer")->Browser();
    QVERIFY(browser->toHtml().contains(QStringLiteral("href=\"#liaison\"")));
    browser->setSource(QUrl(QStringLiteral("#liaison")));
    const QString text = browser->toPlainText();
    for (const char* words :
         {"Liaison perdue : câble débranché ou boîtier éteint", "« Liaison perdue : »",
          "Liaison rétablie", "Aucune donnée reçue depuis", "Activer la communication",
          "Choix du port", "/dev/serial/by-id"})
        QVERIFY2(text.contains(QString::fromUtf8(words)), words);
}

QTEST_MAIN(LostLinkTest)
#include "tst_lostlink.moc"
