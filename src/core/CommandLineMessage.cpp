#include "core/CommandLineMessage.h"

#include <QtEndian>

namespace CommandLineMessage {

namespace {

// The UTF-8 bytes of a text, cut so that they fit a slot without splitting a character.
QByteArray SlotText(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= MaxTextBytes)
        return bytes;
    int end = MaxTextBytes;
    // Back up over continuation bytes (10xxxxxx) to the start of the cut character.
    while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
        --end;
    return bytes.left(end);
}

} // namespace

QByteArray Encode(const QStringList& arguments) {
    QByteArray message(Size, '\0');
    const int count =
        arguments.isEmpty() ? 0 : int(std::min<qsizetype>(arguments.size() - 1, MaxParameters));
    qToLittleEndian<qint32>(count, message.data());
    for (int i = 0; i <= count && i < arguments.size(); ++i) {
        const QByteArray text = SlotText(arguments[i]);
        char* slot = message.data() + 4 + SlotBytes * i;
        slot[0] = static_cast<char>(text.size());
        std::copy(text.begin(), text.end(), slot + 1);
    }
    return message;
}

std::optional<QStringList> Decode(const QByteArray& message) {
    if (message.size() != Size)
        return std::nullopt;
    const qint32 count = qFromLittleEndian<qint32>(message.constData());
    if (count < 0 || count > MaxParameters)
        return std::nullopt;
    QStringList texts;
    for (int i = 0; i <= count; ++i) {
        const qsizetype slot = 4 + qsizetype(SlotBytes) * i;
        // A length byte cannot reach past its slot: 1 + 255 bytes is the slot's size.
        const int length = static_cast<unsigned char>(message.at(slot));
        texts << QString::fromUtf8(QByteArrayView(message).sliced(slot + 1, length));
    }
    return texts;
}

} // namespace CommandLineMessage
