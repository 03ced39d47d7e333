#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

// Facts about the user's machine shown by the about box, read from what Linux offers. Each
// reader takes its source (a text, a folder) so that it can be tried on any input.
namespace SystemFacts {

struct Memory {
    qint64 totalKiB = 0;
    int loadPercent = 0; // share of the physical memory in use, 0 to 100
};

// Reads the text of /proc/meminfo: MemTotal (already in KiB) and the memory in use,
// MemTotal less MemAvailable (or, from kernels without that line, less MemFree, Buffers
// and Cached), as a whole percentage rounded to the nearest. Empty when the text holds no
// usable MemTotal.
std::optional<Memory> ParseMemInfo(const QString& text);
// The machine's /proc/meminfo.
std::optional<Memory> ReadMemory(const QString& path = QStringLiteral("/proc/meminfo"));

// "2 097 152 Ko": the KiB with the locale's thousands separator between the groups, also
// for a locale that does not group by default.
QString PhysicalMemoryText(qint64 totalKiB, const QLocale& locale = QLocale());
// "43 %".
QString MemoryLoadText(int percent);

// The descriptions of the display adapters: every card<number> entry of the DRM class
// folder, in the order of their numbers (card2 before card10), gaps and all. Each is the
// vendor's and the device's names from the PCI ID list when it knows them, otherwise the
// kernel driver with the PCI ID, otherwise the card's name. Empty when the machine shows no
// adapter.
QStringList DisplayAdapters(const QString& drmFolder = QStringLiteral("/sys/class/drm"),
                            const QStringList& pciIdFiles = {
                                QStringLiteral("/usr/share/misc/pci.ids"),
                                QStringLiteral("/usr/share/hwdata/pci.ids")});

} // namespace SystemFacts
