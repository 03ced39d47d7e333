// libFuzzer target: any bytes a local process may send to the running copy, read as the
// command-line message of a later copy. Reading never fails other than by refusing the
// block; a block that is read gives the program path and at most ten parameters of at
// most 255 bytes each, and those texts written again make a message that reads back.
#include "core/CommandLineMessage.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray block(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto texts = CommandLineMessage::Decode(block);
    if (!texts)
        return 0;
    if (size != CommandLineMessage::Size || texts->isEmpty() ||
        texts->size() > CommandLineMessage::MaxParameters + 1)
        std::abort();
    for (const QString& text : *texts)
        if (text.size() > CommandLineMessage::MaxTextBytes)
            std::abort();
    const QByteArray again = CommandLineMessage::Encode(*texts);
    const auto reread = CommandLineMessage::Decode(again);
    if (again.size() != CommandLineMessage::Size || !reread || reread->size() != texts->size())
        std::abort();
    return 0;
}
