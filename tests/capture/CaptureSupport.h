#pragma once

// Shared by the capture's tests: the signals of the box's bench as its description gives
// them, and the check of a capture's CSV against them.

#include "core/InstrumentSettings.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace Bench {

// Channel A: a 1 kHz sine of 2 V peak. Channel B: a 500 Hz square of 1 V peak, high for
// the first half of each period, on 1.5 V of DC. Under AC coupling the DC is gone; under
// GND the input is 0 V.
inline double Volts(Channel channel, Coupling coupling, double t) {
    if (coupling == Coupling::GND)
        return 0;
    if (channel == Channel::A)
        return 2.0 * std::sin(2 * std::numbers::pi * 1000.0 * t);
    const double cycles = t * 500.0;
    const double square = cycles - std::floor(cycles) < 0.5 ? 1.0 : -1.0;
    return coupling == Coupling::DC ? square + 1.5 : square;
}

// Whether the square changes level within a hair of t: there either level is right.
inline bool AtAnEdge(double t) {
    const double halves = t * 1000.0;
    return std::abs(halves - std::round(halves)) < 1e-6;
}

// The code of a level: 32 codes a division from the position, within 0..255.
inline int Code(double volts, double voltsPerDiv, int position) {
    return std::clamp(position + int(std::lround(volts / voltsPerDiv * 32)), 0, 255);
}

} // namespace Bench

// What a channel was set to in a capture, as the test states it.
struct ChannelSet {
    double voltsPerDiv = 1;
    Coupling coupling = Coupling::DC;
    int probe = 1;
    int position = 128;
    bool on = true;
};

// Checks the CSV of a capture triggered on channel A (every sweep from the trigger, at
// t = 0 in the memory), `sweeps` sweeps of 300 points, against the bench: the sweep's
// number and a date and time that go forward, point number, time from the window's start,
// volts from the code, and the code the bench gives at that time.
inline void CheckBenchCsv(const QByteArray& csv, int sweeps, double secondsPerDiv, int windowStart,
                          const ChannelSet& a, const ChannelSet& b) {
    const QList<QByteArray> lines = csv.split('\n');
    QCOMPARE(lines.size(), 1 + 300 * sweeps + 1);
    QCOMPARE(lines.last(), QByteArray());
    QByteArray header = "Balayage,Date et heure,Point,Temps (s)";
    if (a.on)
        header += QStringLiteral(",Voie A (V par rapport à la ligne centrale)").toUtf8();
    if (b.on)
        header += QStringLiteral(",Voie B (V par rapport à la ligne centrale)").toUtf8();
    if (a.on)
        header += ",Code A";
    if (b.on)
        header += ",Code B";
    QCOMPARE(lines[0], header + '\r');
    QList<const ChannelSet*> shown;
    QList<Channel> channels;
    if (a.on) {
        shown << &a;
        channels << Channel::A;
    }
    if (b.on) {
        shown << &b;
        channels << Channel::B;
    }
    QDateTime previous;
    for (int s = 0; s < sweeps; ++s) {
        for (int p = 1; p <= 300; ++p) {
            const QByteArray& line = lines[1 + s * 300 + p - 1];
            QVERIFY2(line.endsWith('\r'), line.constData());
            const QList<QByteArray> f = line.chopped(1).split(',');
            QCOMPARE(f.size(), 4 + 2 * shown.size());
            QCOMPARE(f[0].toInt(), s + 1);
            const QDateTime when =
                QDateTime::fromString(QString::fromLatin1(f[1]), Qt::ISODateWithMs);
            QVERIFY2(when.isValid(), f[1].constData());
            if (p == 1) {
                if (previous.isValid())
                    QVERIFY2(when > previous, f[1].constData());
                previous = when;
            }
            QCOMPARE(f[2].toInt(), p);
            const double t = (windowStart + p - 1) * secondsPerDiv / 30;
            QVERIFY2(std::abs(f[3].toDouble() - t) <= 1e-12 * std::max(1.0, t * 1e6),
                     f[3].constData());
            for (int c = 0; c < shown.size(); ++c) {
                const ChannelSet& set = *shown[c];
                const int code = f[4 + shown.size() + c].toInt();
                const double volts = f[4 + c].toDouble();
                QVERIFY2(std::abs(volts - (code - 128) * set.voltsPerDiv * set.probe / 32) < 1e-9,
                         line.constData());
                const int expected = Bench::Code(Bench::Volts(channels[c], set.coupling, t),
                                                 set.voltsPerDiv, set.position);
                if (channels[c] == Channel::B && set.coupling != Coupling::GND &&
                    Bench::AtAnEdge(t)) {
                    const double low = Bench::Volts(Channel::B, set.coupling, 0.0015);
                    const double high = Bench::Volts(Channel::B, set.coupling, 0.0005);
                    QVERIFY2(code == Bench::Code(low, set.voltsPerDiv, set.position) ||
                                 code == Bench::Code(high, set.voltsPerDiv, set.position),
                             line.constData());
                } else {
                    QVERIFY2(code == expected, qPrintable(QStringLiteral("%1: expected %2")
                                                              .arg(QString::fromLatin1(line))
                                                              .arg(expected)));
                }
            }
        }
    }
}
