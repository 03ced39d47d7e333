#include "app/SettingsFile.h"

#include "app/Conversion.h"

#include <QFile>
#include <QSaveFile>

namespace SettingsFile {

QString DefaultNumberLine(int k) {
    switch (k) {
    case 8: // time and date texts
    case 9: // graticule
        return QStringLiteral("0");
    case 10:
        return QStringLiteral("255"); // channel A
    case 11:
        return QStringLiteral("16711680"); // channel B
    case 13:
        return QStringLiteral("16711935"); // markers
    case 15:
        return QStringLiteral("1813282"); // math trace
    case 16:
        return QStringLiteral("0"); // no port chosen yet
    case 17:
        return QStringLiteral("12582910"); // spectrum background
    case 18:
    case 19:
    case 30:
    case 31:
        return QStringLiteral("128");
    case 20:
    case 32:
        return QStringLiteral("12");
    case 21:
    case 33:
        return QStringLiteral("1");
    case 24:
    case 25:
    case 36:
    case 37:
        return QStringLiteral("2");
    case 26:
    case 27:
    case 38:
    case 39:
        return QStringLiteral("3");
    case 28:
    case 40:
        return QStringLiteral("0");
    default:
        return {};
    }
}

void RepairNumberLines(PersistedSettings& settings) {
    for (int k = 1; k <= PersistedSettings::LineCount; ++k) {
        const QString fallback = DefaultNumberLine(k);
        int value = 0;
        if (!fallback.isEmpty() && !TryStrToInt(settings.Line(k), value))
            settings.SetLine(k, fallback);
    }
}

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
    RepairNumberLines(settings);
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
