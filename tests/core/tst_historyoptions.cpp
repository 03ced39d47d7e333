// The history's options file: a missing, unreadable or wrong file gives the defaults, one
// bad option never stops the others.

#include "core/HistoryOptions.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class HistoryOptionsTest : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void fileOnDisk();
};

void HistoryOptionsTest::parse_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("length");
    QTest::newRow("empty") << QByteArray() << 1000;
    QTest::newRow("a length") << QByteArray("longueur=250\n") << 250;
    QTest::newRow("CR LF, spaces, capitals") << QByteArray("  Longueur = 42 \r\n") << 42;
    QTest::newRow("comment lines") << QByteArray("; longueur=20\r\nlongueur=30\r\n") << 30;
    QTest::newRow("the least") << QByteArray("longueur=10") << 10;
    QTest::newRow("the most") << QByteArray("longueur=10000") << 10000;
    QTest::newRow("below the range") << QByteArray("longueur=9") << 1000;
    QTest::newRow("above the range") << QByteArray("longueur=10001") << 1000;
    QTest::newRow("not a number") << QByteArray("longueur=beaucoup") << 1000;
    QTest::newRow("overflow") << QByteArray("longueur=99999999999999999999") << 1000;
    QTest::newRow("no equals sign") << QByteArray("longueur 50") << 1000;
    QTest::newRow("unknown name") << QByteArray("taille=50\nlongueur=60") << 60;
    QTest::newRow("binary junk") << QByteArray("\x00\xff\xfe=\x01\n", 6) << 1000;
    QTest::newRow("the program's own text") << HistoryOptions{77}.Text() << 77;
}

void HistoryOptionsTest::parse() {
    QFETCH(QByteArray, text);
    QFETCH(int, length);
    QCOMPARE(HistoryOptions::Parse(text).length, length);
}

void HistoryOptionsTest::fileOnDisk() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(HistoryOptions::FileName));
    QCOMPARE(HistoryOptions::Load(path).length, 1000); // missing
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("longueur=123\r\n");
    file.close();
    QCOMPARE(HistoryOptions::Load(path).length, 123);
    QCOMPARE(HistoryOptions::Load(dir.path()).length, 1000); // a folder, not a file
}

QTEST_GUILESS_MAIN(HistoryOptionsTest)
#include "tst_historyoptions.moc"
