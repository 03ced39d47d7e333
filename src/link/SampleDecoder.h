#pragma once

#include "link/SweepExtremes.h"

#include <QByteArrayView>

class ProgramServices;

// Stores each sample packet in its row of the sample table and completes the sweep at
// the 300th point: math-trace offsets, display and weighted columns, redraw.
//
// Packet: "A", three digits of channel A, "#" (first point) or "%" (any other point),
// three digits of channel B, "B". A byte that is not a digit counts as the default digit
// of its place (1 hundreds, 2 tens, 7 units). A packet whose fifth byte is neither "#"
// nor "%" (a short or straddling packet) only has its raw bytes stored. The decoder
// never reads beyond the packet it is given: missing bytes are neither digits nor
// markers, and their cells are left empty.
class SampleDecoder {
public:
    explicit SampleDecoder(ProgramServices& services);

    void DecodeSamplePacket(QByteArrayView packet);

    // The row the next packet goes to; 1 at creation, 301 and above after the 300th point
    // until the next "#" packet.
    int pointCounter() const { return counter; }
    const SweepExtremes& Extremes() const { return extremes; }
    // Placement offsets of the A + B and A - B traces, computed at each completion.
    int SumOffset() const { return sumOffset; }
    int DifferenceOffset() const { return differenceOffset; }

private:
    void CompleteSweep();

    ProgramServices& services;
    int counter = 1;
    SweepExtremes extremes;
    int sumOffset = 0;
    int differenceOffset = 0;
};
