// Who holds a busy port: the process of its lock in /proc/locks, or one that has it open.

#include "link/PortHolder.h"

#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

class PortHolderTest : public QObject {
    Q_OBJECT
private slots:
    void lockHolderInProcLocks_data() {
        QTest::addColumn<QByteArray>("locks");
        QTest::addColumn<qint64>("holder"); // 0: none
        // The file is 00:1a:3 (major 0, minor 0x1a, inode 3).
        const QByteArray others = "1: POSIX  ADVISORY  WRITE 812 00:19:2017 0 EOF\n"
                                  "2: FLOCK  ADVISORY  WRITE 990 08:01:3 0 EOF\n"
                                  "3: FLOCK  ADVISORY  WRITE 991 00:1a:33 0 EOF\n";
        QTest::newRow("its flock") << others + "4: FLOCK  ADVISORY  WRITE 4242 00:1a:3 0 EOF\n"
                                   << qint64(4242);
        QTest::newRow("a waiter is no holder")
            << others + "4: -> FLOCK  ADVISORY  WRITE 5151 00:1a:3 0 EOF\n"
                        "5: FLOCK  ADVISORY  WRITE 4343 00:1a:3 0 EOF\n"
            << qint64(4343);
        QTest::newRow("not locked") << others << qint64(0);
        QTest::newRow("empty") << QByteArray() << qint64(0);
    }
    void lockHolderInProcLocks() {
        QFETCH(QByteArray, locks);
        QFETCH(qint64, holder);
        const std::optional<qint64> found = LockHolder(locks, 0, 0x1a, 3);
        QCOMPARE(found.value_or(0), holder);
    }

    void programOfThisProcess() {
        QCOMPARE(ProgramOfProcess(qint64(::getpid())), QStringLiteral("tst_portholder"));
    }

    // A real process holding the file: by its lock (flock(1) takes one as the link does),
    // or, without a lock, by having it open.
    void holderOfAFile_data() {
        QTest::addColumn<bool>("locked");
        QTest::newRow("locked") << true;
        QTest::newRow("open") << false;
    }
    void holderOfAFile() {
        QFETCH(bool, locked);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("port"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(FindPortHolder(path).has_value(), false);

        const QString flock = QStandardPaths::findExecutable(QStringLiteral("flock"));
        if (locked && flock.isEmpty())
            QSKIP("flock(1) is not installed");
        QProcess holder;
        if (locked) {
            holder.start(flock, {path, QStringLiteral("sleep"), QStringLiteral("30")});
        } else {
            holder.setStandardInputFile(path);
            holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        }
        const auto stop = qScopeGuard([&holder] {
            holder.kill();
            holder.waitForFinished();
        });
        QVERIFY(holder.waitForStarted());
        const QString expected = locked ? QStringLiteral("flock") : QStringLiteral("sleep");
        QTRY_VERIFY_WITH_TIMEOUT(
            FindPortHolder(path).has_value() && FindPortHolder(path)->program == expected, 10000);
        QCOMPARE(FindPortHolder(path)->pid, holder.processId());
    }
};

QTEST_GUILESS_MAIN(PortHolderTest)
#include "tst_portholder.moc"
