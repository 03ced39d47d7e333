#include "core/SystemFacts.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTextStream>
#include <algorithm>
#include <utility>
#include <vector>

namespace SystemFacts {

namespace {

// The KiB of a "Name:   1234 kB" line; empty when the line is missing or not a number.
std::optional<qint64> Field(const QHash<QString, qint64>& fields, const QString& name) {
    const auto it = fields.constFind(name);
    if (it == fields.constEnd())
        return std::nullopt;
    return *it;
}

QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

// "0x8086" or "8086" as four lower-case hex digits.
QString HexId(QString text) {
    text = text.trimmed().toLower();
    if (text.startsWith(QStringLiteral("0x")))
        text = text.mid(2);
    return text;
}

// The vendor's and the device's names from a PCI ID list ("8086  Intel Corporation" then
// "\t1916  Skylake GT2 [HD Graphics 520]"); empty when the list does not know the vendor.
QString PciName(const QStringList& idFiles, const QString& vendor, const QString& device) {
    for (const QString& path : idFiles) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QTextStream in(&file);
        QString vendorName;
        while (!in.atEnd()) {
            const QString line = in.readLine();
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            if (vendorName.isEmpty()) {
                if (!line.startsWith(u'\t') && line.left(4).toLower() == vendor)
                    vendorName = line.mid(4).trimmed();
                continue;
            }
            if (!line.startsWith(u'\t'))
                break; // the next vendor: the device is not listed
            if (!line.startsWith(QStringLiteral("\t\t")) && line.mid(1, 4).toLower() == device)
                return vendorName + u' ' + line.mid(5).trimmed();
        }
        if (!vendorName.isEmpty())
            return vendorName;
    }
    return {};
}

QString Describe(const QString& card, const QStringList& idFiles) {
    const QString device = card + QStringLiteral("/device/");
    const QString vendorId = HexId(ReadText(device + QStringLiteral("vendor")));
    const QString deviceId = HexId(ReadText(device + QStringLiteral("device")));
    if (!vendorId.isEmpty()) {
        const QString name = PciName(idFiles, vendorId, deviceId);
        if (!name.isEmpty())
            return name;
    }
    QString driver;
    QString pciId;
    for (const QString& line : ReadText(device + QStringLiteral("uevent")).split(u'\n')) {
        if (line.startsWith(QStringLiteral("DRIVER=")))
            driver = line.mid(7).trimmed();
        else if (line.startsWith(QStringLiteral("PCI_ID=")))
            pciId = line.mid(7).trimmed();
    }
    if (pciId.isEmpty() && !vendorId.isEmpty())
        pciId = (vendorId + u':' + deviceId).toUpper();
    if (!driver.isEmpty())
        return pciId.isEmpty() ? driver : driver + QStringLiteral(" [") + pciId + u']';
    if (!pciId.isEmpty())
        return pciId;
    return card.section(u'/', -1);
}

} // namespace

std::optional<Memory> ParseMemInfo(const QString& text) {
    static const QRegularExpression Row(QStringLiteral("^(\\w+):\\s+(\\d+)(\\s+kB)?\\s*$"),
                                        QRegularExpression::MultilineOption);
    QHash<QString, qint64> fields;
    for (auto it = Row.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        bool ok = false;
        const qint64 value = m.captured(2).toLongLong(&ok);
        if (ok && !fields.contains(m.captured(1)))
            fields.insert(m.captured(1), value);
    }
    const std::optional<qint64> total = Field(fields, QStringLiteral("MemTotal"));
    if (!total || *total <= 0)
        return std::nullopt;
    qint64 available = 0;
    if (const auto a = Field(fields, QStringLiteral("MemAvailable")))
        available = *a;
    else
        available = Field(fields, QStringLiteral("MemFree")).value_or(0) +
                    Field(fields, QStringLiteral("Buffers")).value_or(0) +
                    Field(fields, QStringLiteral("Cached")).value_or(0);
    available = std::clamp<qint64>(available, 0, *total);
    const qint64 used = *total - available;
    Memory memory;
    memory.totalKiB = *total;
    memory.loadPercent = static_cast<int>((used * 200 + *total) / (2 * *total));
    return memory;
}

std::optional<Memory> ReadMemory(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    return ParseMemInfo(QString::fromLatin1(file.readAll()));
}

QString PhysicalMemoryText(qint64 totalKiB, const QLocale& locale) {
    QLocale grouping = locale;
    grouping.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return grouping.toString(totalKiB) + QStringLiteral(" Ko");
}

QString MemoryLoadText(int percent) {
    return QString::asprintf("%d %%", percent);
}

QStringList DisplayAdapters(const QString& drmFolder, const QStringList& pciIdFiles) {
    // The numbers need not follow one another: card0 is often gone once the boot display
    // driver has handed over to the real one, leaving card1 alone. Connector entries
    // (card1-DP-1) and render nodes are not adapters.
    static const QRegularExpression Card(QStringLiteral("^card([0-9]{1,9})$"));
    std::vector<std::pair<int, QString>> cards;
    const QStringList names =
        QDir(drmFolder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QRegularExpressionMatch m = Card.match(name);
        if (m.hasMatch())
            cards.emplace_back(m.captured(1).toInt(), name);
    }
    std::sort(cards.begin(), cards.end());
    QStringList adapters;
    for (const auto& [number, name] : cards)
        adapters << Describe(drmFolder + u'/' + name, pciIdFiles);
    return adapters;
}

} // namespace SystemFacts
