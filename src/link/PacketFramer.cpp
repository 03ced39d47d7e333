#include "link/PacketFramer.h"

PacketFramer::PacketFramer() : start("A"), stop("B"), size(9) {}

void PacketFramer::Clear() {
    buffer.clear();
    inside = false;
}

void PacketFramer::SetStart(const QByteArray& text) {
    start = text;
    Clear();
}

void PacketFramer::SetStop(const QByteArray& text) {
    stop = text;
    Clear();
}

void PacketFramer::SetPacketSize(int packetSize) {
    size = packetSize < 1 ? 1 : packetSize;
    Clear();
}

void PacketFramer::Feed(QByteArrayView chunk, const Deliver& deliver) {
    if (delivering) {
        pending.append(chunk.data(), chunk.size());
        return;
    }
    buffer.append(chunk.data(), chunk.size());
    delivering = true;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{delivering};

    for (;;) {
        qsizetype pos = 0; // the buffer's front; bytes before it are consumed
        for (;;) {
            if (!inside) {
                if (start.isEmpty())
                    break;
                const qsizetype found = buffer.indexOf(start, pos);
                if (found < 0)
                    break;
                pos = found;
                inside = true;
            }
            const qsizetype available = buffer.size() - pos;
            qsizetype length;
            if (available < size) {
                if (stop.isEmpty())
                    break;
                const qsizetype found = buffer.indexOf(stop, pos + 1);
                if (found < 0)
                    break;
                length = found - pos + stop.size();
            } else {
                length = size;
            }
            const QByteArrayView packet(buffer.constData() + pos, length);
            pos += length;
            inside = false;
            try {
                deliver(packet);
            } catch (...) {
                buffer.remove(0, pos);
                buffer.append(pending);
                pending.clear();
                throw;
            }
        }
        buffer.remove(0, pos);
        if (buffer.size() >= BufferLimit)
            Clear();
        if (pending.isEmpty())
            break;
        buffer.append(pending);
        pending.clear();
    }
}
