// The sweep history: a bounded ring of the last sweeps, oldest first, each read back as it
// was kept, in memory that stays within its capacity whatever comes.

#include "files/AcquisitionFile.h"
#include "files/SweepHistory.h"

#include <QtTest>

namespace {

// A sweep told apart by its number: its time, its time base and its first codes.
SweepRecord Numbered(int n) {
    SweepRecord r;
    r.msecsSinceEpoch = 1717243509000 + n;
    r.utcOffsetMinutes = 120;
    r.instrument.timeBaseIndex = 1 + n % 18;
    r.instrument.channelA.voltsPerDivIndex = 1 + n % 9;
    r.magnification = (n % 3 == 0) ? 5 : 1;
    r.ramWindowStart = n % 1748;
    for (int i = 0; i < 300; ++i) {
        r.sweep.codeA[std::size_t(i)] = (n + i) % 1000;
        r.sweep.codeB[std::size_t(i)] = (3 * n + i) % 256;
    }
    return r;
}

} // namespace

class SweepHistoryTest : public QObject {
    Q_OBJECT
private slots:
    void capacityIsBounded_data();
    void capacityIsBounded();
    void oldestFirstAndForgottenWhenFull_data();
    void oldestFirstAndForgottenWhenFull();
    void memoryStaysWithinTheCapacity();
    void shrinkingKeepsTheNewest();
    void aSweepTheFileCannotHoldIsNotKept();
};

void SweepHistoryTest::capacityIsBounded_data() {
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("capacity");
    QTest::newRow("default") << 1000 << 1000;
    QTest::newRow("below the least") << 3 << 10;
    QTest::newRow("negative") << -5 << 10;
    QTest::newRow("the least") << 10 << 10;
    QTest::newRow("the most") << 10000 << 10000;
    QTest::newRow("above the most") << 2000000000 << 10000;
}

void SweepHistoryTest::capacityIsBounded() {
    QFETCH(int, asked);
    QFETCH(int, capacity);
    QCOMPARE(SweepHistory(asked).Capacity(), capacity);
    SweepHistory changed;
    changed.SetCapacity(asked);
    QCOMPARE(changed.Capacity(), capacity);
}

void SweepHistoryTest::oldestFirstAndForgottenWhenFull_data() {
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("first"); // the number of the oldest sweep kept
    QTest::addColumn<int>("size");
    QTest::newRow("none") << 0 << 0 << 0;
    QTest::newRow("one") << 1 << 1 << 1;
    QTest::newRow("just full") << 10 << 1 << 10;
    QTest::newRow("one over") << 11 << 2 << 10;
    QTest::newRow("wrapped twice and a half") << 25 << 16 << 10;
}

void SweepHistoryTest::oldestFirstAndForgottenWhenFull() {
    QFETCH(int, added);
    QFETCH(int, first);
    QFETCH(int, size);
    SweepHistory history(10);
    for (int n = 1; n <= added; ++n)
        QVERIFY(history.Add(Numbered(n)));
    QCOMPARE(history.Size(), size);
    for (int i = 0; i < size; ++i) {
        const std::optional<SweepRecord> kept = history.At(i);
        QVERIFY(kept);
        QCOMPARE(*kept, Numbered(first + i)); // every field as it was given
    }
    QVERIFY(!history.At(-1));
    QVERIFY(!history.At(size));
}

void SweepHistoryTest::memoryStaysWithinTheCapacity() {
    SweepHistory history(1000);
    QCOMPARE(history.MemoryBytes(), 0); // nothing taken before the first sweep
    for (int n = 1; n <= 3500; ++n)
        history.Add(Numbered(n));
    // 1000 records of 1254 bytes, and no more however many came.
    QVERIFY2(history.MemoryBytes() <= 1000 * 1254 + 64,
             qPrintable(QString::number(history.MemoryBytes())));
    QCOMPARE(history.Size(), 1000);
    QCOMPARE(*history.At(999), Numbered(3500));
    history.Clear();
    QCOMPARE(history.Size(), 0);
    QCOMPARE(history.MemoryBytes(), 0);
}

void SweepHistoryTest::shrinkingKeepsTheNewest() {
    SweepHistory history(20);
    for (int n = 1; n <= 27; ++n) // wrapped: the oldest is sweep 8
        history.Add(Numbered(n));
    history.SetCapacity(12);
    QCOMPARE(history.Size(), 12);
    QCOMPARE(*history.At(0), Numbered(16));
    QCOMPARE(*history.At(11), Numbered(27));
    history.Add(Numbered(28));
    QCOMPARE(*history.At(0), Numbered(17));
    QCOMPARE(*history.At(11), Numbered(28));
    history.SetCapacity(100); // growing keeps them all
    QCOMPARE(history.Size(), 12);
    QCOMPARE(*history.At(0), Numbered(17));
}

void SweepHistoryTest::aSweepTheFileCannotHoldIsNotKept() {
    SweepHistory history(10);
    history.Add(Numbered(1));
    SweepRecord bad = Numbered(2);
    bad.instrument.timeBaseIndex = 40; // no such row
    QVERIFY(!history.Add(bad));
    QCOMPARE(history.Size(), 1);
    QCOMPARE(*history.At(0), Numbered(1));
}

QTEST_GUILESS_MAIN(SweepHistoryTest)
#include "tst_sweephistory.moc"
