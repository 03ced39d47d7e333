// The acquisition file: sweeps recorded one whole record at a time and read back exactly;
// a truncated file gives its whole sweeps, a damaged or hostile one a clear refusal.

#include "files/AcquisitionFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <random>
#include <sys/resource.h>

namespace {

constexpr int Header = 16;
constexpr int Record = 1254;

// A record with every field away from its default, drawn from the seed.
SweepRecord RandomRecord(std::mt19937& random) {
    SweepRecord r;
    r.msecsSinceEpoch = 1717243509123 + qint64(random() % 100000000);
    r.utcOffsetMinutes = int(random() % 2161) - 1080;
    InstrumentSettings& in = r.instrument;
    in.timeBaseIndex = 1 + int(random() % 18);
    in.triggerSource = static_cast<TriggerSource>(1 + random() % 4);
    in.triggerArmed = random() % 2;
    in.running = random() % 2;
    in.mathMode = static_cast<MathMode>(random() % 4);
    for (Channel c : {Channel::A, Channel::B}) {
        ChannelSettings& ch = in.Of(c);
        ch.voltsPerDivIndex = 1 + int(random() % 9);
        ch.coupling = static_cast<Coupling>(1 + random() % 3);
        ch.probeTimesTen = random() % 2;
        ch.verticalPosition = int(random() % 256);
        ch.groundLevel = int(random() % 4097) - 2048;
        ch.groundMarkerShown = random() % 2;
        ch.groundMeasured = random() % 2;
        ch.traceOn = random() % 2;
    }
    const int factors[] = {1, 2, 5};
    r.magnification = factors[random() % 3];
    r.ramWindowStart = int(random() % 1748);
    for (int i = 0; i < 300; ++i) {
        r.sweep.codeA[std::size_t(i)] = int(random() % 1000);
        r.sweep.codeB[std::size_t(i)] = int(random() % 1000);
    }
    SweepExtremes& e = r.sweep.extremes;
    for (int* field : {&e.sumMax, &e.sumMin, &e.differenceMax, &e.differenceMin, &e.channelAMax,
                       &e.channelAMin, &e.channelBMax, &e.channelBMin})
        *field = int(random() % 2998) - 999;
    return r;
}

std::vector<SweepRecord> RandomRecords(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<SweepRecord> records;
    for (int i = 0; i < count; ++i)
        records.push_back(RandomRecord(random));
    return records;
}

QByteArray FileBytes(const std::vector<SweepRecord>& records) {
    QByteArray bytes = AcquisitionFile::Header();
    for (const SweepRecord& r : records)
        bytes += AcquisitionFile::EncodeSweep(r);
    return bytes;
}

void PutLittleEndian(QByteArray& bytes, int at, quint64 value, int size) {
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

quint64 LittleEndian(const QByteArray& bytes, int at, int size) {
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value |= quint64(quint8(bytes[at + i])) << (8 * i);
    return value;
}

// The record's CRC made right again after a change, so that only the value is wrong.
void Reseal(QByteArray& bytes, int recordStart) {
    const quint32 crc =
        AcquisitionFile::Crc32(QByteArrayView(bytes).sliced(recordStart, Record - 4));
    PutLittleEndian(bytes, recordStart + Record - 4, crc, 4);
}

} // namespace

class AcquisitionFileTest : public QObject {
    Q_OBJECT
private slots:
    // The CRC is zlib's: its check value for "123456789", and those of a few short texts.
    void crcIsZlibs_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<quint32>("crc");
        QTest::newRow("check value") << QByteArray("123456789") << quint32(0xCBF43926);
        QTest::newRow("empty") << QByteArray() << quint32(0);
        QTest::newRow("one letter") << QByteArray("a") << quint32(0xE8B7BE43);
        QTest::newRow("zero byte") << QByteArray(1, '\0') << quint32(0xD202EF8D);
    }
    void crcIsZlibs() {
        QFETCH(QByteArray, bytes);
        QFETCH(quint32, crc);
        QCOMPARE(AcquisitionFile::Crc32(bytes), crc);
    }

    // The documented places of the fields, byte for byte.
    void layout() {
        SweepRecord r;
        r.msecsSinceEpoch = 0x0102030405LL;
        r.utcOffsetMinutes = -90;
        r.instrument.timeBaseIndex = 17;
        r.instrument.triggerSource = TriggerSource::External;
        r.instrument.triggerArmed = true;
        r.instrument.running = false;
        r.instrument.mathMode = MathMode::XY;
        r.magnification = 5;
        r.ramWindowStart = 1747;
        r.instrument.channelA = {};
        r.instrument.channelB.voltsPerDivIndex = 9;
        r.instrument.channelB.coupling = Coupling::AC;
        r.instrument.channelB.verticalPosition = 255;
        r.instrument.channelB.traceOn = true;
        r.instrument.channelB.probeTimesTen = true;
        r.instrument.channelB.groundMarkerShown = false;
        r.instrument.channelB.groundMeasured = true;
        r.instrument.channelB.groundLevel = -300;
        r.sweep.extremes.sumMax = 1998;
        r.sweep.extremes.differenceMin = -999;
        r.sweep.codeA[0] = 999; // the others 0 as made
        r.sweep.codeB[299] = 513;
        const QByteArray b = AcquisitionFile::EncodeSweep(r);
        QCOMPARE(b.size(), Record);
        QCOMPARE(b.first(8), QByteArray("\x05\x04\x03\x02\x01\0\0\0", 8));
        QCOMPARE(b.sliced(8, 2), QByteArray("\xA6\xFF")); // -90
        QCOMPARE(int(b[10]), 17);
        QCOMPARE(int(b[11]), 4);
        QCOMPARE(int(b[12]), 1); // armed, not running
        QCOMPARE(int(b[13]), 3);
        QCOMPARE(int(b[14]), 5);
        QCOMPARE(int(b[15]), 0);
        QCOMPARE(LittleEndian(b, 16, 2), 1747u);
        // Channel A as created: 1 V/div (row 3), GND, position 128, only the marker shown.
        QCOMPARE(b.sliced(18, 8), QByteArray("\x03\x02\x80\x04\0\0\0\0", 8));
        QCOMPARE(b.sliced(26, 4), QByteArray("\x09\x01\xFF\x0B", 4)); // trace, x10, measured
        QCOMPARE(qint32(LittleEndian(b, 30, 4)), -300);
        QCOMPARE(LittleEndian(b, 34, 2), 1998u);                // sum max
        QCOMPARE(LittleEndian(b, 36, 2), 255u);                 // sum min as reset
        QCOMPARE(qint16(LittleEndian(b, 40, 2)), qint16(-999)); // difference min
        QCOMPARE(LittleEndian(b, 46, 2), 0u);                   // B max as reset
        QCOMPARE(LittleEndian(b, 50, 2), 999u);                 // A, point 1
        QCOMPARE(LittleEndian(b, 52, 2), 0u);                   // A, point 2
        QCOMPARE(LittleEndian(b, 650, 2), 0u);                  // B, point 1
        QCOMPARE(LittleEndian(b, 1248, 2), 513u);               // B, point 300
        QCOMPARE(LittleEndian(b, 1250, 4), quint64(AcquisitionFile::Crc32(b.first(1250))));
        QCOMPARE(AcquisitionFile::Header(), QByteArray("OSCACQ\x1a\n\x01\0\xe6\x04\0\0\0\0", 16));
    }

    // Written sweep by sweep and read back: every field of every sweep, at 1254 bytes a
    // sweep after the 16 of the header.
    void roundTrip() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.oscacq"));
        const std::vector<SweepRecord> written = RandomRecords(50, 7);
        {
            AcquisitionWriter writer(path);
            for (const SweepRecord& r : written)
                writer.Write(r);
            QCOMPARE(writer.SweepsWritten(), 50);
        }
        QCOMPARE(QFileInfo(path).size(), qint64(Header + 50 * Record));
        const AcquisitionContents read = ReadAcquisitionFile(path);
        QCOMPARE(read.error, QString());
        QCOMPARE(read.truncatedBytes, qint64(0));
        QVERIFY(read.sweeps == written);
    }

    // Each sweep is in the file as soon as it is written: a reader sees it while the
    // writer is still open, as after a crash.
    void eachSweepIsInTheFileAtOnce() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.oscacq"));
        const std::vector<SweepRecord> records = RandomRecords(3, 11);
        AcquisitionWriter writer(path);
        QCOMPARE(ReadAcquisitionFile(path).sweeps.size(), std::size_t(0));
        for (std::size_t i = 0; i < records.size(); ++i) {
            writer.Write(records[i]);
            const AcquisitionContents read = ReadAcquisitionFile(path);
            QCOMPARE(read.sweeps.size(), i + 1);
            QVERIFY(read.sweeps.back() == records[i]);
        }
    }

    // The standard output gets the same bytes as a file.
    void writesToADevice() {
        const std::vector<SweepRecord> records = RandomRecords(2, 3);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        AcquisitionWriter writer(out, QStringLiteral("la sortie standard"));
        for (const SweepRecord& r : records)
            writer.Write(r);
        QCOMPARE(out.data(), FileBytes(records));
    }

    // Cut anywhere, a file gives every whole sweep before the cut and counts what it left
    // out; cut inside the header it gives nothing, and no error either.
    void truncatedFile_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("sweeps");
        QTest::addColumn<int>("leftOut");
        QTest::newRow("empty") << 0 << 0 << 0;
        QTest::newRow("inside the magic") << 5 << 0 << 5;
        QTest::newRow("inside the header") << 15 << 0 << 15;
        QTest::newRow("header alone") << Header << 0 << 0;
        QTest::newRow("one byte of the first sweep") << Header + 1 << 0 << 1;
        QTest::newRow("first sweep but its CRC") << Header + Record - 4 << 0 << Record - 4;
        QTest::newRow("one sweep") << Header + Record << 1 << 0;
        QTest::newRow("two and a half") << Header + 2 * Record + 700 << 2 << 700;
        QTest::newRow("all three") << Header + 3 * Record << 3 << 0;
    }
    void truncatedFile() {
        QFETCH(int, length);
        QFETCH(int, sweeps);
        QFETCH(int, leftOut);
        const std::vector<SweepRecord> records = RandomRecords(3, 5);
        const AcquisitionContents read =
            ReadAcquisitionBytes(FileBytes(records).left(length), QStringLiteral("r.oscacq"));
        QCOMPARE(read.error, QString());
        QCOMPARE(int(read.sweeps.size()), sweeps);
        QCOMPARE(read.truncatedBytes, qint64(leftOut));
        for (int i = 0; i < sweeps; ++i)
            QVERIFY(read.sweeps[std::size_t(i)] == records[std::size_t(i)]);
    }

    // A damaged or hostile file is refused with a message that names it and says what is
    // wrong, and no sweep is taken from it. Hostile values come with a CRC made right.
    void refusedFile_data() {
        QTest::addColumn<int>("at");      // byte changed
        QTest::addColumn<int>("value");   // its new value
        QTest::addColumn<bool>("reseal"); // the record's CRC made right again
        QTest::addColumn<QString>("message");
        const QString damaged = QStringLiteral(
            "Le fichier d'acquisition \"r.oscacq\" est endommagé : balayage 2 (octets 1270 à "
            "2523) : ");
        const int second = Header + Record;
        QTest::newRow("not an acquisition file")
            << 0 << int('P') << false
            << "Le fichier \"r.oscacq\" n'est pas un fichier d'acquisition de l'oscilloscope.";
        QTest::newRow("a later version") << 8 << 2 << false
                                         << "Le fichier \"r.oscacq\" est un fichier d'acquisition "
                                            "de version 2 ; ce programme ne "
                                            "lit que la version 1.";
        QTest::newRow("another record size")
            << 10 << 0xE7 << false
            << "Le fichier d'acquisition \"r.oscacq\" est endommagé : son en-tête est incorrect.";
        QTest::newRow("reserved header byte") << 15 << 1 << false
                                              << "Le fichier d'acquisition \"r.oscacq\" est "
                                                 "endommagé : son en-tête est incorrect.";
        QTest::newRow("a code changed")
            << second + 60 << 0x55 << false << damaged + "sa somme de contrôle ne correspond pas.";
        QTest::newRow("the CRC changed") << second + Record - 1 << 0x00 << false
                                         << damaged + "sa somme de contrôle ne correspond pas.";
        QTest::newRow("time base 0")
            << second + 10 << 0 << true << damaged + "base de temps 0 hors du tableau (1 à 18).";
        QTest::newRow("time base 19")
            << second + 10 << 19 << true << damaged + "base de temps 19 hors du tableau (1 à 18).";
        QTest::newRow("trigger 5")
            << second + 11 << 5 << true << damaged + "déclenchement 5 hors du tableau (1 à 4).";
        QTest::newRow("unknown flag")
            << second + 12 << 4 << true << damaged + "indicateurs inconnus.";
        QTest::newRow("math mode 4")
            << second + 13 << 4 << true << damaged + "mode math 4 hors du tableau (0 à 3).";
        QTest::newRow("magnifier x3")
            << second + 14 << 3 << true << damaged + "loupe x3 inconnue (x1, x2 ou x5).";
        QTest::newRow("window at 1748")
            << second + 17 << 0x06 << true
            << damaged + "début de fenêtre 1748 hors des limites (0 à 1747).";
        QTest::newRow("volts/div 10 on B")
            << second + 26 << 10 << true
            << damaged + "voie B : calibre 10 hors du tableau (1 à 9).";
        QTest::newRow("coupling 0 on A")
            << second + 19 << 0 << true << damaged + "voie A : couplage 0 hors du tableau (1 à 3).";
        QTest::newRow("unknown channel flag")
            << second + 29 << 0x10 << true << damaged + "voie B : indicateurs inconnus.";
        QTest::newRow("ground level far off") << second + 24 << 0x40 << true
                                              << damaged + "voie A : niveau de masse 4194304 hors "
                                                           "des limites.";
        QTest::newRow("code 1000 on B, point 300")
            << second + 1249 << 0x03 << true
            << damaged + "voie B : code 1000 au point 300 hors des limites (0 à 999).";
        QTest::newRow("extreme beyond a sum")
            << second + 35 << 0x40 << true << damaged + "extrême 16434 hors des limites.";
        QTest::newRow("a time before 1970")
            << second + 7 << 0x80 << true << damaged + "date hors des limites.";
        QTest::newRow("an offset of a day") << second + 9 << 0x7F << true
                                            << damaged + "décalage horaire de 32721 minutes "
                                                         "hors des limites.";
    }
    void refusedFile() {
        QFETCH(int, at);
        QFETCH(int, value);
        QFETCH(bool, reseal);
        QFETCH(QString, message);
        std::vector<SweepRecord> records = RandomRecords(3, 9);
        // Known values where the changed byte lands in a wider field.
        records[1].ramWindowStart = 0x02D4;             // 724: its high byte becomes 6
        records[1].instrument.channelA.groundLevel = 0; // its third byte becomes 0x40
        records[1].sweep.codeB[299] = 0x00E8;           // 232: its high byte becomes 3
        records[1].sweep.extremes.sumMax = 0x0032;      // 50: its high byte becomes 0x40
        records[1].utcOffsetMinutes = 0xD1;             // 209: its high byte becomes 0x7F
        QByteArray bytes = FileBytes(records);
        bytes[at] = char(value);
        if (reseal)
            Reseal(bytes, Header + Record);
        const AcquisitionContents read = ReadAcquisitionBytes(bytes, QStringLiteral("r.oscacq"));
        QCOMPARE(read.error, message);
        QCOMPARE(read.sweeps.size(), std::size_t(0));
    }

    // A file shorter than the header is a file cut off before its first sweep only when
    // its bytes begin the header; otherwise it is refused as a longer file would be.
    void shortFileThatIsNoHeader_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("another magic")
            << QByteArray("OSCACX")
            << "Le fichier \"r.oscacq\" n'est pas un fichier d'acquisition de l'oscilloscope.";
        QTest::newRow("version 2, cut") << QByteArray("OSCACQ\x1a\n\x02\0\xe6", 11)
                                        << "Le fichier \"r.oscacq\" est un fichier d'acquisition "
                                           "de version 2 ; ce programme ne lit que la version 1.";
        QTest::newRow("another record size, cut")
            << QByteArray("OSCACQ\x1a\n\x01\0\xe7\x04", 12)
            << "Le fichier d'acquisition \"r.oscacq\" est endommagé : son en-tête est incorrect.";
    }
    void shortFileThatIsNoHeader() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const AcquisitionContents read = ReadAcquisitionBytes(bytes, QStringLiteral("r.oscacq"));
        QCOMPARE(read.error, message);
        QCOMPARE(read.sweeps.size(), std::size_t(0));
    }

    // The writer refuses what the reader would refuse, before anything is written.
    void writerRefusesWhatTheFileCannotHold_data() {
        QTest::addColumn<int>("field");
        QTest::newRow("code 1000") << 0;
        QTest::newRow("negative code") << 1;
        QTest::newRow("position 256") << 2;
        QTest::newRow("window 1748") << 3;
        QTest::newRow("magnifier 3") << 4;
        QTest::newRow("volts/div 0") << 5;
    }
    void writerRefusesWhatTheFileCannotHold() {
        QFETCH(int, field);
        SweepRecord r;
        switch (field) {
        case 0:
            r.sweep.codeA[3] = 1000;
            break;
        case 1:
            r.sweep.codeB[0] = -1;
            break;
        case 2:
            r.instrument.channelB.verticalPosition = 256;
            break;
        case 3:
            r.ramWindowStart = 1748;
            break;
        case 4:
            r.magnification = 3;
            break;
        case 5:
            r.instrument.channelA.voltsPerDivIndex = 0;
            break;
        }
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        AcquisitionWriter writer(out, QStringLiteral("la sortie standard"));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, writer.Write(r));
        QCOMPARE(out.data(), AcquisitionFile::Header());
        QCOMPARE(writer.SweepsWritten(), 0);
    }

    // A sweep that cannot be written whole (the file size limit reached in the middle of
    // it) is cut off again: the file ends with the last whole sweep, and reads back clean.
    void failedWriteLeavesTheWholeSweeps() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.oscacq"));
        const std::vector<SweepRecord> records = RandomRecords(3, 13);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        const auto restore = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, previousHandler);
        });
        rlimit limited = saved;
        limited.rlim_cur = Header + 2 * Record + 500;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        AcquisitionWriter writer(path);
        writer.Write(records[0]);
        writer.Write(records[1]);
        QString error;
        try {
            writer.Write(records[2]);
        } catch (const FileWriteError& e) {
            error = QString::fromUtf8(e.what());
        }
        QVERIFY2(error.startsWith(QStringLiteral("Impossible d'écrire dans le fichier \"") +
                                  QFileInfo(path).absoluteFilePath() + QStringLiteral("\" : ")),
                 qPrintable(error));
        QCOMPARE(QFileInfo(path).size(), qint64(Header + 2 * Record));
        const AcquisitionContents read = ReadAcquisitionFile(path);
        QCOMPARE(read.error, QString());
        QCOMPARE(read.truncatedBytes, qint64(0));
        QCOMPARE(read.sweeps.size(), std::size_t(2));
    }

    void fileThatCannotBeMadeOrRead() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("absent/r.oscacq"));
        QString error;
        try {
            AcquisitionWriter writer(path);
        } catch (const FileWriteError& e) {
            error = QString::fromUtf8(e.what());
        }
        QVERIFY2(error.startsWith(
                     QStringLiteral("Impossible d'écrire dans le fichier \"%1\" : ").arg(path)),
                 qPrintable(error));
        const AcquisitionContents read = ReadAcquisitionFile(path);
        QVERIFY2(read.error.startsWith(
                     QStringLiteral("Le fichier \"%1\" ne peut pas être lu : ").arg(path)),
                 qPrintable(read.error));
    }

    // The reader of docs/ACQUISITION-FILE.md, run as it is printed there: at most ten
    // lines, and it reads a file written here field for field.
    void pythonReaderOfTheDocs() {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is not installed");
        QFile doc(QStringLiteral(OSC_ACQUISITION_DOC));
        QVERIFY(doc.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(doc.readAll());
        const qsizetype start = text.indexOf(QStringLiteral("```python\n"));
        QVERIFY(start >= 0);
        const qsizetype end = text.indexOf(QStringLiteral("```"), start + 10);
        const QString reader = text.mid(start + 10, end - start - 10);
        QVERIFY2(reader.count(u'\n') <= 10, qPrintable(reader));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.oscacq"));
        std::vector<SweepRecord> records = RandomRecords(4, 21);
        QByteArray bytes = FileBytes(records);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes + QByteArray(100, 'x')); // an incomplete last sweep
        file.close();
        const QString script =
            reader + QStringLiteral(
                         "\nimport json, sys\nprint(json.dumps(list(read_sweeps(sys.argv[1]))))\n");
        QProcess run;
        run.start(python, {QStringLiteral("-c"), script, path});
        QVERIFY(run.waitForFinished(60000));
        QCOMPARE(run.exitCode(), 0);
        const QJsonArray sweeps = QJsonDocument::fromJson(run.readAllStandardOutput()).array();
        QCOMPARE(sweeps.size(), 4);
        for (int i = 0; i < 4; ++i) {
            const SweepRecord& r = records[std::size_t(i)];
            const QJsonObject s = sweeps[i].toObject();
            QCOMPARE(qint64(s["time_ms"].toDouble()), r.msecsSinceEpoch);
            QCOMPARE(s["utc_offset_min"].toInt(), r.utcOffsetMinutes);
            QCOMPARE(s["time_base"].toInt(), r.instrument.timeBaseIndex);
            QCOMPARE(s["trigger"].toInt(), int(r.instrument.triggerSource));
            QCOMPARE(s["flags"].toInt(),
                     (r.instrument.triggerArmed ? 1 : 0) | (r.instrument.running ? 2 : 0));
            QCOMPARE(s["math"].toInt(), int(r.instrument.mathMode));
            QCOMPARE(s["magnifier"].toInt(), r.magnification);
            QCOMPARE(s["window"].toInt(), r.ramWindowStart);
            for (const char* letter : {"a", "b"}) {
                const ChannelSettings& ch =
                    r.instrument.Of(letter[0] == 'a' ? Channel::A : Channel::B);
                const QString p = QString::fromLatin1(letter) + u'_';
                QCOMPARE(s[p + "volts"].toInt(), ch.voltsPerDivIndex);
                QCOMPARE(s[p + "coupling"].toInt(), int(ch.coupling));
                QCOMPARE(s[p + "position"].toInt(), ch.verticalPosition);
                QCOMPARE(s[p + "flags"].toInt(), (ch.traceOn ? 1 : 0) | (ch.probeTimesTen ? 2 : 0) |
                                                     (ch.groundMarkerShown ? 4 : 0) |
                                                     (ch.groundMeasured ? 8 : 0));
                QCOMPARE(s[p + "ground"].toInt(), ch.groundLevel);
            }
            const QJsonArray extremes = s["extremes"].toArray();
            const SweepExtremes& e = r.sweep.extremes;
            QCOMPARE(extremes.size(), 8);
            const int expected[8] = {e.sumMax,      e.sumMin,      e.differenceMax, e.differenceMin,
                                     e.channelAMax, e.channelAMin, e.channelBMax,   e.channelBMin};
            for (int k = 0; k < 8; ++k)
                QCOMPARE(extremes[k].toInt(), expected[k]);
            const QJsonArray a = s["codes_a"].toArray();
            const QJsonArray b = s["codes_b"].toArray();
            QCOMPARE(a.size(), 300);
            QCOMPARE(b.size(), 300);
            for (int k = 0; k < 300; ++k) {
                QCOMPARE(a[k].toInt(), r.sweep.codeA[std::size_t(k)]);
                QCOMPARE(b[k].toInt(), r.sweep.codeB[std::size_t(k)]);
            }
        }

        // A damaged sweep stops it with an error.
        bytes[Header + Record + 100] = char(bytes[Header + Record + 100] ^ 1);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        run.start(python, {QStringLiteral("-c"), script, path});
        QVERIFY(run.waitForFinished(60000));
        QVERIFY(run.exitCode() != 0);
        QVERIFY2(run.readAllStandardError().contains("damaged"), "no error for a damaged sweep");
    }
};

QTEST_GUILESS_MAIN(AcquisitionFileTest)
#include "tst_acquisitionfile.moc"
