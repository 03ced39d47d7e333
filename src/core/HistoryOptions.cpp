#include "core/HistoryOptions.h"

#include <QFile>
#include <QList>

HistoryOptions HistoryOptions::Load(const QString& path) {
    QFile file(path);
    // Larger than any file of options: the rest is not read.
    constexpr qint64 MostBytes = 64 * 1024;
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return Parse(file.read(MostBytes));
}

HistoryOptions HistoryOptions::Parse(const QByteArray& text) {
    HistoryOptions options;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray name = line.left(equals).trimmed().toLower();
        bool ok = false;
        const int value = line.mid(equals + 1).trimmed().toInt(&ok);
        if (name == "longueur" && ok && value >= LeastLength && value <= MostLength)
            options.length = value;
    }
    return options;
}

QByteArray HistoryOptions::Text() const {
    return QByteArrayLiteral("; Historique des balayages\r\n"
                             "; longueur : nombre de balayages gardés (10 à 10000)\r\n"
                             "longueur=") +
           QByteArray::number(length) + QByteArrayLiteral("\r\n");
}
