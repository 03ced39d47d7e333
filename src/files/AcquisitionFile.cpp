#include "files/AcquisitionFile.h"

#include "core/Sweep.h"

#include <QBuffer>
#include <QFile>
#include <array>
#include <cstring>

namespace {

constexpr char Magic[8] = {'O', 'S', 'C', 'A', 'C', 'Q', '\x1a', '\n'};

// What a version 1 record can hold, and what the reader accepts.
constexpr qint64 LastTime = 253402300799999; // 9999-12-31 23:59:59.999 UTC
constexpr int MostOffsetMinutes = 18 * 60;
constexpr int MostCode = 999;         // three digits
constexpr int LeastExtreme = -999;    // a difference
constexpr int MostExtreme = 2 * 999;  // a sum
constexpr int MostGroundLevel = 2048; // far beyond the screen either way
constexpr int TriggerArmedFlag = 1;
constexpr int RunningFlag = 2;
constexpr int TraceFlag = 1;
constexpr int ProbeFlag = 2;
constexpr int MarkerFlag = 4;
constexpr int MeasuredFlag = 8;
constexpr int ChannelFlags = TraceFlag | ProbeFlag | MarkerFlag | MeasuredFlag;
constexpr int ChannelOffset[2] = {18, 26};
constexpr int ExtremesOffset = 34;
constexpr int CodesOffset[2] = {50, 650};
constexpr int CrcOffset = 1250;

static_assert(CrcOffset + 4 == AcquisitionFile::RecordBytes);
static_assert(CodesOffset[1] + 2 * Sweep::Points == CrcOffset);

std::array<quint32, 256> MakeCrcTable() {
    std::array<quint32, 256> table{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

// Little-endian fields.
template <typename T> void Put(QByteArray& out, int at, T value) {
    using U = std::make_unsigned_t<T>;
    const U bits = static_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out[at + int(i)] = char((bits >> (8 * i)) & 0xFF);
}

template <typename T> T Get(QByteArrayView in, int at) {
    using U = std::make_unsigned_t<T>;
    U bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bits |= U(quint8(in[at + int(i)])) << (8 * i);
    return static_cast<T>(bits);
}

QString ChannelName(int c) {
    return c == 0 ? QStringLiteral("voie A") : QStringLiteral("voie B");
}

std::array<int*, 8> ExtremeFields(SweepExtremes& e) {
    return {&e.sumMax,      &e.sumMin,      &e.differenceMax, &e.differenceMin,
            &e.channelAMax, &e.channelAMin, &e.channelBMax,   &e.channelBMin};
}

// Why a record's values are outside what the file holds; empty when they are not.
QString Invalid(const SweepRecord& r) {
    const InstrumentSettings& in = r.instrument;
    if (r.msecsSinceEpoch < 0 || r.msecsSinceEpoch > LastTime)
        return QStringLiteral("date hors des limites");
    if (r.utcOffsetMinutes < -MostOffsetMinutes || r.utcOffsetMinutes > MostOffsetMinutes)
        return QStringLiteral("décalage horaire de %1 minutes hors des limites")
            .arg(r.utcOffsetMinutes);
    if (!TimeBaseAt(in.timeBaseIndex))
        return QStringLiteral("base de temps %1 hors du tableau (1 à %2)")
            .arg(in.timeBaseIndex)
            .arg(TimeBaseCount);
    if (!TriggerAt(int(in.triggerSource)))
        return QStringLiteral("déclenchement %1 hors du tableau (1 à 4)")
            .arg(int(in.triggerSource));
    if (!MathModeAt(int(in.mathMode)))
        return QStringLiteral("mode math %1 hors du tableau (0 à 3)").arg(int(in.mathMode));
    if (!MagnifierAt(r.magnification))
        return QStringLiteral("loupe x%1 inconnue (x1, x2 ou x5)").arg(r.magnification);
    if (r.ramWindowStart < 0 || r.ramWindowStart > Sweep::LastWindowStart)
        return QStringLiteral("début de fenêtre %1 hors des limites (0 à %2)")
            .arg(r.ramWindowStart)
            .arg(Sweep::LastWindowStart);
    for (int c = 0; c < 2; ++c) {
        const ChannelSettings& ch = in.Of(c == 0 ? Channel::A : Channel::B);
        if (!VoltsPerDivAt(ch.voltsPerDivIndex))
            return QStringLiteral("%1 : calibre %2 hors du tableau (1 à %3)")
                .arg(ChannelName(c))
                .arg(ch.voltsPerDivIndex)
                .arg(VoltsPerDivCount);
        if (!CouplingAt(int(ch.coupling)))
            return QStringLiteral("%1 : couplage %2 hors du tableau (1 à 3)")
                .arg(ChannelName(c))
                .arg(int(ch.coupling));
        if (ch.verticalPosition < 0 || ch.verticalPosition > 255)
            return QStringLiteral("%1 : position %2 hors des limites (0 à 255)")
                .arg(ChannelName(c))
                .arg(ch.verticalPosition);
        if (ch.groundLevel < -MostGroundLevel || ch.groundLevel > MostGroundLevel)
            return QStringLiteral("%1 : niveau de masse %2 hors des limites")
                .arg(ChannelName(c))
                .arg(ch.groundLevel);
    }
    SweepExtremes extremes = r.sweep.extremes;
    for (const int* e : ExtremeFields(extremes))
        if (*e < LeastExtreme || *e > MostExtreme)
            return QStringLiteral("extrême %1 hors des limites").arg(*e);
    for (int c = 0; c < 2; ++c) {
        const auto& codes = c == 0 ? r.sweep.codeA : r.sweep.codeB;
        for (std::size_t i = 0; i < codes.size(); ++i)
            if (codes[i] < 0 || codes[i] > MostCode)
                return QStringLiteral("%1 : code %2 au point %3 hors des limites (0 à 999)")
                    .arg(ChannelName(c))
                    .arg(codes[i])
                    .arg(i + 1);
    }
    return {};
}

} // namespace

namespace AcquisitionFile {

quint32 Crc32(QByteArrayView bytes) {
    static const std::array<quint32, 256> table = MakeCrcTable();
    quint32 c = 0xFFFFFFFFu;
    for (const char byte : bytes)
        c = table[(c ^ quint8(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray Header() {
    QByteArray header(HeaderBytes, '\0');
    std::memcpy(header.data(), Magic, sizeof Magic);
    Put<quint16>(header, 8, Version);
    Put<quint16>(header, 10, RecordBytes);
    return header;
}

QByteArray EncodeSweep(const SweepRecord& r) {
    if (const QString why = Invalid(r); !why.isEmpty())
        throw std::invalid_argument(why.toStdString());
    const InstrumentSettings& in = r.instrument;
    QByteArray out(RecordBytes, '\0');
    Put<qint64>(out, 0, r.msecsSinceEpoch);
    Put<qint16>(out, 8, qint16(r.utcOffsetMinutes));
    Put<quint8>(out, 10, quint8(in.timeBaseIndex));
    Put<quint8>(out, 11, quint8(in.triggerSource));
    Put<quint8>(out, 12,
                quint8((in.triggerArmed ? TriggerArmedFlag : 0) | (in.running ? RunningFlag : 0)));
    Put<quint8>(out, 13, quint8(in.mathMode));
    Put<quint8>(out, 14, quint8(r.magnification));
    Put<quint16>(out, 16, quint16(r.ramWindowStart));
    for (int c = 0; c < 2; ++c) {
        const ChannelSettings& ch = in.Of(c == 0 ? Channel::A : Channel::B);
        const int at = ChannelOffset[c];
        Put<quint8>(out, at, quint8(ch.voltsPerDivIndex));
        Put<quint8>(out, at + 1, quint8(ch.coupling));
        Put<quint8>(out, at + 2, quint8(ch.verticalPosition));
        Put<quint8>(out, at + 3,
                    quint8((ch.traceOn ? TraceFlag : 0) | (ch.probeTimesTen ? ProbeFlag : 0) |
                           (ch.groundMarkerShown ? MarkerFlag : 0) |
                           (ch.groundMeasured ? MeasuredFlag : 0)));
        Put<qint32>(out, at + 4, qint32(ch.groundLevel));
    }
    SweepExtremes extremes = r.sweep.extremes;
    const auto fields = ExtremeFields(extremes);
    for (std::size_t i = 0; i < fields.size(); ++i)
        Put<qint16>(out, ExtremesOffset + 2 * int(i), qint16(*fields[i]));
    for (int c = 0; c < 2; ++c) {
        const auto& codes = c == 0 ? r.sweep.codeA : r.sweep.codeB;
        for (std::size_t i = 0; i < codes.size(); ++i)
            Put<quint16>(out, CodesOffset[c] + 2 * int(i), quint16(codes[i]));
    }
    Put<quint32>(out, CrcOffset, Crc32(QByteArrayView(out).first(CrcOffset)));
    return out;
}

std::optional<SweepRecord> DecodeSweep(QByteArrayView in, QString& why) {
    if (in.size() != RecordBytes) {
        why = QStringLiteral("taille %1 au lieu de %2 octets").arg(in.size()).arg(RecordBytes);
        return std::nullopt;
    }
    if (Get<quint32>(in, CrcOffset) != Crc32(in.first(CrcOffset))) {
        why = QStringLiteral("sa somme de contrôle ne correspond pas");
        return std::nullopt;
    }
    const int flags = Get<quint8>(in, 12);
    if ((flags & ~(TriggerArmedFlag | RunningFlag)) != 0 || Get<quint8>(in, 15) != 0) {
        why = QStringLiteral("indicateurs inconnus");
        return std::nullopt;
    }
    SweepRecord r;
    InstrumentSettings& s = r.instrument;
    r.msecsSinceEpoch = Get<qint64>(in, 0);
    r.utcOffsetMinutes = Get<qint16>(in, 8);
    s.timeBaseIndex = Get<quint8>(in, 10);
    s.triggerSource = static_cast<TriggerSource>(Get<quint8>(in, 11));
    s.triggerArmed = (flags & TriggerArmedFlag) != 0;
    s.running = (flags & RunningFlag) != 0;
    s.mathMode = static_cast<MathMode>(Get<quint8>(in, 13));
    r.magnification = Get<quint8>(in, 14);
    r.ramWindowStart = Get<quint16>(in, 16);
    for (int c = 0; c < 2; ++c) {
        ChannelSettings& ch = s.Of(c == 0 ? Channel::A : Channel::B);
        const int at = ChannelOffset[c];
        const int channelFlags = Get<quint8>(in, at + 3);
        if ((channelFlags & ~ChannelFlags) != 0) {
            why = QStringLiteral("%1 : indicateurs inconnus").arg(ChannelName(c));
            return std::nullopt;
        }
        ch.voltsPerDivIndex = Get<quint8>(in, at);
        ch.coupling = static_cast<Coupling>(Get<quint8>(in, at + 1));
        ch.verticalPosition = Get<quint8>(in, at + 2);
        ch.traceOn = (channelFlags & TraceFlag) != 0;
        ch.probeTimesTen = (channelFlags & ProbeFlag) != 0;
        ch.groundMarkerShown = (channelFlags & MarkerFlag) != 0;
        ch.groundMeasured = (channelFlags & MeasuredFlag) != 0;
        ch.groundLevel = Get<qint32>(in, at + 4);
    }
    const auto fields = ExtremeFields(r.sweep.extremes);
    for (std::size_t i = 0; i < fields.size(); ++i)
        *fields[i] = Get<qint16>(in, ExtremesOffset + 2 * int(i));
    for (int c = 0; c < 2; ++c) {
        auto& codes = c == 0 ? r.sweep.codeA : r.sweep.codeB;
        for (std::size_t i = 0; i < codes.size(); ++i)
            codes[i] = Get<quint16>(in, CodesOffset[c] + 2 * int(i));
    }
    why = Invalid(r);
    if (!why.isEmpty())
        return std::nullopt;
    return r;
}

} // namespace AcquisitionFile

AcquisitionWriter::AcquisitionWriter(const QString& path) : file(path) {
    file.Append(AcquisitionFile::Header());
}

AcquisitionWriter::AcquisitionWriter(QIODevice& device, const QString& name) : file(device, name) {
    file.Append(AcquisitionFile::Header());
}

void AcquisitionWriter::Write(const SweepRecord& record) {
    file.Append(AcquisitionFile::EncodeSweep(record));
    ++sweeps;
}

namespace {

// Up to `count` bytes, fewer only at the end of the device; nothing and `failed` when the
// device cannot be read.
QByteArray ReadUpTo(QIODevice& device, qint64 count, bool& failed) {
    QByteArray bytes;
    bytes.reserve(count);
    while (bytes.size() < count) {
        const QByteArray piece = device.read(count - bytes.size());
        if (piece.isEmpty()) {
            failed = !device.atEnd(); // nothing read before the end: the device failed
            break;
        }
        bytes += piece;
    }
    return bytes;
}

} // namespace

AcquisitionReader::AcquisitionReader(QIODevice& in, const QString& fileName)
    : device(in), name(fileName) {}

bool AcquisitionReader::Refuse(const QString& why) {
    error = why;
    ended = true;
    return false;
}

bool AcquisitionReader::ReadHeader() {
    headerRead = true;
    bool failed = false;
    const QByteArray header = ReadUpTo(device, AcquisitionFile::HeaderBytes, failed);
    if (failed)
        return Refuse(QStringLiteral("Le fichier \"%1\" ne peut pas être lu : %2")
                          .arg(name, device.errorString()));
    const QByteArray expected = AcquisitionFile::Header();
    if (header == expected)
        return true;
    if (expected.startsWith(header)) {
        // Cut off before its first sweep.
        truncated = header.size();
        ended = true;
        return false;
    }
    if (!header.startsWith(QByteArrayView(Magic, sizeof Magic)))
        return Refuse(QStringLiteral(
                          "Le fichier \"%1\" n'est pas un fichier d'acquisition de l'oscilloscope.")
                          .arg(name));
    const int version = header.size() >= 10 ? Get<quint16>(header, 8) : AcquisitionFile::Version;
    if (version != AcquisitionFile::Version)
        return Refuse(
            QStringLiteral("Le fichier \"%1\" est un fichier d'acquisition de version %2 ; "
                           "ce programme ne lit que la version %3.")
                .arg(name)
                .arg(version)
                .arg(AcquisitionFile::Version));
    return Refuse(QStringLiteral("Le fichier d'acquisition \"%1\" est endommagé : son en-tête "
                                 "est incorrect.")
                      .arg(name));
}

bool AcquisitionReader::Next(SweepRecord& record) {
    if (ended)
        return false;
    if (!headerRead && !ReadHeader())
        return false;
    bool failed = false;
    const QByteArray bytes = ReadUpTo(device, AcquisitionFile::RecordBytes, failed);
    if (failed)
        return Refuse(QStringLiteral("Le fichier \"%1\" ne peut pas être lu : %2")
                          .arg(name, device.errorString()));
    if (bytes.size() < AcquisitionFile::RecordBytes) {
        truncated = bytes.size();
        ended = true;
        return false;
    }
    QString why;
    std::optional<SweepRecord> decoded = AcquisitionFile::DecodeSweep(bytes, why);
    if (!decoded) {
        const qint64 first =
            AcquisitionFile::HeaderBytes + qint64(sweeps) * AcquisitionFile::RecordBytes;
        return Refuse(QStringLiteral("Le fichier d'acquisition \"%1\" est endommagé : balayage %2 "
                                     "(octets %3 à %4) : %5.")
                          .arg(name)
                          .arg(sweeps + 1)
                          .arg(first)
                          .arg(first + AcquisitionFile::RecordBytes - 1)
                          .arg(why));
    }
    record = *decoded;
    ++sweeps;
    return true;
}

namespace {

AcquisitionContents ReadAll(QIODevice& device, const QString& name) {
    AcquisitionContents contents;
    AcquisitionReader reader(device, name);
    SweepRecord record;
    while (reader.Next(record))
        contents.sweeps.push_back(record);
    contents.error = reader.Error();
    contents.truncatedBytes = reader.TruncatedBytes();
    if (!contents.error.isEmpty())
        contents.sweeps.clear();
    return contents;
}

} // namespace

AcquisitionContents ReadAcquisitionFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        AcquisitionContents contents;
        contents.error = QStringLiteral("Le fichier \"%1\" ne peut pas être lu : %2")
                             .arg(path, file.errorString());
        return contents;
    }
    return ReadAll(file, path);
}

AcquisitionContents ReadAcquisitionBytes(const QByteArray& bytes, const QString& name) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadAll(buffer, name);
}
