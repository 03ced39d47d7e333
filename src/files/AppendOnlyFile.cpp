#include "files/AppendOnlyFile.h"

#include <QFile>
#include <QFileInfo>

AppendOnlyFile::AppendOnlyFile(const QString& path)
    : owned(std::make_unique<QFile>(path)), device(owned.get()),
      name(QStringLiteral("le fichier \"%1\"").arg(QFileInfo(path).absoluteFilePath())) {
    // Unbuffered: each piece goes to the system in its own write, and a short write (a full
    // disk, a size limit) is seen here.
    if (!owned->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        Fail(owned->errorString());
}

AppendOnlyFile::AppendOnlyFile(QIODevice& output, const QString& outputName)
    : device(&output), name(outputName) {}

AppendOnlyFile::~AppendOnlyFile() = default;

void AppendOnlyFile::Fail(const QString& why) {
    throw FileWriteError(
        QStringLiteral("Impossible d'écrire dans %1 : %2").arg(name, why).toStdString());
}

void AppendOnlyFile::Append(QByteArrayView bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = device->write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            const QString why = device->errorString();
            if (owned)
                owned->resize(size); // back to the last whole piece
            Fail(why);
        }
        done += n;
    }
    size += done;
}
