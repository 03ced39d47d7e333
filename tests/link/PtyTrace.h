#pragma once

// The shim's log of a pseudo-terminal's lines and writes (PtyModem.h) as tests read it:
// the events since a point, as the wire shows them, and with their times.

#include "PtyModem.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <algorithm>

// The events logged from index `from` on.
inline QList<OscPtyEvent> PtyEvents(const OscPtyModem& modem, uint32_t from = 0) {
    QList<OscPtyEvent> events;
    const uint32_t count = std::min<uint32_t>(modem.eventCount.load(), 512);
    for (uint32_t i = from; i < count; ++i)
        events << modem.events[i];
    return events;
}

// One event as the wire shows it: "RTS on", "DSR off", "write Z1 with RTS high"...
inline QString PtyWireEvent(const OscPtyEvent& e) {
    const QString rts = e.rts ? QStringLiteral("high") : QStringLiteral("low");
    switch (e.kind) {
    case OscPtyEvent::RtsOn:
        return QStringLiteral("RTS on");
    case OscPtyEvent::RtsOff:
        return QStringLiteral("RTS off");
    case OscPtyEvent::DsrOn:
        return QStringLiteral("DSR on");
    case OscPtyEvent::DsrOff:
        return QStringLiteral("DSR off");
    case OscPtyEvent::Write:
        return QStringLiteral("write %1 with RTS %2")
            .arg(QString::fromLatin1(e.bytes, std::min<int>(e.length, sizeof e.bytes)), rts);
    case OscPtyEvent::Sent:
        return QStringLiteral("sent with RTS %1").arg(rts);
    }
    return QStringLiteral("event %1").arg(e.kind);
}

inline QStringList PtyWire(const QList<OscPtyEvent>& events) {
    QStringList wire;
    for (const OscPtyEvent& e : events)
        wire << PtyWireEvent(e);
    return wire;
}

// The events with their times in milliseconds from the first one, one a line.
inline QString PtyTrace(const QList<OscPtyEvent>& events) {
    QString trace;
    for (const OscPtyEvent& e : events)
        trace += QStringLiteral("%1 ms  %2\n")
                     .arg((e.ns - events.first().ns) / 1e6, 8, 'f', 1)
                     .arg(PtyWireEvent(e));
    return trace;
}
