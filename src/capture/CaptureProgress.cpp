#include "capture/CaptureProgress.h"

#include <cmath>

namespace {

// One decimal, with a comma.
QString French(double value) {
    return QString::number(value, 'f', 1).replace(u'.', u',');
}

// As few digits as it needs, with a comma.
QString FrenchShort(double value) {
    return QString::number(value, 'g', 10).replace(u'.', u',');
}

// French counts: the singular for 0 and 1.
QString Counted(qint64 count, const QString& singular, const QString& plural) {
    return QString::number(count) + u' ' + (count <= 1 ? singular : plural);
}

} // namespace

QString CaptureProgress::Text() const {
    QString text = QStringLiteral("balayage %1").arg(sweeps);
    if (ofSweeps)
        text += QStringLiteral("/%1").arg(*ofSweeps);
    if (ofSeconds)
        text += QStringLiteral(" — %1/%2 s")
                    .arg(FrenchShort(std::min(std::floor(elapsedSeconds), *ofSeconds)),
                         FrenchShort(*ofSeconds));
    const double rate = elapsedSeconds > 0 ? sweeps / elapsedSeconds : 0;
    text += QStringLiteral(" — %1 balayages/s — ").arg(French(rate));
    text += Counted(rejectedPackets, QStringLiteral("paquet rejeté"),
                    QStringLiteral("paquets rejetés"));
    return text;
}
