#include "core/Conversion.h"
#include "core/PersistedSettings.h"
#include "core/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

// The settings file: loading whatever is on disk, rewriting it whole and safely.
class SettingsFileTest : public QObject {
    Q_OBJECT
private slots:
    void conversionAcceptsWholeDecimals_data();
    void conversionAcceptsWholeDecimals();
    void conversionRejectsWithFrenchText_data();
    void conversionRejectsWithFrenchText();

    void lineEndingsGiveTheSameValues();
    void saveWritesFiftyCrLfLines();
    void shortAndLongFiles_data();
    void shortAndLongFiles();
    void missingFileGivesSystemValues();
    void damagedNumberLinesFallBack();
    void unusedLinesKeepTheirBytes();
    void hostileFilesLoad_data();
    void hostileFilesLoad();
    void failedSaveKeepsFileAndReportsText_data();
    void failedSaveKeepsFileAndReportsText();
    void lineAccessOutsideRangeDoesNothing();

private:
    static QByteArray Lines(int count, const QByteArray& ending);
    static void Write(const QString& path, const QByteArray& content);
    static QByteArray Read(const QString& path);
};

QByteArray SettingsFileTest::Lines(int count, const QByteArray& ending) {
    QByteArray content;
    for (int k = 1; k <= count; ++k)
        content += QByteArray::number(k) + ending;
    return content;
}

void SettingsFileTest::Write(const QString& path, const QByteArray& content) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray SettingsFileTest::Read(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void SettingsFileTest::conversionAcceptsWholeDecimals_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("colour") << "16711680" << 16711680;
    QTest::newRow("negative") << "-7" << -7;
    QTest::newRow("max") << "2147483647" << 2147483647;
    QTest::newRow("min") << "-2147483648" << int(-2147483648LL);
}

void SettingsFileTest::conversionAcceptsWholeDecimals() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(StrToInt(text), value);
}

void SettingsFileTest::conversionRejectsWithFrenchText_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("word") << "SON_ON";
    QTest::newRow("space") << " 12";
    QTest::newRow("trailing") << "12 ";
    QTest::newRow("sign only") << "-";
    QTest::newRow("overflow") << "2147483648";
    QTest::newRow("hex") << "0x10";
    QTest::newRow("decimal point") << "1.5";
}

void SettingsFileTest::conversionRejectsWithFrenchText() {
    QFETCH(QString, text);
    try {
        StrToInt(text);
        QFAIL("no error raised");
    } catch (const ConversionError& e) {
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text));
    }
}

void SettingsFileTest::lineEndingsGiveTheSameValues() {
    QTemporaryDir dir;
    const QString lf = dir.filePath("lf.inf"), crlf = dir.filePath("crlf.inf");
    Write(lf, Lines(50, "\n"));
    Write(crlf, Lines(50, "\r\n"));
    const PersistedSettings a = SettingsFile::Load(lf);
    QCOMPARE(a, SettingsFile::Load(crlf));
    QCOMPARE(a.Line(1), QStringLiteral("1"));
    QCOMPARE(a.Line(50), QStringLiteral("50"));
    // A CR that does not end the line is part of the text.
    Write(lf, "a\rb\n");
    QCOMPARE(SettingsFile::Load(lf).RawLine(1), QByteArray("a\rb"));
}

void SettingsFileTest::saveWritesFiftyCrLfLines() {
    QTemporaryDir dir;
    const QString path = dir.filePath("parametres.inf");
    Write(path, Lines(50, "\n"));
    PersistedSettings s = SettingsFile::Load(path);
    s.SetLine(1, QStringLiteral("/dev/ttyUSB0"));
    SettingsFile::Save(path, s);
    const QByteArray saved = Read(path);
    QCOMPARE(saved.count("\r\n"), 50);
    QCOMPARE(saved.count('\n'), 50);
    QVERIFY(saved.endsWith("\r\n50\r\n"));
    QVERIFY(saved.startsWith("/dev/ttyUSB0\r\n2\r\n"));
    QCOMPARE(SettingsFile::Load(path), s);
}

void SettingsFileTest::shortAndLongFiles_data() {
    QTest::addColumn<int>("count");
    QTest::newRow("30 lines") << 30;
    QTest::newRow("60 lines") << 60;
    QTest::newRow("no final line end") << -12;
}

void SettingsFileTest::shortAndLongFiles() {
    QFETCH(int, count);
    QTemporaryDir dir;
    const QString path = dir.filePath("parametres.inf");
    QByteArray content = Lines(std::abs(count), "\r\n");
    if (count < 0)
        content.chop(2);
    Write(path, content);
    const PersistedSettings s = SettingsFile::Load(path);
    const int present = std::min(std::abs(count), 50);
    for (int k = 1; k <= present; ++k)
        QCOMPARE(s.Line(k), QString::number(k));
    // Lines the file lacks are empty, or the program's own value for number lines.
    for (int k = present + 1; k <= 50; ++k)
        QCOMPARE(s.Line(k), SettingsFile::DefaultNumberLine(k));
    SettingsFile::Save(path, s);
    QCOMPARE(Read(path).count("\r\n"), 50);
}

void SettingsFileTest::missingFileGivesSystemValues() {
    QTemporaryDir dir;
    const PersistedSettings s = SettingsFile::Load(dir.filePath("absent.inf"));
    struct Expected {
        int line;
        const char* text;
    };
    // clang-format off
    const Expected expected[] = {
        {1, ""}, {2, ""}, {8, "0"}, {9, "0"}, {10, "255"}, {11, "16711680"}, {12, ""},
        {13, "16711935"}, {14, ""}, {15, "1813282"}, {16, "0"}, {17, "12582910"},
        {18, "128"}, {19, "128"}, {20, "12"}, {21, "1"}, {22, ""}, {24, "2"}, {25, "2"},
        {26, "3"}, {27, "3"}, {28, "0"}, {29, ""}, {30, "128"}, {31, "128"}, {32, "12"},
        {33, "1"}, {34, ""}, {36, "2"}, {37, "2"}, {38, "3"}, {39, "3"}, {40, "0"},
        {41, ""}, {44, ""}, {45, ""}, {50, ""},
    };
    // clang-format on
    for (const Expected& e : expected)
        QVERIFY2(s.Line(e.line) == QString::fromLatin1(e.text),
                 qPrintable(QString::number(e.line)));
}

void SettingsFileTest::damagedNumberLinesFallBack() {
    QTemporaryDir dir;
    const QString path = dir.filePath("parametres.inf");
    QByteArray content;
    for (int k = 1; k <= 50; ++k)
        content += (k == 10 ? QByteArray("1234") : "texte " + QByteArray::number(k)) + "\r\n";
    Write(path, content);
    const PersistedSettings s = SettingsFile::Load(path);
    QCOMPARE(s.Line(10), QStringLiteral("1234"));     // a good number stays
    QCOMPARE(s.Line(11), QStringLiteral("16711680")); // colour default
    QCOMPARE(s.Line(16), QStringLiteral("0"));
    QCOMPARE(s.Line(28), QStringLiteral("0"));
    QCOMPARE(s.Line(33), QStringLiteral("1"));
    QCOMPARE(s.Line(40), QStringLiteral("0"));
    QCOMPARE(s.Line(2), QStringLiteral("texte 2")); // keyword lines are kept
    QCOMPARE(s.Line(22), QStringLiteral("texte 22"));
    QCOMPARE(s.Line(29), QStringLiteral("texte 29")); // unused lines are kept
    QCOMPARE(s.Line(45), QStringLiteral("texte 45"));
}

void SettingsFileTest::unusedLinesKeepTheirBytes() {
    QTemporaryDir dir;
    const QString path = dir.filePath("parametres.inf");
    QByteArray content;
    for (int k = 1; k <= 50; ++k)
        content += (k == 29 ? QByteArray("caf\xe9 \xff\x01") : QByteArray::number(k)) + "\r\n";
    Write(path, content);
    PersistedSettings s = SettingsFile::Load(path);
    for (int round = 0; round < 3; ++round) {
        s.SetLine(18, QString::number(100 + round));
        SettingsFile::Save(path, s);
        s = SettingsFile::Load(path);
    }
    QCOMPARE(s.RawLine(29), QByteArray("caf\xe9 \xff\x01"));
    QVERIFY(Read(path).contains("\r\ncaf\xe9 \xff\x01\r\n"));
}

void SettingsFileTest::hostileFilesLoad_data() {
    QTest::addColumn<QByteArray>("content");
    QByteArray binary(65536, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 131 + 7) % 256);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("binary") << binary;
    QTest::newRow("10 MB one line") << QByteArray(10 * 1024 * 1024, 'x');
    QTest::newRow("10 MB of lines") << QByteArray(10 * 1024 * 1024 / 4, 'y').replace('y', "yy\r\n");
    QTest::newRow("only line ends") << QByteArray(500, '\n');
}

void SettingsFileTest::hostileFilesLoad() {
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath("parametres.inf");
    Write(path, content);
    PersistedSettings s = SettingsFile::Load(path);
    for (int k = 1; k <= 50; ++k) {
        QVERIFY(s.RawLine(k).size() <= SettingsFile::MaxLineBytes);
        int value = 0;
        if (!SettingsFile::DefaultNumberLine(k).isEmpty())
            QVERIFY2(TryStrToInt(s.Line(k), value), qPrintable(QString::number(k)));
    }
    SettingsFile::Save(path, s);
    const QByteArray saved = Read(path);
    QCOMPARE(saved.count("\r\n"), 50);
    QVERIFY(saved.size() <= 50 * (SettingsFile::MaxLineBytes + 2));
}

void SettingsFileTest::failedSaveKeepsFileAndReportsText_data() {
    QTest::addColumn<QString>("failure");
    QTest::newRow("disk full in the middle") << "full";
    QTest::newRow("folder is a file") << "notdir";
    QTest::newRow("read-only folder") << "readonly";
}

void SettingsFileTest::failedSaveKeepsFileAndReportsText() {
    QFETCH(QString, failure);
    QTemporaryDir dir;
    QString path = dir.filePath("parametres.inf");
    Write(path, Lines(50, "\r\n"));
    PersistedSettings s = SettingsFile::Load(path);
    s.SetLine(1, QString(3000, u'z')); // long enough that the write itself hits the limit
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto restore = qScopeGuard([&] {
        setrlimit(RLIMIT_FSIZE, &saved);
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
    });
    if (failure == "full") {
        signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1024;
        setrlimit(RLIMIT_FSIZE, &small);
    } else if (failure == "notdir") {
        path = dir.filePath("parametres.inf/parametres.inf");
    } else {
        if (geteuid() == 0)
            QSKIP("file permissions do not stop root");
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    QString text;
    try {
        SettingsFile::Save(path, s);
    } catch (const SettingsWriteError& e) {
        text = QString::fromUtf8(e.what());
    }
    QVERIFY2(text.startsWith(QStringLiteral("Impossible d'enregistrer le fichier")),
             qPrintable(failure + text));
    QVERIFY(text.contains(path));
    QCOMPARE(s.Line(1), QString(3000, u'z'));                          // memory keeps its values
    QCOMPARE(Read(dir.filePath("parametres.inf")), Lines(50, "\r\n")); // the old file is intact
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);       // no temporary left behind
}

void SettingsFileTest::lineAccessOutsideRangeDoesNothing() {
    PersistedSettings s;
    s.SetLine(0, QStringLiteral("x"));
    s.SetLine(51, QStringLiteral("x"));
    QCOMPARE(s, PersistedSettings());
    QCOMPARE(s.Line(51), QString());
}

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "tst_settings.moc"
