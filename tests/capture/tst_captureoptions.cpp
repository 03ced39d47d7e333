// The command line of oscilloscope-capture: every option and its values, every refusal
// with its reason, the option it names and status 1, and the help.

#include "capture/CaptureCommand.h"

#include <QBuffer>
#include <QtTest>

Q_DECLARE_METATYPE(TriggerSource)

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run Command(const QStringList& arguments) {
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    CaptureStreams streams;
    streams.out = &out;
    streams.err = &err;
    Run run;
    run.status = RunCaptureCommand(arguments, streams);
    run.out = out.data();
    run.err = err.data();
    return run;
}

QStringList Words(const QString& line) {
    return line.split(u' ', Qt::SkipEmptyParts);
}

const QStringList Minimal{"--port", "SIMULATEUR", "--sweeps", "5", "--csv", "a.csv"};

} // namespace

class CaptureOptionsTest : public QObject {
    Q_OBJECT
private slots:
    // Nothing but the source, the length and an output: the defaults.
    void defaults() {
        const CaptureOptions o = ParseCaptureOptions(Minimal);
        QCOMPARE(o.port, QStringLiteral("SIMULATEUR"));
        QCOMPARE(o.sweeps, std::optional<int>(5));
        QVERIFY(!o.seconds);
        QCOMPARE(TimeBaseLabel(o.timeBaseIndex), QStringLiteral("0.1ms"));
        QCOMPARE(TimeBaseAt(o.timeBaseIndex)->secondsPerDiv, 0.1e-3);
        for (Channel c : {Channel::A, Channel::B}) {
            QCOMPARE(VoltsPerDivAt(o.Of(c).voltsPerDivIndex)->voltsPerDiv, 1.0);
            QCOMPARE(o.Of(c).coupling, Coupling::DC);
            QVERIFY(!o.Of(c).probeTimesTen);
            QVERIFY(o.Of(c).traceOn);
            QCOMPARE(o.Of(c).position, 128);
        }
        QCOMPARE(o.trigger, TriggerSource::Off);
        QCOMPARE(o.windowStart, 0);
        QCOMPARE(o.csv, QStringLiteral("a.csv"));
        QVERIFY(o.record.isEmpty());
        QVERIFY(o.measurements.isEmpty());
        QVERIFY(!o.quiet);
    }

    // Each option with a value it takes, and what it sets (read back as text).
    void everyOption_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("--port device") << "--port /dev/ttyUSB0 --seconds 60 --csv -"
                                       << "port"
                                       << "/dev/ttyUSB0";
        QTest::newRow("--seconds") << "--port SIMULATEUR --seconds 60 --csv -"
                                   << "seconds"
                                   << "60";
        QTest::newRow("--seconds, decimal comma") << "--port SIMULATEUR --seconds 0,5 --csv -"
                                                  << "seconds"
                                                  << "0.5";
        QTest::newRow("--seconds=, decimal point") << "--port SIMULATEUR --seconds=2.25 --csv -"
                                                   << "seconds"
                                                   << "2.25";
        QTest::newRow("--from") << "--from r.oscacq --csv -"
                                << "from"
                                << "r.oscacq";
        QTest::newRow("--from with --sweeps") << "--from r.oscacq --sweeps 3 --csv -"
                                              << "sweeps"
                                              << "3";
        QTest::newRow("--time-base 1us") << "--time-base 1us"
                                         << "time base"
                                         << "1e-06";
        QTest::newRow("--time-base 1µs") << "--time-base 1µs"
                                         << "time base"
                                         << "1e-06";
        QTest::newRow("--time-base 50us") << "--time-base 50us"
                                          << "time base"
                                          << "5e-05";
        QTest::newRow("--time-base 0.5ms") << "--time-base 0.5ms"
                                           << "time base"
                                           << "0.0005";
        QTest::newRow("--time-base=500ms") << "--time-base=500ms"
                                           << "time base"
                                           << "0.5";
        QTest::newRow("--volts A=5V") << "--volts A=5V"
                                      << "volts A"
                                      << "5";
        QTest::newRow("--volts B=200mV") << "--volts B=200mV"
                                         << "volts B"
                                         << "0.2";
        QTest::newRow("--volts b=10mV") << "--volts b=10mV"
                                        << "volts B"
                                        << "0.01";
        QTest::newRow("--coupling A=AC") << "--coupling A=AC"
                                         << "coupling A"
                                         << "1";
        QTest::newRow("--coupling B=GND") << "--coupling B=GND"
                                          << "coupling B"
                                          << "2";
        QTest::newRow("--coupling B=dc") << "--coupling B=dc"
                                         << "coupling B"
                                         << "3";
        QTest::newRow("--probe B=x10") << "--probe B=x10"
                                       << "probe B"
                                       << "x10";
        QTest::newRow("--probe A=x1") << "--probe A=x1"
                                      << "probe A"
                                      << "x1";
        QTest::newRow("--trace B=off") << "--trace B=off"
                                       << "trace B"
                                       << "off";
        QTest::newRow("--trace A=ON") << "--trace A=ON"
                                      << "trace A"
                                      << "on";
        QTest::newRow("--position A=0") << "--position A=0"
                                        << "position A"
                                        << "0";
        QTest::newRow("--position B=255") << "--position B=255"
                                          << "position B"
                                          << "255";
        QTest::newRow("--trigger A") << "--trigger A"
                                     << "trigger"
                                     << "2";
        QTest::newRow("--trigger b") << "--trigger b"
                                     << "trigger"
                                     << "3";
        QTest::newRow("--trigger ext") << "--trigger ext"
                                       << "trigger"
                                       << "4";
        QTest::newRow("--trigger off") << "--trigger off"
                                       << "trigger"
                                       << "1";
        QTest::newRow("--window 1747") << "--window 1747"
                                       << "window"
                                       << "1747";
        QTest::newRow("--window 1") << "--window 1"
                                    << "window"
                                    << "1";
        QTest::newRow("--record") << "--record r.oscacq"
                                  << "record"
                                  << "r.oscacq";
        QTest::newRow("--measurements -") << "--measurements -"
                                          << "measurements"
                                          << "-";
        QTest::newRow("--quiet") << "--quiet"
                                 << "quiet"
                                 << "on";
        QTest::newRow("--help") << "--help"
                                << "help"
                                << "on";
        QTest::newRow("-h alone") << "-h"
                                  << "help"
                                  << "on";
        QTest::newRow("--version alone") << "--version"
                                         << "version"
                                         << "on";
    }
    void everyOption() {
        QFETCH(QString, arguments);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QStringList line = Words(arguments);
        // A full command line around a single setting.
        if (!arguments.contains(QStringLiteral("--port")) &&
            !arguments.contains(QStringLiteral("--from")) &&
            !arguments.contains(QStringLiteral("-h")) &&
            !arguments.contains(QStringLiteral("--version")))
            line = QStringList{"--port", "SIMULATEUR", "--sweeps", "2"} + line +
                   (arguments.contains(QStringLiteral("--record")) ? QStringList{}
                                                                   : QStringList{"--csv", "c.csv"});
        const CaptureOptions o = ParseCaptureOptions(line);
        const auto channel = [&o](const QString& f) {
            return o.Of(f.endsWith(u'B') ? Channel::B : Channel::A);
        };
        QString got;
        if (field == QStringLiteral("port"))
            got = o.port;
        else if (field == QStringLiteral("from"))
            got = o.from;
        else if (field == QStringLiteral("seconds"))
            got = QString::number(o.seconds.value_or(-1));
        else if (field == QStringLiteral("sweeps"))
            got = QString::number(o.sweeps.value_or(-1));
        else if (field == QStringLiteral("time base"))
            got = QString::number(TimeBaseAt(o.timeBaseIndex)->secondsPerDiv);
        else if (field.startsWith(QStringLiteral("volts")))
            got = QString::number(VoltsPerDivAt(channel(field).voltsPerDivIndex)->voltsPerDiv);
        else if (field.startsWith(QStringLiteral("coupling")))
            got = QString::number(int(channel(field).coupling));
        else if (field.startsWith(QStringLiteral("probe")))
            got = channel(field).probeTimesTen ? QStringLiteral("x10") : QStringLiteral("x1");
        else if (field.startsWith(QStringLiteral("trace")))
            got = channel(field).traceOn ? QStringLiteral("on") : QStringLiteral("off");
        else if (field.startsWith(QStringLiteral("position")))
            got = QString::number(channel(field).position);
        else if (field == QStringLiteral("trigger"))
            got = QString::number(int(o.trigger));
        else if (field == QStringLiteral("window"))
            got = QString::number(o.windowStart);
        else if (field == QStringLiteral("record"))
            got = o.record;
        else if (field == QStringLiteral("measurements"))
            got = o.measurements;
        else if (field == QStringLiteral("quiet"))
            got = o.quiet ? QStringLiteral("on") : QStringLiteral("off");
        else if (field == QStringLiteral("help"))
            got = o.help ? QStringLiteral("on") : QStringLiteral("off");
        else if (field == QStringLiteral("version"))
            got = o.version ? QStringLiteral("on") : QStringLiteral("off");
        QCOMPARE(got, value);
        // The other channel keeps its defaults.
        if (field.endsWith(QStringLiteral(" A")) || field.endsWith(QStringLiteral(" B"))) {
            const ChannelOptions& other = o.Of(field.endsWith(u'B') ? Channel::A : Channel::B);
            QCOMPARE(other.voltsPerDivIndex, 3);
            QCOMPARE(other.coupling, Coupling::DC);
            QCOMPARE(other.position, 128);
            QVERIFY(other.traceOn);
            QVERIFY(!other.probeTimesTen);
        }
    }

    // Every refusal says what is wrong and names the option; the command ends with
    // status 1, writes nothing on the standard output, and points at the help.
    void refused_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message");
        const QString base = QStringLiteral("--port SIMULATEUR --sweeps 2 --csv c.csv ");
        QTest::newRow("unknown option") << base + "--speed 9600"
                                        << "--speed : option inconnue (voir --help)";
        QTest::newRow("short form") << base + "-p x"
                                    << "« -p » : argument inattendu ; les options commencent par "
                                       "-- (voir --help)";
        QTest::newRow("stray word") << base + "encore"
                                    << "« encore » : argument inattendu ; les options commencent "
                                       "par -- (voir --help)";
        QTest::newRow("value missing at the end")
            << "--sweeps 2 --csv c.csv --port"
            << "--port : une valeur est attendue (exemple : --port /dev/ttyUSB0)";
        QTest::newRow("value missing before an option")
            << "--port --sweeps 2 --csv c.csv"
            << "--port : une valeur est attendue (exemple : --port /dev/ttyUSB0)";
        QTest::newRow("empty value") << base + "--record="
                                     << "--record : une valeur est attendue (exemple : --record "
                                        "essai.oscacq)";
        QTest::newRow("value on a switch") << base + "--quiet=yes"
                                           << "--quiet : cette option ne prend pas de valeur";
        QTest::newRow("no source") << "--sweeps 2 --csv c.csv"
                                   << "indiquez la source : --port PORT ou --from FICHIER "
                                      "(exemple : --port /dev/ttyUSB0)";
        QTest::newRow("two sources") << base + "--from r.oscacq"
                                     << "--port et --from : une seule source à la fois";
        QTest::newRow("no length") << "--port SIMULATEUR --csv c.csv"
                                   << "indiquez la durée : --sweeps N ou --seconds S (exemple : "
                                      "--sweeps 100)";
        QTest::newRow("two lengths") << base + "--seconds 3"
                                     << "--sweeps et --seconds : l'un ou l'autre, pas les deux";
        QTest::newRow("no output") << "--port SIMULATEUR --sweeps 2"
                                   << "aucune sortie : indiquez --csv, --measurements ou --record "
                                      "(- pour la sortie standard)";
        QTest::newRow("sweeps 0") << "--port SIMULATEUR --sweeps 0 --csv c.csv"
                                  << "--sweeps : « 0 » n'est pas un nombre entier de 1 ou plus "
                                     "(exemple : --sweeps 100)";
        QTest::newRow("sweeps not a number") << "--port SIMULATEUR --sweeps 2x --csv c.csv"
                                             << "--sweeps : « 2x » n'est pas un nombre entier de 1 "
                                                "ou plus (exemple : --sweeps 100)";
        QTest::newRow("seconds 0") << "--port SIMULATEUR --seconds 0 --csv c.csv"
                                   << "--seconds : « 0 » n'est pas une durée en secondes (plus de "
                                      "0, au plus 10000000) (exemple : --seconds 60)";
        QTest::newRow("seconds not a number") << "--port SIMULATEUR --seconds inf --csv c.csv"
                                              << "--seconds : « inf » n'est pas une durée en "
                                                 "secondes (plus de 0, au plus 10000000) "
                                                 "(exemple : --seconds 60)";
        QTest::newRow("time base not in the table")
            << base + "--time-base 0.3ms"
            << "--time-base : « 0.3ms » n'est pas une base de temps (1us 2us 5us 10us 20us 50us "
               "0.1ms 0.2ms 0.5ms 1ms 2ms 5ms 10ms 20ms 50ms 100ms 200ms 500ms) (exemple : "
               "--time-base 0.1ms)";
        QTest::newRow("time base without its unit")
            << base + "--time-base 0.1"
            << "--time-base : « 0.1 » n'est pas une base de temps (1us 2us 5us 10us 20us 50us "
               "0.1ms 0.2ms 0.5ms 1ms 2ms 5ms 10ms 20ms 50ms 100ms 200ms 500ms) (exemple : "
               "--time-base 0.1ms)";
        QTest::newRow("volts without a channel")
            << base + "--volts 1V"
            << "--volts : « 1V » ne nomme pas la voie A ou B (exemple : --volts B=200mV)";
        QTest::newRow("volts on channel C")
            << base + "--volts C=1V"
            << "--volts : « C=1V » ne nomme pas la voie A ou B (exemple : --volts B=200mV)";
        QTest::newRow("volts not in the table")
            << base + "--volts A=3V"
            << "--volts : « 3V » n'est pas un calibre (10mV 20mV 50mV 100mV 200mV 500mV 1V 2V "
               "5V) (exemple : --volts B=200mV)";
        QTest::newRow("coupling") << base + "--coupling A=HF"
                                  << "--coupling : « HF » n'est pas un couplage (AC, DC ou GND) "
                                     "(exemple : --coupling A=DC)";
        QTest::newRow("probe") << base + "--probe B=x100"
                               << "--probe : « x100 » n'est pas une sonde (x1 ou x10) (exemple : "
                                  "--probe B=x10)";
        QTest::newRow("trace") << base + "--trace B=yes"
                               << "--trace : « yes » n'est ni on ni off (exemple : --trace B=off)";
        QTest::newRow("position 256") << base + "--position A=256"
                                      << "--position : « 256 » n'est pas un nombre entier de 0 à "
                                         "255 (exemple : --position A=128)";
        QTest::newRow("position -1") << base + "--position B=-1"
                                     << "--position : « -1 » n'est pas un nombre entier de 0 à "
                                        "255 (exemple : --position A=128)";
        QTest::newRow("trigger") << base + "--trigger C"
                                 << "--trigger : « C » n'est pas une source de déclenchement "
                                    "(off, A, B ou ext) (exemple : --trigger A)";
        QTest::newRow("window 1748") << base + "--window 1748"
                                     << "--window : « 1748 » n'est pas un nombre entier de 0 à "
                                        "1747 (exemple : --window 600)";
        QTest::newRow("window -3") << base + "--window=-3"
                                   << "--window : « -3 » n'est pas un nombre entier de 0 à 1747 "
                                      "(exemple : --window 600)";
        QTest::newRow("port twice") << base + "--port /dev/ttyS0"
                                    << "--port : donné deux fois";
        QTest::newRow("one channel twice") << base + "--volts A=1V --volts A=2V"
                                           << "--volts A : donné deux fois";
        QTest::newRow("two outputs on the standard output")
            << "--port SIMULATEUR --sweeps 2 --csv - --record -"
            << "--csv et --record : une seule sortie peut aller sur la sortie standard (-)";
        QTest::newRow("two outputs in one file")
            << "--port SIMULATEUR --sweeps 2 --csv x --record ./x"
            << "--csv et --record : le même fichier « x »";
        QTest::newRow("a setting with --from")
            << "--from r.oscacq --csv c.csv --window 30"
            << "--window : sans objet avec --from : les réglages sont ceux enregistrés dans le "
               "fichier";
        QTest::newRow("--seconds with --from")
            << "--from r.oscacq --seconds 3 --csv c.csv"
            << "--seconds : sans objet avec --from, qui relit tout le fichier (--sweeps en limite "
               "le nombre)";
        QTest::newRow("--from the standard input")
            << "--from - --csv c.csv"
            << "--from : donnez un fichier ; l'entrée standard n'est pas lue";
        QTest::newRow("writing over the file read")
            << "--from r.oscacq --record r.oscacq"
            << "--record : « r.oscacq » est le fichier que --from lit";
    }
    void refused() {
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        const Run run = Command(Words(arguments));
        QCOMPARE(run.status, 1);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(QString::fromUtf8(run.err),
                 QStringLiteral("oscilloscope-capture : ") + message +
                     QStringLiteral("\nEssayez « oscilloscope-capture --help ».\n"));
    }

    // The help, on the standard output: every option the parser knows, each with an example
    // that the parser takes, and the exit statuses.
    void help() {
        const Run run = Command({"--help"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QByteArray());
        const QString help = QString::fromUtf8(run.out);
        const QStringList options{
            "--port",     "--from",         "--sweeps", "--seconds",  "--time-base", "--volts",
            "--coupling", "--probe",        "--trace",  "--position", "--trigger",   "--window",
            "--csv",      "--measurements", "--record", "--quiet",    "--help",      "--version"};
        for (const QString& option : options) {
            QVERIFY2(help.contains(QStringLiteral("\n  ") + option), qPrintable(option));
            const QString example = QStringLiteral("exemple : ") + option;
            const qsizetype at = help.indexOf(example);
            QVERIFY2(at >= 0, qPrintable(option));
            // The example's words make a command line the parser reads.
            const QString words = help.mid(at + 10, help.indexOf(u'\n', at) - at - 10);
            QStringList line = Words(words);
            const bool output = option == QStringLiteral("--csv") ||
                                option == QStringLiteral("--measurements") ||
                                option == QStringLiteral("--record");
            const bool length =
                option == QStringLiteral("--sweeps") || option == QStringLiteral("--seconds");
            if (option == QStringLiteral("--from")) {
                line += QStringList{"--csv", "-"};
            } else if (option != QStringLiteral("--help") &&
                       option != QStringLiteral("--version")) {
                if (option != QStringLiteral("--port"))
                    line = QStringList{"--port", "SIMULATEUR"} + line;
                if (!length)
                    line += QStringList{"--sweeps", "1"};
                if (!output)
                    line += QStringList{"--csv", "-"};
            }
            try {
                ParseCaptureOptions(line);
            } catch (const UsageError& e) {
                QFAIL(qPrintable(option + QStringLiteral(": ") + e.Text()));
            }
        }
        for (const char* status : {"  0  ", "  1  ", "  2  ", "  3  ", "  4  "})
            QVERIFY2(help.contains(QString::fromLatin1(status)), status);
        QVERIFY(help.contains(QStringLiteral("dialout")));
    }

    void version() {
        const Run run = Command({"--version"});
        QCOMPARE(run.status, 0);
        QVERIFY2(QRegularExpression(QStringLiteral("^oscilloscope-capture \\d+\\.\\d+\n$"))
                     .match(QString::fromUtf8(run.out))
                     .hasMatch(),
                 run.out.constData());
    }
};

QTEST_GUILESS_MAIN(CaptureOptionsTest)
#include "tst_captureoptions.moc"
