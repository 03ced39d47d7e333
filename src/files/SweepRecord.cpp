#include "files/SweepRecord.h"

#include <QTimeZone>
#include <cstdlib>

SweepRecord SweepRecord::At(const QDateTime& when) {
    SweepRecord record;
    record.msecsSinceEpoch = when.toMSecsSinceEpoch();
    record.utcOffsetMinutes = when.offsetFromUtc() / 60;
    return record;
}

QString SweepRecord::TimeText() const {
    const qint64 offsetMs = qint64(utcOffsetMinutes) * 60 * 1000;
    const QDateTime local =
        QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch + offsetMs, QTimeZone::utc());
    const int offset = std::abs(utcOffsetMinutes);
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
           (utcOffsetMinutes < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(offset / 60, 2, 10, QLatin1Char('0'))
               .arg(offset % 60, 2, 10, QLatin1Char('0'));
}
