#include "analysis/MeasurementLog.h"

#include "analysis/ReadingText.h"

#include <QFileInfo>
#include <cstdio>

namespace {

const char* const ChannelPrefixes[2] = {"a_", "b_"};

void AppendChannelHeader(QByteArray& out, const char* prefix) {
    out += ',' + QByteArray(prefix) + "on";
    out += ',' + QByteArray(prefix) + "reference";
    for (int k = 0; k < ReadingKindCount; ++k) {
        const QByteArray name = QByteArray(prefix) + ReadingRowOf(ReadingKind(k)).csvName;
        out += ',' + name + ',' + name + "_flags";
    }
}

void AppendChannel(QByteArray& out, const std::optional<ChannelMeasurements>& channel) {
    if (!channel) {
        out += ",0,";
        for (int k = 0; k < ReadingKindCount; ++k)
            out += ",,";
        return;
    }
    out += ",1," + CsvReferenceName(channel->reference).toUtf8();
    for (int k = 0; k < ReadingKindCount; ++k) {
        const Reading& reading = channel->Of(ReadingKind(k));
        out += ',' + CsvReadingValue(reading).toUtf8() + ',' + CsvReadingFlags(reading).toUtf8();
    }
}

// Local time with its offset from UTC, to the millisecond.
QByteArray IsoTime(const QDateTime& time) {
    const QDateTime withOffset = time.toOffsetFromUtc(time.offsetFromUtc());
    return withOffset.toString(Qt::ISODateWithMs).toUtf8();
}

} // namespace

MeasurementLog::MeasurementLog(const QString& path) : path(path) {}

MeasurementLog::~MeasurementLog() = default;

std::unique_ptr<MeasurementLog> MeasurementLog::ToFile(const QString& path) {
    std::unique_ptr<MeasurementLog> log(new MeasurementLog(path));
    log->file.setFileName(path);
    if (!log->file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw MeasurementLogError(
            QStringLiteral("Le fichier des mesures « %1 » n'a pas pu être créé : %2.")
                .arg(QFileInfo(path).absoluteFilePath(), log->file.errorString())
                .toStdString());
    log->Write(HeaderLine());
    return log;
}

std::unique_ptr<MeasurementLog> MeasurementLog::ToStandardOutput() {
    std::unique_ptr<MeasurementLog> log(new MeasurementLog(QStringLiteral("-")));
    log->standardOutput = true;
    if (!log->file.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered,
                        QFileDevice::DontCloseHandle))
        throw MeasurementLogError(
            QStringLiteral("La sortie standard n'a pas pu être ouverte pour les mesures : %1.")
                .arg(log->file.errorString())
                .toStdString());
    log->Write(HeaderLine());
    return log;
}

QByteArray MeasurementLog::HeaderLine() {
    QByteArray out = "sweep,time";
    for (const char* prefix : ChannelPrefixes)
        AppendChannelHeader(out, prefix);
    return out + "\r\n";
}

QByteArray MeasurementLog::Line(const LoggedSweep& sweep) {
    QByteArray out = QByteArray::number(sweep.number) + ',' + IsoTime(sweep.time);
    AppendChannel(out, sweep.channelA);
    AppendChannel(out, sweep.channelB);
    return out + "\r\n";
}

void MeasurementLog::Append(const LoggedSweep& sweep) {
    if (!file.isOpen())
        throw MeasurementLogError("L'enregistrement des mesures est arrêté.");
    Write(Line(sweep));
    ++lines;
}

void MeasurementLog::Write(const QByteArray& bytes) {
    // A file whose folder was removed or moved would take the line without complaint,
    // where nobody will find it.
    if (!standardOutput && !QFileInfo::exists(path))
        Fail(QStringLiteral("le fichier n'est plus à sa place (supprimé, ou son dossier "
                            "supprimé ou déplacé)"));
    // A short write (the disk full in the middle of the line) is followed by another,
    // which says why it cannot go on.
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 more = file.write(bytes.constData() + done, bytes.size() - done);
        if (more <= 0)
            break;
        done += more;
    }
    if (done != bytes.size()) {
        const QString why = file.errorString();
        // Half a line would spoil the file for the programs that read it.
        if (!standardOutput && done > 0)
            file.resize(written);
        Fail(why);
    }
    written += done;
}

void MeasurementLog::Fail(const QString& why) {
    file.close();
    const QString where = standardOutput
                              ? QStringLiteral("la sortie standard")
                              : QStringLiteral("« %1 »").arg(QFileInfo(path).absoluteFilePath());
    throw MeasurementLogError(
        QStringLiteral("L'enregistrement des mesures dans %1 est arrêté : %2. Les lignes "
                       "déjà écrites sont conservées.")
            .arg(where, why)
            .toStdString());
}
