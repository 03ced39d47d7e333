// A capture over the simulated box, in this process with short waits around each command:
// the commands on the wire, the samples against the box's bench signals, the recording
// read back, and every way a capture ends: the count, the clock, Ctrl+C and SIGTERM, a
// silent box, a box that stops answering or sending, a port that goes away, a file that
// cannot be written.

#include "CaptureSupport.h"
#include "TestTimings.h"
#include "analysis/MeasurementLog.h"
#include "capture/Capture.h"
#include "core/SettingsFile.h"
#include "files/AcquisitionFile.h"
#include "link/SimulatedBox.h"

#include <QBuffer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(Coupling)

namespace {

// The waits around each command: short, with room for the box, which reads RTS a
// millisecond after it moves; the watchdog as in the program.
Timings Short() {
    Timings t;
    t.beforeWriteMs = 20;
    t.afterWriteMs = 20;
    t.commWindowMs = 5;
    return t;
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Words(const QString& line) {
    return line.split(u' ', Qt::SkipEmptyParts);
}

// A capture and what it wrote on its standard streams.
struct Run {
    QBuffer out;
    QBuffer err;
    std::unique_ptr<Capture> capture;

    Run(const QStringList& arguments, Instrument::LinkFactory factory = {}) {
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        CaptureStreams streams;
        streams.out = &out;
        streams.err = &err;
        capture =
            std::make_unique<Capture>(ParseCaptureOptions(arguments), streams, std::move(factory));
    }
    SimulatedBox* Box() { return qobject_cast<SimulatedBox*>(capture->Session().Link()); }
    QStringList Commands() {
        QStringList commands;
        if (SimulatedBox* box = Box())
            for (const SimulatedBox::Received& r : box->Commands())
                commands << QString::fromLatin1(r.text);
        return commands;
    }
    QString Errors() const { return QString::fromUtf8(err.data()); }
};

// A simulated box that the test keeps a hold of.
Instrument::LinkFactory BoxFactory(SimulatedBox** made, bool silent = false) {
    return [made, silent](const QString&) {
        auto box = std::make_unique<SimulatedBox>();
        box->SetSilent(silent);
        *made = box.get();
        return box;
    };
}

} // namespace

class CaptureTest : public QObject {
    Q_OBJECT
private slots:
    void captureAndReadBack_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QStringList>("commands"); // after "Z1" and "?&", before "F&"
        QTest::addColumn<double>("secondsPerDiv");
        QTest::addColumn<int>("window");
        QTest::addColumn<ChannelSet>("a");
        QTest::addColumn<ChannelSet>("b");
        // The defaults but for the trigger, the window and channel B.
        QTest::newRow("0.1 ms, DC, x10 probe, window 30")
            << "--trigger A --window 30 --volts B=2V --probe B=x10 --position B=100"
            << QStringList{"T02&", "A14*&", "I&", "Q128#&", "B13*&", "M&", "R100#&", "U&", "d30#&"}
            << 0.1e-3 << 30 << ChannelSet{1, Coupling::DC, 1, 128, true}
            << ChannelSet{2, Coupling::DC, 10, 100, true};
        // A clipped at the top at 500 mV, the square without its DC, a window far in.
        QTest::newRow("1 ms, AC, 500 mV, window 1000")
            << "--time-base 1ms --trigger A --window 1000 --volts A=500mV --position A=140 "
               "--coupling A=AC --coupling B=AC"
            << QStringList{"T03&", "A4*&", "G&", "Q140#&", "B14*&", "J&", "R128#&", "U&", "d1000#&"}
            << 1e-3 << 1000 << ChannelSet{0.5, Coupling::AC, 1, 140, true}
            << ChannelSet{1, Coupling::AC, 1, 128, true};
        // Channel B grounded and off: no columns, though its settings are sent.
        QTest::newRow("B grounded and off")
            << "--trigger A --trace B=off --coupling B=GND --position B=90"
            << QStringList{"T02&", "A14*&", "I&", "Q128#&", "B14*&", "K&", "R90#&", "U&", "d0#&"}
            << 0.1e-3 << 0 << ChannelSet{1, Coupling::DC, 1, 128, true}
            << ChannelSet{1, Coupling::GND, 1, 90, false};
    }
    // The commands written are the program's for the same settings, one each, in the order
    // the capture sends them, with RTS low but for the wake-up of a sleeping box, ending with
    // "F&"; every recorded sample is the bench's at its time; the recording holds the same
    // sweeps, and read back with --from gives the same CSV and the same recording.
    void captureAndReadBack() {
        QFETCH(QString, settings);
        QFETCH(QStringList, commands);
        QFETCH(double, secondsPerDiv);
        QFETCH(int, window);
        QFETCH(ChannelSet, a);
        QFETCH(ChannelSet, b);
        // A port name the box answers by is fine: "Z1" wakes it.
        TimingsGuard timings(Short());
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("c.csv"));
        const QString record = dir.filePath(QStringLiteral("r.oscacq"));
        Run run(Words(QStringLiteral("--port SIMULATEUR --sweeps 3 --quiet --csv %1 --record %2 ")
                          .arg(csv, record) +
                      settings));
        QCOMPARE(run.capture->Run(), 0);
        QCOMPARE(run.Errors(), QString());
        QCOMPARE(run.capture->SweepsWritten(), 3);
        QCOMPARE(run.Commands(), (QStringList{"Z1", "?&"} + commands + QStringList{"F&"}));
        const QList<SimulatedBox::Received>& received = run.Box()->Commands();
        QVERIFY(received.first().rtsHigh); // the box was asleep
        for (qsizetype i = 1; i < received.size(); ++i)
            QVERIFY2(!received[i].rtsHigh, received[i].text.constData());
        QVERIFY(!run.Box()->Rts());
        QVERIFY(!run.Box()->Acquiring()); // "F&" reached it

        CheckBenchCsv(Contents(csv), 3, secondsPerDiv, window, a, b);
        if (QTest::currentTestFailed())
            return;

        // The recording: the settings as the session held them, the sweeps' codes.
        const AcquisitionContents read = ReadAcquisitionFile(record);
        QCOMPARE(read.error, QString());
        QCOMPARE(int(read.sweeps.size()), 3);
        for (const SweepRecord& r : read.sweeps) {
            const InstrumentSettings& in = r.instrument;
            QCOMPARE(TimeBaseAt(in.timeBaseIndex)->secondsPerDiv, secondsPerDiv);
            QCOMPARE(r.ramWindowStart, window);
            QCOMPARE(r.magnification, 1);
            QCOMPARE(in.triggerSource, TriggerSource::ChannelA);
            QVERIFY(in.triggerArmed);
            QVERIFY(in.running);
            int k = 0;
            for (const ChannelSet* set : {&a, &b}) {
                const ChannelSettings& ch = in.Of(k++ == 0 ? Channel::A : Channel::B);
                QCOMPARE(VoltsPerDivAt(ch.voltsPerDivIndex)->voltsPerDiv, set->voltsPerDiv);
                QCOMPARE(ch.coupling, set->coupling);
                QCOMPARE(ch.ProbeFactor(), set->probe);
                QCOMPARE(ch.verticalPosition, set->position);
                QCOMPARE(ch.traceOn, set->on);
            }
            // A grounded channel's level measured from its flat trace, as the screen would;
            // a channel off is not measured.
            if (in.channelB.coupling == Coupling::GND && in.channelB.traceOn)
                QCOMPARE(in.channelB.groundLevel, b.position);
            QCOMPARE(r.sweep.extremes.channelAMax,
                     *std::max_element(r.sweep.codeA.begin(), r.sweep.codeA.end()));
            QCOMPARE(r.sweep.extremes.channelBMin,
                     *std::min_element(r.sweep.codeB.begin(), r.sweep.codeB.end()));
        }

        // Read back: the same CSV, the same recording; --sweeps takes the first ones.
        const QString csvAgain = dir.filePath(QStringLiteral("c2.csv"));
        const QString recordAgain = dir.filePath(QStringLiteral("r2.oscacq"));
        Run replay({"--from", record, "--quiet", "--csv", csvAgain, "--record", recordAgain});
        QCOMPARE(replay.capture->Run(), 0);
        QCOMPARE(replay.Errors(), QString());
        QCOMPARE(Contents(csvAgain), Contents(csv));
        QCOMPARE(Contents(recordAgain), Contents(record));
        Run firstTwo({"--from", record, "--sweeps", "2", "--quiet", "--csv", "-"});
        QCOMPARE(firstTwo.capture->Run(), 0);
        const QList<QByteArray> lines = Contents(csv).split('\n');
        QCOMPARE(firstTwo.out.data(), lines.mid(0, 601).join('\n') + '\n');
    }

    // --measurements: one line of the program's measurement log per sweep, with the
    // readings of the bench signals (channel A a 1 kHz sine of 2 V peak, channel B a
    // 500 Hz square of 1 V peak about 1.5 V; 0.5 ms/div shows five and two and a half
    // periods), the same read back from the recording, and the same on the standard output.
    void measurementLog() {
        TimingsGuard timings(Short());
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("m.csv"));
        const QString record = dir.filePath(QStringLiteral("r.oscacq"));
        Run run({"--port", "SIMULATEUR", "--sweeps", "3", "--quiet", "--time-base", "0.5ms",
                 "--measurements", log, "--record", record});
        QCOMPARE(run.capture->Run(), 0);
        QCOMPARE(run.Errors(), QString());
        const QList<QByteArray> lines = Contents(log).split('\n');
        QCOMPARE(lines.size(), 1 + 3 + 1);
        QCOMPARE(lines[0] + '\n', MeasurementLog::HeaderLine());
        const QList<QByteArray> names = lines[0].chopped(1).split(',');
        for (int sweep = 1; sweep <= 3; ++sweep) {
            const QByteArray& line = lines[sweep];
            QVERIFY(line.endsWith('\r'));
            const QList<QByteArray> fields = line.chopped(1).split(',');
            QCOMPARE(fields.size(), names.size());
            const auto field = [&](const char* name) {
                return fields.value(names.indexOf(QByteArray(name)));
            };
            QCOMPARE(field("sweep").toInt(), sweep);
            QVERIFY(QDateTime::fromString(QString::fromLatin1(field("time")), Qt::ISODateWithMs)
                        .isValid());
            QCOMPARE(field("a_on"), QByteArray("1"));
            QCOMPARE(field("b_on"), QByteArray("1"));
            // Within 0.5 % (at least two periods on screen), and one code (31.25 mV at 1 V/div)
            // on the peak-to-peak values.
            QVERIFY2(qAbs(field("a_frequency_hz").toDouble() - 1000) <= 5, field("a_frequency_hz"));
            QVERIFY2(qAbs(field("b_frequency_hz").toDouble() - 500) <= 2.5,
                     field("b_frequency_hz"));
            QVERIFY2(qAbs(field("a_peak_to_peak_v").toDouble() - 4) <= 0.03125,
                     field("a_peak_to_peak_v"));
            QVERIFY2(qAbs(field("b_peak_to_peak_v").toDouble() - 2) <= 0.03125,
                     field("b_peak_to_peak_v"));
            QVERIFY2(qAbs(field("b_duty_cycle_pct").toDouble() - 50) <= 1,
                     field("b_duty_cycle_pct"));
            QCOMPARE(field("a_frequency_hz_flags"), QByteArray());
        }

        Run replay({"--from", record, "--quiet", "--measurements", "-"});
        QCOMPARE(replay.capture->Run(), 0);
        QCOMPARE(replay.out.data(), Contents(log));
    }

    // The capture's session starts from the factory settings, not from any settings file.
    void sessionStartsFromTheFactorySettings() {
        TimingsGuard timings(Short());
        Run run({"--port", "SIMULATEUR", "--sweeps", "1", "--quiet", "--csv", "-"});
        QCOMPARE(run.capture->Run(), 0);
        const Instrument& session = run.capture->Session();
        QVERIFY(session.SettingsInMemory());
        const PersistedSettings factory =
            SettingsFile::Load(QStringLiteral(OSC_SOURCE_DATA "/parametres.inf"));
        for (int k = 1; k <= PersistedSettings::LineCount; ++k) {
            if (k == SettingsLine::Port ||
                (k >= SettingsLine::PositionA && k <= SettingsLine::VoltsB))
                continue; // the port chosen, the instrument lines in force
            QCOMPARE(session.Settings().RawLine(k), factory.RawLine(k));
        }
        QCOMPARE(session.Settings().Line(SettingsLine::Port), QStringLiteral("SIMULATEUR"));
    }

    // Stopped by a signal in the middle: whole sweeps in every file, "F&" sent, status 0.
    void stoppedBySignal_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("said");
        QTest::newRow("Ctrl+C") << SIGINT << "Ctrl+C";
        QTest::newRow("SIGTERM") << SIGTERM << "SIGTERM";
    }
    void stoppedBySignal() {
        QFETCH(int, signal);
        QFETCH(QString, said);
        TimingsGuard timings(Short());
        QTemporaryDir dir;
        const QString record = dir.filePath(QStringLiteral("r.oscacq"));
        struct sigaction before {};
        sigaction(signal, nullptr, &before);
        Run run({"--port", "SIMULATEUR", "--sweeps", "1000", "--csv", "-", "--record", record});
        connect(run.capture.get(), &Capture::sweepWritten, this, [signal](int number) {
            if (number == 2)
                ::raise(signal);
        });
        QCOMPARE(run.capture->Run(), 0);
        const int written = run.capture->SweepsWritten();
        QVERIFY(written >= 2);
        QCOMPARE(run.Commands().last(), QStringLiteral("F&"));
        // The last progress line, then what ended the capture.
        QVERIFY2(run.Errors().endsWith(
                     QStringLiteral("\nbalayage %1/1000 — ").arg(written) +
                     run.Errors().section(QStringLiteral(" — "), -2, -2) +
                     QStringLiteral(" — 0 paquet rejeté\noscilloscope-capture : arrêt demandé (%1) "
                                    "après %2 balayage(s).\n")
                         .arg(said)
                         .arg(written)),
                 qPrintable(run.Errors()));
        QCOMPARE(run.out.data().count('\n'), 1 + 300 * written);
        const AcquisitionContents read = ReadAcquisitionFile(record);
        QCOMPARE(int(read.sweeps.size()), written);
        QCOMPARE(read.truncatedBytes, qint64(0));
        // The handler from before is back once the capture is over.
        struct sigaction now {};
        sigaction(signal, nullptr, &now);
        QVERIFY(now.sa_handler == before.sa_handler);
        QVERIFY(now.sa_sigaction == before.sa_sigaction);
    }

    // --seconds ends the capture by itself, with "F&".
    void secondsEndTheCapture() {
        TimingsGuard timings(Short());
        Run run({"--port", "SIMULATEUR", "--seconds", "1", "--csv", "-"});
        QCOMPARE(run.capture->Run(), 0);
        QVERIFY(run.capture->SweepsWritten() >= 1);
        QCOMPARE(run.Commands().last(), QStringLiteral("F&"));
        QCOMPARE(run.out.data().count('\n'), 1 + 300 * run.capture->SweepsWritten());
        // The progress lines end with the last one.
        const QStringList progress = run.Errors().split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(progress.last().startsWith(
                     QStringLiteral("balayage %1 — 1/1 s — ").arg(run.capture->SweepsWritten())),
                 qPrintable(run.Errors()));
    }

    // A box that never answers: nothing after "Z1", status 3, the port named.
    void silentBox() {
        Timings shortWatchdog = Short();
        shortWatchdog.watchdogIntervalMs = 2;
        TimingsGuard timings(shortWatchdog);
        SimulatedBox* box = nullptr;
        Run run({"--port", "SIMULATEUR", "--sweeps", "3", "--csv", "-"}, BoxFactory(&box, true));
        QCOMPARE(run.capture->Run(), 3);
        QCOMPARE(run.Commands(), QStringList{"Z1"});
        QVERIFY(run.Errors().contains(QStringLiteral(
            "oscilloscope-capture : le boîtier ne répond pas sur le port SIMULATEUR : aucun accusé "
            "de réception (DSR). Vérifiez qu'il est allumé et relié à ce port.\n")));
        QCOMPARE(run.out.data(), QByteArray());
    }

    // A box that stops answering: the last "F&" gets no acknowledgement, the watchdog gives
    // up on it (the exchange still writes its command, as every exchange does); status 3,
    // and how many sweeps were recorded.
    void boxStopsAnswering() {
        Timings shortWatchdog = Short();
        shortWatchdog.watchdogIntervalMs = 2;
        TimingsGuard timings(shortWatchdog);
        SimulatedBox* box = nullptr;
        Run run({"--port", "SIMULATEUR", "--sweeps", "3", "--quiet", "--csv", "-"},
                BoxFactory(&box));
        connect(run.capture.get(), &Capture::sweepWritten, this, [&box](int number) {
            if (number == 2)
                box->SetSilent(true); // the sweep still under way completes
        });
        QCOMPARE(run.capture->Run(), 3);
        QCOMPARE(run.capture->SweepsWritten(), 3);
        QCOMPARE(run.Errors(),
                 QStringLiteral("oscilloscope-capture : la liaison avec le boîtier est "
                                "perdue (plus d'accusé de réception) après 3 "
                                "balayage(s) enregistré(s).\n"));
        QVERIFY(!box->Rts());
    }

    // A box that stops sending sweeps (here, as if it had been reset, asleep again): status
    // 3 once the silence has lasted; the "F&" then goes unanswered and is given up.
    void boxStopsSending() {
        Timings shortWatchdog = Short();
        shortWatchdog.watchdogIntervalMs = 2;
        TimingsGuard timings(shortWatchdog);
        SimulatedBox* box = nullptr;
        Run run({"--port", "SIMULATEUR", "--sweeps", "10", "--quiet", "--csv", "-"},
                BoxFactory(&box));
        run.capture->SetSilenceLimitMs(600);
        connect(run.capture.get(), &Capture::sweepWritten, this, [&box](int number) {
            if (number == 2)
                box->Write("F&");
        });
        QCOMPARE(run.capture->Run(), 3);
        QVERIFY(run.Errors().startsWith(QStringLiteral(
            "oscilloscope-capture : le boîtier n'envoie plus de balayage depuis 0,6 s, après 2 "
            "balayage(s) enregistré(s).\n")));
        QCOMPARE(run.capture->SweepsWritten(), 2);
        QCOMPARE(run.out.data().count('\n'), 1 + 600);
    }

    // The port goes away (an adapter pulled out): status 3 at once, nothing more sent.
    void portGoesAway() {
        TimingsGuard timings(Short());
        SimulatedBox* box = nullptr;
        Run run({"--port", "SIMULATEUR", "--sweeps", "10", "--quiet", "--csv", "-"},
                BoxFactory(&box));
        connect(run.capture.get(), &Capture::sweepWritten, this, [&box](int number) {
            if (number == 2)
                box->Close();
        });
        QCOMPARE(run.capture->Run(), 3);
        QCOMPARE(run.Errors(), QStringLiteral("oscilloscope-capture : le port SIMULATEUR a disparu "
                                              "(câble ou adaptateur débranché ?) après 2 "
                                              "balayage(s) enregistré(s).\n"));
        QCOMPARE(run.Commands().last(), QStringLiteral("d0#&"));
        QCOMPARE(run.out.data().count('\n'), 1 + 600);
    }

    // A file that cannot take the third sweep: status 4, the file ends with the two whole
    // sweeps before it, the other output keeps its own whole sweeps, and "F&" is sent.
    void fileCannotBeWritten() {
        TimingsGuard timings(Short());
        QTemporaryDir dir;
        const QString record = dir.filePath(QStringLiteral("r.oscacq"));
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        const auto restore = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, previousHandler);
        });
        rlimit limited = saved;
        limited.rlim_cur = AcquisitionFile::HeaderBytes + 2 * AcquisitionFile::RecordBytes + 600;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);

        Run run({"--port", "SIMULATEUR", "--sweeps", "10", "--quiet", "--csv", "-", "--record",
                 record});
        QCOMPARE(run.capture->Run(), 4);
        QVERIFY2(
            run.Errors().startsWith(QStringLiteral("oscilloscope-capture : Impossible d'écrire "
                                                   "dans le fichier \"%1\" : ")
                                        .arg(record)),
            qPrintable(run.Errors()));
        QCOMPARE(run.capture->SweepsWritten(), 2);
        QCOMPARE(QFileInfo(record).size(),
                 qint64(AcquisitionFile::HeaderBytes + 2 * AcquisitionFile::RecordBytes));
        QCOMPARE(int(ReadAcquisitionFile(record).sweeps.size()), 2);
        // The CSV went first: it holds the third sweep whole.
        QCOMPARE(run.out.data().count('\n'), 1 + 900);
        QCOMPARE(run.Commands().last(), QStringLiteral("F&"));
    }

    // An output that cannot be made is found before the port is opened.
    void outputCannotBeMade() {
        SimulatedBox* box = nullptr;
        Run run({"--port", "SIMULATEUR", "--sweeps", "1", "--csv", "/nonexistent-folder/c.csv"},
                BoxFactory(&box));
        QCOMPARE(run.capture->Run(), 4);
        QVERIFY(!box);
        QVERIFY2(run.Errors().startsWith(
                     QStringLiteral("oscilloscope-capture : Impossible d'écrire dans le fichier "
                                    "\"/nonexistent-folder/c.csv\" : ")),
                 qPrintable(run.Errors()));
    }

    // A recording refused or cut: the reason and status 1, nothing written; a cut one gives
    // its whole sweeps and says so.
    void fileReadBackRefusedOrCut() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.oscacq"));
        SweepRecord sweep;
        sweep.msecsSinceEpoch = 1717243509123;
        QByteArray bytes = AcquisitionFile::Header() + AcquisitionFile::EncodeSweep(sweep) +
                           AcquisitionFile::EncodeSweep(sweep);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes.left(bytes.size() - 1));
        file.close();
        Run cut({"--from", path, "--csv", "-"});
        QCOMPARE(cut.capture->Run(), 0);
        QCOMPARE(cut.out.data().count('\n'), 1 + 300);
        QCOMPARE(cut.Errors(),
                 QStringLiteral("oscilloscope-capture : --from : le fichier « %1 » s'arrête au "
                                "milieu d'un balayage (1253 octets) ; les 1 balayages entiers sont "
                                "lus.\noscilloscope-capture : 1 balayage(s) relu(s) de « %1 ».\n")
                     .arg(path));

        bytes[100] = char(bytes[100] ^ 0x40);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        const QString csv = dir.filePath(QStringLiteral("c.csv"));
        Run damaged({"--from", path, "--csv", csv});
        QCOMPARE(damaged.capture->Run(), 1);
        QCOMPARE(
            damaged.Errors(),
            QStringLiteral("oscilloscope-capture : --from : Le fichier d'acquisition \"%1\" est "
                           "endommagé : balayage 1 (octets 16 à 1269) : sa somme de contrôle ne "
                           "correspond pas.\n")
                .arg(path));
        QVERIFY(!QFile::exists(csv));
    }
};

QTEST_GUILESS_MAIN(CaptureTest)
#include "tst_capture.moc"
