#include "AppSupport.h"
#include "TestTimings.h"
#include "app/MainWindow.h"
#include "app/SingleInstanceGuard.h"
#include "core/CommandLineMessage.h"
#include "dialogs/SplashWindow.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <memory>

#include <csignal>

namespace {

const QString Executable = QStringLiteral(OSC_EXECUTABLE);
const QString FactoryData = QStringLiteral(OSC_SOURCE_DATA);

// A copy of the program in a folder of its own: the executable, its data files and a
// settings file that starts it quietly on the simulated box.
class ProgramCopy {
public:
    ProgramCopy() {
        QDir data(FactoryData);
        for (const QString& name : data.entryList(QDir::Files))
            QFile::copy(data.filePath(name), dir.filePath(name));
        QFile::copy(Executable, ExecutablePath());
        QByteArray settings;
        for (int k = 1; k <= 50; ++k)
            settings += (k == 1    ? "SIMULATEUR"
                         : k == 14 ? "SON_OFF"
                         : k == 16 ? "1"
                                   : "") +
                        QByteArray("\r\n");
        QFile f(SettingsPath());
        if (f.open(QIODevice::WriteOnly))
            f.write(settings);
        QDir().mkpath(ConfigHome());
        QDir().mkpath(RuntimeFolder());
        QFile::setPermissions(RuntimeFolder(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString ExecutablePath() const { return dir.filePath(QStringLiteral("oscilloscope")); }
    QString SettingsPath() const { return dir.filePath(QStringLiteral("parametres.inf")); }
    QString RuntimeFolder() const { return dir.filePath(QStringLiteral("runtime")); }
    QString ConfigHome() const { return dir.filePath(QStringLiteral("config")); }
    QByteArray Settings() const {
        QFile f(SettingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Every name in the folder and below it.
    QStringList Tree() const {
        QStringList names;
        QDirIterator it(dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            names << it.next();
        names.sort();
        return names;
    }
    // The program started headless, in this folder, with the given parameters.
    std::unique_ptr<QProcess> Start(const QStringList& parameters = {}) const {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), RuntimeFolder());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), ConfigHome());
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(ExecutablePath(), parameters);
        return process;
    }
    // The guard a copy of this program makes, for the test to play the first copy.
    std::unique_ptr<SingleInstanceGuard> Guard() const {
        return std::make_unique<SingleInstanceGuard>(RuntimeFolder(),
                                                     QStringLiteral("oscilloscope"));
    }

private:
    QTemporaryDir dir;
};

// Waits for a started process to end, the event loop running meanwhile (so that a guard
// of the test can answer it).
bool Ends(QProcess& process, int timeoutMs = 60000) {
    if (process.state() == QProcess::NotRunning)
        return true;
    QSignalSpy finished(&process, &QProcess::finished);
    return finished.wait(timeoutMs);
}

// A client of the guard's socket that sends `bytes` and waits until the guard answers or
// drops it. Returns the answer (empty when dropped).
QByteArray Send(const QString& serverPath, const QByteArray& bytes) {
    QLocalSocket client;
    client.connectToServer(serverPath);
    if (!client.waitForConnected(10000))
        return "not connected";
    client.write(bytes);
    QByteArray answer;
    QObject::connect(&client, &QLocalSocket::readyRead, [&] { answer += client.readAll(); });
    QElapsedTimer clock;
    clock.start();
    while (client.state() != QLocalSocket::UnconnectedState && clock.elapsed() < 30000)
        QTest::qWait(10);
    if (client.state() != QLocalSocket::UnconnectedState)
        return "still connected";
    answer += client.readAll();
    return answer;
}

QByteArray WithCount(qint32 count) {
    QByteArray message = CommandLineMessage::Encode({QStringLiteral("/x/oscilloscope")});
    qToLittleEndian<qint32>(count, message.data());
    return message;
}

} // namespace

// One copy serves the user: a later start hands its command line to the running copy and
// ends before its own start-up; a killed copy leaves nothing that stops the next one; what
// any local process sends to the running copy neither crashes nor blocks it.
class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void secondStartHandsOverAndEnds();
    void secondStartEndsWhenTheFirstHangs();
    void killedFirstCopyLeavesNothingInTheWay();
    void staleLockOfAKilledStartIsTaken();
    void simultaneousStartsMakeOneFirstCopy();
    void hostileMessages_data();
    void hostileMessages();
    void connectionFloodIsDropped();
    void handOverDuringStartupKeepsTheWindowHidden();
};

void SingleInstanceTest::secondStartHandsOverAndEnds() {
    ProgramCopy copy;
    auto first = copy.Guard();
    QCOMPARE(first->Claim({QStringLiteral("first")}), SingleInstanceGuard::Outcome::First);
    QSignalSpy received(first.get(), &SingleInstanceGuard::commandLineReceived);
    const QByteArray settings = copy.Settings();
    const QStringList tree = copy.Tree();

    auto second = copy.Start({QStringLiteral("un"), QStringLiteral("deux é")});
    QVERIFY(Ends(*second));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(received.count(), 1);
    const QStringList expected{copy.ExecutablePath(), QStringLiteral("un"),
                               QStringLiteral("deux é")};
    QCOMPARE(received.first().first().toStringList(), expected);
    QCOMPARE(first->CommandLine(), expected);
    // The second copy wrote nothing: the settings file byte for byte, no new file, nothing
    // in the configuration folder.
    QCOMPARE(copy.Settings(), settings);
    QCOMPARE(copy.Tree(), tree);
    QVERIFY(first->Listening());
}

void SingleInstanceTest::secondStartEndsWhenTheFirstHangs() {
    ProgramCopy copy;
    // A first copy that takes connections and never answers.
    auto first = copy.Guard();
    QLocalServer hung;
    QVERIFY(hung.listen(first->ServerPath()));
    const QByteArray settings = copy.Settings();

    auto second = copy.Start();
    // The event loop does not run here: the connection waits in the socket's queue.
    QVERIFY(second->waitForFinished(120000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(copy.Settings(), settings);
    QVERIFY(hung.isListening());
    QVERIFY(QFile::exists(first->ServerPath())); // the live socket was not removed
}

void SingleInstanceTest::killedFirstCopyLeavesNothingInTheWay() {
    ProgramCopy copy;
    auto first = copy.Start();
    const QString socket = copy.Guard()->ServerPath();
    // It listens before its splash wait.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 60000);
    first->kill();
    QVERIFY(first->waitForFinished(30000));
    QVERIFY2(QFile::exists(socket), "the killed copy left its socket behind");

    // The next start is a first copy, and later starts hand over to it.
    auto next = copy.Guard();
    QCOMPARE(next->Claim({QStringLiteral("next")}), SingleInstanceGuard::Outcome::First);
    QVERIFY(next->Listening());
    QSignalSpy received(next.get(), &SingleInstanceGuard::commandLineReceived);
    auto later = copy.Start({QStringLiteral("plus tard")});
    QVERIFY(Ends(*later));
    QCOMPARE(later->exitCode(), 0);
    QCOMPARE(received.count(), 1);
    QCOMPARE(next->CommandLine().value(1), QStringLiteral("plus tard"));

    // Once it ends, its socket goes with it.
    next.reset();
    QVERIFY(!QFile::exists(socket));
}

void SingleInstanceTest::staleLockOfAKilledStartIsTaken() {
    ProgramCopy copy;
    auto guard = copy.Guard();
    // The lock file of a start that was killed while it held it.
    QProcess gone;
    gone.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    QVERIFY(gone.waitForStarted());
    const qint64 pid = gone.processId();
    gone.kill();
    QVERIFY(gone.waitForFinished());
    QFile lock(guard->LockPath());
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(pid) + "\noscilloscope\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();

    QCOMPARE(guard->Claim({QStringLiteral("x")}), SingleInstanceGuard::Outcome::First);
    QVERIFY(guard->Listening());
    QVERIFY(!QFile::exists(guard->LockPath())); // released once the claim is made
}

void SingleInstanceTest::simultaneousStartsMakeOneFirstCopy() {
    ProgramCopy copy;
    std::vector<std::unique_ptr<QProcess>> starts;
    for (int i = 0; i < 3; ++i)
        starts.push_back(copy.Start({QString::number(i)}));
    // Two of them hand over and end; one stays and serves.
    const auto ended = [&] {
        return std::count_if(starts.begin(), starts.end(),
                             [](const auto& p) { return p->state() == QProcess::NotRunning; });
    };
    QTRY_COMPARE_WITH_TIMEOUT(ended(), 2, 120000);
    for (const auto& p : starts)
        if (p->state() == QProcess::NotRunning) {
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0);
        }
    QTest::qWait(2000);
    QCOMPARE(ended(), 2);
    QVERIFY(QFile::exists(copy.Guard()->ServerPath()));
    for (const auto& p : starts)
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            QVERIFY(p->waitForFinished(30000));
        }
}

void SingleInstanceTest::hostileMessages_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray valid = CommandLineMessage::Encode({QStringLiteral("/x/osc")});
    QTest::newRow("nothing sent") << QByteArray();
    QTest::newRow("1 byte") << QByteArray(1, '\x05');
    QTest::newRow("2819 bytes") << valid.left(2819);
    QTest::newRow("2821 bytes") << valid + 'x';
    QTest::newRow("1 MB") << QByteArray(1 << 20, '\x7f');
    QTest::newRow("n = -1") << WithCount(-1);
    QTest::newRow("n = 11") << WithCount(11);
    QTest::newRow("n = 2^31 - 1") << WithCount(0x7fffffff);
    QByteArray cut = WithCount(10);
    cut[4 + 256 * 10] = '\xff';
    QTest::newRow("length byte past the end") << cut.left(4 + 256 * 10 + 1);
}

void SingleInstanceTest::hostileMessages() {
    QFETCH(QByteArray, bytes);
    ProgramCopy copy;
    auto first = copy.Guard();
    first->SetConnectionTimeout(300);
    QCOMPARE(first->Claim({QStringLiteral("first")}), SingleInstanceGuard::Outcome::First);
    QSignalSpy received(first.get(), &SingleInstanceGuard::commandLineReceived);

    // The connection is dropped without an answer, at once or when its time is up.
    QCOMPARE(Send(first->ServerPath(), bytes), QByteArray());
    QCOMPARE(received.count(), 0);
    QCOMPARE(first->CommandLine(), QStringList{QStringLiteral("first")});

    // The first copy still serves a real hand-over.
    const QStringList args{QStringLiteral("/x/osc"), QStringLiteral("ok")};
    QCOMPARE(Send(first->ServerPath(), CommandLineMessage::Encode(args)), QByteArray("\x01"));
    QCOMPARE(received.count(), 1);
    QCOMPARE(first->CommandLine(), args);
}

void SingleInstanceTest::connectionFloodIsDropped() {
    ProgramCopy copy;
    auto first = copy.Guard();
    first->SetConnectionTimeout(300);
    QCOMPARE(first->Claim({QStringLiteral("first")}), SingleInstanceGuard::Outcome::First);
    // Many silent connections at once: each is dropped, none holds the copy.
    std::vector<std::unique_ptr<QLocalSocket>> flood;
    for (int i = 0; i < 40; ++i) {
        flood.push_back(std::make_unique<QLocalSocket>());
        flood.back()->connectToServer(first->ServerPath());
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(flood.begin(), flood.end(),
                    [](const auto& s) { return s->state() == QLocalSocket::UnconnectedState; }),
        30000);
    const QStringList args{QStringLiteral("/x/osc")};
    QCOMPARE(Send(first->ServerPath(), CommandLineMessage::Encode(args)), QByteArray("\x01"));
}

void SingleInstanceTest::handOverDuringStartupKeepsTheWindowHidden() {
    ProgramCopy copy;
    ProgramFolder folder;
    MessageCapture messages;
    // The splash would last far longer than the test: the hand-over ends it.
    Timings longSplash;
    longSplash.splashTickMs = 60000;
    TimingsGuard timings(longSplash);

    auto guard = copy.Guard();
    QCOMPARE(guard->Claim({QStringLiteral("first")}), SingleInstanceGuard::Outcome::First);
    std::unique_ptr<QProcess> second;
    bool shownWhenReceived = true;
    connect(guard.get(), &SingleInstanceGuard::commandLineReceived, this, [&] {
        bool shown = false;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<MainWindow*>(w))
                shown = shown || w->isVisible();
            if (auto* splash = qobject_cast<SplashWindow*>(w))
                splash->SetSplashCounter(SplashWindow::EndCount);
        }
        shownWhenReceived = shown;
    });
    // Started from inside the splash wait.
    QTimer::singleShot(0, this, [&] { second = copy.Start({QStringLiteral("pendant")}); });

    StartupEnvironment env;
    env.programFolder = folder.Path();
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    env.playSound = [](const QString&) {};
    env.instanceGuard = guard.get();
    MainWindow window(env);
    QVERIFY(second);
    QVERIFY(!shownWhenReceived);
    QVERIFY(!window.isVisible());
    QCOMPARE(guard->CommandLine().value(1), QStringLiteral("pendant"));
    QVERIFY(Ends(*second));
    QCOMPARE(second->exitCode(), 0);

    // Once shown and minimised, a later start restores it.
    window.show();
    window.showMinimized();
    QVERIFY(window.isMinimized());
    auto later = copy.Start();
    QVERIFY(Ends(*later));
    QCOMPARE(later->exitCode(), 0);
    QVERIFY(!window.isMinimized());
    QVERIFY(window.isVisible());
}

QTEST_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
