#pragma once

// The stand-in box of tools/ptybox (OSC_PTY_BOX) in a process of its own, and the main() of
// the tests that run against it.

#include "PtyModem.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

// The box, asleep until "Z1" or already awake, on the master side of a pseudo-terminal,
// with the line record of the file `modemFile`; it names the slave, the program's port.
class PtyBoxProcess {
public:
    // True once the box has named its slave.
    bool Start(const QString& modemFile, bool awake) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("LD_PRELOAD")); // the shim is the program's side
        process.setProcessEnvironment(environment);
        QStringList arguments;
        if (awake)
            arguments << QStringLiteral("--awake");
        process.start(QStringLiteral(OSC_PTY_BOX), arguments << modemFile);
        if (!process.waitForStarted())
            return false;
        QDeadlineTimer deadline(10000);
        while (!process.canReadLine() && !deadline.hasExpired())
            process.waitForReadyRead(100);
        slave = QString::fromLocal8Bit(process.readLine()).trimmed();
        return slave.startsWith(QStringLiteral("/dev/"));
    }

    // The box's end of the line closes: its process ends.
    void Stop() {
        process.kill();
        process.waitForFinished();
    }

    // An order on the box's standard input (off, on, mute, unmute).
    void Order(const char* order) {
        process.write(QByteArray(order) + '\n');
        process.waitForBytesWritten();
    }

    ~PtyBoxProcess() { Stop(); }

    QString slave;
    QProcess process;
};

// Runs the test again with the modem-line shim (OSC_PTY_SHIM) preloaded and its line record
// in a file of a new folder, which the box maps too; `modem` and `modemFile` are then the
// record and its file, removed at the end.
template <typename Test>
int RunWithTheBoxsLineRecord(int argc, char** argv, OscPtyModem*& modem, QString& modemFile) {
    if (!dlsym(RTLD_DEFAULT, "osc_pty_modem")) {
        // Run again with the modem-line shim preloaded, its line record in a file of a new
        // folder, which the stand-in box maps too.
        const QByteArray folder = QDir::tempPath().toLocal8Bit() + "/osc-pty-XXXXXX";
        QByteArray made = folder;
        if (!mkdtemp(made.data())) {
            std::perror("mkdtemp");
            return 1;
        }
        setenv(OscPtyModemFileVariable, (made + "/modem").constData(), 1);
        setenv("LD_PRELOAD", OSC_PTY_SHIM, 1);
        const QByteArray asan = qgetenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS",
               (asan + (asan.isEmpty() ? "" : ":") + "verify_asan_link_order=0").constData(), 1);
        execv("/proc/self/exe", argv);
        std::perror("execv");
        return 1;
    }
    modem = reinterpret_cast<OscPtyModemFn>(dlsym(RTLD_DEFAULT, "osc_pty_modem"))();
    modemFile = QString::fromLocal8Bit(qgetenv(OscPtyModemFileVariable));
    const auto removeFile = qScopeGuard([&modemFile] {
        if (modemFile.isEmpty())
            return;
        QFile::remove(modemFile);
        QDir().rmdir(QFileInfo(modemFile).path());
    });
    if (modemFile.isEmpty()) {
        std::fprintf(stderr, "the line record is not shared through %s\n", OscPtyModemFileVariable);
        return 1;
    }
    QCoreApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}
