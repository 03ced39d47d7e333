#include "core/SystemFacts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

// The machine facts of the about box: the memory from the text of /proc/meminfo, its
// grouping by the locale, and the display adapters from the DRM class folder.
class TestSystemFacts : public QObject {
    Q_OBJECT

private slots:
    void memInfo_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("read");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<int>("load");
        QTest::newRow("2 GiB, a quarter in use")
            << "MemTotal:        2097152 kB\nMemFree:          100000 kB\n"
               "MemAvailable:    1572864 kB\nBuffers:           10000 kB\n"
            << true << qint64(2097152) << 25;
        QTest::newRow("no MemAvailable: free, buffers and cache")
            << "MemTotal: 1000 kB\nMemFree: 300 kB\nBuffers: 100 kB\nCached: 170 kB\n"
            << true << qint64(1000) << 43;
        QTest::newRow("rounded to the nearest") << "MemTotal: 1000 kB\nMemAvailable: 995 kB\n"
                                                << true << qint64(1000) << 1;
        QTest::newRow("more available than the total")
            << "MemTotal: 1000 kB\nMemAvailable: 5000 kB\n"
            << true << qint64(1000) << 0;
        QTest::newRow("nothing available") << "MemTotal: 1000 kB\n" << true << qint64(1000) << 100;
        QTest::newRow("MemTotal not first") << "Foo: 1 kB\nMemAvailable: 0 kB\nMemTotal: 64 kB\n"
                                            << true << qint64(64) << 100;
        QTest::newRow("empty text") << "" << false << qint64(0) << 0;
        QTest::newRow("no MemTotal") << "MemFree: 10 kB\n" << false << qint64(0) << 0;
        QTest::newRow("MemTotal zero") << "MemTotal: 0 kB\n" << false << qint64(0) << 0;
        QTest::newRow("MemTotal not a number") << "MemTotal: lots kB\n" << false << qint64(0) << 0;
        QTest::newRow("MemTotal too large") << "MemTotal: 99999999999999999999999 kB\n"
                                            << false << qint64(0) << 0;
    }

    void memInfo() {
        QFETCH(QString, text);
        QFETCH(bool, read);
        QFETCH(qint64, total);
        QFETCH(int, load);
        const std::optional<SystemFacts::Memory> m = SystemFacts::ParseMemInfo(text);
        QCOMPARE(m.has_value(), read);
        if (read) {
            QCOMPARE(m->totalKiB, total);
            QCOMPARE(m->loadPercent, load);
        }
    }

    void theMachinesMemInfoReads() {
        const auto m = SystemFacts::ReadMemory();
        QVERIFY(m.has_value());
        QVERIFY(m->totalKiB > 0);
        QVERIFY(m->loadPercent >= 0 && m->loadPercent <= 100);
        QVERIFY(!SystemFacts::ReadMemory(QStringLiteral("/nonexistent/meminfo")).has_value());
    }

    // 2 GiB: 2097152 KiB grouped by thousands with the locale's separator.
    void memoryText_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("French") << QLocale(QLocale::French, QLocale::France)
                                << QStringLiteral("2\u202f097\u202f152 Ko");
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                                 << QStringLiteral("2,097,152 Ko");
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany)
                                << QStringLiteral("2.097.152 Ko");
        QTest::newRow("C, which does not group by default")
            << QLocale::c() << QStringLiteral("2,097,152 Ko");
    }

    void memoryText() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        const auto m = SystemFacts::ParseMemInfo(QStringLiteral("MemTotal: 2097152 kB\n"));
        QVERIFY(m.has_value());
        const QString shown = SystemFacts::PhysicalMemoryText(m->totalKiB, locale);
        QCOMPARE(shown, text);
    }

    void loadText() {
        QCOMPARE(SystemFacts::MemoryLoadText(43), QStringLiteral("43 %"));
        QCOMPARE(SystemFacts::MemoryLoadText(100), QStringLiteral("100 %"));
    }

    // Every card<number> of the DRM folder, by number, gaps and all: connectors, render
    // nodes and other names are not adapters.
    void displayAdapters() {
        QTemporaryDir dir;
        const QString drm = dir.path() + QStringLiteral("/drm");
        const QString ids = dir.path() + QStringLiteral("/pci.ids");
        Write(ids, "# a comment\n"
                   "1002  Advanced Micro Devices, Inc. [AMD/ATI]\n"
                   "\t67df  Ellesmere [Radeon RX 470/480/570/580]\n"
                   "\t\t1002 0b31  a subsystem\n"
                   "8086  Intel Corporation\n"
                   "\t1916  Skylake GT2 [HD Graphics 520]\n"
                   "10de  NVIDIA Corporation\n");
        // Written in an order that is neither the numeric nor the alphabetical one.
        Write(drm + "/card10/device/vendor", "0x1002\n");
        Write(drm + "/card10/device/device", "0x67df\n");
        Write(drm + "/card1/device/vendor", "0x8086\n");
        Write(drm + "/card1/device/device", "0x1916\n");
        Write(drm + "/card1-eDP-1/status", "connected\n");
        Write(drm + "/card1-DP-1/status", "disconnected\n");
        Write(drm + "/card3/device/vendor", "0x10de\n");
        Write(drm + "/card3/device/device", "0x1c82\n");
        Write(drm + "/card2/device/uevent", "DRIVER=virtio-pci\nPCI_ID=1AF4:1050\n");
        Write(drm + "/card4/device/uevent", "DRIVER=simple-framebuffer\n");
        Write(drm + "/card7/status", "");
        Write(drm + "/renderD128/device/vendor", "0x8086\n");
        Write(drm + "/version", "drm 1.1.0 20060810\n");
        Write(drm + "/cardX/device/vendor", "0x8086\n");
        Write(drm + "/card/device/vendor", "0x8086\n");
        QCOMPARE(SystemFacts::DisplayAdapters(drm, {ids}),
                 QStringList({"Intel Corporation Skylake GT2 [HD Graphics 520]",
                              "virtio-pci [1AF4:1050]", "NVIDIA Corporation", "simple-framebuffer",
                              "card7",
                              "Advanced Micro Devices, Inc. [AMD/ATI] Ellesmere [Radeon RX "
                              "470/480/570/580]"}));
        // Without the ID list: the driver and the PCI ID as the kernel gives them.
        QCOMPARE(SystemFacts::DisplayAdapters(drm, {}).first(), QStringLiteral("8086:1916"));
        QVERIFY(SystemFacts::DisplayAdapters(dir.path() + "/none", {ids}).isEmpty());
    }

    // The common case once the boot display driver has gone: card1 alone, as the kernel
    // shows it, a link to the device's folder.
    void aLoneCard1() {
        QTemporaryDir dir;
        const QString devices = dir.path() + QStringLiteral("/devices/pci0000:00/0000:00:02.0");
        Write(devices + "/drm/card1/device/uevent", "DRIVER=i915\nPCI_ID=8086:3E92\n");
        const QString drm = dir.path() + QStringLiteral("/drm");
        QVERIFY(QDir().mkpath(drm));
        QVERIFY(QFile::link(devices + "/drm/card1", drm + "/card1"));
        QVERIFY(QFile::link(devices + "/drm/card1-HDMI-A-1", drm + "/card1-HDMI-A-1"));
        QCOMPARE(SystemFacts::DisplayAdapters(drm, {}), QStringList{"i915 [8086:3E92]"});
    }
};

QTEST_MAIN(TestSystemFacts)
#include "tst_systemfacts.moc"
