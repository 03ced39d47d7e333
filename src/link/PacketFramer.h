#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

// Cuts the received byte stream into sample packets. A packet begins with the start
// string; it is the next `size` bytes, or, when fewer are buffered, ends early with the
// first stop string found after its first byte. Bytes before a start string wait in the
// buffer; a buffer that reaches the limit without yielding a packet is dropped.
class PacketFramer {
public:
    static constexpr int BufferLimit = 1024;

    using Deliver = std::function<void(QByteArrayView packet)>;

    // Configured as the box needs it: "A", "B", 9 bytes.
    PacketFramer();

    // Changing the start string, the stop string or the size empties the buffer. A size
    // below 1 counts as 1.
    void SetStart(const QByteArray& start);
    void SetStop(const QByteArray& stop);
    void SetPacketSize(int size);

    // Appends one received chunk and hands every complete packet to `deliver`, in order.
    // The packet view is valid during the call only. A chunk fed from inside `deliver`
    // is queued and framed after the packet under way.
    void Feed(QByteArrayView chunk, const Deliver& deliver);

    const QByteArray& Buffer() const { return buffer; }
    bool InsidePacket() const { return inside; }

private:
    void Clear();

    QByteArray start;
    QByteArray stop;
    int size;
    QByteArray buffer;
    QByteArray pending; // chunks fed while a packet is being delivered
    bool inside = false;
    bool delivering = false;
};
