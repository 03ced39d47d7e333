#pragma once

#include "core/SweepExtremes.h"

#include <QByteArrayView>
#include <QObject>

class SampleTable;

// Stores each sample packet in its point of the sample table and completes the sweep at
// the 300th point: the math-trace offsets, then sweepCompleted.
//
// Packet: "A", three digits of channel A, "#" (first point) or "%" (any other point),
// three digits of channel B, "B". A byte that is not a digit counts as the default digit
// of its place (1 hundreds, 2 tens, 7 units). A packet whose fifth byte is neither "#"
// nor "%" (a short or straddling packet) only has its raw bytes stored. The decoder
// never reads beyond the packet it is given: missing bytes are neither digits nor
// markers, and they are not stored. A point keeps the first nine bytes of its packet.
class SampleDecoder : public QObject {
    Q_OBJECT
public:
    explicit SampleDecoder(SampleTable& table, QObject* parent = nullptr);

    void DecodeSamplePacket(QByteArrayView packet);

    // The point the next packet goes to; 1 at creation, 301 and above after the 300th
    // point until the next "#" packet.
    int PointCounter() const { return counter; }
    void SetPointCounter(int point) { counter = point; }
    const SweepExtremes& Extremes() const { return extremes; }
    // The packets that were not a whole sample packet ("A", three digits, "#" or "%", three
    // digits, "B"): bytes lost or damaged on the line. Counted since the decoder was made.
    qint64 MalformedPackets() const { return malformed; }
    // Placement offsets of the A + B and A - B traces, computed at each completion.
    int SumOffset() const { return sumOffset; }
    int DifferenceOffset() const { return differenceOffset; }

signals:
    // The 300th point has been stored and the offsets computed; `completed` holds the
    // extremes of the sweep, which the decoder has already reset for the next one.
    void sweepCompleted(const SweepExtremes& completed);

private:
    void CompleteSweep();

    SampleTable& table;
    int counter = 1;
    qint64 malformed = 0;
    SweepExtremes extremes;
    int sumOffset = 0;
    int differenceOffset = 0;
};
