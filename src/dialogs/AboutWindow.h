#pragma once

#include "dialogs/AuxiliaryWindow.h"

#include <QString>
#include <array>

class Instrument;
class QLabel;
class QMovie;
class QTabWidget;

// Where the about box reads the machine's facts; tests give their own.
struct AboutSources {
    QString memInfo = QStringLiteral("/proc/meminfo");
    QString drmFolder = QStringLiteral("/sys/class/drm");
};

// "A propos de...": the version under a head band with two animated pictures, a first page
// with a few facts about the user's machine (" Vos paramètres : ") and a second page with
// the instrument's general characteristics.
//
// Each time the window becomes active, unless it already played its sound during this
// opening, it plays "id46.wav" when sounds are on (and then remembers it did) and reads the
// machine's facts anew. Closing the window forgets the sound, so the next opening plays it
// again.
class AboutWindow : public AuxiliaryWindow {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 423;
    static constexpr int ClientHeight = 614;
    static constexpr int FactCount = 5;

    using Sources = AboutSources;

    // The animated pictures are "apropos_gauche.gif" and "apropos_droite.gif" of the
    // program's folder.
    AboutWindow(QWidget* parent, Instrument& session, Sources sources = {});

    static QStringList TitleLines();
    static QStringList CharacteristicsFirstBlock();
    static QStringList CharacteristicsSecondBlock();

    QTabWidget* Pages() const { return pages; }
    // The values of the five rows: memory, memory load, adapter, resolution, colours.
    QLabel* Fact(int row) const { return facts[static_cast<std::size_t>(row)]; }
    QMovie* Picture(int side) const { return movies[static_cast<std::size_t>(side)]; }
    bool SoundPlayed() const { return played; }

signals:
    // A sound file of the program's folder to play.
    void soundRequested(const QString& fileName);

protected:
    void Activated() override;
    void Closing() override;

private:
    void ReadFacts();

    Instrument& session;
    Sources sources;
    bool played = false;
    QTabWidget* pages = nullptr;
    std::array<QLabel*, FactCount> facts{};
    std::array<QMovie*, 2> movies{};
};
