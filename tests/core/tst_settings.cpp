#include "OrdinaryFileUser.h"
#include "core/Conversion.h"
#include "core/PersistedSettings.h"
#include "core/SettingsFile.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// What each line holds when the file does not give it: the program's own value for the
// number and colour lines, nothing for the others.
// clang-format off
const char* const DefaultLines[50] = {
    "", "", "", "", "", "", "", "0", "0", "255",                       // 1 to 10
    "16711680", "", "16711935", "", "1813282", "0", "12582910", "128", "128", "12", // 11 to 20
    "1", "", "", "2", "2", "3", "3", "0", "", "128",                   // 21 to 30
    "128", "12", "1", "", "", "2", "2", "3", "3", "0",                 // 31 to 40
    "", "", "", "", "", "", "", "", "", "",                            // 41 to 50
};
// clang-format on

QString DefaultLine(int k) {
    return QString::fromLatin1(DefaultLines[k - 1]);
}

} // namespace

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
    void unusedLinesKeepTheirBytes_data();
    void unusedLinesKeepTheirBytes();
    void numberLinesHoldWholeNumbers_data();
    void numberLinesHoldWholeNumbers();
    void colourLines_data();
    void colourLines();
    void keywordLinesCompareWholeWords_data();
    void keywordLinesCompareWholeWords();
    void setOnWritesTheWords_data();
    void setOnWritesTheWords();
    void typedAccessKeepsToItsKind();
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
        QCOMPARE(s.Line(k), DefaultLine(k));
    SettingsFile::Save(path, s);
    QCOMPARE(Read(path).count("\r\n"), 50);
}

void SettingsFileTest::missingFileGivesSystemValues() {
    QTemporaryDir dir;
    const PersistedSettings s = SettingsFile::Load(dir.filePath("absent.inf"));
    for (int k = 1; k <= 50; ++k)
        QVERIFY2(s.Line(k) == DefaultLine(k), qPrintable(QString::number(k)));
    QCOMPARE(s, PersistedSettings());
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

void SettingsFileTest::unusedLinesKeepTheirBytes_data() {
    QTest::addColumn<int>("line");
    // The unused lines, and the free-text lines whose bytes are the file system's.
    for (int k : {29, 41, 42, 43, 46, 47, 48, 49, 50, 1, 12, 45})
        QTest::addRow("line %d", k) << k;
}

void SettingsFileTest::unusedLinesKeepTheirBytes() {
    QFETCH(int, line);
    QTemporaryDir dir;
    const QString path = dir.filePath("parametres.inf");
    // Latin-1 and bytes that are no UTF-8 at all, a control byte, a lone CR inside.
    const QByteArray odd("caf\xe9 \xff\xfe\x01\x80 a\rb", 13);
    QByteArray content;
    for (int k = 1; k <= 50; ++k)
        content += (k == line ? odd : QByteArray::number(k)) + "\r\n";
    Write(path, content);
    PersistedSettings s = SettingsFile::Load(path);
    QCOMPARE(s.RawLine(line), odd);
    for (int round = 0; round < 3; ++round) {
        s.SetLine(18, QString::number(100 + round));
        SettingsFile::Save(path, s);
        s = SettingsFile::Load(path);
    }
    QCOMPARE(s.RawLine(line), odd);
    QCOMPARE(s.Line(18), QStringLiteral("102"));
    QCOMPARE(Read(path).split('\n').at(line - 1), odd + '\r');
}

void SettingsFileTest::numberLinesHoldWholeNumbers_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("kept"); // the line's text afterwards
    QTest::addColumn<int>("number");
    QTest::newRow("colour A, word") << 10 << QByteArray("abc") << "255" << 255;
    QTest::newRow("colour A, good") << 10 << QByteArray("1234") << "1234" << 1234;
    QTest::newRow("colour B, empty") << 11 << QByteArray("") << "16711680" << 16711680;
    QTest::newRow("colour B, trailing letter") << 11 << QByteArray("12x") << "16711680" << 16711680;
    QTest::newRow("clock colour, space") << 8 << QByteArray(" 5") << "0" << 0;
    QTest::newRow("markers, hexadecimal") << 13 << QByteArray("0xFF00FF") << "16711935" << 16711935;
    QTest::newRow("math, decimal point") << 15 << QByteArray("1.5") << "1813282" << 1813282;
    QTest::newRow("port chosen, word") << 16 << QByteArray("abc") << "0" << 0;
    QTest::newRow("port chosen, empty") << 16 << QByteArray("") << "0" << 0;
    QTest::newRow("port chosen, good") << 16 << QByteArray("1") << "1" << 1;
    QTest::newRow("spectrum, too large")
        << 17 << QByteArray("99999999999") << "12582910" << 12582910;
    QTest::newRow("position A, empty") << 18 << QByteArray("") << "128" << 128;
    QTest::newRow("time base, trailing letter") << 20 << QByteArray("12x") << "12" << 12;
    QTest::newRow("time base, word") << 20 << QByteArray("abc") << "12" << 12;
    QTest::newRow("time base, good") << 20 << QByteArray("3") << "3" << 3;
    QTest::newRow("trigger, empty") << 21 << QByteArray("") << "1" << 1;
    QTest::newRow("volts B, Latin-1") << 27 << QByteArray("\xe9") << "3" << 3;
    QTest::newRow("mask, word") << 28 << QByteArray("tout") << "0" << 0;
    QTest::newRow("mask, good") << 28 << QByteArray("63") << "63" << 63;
    QTest::newRow("saved position A, empty") << 30 << QByteArray("") << "128" << 128;
    QTest::newRow("saved coupling B, word") << 37 << QByteArray("DC") << "2" << 2;
    QTest::newRow("personal values saved, empty") << 40 << QByteArray("") << "0" << 0;
}

void SettingsFileTest::numberLinesHoldWholeNumbers() {
    QFETCH(int, line);
    QFETCH(QByteArray, text);
    QFETCH(QString, kept);
    QFETCH(int, number);

    // Set in memory.
    PersistedSettings s;
    s.SetLine(line, QString::fromLatin1(text));
    QCOMPARE(s.Line(line), kept);
    QCOMPARE(s.Number(line), number);
    s.SetRawLine(line, text);
    QCOMPARE(s.Line(line), kept);
    QCOMPARE(s.Number(line), number);

    // Read from the file.
    QTemporaryDir dir;
    const QString path = dir.filePath("parametres.inf");
    QByteArray content;
    for (int k = 1; k <= 50; ++k)
        content += (k == line ? text : QByteArray()) + "\r\n";
    Write(path, content);
    const PersistedSettings loaded = SettingsFile::Load(path);
    QCOMPARE(loaded.Line(line), kept);
    QCOMPARE(loaded.Number(line), number);
    SettingsFile::Save(path, loaded);
    QCOMPARE(Read(path).split('\n').at(line - 1), kept.toLatin1() + '\r');
}

void SettingsFileTest::colourLines_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("255 is pure red") << 10 << "255" << QColor(255, 0, 0);
    QTest::newRow("16711680 is pure blue") << 11 << "16711680" << QColor(0, 0, 255);
    QTest::newRow("65280 is pure green") << 9 << "65280" << QColor(0, 255, 0);
    QTest::newRow("0 is black") << 8 << "0" << QColor(0, 0, 0);
    QTest::newRow("math default") << 15 << "1813282" << QColor(0x22, 0xAB, 0x1B);
    QTest::newRow("spectrum default") << 17 << "12582910" << QColor(0xFE, 0xFF, 0xBF);
    QTest::newRow("word gives the default red") << 10 << "rouge" << QColor(255, 0, 0);
    QTest::newRow("markers default") << 13 << "" << QColor(255, 0, 255);
}

void SettingsFileTest::colourLines() {
    QFETCH(int, line);
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    PersistedSettings s;
    s.SetLine(line, text);
    QCOMPARE(s.Colour(line), colour);

    // Written back as 0x00BBGGRR in decimal.
    s.SetColour(line, QColor(1, 2, 3));
    QCOMPARE(s.Line(line), QStringLiteral("197121"));
    QCOMPARE(s.Number(line), 197121);
    QCOMPARE(s.Colour(line), QColor(1, 2, 3));
}

void SettingsFileTest::keywordLinesCompareWholeWords_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("on");
    QTest::newRow("sound on") << 14 << "SON_ON" << true;
    QTest::newRow("sound off") << 14 << "SON_OFF" << false;
    QTest::newRow("lower case") << 14 << "son_on" << false;
    QTest::newRow("trailing blank") << 14 << "SON_ON " << false;
    QTest::newRow("leading blank") << 14 << " SON_ON" << false;
    QTest::newRow("empty") << 14 << "" << false;
    QTest::newRow("word of another line") << 14 << "CARTE_SON_ON" << false;
    QTest::newRow("sound device") << 44 << "CARTE_SON_ON" << true;
    QTest::newRow("sound device, sound word") << 44 << "SON_ON" << false;
    QTest::newRow("outer ticks") << 2 << "PERIPHERIQUE_ON" << true;
    QTest::newRow("rise-time lines") << 3 << "LIGNE1090%_ON" << true;
    QTest::newRow("time") << 4 << "HEURE_ON" << true;
    QTest::newRow("date, mixed case") << 5 << "Date_ON" << false;
    QTest::newRow("menu style") << 6 << "OFFICEXP_ON" << true;
    QTest::newRow("menu style, second") << 7 << "CONVENTIONNEL_ON" << true;
    QTest::newRow("trace A") << 22 << "VOIE_A_ON" << true;
    QTest::newRow("trace A holding B's word") << 22 << "VOIE_B_ON" << false;
    QTest::newRow("trace B") << 23 << "VOIE_B_ON" << true;
    QTest::newRow("saved trace A") << 34 << "VOIE_A_ON" << true;
    QTest::newRow("saved trace B off") << 35 << "VOIE_B_OFF" << false;
}

void SettingsFileTest::keywordLinesCompareWholeWords() {
    QFETCH(int, line);
    QFETCH(QString, text);
    QFETCH(bool, on);
    PersistedSettings s;
    s.SetLine(line, text);
    QCOMPARE(s.IsOn(line), on);
    QCOMPARE(s.Line(line), text); // a keyword line keeps whatever text it holds
}

void SettingsFileTest::setOnWritesTheWords_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("onWord");
    QTest::addColumn<QString>("offWord");
    QTest::newRow("2") << 2 << "PERIPHERIQUE_ON"
                       << "PERIPHERIQUE_OFF";
    QTest::newRow("3") << 3 << "LIGNE1090%_ON"
                       << "LIGNE1090%_OFF";
    QTest::newRow("4") << 4 << "HEURE_ON"
                       << "HEURE_OFF";
    QTest::newRow("5") << 5 << "DATE_ON"
                       << "DATE_OFF";
    QTest::newRow("6") << 6 << "OFFICEXP_ON"
                       << "OFFICEXP_OFF";
    QTest::newRow("7") << 7 << "CONVENTIONNEL_ON"
                       << "CONVENTIONNEL_OFF";
    QTest::newRow("14") << 14 << "SON_ON"
                        << "SON_OFF";
    QTest::newRow("22") << 22 << "VOIE_A_ON"
                        << "VOIE_A_OFF";
    QTest::newRow("23") << 23 << "VOIE_B_ON"
                        << "VOIE_B_OFF";
    QTest::newRow("34") << 34 << "VOIE_A_ON"
                        << "VOIE_A_OFF";
    QTest::newRow("35") << 35 << "VOIE_B_ON"
                        << "VOIE_B_OFF";
    QTest::newRow("44") << 44 << "CARTE_SON_ON"
                        << "CARTE_SON_OFF";
}

void SettingsFileTest::setOnWritesTheWords() {
    QFETCH(int, line);
    QFETCH(QString, onWord);
    QFETCH(QString, offWord);
    PersistedSettings s;
    s.SetOn(line, true);
    QCOMPARE(s.Line(line), onWord);
    QVERIFY(s.IsOn(line));
    s.SetOn(line, false);
    QCOMPARE(s.Line(line), offWord);
    QVERIFY(!s.IsOn(line));
}

void SettingsFileTest::typedAccessKeepsToItsKind() {
    PersistedSettings s;
    s.SetLine(1, QStringLiteral("ttyUSB0"));
    s.SetLine(14, QStringLiteral("SON_ON"));
    s.SetLine(20, QStringLiteral("5"));
    const PersistedSettings before = s;
    s.SetOn(20, true);        // a number line has no words
    s.SetNumber(14, 1);       // a keyword line holds no number
    s.SetNumber(1, 7);        // nor does a free-text line
    s.SetColour(20, Qt::red); // a number line is no colour
    s.SetNumber(0, 1);
    s.SetOn(51, true);
    QCOMPARE(s, before);
    QVERIFY(!s.IsOn(20));
    QCOMPARE(s.Number(14), 0);
    QCOMPARE(s.Number(1), 0);
    QVERIFY(!s.Colour(20).isValid());
    // A number line takes any whole number the program sets.
    s.SetNumber(28, 63);
    QCOMPARE(s.Line(28), QStringLiteral("63"));
    QCOMPARE(s.Number(28), 63);
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
        if (!DefaultLine(k).isEmpty())
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
    }
    const auto save = [&] {
        try {
            SettingsFile::Save(path, s);
        } catch (const SettingsWriteError& e) {
            return QString::fromUtf8(e.what());
        }
        return QString();
    };
    QString text;
    if (failure == "readonly") {
        // A folder its user may read but not write. Permission bits do not stop the
        // superuser, who saves there as an ordinary user owning the folder.
        QVERIFY(OrdinaryFileUser::Own(dir.path()));
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        OrdinaryFileUser user;
        QVERIFY(user.Ordinary());
        text = save();
    } else {
        text = save();
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
