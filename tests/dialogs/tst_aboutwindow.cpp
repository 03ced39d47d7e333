#include "DialogsSupport.h"
#include "core/SettingsLines.h"
#include "dialogs/AboutWindow.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMovie>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The labels of a widget's tree, in creation order.
QStringList Texts(const QWidget* w) {
    QStringList texts;
    for (const QLabel* l : w->findChildren<QLabel*>())
        if (!l->text().isEmpty())
            texts << l->text();
    return texts;
}

} // namespace

// "A propos de...": its parts, the exact texts, the machine's facts read from the sources
// it is given, and the sound played once per opening.
class TestAboutWindow : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void layout() {
        SettingsSession s;
        QVERIFY(QFile::copy(qEnvironmentVariable("OSC_TEST_DATA") + "/apropos_gauche.gif",
                            s.session.ProgramFolder() + "apropos_gauche.gif"));
        QVERIFY(QFile::copy(qEnvironmentVariable("OSC_TEST_DATA") + "/apropos_droite.gif",
                            s.session.ProgramFolder() + "apropos_droite.gif"));
        AboutWindow w(nullptr, s.session);
        QCOMPARE(w.windowTitle(), QStringLiteral("A propos de..."));
        QCOMPARE(w.size(), QSize(423, 614));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        // The title, in three lines with their leading spaces.
        const auto* title = w.findChild<QLabel*>(QStringLiteral("aboutTitle"));
        QCOMPARE(title->text(), QStringLiteral("Oscilloscope numérique à mémoire\n"
                                               "          Analyseur de spectre\n"
                                               "                 Version 1.7"));
        // The two pictures, 63 x 64, playing.
        for (int side = 0; side < 2; ++side) {
            QMovie* movie = w.Picture(side);
            QVERIFY(movie->isValid());
            QCOMPARE(movie->state(), QMovie::Running);
            QVERIFY(movie->frameCount() > 1);
            QCOMPARE(movie->currentImage().size(), QSize(63, 64));
        }
        QVERIFY(w.Picture(0)->parent() != w.Picture(1)->parent());
        // Two pages; the group of the first and its five rows in order.
        QCOMPARE(w.Pages()->count(), 2);
        QCOMPARE(w.Pages()->tabText(1), QStringLiteral("Caractéristiques générales"));
        auto* group = w.Pages()->widget(0)->findChild<QGroupBox*>();
        QCOMPARE(group->title(), QStringLiteral(" Vos paramètres : "));
        QCOMPARE(Texts(group), QStringList({"Mémoire physique disponible :",
                                            "Ressources du système :", "Carte graphique :",
                                            "Résolution graphique :", "Palette de couleurs :"}));
        QCOMPARE(ButtonCaptioned(w, "OK")->toolTip(), QStringLiteral("Fermer la fenêtre..."));
    }

    void characteristicsText() {
        SettingsSession s;
        AboutWindow w(nullptr, s.session);
        const QStringList blocks = Texts(w.Pages()->widget(1));
        QCOMPARE(blocks.size(), 2);
        const QStringList first = blocks[0].split(u'\n');
        QCOMPARE(first.size(), 23);
        QCOMPARE(first.first(), QStringLiteral("- Fréquence d'échantillonnage maximale : 30 MHz."));
        QCOMPARE(first[4], QStringLiteral(" "));
        QCOMPARE(first[9],
                 QStringLiteral("- Sensibilité d'entrée Volts/Div : de 10mV à 5V par division."));
        QCOMPARE(first[10], QStringLiteral(" "));
        QCOMPARE(first[14], QStringLiteral(" "));
        QCOMPARE(first[19], QStringLiteral(" "));
        QCOMPARE(first.last(), QStringLiteral("- Format de sauvegarde : Bitmap (BMP)."));
        QCOMPARE(blocks[1],
                 QStringLiteral("- Fonctions Math : Voie A + Voie B, Voie A - Voie B, Mode X Y.\n"
                                "- Analyseur de spectre par Transformée de Fourier Discrète "
                                "(TFD).\n"
                                "- Amplitude du spectre : Linéaire ou Logarithmique (dB).\n"
                                "- Réglage de la contraction et dilatation de l'échelle des "
                                "fréquences.\n"
                                "- Echelle automatique des axes de l'amplitude et de la "
                                "fréquence.\n"
                                "- Fenêtres de pondération (Hanning, Bartlett, Blackman, "
                                "etc...)."));
        // Bold maroon, 12 pixels high.
        for (QLabel* l : w.Pages()->widget(1)->findChildren<QLabel*>()) {
            l->ensurePolished();
            QVERIFY(l->font().bold());
            QCOMPARE(l->font().pixelSize(), 12);
            QCOMPARE(l->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        }
    }

    // A machine of 2 GiB, a quarter in use, one display adapter numbered 1 (no card0): the
    // facts as the window shows them, grouped by the French locale.
    void factsOfTheMachine() {
        SettingsSession s({{14, "SON_OFF"}});
        const QString folder = s.session.ProgramFolder();
        Write(folder + "meminfo", "MemTotal:        2097152 kB\nMemFree:  1000 kB\n"
                                  "MemAvailable:    1572864 kB\n");
        QDir().mkpath(folder + "drm/card1/device");
        QDir().mkpath(folder + "drm/card1-Virtual-1");
        Write(folder + "drm/card1/device/uevent", "DRIVER=virtio-pci\nPCI_ID=1AF4:1050\n");
        AboutWindow w(nullptr, s.session, {folder + "meminfo", folder + "drm"});
        Activate(w);
        QCOMPARE(w.Fact(0)->text(), QStringLiteral("2\u202f097\u202f152 Ko"));
        QCOMPARE(w.Fact(1)->text(), QStringLiteral("25 %"));
        QCOMPARE(w.Fact(2)->text(), QStringLiteral("virtio-pci [1AF4:1050]"));
        const QScreen* screen = w.screen();
        QCOMPARE(
            w.Fact(3)->text(),
            QStringLiteral("%1 x %2").arg(screen->size().width()).arg(screen->size().height()));
        QCOMPARE(w.Fact(4)->text(), QStringLiteral("%1 bits").arg(screen->depth()));

        // With sounds off the facts are read at every activation; no adapter: empty.
        Write(folder + "meminfo", "MemTotal: 1000 kB\nMemAvailable: 570 kB\n");
        QDir(folder + "drm").removeRecursively();
        Activate(w);
        QCOMPARE(w.Fact(0)->text(), QStringLiteral("1\u202f000 Ko"));
        QCOMPARE(w.Fact(1)->text(), QStringLiteral("43 %"));
        QCOMPARE(w.Fact(2)->text(), QString());
    }

    // With sounds on: "id46.wav" once per opening, and the facts read with it only.
    void soundOncePerOpening() {
        SettingsSession s({{14, "SON_ON"}});
        const QString folder = s.session.ProgramFolder();
        Write(folder + "meminfo", "MemTotal: 1000 kB\nMemAvailable: 500 kB\n");
        AboutWindow w(nullptr, s.session, {folder + "meminfo", folder + "drm"});
        QSignalSpy sounds(&w, &AboutWindow::soundRequested);
        QVERIFY(!w.SoundPlayed());
        w.ShowOnTop();
        Activate(w);
        QCOMPARE(sounds.size(), 1);
        QCOMPARE(sounds[0][0].toString(), QStringLiteral("id46.wav"));
        QVERIFY(w.SoundPlayed());
        QCOMPARE(w.Fact(1)->text(), QStringLiteral("50 %"));
        Write(folder + "meminfo", "MemTotal: 1000 kB\nMemAvailable: 100 kB\n");
        Activate(w);
        QCOMPARE(sounds.size(), 1);
        QCOMPARE(w.Fact(1)->text(), QStringLiteral("50 %"));
        w.close(); // the close box
        QVERIFY(!w.SoundPlayed());
        w.ShowOnTop();
        Activate(w);
        QCOMPARE(sounds.size(), 2);
        QCOMPARE(w.Fact(1)->text(), QStringLiteral("90 %"));
        ButtonCaptioned(w, "OK")->click();
        QVERIFY(w.isHidden());
        QVERIFY(!w.SoundPlayed());
    }
};

QTEST_MAIN(TestAboutWindow)
#include "tst_aboutwindow.moc"
