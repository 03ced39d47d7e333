#include "capture/Capture.h"

#include "capture/CaptureProgress.h"
#include "capture/StopSignals.h"
#include "core/ErrorGuard.h"
#include "core/Messages.h"
#include "core/SettingsFile.h"
#include "link/CommandProtocol.h"
#include "link/PortHolder.h"
#include "link/SerialLink.h"

#include <QDateTime>
#include <QFile>
#include <QIODevice>
#include <cerrno>

namespace {

constexpr int PortCheckMs = 250;
constexpr int ProgressLineMs = 5000; // between two progress lines when not on a terminal

QString PortList() {
    QStringList ports = MachineSerialPorts();
    return ports.isEmpty() ? QStringLiteral("aucun") : ports.join(QStringLiteral(", "));
}

} // namespace

PersistedSettings FactorySettings() {
    Q_INIT_RESOURCE(capture);
    return SettingsFile::Load(QStringLiteral(":/capture/parametres.inf"));
}

SweepRecord RecordOfLastSweep(Instrument& session, const QDateTime& when) {
    session.PrepareScreen(); // the ground levels as the screen would measure them
    SweepRecord record = SweepRecord::At(when);
    record.instrument = session.State();
    record.magnification = session.Ram().Magnification();
    record.ramWindowStart = session.Ram().Start();
    if (session.LastSweep())
        record.sweep = *session.LastSweep();
    return record;
}

Capture::Capture(CaptureOptions captureOptions, CaptureStreams captureStreams,
                 Instrument::LinkFactory linkFactory, QObject* parent)
    : QObject(parent), options(std::move(captureOptions)), streams(captureStreams),
      session(QString(), std::move(linkFactory)) {
    session.setObjectName(QStringLiteral("session"));
    // The session's own handler of a completed sweep runs first (it was connected when the
    // session was made): the sweep is weighted and kept as the session's last sweep.
    connect(&session.Decoder(), &SampleDecoder::sweepCompleted, this,
            GuardedSlot([this] { SweepCompleted(); }));
    connect(&session, &Instrument::linkLost, this, [this] {
        if (!activated)
            Fail(LinkLost, QStringLiteral("le boîtier ne répond pas sur le port %1 : aucun accusé "
                                          "de réception (DSR). Vérifiez qu'il est allumé et relié "
                                          "à ce port.")
                               .arg(options.port));
        else
            LinkLostAfterActivation(LossReason::NoAcknowledgement);
    });
    // After the first activation the session keeps a lost link and reconnects by itself; a
    // capture does not wait for that: it ends at once with status 3.
    connect(&session, &Instrument::linkStateChanged, this, [this] {
        if (session.Reconnecting())
            LinkLostAfterActivation(session.LossReason());
    });
    // The last "F&" unanswered: the session is ending and keeps no lost state for it.
    connect(&session.Protocol(), &CommandProtocol::acknowledgementLost, this, [this] {
        if (activated && stopping)
            LinkLostAfterActivation(LossReason::NoAcknowledgement);
    });
    // The session asks to end once "F&" has gone out, or when the link is lost.
    connect(&session, &Instrument::terminateRequested, this, [this] { Finish(); });
    silence.setSingleShot(true);
    connect(&silence, &QTimer::timeout, this, [this] {
        Fail(LinkLost,
             QStringLiteral("le boîtier n'envoie plus de balayage depuis %1 s, après %2 "
                            "balayage(s) enregistré(s).")
                 .arg(QString::number(silence.interval() / 1000.0, 'g', 10).replace(u'.', u','))
                 .arg(written));
        Stop();
    });
    portCheck.setInterval(PortCheckMs);
    connect(&portCheck, &QTimer::timeout, this, [this] { CheckPort(); });
    duration.setSingleShot(true);
    duration.setTimerType(Qt::PreciseTimer); // not a little early, as a coarse timer may be
    connect(&duration, &QTimer::timeout, this, [this] { Stop(); });
}

Capture::~Capture() = default;

int Capture::SilenceLimitMs(int timeBaseIndex) {
    const TimeBaseRow* row = TimeBaseAt(timeBaseIndex);
    const qint64 fillMs = row ? qint64(Sweep::MemorySamples) * 1000 / row->samplesPerSecond : 0;
    return int(5000 + 2 * fillMs);
}

void Capture::Print(const QString& text) {
    if (progressShown && streams.errIsTerminal) {
        streams.err->write("\n");
        progressShown = false;
    }
    streams.err->write(
        (QLatin1String(CaptureProgramName) + QStringLiteral(" : ") + text + u'\n').toUtf8());
}

void Capture::Fail(Status failure, const QString& message) {
    // The first failure gives the status; later ones are told as well.
    if (status == Done)
        status = failure;
    Print(message);
}

void Capture::OpenOutputs() {
    if (!options.csv.isEmpty())
        sinks.push_back(std::make_unique<CsvSweepSink>(options.csv, *streams.out));
    if (!options.measurements.isEmpty())
        sinks.push_back(OpenMeasurementLog(options.measurements, *streams.out));
    if (!options.record.isEmpty())
        sinks.push_back(std::make_unique<RecordSweepSink>(options.record, *streams.out));
}

int Capture::Run() {
    // The program's message and error boxes become lines on the standard error.
    const Messages::Handler previousMessages =
        Messages::SetHandler([this](Messages::Kind kind, const QString& text, QObject*) {
            Print(Messages::Title(kind) + QStringLiteral(" : ") + text);
        });
    const ErrorGuard::Reporter previousReporter =
        ErrorGuard::SetReporter([this](const QString& text) { Print(text); });
    StopSignals stops;
    stopSignals = &stops;
    connect(&stops, &StopSignals::stopAsked, this, [this](int signal) {
        stopSignal = signal;
        Stop();
    });

    if (!options.from.isEmpty()) {
        status = Replay();
    } else {
        try {
            OpenOutputs();
            QTimer::singleShot(0, this, GuardedSlot([this] { Start(); }));
            loop.exec();
        } catch (const UsageError& e) {
            Fail(BadUsage, e.Text());
        } catch (const FileWriteError& e) {
            Fail(WriteFailed, QString::fromUtf8(e.what()));
        }
    }
    sinks.clear();
    stopSignals = nullptr;
    Messages::SetHandler(previousMessages);
    ErrorGuard::SetReporter(previousReporter);
    return status;
}

int Capture::Replay() {
    // The whole file is checked before anything is written.
    QFile file(options.from);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(BadUsage, QStringLiteral("--from : le fichier « %1 » ne peut pas être lu : %2")
                           .arg(options.from, file.errorString()));
        return status;
    }
    int count = 0;
    {
        AcquisitionReader check(file, options.from);
        SweepRecord record;
        while (check.Next(record))
            ++count;
        if (!check.Error().isEmpty()) {
            Fail(BadUsage, QStringLiteral("--from : ") + check.Error());
            return status;
        }
        if (check.TruncatedBytes() > 0)
            Print(QStringLiteral("--from : le fichier « %1 » s'arrête au milieu d'un balayage (%2 "
                                 "octets) ; les %3 balayages entiers sont lus.")
                      .arg(options.from)
                      .arg(check.TruncatedBytes())
                      .arg(count));
    }
    try {
        OpenOutputs();
        file.seek(0);
        AcquisitionReader reader(file, options.from);
        SweepRecord record;
        const int last = options.sweeps ? std::min(*options.sweeps, count) : count;
        while (written < last && StopSignals::Received() == 0 && reader.Next(record)) {
            for (const auto& sink : sinks)
                sink->Write(written + 1, record);
            ++written;
            emit sweepWritten(written);
        }
    } catch (const UsageError& e) {
        Fail(BadUsage, e.Text());
    } catch (const FileWriteError& e) {
        Fail(WriteFailed, QString::fromUtf8(e.what()));
    }
    if (!options.quiet && status == Done)
        Print(QStringLiteral("%1 balayage(s) relu(s) de « %2 ».").arg(written).arg(options.from));
    return status;
}

QString Capture::PortMessage(const SerialError& error) const {
    const QString& port = options.port;
    switch (error.SystemError()) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return QStringLiteral("le port %1 n'existe pas. Ports série de cette machine : %2 ; et "
                              "SIMULATEUR, le boîtier simulé.")
            .arg(port, PortList());
    case EBUSY: {
        const std::optional<PortHolder> holder = FindPortHolder(PortDevicePath(port));
        if (!holder)
            return QStringLiteral("le port %1 est occupé par un autre programme.").arg(port);
        const QString& program = holder->program;
        if (program == QStringLiteral("oscilloscope"))
            return QStringLiteral("le port %1 est occupé par le programme de l'oscilloscope "
                                  "(processus %2) : quittez-le, puis recommencez.")
                .arg(port)
                .arg(holder->pid);
        // The kernel keeps 15 characters of a process's name.
        if (program == QLatin1String(CaptureProgramName) ||
            program == QLatin1String(CaptureProgramName).left(15))
            return QStringLiteral("le port %1 est occupé par une autre capture "
                                  "(oscilloscope-capture, processus %2).")
                .arg(port)
                .arg(holder->pid);
        return QStringLiteral("le port %1 est occupé par un autre programme (%2, processus %3).")
            .arg(port, program.isEmpty() ? QStringLiteral("inconnu") : program)
            .arg(holder->pid);
    }
    case EACCES:
    case EPERM:
        return QStringLiteral("accès refusé au port %1 : votre compte n'a pas le droit d'ouvrir "
                              "les ports série. Ajoutez-le au groupe dialout (sudo usermod -a -G "
                              "dialout $USER), puis fermez la session et reconnectez-vous.")
            .arg(port);
    default:
        return QStringLiteral("le port %1 ne peut pas être ouvert : %2").arg(port, error.Text());
    }
}

void Capture::Start() {
    if (finished || stopping)
        return;
    session.KeepSettingsInMemory(FactorySettings());
    session.SetInitialState();
    session.ApplyInactivePreset();
    session.ChoosePort(options.port);
    try {
        session.ActivateLink(StartupRestore::Skip);
    } catch (const SerialError& e) {
        Fail(PortUnusable, PortMessage(e));
        Finish();
        return;
    }
    activated = session.LinkActive() || session.Protocol().Ended();
    if (finished || stopping)
        return;
    try {
        SendSettings();
    } catch (const SerialError& e) {
        // The port failed under a command: nothing more can be sent.
        Fail(LinkLost, QStringLiteral("la liaison avec le boîtier est perdue pendant l'envoi des "
                                      "réglages : %1")
                           .arg(e.Text()));
        Finish();
        return;
    }
    if (finished || stopping)
        return;
    BeginRecording();
}

void Capture::SendSettings() {
    // Every setting, whatever the box may hold after "?&", each through the operation the
    // panel calls; a stop or a failure between two of them ends the series.
    const auto going = [this] { return !finished && !stopping; };
    session.SelectTimeBase(options.timeBaseIndex);
    for (Channel c : {Channel::A, Channel::B})
        if (going())
            session.SwitchTrace(c, options.Of(c).traceOn);
    for (Channel c : {Channel::A, Channel::B}) {
        const ChannelOptions& channel = options.Of(c);
        if (going())
            session.SelectVoltsPerDiv(c, channel.voltsPerDivIndex);
        if (going())
            session.SelectCoupling(c, int(channel.coupling));
        if (going())
            session.SelectProbe(c, channel.probeTimesTen);
        if (going())
            session.ReleasePosition(c, channel.position);
    }
    if (going())
        session.SelectTrigger(int(options.trigger));
    if (going())
        session.MoveWindowTo(options.windowStart);
}

void Capture::BeginRecording() {
    recording = true;
    skipNext = true;
    recordingClock.start();
    progressClock.start();
    silence.start(silenceLimitMs > 0 ? silenceLimitMs
                                     : SilenceLimitMs(session.State().timeBaseIndex));
    portCheck.start();
    if (options.seconds)
        duration.start(int(std::min(*options.seconds * 1000.0, 2e9)));
    ShowProgress(false);
}

void Capture::SweepCompleted() {
    if (!recording)
        return;
    silence.start();
    if (skipNext) {
        // It may have begun before the last setting reached the box.
        skipNext = false;
        return;
    }
    if (!session.LastSweep())
        return;
    const SweepRecord record = RecordOfLastSweep(session, QDateTime::currentDateTime());
    try {
        for (const auto& sink : sinks)
            sink->Write(written + 1, record);
    } catch (const FileWriteError& e) {
        recording = false;
        Fail(WriteFailed, QString::fromUtf8(e.what()));
        // Out of the handler of the received bytes before the last exchange.
        QMetaObject::invokeMethod(
            this, [this] { Stop(); }, Qt::QueuedConnection);
        return;
    }
    ++written;
    emit sweepWritten(written);
    ShowProgress(false);
    if (options.sweeps && written >= *options.sweeps) {
        recording = false;
        QMetaObject::invokeMethod(
            this, [this] { Stop(); }, Qt::QueuedConnection);
    }
}

void Capture::CheckPort() {
    SerialLink* link = session.Link();
    if (link && link->IsOpen())
        return;
    LinkLostAfterActivation(LossReason::Vanished);
}

void Capture::LinkLostAfterActivation(const QString& reason) {
    if (lossReported)
        return;
    lossReported = true;
    if (reason == LossReason::NoAcknowledgement)
        Fail(LinkLost, QStringLiteral("la liaison avec le boîtier est perdue (plus d'accusé de "
                                      "réception) après %1 balayage(s) enregistré(s).")
                           .arg(written));
    else if (reason == LossReason::Vanished || reason == LossReason::HungUp)
        Fail(LinkLost, QStringLiteral("le port %1 a disparu (câble ou adaptateur débranché ?) "
                                      "après %2 balayage(s) enregistré(s).")
                           .arg(options.port)
                           .arg(written));
    else
        Fail(LinkLost, QStringLiteral("la liaison avec le boîtier est perdue (%1) après %2 "
                                      "balayage(s) enregistré(s).")
                           .arg(reason)
                           .arg(written));
    // Nothing more can be sent, and nothing is waited for.
    recording = false;
    stopping = true;
    Finish();
}

void Capture::Stop() {
    recording = false;
    if (stopping || finished)
        return;
    stopping = true;
    silence.stop();
    duration.stop();
    if (session.LinkActive())
        session.Quit(); // "F&" with its handshake, then terminateRequested
    else
        Finish();
}

void Capture::Finish() {
    if (finished)
        return;
    finished = true;
    recording = false;
    silence.stop();
    portCheck.stop();
    duration.stop();
    ShowProgress(true);
    if (stopSignal != 0 && !options.quiet)
        Print(QStringLiteral("arrêt demandé (%1) après %2 balayage(s).")
                  .arg(stopSignal == SIGINT ? QStringLiteral("Ctrl+C") : QStringLiteral("SIGTERM"))
                  .arg(written));
    loop.exit(status);
}

void Capture::ShowProgress(bool last) {
    if (options.quiet || !progressClock.isValid())
        return;
    if (!last && !streams.errIsTerminal && progressClock.elapsed() < ProgressLineMs && written > 0)
        return;
    progressClock.restart();
    CaptureProgress progress;
    progress.sweeps = written;
    progress.ofSweeps = options.sweeps;
    progress.ofSeconds = options.seconds;
    progress.elapsedSeconds = recordingClock.isValid() ? recordingClock.elapsed() / 1000.0 : 0;
    progress.rejectedPackets = session.Decoder().MalformedPackets();
    const QByteArray line = progress.Text().toUtf8();
    if (streams.errIsTerminal) {
        streams.err->write("\r" + line + "\x1b[K");
        progressShown = true;
        if (last) {
            streams.err->write("\n");
            progressShown = false;
        }
    } else {
        streams.err->write(line + '\n');
    }
}
