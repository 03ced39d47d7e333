#pragma once

// The main() of the tests that run against the stand-in box of tools/ptybox: the test runs
// again with the modem-line shim (OSC_PTY_SHIM) preloaded and its line record in a file of
// a new folder, which the box maps too; `modem` and `modemFile` are then the record and its
// file, removed at the end.

#include "PtyModem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

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
