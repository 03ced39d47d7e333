#include "AppSupport.h"
#include "OrdinaryFileUser.h"
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
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <memory>

#include <csignal>
#include <functional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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
    QString Root() const { return dir.path(); }
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
    // The program started headless, in this folder, with the given parameters and the
    // environment changed by `adjust`.
    std::unique_ptr<QProcess>
    Start(const QStringList& parameters = {},
          const std::function<void(QProcessEnvironment&)>& adjust = {}) const {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), RuntimeFolder());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), ConfigHome());
        if (adjust)
            adjust(env);
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

const uint Me = uint(::geteuid());
// A user id that is not the one running the tests.
const uint SomeoneElse = Me + 1;

// Makes at `path` what a row of the runtime folder table names: "" nothing, "dir 0700"
// and the like a folder of that mode, "file" a file, "link" a link to a private folder.
bool Make(const QString& path, const QString& what) {
    const QByteArray name = QFile::encodeName(path);
    if (what.isEmpty())
        return true;
    if (what.startsWith(QStringLiteral("dir "))) {
        bool ok = false;
        const uint mode = what.mid(4).toUInt(&ok, 8);
        return ok && ::mkdir(name.constData(), 0700) == 0 && ::chmod(name.constData(), mode) == 0;
    }
    if (what == QStringLiteral("file")) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly);
    }
    if (what == QStringLiteral("link")) {
        const QString target = path + QStringLiteral(".target");
        return ::mkdir(QFile::encodeName(target).constData(), 0700) == 0 &&
               QFile::link(target, path);
    }
    return false;
}

// The sockets named like the guard's under `folder`.
QStringList GuardSockets(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, {QStringLiteral("RunOneoscilloscope")}, QDir::System | QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
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
    void privateRuntimeFolder_data();
    void privateRuntimeFolder();
    void privateFolderCheck_data();
    void privateFolderCheck();
    void listenerCheck_data();
    void listenerCheck();
    void withoutAPrivateFolderThereIsNoGuard();
    void socketIsTheUsersAlone();
    void anotherUsersListenerIsToldNothing();
    void anotherUsersConnectionIsDropped();
    void socketThatRefusesTheUserLeavesItUnguarded();
    void withoutARuntimeFolderAPrivateOneServes();
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
    // The one left is the first copy: it answers a later start.
    auto later = copy.Guard();
    QCOMPARE(later->Claim({QStringLiteral("plus tard")}), SingleInstanceGuard::Outcome::HandedOver);
    QCOMPARE(ended(), 2);
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

// Where the socket and its lock go: $XDG_RUNTIME_DIR when it is the user's alone, else a
// folder of the program's own in the temporary folder, else nowhere (no guard). What was
// found there and not used is left exactly as it was.
void SingleInstanceTest::privateRuntimeFolder_data() {
    QTest::addColumn<QString>("xdg");        // what $XDG_RUNTIME_DIR names ("unset", "relative",
                                             // "missing" or what Make() makes)
    QTest::addColumn<QString>("own");        // what <temp>/oscilloscope-<uid> is beforehand
    QTest::addColumn<bool>("asSomeoneElse"); // the folders belong to another user
    QTest::addColumn<QString>("used");       // "xdg", "own" or "" (none: no guard)
    // clang-format off
    QTest::newRow("unset")                                       << "unset"    << ""         << false << "own";
    QTest::newRow("unset, own folder left by an earlier start")  << "unset"    << "dir 0700" << false << "own";
    QTest::newRow("private")                                     << "dir 0700" << ""         << false << "xdg";
    QTest::newRow("private, own folder there too")               << "dir 0700" << "dir 0700" << false << "xdg";
    QTest::newRow("readable by others")                          << "dir 0755" << ""         << false << "own";
    QTest::newRow("open to the group")                           << "dir 0770" << ""         << false << "own";
    QTest::newRow("searchable by others")                        << "dir 0701" << ""         << false << "own";
    QTest::newRow("a file")                                      << "file"     << ""         << false << "own";
    QTest::newRow("a link to a private folder")                  << "link"     << ""         << false << "own";
    QTest::newRow("missing")                                     << "missing"  << ""         << false << "own";
    QTest::newRow("relative")                                    << "relative" << ""         << false << "own";
    QTest::newRow("unset, own folder planted open")              << "unset"    << "dir 0755" << false << "";
    QTest::newRow("unset, own folder planted open to the group") << "unset"    << "dir 0730" << false << "";
    QTest::newRow("unset, own folder planted as a link")         << "unset"    << "link"     << false << "";
    QTest::newRow("unset, own folder planted as a file")         << "unset"    << "file"     << false << "";
    QTest::newRow("unusable, own folder planted open")           << "dir 0755" << "dir 0777" << false << "";
    QTest::newRow("someone else's folders")                      << "dir 0700" << ""         << true  << "";
    // clang-format on
}

void SingleInstanceTest::privateRuntimeFolder() {
    QFETCH(QString, xdg);
    QFETCH(QString, own);
    QFETCH(bool, asSomeoneElse);
    QFETCH(QString, used);
    QTemporaryDir tree;
    const QString temp = tree.filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(temp));
    QCOMPARE(::chmod(QFile::encodeName(temp).constData(), 01777), 0); // shared, as /tmp is
    const uint user = asSomeoneElse ? SomeoneElse : Me;
    const QString ownFolder = temp + QStringLiteral("/oscilloscope-") + QString::number(user);
    QString xdgPath = tree.filePath(QStringLiteral("run"));
    if (xdg == QStringLiteral("unset"))
        xdgPath.clear();
    else if (xdg == QStringLiteral("relative"))
        xdgPath = QStringLiteral("run");
    else if (xdg != QStringLiteral("missing"))
        QVERIFY(Make(xdgPath, xdg));
    QVERIFY(Make(ownFolder, own));
    const auto xdgBefore = SingleInstance::Lstat(xdgPath);
    const auto ownBefore = SingleInstance::Lstat(ownFolder);

    const QString folder = SingleInstance::PrivateRuntimeFolder(xdgPath, temp, user);

    const QString expected = used == QStringLiteral("xdg")   ? xdgPath
                             : used == QStringLiteral("own") ? ownFolder
                                                             : QString();
    QCOMPARE(folder, expected);
    if (!folder.isEmpty()) {
        const auto facts = SingleInstance::Lstat(folder);
        QVERIFY(facts);
        QVERIFY(S_ISDIR(facts->mode));
        QVERIFY(!facts->isLink);
        QCOMPARE(facts->owner, Me);
        QCOMPARE(facts->mode & 0777, 0700u);
    }
    // Nothing found there was changed.
    for (const auto& [path, before] : {std::pair{xdgPath, xdgBefore}, {ownFolder, ownBefore}}) {
        if (!before)
            continue;
        const auto after = SingleInstance::Lstat(path);
        QVERIFY(after);
        QCOMPARE(after->mode, before->mode);
        QCOMPARE(after->isLink, before->isLink);
    }
}

// The folder check behind the table above, over what lstat tells.
void SingleInstanceTest::privateFolderCheck_data() {
    QTest::addColumn<uint>("owner");
    QTest::addColumn<uint>("mode");
    QTest::addColumn<bool>("isLink");
    QTest::addColumn<bool>("trusted");
    // clang-format off
    QTest::newRow("0700 folder")                << Me          << uint(S_IFDIR | 0700)  << false << true;
    QTest::newRow("0500 folder")                << Me          << uint(S_IFDIR | 0500)  << false << true;
    QTest::newRow("0710 folder")                << Me          << uint(S_IFDIR | 0710)  << false << false;
    QTest::newRow("0704 folder")                << Me          << uint(S_IFDIR | 0704)  << false << false;
    QTest::newRow("1777 folder, as /tmp")       << Me          << uint(S_IFDIR | 01777) << false << false;
    QTest::newRow("someone else's 0700 folder") << SomeoneElse << uint(S_IFDIR | 0700)  << false << false;
    QTest::newRow("a link")                     << Me          << uint(S_IFLNK | 0777)  << true  << false;
    QTest::newRow("a file")                     << Me          << uint(S_IFREG | 0700)  << false << false;
    // clang-format on
}

void SingleInstanceTest::privateFolderCheck() {
    QFETCH(uint, owner);
    QFETCH(uint, mode);
    QFETCH(bool, isLink);
    QFETCH(bool, trusted);
    QCOMPARE(SingleInstance::IsPrivateFolder({owner, mode, isLink}, Me), trusted);
}

// The listener check: the socket file and the process at the other end both the user's.
// A listener of another user's in a socket file of the user's is what someone else's
// socket looks like to the guard; making one needs the superuser, the table does not.
void SingleInstanceTest::listenerCheck_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<uint>("owner");
    QTest::addColumn<uint>("mode");
    QTest::addColumn<bool>("isLink");
    QTest::addColumn<int>("peer"); // -1: the system does not tell
    QTest::addColumn<bool>("trusted");
    const uint socket = S_IFSOCK | 0700;
    const int me = int(Me);
    const int other = int(SomeoneElse);
    // clang-format off
    QTest::newRow("the user's copy")                << true  << Me          << socket                << false << me    << true;
    QTest::newRow("the user's socket open to all")  << true  << Me          << uint(S_IFSOCK | 0777) << false << me    << true;
    QTest::newRow("run by someone else")            << true  << Me          << socket                << false << other << false;
    QTest::newRow("peer unknown")                   << true  << Me          << socket                << false << -1    << false;
    QTest::newRow("socket file of someone else's")  << true  << SomeoneElse << socket                << false << me    << false;
    QTest::newRow("both someone else's")            << true  << SomeoneElse << socket                << false << other << false;
    QTest::newRow("a link to a socket")             << true  << Me          << uint(S_IFLNK | 0777)  << true  << me    << false;
    QTest::newRow("not a socket")                   << true  << Me          << uint(S_IFREG | 0600)  << false << me    << false;
    QTest::newRow("no socket file")                 << false << Me          << socket                << false << me    << false;
    // clang-format on
}

void SingleInstanceTest::listenerCheck() {
    QFETCH(bool, exists);
    QFETCH(uint, owner);
    QFETCH(uint, mode);
    QFETCH(bool, isLink);
    QFETCH(int, peer);
    QFETCH(bool, trusted);
    const std::optional<SingleInstance::FileFacts> file =
        exists ? std::optional(SingleInstance::FileFacts{owner, mode, isLink}) : std::nullopt;
    const std::optional<uint> peerUid = peer < 0 ? std::nullopt : std::optional(uint(peer));
    QCOMPARE(SingleInstance::IsUsersListener(file, peerUid, Me), trusted);
}

// With no private folder the guard makes nothing anywhere (not in the current folder
// either) and the program serves without it.
void SingleInstanceTest::withoutAPrivateFolderThereIsNoGuard() {
    QTemporaryDir current;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(current.path()));
    const auto back = qScopeGuard([&] { QDir::setCurrent(before); });
    SingleInstanceGuard guard(QString(), QStringLiteral("oscilloscope"));
    QCOMPARE(guard.Claim({QStringLiteral("/x/osc"), QStringLiteral("un")}),
             SingleInstanceGuard::Outcome::Unguarded);
    QVERIFY(!guard.Listening());
    QCOMPARE(guard.CommandLine(), QStringList({QStringLiteral("/x/osc"), QStringLiteral("un")}));
    QCOMPARE(QDir(current.path())
                 .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

// Whatever the umask, the first copy's socket can be used by the user alone.
void SingleInstanceTest::socketIsTheUsersAlone() {
    ProgramCopy copy;
    auto first = copy.Guard();
    const mode_t umask = ::umask(0);
    {
        const auto restore = qScopeGuard([&] { ::umask(umask); });
        QCOMPARE(first->Claim({QStringLiteral("first")}), SingleInstanceGuard::Outcome::First);
    }
    const auto facts = SingleInstance::Lstat(first->ServerPath());
    QVERIFY(facts);
    QVERIFY(S_ISSOCK(facts->mode));
    QCOMPARE(facts->owner, Me);
    QCOMPARE(facts->mode & 077, 0u);
    QVERIFY(facts->mode & S_IWUSR); // the user's later copies can connect
}

// A guard that finds a listener of someone else's hands it nothing and does not end: it
// serves without the guard, and the listener keeps its place.
void SingleInstanceTest::anotherUsersListenerIsToldNothing() {
    ProgramCopy copy;
    auto listener = copy.Guard();
    QCOMPARE(listener->Claim({QStringLiteral("theirs")}), SingleInstanceGuard::Outcome::First);
    QSignalSpy received(listener.get(), &SingleInstanceGuard::commandLineReceived);

    auto mine = copy.Guard();
    mine->SetUser(SomeoneElse); // the listener, its socket and its process are not this user's
    QCOMPARE(mine->Claim({QStringLiteral("/x/osc"), QStringLiteral("secret")}),
             SingleInstanceGuard::Outcome::Unguarded);
    QVERIFY(!mine->Listening());
    QVERIFY(listener->Listening());
    QVERIFY(QFile::exists(listener->ServerPath()));
    // A hand-over of its own user reaches it, and it is the only one it got.
    const QStringList args{QStringLiteral("/x/osc"), QStringLiteral("ok")};
    QCOMPARE(Send(listener->ServerPath(), CommandLineMessage::Encode(args)), QByteArray("\x01"));
    QCOMPARE(received.count(), 1);
    QCOMPARE(listener->CommandLine(), args);
}

// The first copy drops at once a connection from a process of another user.
void SingleInstanceTest::anotherUsersConnectionIsDropped() {
    ProgramCopy copy;
    auto first = copy.Guard();
    first->SetUser(SomeoneElse); // so the test's own connection comes from someone else
    QCOMPARE(first->Claim({QStringLiteral("first")}), SingleInstanceGuard::Outcome::First);
    QSignalSpy received(first.get(), &SingleInstanceGuard::commandLineReceived);
    const QStringList args{QStringLiteral("/x/osc"), QStringLiteral("intrus")};
    QCOMPARE(Send(first->ServerPath(), CommandLineMessage::Encode(args)), QByteArray());
    QCOMPARE(received.count(), 0);
    QCOMPARE(first->CommandLine(), QStringList{QStringLiteral("first")});
    QVERIFY(first->Listening());
}

// A socket in the guard's place that refuses the user is not one of the user's copies:
// the start serves without the guard instead of ending without a word.
void SingleInstanceTest::socketThatRefusesTheUserLeavesItUnguarded() {
    ProgramCopy copy;
    // The copy's folders, reachable by the ordinary user and the runtime folder its own.
    QCOMPARE(::chmod(QFile::encodeName(copy.Root()).constData(), 0711), 0);
    QVERIFY(OrdinaryFileUser::Own(copy.RuntimeFolder()));
    auto guard = copy.Guard();
    QLocalServer refusing;
    QVERIFY(refusing.listen(guard->ServerPath()));
    QCOMPARE(::chmod(QFile::encodeName(guard->ServerPath()).constData(), 0), 0);

    SingleInstanceGuard::Outcome outcome;
    {
        OrdinaryFileUser user;
        QVERIFY(user.Ordinary());
        guard->SetUser(user.Uid());
        outcome = guard->Claim({QStringLiteral("x")});
    }
    QCOMPARE(outcome, SingleInstanceGuard::Outcome::Unguarded);
    QVERIFY(!guard->Listening());
    QVERIFY(refusing.isListening());
    QVERIFY(QFile::exists(guard->ServerPath()));
}

// The program started without a runtime folder, in a shared temporary folder where the name
// Qt itself would fall back to is taken: its socket is in a folder of the user's alone,
// and a later start hands over to it there.
void SingleInstanceTest::withoutARuntimeFolderAPrivateOneServes() {
    ProgramCopy copy;
    const QString temp = copy.Root() + QStringLiteral("/tmp");
    QVERIFY(QDir().mkpath(temp));
    QCOMPARE(::chmod(QFile::encodeName(temp).constData(), 01777), 0);
    const passwd* account = ::getpwuid(::geteuid());
    QVERIFY(account);
    QVERIFY(Make(temp + QStringLiteral("/runtime-") + QString::fromLocal8Bit(account->pw_name),
                 QStringLiteral("file")));
    const auto environment = [&](QProcessEnvironment& env) {
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        env.insert(QStringLiteral("TMPDIR"), temp);
    };
    auto first = copy.Start({}, environment);
    const auto kill = qScopeGuard([&] {
        first->kill();
        first->waitForFinished(30000);
    });
    // It listens before its splash wait.
    QTRY_VERIFY_WITH_TIMEOUT(
        !GuardSockets(temp).isEmpty() || first->state() == QProcess::NotRunning, 60000);
    const QString own = temp + QStringLiteral("/oscilloscope-") + QString::number(Me);
    QCOMPARE(GuardSockets(temp), QStringList{own + QStringLiteral("/RunOneoscilloscope")});
    const auto folder = SingleInstance::Lstat(own);
    QVERIFY(folder);
    QVERIFY(SingleInstance::IsPrivateFolder(*folder, Me));

    auto second = copy.Start({QStringLiteral("ensuite")}, environment);
    QVERIFY(second->waitForFinished(60000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(first->state(), QProcess::Running);
}

QTEST_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
