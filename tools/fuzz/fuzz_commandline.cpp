// libFuzzer target: any bytes a local process may send to the running copy, read as the
// command-line message of a later copy. Reading never fails other than by refusing the
// block. A block that is read gives, for its count n (the first four bytes, little-endian),
// the n + 1 texts of its first slots, each the UTF-8 reading of the bytes its length byte
// names. Those texts written again make a block of the same size whose slots hold each
// text's UTF-8, cut at a whole character to fit 255 bytes, and zeros after the last text;
// that block reads back as the texts, cut the same way.
#include "core/CommandLineMessage.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int Slot = CommandLineMessage::SlotBytes;
constexpr int Limit = CommandLineMessage::MaxTextBytes;

void Check(bool holds) {
    if (!holds)
        std::abort();
}

int32_t Count(const uint8_t* block) {
    return int32_t(uint32_t(block[0]) | uint32_t(block[1]) << 8 | uint32_t(block[2]) << 16 |
                   uint32_t(block[3]) << 24);
}

// The UTF-8 of a text as a slot holds it: whole characters, at most 255 bytes.
QByteArray Cut(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= Limit)
        return bytes;
    qsizetype end = Limit;
    while ((uint8_t(bytes[end]) & 0xC0) == 0x80) // a continuation byte: inside a character
        --end;
    return bytes.left(end);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray block(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto texts = CommandLineMessage::Decode(block);
    const bool message = size == size_t(CommandLineMessage::Size) && Count(data) >= 0 &&
                         Count(data) <= CommandLineMessage::MaxParameters;
    Check(texts.has_value() == message);
    if (!texts)
        return 0;

    const int n = Count(data);
    Check(texts->size() == n + 1);
    for (int i = 0; i <= n; ++i) {
        const uint8_t* slot = data + 4 + Slot * i;
        Check((*texts)[i] == QString::fromUtf8(reinterpret_cast<const char*>(slot + 1), slot[0]));
    }

    const QByteArray again = CommandLineMessage::Encode(*texts);
    Check(again.size() == CommandLineMessage::Size);
    const auto* bytes = reinterpret_cast<const uint8_t*>(again.constData());
    Check(Count(bytes) == n);
    QStringList cut;
    for (int i = 0; i <= CommandLineMessage::MaxParameters; ++i) {
        const uint8_t* slot = bytes + 4 + Slot * i;
        if (i > n) {
            for (int k = 0; k < Slot; ++k)
                Check(slot[k] == 0);
            continue;
        }
        const QByteArray expected = Cut((*texts)[i]);
        Check(expected.size() <= Limit);
        Check(slot[0] == expected.size());
        Check(std::memcmp(slot + 1, expected.constData(), size_t(expected.size())) == 0);
        for (int k = 1 + int(expected.size()); k < Slot; ++k)
            Check(slot[k] == 0);
        cut << QString::fromUtf8(expected);
    }
    const auto reread = CommandLineMessage::Decode(again);
    Check(reread.has_value() && *reread == cut);
    return 0;
}
