#include "AppSupport.h"
#include "TestTimings.h"
#include "app/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// A copy whose settings live apart from its data (an installed copy): start-up reads and
// writes the settings file of the configuration folder, line 45 names that folder, and
// nothing is written beside the data.
class SettingsFolderTest : public QObject {
    Q_OBJECT
private slots:
    void settingsApartFromTheData();
};

void SettingsFolderTest::settingsApartFromTheData() {
    ProgramFolder data;
    data.WriteSettings({{1, "factory"}, {16, "1"}});
    const QByteArray factory = data.ReadSettings();
    QTemporaryDir config;
    const QString settingsFolder = config.path() + QStringLiteral("/oscilloscope/");
    QVERIFY(QDir().mkpath(settingsFolder));
    QFile mine(settingsFolder + QStringLiteral("parametres.inf"));
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write(
        QByteArray("SIMULATEUR\r\n").append(QByteArray("\r\n").repeated(14)).append("1\r\n"));
    mine.close();

    MessageCapture messages;
    Timings quickSplash;
    quickSplash.splashTickMs = 1;
    TimingsGuard timings(quickSplash);
    StartupEnvironment env;
    env.programFolder = data.Path();
    env.settingsFolder = settingsFolder;
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    env.playSound = [](const QString&) {};
    MainWindow window(env);

    QCOMPARE(SessionOf(&window).ProgramFolder(), data.Path());
    QCOMPARE(SessionOf(&window).Settings().Line(1), QStringLiteral("SIMULATEUR"));
    QVERIFY(mine.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = mine.readAll().split('\n');
    QCOMPARE(lines.size(), 51);
    QCOMPARE(lines[0], QByteArray("SIMULATEUR\r"));
    QCOMPARE(lines[44], settingsFolder.toUtf8() + '\r');
    QCOMPARE(lines[19], QByteArray("12\r")); // the end of start-up wrote here
    // The data folder's file is untouched.
    QCOMPARE(data.ReadSettings(), factory);
    QVERIFY(messages.Errors().isEmpty());
}

QTEST_MAIN(SettingsFolderTest)
#include "tst_settingsfolder.moc"
