#include "analysis/ReadingStatistics.h"

#include <QtTest>
#include <cmath>
#include <vector>

// The statistics of a reading over successive sweeps, against values worked out by hand.
class ReadingStatisticsTest : public QObject {
    Q_OBJECT
private slots:
    void sequences_data();
    void sequences();
    void nothingTaken();
    void resetStartsAfresh();
};

void ReadingStatisticsTest::sequences_data() {
    QTest::addColumn<std::vector<double>>("values");
    QTest::addColumn<double>("current");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("mean");
    QTest::addColumn<double>("deviation"); // sample standard deviation

    QTest::newRow("one value") << std::vector<double>{5} << 5.0 << 5.0 << 5.0 << 5.0 << 0.0;
    // Squared deviations from 5: 9 1 1 1 0 0 4 16, 32 in all, over 7.
    QTest::newRow("eight values") << std::vector<double>{2, 4, 4, 4, 5, 5, 7, 9} << 9.0 << 2.0
                                  << 9.0 << 5.0 << std::sqrt(32.0 / 7);
    QTest::newRow("lowest last but one, highest first")
        << std::vector<double>{3, 1, 2} << 2.0 << 1.0 << 3.0 << 2.0 << 1.0;
    QTest::newRow("negative values")
        << std::vector<double>{-1.5, 0.5} << 0.5 << -1.5 << 0.5 << -0.5 << std::sqrt(2.0);
    // A large common part: the sum of squares (about 4e18) would lose the spread in a
    // double's last bits; squared deviations 36 9 9 36, 90 over 3.
    QTest::newRow("a small spread on a large value")
        << std::vector<double>{1e9 + 4, 1e9 + 7, 1e9 + 13, 1e9 + 16} << 1e9 + 16 << 1e9 + 4
        << 1e9 + 16 << 1e9 + 10 << std::sqrt(30.0);
    QTest::newRow("frequencies of successive sweeps")
        << std::vector<double>{1000.5, 999.5, 1000.0} << 1000.0 << 999.5 << 1000.5 << 1000.0 << 0.5;
}

void ReadingStatisticsTest::sequences() {
    QFETCH(std::vector<double>, values);
    QFETCH(double, current);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(double, mean);
    QFETCH(double, deviation);
    ReadingStatistics s;
    for (double v : values)
        s.Add(v);
    QCOMPARE(s.Count(), static_cast<int>(values.size()));
    QCOMPARE(s.Current(), current);
    QCOMPARE(s.Minimum(), minimum);
    QCOMPARE(s.Maximum(), maximum);
    QVERIFY2(std::fabs(s.Mean() - mean) <= 1e-12 * std::fabs(mean),
             qPrintable(QString::number(s.Mean(), 'g', 17)));
    QVERIFY2(std::fabs(s.StandardDeviation() - deviation) <= 1e-9 * (1 + deviation),
             qPrintable(QString::number(s.StandardDeviation(), 'g', 17)));
}

void ReadingStatisticsTest::nothingTaken() {
    const ReadingStatistics s;
    QCOMPARE(s.Count(), 0);
    QCOMPARE(s.Mean(), 0.0);
    QCOMPARE(s.StandardDeviation(), 0.0);
}

// After a reset the next value is the only one: neither the old extremes nor the old mean
// remain.
void ReadingStatisticsTest::resetStartsAfresh() {
    ReadingStatistics s;
    for (double v : {-10.0, 40.0, 3.0})
        s.Add(v);
    s.Reset();
    QCOMPARE(s.Count(), 0);
    s.Add(7);
    QCOMPARE(s.Count(), 1);
    QCOMPARE(s.Minimum(), 7.0);
    QCOMPARE(s.Maximum(), 7.0);
    QCOMPARE(s.Mean(), 7.0);
    QCOMPARE(s.StandardDeviation(), 0.0);
    s.Add(9);
    QCOMPARE(s.Mean(), 8.0);
    QCOMPARE(s.StandardDeviation(), std::sqrt(2.0));
}

QTEST_APPLESS_MAIN(ReadingStatisticsTest)
#include "tst_readingstatistics.moc"
