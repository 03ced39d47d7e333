#include "LinkTestSupport.h"
#include "link/SampleDecoder.h"

#include <QTest>

// Decoding of sample packets into the sample table, the sweep extremes and the sweep
// completion.
using Points = QList<QPair<int, int>>;

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
            cells << table.Cell(c, row);
        return cells.join(QLatin1Char('|'));
    }

    // A full sweep of constant codes.
    static void Sweep(SampleDecoder& decoder, int a, int b) {
        for (int n = 0; n < SampleTable::PointCount; ++n)
            decoder.DecodeSamplePacket(Packet(a, n == 0 ? '#' : '%', b));
    }

private slots:
    void storesOnePacket_data() {
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<QString>("raw");        // columns 2..10
        QTest::addColumn<QStringList>("values"); // columns 11, 12, 15, 16

        QTest::newRow("centre") << QByteArray("A128#128B") << QString::fromUtf8("A|1|2|8|#|1|2|8|B")
                                << QStringList{"128", "128", "256", "0"};
        QTest::newRow("extremes") << QByteArray("A255%000B")
                                  << QString::fromUtf8("A|2|5|5|%|0|0|0|B")
                                  << QStringList{"255", "0", "255", "255"};
        QTest::newRow("negative difference")
            << QByteArray("A000%255B") << QString::fromUtf8("A|0|0|0|%|2|5|5|B")
            << QStringList{"0", "255", "255", "-255"};
        QTest::newRow("bad digits take defaults")
            << QByteArray("A1x5%12zB") << QString::fromUtf8("A|1|x|5|%|1|2|z|B")
            << QStringList{"125", "127", "252", "-2"};
        QTest::newRow("all digits bad")
            << QByteArray("A   %\xff\xfe-B") << QString::fromUtf8("A| | | |%|\u00ff|\u00fe|-|B")
            << QStringList{"127", "127", "254", "0"};
        QTest::newRow("above 255 kept")
            << QByteArray("A999%300B") << QString::fromUtf8("A|9|9|9|%|3|0|0|B")
            << QStringList{"999", "300", "1299", "699"};
        QTest::newRow("short: missing units of B")
            << QByteArray("A123#45B") << QString::fromUtf8("A|1|2|3|#|4|5|B|")
            << QStringList{"123", "457", "580", "-334"};
        QTest::newRow("short: marker only")
            << QByteArray("A123%") << QString::fromUtf8("A|1|2|3|%||||")
            << QStringList{"123", "127", "250", "-4"};
        QTest::newRow("short: no marker") << QByteArray("A12B") << QString::fromUtf8("A|1|2|B|||||")
                                          << QStringList{"128", "128", "", ""};
        QTest::newRow("start byte alone") << QByteArray("A") << QString::fromUtf8("A||||||||")
                                          << QStringList{"128", "128", "", ""};
        QTest::newRow("empty") << QByteArray() << QString::fromUtf8("||||||||")
                               << QStringList{"128", "128", "", ""};
        QTest::newRow("straddling two points")
            << QByteArray("A12#456BA") << QString::fromUtf8("A|1|2|#|4|5|6|B|A")
            << QStringList{"128", "128", "", ""};
        QTest::newRow("long: bytes after the ninth ignored")
            << QByteArray("A010%020B777") << QString::fromUtf8("A|0|1|0|%|0|2|0|B")
            << QStringList{"10", "20", "30", "-10"};
        QTest::newRow("nul bytes") << QByteArray("A\0\0\0%\0\0\0B", 9)
                                   << QString::fromLatin1("A|\0|\0|\0|%|\0|\0|\0|B", 17)
                                   << QStringList{"127", "127", "254", "0"};
    }

    void storesOnePacket() {
        QFETCH(QByteArray, packet);
        QFETCH(QString, raw);
        QFETCH(QStringList, values);
        LinkServices services;
        SampleDecoder decoder(services);
        decoder.DecodeSamplePacket(packet);
        const SampleTable& t = services.samples;
        QCOMPARE(t.Cell(SampleTable::Packet, 1), QString::fromLatin1(packet));
        QCOMPARE(RawCells(t, 1), raw);
        QCOMPARE((QStringList{t.Cell(SampleTable::CodeA, 1), t.Cell(SampleTable::CodeB, 1),
                              t.Cell(SampleTable::Sum, 1), t.Cell(SampleTable::Difference, 1)}),
                 values);
        QCOMPARE(decoder.pointCounter(), 2); // advanced whatever the packet held
        QCOMPARE(t.Cell(SampleTable::DisplayA, 1), QStringLiteral("128"));
        QCOMPARE(services.redraws, 0);
    }

    void neverReadsBeyondThePacket() {
        // The view ends after "A123#4"; the bytes behind it in memory are digits.
        const QByteArray memory("A123#456B");
        LinkServices services;
        SampleDecoder decoder(services);
        decoder.DecodeSamplePacket(QByteArrayView(memory).first(6));
        QCOMPARE(services.samples.Number(SampleTable::CodeB, 1), 427);
        QCOMPARE(services.samples.Cell(SampleTable::Packet, 1), QStringLiteral("A123#4"));
    }

    void packetGoesToItsPoint() {
        LinkServices services;
        SampleDecoder decoder(services);
        decoder.DecodeSamplePacket(Packet(128, '#', 128));
        for (int n = 2; n < 17; ++n)
            decoder.DecodeSamplePacket(Packet(100, '%', 100));
        decoder.DecodeSamplePacket("A255%000B");
        const SampleTable& t = services.samples;
        QCOMPARE(t.Number(SampleTable::CodeA, 17), 255);
        QCOMPARE(t.Number(SampleTable::CodeB, 17), 0);
        QCOMPARE(t.Number(SampleTable::Sum, 17), 255);
        QCOMPARE(t.Number(SampleTable::Difference, 17), 255);
        QCOMPARE(t.Number(SampleTable::CodeA, 16), 100);
        QCOMPARE(decoder.pointCounter(), 18);
    }

    void hashRestartsAtPointOne() {
        LinkServices services;
        SampleDecoder decoder(services);
        for (int n = 0; n < 50; ++n)
            decoder.DecodeSamplePacket(Packet(10, n == 0 ? '#' : '%', 20));
        QCOMPARE(decoder.pointCounter(), 51);
        decoder.DecodeSamplePacket(Packet(30, '#', 40));
        QCOMPARE(decoder.pointCounter(), 2);
        QCOMPARE(services.samples.Number(SampleTable::CodeA, 1), 30);
        // The abandoned sweep's later points stay, nothing was completed.
        QCOMPARE(services.samples.Number(SampleTable::CodeA, 50), 10);
        QCOMPARE(services.redraws, 0);
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
        LinkServices services;
        SampleDecoder decoder(services);
        for (int n = 0; n < SampleTable::PointCount; ++n) {
            const auto [a, b] = n < points.size() ? points[n] : qMakePair(128, 128);
            decoder.DecodeSamplePacket(Packet(a, n == 0 ? '#' : '%', b));
        }
        QCOMPARE(services.redraws, 1);
        QCOMPARE(decoder.SumOffset(), sumOffset);
        QCOMPARE(decoder.DifferenceOffset(), differenceOffset);
        QCOMPARE(decoder.Extremes(), SweepExtremes{}); // reset for the next sweep
    }

    void sweepOfShortPacketsStillCompletes() {
        // No value reaches the extremes: the half ranges are (0 - 255) / 2, truncated
        // toward zero to -127.
        LinkServices services;
        SampleDecoder decoder(services);
        for (int n = 0; n < SampleTable::PointCount; ++n)
            decoder.DecodeSamplePacket("A12B");
        QCOMPARE(services.redraws, 1);
        QCOMPARE(decoder.SumOffset(), -127 + 255 - 128);
        QCOMPARE(decoder.DifferenceOffset(), 255 + 127 + 128);
    }

    void extremesTrackTheSweep() {
        LinkServices services;
        SampleDecoder decoder(services);
        decoder.DecodeSamplePacket(Packet(100, '#', 30));
        decoder.DecodeSamplePacket(Packet(20, '%', 200));
        decoder.DecodeSamplePacket("A12B"); // no values
        SweepExtremes expected;
        expected.sumMax = 220;
        expected.sumMin = 130;
        expected.differenceMax = 70;
        expected.differenceMin = -180;
        expected.channelAMax = 100;
        expected.channelAMin = 20;
        expected.channelBMax = 200;
        expected.channelBMin = 30;
        QCOMPARE(decoder.Extremes(), expected);
    }

    void oneCompletionPerSweep() {
        LinkServices services;
        services.instrument.channelA.traceOn = true;
        services.instrument.channelB.traceOn = true;
        SampleDecoder decoder(services);
        for (int n = 1; n <= SampleTable::PointCount; ++n) {
            decoder.DecodeSamplePacket(Packet(n % 256, n == 1 ? '#' : '%', 255 - n % 256));
            QCOMPARE(services.redraws, n == SampleTable::PointCount ? 1 : 0);
        }
        const SampleTable& t = services.samples;
        QCOMPARE(t.Number(SampleTable::DisplayA, 300), 300 % 256);
        QCOMPARE(t.Number(SampleTable::DisplayB, 1), 254);

        // A 301st packet has no row: nothing visible changes, but its values count
        // toward the next sweep.
        const SampleTable before = services.samples;
        decoder.DecodeSamplePacket(Packet(0, '%', 255));
        QCOMPARE(services.redraws, 1);
        QCOMPARE(decoder.pointCounter(), 302);
        for (int c = 0; c < SampleTable::ColumnCount; ++c)
            QCOMPARE(t.Cell(c, 300), before.Cell(c, 300));
        QCOMPARE(decoder.Extremes().differenceMin, -255);

        Sweep(decoder, 128, 128);
        QCOMPARE(services.redraws, 2);
        // Difference from -255 to 0: half range 127.
        QCOMPARE(decoder.DifferenceOffset(), 255 - 127 + 128);
    }

    void packetAtPoint300WithoutMarkerCompletes() {
        LinkServices services;
        SampleDecoder decoder(services);
        decoder.DecodeSamplePacket(Packet(128, '#', 128));
        for (int n = 2; n < SampleTable::PointCount; ++n)
            decoder.DecodeSamplePacket(Packet(128, '%', 128));
        decoder.DecodeSamplePacket("A12#456BA"); // straddling packet at point 300
        QCOMPARE(services.redraws, 1);
        QCOMPARE(services.samples.Cell(SampleTable::Packet, 300), QStringLiteral("A12#456BA"));
    }

    void displayColumnsFollowTheTraceSwitches_data() {
        QTest::addColumn<bool>("traceA");
        QTest::addColumn<bool>("traceB");
        QTest::newRow("both on") << true << true;
        QTest::newRow("B off") << true << false;
        QTest::newRow("A off") << false << true;
        QTest::newRow("both off") << false << false;
    }

    void displayColumnsFollowTheTraceSwitches() {
        QFETCH(bool, traceA);
        QFETCH(bool, traceB);
        LinkServices services;
        services.instrument.channelA.traceOn = traceA;
        services.instrument.channelB.traceOn = traceB;
        SampleDecoder decoder(services);
        Sweep(decoder, 40, 220);
        const SampleTable& t = services.samples;
        for (int row : {1, 150, 300}) {
            QCOMPARE(t.Number(SampleTable::DisplayA, row), traceA ? 40 : 128);
            QCOMPARE(t.Number(SampleTable::DisplayB, row), traceB ? 220 : 128);
            QCOMPARE(t.Number(SampleTable::Sum, row), 260);
            QCOMPARE(t.Number(SampleTable::Difference, row), -180);
        }
    }
};

QTEST_GUILESS_MAIN(TestDecoder)
#include "tst_decoder.moc"
