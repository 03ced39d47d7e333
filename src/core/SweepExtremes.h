#pragma once

// Running maximum and minimum of the current sweep: of the sum (column 15), the
// difference (column 16) and the two channel codes (columns 11 and 12). Each maximum
// starts at 0 and each minimum at 255.
struct SweepExtremes {
    int sumMax = 0;
    int sumMin = 255;
    int differenceMax = 0;
    int differenceMin = 255;
    int channelAMax = 0;
    int channelAMin = 255;
    int channelBMax = 0;
    int channelBMin = 255;

    void Reset() { *this = SweepExtremes{}; }

    // Both tests are made, the maximum first.
    static void Track(int value, int& maximum, int& minimum) {
        if (value > maximum)
            maximum = value;
        if (value < minimum)
            minimum = value;
    }

    void Update(int codeA, int codeB, int sum, int difference) {
        Track(sum, sumMax, sumMin);
        Track(difference, differenceMax, differenceMin);
        Track(codeA, channelAMax, channelAMin);
        Track(codeB, channelBMax, channelBMin);
    }

    bool operator==(const SweepExtremes&) const = default;
};
