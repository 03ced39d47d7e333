// The factory "parametres.inf": 50 lines, each ended by CR LF, the line number being the key.

#include "DataGen.h"

#include <QFile>
#include <array>
#include <cstdio>

namespace datagen {

namespace {

struct FactoryLine {
    int line;
    const char* text;
};

// Lines not listed are empty: the port (1) is chosen at the first start, the save folder (12)
// is empty until the first save, the program folder (45) is written at every start, and the
// unused lines stay empty.
constexpr FactoryLine kFactoryLines[] = {
    {2, "PERIPHERIQUE_ON"},   // graticule subdivisions on the outer lines
    {3, "LIGNE1090%_ON"},     // rise-time lines
    {4, "HEURE_ON"},          // time on the screen
    {5, "DATE_ON"},           // date on the screen
    {6, "OFFICEXP_ON"},       // menu style, first choice selected
    {7, "CONVENTIONNEL_OFF"}, //
    {8, "0"},                 // time and date texts: black
    {9, "0"},                 // graticule: black
    {10, "255"},              // channel A: red
    {11, "16711680"},         // channel B: blue
    {13, "16711935"},         // markers: magenta
    {14, "SON_ON"},           // sound effects
    {15, "1813282"},          // math trace: green
    {16, "0"},                // no port chosen yet: the first start asks for it
    {17, "12582910"},         // spectrum background gradient start
    // Instrument settings in force, their start values.
    {18, "128"},
    {19, "128"},
    {20, "12"},
    {21, "1"},
    {22, "VOIE_A_ON"},
    {23, "VOIE_B_OFF"},
    {24, "2"},
    {25, "2"},
    {26, "3"},
    {27, "3"},
    {28, "0"}, // nothing restored at link activation
    // The user's start-up values, as "Effacer" leaves them.
    {30, "128"},
    {31, "128"},
    {32, "12"},
    {33, "1"},
    {34, "VOIE_A_ON"},
    {35, "VOIE_B_OFF"},
    {36, "2"},
    {37, "2"},
    {38, "3"},
    {39, "3"},
    {40, "0"},
    {44, "CARTE_SON_ON"},
};

constexpr int kLineCount = 50;

} // namespace

bool WriteFactorySettings(const QDir& out) {
    std::array<QByteArray, kLineCount + 1> lines;
    for (const FactoryLine& l : kFactoryLines)
        lines[l.line] = l.text;
    QByteArray text;
    for (int k = 1; k <= kLineCount; ++k)
        text += lines[k] + "\r\n";

    QFile file(out.filePath(QStringLiteral("parametres.inf")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size()) {
        std::fprintf(stderr, "datagen: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

} // namespace datagen
