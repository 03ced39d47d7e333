#include "core/ErrorGuard.h"
#include "app/MainWindow.h"
#include "core/Messages.h"
#include "core/Timings.h"
#include "link/CommandProtocol.h"
#include "dialogs/CommunicationWindow.h"
#include "link/SimulatedBox.h"
#include "panel/FrontPanel.h"
#include "panel/TranslationPanel.h"
#include "screen/ScreenController.h"
#include "panel/TraceSwitch.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The whole program against the simulated box, with short waits: activation, the
// start-up restore, front-panel clicks and a box that stops answering.
class ActivationTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void activationWakesAndInitialises();
    void restoreSendsTheSavedSettings_data();
    void restoreSendsTheSavedSettings();
    void silentBoxEndsTheProgram();
    void groundOnTriggerChannel();
    void pauseAndPlay();
    void translationToTheUpperLimit();
    void translationBackToTheStart();
    void sweepsReachTheScreen();
    void quitSendsTheFinalCommandOnce();

private:
    void Start(const QList<QPair<int, QString>>& lines = {});
    QStringList CommandsAfter(int first) const;
    QAbstractButton* Button(Region region, const QString& text) const;

    QTemporaryDir* dir = nullptr;
    std::unique_ptr<MainWindow> window;
    SimulatedBox* box = nullptr;
    bool silent = false;
    QStringList messages;
    QStringList errors;
};

void ActivationTest::initTestCase() {
    Timings& t = ProgramTimings();
    t.splashTickMs = 1;
    t.beforeWriteMs = 5;
    t.afterWriteMs = 5;
    t.watchdogIntervalMs = 2;
    t.commWindowMs = 5;
    Messages::SetHandler([this](Messages::Kind kind, const QString& text) {
        messages << Messages::Title(kind) + QStringLiteral(": ") + text;
    });
    ErrorGuard::SetReporter([this](const QString& text) { errors << text; });
}

void ActivationTest::init() {
    dir = new QTemporaryDir;
    messages.clear();
    errors.clear();
    silent = false;
    box = nullptr;
}

void ActivationTest::cleanup() {
    window.reset();
    delete dir;
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
}

void ActivationTest::Start(const QList<QPair<int, QString>>& lines) {
    QFile f(dir->filePath(QStringLiteral("parametres.inf")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    for (int k = 1; k <= 50; ++k) {
        QString text = k == 1    ? QStringLiteral("SIMULATEUR")
                       : k == 16 ? QStringLiteral("1")
                                 : QString();
        for (const auto& [line, value] : lines)
            if (line == k)
                text = value;
        f.write(text.toUtf8() + "\r\n");
    }
    f.close();
    StartupEnvironment env;
    env.programFolder = dir->path() + QStringLiteral("/");
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    env.linkFactory = [this](const QString&) {
        auto made = std::make_unique<SimulatedBox>();
        made->SetAnswerDelay(1);
        made->SetSilent(silent);
        box = made.get();
        return made;
    };
    window = std::make_unique<MainWindow>(env);
    window->show();
}

QStringList ActivationTest::CommandsAfter(int first) const {
    QStringList texts;
    const auto& received = box->Commands();
    for (int i = first; i < received.size(); ++i)
        texts << QString::fromLatin1(received[i].text);
    return texts;
}

QAbstractButton* ActivationTest::Button(Region region, const QString& text) const {
    for (QAbstractButton* b : window->RegionWidget(region)->findChildren<QAbstractButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

void ActivationTest::activationWakesAndInitialises() {
    Start();
    window->Surfaces().MenuAction(Command::Activate)->trigger();
    QVERIFY(window->LinkActive());
    QCOMPARE(CommandsAfter(0), QStringList({"Z1", "?&"}));
    QVERIFY(box->Commands()[0].rtsHigh); // the wake-up is written with RTS up
    QVERIFY(box->Acquiring());
    // Channel A's controls work, channel B's stay locked until its trace is switched on.
    QVERIFY(Button(Region::ChannelA, QStringLiteral("DC"))->isEnabled());
    QVERIFY(!Button(Region::ChannelB, QStringLiteral("DC"))->isEnabled());
    QVERIFY(Button(Region::Trigger, QStringLiteral("OFF"))->isChecked());
    QVERIFY(window->Instrument().channelA.traceOn);
    QVERIFY(!window->Instrument().channelB.traceOn);
    // Activation is done once; the port can no longer be changed; start-up parameters open.
    QVERIFY(!window->Surfaces().IsEnabled(Command::Activate));
    QVERIFY(!window->Surfaces().IsEnabled(Command::ChoosePort));
    QVERIFY(window->Surfaces().IsEnabled(Command::StartupParameters));
    QVERIFY(!window->Screen().AnimationRunning());
    // The communication notice goes away on its own.
    QTRY_VERIFY(!window->CommunicationNotice()->isVisible());
}

void ActivationTest::restoreSendsTheSavedSettings_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("nothing") << "0" << QStringList();
    QTest::newRow("everything") << "63"
                                << QStringList({"T03&", "U&", "I&", "J&", "A4*&", "B5*&", "Q100#&",
                                                "R150#&"});
    QTest::newRow("couplings") << "8" << QStringList({"H&", "M&"});
    QTest::newRow("negative") << "-1" << QStringList();
}

void ActivationTest::restoreSendsTheSavedSettings() {
    QFETCH(QString, mask);
    QFETCH(QStringList, expected);
    const QString saved[] = {"100", "150", "9", "2", "VOIE_A_ON", "VOIE_B_ON", "3", "1", "4", "5"};
    QList<QPair<int, QString>> lines{{28, mask}};
    for (int k = 30; k <= 39; ++k)
        lines << qMakePair(k, saved[k - 30]);
    if (mask == QStringLiteral("8"))
        lines << qMakePair(36, QStringLiteral("2")) << qMakePair(37, QStringLiteral("3"));
    Start(lines);
    window->Surfaces().MenuAction(Command::Activate)->trigger();
    QCOMPARE(CommandsAfter(2), expected);
    if (mask == QStringLiteral("63")) {
        const InstrumentSettings& i = window->Instrument();
        QCOMPARE(i.timeBaseIndex, 9);
        QCOMPARE(i.triggerSource, TriggerSource::ChannelA);
        QVERIFY(i.channelB.traceOn);
        QCOMPARE(i.channelA.voltsPerDivIndex, 4);
        QCOMPARE(i.channelB.verticalPosition, 150);
        // The lines in force follow, in the file too.
        QFile f(dir->filePath(QStringLiteral("parametres.inf")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> file = f.readAll().split('\n');
        QCOMPARE(file[17].trimmed(), QByteArray("100"));
        QCOMPARE(file[19].trimmed(), QByteArray("9"));
        QCOMPARE(file[22].trimmed(), QByteArray("VOIE_B_ON"));
    }
}

void ActivationTest::silentBoxEndsTheProgram() {
    silent = true;
    Start({{14, QStringLiteral("SON_ON")}});
    QSignalSpy terminate(window.get(), &MainWindow::terminateRequested);
    window->Surfaces().MenuAction(Command::Activate)->trigger();
    QVERIFY(window->LinkFailed());
    QVERIFY(!window->LinkActive());
    QCOMPARE(terminate.size(), 1);
    QCOMPARE(
        messages,
        QStringList(QStringLiteral(
            "Avertissement:                Erreur de communication !!!\n\r\n\r      Le logiciel de "
            "l'oscilloscope doit s'arrêter.\n\rCliquez sur Ok et patientez quelques secondes...")));
    QCOMPARE(window->Settings().Line(14), QStringLiteral("SON_OFF"));
    QCOMPARE(window->StatusPanel(1)->text(),
             QStringLiteral(" Echec de la communication série...             "));
    // No "?&" was sent, and the notice never showed.
    QCOMPARE(CommandsAfter(0), QStringList({"Z1"}));
    QVERIFY(!window->CommunicationNotice()->isVisible());
}

void ActivationTest::groundOnTriggerChannel() {
    Start();
    window->Surfaces().MenuAction(Command::Activate)->trigger();
    auto* traceB = window->RegionWidget(Region::ChannelB)->findChild<TraceSwitch*>();
    QVERIFY(traceB);
    QTest::mouseClick(traceB, Qt::LeftButton);
    QVERIFY(window->Instrument().channelB.traceOn);
    Button(Region::ChannelB, QStringLiteral("DC"))->click();
    Button(Region::Trigger, QStringLiteral("VOIE A"))->click();
    const int before = box->Commands().size();
    // GND on channel B sends its coupling command only; the trigger shows OFF while it
    // stays armed.
    Button(Region::ChannelB, QStringLiteral("GND"))->click();
    QCOMPARE(CommandsAfter(before), QStringList({"K&"}));
    QCOMPARE(window->Instrument().triggerSource, TriggerSource::Off);
    QVERIFY(window->Instrument().triggerArmed);
    QVERIFY(Button(Region::Trigger, QStringLiteral("OFF"))->isChecked());
}

void ActivationTest::pauseAndPlay() {
    Start();
    window->Surfaces().MenuAction(Command::Activate)->trigger();
    const int before = box->Commands().size();
    Button(Region::Acquisition, QStringLiteral("Pause"))->click();
    QVERIFY(!window->Instrument().running);
    QVERIFY(!box->Settings().running);
    QVERIFY(window->Surfaces().IsEnabled(Command::Save));
    QVERIFY(!Button(Region::TimeBase, QStringLiteral("1"))->isEnabled());
    QVERIFY(!Button(Region::Trigger, QStringLiteral("VOIE A"))->isEnabled());
    Button(Region::Acquisition, QStringLiteral("Lecture"))->click();
    QCOMPARE(CommandsAfter(before), QStringList({"P&", "L&"}));
    QVERIFY(window->Instrument().running);
    QVERIFY(!window->Surfaces().IsEnabled(Command::Save));
    QVERIFY(Button(Region::TimeBase, QStringLiteral("1"))->isEnabled());
    QVERIFY(Button(Region::Trigger, QStringLiteral("VOIE A"))->isEnabled());
}

void ActivationTest::translationToTheUpperLimit() {
    Start();
    window->Surfaces().MenuAction(Command::Activate)->trigger();
    window->Window().SetStart(1740);
    window->Panel().Translation().ShowStartState();
    Button(Region::Translation, QStringLiteral("0.1 C"))->click(); // 3 samples
    const int before = box->Commands().size();
    for (int i = 0; i < 3; ++i)
        Button(Region::Translation, QStringLiteral(">"))->click();
    QCOMPARE(CommandsAfter(before), QStringList({"d1743#&", "d1746#&", "d1747#&"}));
    QCOMPARE(window->Window().Start(), 1747);
    QCOMPARE(messages,
             QStringList(QStringLiteral("Information:                Dernière  translation...\r\n"
                                        "Vous avez atteint la limite supérieure de la RAM !")));
    QCOMPARE(box->Settings().windowStart, 1747);
}

void ActivationTest::translationBackToTheStart() {
    Start();
    window->Surfaces().MenuAction(Command::Activate)->trigger();
    window->Window().SetStart(20); // a start no sequence of steps reaches
    window->Panel().Translation().ShowStartState();
    Button(Region::Translation, QStringLiteral("1 C"))->click(); // one division: 30 samples
    const int before = box->Commands().size();
    Button(Region::Translation, QStringLiteral("<"))->click();
    QCOMPARE(CommandsAfter(before), QStringList({"g0#&"}));
    QCOMPARE(window->Window().Start(), 0);
}

void ActivationTest::sweepsReachTheScreen() {
    Start();
    window->Surfaces().MenuAction(Command::Activate)->trigger();
    Button(Region::ChannelA, QStringLiteral("DC"))->click();
    const int sweeps = box->SweepsSent();
    QTRY_VERIFY_WITH_TIMEOUT(box->SweepsSent() >= sweeps + 2, 3000);
    // A sine on channel A: its displayed codes are no longer the flat start value.
    QSet<QString> codes;
    for (int row = 1; row <= 300; ++row)
        codes.insert(window->Samples().Cell(SampleTable::DisplayA, row));
    QVERIFY(codes.size() > 20);
}

void ActivationTest::quitSendsTheFinalCommandOnce() {
    Start();
    window->Surfaces().MenuAction(Command::Activate)->trigger();
    QSignalSpy terminate(window.get(), &MainWindow::terminateRequested);
    const int before = box->Commands().size();
    window->Surfaces().MenuAction(Command::Quit)->trigger();
    window->close();
    QTRY_COMPARE(terminate.size(), 1);
    QCOMPARE(CommandsAfter(before), QStringList({"F&"}));
}

QTEST_MAIN(ActivationTest)
#include "tst_activation.moc"
