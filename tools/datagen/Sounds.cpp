// The three short sounds: 16-bit PCM, 44.1 kHz, mono, written as RIFF/WAVE by hand.
// Each is a few soft bell-like notes (a fundamental with two decaying harmonics),
// normalised well below full scale so that no sample clips.

#include "DataGen.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace datagen {

namespace {

constexpr int kRate = 44100;
constexpr double kPeak = 0.6; // about -4.4 dBFS

struct Note {
    double frequency; // Hz
    double start;     // s
    double decay;     // time constant of the exponential decay, s
    double level;     // relative loudness
};

struct Sound {
    const char* name;
    double length; // s
    std::vector<Note> notes;
};

// Fundamental, octave and twelfth; the upper partials fade faster, as in a struck bar.
struct Partial {
    double ratio;
    double level;
    double decayFactor;
};
constexpr Partial kPartials[] = {{1.0, 1.0, 1.0}, {2.0, 0.28, 0.55}, {3.0, 0.08, 0.35}};

std::vector<double> Render(const Sound& sound) {
    const int count = static_cast<int>(std::lround(sound.length * kRate));
    std::vector<double> s(count, 0.0);
    constexpr double attack = 0.006;
    for (const Note& note : sound.notes) {
        const int first = static_cast<int>(std::lround(note.start * kRate));
        for (int i = first; i < count; ++i) {
            const double t = double(i - first) / kRate;
            const double rise =
                t < attack ? 0.5 - 0.5 * std::cos(std::numbers::pi * t / attack) : 1.0;
            double v = 0.0;
            for (const Partial& p : kPartials)
                v += p.level * std::exp(-t / (note.decay * p.decayFactor)) *
                     std::sin(2.0 * std::numbers::pi * note.frequency * p.ratio * t);
            s[i] += note.level * rise * v;
        }
    }
    // Fade the last 40 ms to silence so the sound never ends on a click.
    const int fade = kRate * 40 / 1000;
    for (int i = std::max(0, count - fade); i < count; ++i) {
        const double x = double(count - 1 - i) / fade;
        s[i] *= 0.5 - 0.5 * std::cos(std::numbers::pi * x);
    }
    double peak = 0.0;
    for (double v : s)
        peak = std::max(peak, std::abs(v));
    if (peak > 0.0)
        for (double& v : s)
            v *= kPeak / peak;
    return s;
}

QByteArray Wave(const std::vector<double>& samples) {
    const quint32 dataBytes = quint32(samples.size() * 2);
    QByteArray b;
    LittleEndian le{b};
    b += "RIFF";
    le.U32(36 + dataBytes);
    b += "WAVE";
    b += "fmt ";
    le.U32(16);
    le.U16(1); // PCM
    le.U16(1); // mono
    le.U32(kRate);
    le.U32(kRate * 2); // bytes per second
    le.U16(2);         // block align
    le.U16(16);        // bits per sample
    b += "data";
    le.U32(dataBytes);
    for (double v : samples)
        le.U16(quint16(qint16(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0))));
    return b;
}

} // namespace

bool WriteSounds(const QDir& out) {
    const Sound sounds[] = {
        // Welcome: a slow rising C major arpeggio ending on the octave.
        {"accueil.wav",
         1.3,
         {{523.25, 0.00, 0.30, 0.8},
          {659.26, 0.14, 0.30, 0.75},
          {783.99, 0.28, 0.32, 0.7},
          {1046.50, 0.42, 0.45, 0.75}}},
        // Link opened: two quick rising notes.
        {"open.wav", 0.45, {{783.99, 0.00, 0.10, 0.8}, {1174.66, 0.09, 0.16, 0.8}}},
        // About box: a light A major sparkle.
        {"id46.wav",
         0.9,
         {{880.00, 0.00, 0.22, 0.6}, {1108.73, 0.08, 0.24, 0.55}, {1318.51, 0.16, 0.32, 0.6}}},
    };
    for (const Sound& sound : sounds) {
        const QByteArray bytes = Wave(Render(sound));
        QFile file(out.filePath(QLatin1String(sound.name)));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "datagen: cannot write %s\n", qPrintable(file.fileName()));
            return false;
        }
    }
    return true;
}

} // namespace datagen
