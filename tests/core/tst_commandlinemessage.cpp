#include "core/CommandLineMessage.h"

#include <QtEndian>
#include <QtTest>
#include <climits>

namespace {

QByteArray WithCount(qint32 count) {
    QByteArray message = CommandLineMessage::Encode({QStringLiteral("/opt/osc/oscilloscope")});
    qToLittleEndian<qint32>(count, message.data());
    return message;
}

} // namespace

// The command line a second copy hands to the first: what goes in comes out, and a block
// that is not a message is refused whatever its bytes.
class CommandLineMessageTest : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void layoutOfTheBlock();
    void hostileBlocksAreRefused_data();
    void hostileBlocksAreRefused();
    void invalidTextBytesAreReadSafely();
};

void CommandLineMessageTest::roundTrip_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("expected");
    const QString path = QStringLiteral("/usr/bin/oscilloscope");
    QStringList ten{path};
    for (int i = 1; i <= 10; ++i)
        ten << QStringLiteral("p%1").arg(i);
    QTest::newRow("path only") << QStringList{path} << QStringList{path};
    QTest::newRow("two parameters, accents and spaces")
        << QStringList{path, QStringLiteral("Trace été.bmp"), QString()}
        << QStringList{path, QStringLiteral("Trace été.bmp"), QString()};
    QTest::newRow("ten parameters") << ten << ten;
    QTest::newRow("twelve parameters keep the first ten")
        << (QStringList(ten) << QStringLiteral("p11") << QStringLiteral("p12")) << ten;
    // 200 two-byte characters: the cut falls inside the 128th, which is left out whole.
    QTest::newRow("long text cut at a whole character")
        << QStringList{path, QString(200, QChar(0xE9))}
        << QStringList{path, QString(127, QChar(0xE9))};
    QTest::newRow("empty list") << QStringList{} << QStringList{QString()};
}

void CommandLineMessageTest::roundTrip() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, expected);
    const QByteArray message = CommandLineMessage::Encode(arguments);
    QCOMPARE(message.size(), 2820);
    const auto decoded = CommandLineMessage::Decode(message);
    QVERIFY(decoded.has_value());
    QCOMPARE(*decoded, expected);
}

void CommandLineMessageTest::layoutOfTheBlock() {
    const QByteArray message =
        CommandLineMessage::Encode({QStringLiteral("/a/osc"), QStringLiteral("xy")});
    QCOMPARE(qFromLittleEndian<qint32>(message.constData()), 1);
    QCOMPARE(message.mid(4, 7), QByteArray("\x06/a/osc"));
    QCOMPARE(message.mid(4 + 256, 3), QByteArray("\x02xy"));
    // The unused slots are zero.
    QCOMPARE(message.mid(4 + 512), QByteArray(2820 - 4 - 512, '\0'));
}

void CommandLineMessageTest::hostileBlocksAreRefused_data() {
    QTest::addColumn<QByteArray>("block");
    const QByteArray valid =
        CommandLineMessage::Encode({QStringLiteral("/osc"), QStringLiteral("a")});
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("1 byte") << QByteArray(1, '\x01');
    QTest::newRow("2819 bytes") << valid.left(2819);
    QTest::newRow("2821 bytes") << valid + '\0';
    QTest::newRow("1 MB") << QByteArray(1 << 20, '\xff');
    QTest::newRow("n = -1") << WithCount(-1);
    QTest::newRow("n = 11") << WithCount(11);
    QTest::newRow("n = INT_MIN") << WithCount(INT_MIN);
    QTest::newRow("n = INT_MAX") << WithCount(INT_MAX);
    // n = 10 and a length byte of 255 in the last slot, but the block ends before it.
    QByteArray cut = WithCount(10);
    cut[4 + 256 * 10] = '\xff';
    QTest::newRow("length byte past the end") << cut.left(4 + 256 * 10 + 10);
    QTest::newRow("only the count") << WithCount(3).left(4);
}

void CommandLineMessageTest::hostileBlocksAreRefused() {
    QFETCH(QByteArray, block);
    QVERIFY(!CommandLineMessage::Decode(block).has_value());
}

void CommandLineMessageTest::invalidTextBytesAreReadSafely() {
    // Every slot full: n = 10, each length byte 255 followed by bytes that are no UTF-8.
    QByteArray message(2820, '\xff');
    qToLittleEndian<qint32>(10, message.data());
    const auto decoded = CommandLineMessage::Decode(message);
    QVERIFY(decoded.has_value());
    QCOMPARE(decoded->size(), 11);
    for (const QString& text : *decoded) {
        QVERIFY(!text.isEmpty());
        QVERIFY(text.size() <= 255);
        QCOMPARE(text.count(QChar::ReplacementCharacter), text.size());
    }
}

QTEST_GUILESS_MAIN(CommandLineMessageTest)
#include "tst_commandlinemessage.moc"
