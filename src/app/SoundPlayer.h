#pragma once

#include <QObject>
#include <QString>

class QSoundEffect;

// Plays the program's short sounds without waiting. A missing or unplayable file is
// silent: sounds are a courtesy, never an error.
class SoundPlayer : public QObject {
    Q_OBJECT
public:
    explicit SoundPlayer(QObject* parent = nullptr);

    // Whether the machine has at least one wave-output device.
    static bool HasOutputDevice();

    // Starts playing the file and returns at once; the previous sound is cut.
    void Play(const QString& path);

    // The file last asked for (tests check which sound was requested).
    QString LastRequested() const { return lastRequested; }

private:
    QSoundEffect* effect = nullptr;
    QString lastRequested;
};
