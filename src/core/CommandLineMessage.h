#pragma once

#include <QByteArray>
#include <QStringList>
#include <optional>

// The message a second copy of the program sends to the first one: its command line in a
// block of fixed size. The first four bytes hold n, the number of parameters, as a
// little-endian signed integer; then eleven slots of 256 bytes, one per text (slot 0 the
// program path, slots 1 to n the parameters), each a length byte followed by up to 255
// bytes of UTF-8. The slots after text n are zero.
namespace CommandLineMessage {

inline constexpr int MaxParameters = 10;
inline constexpr int SlotBytes = 256;
inline constexpr int MaxTextBytes = SlotBytes - 1;
inline constexpr int Size = 4 + SlotBytes * (MaxParameters + 1); // 2820

// `arguments` is the program path followed by its parameters. Parameters past the tenth
// are left out, and a text longer than 255 bytes is cut at the last whole character that
// fits. An empty list gives an empty program path and no parameter.
QByteArray Encode(const QStringList& arguments);

// The program path and the n parameters of a message, or nothing when the block is not a
// message: any size other than 2820 bytes, or n outside 0 to 10. Text bytes that are not
// valid UTF-8 are read as replacement characters.
std::optional<QStringList> Decode(const QByteArray& message);

} // namespace CommandLineMessage
