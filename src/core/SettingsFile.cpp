#include "core/SettingsFile.h"

#include <QFile>
#include <QSaveFile>

namespace SettingsFile {

PersistedSettings Load(const QString& path) {
    PersistedSettings settings;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        for (int k = 1; k <= PersistedSettings::LineCount && !file.atEnd(); ++k) {
            QByteArray line;
            bool ended = false;
            while (!ended && !file.atEnd()) {
                QByteArray chunk = file.readLine(MaxLineBytes + 2);
                if (chunk.isEmpty())
                    break;
                ended = chunk.endsWith('\n');
                if (ended)
                    chunk.chop(1);
                if (line.size() <= MaxLineBytes) // past the limit the rest is skipped
                    line += chunk;
            }
            if (line.endsWith('\r'))
                line.chop(1);
            settings.SetRawLine(k, line.left(MaxLineBytes));
        }
    }
    return settings;
}

void Save(const QString& path, const PersistedSettings& settings) {
    QSaveFile file(path);
    const auto fail = [&](const QString& what) {
        file.cancelWriting();
        throw SettingsWriteError(QStringLiteral("Impossible d'enregistrer le fichier \"%1\" : %2")
                                     .arg(path, what)
                                     .toStdString());
    };
    // Unbuffered, so that a short write (a full disk, a size limit) is seen here instead
    // of being lost in a buffer flush that reports success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(file.errorString());
    QByteArray content;
    for (int k = 1; k <= PersistedSettings::LineCount; ++k) {
        content += settings.RawLine(k);
        content += "\r\n";
    }
    for (qsizetype written = 0; written < content.size();) {
        const qint64 n = file.write(content.constData() + written, content.size() - written);
        if (n <= 0)
            fail(file.errorString());
        written += n;
    }
    if (!file.commit())
        fail(file.errorString());
}

} // namespace SettingsFile
