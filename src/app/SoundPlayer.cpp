#include "app/SoundPlayer.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

bool SoundPlayer::HasOutputDevice() {
    return !QMediaDevices::audioOutputs().isEmpty();
}

void SoundPlayer::Play(const QString& path) {
    lastRequested = path;
    if (!QFileInfo(path).isFile() || !HasOutputDevice())
        return;
    if (!effect)
        effect = new QSoundEffect(this);
    effect->stop();
    effect->setSource(QUrl::fromLocalFile(path));
    effect->play(); // plays once the file is loaded; a bad file just stays silent
}
