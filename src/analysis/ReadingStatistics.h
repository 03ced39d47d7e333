#pragma once

// Statistics of one reading over successive sweeps: the last value, the lowest, the
// highest, the mean and the standard deviation, and how many values were taken. The mean
// and the spread are updated one value at a time (Welford's method), so that a long run
// of large values with a small spread keeps its precision.
class ReadingStatistics {
public:
    void Add(double value);
    void Reset() { *this = ReadingStatistics{}; }

    int Count() const { return count; }
    // 0 while no value was taken.
    double Current() const { return current; }
    double Minimum() const { return minimum; }
    double Maximum() const { return maximum; }
    double Mean() const { return mean; }
    // The sample standard deviation (divided by count - 1); 0 with fewer than two values.
    double StandardDeviation() const;

private:
    int count = 0;
    double current = 0;
    double minimum = 0;
    double maximum = 0;
    double mean = 0;
    double squaredDeviations = 0; // sum of (value - mean)^2 so far
};
