#include "dialogs/AboutWindow.h"

#include "core/SettingsLines.h"
#include "core/SystemFacts.h"
#include "instrument/Instrument.h"

#include <QGraphicsDropShadowEffect>
#include <QGroupBox>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const char* const FactLabels[AboutWindow::FactCount] = {
    "Mémoire physique disponible :", "Ressources du système :", "Carte graphique :",
    "Résolution graphique :",        "Palette de couleurs :",
};

const char* const PictureFiles[2] = {"apropos_gauche.gif", "apropos_droite.gif"};

constexpr int BandHeight = 80;

QLabel* TextBlock(const QStringList& lines, QWidget* parent) {
    auto* label = new QLabel(lines.join(u'\n'), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(12);
    font.setBold(true);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: maroon;"));
    return label;
}

} // namespace

QStringList AboutWindow::TitleLines() {
    return {QStringLiteral("Oscilloscope numérique à mémoire"),
            QStringLiteral("          Analyseur de spectre"),
            QStringLiteral("                 Version 1.7")};
}

QStringList AboutWindow::CharacteristicsFirstBlock() {
    return {
        QStringLiteral("- Fréquence d'échantillonnage maximale : 30 MHz."),
        QStringLiteral("- Bande passante des voies A et B à -3dB : 6 MHz."),
        QStringLiteral("- Base de temps Time/Div : 1µs à 500ms par division."),
        QStringLiteral("- Loupe x2 et x5 pour l'affichage horizontal Time/Div."),
        QStringLiteral(" "),
        QStringLiteral("- Deux entrées indépendantes A et B."),
        QStringLiteral("- Impédance d'entrée des voies A et B : 1 Mohm / 30pF."),
        QStringLiteral("- Tension d'entrée maximale admissible : 100V (DC + AC)."),
        QStringLiteral("- Couplage d'entrée : AC, DC et GND."),
        QStringLiteral("- Sensibilité d'entrée Volts/Div : de 10mV à 5V par division."),
        QStringLiteral(" "),
        QStringLiteral("- Source déclenchement Trigger : Voie A, Voie B, externe ou libre."),
        QStringLiteral("- Impédance d'entrée Trigger Externe : 10 Mohms."),
        QStringLiteral("- Niveau de déclenchement : Valeur moyenne du signal."),
        QStringLiteral(" "),
        QStringLiteral("- Résolution horizontale : 300 points."),
        QStringLiteral("- Résolution verticale : 8 bits (256 niveaux)."),
        QStringLiteral("- Longueur d'enregistrement RAM : 2048 échantillons par canal."),
        QStringLiteral("- Interpolation graphique : Linéaire."),
        QStringLiteral(" "),
        QStringLiteral("- Marqueurs pour la mesure des amplitudes et des fréquences."),
        QStringLiteral("- Mesure des tensions sinusoïdales en mode efficace vrai (RMS)."),
        QStringLiteral("- Format de sauvegarde : Bitmap (BMP)."),
    };
}

QStringList AboutWindow::CharacteristicsSecondBlock() {
    return {
        QStringLiteral("- Fonctions Math : Voie A + Voie B, Voie A - Voie B, Mode X Y."),
        QStringLiteral("- Analyseur de spectre par Transformée de Fourier Discrète (TFD)."),
        QStringLiteral("- Amplitude du spectre : Linéaire ou Logarithmique (dB)."),
        QStringLiteral("- Réglage de la contraction et dilatation de l'échelle des fréquences."),
        QStringLiteral("- Echelle automatique des axes de l'amplitude et de la fréquence."),
        QStringLiteral("- Fenêtres de pondération (Hanning, Bartlett, Blackman, etc...)."),
    };
}

AboutWindow::AboutWindow(QWidget* parent, Instrument& owner, Sources where)
    : AuxiliaryWindow(parent), session(owner), sources(std::move(where)) {
    // A fixed border, the system menu and the close box.
    setWindowFlag(Qt::WindowSystemMenuHint, true);
    setWindowTitle(QStringLiteral("A propos de..."));
    setFixedSize(ClientWidth, ClientHeight);

    // The head band: a picture at each end, the title between them.
    auto* band = new QWidget(this);
    band->setObjectName(QStringLiteral("aboutBand"));
    band->setGeometry(0, 0, ClientWidth, BandHeight);
    band->setAutoFillBackground(true);
    QPalette bandColours = band->palette();
    bandColours.setColor(QPalette::Window, QColor(0, 0, 128));
    band->setPalette(bandColours);
    for (int side = 0; side < 2; ++side) {
        auto* picture = new QLabel(band);
        picture->setGeometry(side == 0 ? 8 : ClientWidth - 8 - 63, 8, 63, 64);
        auto* movie = new QMovie(session.ProgramFolder() + QString::fromLatin1(PictureFiles[side]),
                                 QByteArray(), picture);
        picture->setMovie(movie);
        movie->start();
        movies[static_cast<std::size_t>(side)] = movie;
    }
    auto* title = new QLabel(TitleLines().join(u'\n'), band);
    title->setObjectName(QStringLiteral("aboutTitle"));
    title->setTextFormat(Qt::PlainText);
    QFont titleFont(QStringLiteral("Liberation Serif"));
    titleFont.setPixelSize(17);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    title->setFont(titleFont);
    title->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    title->setGeometry(79, 6, ClientWidth - 2 * 79, 68);
    auto* shadow = new QGraphicsDropShadowEffect(title);
    shadow->setColor(Qt::black);
    shadow->setOffset(2, 2);
    shadow->setBlurRadius(0);
    title->setGraphicsEffect(shadow);

    pages = new QTabWidget(this);
    pages->setGeometry(8, BandHeight + 8, ClientWidth - 16, ClientHeight - BandHeight - 56);

    // The first page: what the program is, and the user's machine.
    auto* first = new QWidget;
    auto* intro = new QLabel(
        QStringLiteral("Logiciel de l'oscilloscope numérique à mémoire à deux voies, avec "
                       "analyseur de spectre.\n\nIl pilote le boîtier d'acquisition relié à un "
                       "port série physique ou virtuel USB, affiche les traces des voies A et B, "
                       "mesure les tensions et les fréquences avec les marqueurs, et calcule le "
                       "spectre des signaux affichés.\n\nSans boîtier, le port « SIMULATEUR » "
                       "permet de découvrir le programme."),
        first);
    intro->setWordWrap(true);
    intro->setGeometry(12, 12, pages->width() - 30, 170);
    intro->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* group = new QGroupBox(QStringLiteral(" Vos paramètres : "), first);
    group->setGeometry(8, 200, pages->width() - 22, 30 + FactCount * 24);
    for (int row = 0; row < FactCount; ++row) {
        const int top = 24 + row * 24;
        auto* label = new QLabel(QString::fromUtf8(FactLabels[row]), group);
        label->setGeometry(10, top, 170, 18);
        auto* value = new QLabel(group);
        value->setGeometry(180, top, group->width() - 188, 18);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        facts[static_cast<std::size_t>(row)] = value;
    }
    pages->addTab(first, QStringLiteral("Présentation"));

    // The second page: the general characteristics, two blocks.
    auto* second = new QWidget;
    auto* layout = new QVBoxLayout(second);
    layout->setContentsMargins(10, 10, 6, 10);
    layout->setSpacing(12);
    layout->addWidget(TextBlock(CharacteristicsFirstBlock(), second));
    layout->addWidget(TextBlock(CharacteristicsSecondBlock(), second));
    layout->addStretch();
    pages->addTab(second, QStringLiteral("Caractéristiques générales"));

    AddOkButton({ClientWidth / 2 - 40, ClientHeight - 38, 80, 25});
}

void AboutWindow::Activated() {
    if (played)
        return;
    if (session.Settings().IsOn(SettingsLine::Sound)) {
        emit soundRequested(QStringLiteral("id46.wav"));
        played = true;
    }
    ReadFacts();
}

void AboutWindow::Closing() {
    played = false;
}

void AboutWindow::ReadFacts() {
    const std::optional<SystemFacts::Memory> memory = SystemFacts::ReadMemory(sources.memInfo);
    facts[0]->setText(memory ? SystemFacts::PhysicalMemoryText(memory->totalKiB) : QString());
    facts[1]->setText(memory ? SystemFacts::MemoryLoadText(memory->loadPercent) : QString());
    facts[2]->setText(SystemFacts::DisplayAdapters(sources.drmFolder).value(0));
    const QScreen* display = screen();
    facts[3]->setText(
        display
            ? QStringLiteral("%1 x %2").arg(display->size().width()).arg(display->size().height())
            : QString());
    facts[4]->setText(display ? QString::number(display->depth()) + QStringLiteral(" bits")
                              : QString());
}
