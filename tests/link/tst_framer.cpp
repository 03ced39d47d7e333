#include "link/PacketFramer.h"

#include <QTest>

// Framing of received chunks into packets: "A" starts a packet, which is the next
// 9 bytes, or ends early at a "B" while fewer than 9 bytes are buffered.
class TestFramer : public QObject {
    Q_OBJECT

    static QByteArrayList FeedAll(PacketFramer& framer, const QByteArrayList& chunks,
                                  QList<int>* deliveredAfter = nullptr) {
        QByteArrayList packets;
        for (int i = 0; i < chunks.size(); ++i) {
            framer.Feed(chunks[i], [&](QByteArrayView p) {
                packets << p.toByteArray();
                if (deliveredAfter)
                    deliveredAfter->append(i);
            });
        }
        return packets;
    }

private slots:
    void framesChunks_data() {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QByteArrayList>("packets");
        QTest::addColumn<QByteArray>("left");
        QTest::addColumn<bool>("inside");

        QTest::newRow("three chunks make one packet")
            << QByteArrayList{"A12", "3#45", "6B"} << QByteArrayList{"A123#456B"} << QByteArray()
            << false;
        QTest::newRow("leading garbage dropped, tail kept")
            << QByteArrayList{"xyzA123%456BA12"} << QByteArrayList{"A123%456B"} << QByteArray("A12")
            << true;
        QTest::newRow("lost byte: short packet ends at B")
            << QByteArrayList{"A123#45B"} << QByteArrayList{"A123#45B"} << QByteArray() << false;
        QTest::newRow("early B ignored once 9 bytes are buffered")
            << QByteArrayList{"A12B45678x"} << QByteArrayList{"A12B45678"} << QByteArray("x")
            << false;
        QTest::newRow("B right after A ends a two-byte packet")
            << QByteArrayList{"AB"} << QByteArrayList{"AB"} << QByteArray() << false;
        QTest::newRow("nine bytes straddle two points")
            << QByteArrayList{"A12#456BA789%0"} << QByteArrayList{"A12#456BA"}
            << QByteArray("789%0") << false;
        QTest::newRow("lost byte, next packet follows in a later chunk")
            << QByteArrayList{"A12#456B", "A789%012B"} << QByteArrayList{"A12#456B", "A789%012B"}
            << QByteArray() << false;
        QTest::newRow("nine bytes with no B, then another packet")
            << QByteArrayList{"A1234567", "8A999%000B"} << QByteArrayList{"A12345678", "A999%000B"}
            << QByteArray() << false;
        QTest::newRow("a whole sweep chunk at once")
            << QByteArrayList{"A128#128BA129%127BA130%126B"}
            << QByteArrayList{"A128#128B", "A129%127B", "A130%126B"} << QByteArray() << false;
        QTest::newRow("bytes without a start byte wait")
            << QByteArrayList{"123", "45"} << QByteArrayList{} << QByteArray("12345") << false;
        QTest::newRow("stop byte before any start byte is garbage")
            << QByteArrayList{"BB", "A1B"} << QByteArrayList{"A1B"} << QByteArray() << false;
        QTest::newRow("lowercase start is not a start")
            << QByteArrayList{"a123#456B"} << QByteArrayList{} << QByteArray("a123#456B") << false;
        QTest::newRow("nul bytes are kept")
            << QByteArrayList{QByteArray("A\0\0\0#\0\0\0B", 9)}
            << QByteArrayList{QByteArray("A\0\0\0#\0\0\0B", 9)} << QByteArray() << false;
        QTest::newRow("one byte at a time")
            << QByteArrayList{"A", "1", "2", "3", "#", "4", "5", "6", "B"}
            << QByteArrayList{"A123#456B"} << QByteArray() << false;
    }

    void framesChunks() {
        QFETCH(QByteArrayList, chunks);
        QFETCH(QByteArrayList, packets);
        QFETCH(QByteArray, left);
        QFETCH(bool, inside);
        PacketFramer framer;
        QCOMPARE(FeedAll(framer, chunks), packets);
        QCOMPARE(framer.Buffer(), left);
        QCOMPARE(framer.InsidePacket(), inside);
    }

    void deliversWhenTheLastByteArrives() {
        PacketFramer framer;
        QList<int> after;
        FeedAll(framer, {"A12", "3#45", "6B"}, &after);
        QCOMPARE(after, QList<int>{2});
    }

    void bufferLimit_data() {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QByteArray>("left");

        QTest::newRow("1023 bytes wait")
            << QByteArrayList{QByteArray(1023, 'x')} << QByteArray(1023, 'x');
        QTest::newRow("1024 bytes dropped at once")
            << QByteArrayList{QByteArray(1024, 'x')} << QByteArray();
        QTest::newRow("reached over two chunks")
            << QByteArrayList{QByteArray(1000, 'x'), QByteArray(24, 'y')} << QByteArray();
        QTest::newRow("fresh start after the drop")
            << QByteArrayList{QByteArray(1024, 'x'), "A12"} << QByteArray("A12");
        QTest::newRow("long chunk with packets and a long tail")
            << QByteArrayList{"A123#456B" + QByteArray(1100, 'z')} << QByteArray();
    }

    void bufferLimit() {
        QFETCH(QByteArrayList, chunks);
        QFETCH(QByteArray, left);
        PacketFramer framer;
        FeedAll(framer, chunks);
        QCOMPARE(framer.Buffer(), left);
        QCOMPARE(framer.InsidePacket(), left.startsWith('A'));
    }

    void droppedBufferStartsAFreshPacket() {
        PacketFramer framer;
        const QByteArrayList packets = FeedAll(framer, {QByteArray(1030, '7'), "A255%000B"});
        QCOMPARE(packets, QByteArrayList{"A255%000B"});
    }

    void reconfiguringEmptiesTheBuffer() {
        PacketFramer framer;
        FeedAll(framer, {"A12"});
        QVERIFY(framer.InsidePacket());
        framer.SetPacketSize(9);
        QVERIFY(framer.Buffer().isEmpty());
        QVERIFY(!framer.InsidePacket());
        FeedAll(framer, {"A12"});
        framer.SetStart("A");
        QVERIFY(framer.Buffer().isEmpty());
        FeedAll(framer, {"A12"});
        framer.SetStop("B");
        QVERIFY(framer.Buffer().isEmpty());
        // "3#456B" alone has no start byte any more.
        QCOMPARE(FeedAll(framer, {"3#456B"}), QByteArrayList{});
    }

    void otherConfiguration() {
        PacketFramer framer;
        framer.SetStart("<<");
        framer.SetStop(">");
        framer.SetPacketSize(5);
        QCOMPARE(FeedAll(framer, {"..<<1>", "x<<abcdef"}), (QByteArrayList{"<<1>", "<<abc"}));
        QCOMPARE(framer.Buffer(), QByteArray("def"));
    }

    void stopIsLookedForAfterTheFirstByte() {
        // With the same start and stop string, the start byte does not end its own packet.
        PacketFramer framer;
        framer.SetStart("|");
        framer.SetStop("|");
        framer.SetPacketSize(9);
        QCOMPARE(FeedAll(framer, {"|ab|cd"}), QByteArrayList{"|ab|"});
        QCOMPARE(framer.Buffer(), QByteArray("cd"));
    }

    void chunkFedWhileDeliveringIsFramedAfter() {
        PacketFramer framer;
        QByteArrayList packets;
        bool fedAgain = false;
        PacketFramer::Deliver deliver = [&](QByteArrayView p) {
            packets << p.toByteArray();
            if (!fedAgain) {
                fedAgain = true;
                framer.Feed("A999%999B", deliver);
            }
        };
        framer.Feed("A111#111BA222%2", deliver);
        // The inner chunk arrived after the bytes already buffered: it is framed after them.
        QCOMPARE(packets, (QByteArrayList{"A111#111B", "A222%2A99"}));
        QCOMPARE(framer.Buffer(), QByteArray("9%999B"));
    }
};

QTEST_GUILESS_MAIN(TestFramer)
#include "tst_framer.moc"
