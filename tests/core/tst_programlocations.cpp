#include "OrdinaryFileUser.h"
#include "core/ProgramLocations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

void MakeFile(const QString& path, const QByteArray& content = "x") {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

} // namespace

// Where the data files and the settings file are found: beside the executable for a copy
// run from its folder, under share/ and the configuration folder for an installed one.
class ProgramLocationsTest : public QObject {
    Q_OBJECT
private slots:
    void locate_data();
    void locate();
    void installedDataFolder_data();
    void installedDataFolder();
    void installedDataFolderOfThisBuild();
    void seedingCopiesTheFactoryFileOnce();
    void seedingLeavesAPortableCopyAlone();
    void writableFolderIsTried();
};

void ProgramLocationsTest::locate_data() {
    // Layout of the tree under the temporary folder: the files that exist.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("data");     // relative to the tree
    QTest::addColumn<QString>("settings"); // relative to the tree
    QTest::newRow("run from its folder") << QStringList{"build/aide.hlp"} << true << "build/"
                                         << "build/";
    QTest::newRow("its folder read-only") << QStringList{"build/aide.hlp"} << false << "build/"
                                          << "config/oscilloscope/";
    QTest::newRow("installed beside bin") << QStringList{"prefix/share/oscilloscope/aide.hlp"}
                                          << false << "prefix/share/oscilloscope/"
                                          << "config/oscilloscope/";
    QTest::newRow("installed in a prefix the user owns")
        << QStringList{"prefix/share/oscilloscope/aide.hlp"} << true << "prefix/share/oscilloscope/"
        << "config/oscilloscope/";
    QTest::newRow("found through the data folders")
        << QStringList{"system/oscilloscope/aide.hlp"} << false << "system/oscilloscope/"
        << "config/oscilloscope/";
    QTest::newRow("beside wins over share")
        << QStringList{"prefix/bin/aide.hlp", "prefix/share/oscilloscope/aide.hlp"} << true
        << "prefix/bin/"
        << "prefix/bin/";
    QTest::newRow("no data anywhere") << QStringList{} << true << "prefix/bin/"
                                      << "prefix/bin/";
}

void ProgramLocationsTest::locate() {
    QFETCH(QStringList, files);
    QFETCH(bool, writable);
    QFETCH(QString, data);
    QFETCH(QString, settings);
    QTemporaryDir tree;
    for (const QString& f : files)
        MakeFile(tree.filePath(f));
    const QString root = tree.path() + u'/';
    // The executable sits in build/ for the first rows, in prefix/bin/ for the others.
    const QString exe = root + (data.startsWith("build") ? "build" : "prefix/bin");
    QDir().mkpath(exe);
    ProgramLocations::Inputs inputs{
        exe, writable, root + "config", {root + "nowhere", root + "system"}};
    const auto folders = ProgramLocations::Locate(inputs);
    QCOMPARE(folders.data, root + data);
    QCOMPARE(folders.settings, root + settings);
}

// The installed data folder is the one the build installs to: another one than share/,
// relative to the executable's folder or absolute.
void ProgramLocationsTest::installedDataFolder_data() {
    QTest::addColumn<QString>("installed"); // "@" stands for the tree
    QTest::addColumn<QString>("data");      // relative to the tree
    QTest::newRow("share") << "../share/oscilloscope"
                           << "prefix/share/oscilloscope/";
    QTest::newRow("another folder") << "../lib/osc-data/oscilloscope"
                                    << "prefix/lib/osc-data/oscilloscope/";
    QTest::newRow("absolute") << "@opt/data/oscilloscope"
                              << "opt/data/oscilloscope/";
}

void ProgramLocationsTest::installedDataFolder() {
    QFETCH(QString, installed);
    QFETCH(QString, data);
    QTemporaryDir tree;
    const QString root = tree.path() + u'/';
    installed.replace(u'@', root);
    // A share/ folder that holds data too, to be passed over when it is not the one.
    for (const QString& folder : {data, QStringLiteral("prefix/share/oscilloscope/")})
        MakeFile(root + folder + "aide.hlp");
    QDir().mkpath(root + "prefix/bin");
    ProgramLocations::Inputs inputs{root + "prefix/bin", true, root + "config", {}};
    inputs.installedData = installed;
    QCOMPARE(ProgramLocations::Locate(inputs).data, root + data);
}

// This program looks where its build installs the data: <prefix>/<data folder>/oscilloscope
// seen from <prefix>/<binary folder>, or the data folder itself when the build was given
// absolute folders.
void ProgramLocationsTest::installedDataFolderOfThisBuild() {
    const QString bin = QStringLiteral(OSC_TEST_BINDIR);
    const QString datadir = QStringLiteral(OSC_TEST_DATADIR);
    const ProgramLocations::Inputs inputs = ProgramLocations::ForThisProgram(bin);
    if (QDir::isAbsolutePath(bin) || QDir::isAbsolutePath(datadir)) {
        QCOMPARE(inputs.installedData,
                 QStringLiteral(OSC_TEST_FULL_DATADIR) + QStringLiteral("/oscilloscope"));
        return;
    }
    const QString prefix = QStringLiteral("/un/préfixe");
    QCOMPARE(QDir::cleanPath(prefix + u'/' + bin + u'/' + inputs.installedData),
             prefix + u'/' + datadir + QStringLiteral("/oscilloscope"));
}

void ProgramLocationsTest::seedingCopiesTheFactoryFileOnce() {
    QTemporaryDir tree;
    const QString data = tree.filePath("share/oscilloscope/");
    const QString settings = tree.filePath("config/oscilloscope/");
    MakeFile(data + "parametres.inf", "COM1\r\nPERIPHERIQUE_ON\r\n");
    QFile::setPermissions(data + "parametres.inf", QFile::ReadOwner | QFile::ReadOther);
    ProgramLocations::SeedSettingsFile({data, settings});
    QFile seeded(settings + "parametres.inf");
    QVERIFY(seeded.open(QIODevice::ReadOnly));
    QCOMPARE(seeded.readAll(), QByteArray("COM1\r\nPERIPHERIQUE_ON\r\n"));
    seeded.close();
    QVERIFY(seeded.permissions() & QFile::WriteOwner);

    // The user's file is never replaced by the factory one.
    MakeFile(settings + "parametres.inf", "mine\r\n");
    ProgramLocations::SeedSettingsFile({data, settings});
    QVERIFY(seeded.open(QIODevice::ReadOnly));
    QCOMPARE(seeded.readAll(), QByteArray("mine\r\n"));
}

void ProgramLocationsTest::seedingLeavesAPortableCopyAlone() {
    QTemporaryDir tree;
    const QString own = tree.path() + u'/';
    ProgramLocations::SeedSettingsFile({own, own});
    QVERIFY(!QFile::exists(own + "parametres.inf"));
    // No factory file: nothing is made, and start-up begins from empty lines.
    const QString settings = own + "config/";
    ProgramLocations::SeedSettingsFile({own + "share/", settings});
    QVERIFY(!QFile::exists(settings + "parametres.inf"));
}

void ProgramLocationsTest::writableFolderIsTried() {
    QTemporaryDir tree;
    QVERIFY(ProgramLocations::IsWritable(tree.path()));
    QVERIFY(!ProgramLocations::IsWritable(tree.filePath("missing")));
    // Nothing is left behind by the trial.
    QCOMPARE(QDir(tree.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
    // A folder its user may not write (the superuser tries as an ordinary user owning it,
    // since the permission bits do not stop it).
    QVERIFY(OrdinaryFileUser::Own(tree.path()));
    QFile::setPermissions(tree.path(), QFile::ReadOwner | QFile::ExeOwner);
    bool writable = true;
    {
        OrdinaryFileUser user;
        QVERIFY(user.Ordinary());
        writable = ProgramLocations::IsWritable(tree.path());
    }
    QFile::setPermissions(tree.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!writable);
}

QTEST_GUILESS_MAIN(ProgramLocationsTest)
#include "tst_programlocations.moc"
