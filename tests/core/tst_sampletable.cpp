#include "core/InstrumentSettings.h"
#include "core/SampleTable.h"
#include "core/SweepExtremes.h"
#include "core/WeightingWindow.h"

#include <QtTest>

// The sample store: its text view for the hardware-check view, the named steps that keep
// the math traces on the screen, and the copy of the codes into the display columns at
// the end of a sweep.
class SampleTableTest : public QObject {
    Q_OBJECT

    static void Store(SampleTable& table, int row, const QByteArray& packet) {
        SampleTable::Point& p = table.At(row);
        const int size = std::min<int>(packet.size(), SampleTable::PacketBytes);
        std::copy_n(packet.constData(), size, p.packet.begin());
        p.packetSize = static_cast<std::uint8_t>(size);
    }

    static QStringList Row(const SampleTable& table, int row, int from, int to) {
        QStringList cells;
        for (int c = from; c <= to; ++c)
            cells << table.CellText(c, row);
        return cells;
    }

private slots:
    void initialContent() {
        const SampleTable table;
        for (int row : {1, 150, 300}) {
            QCOMPARE(Row(table, row, 0, 18),
                     (QStringList{QString::number(row), "", "", "", "", "", "", "", "", "", "",
                                  "128", "128", "128", "128", "", "", "", ""}));
        }
        QVERIFY(!table.MathWritten(1));
        QVERIFY(!table.WeightedWritten(300));
        QVERIFY(table.MathWritten(0)); // no point asked for
    }

    void headers() {
        const SampleTable table;
        QCOMPARE(Row(table, 0, 0, 18),
                 (QStringList{"", "", "", "", "", "", "", "", "", "", "", "VA", "VB", "VA\"",
                              "VB\"", "VA\"+VB\"", "VA\"-VB\"", "FPVA", "FPVB"}));
    }

    void packetCells_data() {
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<QString>("text");      // column 1
        QTest::addColumn<QStringList>("bytes"); // columns 2 to 10

        QTest::newRow("whole packet") << QByteArray("A123#456B") << "A123#456B"
                                      << QStringList{"A", "1", "2", "3", "#", "4", "5", "6", "B"};
        QTest::newRow("short packet")
            << QByteArray("A12B") << "A12B" << QStringList{"A", "1", "2", "B", "", "", "", "", ""};
        QTest::newRow("start byte alone")
            << QByteArray("A") << "A" << QStringList{"A", "", "", "", "", "", "", "", ""};
        QTest::newRow("non-ASCII bytes shown as Latin-1")
            << QByteArray("A1\xe9\xff%\xb0"
                          "00B")
            << QString::fromUtf8("A1éÿ%°00B") << QStringList{"A",
                                                             "1",
                                                             QString::fromUtf8("é"),
                                                             QString::fromUtf8("ÿ"),
                                                             "%",
                                                             QString::fromUtf8("°"),
                                                             "0",
                                                             "0",
                                                             "B"};
        QTest::newRow("nul byte") << QByteArray("A\0"
                                                "12%000B",
                                                9)
                                  << QString::fromLatin1("A\0"
                                                         "12%000B",
                                                         9)
                                  << QStringList{
                                         "A", QString(QChar(0)), "1", "2", "%", "0", "0", "0", "B"};
    }

    void packetCells() {
        QFETCH(QByteArray, packet);
        QFETCH(QString, text);
        QFETCH(QStringList, bytes);
        SampleTable table;
        // A longer packet stored before: its bytes must not show through a shorter one.
        Store(table, 7, "A999%999B");
        Store(table, 7, packet);
        QCOMPARE(table.CellText(SampleTable::Packet, 7), text);
        QCOMPARE(Row(table, 7, 2, 10), bytes);
        QCOMPARE(table.CellText(SampleTable::Packet, 8), QString());
    }

    void numberCells() {
        SampleTable table;
        SampleTable::Point& p = table.At(300);
        p.codeA = 999;
        p.codeB = 0;
        p.displayA = 17;
        p.displayB = 255;
        p.sum = 999;
        p.difference = -255; // the sum and difference are not written yet: not shown
        QCOMPARE(Row(table, 300, 11, 18), (QStringList{"999", "0", "17", "255", "", "", "", ""}));
        p.mathWritten = true;
        QCOMPARE(Row(table, 300, 15, 16), (QStringList{"999", "-255"}));
        p.weightedA = -3;
        p.weightedB = 128;
        QCOMPARE(Row(table, 300, 17, 18), (QStringList{"", ""}));
        p.weightedWritten = true;
        QCOMPARE(Row(table, 300, 17, 18), (QStringList{"-3", "128"}));
        QCOMPARE(table.CellText(SampleTable::Sum, 299), QString());
    }

    void cellsOutsideTheTableAreEmpty_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::newRow("column -1") << -1 << 1;
        QTest::newRow("column 19") << 19 << 1;
        QTest::newRow("row -1") << 11 << -1;
        QTest::newRow("row 301") << 11 << 301;
        QTest::newRow("point number of row 301") << 0 << 301;
        QTest::newRow("far away") << 1000 << 1000;
    }

    void cellsOutsideTheTableAreEmpty() {
        QFETCH(int, column);
        QFETCH(int, row);
        const SampleTable table;
        QCOMPARE(table.CellText(column, row), QString());
    }

    void layout() {
        const int widths[] = {25, 65, 15, 15, 15, 15, 15, 15, 15, 15,
                              15, 25, 25, 25, 25, 50, 50, 40, 40};
        for (int c = 0; c < 19; ++c)
            QVERIFY2(SampleTable::ColumnWidth(c) == widths[c], qPrintable(QString::number(c)));
        QCOMPARE(SampleTable::RowHeight, 15);
    }

    void writtenUpTo() {
        SampleTable table;
        for (int row = 1; row <= 10; ++row) {
            table.At(row).mathWritten = true;
            table.At(row).weightedWritten = row != 4;
        }
        QVERIFY(table.MathWritten(10));
        QVERIFY(!table.MathWritten(11));
        QVERIFY(!table.MathWritten(300));
        QVERIFY(table.WeightedWritten(3));
        QVERIFY(!table.WeightedWritten(4));
    }

    // Sums of rows 1 to 5 before the step, the offset, the last row, and after.
    void clampSums_data() {
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("lastRow");
        QTest::addColumn<QList<int>>("after");
        QTest::newRow("below and above") << QList<int>{50, 100, 355, 356, 600} << 100 << 5
                                         << QList<int>{100, 100, 355, 355, 355};
        QTest::newRow("only up to the last row")
            << QList<int>{0, 600, 0, 600, 0} << 100 << 3 << QList<int>{100, 355, 100, 600, 0};
        QTest::newRow("no row") << QList<int>{0, 600, 0, 600, 0} << 100 << 0
                                << QList<int>{0, 600, 0, 600, 0};
        QTest::newRow("negative offset")
            << QList<int>{-30, -20, 235, 236, 0} << -20 << 5 << QList<int>{-20, -20, 235, 235, 0};
        QTest::newRow("offset 127 of a flat sweep") << QList<int>{256, 126, 382, 383, 127} << 127
                                                    << 5 << QList<int>{256, 127, 382, 382, 127};
    }

    void clampSums() {
        QFETCH(QList<int>, before);
        QFETCH(int, offset);
        QFETCH(int, lastRow);
        QFETCH(QList<int>, after);
        SampleTable table;
        for (int row = 1; row <= 5; ++row)
            table.At(row).sum = before[row - 1];
        table.ClampSums(lastRow, offset);
        QList<int> sums;
        for (int row = 1; row <= 5; ++row)
            sums << table.At(row).sum;
        QCOMPARE(sums, after);
    }

    void clampDifferences_data() {
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("lastRow");
        QTest::addColumn<QList<int>>("after");
        QTest::newRow("below and above") << QList<int>{-200, -128, 127, 128, 300} << 128 << 5
                                         << QList<int>{-128, -128, 127, 127, 127};
        QTest::newRow("only up to the last row") << QList<int>{-999, 999, -999, 999, -999} << 128
                                                 << 2 << QList<int>{-128, 127, -999, 999, -999};
        QTest::newRow("offset 0") << QList<int>{-1, 0, 255, 256, 100} << 0 << 5
                                  << QList<int>{0, 0, 255, 255, 100};
        QTest::newRow("offset 510") << QList<int>{-511, -510, -255, -254, 0} << 510 << 5
                                    << QList<int>{-510, -510, -255, -255, -255};
    }

    void clampDifferences() {
        QFETCH(QList<int>, before);
        QFETCH(int, offset);
        QFETCH(int, lastRow);
        QFETCH(QList<int>, after);
        SampleTable table;
        for (int row = 1; row <= 5; ++row)
            table.At(row).difference = before[row - 1];
        table.ClampDifferences(lastRow, offset);
        QList<int> differences;
        for (int row = 1; row <= 5; ++row)
            differences << table.At(row).difference;
        QCOMPARE(differences, after);
    }

    void clampingStopsAtTheLastPoint() {
        // A last row beyond the table stops at point 300; the step leaves the codes alone.
        SampleTable table;
        table.At(300).sum = 1000;
        table.At(300).difference = -1000;
        table.ClampSums(5000, 0);
        table.ClampDifferences(5000, 0);
        QCOMPARE(table.At(300).sum, 255);
        QCOMPARE(table.At(300).difference, 0);
        QCOMPARE(table.At(300).codeA, 128);
    }

    void displayCodesFollowTheTraceSwitches_data() {
        QTest::addColumn<bool>("traceA");
        QTest::addColumn<bool>("traceB");
        QTest::newRow("both on") << true << true;
        QTest::newRow("B off") << true << false;
        QTest::newRow("A off") << false << true;
        QTest::newRow("both off") << false << false;
    }

    void displayCodesFollowTheTraceSwitches() {
        QFETCH(bool, traceA);
        QFETCH(bool, traceB);
        SampleTable table;
        InstrumentSettings instrument;
        // A first sweep with both traces on, then a second with the switches under test:
        // a channel switched off keeps the display codes of the first sweep.
        instrument.channelA.traceOn = true;
        instrument.channelB.traceOn = true;
        for (int row = 1; row <= 300; ++row) {
            table.At(row).codeA = 10;
            table.At(row).codeB = 20;
        }
        ApplyWeightingWindow(table, instrument, SweepExtremes{});
        instrument.channelA.traceOn = traceA;
        instrument.channelB.traceOn = traceB;
        for (int row = 1; row <= 300; ++row) {
            table.At(row).codeA = 40;
            table.At(row).codeB = 220;
        }
        ApplyWeightingWindow(table, instrument, SweepExtremes{});
        for (int row : {1, 150, 300}) {
            QCOMPARE(table.At(row).displayA, traceA ? 40 : 10);
            QCOMPARE(table.At(row).displayB, traceB ? 220 : 20);
            QCOMPARE(table.At(row).codeA, 40);
            QCOMPARE(table.At(row).codeB, 220);
        }
    }
};

QTEST_GUILESS_MAIN(SampleTableTest)
#include "tst_sampletable.moc"
