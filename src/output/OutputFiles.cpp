#include "output/OutputFiles.h"

#include <QBuffer>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString TwoDigits(int value) {
    return value < 10 ? QStringLiteral("0") + QString::number(value) : QString::number(value);
}

} // namespace

QString ProposedFileName(bool spectrum, const ClockReading& clock) {
    return ProposedFileName(spectrum ? QStringLiteral("Spectre_") : QStringLiteral("Trace_"),
                            clock);
}

QString ProposedFileName(const QString& prefix, const ClockReading& clock) {
    return prefix + clock.Day() + QLatin1Char('_') + clock.Month() + QLatin1Char('_') +
           clock.Year() + QStringLiteral("__") + clock.Hour() + QLatin1Char('_') +
           TwoDigits(clock.minute) + QLatin1Char('_') + TwoDigits(clock.second);
}

void WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    const auto fail = [&](const QString& why) {
        file.cancelWriting();
        throw OutputError(QStringLiteral("Le fichier \"%1\" n'a pas pu être écrit : %2")
                              .arg(QFileInfo(path).absoluteFilePath(), why)
                              .toStdString());
    };
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    if (file.write(bytes) != bytes.size())
        fail(file.errorString());
    if (!file.commit())
        fail(file.errorString());
}

QByteArray BmpBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "BMP"))
        throw OutputError("L'image n'a pas pu être convertie au format BMP.");
    return bytes;
}

void WriteBmpFile(const QString& path, const QImage& image) {
    WriteFileAtomically(path, BmpBytes(image));
}
