// Writes the data files that live beside the program's executable into the folder given
// as the only argument (the repository's data/ folder).

#include "DataGen.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: datagen <output folder>\n");
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "datagen: cannot create %s\n", argv[1]);
        return 1;
    }
    datagen::RegisterFonts();
    const bool ok = datagen::WriteFactorySettings(out) && datagen::WriteSounds(out) &&
                    datagen::WriteGlyphs(out) && datagen::WriteKnobs(out) &&
                    datagen::WriteWindowCurves(out) && datagen::WriteSplash(out) &&
                    datagen::WriteIcon(out);
    return ok ? 0 : 1;
}
