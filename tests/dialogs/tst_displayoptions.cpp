#include "DialogsSupport.h"
#include "core/SettingsLines.h"
#include "dialogs/ColoursWindow.h"
#include "dialogs/GraticuleOptionsWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// The display options windows: "Graticule" with its five check boxes and lines, "Couleurs"
// with its swatches, the colour chooser and the default colours, and the way both come
// and go above the other windows.
class TestDisplayOptions : public QObject {
    Q_OBJECT

private slots:
    void graticuleLayout() {
        SettingsSession s;
        GraticuleOptionsWindow w(nullptr, s.session);
        QCOMPARE(w.windowTitle(), QStringLiteral("Graticule"));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(w.windowFlags() & Qt::WindowMinMaxButtonsHint));
        const QStringList captions = {"Subdivisions périphériques",
                                      "Indicateurs du temps de montée", "Heure", "Date",
                                      "Effets sonores"};
        const QStringList groups = {
            " Graticule : ", " Graticule : ", " Heure / Date : ", " Heure / Date : ", " Effets : "};
        for (int i = 0; i < GraticuleOptionsWindow::OptionCount; ++i) {
            QCOMPARE(w.Option(i)->text(), captions[i]);
            QCOMPARE(qobject_cast<QGroupBox*>(w.Option(i)->parentWidget())->title(), groups[i]);
            QVERIFY(!w.Option(i)->isChecked()); // before the first activation
        }
        QCOMPARE(ButtonCaptioned(w, "&Aide")->toolTip(),
                 QStringLiteral("Appel au fichier d'aide..."));
        QCOMPARE(ButtonCaptioned(w, "OK")->toolTip(), QStringLiteral("Fermer la fenêtre..."));
    }

    // Activation checks the boxes whose line is on and leaves the others; "OK" or the
    // close box write the five lines from the boxes, in memory only.
    void graticuleLines_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("on");
        QTest::addColumn<QString>("off");
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("peripheral, OK") << 2 << "PERIPHERIQUE_ON"
                                        << "PERIPHERIQUE_OFF" << false;
        QTest::newRow("rise time, close box") << 3 << "LIGNE1090%_ON"
                                              << "LIGNE1090%_OFF" << true;
        QTest::newRow("time, OK") << 4 << "HEURE_ON"
                                  << "HEURE_OFF" << false;
        QTest::newRow("date, close box") << 5 << "DATE_ON"
                                         << "DATE_OFF" << true;
        QTest::newRow("sound, OK") << 14 << "SON_ON"
                                   << "SON_OFF" << false;
    }

    void graticuleLines() {
        QFETCH(int, line);
        QFETCH(QString, on);
        QFETCH(QString, off);
        QFETCH(bool, closeBox);
        SettingsSession s({{2, "PERIPHERIQUE_ON"},
                           {3, "LIGNE1090%_ON"},
                           {4, "HEURE_ON"},
                           {5, "DATE_ON"},
                           {14, "SON_ON"},
                           {44, "CARTE_SON_ON"}});
        GraticuleOptionsWindow w(nullptr, s.session);
        int index = 0;
        while (GraticuleOptionsWindow::LineOf(index) != line)
            ++index;
        QCheckBox* box = w.Option(index);
        QVERIFY(box->isEnabled());
        Activate(w);
        QVERIFY(box->isChecked());

        // Unchecked by the user: the line keeps "_ON" until the window closes.
        box->click();
        QCOMPARE(s.Line(line), on);
        w.ShowOnTop();
        if (closeBox)
            w.close();
        else
            ButtonCaptioned(w, "OK")->click();
        QVERIFY(w.isHidden());
        QCOMPARE(s.Line(line), off);
        // The others still on, and nothing written to the file.
        for (int i = 0; i < GraticuleOptionsWindow::OptionCount; ++i)
            if (i != index)
                QVERIFY(s.session.Settings().IsOn(GraticuleOptionsWindow::LineOf(i)));
        QCOMPARE(s.File().Line(line), on);

        // An activation with the line off leaves the box unchecked; with the line on
        // again (another text than the window's own does not count) it checks it.
        Activate(w);
        QVERIFY(!box->isChecked());
        s.session.SetDisplayOption(line, true);
        Activate(w);
        QVERIFY(box->isChecked());
    }

    // A line that is not "_ON" does not uncheck a checked box at activation.
    void activationLeavesOtherBoxes() {
        SettingsSession s({{4, "HEURE_ON"}});
        GraticuleOptionsWindow w(nullptr, s.session);
        Activate(w);
        QVERIFY(w.Option(2)->isChecked());
        s.session.SetDisplayOption(SettingsLine::ShowTime, false);
        Activate(w);
        QVERIFY(w.Option(2)->isChecked());
        w.close();
        QCOMPARE(s.Line(SettingsLine::ShowTime), QStringLiteral("HEURE_ON"));
    }

    // Line 44 decides, once, whether "Effets sonores" can be used.
    void soundOptionFollowsTheDevice_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("sound");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("checked");
        QTest::newRow("a sound device") << "CARTE_SON_ON"
                                        << "SON_ON" << true << true;
        QTest::newRow("no sound device") << "CARTE_SON_OFF"
                                         << "SON_OFF" << false << false;
        QTest::newRow("line 44 unreadable") << "???"
                                            << "SON_OFF" << true << false;
    }

    void soundOptionFollowsTheDevice() {
        QFETCH(QString, device);
        QFETCH(QString, sound);
        QFETCH(bool, enabled);
        QFETCH(bool, checked);
        SettingsSession s({{44, device}, {14, sound}});
        GraticuleOptionsWindow w(nullptr, s.session);
        QCheckBox* box = w.Option(4);
        QCOMPARE(box->isEnabled(), enabled);
        Activate(w);
        QCOMPARE(box->isChecked(), checked);
        // Decided at creation: a later change of line 44 does not reach the box.
        s.session.NoteSoundDevice(!enabled);
        Activate(w);
        QCOMPARE(box->isEnabled(), enabled);
        // A disabled box cannot be clicked on; "OK" writes what it shows.
        w.ShowOnTop();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QCOMPARE(box->isChecked(), enabled ? !checked : checked);
        ButtonCaptioned(w, "OK")->click();
        QCOMPARE(s.Line(SettingsLine::Sound),
                 box->isChecked() ? QStringLiteral("SON_ON") : QStringLiteral("SON_OFF"));
        if (!enabled)
            QCOMPARE(s.Line(SettingsLine::Sound), QStringLiteral("SON_OFF"));
    }

    // The common way of the small windows: on top while open, centred the first time,
    // brought forward when opened again, normal stacking once closed.
    void staysOnTopWhileOpen() {
        SettingsSession s;
        QWidget owner;
        owner.resize(200, 100);
        GraticuleOptionsWindow w(&owner, s.session);
        w.ShowOnTop();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
        const QRect desktop = w.screen()->availableGeometry();
        QVERIFY(qAbs(w.frameGeometry().center().x() - desktop.center().x()) <= 10);
        // Moved by the user, opened again while open: it stays where it is.
        w.move(10, 10);
        const QPoint moved = w.pos();
        w.ShowOnTop();
        QVERIFY(w.isVisible());
        QCOMPARE(w.pos(), moved);
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isHidden());
        QVERIFY(!(w.windowFlags() & Qt::WindowStaysOnTopHint));
        // Opened again after closing: on top, where the user left it.
        w.ShowOnTop();
        QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(w.pos(), moved);
    }

    void coloursLayout() {
        SettingsSession s;
        ColoursWindow w(nullptr, s.session);
        QCOMPARE(w.windowTitle(), QStringLiteral("Couleurs"));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
        auto* group = w.findChild<QGroupBox*>();
        QCOMPARE(group->title(), QStringLiteral(" Sélection des couleurs : "));
        QStringList labels;
        for (const QLabel* l : group->findChildren<QLabel*>())
            labels << l->text();
        QCOMPARE(labels, QStringList({"Couleur Heure et Date :", "Couleur du graticule :",
                                      "Couleur de la VOIE A : ", "Couleur de la VOIE B : ",
                                      "Couleur des marqueurs :", "Couleur fonctions Math :",
                                      "Couleur gradient spectre :"}));
        for (int row = 0; row < ColoursWindow::RowCount; ++row)
            QCOMPARE(w.ModifyButton(row)->text(), QStringLiteral("Modifier..."));
        QCOMPARE(ButtonCaptioned(w, "Couleurs par défaut")->toolTip(),
                 QStringLiteral("Revenir aux couleurs d'origines..."));
        QCOMPARE(ButtonCaptioned(w, "&Aide")->toolTip(),
                 QStringLiteral("Appel au fichier d'aide..."));
        QCOMPARE(ButtonCaptioned(w, "OK")->toolTip(), QStringLiteral("Fermer la fenêtre..."));
    }

    // Activation shows the colours of the lines; red and blue are swapped between the
    // line (0x00BBGGRR) and the colour.
    void swatchesShowTheLines() {
        SettingsSession s({{8, "1"},
                           {9, "256"},
                           {10, "65536"},
                           {11, "1193046"},
                           {13, "0"},
                           {15, "16777215"},
                           {17, "12582910"}});
        ColoursWindow w(nullptr, s.session);
        Activate(w);
        const QList<QColor> expected = {
            QColor(1, 0, 0), QColor(0, 1, 0),       QColor(0, 0, 1),      QColor(0x56, 0x34, 0x12),
            QColor(0, 0, 0), QColor(255, 255, 255), QColor(254, 255, 191)};
        for (int row = 0; row < ColoursWindow::RowCount; ++row) {
            QCOMPARE(w.Swatch(row)->Colour(), expected[row]);
            QCOMPARE(w.StartColour(row), expected[row]);
        }
        // The swatch is painted in its colour.
        w.Swatch(3)->resize(57, 24);
        QCOMPARE(w.Swatch(3)->grab().toImage().pixelColor(20, 10), QColor(0x56, 0x34, 0x12));
    }

    // "Modifier...": the chooser starts at the row's colour; a confirmed colour goes into
    // the swatch and the line at once, a cancelled one changes nothing.
    void modifyWritesAConfirmedColour_data() {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirmed") << true;
        QTest::newRow("cancelled") << false;
    }

    void modifyWritesAConfirmedColour() {
        QFETCH(bool, confirm);
        SettingsSession s({{10, "255"}});
        ColoursWindow w(nullptr, s.session);
        Activate(w);
        QColor offered;
        QWidget* chooserParent = nullptr;
        w.SetChooser([&](const QColor& start, QWidget* parent) -> std::optional<QColor> {
            offered = start;
            chooserParent = parent;
            if (!confirm)
                return std::nullopt;
            return QColor(0x12, 0x34, 0x56);
        });
        w.ModifyButton(2)->click();
        QCOMPARE(offered, QColor(255, 0, 0));
        QCOMPARE(chooserParent, &w);
        if (confirm) {
            QCOMPARE(w.Swatch(2)->Colour(), QColor(0x12, 0x34, 0x56));
            QCOMPARE(s.Line(SettingsLine::ColourA), QStringLiteral("5649426")); // 0x563412
            QCOMPARE(w.StartColour(2), QColor(0x12, 0x34, 0x56));
        } else {
            QCOMPARE(w.Swatch(2)->Colour(), QColor(255, 0, 0));
            QCOMPARE(s.Line(SettingsLine::ColourA), QStringLiteral("255"));
        }
        // In memory only.
        QCOMPARE(s.File().Line(SettingsLine::ColourA), QStringLiteral("255"));
    }

    // The platform's chooser itself: a child of the window (so that it opens above a
    // window that stays on top), starting at the row's colour; its choice reaches the line.
    void platformChooser_data() {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }

    void platformChooser() {
        QFETCH(bool, confirm);
        SettingsSession s({{11, "16711680"}});
        ColoursWindow w(nullptr, s.session);
        Activate(w);
        QColor started;
        QWidget* parent = nullptr;
        bool aChooser = false;
        ModalAnswer answer([&](QWidget* dialog) {
            auto* chooser = qobject_cast<QColorDialog*>(dialog);
            if (!chooser)
                return;
            aChooser = true;
            parent = chooser->parentWidget();
            started = chooser->currentColor();
            chooser->setCurrentColor(QColor(10, 20, 30));
            if (confirm)
                chooser->accept();
            else
                chooser->reject();
        });
        w.ModifyButton(3)->click();
        QVERIFY(answer.Answered());
        QVERIFY(aChooser);
        QCOMPARE(parent, &w);
        QCOMPARE(started, QColor(0, 0, 255));
        QCOMPARE(s.Line(SettingsLine::ColourB),
                 confirm ? QStringLiteral("1971210") : QStringLiteral("16711680"));
        QCOMPARE(w.Swatch(3)->Colour(), confirm ? QColor(10, 20, 30) : QColor(0, 0, 255));
    }

    void defaultColours() {
        SettingsSession s({{8, "111"},
                           {9, "222"},
                           {10, "333"},
                           {11, "444"},
                           {13, "555"},
                           {15, "666"},
                           {17, "777"}});
        ColoursWindow w(nullptr, s.session);
        Activate(w);
        ButtonCaptioned(w, "Couleurs par défaut")->click();
        const QStringList lines = {"0", "0", "255", "16711680", "16711935", "1813282", "12582910"};
        const QList<QColor> colours = {
            Qt::black,           Qt::black,           QColor(255, 0, 0),    QColor(0, 0, 255),
            QColor(255, 0, 255), QColor(34, 171, 27), QColor(254, 255, 191)};
        for (int row = 0; row < ColoursWindow::RowCount; ++row) {
            QCOMPARE(s.Line(ColoursWindow::LineOf(row)), lines[row]);
            QCOMPARE(w.Swatch(row)->Colour(), colours[row]);
            QCOMPARE(w.StartColour(row), colours[row]);
        }
        QCOMPARE(s.File().Line(SettingsLine::ColourA), QStringLiteral("333"));
        // "OK" only hides the window.
        w.ShowOnTop();
        ButtonCaptioned(w, "OK")->click();
        QVERIFY(w.isHidden());
        QCOMPARE(s.Line(SettingsLine::ColourA), QStringLiteral("255"));
    }

    void helpButtonsAskForTheirTopics() {
        SettingsSession s;
        GraticuleOptionsWindow g(nullptr, s.session);
        ColoursWindow c(nullptr, s.session);
        QSignalSpy graticuleHelp(&g, &AuxiliaryWindow::helpRequested);
        QSignalSpy coloursHelp(&c, &AuxiliaryWindow::helpRequested);
        ButtonCaptioned(g, "&Aide")->click();
        ButtonCaptioned(c, "&Aide")->click();
        QCOMPARE(graticuleHelp.size(), 1);
        QCOMPARE(graticuleHelp[0][0].toString(), QStringLiteral("rub13"));
        QCOMPARE(coloursHelp.size(), 1);
        QCOMPARE(coloursHelp[0][0].toString(), QStringLiteral("rub14"));
    }
};

QTEST_MAIN(TestDisplayOptions)
#include "tst_displayoptions.moc"
