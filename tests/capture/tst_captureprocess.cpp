// oscilloscope-capture as a user runs it: the executable itself, in processes of its own,
// without a display, with the waits of the real box. Ctrl+C in the middle of a capture
// over a port (a pseudo-terminal with the modem-line shim preloaded into the capture,
// against the stand-in box of tools/ptybox), a port held by the program or by another
// capture, a port that does not exist or may not be opened, the help and a bad command
// line. The program's settings file, beside the executable or in the user's configuration
// folder, is neither read nor written.

#include "PtyBox.h"
#include "PtyModem.h"
#include "PtyTrace.h"
#include "files/AcquisitionFile.h"
#include "link/PortHolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// A private folder for a process's runtime files, a home and a configuration folder,
// each empty.
struct UserFolders {
    QTemporaryDir root;
    QString home = root.filePath(QStringLiteral("home"));
    QString config = root.filePath(QStringLiteral("home/config"));
    QString runtime = root.filePath(QStringLiteral("runtime"));
    UserFolders() {
        QDir().mkpath(config);
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
    }
};

// The environment of a capture: no display of any kind, the user's folders, and, for a
// pseudo-terminal port, the modem-line shim with its record in `modemFile`.
QProcessEnvironment CaptureEnvironment(const UserFolders& folders, const QString& modemFile = {}) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LD_PRELOAD"})
        e.remove(QString::fromLatin1(name));
    e.insert(QStringLiteral("HOME"), folders.home);
    e.insert(QStringLiteral("XDG_CONFIG_HOME"), folders.config);
    e.insert(QStringLiteral("XDG_RUNTIME_DIR"), folders.runtime);
    e.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    if (!modemFile.isEmpty()) {
        e.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(OSC_PTY_SHIM));
        e.insert(QString::fromLatin1(OscPtyModemFileVariable), modemFile);
        // In the sanitizer build the shim comes before the sanitizer's runtime.
        const QString asan = e.value(QStringLiteral("ASAN_OPTIONS"));
        e.insert(QStringLiteral("ASAN_OPTIONS"),
                 asan + (asan.isEmpty() ? "" : ":") + QStringLiteral("verify_asan_link_order=0"));
    }
    return e;
}

struct Finished {
    int status = -1;
    QString out;
    QString err;
};

Finished RunToTheEnd(QProcess& process, int timeoutMs = 60000) {
    Finished f;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        f.err = QStringLiteral("(did not end)");
        return f;
    }
    f.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    f.out = QString::fromUtf8(process.readAllStandardOutput());
    f.err = QString::fromUtf8(process.readAllStandardError());
    return f;
}

Finished Capture(const QStringList& arguments, const UserFolders& folders,
                 const QString& executable = QStringLiteral(OSC_CAPTURE)) {
    QProcess process;
    process.setProcessEnvironment(CaptureEnvironment(folders));
    process.start(executable, arguments);
    if (!process.waitForStarted())
        return {};
    return RunToTheEnd(process);
}

// The stand-in box on a pseudo-terminal, with its line record in a file of its own.
class PtyBox {
public:
    explicit PtyBox(bool awake) {
        modemFile = folder.filePath(QStringLiteral("modem"));
        modem = OscMapPtyModemFile(QFile::encodeName(modemFile).constData());
        started = box.Start(modemFile, awake);
        slave = box.slave;
    }
    bool Ready() const { return modem && started; }

    QTemporaryDir folder;
    QString modemFile;
    OscPtyModem* modem = nullptr;
    PtyBoxProcess box;
    bool started = false;
    QString slave;
};

// The settings file where the program would look for it: beside a copy of the
// executable, and in the user's configuration folder, each with lines that would change
// what the capture sends (every start-up value restored, another time base saved).
QByteArray SettingsFileWithARestore() {
    QByteArray text;
    for (int k = 1; k <= 50; ++k) {
        QByteArray line;
        if (k == 28)
            line = "63";
        else if (k == 32)
            line = "3";
        text += line + "\r\n";
    }
    return text;
}

} // namespace

class CaptureProcessTest : public QObject {
    Q_OBJECT
private slots:
    // Ctrl+C in the middle of a capture over a port: every file ends with a whole sweep, "F&"
    // is the last command on the wire, RTS is low, the status is 0. The settings file of
    // the program is not opened, and nothing is made in the user's folders.
    void ctrlCInTheMiddle() {
        PtyBox box(false);
        QVERIFY(box.Ready());
        UserFolders folders;
        QTemporaryDir work;
        const QString bin = work.filePath(QStringLiteral("bin"));
        const QString executable = bin + QStringLiteral("/oscilloscope-capture");
        const QString settingsFolder = folders.config + QStringLiteral("/oscilloscope");
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QDir().mkpath(settingsFolder));
        QVERIFY(QFile::copy(QStringLiteral(OSC_CAPTURE), executable));
        const QByteArray settings = SettingsFileWithARestore();
        for (const QString& folder : {bin, settingsFolder}) {
            QFile file(folder + QStringLiteral("/parametres.inf"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(settings);
        }
        // Every opening, reading, writing or making of a file in those folders.
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(watch >= 0);
        const auto closeWatch = qScopeGuard([watch] { ::close(watch); });
        for (const QString& folder : {bin, settingsFolder, folders.config, folders.home})
            QVERIFY(inotify_add_watch(watch, QFile::encodeName(folder).constData(),
                                      IN_OPEN | IN_ACCESS | IN_MODIFY | IN_CREATE | IN_MOVED_TO) >=
                    0);

        const QString csv = work.filePath(QStringLiteral("c.csv"));
        const QString record = work.filePath(QStringLiteral("r.oscacq"));
        QProcess capture;
        capture.setProcessEnvironment(CaptureEnvironment(folders, box.modemFile));
        const uint32_t first = box.modem->eventCount.load();
        capture.start(executable,
                      {"--port", box.slave, "--sweeps", "1000", "--csv", csv, "--record", record});
        QVERIFY(capture.waitForStarted());
        const auto stop = qScopeGuard([&capture] {
            capture.kill();
            capture.waitForFinished();
        });
        const qint64 twoSweeps = AcquisitionFile::HeaderBytes + 2 * AcquisitionFile::RecordBytes;
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(record).size() >= twoSweeps ||
                                     capture.state() == QProcess::NotRunning,
                                 60000);
        QCOMPARE(capture.state(), QProcess::Running);
        QCOMPARE(::kill(pid_t(capture.processId()), SIGINT), 0);
        const Finished end = RunToTheEnd(capture, 30000);
        QCOMPARE(end.status, 0);

        const AcquisitionContents read = ReadAcquisitionFile(record);
        QCOMPARE(read.error, QString());
        QCOMPARE(read.truncatedBytes, qint64(0));
        const int sweeps = int(read.sweeps.size());
        QVERIFY(sweeps >= 2);
        QFile csvFile(csv);
        QVERIFY(csvFile.open(QIODevice::ReadOnly));
        QCOMPARE(csvFile.readAll().count('\n'), 1 + 300 * sweeps);
        QVERIFY2(end.err.endsWith(QStringLiteral("oscilloscope-capture : arrêt demandé (Ctrl+C) "
                                                 "après %1 balayage(s).\n")
                                      .arg(sweeps)),
                 qPrintable(end.err));

        // On the wire: the program's commands for the defaults, every one with RTS low but the
        // wake-up of the sleeping box, "F&" last, and RTS low at the end.
        const QList<OscPtyEvent> events = PtyEvents(*box.modem, first);
        QStringList writes;
        for (const QString& e : PtyWire(events))
            if (e.startsWith(QStringLiteral("write ")))
                writes << e;
        QStringList expected{QStringLiteral("write Z1 with RTS high")};
        for (const char* command :
             {"?&", "T02&", "A14*&", "I&", "Q128#&", "B14*&", "M&", "R128#&", "S&", "d0#&", "F&"})
            expected << QStringLiteral("write %1 with RTS low").arg(QLatin1String(command));
        QCOMPARE(writes, expected);
        QVERIFY(!(box.modem->lines.load() & TIOCM_RTS));

        // Neither settings file was opened, nor anything made in the user's folders.
        QStringList seen;
        char buffer[4096];
        for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                const QString name = event->len ? QString::fromLocal8Bit(event->name) : QString();
                if (name != QStringLiteral("oscilloscope-capture")) // its own start
                    seen << QStringLiteral("%1 (%2)").arg(name).arg(event->mask, 0, 16);
                at += sizeof(inotify_event) + event->len;
            }
        }
        QVERIFY2(seen.isEmpty(), qPrintable(seen.join(QStringLiteral(", "))));
        for (const QString& folder : {bin, settingsFolder}) {
            QFile file(folder + QStringLiteral("/parametres.inf"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), settings);
        }
    }

    // A port held by the program, or by another capture, is refused with status 2, and the
    // holder named. The program takes the port's lock as HardwareSerialLink opens it; here
    // a copy of the capture named as the program holds it, which takes the same lock.
    void busyPort_data() {
        QTest::addColumn<QString>("holderName");
        QTest::addColumn<QString>("message");
        QTest::newRow("held by the program")
            << "oscilloscope"
            << "oscilloscope-capture : le port %1 est occupé par le programme de l'oscilloscope "
               "(processus %2) : quittez-le, puis recommencez.\n";
        QTest::newRow("held by another capture")
            << "oscilloscope-capture"
            << "oscilloscope-capture : le port %1 est occupé par une autre capture "
               "(oscilloscope-capture, processus %2).\n";
    }
    void busyPort() {
        QFETCH(QString, holderName);
        QFETCH(QString, message);
        PtyBox box(true);
        QVERIFY(box.Ready());
        UserFolders folders;
        QTemporaryDir work;
        const QString holderExecutable = work.filePath(holderName);
        QVERIFY(QFile::copy(QStringLiteral(OSC_CAPTURE), holderExecutable));
        QProcess holder;
        holder.setProcessEnvironment(CaptureEnvironment(folders, box.modemFile));
        holder.start(holderExecutable, {"--port", box.slave, "--seconds", "600", "--quiet",
                                        "--record", work.filePath(QStringLiteral("r.oscacq"))});
        QVERIFY(holder.waitForStarted());
        const auto stop = qScopeGuard([&holder] {
            holder.kill();
            holder.waitForFinished();
        });
        QTRY_VERIFY_WITH_TIMEOUT(
            FindPortHolder(box.slave).value_or(PortHolder{}).pid == holder.processId(), 20000);

        const Finished refused =
            Capture({"--port", box.slave, "--sweeps", "1", "--csv", "-"}, folders);
        QCOMPARE(refused.status, 2);
        QCOMPARE(refused.out, QString());
        QCOMPARE(refused.err, message.arg(box.slave).arg(holder.processId()));
        QCOMPARE(holder.state(), QProcess::Running);
    }

    // A port that does not exist, or that the user may not open: status 2, and what to do.
    void portThatCannotBeOpened() {
        UserFolders folders;
        const Finished missing =
            Capture({"--port", "/dev/ttyNoSuchPort9", "--sweeps", "1", "--csv", "-"}, folders);
        QCOMPARE(missing.status, 2);
        QVERIFY2(missing.err.startsWith(QStringLiteral(
                     "oscilloscope-capture : le port /dev/ttyNoSuchPort9 n'existe pas. Ports série "
                     "de cette machine : ")),
                 qPrintable(missing.err));
        QVERIFY(missing.err.endsWith(QStringLiteral(" ; et SIMULATEUR, le boîtier simulé.\n")));

        // A port only its owner may open, tried by another user (the superuser opens
        // anything: the capture runs as "nobody" then).
        QTemporaryDir dir;
        const QString port = dir.filePath(QStringLiteral("ttyLocked"));
        QFile file(port);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(QFile::setPermissions(port, {}));
        QProcess process;
        process.setProcessEnvironment(CaptureEnvironment(folders));
        const QStringList arguments{"--port", port, "--sweeps", "1", "--csv", "-"};
        if (::getuid() == 0) {
            const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
            if (setpriv.isEmpty())
                QSKIP("setpriv is needed to run as another user");
            process.start(setpriv, QStringList{"--reuid=nobody", "--regid=nogroup",
                                               "--clear-groups", "--", OSC_CAPTURE} +
                                       arguments);
        } else {
            process.start(QStringLiteral(OSC_CAPTURE), arguments);
        }
        QVERIFY(process.waitForStarted());
        const Finished denied = RunToTheEnd(process);
        QCOMPARE(denied.status, 2);
        QCOMPARE(denied.err,
                 QStringLiteral("oscilloscope-capture : accès refusé au port %1 : votre compte n'a "
                                "pas le droit d'ouvrir les ports série. Ajoutez-le au groupe "
                                "dialout (sudo usermod -a -G dialout $USER), puis fermez la "
                                "session et reconnectez-vous.\n")
                     .arg(port));
    }

    // Without any display, the help and a refusal work as they do anywhere.
    void helpAndUsageWithoutADisplay() {
        UserFolders folders;
        const Finished help = Capture({"--help"}, folders);
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.startsWith(QStringLiteral("Usage : oscilloscope-capture --port PORT")));
        QCOMPARE(help.err, QString());
        const Finished bad = Capture({"--port", "SIMULATEUR", "--sweeps", "1"}, folders);
        QCOMPARE(bad.status, 1);
        QCOMPARE(bad.err, QStringLiteral("oscilloscope-capture : aucune sortie : indiquez --csv, "
                                         "--measurements ou --record (- pour la sortie "
                                         "standard)\nEssayez « oscilloscope-capture --help ».\n"));
    }
};

QTEST_GUILESS_MAIN(CaptureProcessTest)
#include "tst_captureprocess.moc"
