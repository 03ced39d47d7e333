#pragma once

#include "core/Sweep.h"

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

    // The placement offsets of the A + B and A - B traces of the sweep these are the
    // extremes of.
    int SumOffset() const { return (sumMax - sumMin) / 2 + sumMin - Sweep::CentreCode; }
    int DifferenceOffset() const {
        return (differenceMin < 0 ? -differenceMin : differenceMin) -
               (differenceMax - differenceMin) / 2 + Sweep::CentreCode;
    }

    bool operator==(const SweepExtremes&) const = default;
};
