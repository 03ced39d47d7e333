#include "core/SampleTable.h"
#include "link/SampleDecoder.h"

#include <QTest>

// Decoding of sample packets into the sample store, the sweep extremes and the sweep
// completion.
using Points = QList<QPair<int, int>>;

// A decoder over its own store, counting completions.
struct Rig {
    SampleTable table;
    SampleDecoder decoder{table};
    QList<SweepExtremes> completions; // the extremes each completion handed on

    Rig() {
        QObject::connect(&decoder, &SampleDecoder::sweepCompleted,
                         [this](const SweepExtremes& e) { completions << e; });
    }
};

class TestDecoder : public QObject {
    Q_OBJECT

    static QByteArray Packet(int a, char marker, int b) {
        return QStringLiteral("A%1%2%3B")
            .arg(a, 3, 10, QLatin1Char('0'))
            .arg(QLatin1Char(marker))
            .arg(b, 3, 10, QLatin1Char('0'))
            .toLatin1();
    }

    static QString RawCells(const SampleTable& table, int row) {
        QStringList cells;
        for (int c = SampleTable::FirstByte; c < SampleTable::FirstByte + 9; ++c)
            cells << table.CellText(c, row);
        return cells.join(QLatin1Char('|'));
    }

    // A full sweep of constant codes.
    static void Sweep(SampleDecoder& decoder, int a, int b) {
        for (int n = 0; n < Sweep::Points; ++n)
            decoder.DecodeSamplePacket(Packet(a, n == 0 ? '#' : '%', b));
    }

private slots:
    void storesOnePacket_data() {
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<QString>("raw");        // columns 2..10
        QTest::addColumn<QStringList>("values"); // columns 11, 12, 15, 16
        QTest::addColumn<int>("malformed");      // counted as not a whole sample packet

        QTest::newRow("centre") << QByteArray("A128#128B") << QString::fromUtf8("A|1|2|8|#|1|2|8|B")
                                << QStringList{"128", "128", "256", "0"} << 0;
        QTest::newRow("extremes") << QByteArray("A255%000B")
                                  << QString::fromUtf8("A|2|5|5|%|0|0|0|B")
                                  << QStringList{"255", "0", "255", "255"} << 0;
        QTest::newRow("negative difference")
            << QByteArray("A000%255B") << QString::fromUtf8("A|0|0|0|%|2|5|5|B")
            << QStringList{"0", "255", "255", "-255"} << 0;
        QTest::newRow("bad digits take defaults")
            << QByteArray("A1x5%12zB") << QString::fromUtf8("A|1|x|5|%|1|2|z|B")
            << QStringList{"125", "127", "252", "-2"} << 1;
        QTest::newRow("all digits bad")
            << QByteArray("A   %\xff\xfe-B") << QString::fromUtf8("A| | | |%|\u00ff|\u00fe|-|B")
            << QStringList{"127", "127", "254", "0"} << 1;
        QTest::newRow("above 255 kept")
            << QByteArray("A999%300B") << QString::fromUtf8("A|9|9|9|%|3|0|0|B")
            << QStringList{"999", "300", "1299", "699"} << 0;
        QTest::newRow("short: missing units of B")
            << QByteArray("A123#45B") << QString::fromUtf8("A|1|2|3|#|4|5|B|")
            << QStringList{"123", "457", "580", "-334"} << 1;
        QTest::newRow("short: marker only")
            << QByteArray("A123%") << QString::fromUtf8("A|1|2|3|%||||")
            << QStringList{"123", "127", "250", "-4"} << 1;
        QTest::newRow("short: no marker") << QByteArray("A12B") << QString::fromUtf8("A|1|2|B|||||")
                                          << QStringList{"128", "128", "", ""} << 1;
        QTest::newRow("start byte alone") << QByteArray("A") << QString::fromUtf8("A||||||||")
                                          << QStringList{"128", "128", "", ""} << 1;
        QTest::newRow("empty") << QByteArray() << QString::fromUtf8("||||||||")
                               << QStringList{"128", "128", "", ""} << 1;
        QTest::newRow("straddling two points")
            << QByteArray("A12#456BA") << QString::fromUtf8("A|1|2|#|4|5|6|B|A")
            << QStringList{"128", "128", "", ""} << 1;
        QTest::newRow("long: bytes after the ninth ignored")
            << QByteArray("A010%020B777") << QString::fromUtf8("A|0|1|0|%|0|2|0|B")
            << QStringList{"10", "20", "30", "-10"} << 1;
        QTest::newRow("nul bytes") << QByteArray("A\0\0\0%\0\0\0B", 9)
                                   << QString::fromLatin1("A|\0|\0|\0|%|\0|\0|\0|B", 17)
                                   << QStringList{"127", "127", "254", "0"} << 1;
    }

    void storesOnePacket() {
        QFETCH(QByteArray, packet);
        QFETCH(QString, raw);
        QFETCH(QStringList, values);
        QFETCH(int, malformed);
        Rig rig;
        rig.decoder.DecodeSamplePacket(packet);
        QCOMPARE(rig.decoder.MalformedPackets(), qint64(malformed));
        const SampleTable& t = rig.table;
        QCOMPARE(t.CellText(SampleTable::Packet, 1), QString::fromLatin1(packet.left(9)));
        QCOMPARE(RawCells(t, 1), raw);
        QCOMPARE(
            (QStringList{t.CellText(SampleTable::CodeA, 1), t.CellText(SampleTable::CodeB, 1),
                         t.CellText(SampleTable::Sum, 1), t.CellText(SampleTable::Difference, 1)}),
            values);
        QCOMPARE(rig.decoder.PointCounter(), 2); // advanced whatever the packet held
        QCOMPARE(t.At(1).displayA, 128);
        QCOMPARE(t.At(1).displayB, 128);
        QVERIFY(!t.At(1).weightedWritten);
        QVERIFY(rig.completions.isEmpty());
        // The next point is untouched.
        QCOMPARE(t.At(2), SampleTable::Point{});
    }

    void neverReadsBeyondThePacket() {
        // The view ends after "A123#4"; the bytes behind it in memory are digits.
        const QByteArray memory("A123#456B");
        Rig rig;
        rig.decoder.DecodeSamplePacket(QByteArrayView(memory).first(6));
        QCOMPARE(rig.table.At(1).codeB, 427);
        QCOMPARE(rig.table.At(1).packetSize, 6);
        QCOMPARE(rig.table.CellText(SampleTable::Packet, 1), QStringLiteral("A123#4"));
    }

    void packetGoesToItsPoint() {
        Rig rig;
        rig.decoder.DecodeSamplePacket(Packet(128, '#', 128));
        for (int n = 2; n < 17; ++n)
            rig.decoder.DecodeSamplePacket(Packet(100, '%', 100));
        rig.decoder.DecodeSamplePacket("A255%000B");
        const SampleTable::Point& p = rig.table.At(17);
        QCOMPARE(p.codeA, 255);
        QCOMPARE(p.codeB, 0);
        QCOMPARE(p.sum, 255);
        QCOMPARE(p.difference, 255);
        QVERIFY(p.mathWritten);
        QCOMPARE(rig.table.At(16).codeA, 100);
        QCOMPARE(rig.table.At(18), SampleTable::Point{});
        QCOMPARE(rig.decoder.PointCounter(), 18);
    }

    void shorterPacketReplacesTheWholePoint() {
        // A short packet at a point that held a whole one leaves nothing of it: the point
        // equals the one a fresh store gets from the short packet alone.
        Rig rig;
        rig.decoder.DecodeSamplePacket("A123#456B");
        rig.decoder.SetPointCounter(1);
        rig.decoder.DecodeSamplePacket("A98B");
        Rig fresh;
        fresh.decoder.DecodeSamplePacket("A98B");
        QCOMPARE(rig.table.At(1).packetSize, 4);
        QCOMPARE(rig.table.CellText(SampleTable::Packet, 1), QStringLiteral("A98B"));
        SampleTable::Point expected = fresh.table.At(1);
        expected.codeA = 123; // the codes and sum of the whole packet stay: "A98B" has none
        expected.codeB = 456;
        expected.sum = 579;
        expected.difference = -333;
        expected.mathWritten = true;
        QCOMPARE(rig.table.At(1), expected);
    }

    void hashRestartsAtPointOne() {
        Rig rig;
        for (int n = 0; n < 50; ++n)
            rig.decoder.DecodeSamplePacket(Packet(10, n == 0 ? '#' : '%', 20));
        QCOMPARE(rig.decoder.PointCounter(), 51);
        rig.decoder.DecodeSamplePacket(Packet(30, '#', 40));
        QCOMPARE(rig.decoder.PointCounter(), 2);
        QCOMPARE(rig.table.At(1).codeA, 30);
        // The abandoned sweep's later points stay, nothing was completed.
        QCOMPARE(rig.table.At(50).codeA, 10);
        QVERIFY(rig.completions.isEmpty());
    }

    void sweepOffsets_data() {
        QTest::addColumn<Points>("points"); // codes of the first points; the rest 128/128
        QTest::addColumn<int>("sumOffset");
        QTest::addColumn<int>("differenceOffset");

        // The sum 256 never goes below the starting minimum 255.
        QTest::newRow("all centre") << Points{} << 127 << 128;
        // sum 251..256 with minimum 250; difference -230..151, half range 190 (190.5 truncated).
        QTest::newRow("mixed") << Points{{201, 50}, {10, 240}} << 125 << 168;
        QTest::newRow("full scale") << Points{{255, 0}, {0, 255}, {0, 0}} << 0 << 128;
    }

    void sweepOffsets() {
        QFETCH(Points, points);
        QFETCH(int, sumOffset);
        QFETCH(int, differenceOffset);
        Rig rig;
        for (int n = 0; n < Sweep::Points; ++n) {
            const auto [a, b] = n < points.size() ? points[n] : qMakePair(128, 128);
            rig.decoder.DecodeSamplePacket(Packet(a, n == 0 ? '#' : '%', b));
        }
        QCOMPARE(rig.completions.size(), 1);
        QCOMPARE(rig.decoder.SumOffset(), sumOffset);
        QCOMPARE(rig.decoder.DifferenceOffset(), differenceOffset);
        QCOMPARE(rig.decoder.Extremes(), SweepExtremes{}); // reset for the next sweep
    }

    void sweepOfShortPacketsStillCompletes() {
        // No value reaches the extremes: the half ranges are (0 - 255) / 2, truncated
        // toward zero to -127.
        Rig rig;
        for (int n = 0; n < Sweep::Points; ++n)
            rig.decoder.DecodeSamplePacket("A12B");
        QCOMPARE(rig.completions.size(), 1);
        QCOMPARE(rig.completions.first(), SweepExtremes{});
        QCOMPARE(rig.decoder.SumOffset(), 0);          // -127 + 255 - 128
        QCOMPARE(rig.decoder.DifferenceOffset(), 510); // 255 + 127 + 128
        QVERIFY(!rig.table.MathWritten(1));
    }

    void extremesTrackTheSweep() {
        Rig rig;
        rig.decoder.DecodeSamplePacket(Packet(100, '#', 30));
        rig.decoder.DecodeSamplePacket(Packet(20, '%', 200));
        rig.decoder.DecodeSamplePacket("A12B"); // no values
        SweepExtremes expected;
        expected.sumMax = 220;
        expected.sumMin = 130;
        expected.differenceMax = 70;
        expected.differenceMin = -180;
        expected.channelAMax = 100;
        expected.channelAMin = 20;
        expected.channelBMax = 200;
        expected.channelBMin = 30;
        QCOMPARE(rig.decoder.Extremes(), expected);
    }

    void oneCompletionPerSweep() {
        Rig rig;
        for (int n = 1; n <= Sweep::Points; ++n) {
            rig.decoder.DecodeSamplePacket(Packet(n % 256, n == 1 ? '#' : '%', 255 - n % 256));
            QCOMPARE(rig.completions.size(), n == Sweep::Points ? 1 : 0);
        }
        // The completion hands on the extremes of the sweep: A from 0 to 255, B likewise,
        // the sum always 255, the difference from -255 to 255.
        SweepExtremes completed;
        completed.sumMax = 255;
        completed.sumMin = 255;
        completed.differenceMax = 255;
        completed.differenceMin = -255;
        completed.channelAMax = 255;
        completed.channelAMin = 0;
        completed.channelBMax = 255;
        completed.channelBMin = 0;
        QCOMPARE(rig.completions.first(), completed);
        QCOMPARE(rig.decoder.SumOffset(), 127);        // 0 + 255 - 128
        QCOMPARE(rig.decoder.DifferenceOffset(), 128); // 255 - 255 + 128
        // The display codes are not the decoder's: the session copies them on completion.
        QCOMPARE(rig.table.At(300).displayA, 128);
        QCOMPARE(rig.table.At(300).codeA, 300 % 256);

        // A 301st packet has no row: nothing in the store changes, but its values count
        // toward the next sweep.
        const SampleTable before = rig.table;
        rig.decoder.DecodeSamplePacket(Packet(0, '%', 255));
        QCOMPARE(rig.completions.size(), 1);
        QCOMPARE(rig.decoder.PointCounter(), 302);
        QVERIFY(rig.table == before);
        QCOMPARE(rig.decoder.Extremes().differenceMin, -255);

        Sweep(rig.decoder, 128, 128);
        QCOMPARE(rig.completions.size(), 2);
        // Difference from -255 to 0: half range 127.
        QCOMPARE(rig.decoder.DifferenceOffset(), 256); // 255 - 127 + 128
    }

    void packetsAfterPoint300UntilTheNextHash() {
        Rig rig;
        Sweep(rig.decoder, 50, 60);
        for (int n = 0; n < 400; ++n)
            rig.decoder.DecodeSamplePacket(Packet(70, '%', 80));
        QCOMPARE(rig.decoder.PointCounter(), 701);
        QCOMPARE(rig.completions.size(), 1);
        QCOMPARE(rig.table.At(1).codeA, 50);
        rig.decoder.DecodeSamplePacket(Packet(90, '#', 100));
        QCOMPARE(rig.decoder.PointCounter(), 2);
        QCOMPARE(rig.table.At(1).codeA, 90);
    }

    void packetAtPoint300WithoutMarkerCompletes() {
        Rig rig;
        rig.decoder.DecodeSamplePacket(Packet(128, '#', 128));
        for (int n = 2; n < Sweep::Points; ++n)
            rig.decoder.DecodeSamplePacket(Packet(128, '%', 128));
        rig.decoder.DecodeSamplePacket("A12#456BA"); // straddling packet at point 300
        QCOMPARE(rig.completions.size(), 1);
        QCOMPARE(rig.table.CellText(SampleTable::Packet, 300), QStringLiteral("A12#456BA"));
        QVERIFY(!rig.table.At(300).mathWritten);
        QVERIFY(rig.table.MathWritten(299));
    }
};

QTEST_GUILESS_MAIN(TestDecoder)
#include "tst_decoder.moc"
