#include "SessionProbe.h"
#include "core/SettingsFile.h"
#include "dialogs/PortSelectionDialog.h"
#include "instrument/Instrument.h"
#include "link/SerialLink.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

const QString Invitation = QStringLiteral("Cliquez sur la flèche de droite --------------------->");

// A session whose settings file holds the given port (line 1) and port question (line 16),
// loaded as the program loads it before it makes the dialog.
struct Session {
    QTemporaryDir dir;
    Instrument session{dir.path() + QLatin1Char('/')};

    explicit Session(const QString& port = QStringLiteral("ttyS0"),
                     const QString& asked = QStringLiteral("1")) {
        PersistedSettings lines;
        lines.SetLine(1, port);
        lines.SetLine(16, asked);
        SettingsFile::Save(FilePath(), lines);
        session.LoadSettings();
        session.NoteProgramFolder();
    }
    QString FilePath() const { return dir.path() + QStringLiteral("/parametres.inf"); }
    // The lines as the file holds them now.
    PersistedSettings File() const { return SettingsFile::Load(FilePath()); }
    QString Line(int k) const { return session.Settings().Line(k); }
};

void Activate(QWidget& dialog) {
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&dialog, &activate);
}

QPushButton* ButtonCaptioned(QWidget& dialog, const QString& caption) {
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

QStringList Listed(const PortSelectionDialog& dialog) {
    QStringList listed;
    for (int i = 0; i < dialog.PortList()->count(); ++i)
        listed << dialog.PortList()->itemText(i);
    return listed;
}

} // namespace

// The port selection dialog: its layout, the list of ports, the port of the settings in its
// field, the first-run invitation, a pick from the list, and what it never takes.
class TestPortSelectionDialog : public QObject {
    Q_OBJECT

private slots:
    void layout() {
        Session s;
        PortSelectionDialog dialog(nullptr, s.session, {"ttyS0"});
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Port RS232 physique ou virtuel USB"));
        QCOMPARE(dialog.size(), QSize(352, 123));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMinMaxButtonsHint));
        auto* group = dialog.findChild<QGroupBox*>();
        QCOMPARE(group->title(), QStringLiteral(" Sélection du port : "));
        QCOMPARE(group->geometry(), QRect(8, 8, 337, 51));
        QCOMPARE(dialog.PortList()->parentWidget(), group);
        QCOMPARE(dialog.PortList()->pos(), QPoint(37, 20));
        QCOMPARE(dialog.PortList()->width(), 268);
        QVERIFY(dialog.PortList()->isEditable());
        QVERIFY(dialog.Confirmation()->isHidden());
        QCOMPARE(dialog.Confirmation()->y(), 65);

        const struct {
            const char* caption;
            const char* hint;
            QRect geometry;
        } buttons[] = {
            {"OK", "Fermer la fenêtre...", {246, 83, 65, 25}},
            {"&Aide RS232", "Appel au fichier d'aide RS232...", {136, 83, 93, 25}},
            {"A&ide USB", "Appel au fichier d'aide USB...", {40, 83, 81, 25}},
        };
        for (const auto& b : buttons) {
            QPushButton* button = ButtonCaptioned(dialog, QString::fromUtf8(b.caption));
            QVERIFY2(button, b.caption);
            QCOMPARE(button->toolTip(), QString::fromUtf8(b.hint));
            QCOMPARE(button->geometry(), b.geometry);
        }
    }

    void listsThePortsSortedAsText_data() {
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("COM10 before COM2")
            << QStringList{"COM2", "SIMULATEUR", "COM10", "ttyUSB0", "ttyACM0"}
            << QStringList{"COM10", "COM2", "SIMULATEUR", "ttyACM0", "ttyUSB0"};
        QTest::newRow("paths and names")
            << QStringList{"ttyS1", "/dev/ttyUSB0", "SIMULATEUR", "/dev/serial/by-id/usb-box"}
            << QStringList{"/dev/serial/by-id/usb-box", "/dev/ttyUSB0", "SIMULATEUR", "ttyS1"};
        QTest::newRow("no port at all") << QStringList{} << QStringList{};
    }

    void listsThePortsSortedAsText() {
        QFETCH(QStringList, ports);
        QFETCH(QStringList, listed);
        Session s(QStringLiteral("ttyS0"));
        PortSelectionDialog dialog(nullptr, s.session, ports);
        QCOMPARE(Listed(dialog), listed);
        // The field shows the port of the settings, listed or not.
        QCOMPARE(dialog.PortList()->currentText(), QStringLiteral("ttyS0"));
    }

    // The ports a user can choose: the machine's and the simulated box, sorted as text.
    void availablePortsHoldTheSimulatorSortedAsText() {
        const QStringList ports = AvailablePorts();
        QVERIFY(ports.contains(QStringLiteral("SIMULATEUR")));
        for (qsizetype i = 1; i < ports.size(); ++i)
            QVERIFY2(ports[i - 1] < ports[i], qPrintable(ports[i - 1] + " / " + ports[i]));

        // The dialog made without a list lists those.
        Session s;
        PortSelectionDialog dialog(nullptr, s.session);
        const QStringList listed = Listed(dialog);
        QVERIFY(listed.contains(QStringLiteral("SIMULATEUR")));
        for (qsizetype i = 1; i < listed.size(); ++i)
            QVERIFY(listed[i - 1] < listed[i]);
    }

    // Made after the settings are loaded, the dialog shows the port of line 1; on the first
    // run (line 16 "0") its first activation shows the invitation instead and sets line 16
    // to "1" in memory. The dialog saves nothing.
    void editFieldShowsTheSettingsPort_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("asked"); // line 16
        QTest::addColumn<QString>("shown"); // after the first activation
        QTest::newRow("COM3, asked before") << "COM3"
                                            << "1"
                                            << "COM3";
        QTest::newRow("device path, asked before") << "/dev/ttyUSB0"
                                                   << "1"
                                                   << "/dev/ttyUSB0";
        QTest::newRow("COM3, first run") << "COM3"
                                         << "0" << Invitation;
        QTest::newRow("device path, first run") << "/dev/ttyUSB0"
                                                << "0" << Invitation;
    }

    void editFieldShowsTheSettingsPort() {
        QFETCH(QString, port);
        QFETCH(QString, asked);
        QFETCH(QString, shown);
        Session s(port, asked);
        QSignalSpy saved(&s.session, &Instrument::settingsSaved);
        PortSelectionDialog dialog(nullptr, s.session, {"COM1", "ttyS0"});
        QCOMPARE(dialog.PortList()->currentText(), port);

        Activate(dialog);
        QCOMPARE(dialog.PortList()->currentText(), shown);
        QCOMPARE(s.Line(16), QStringLiteral("1"));
        QCOMPARE(s.Line(1), port); // showing the dialog chooses nothing
        QCOMPARE(saved.count(), 0);
        QCOMPARE(s.File().Line(16), asked);

        // Later activations leave the field alone.
        dialog.PortList()->setEditText(QStringLiteral("ttyS0"));
        Activate(dialog);
        QCOMPARE(dialog.PortList()->currentText(), QStringLiteral("ttyS0"));
        QCOMPARE(s.Line(1), port);
    }

    // A pick from the list sets line 1 (in memory) and shows the confirmation, centred.
    void pickingAPort() {
        Session s(QStringLiteral("ttyS0"));
        QSignalSpy saved(&s.session, &Instrument::settingsSaved);
        PortSelectionDialog dialog(nullptr, s.session, {"ttyS0", "COM3"});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QComboBox* list = dialog.PortList();
        // Pick the first entry with the keyboard, as a user would from the drop-down.
        list->setFocus();
        list->showPopup();
        QTest::keyClick(list->view(), Qt::Key_Home);
        QTest::keyClick(list->view(), Qt::Key_Return);

        QCOMPARE(s.Line(1), QStringLiteral("COM3"));
        QLabel* label = dialog.Confirmation();
        QVERIFY(label->isVisible());
        QCOMPARE(label->text(), QStringLiteral("Vous avez sélectionné le port COM3"));
        QVERIFY(label->width() >= label->sizeHint().width());
        // Centred: (352 - label width) / 2 - 4, ties to even.
        QCOMPARE(label->x(), int(std::nearbyint((352 - label->width()) / 2.0 - 4)));
        QCOMPARE(label->y(), 65);
        QCOMPARE(label->font().bold(), true);
        QCOMPARE(saved.count(), 0);
        QCOMPARE(s.File().Line(1), QStringLiteral("ttyS0")); // written at the next save
    }

    void typedTextIsNotTaken_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("unlisted path") << "/dev/ttyXYZ";
        QTest::newRow("listed name") << "ttyUSB0";
    }

    void typedTextIsNotTaken() {
        QFETCH(QString, typed);
        Session s(QStringLiteral("ttyS0"));
        PortSelectionDialog dialog(nullptr, s.session, {"ttyS0", "ttyUSB0"});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.PortList()->lineEdit()->clear();
        QTest::keyClicks(dialog.PortList()->lineEdit(), typed);
        QTest::keyClick(dialog.PortList()->lineEdit(), Qt::Key_Return);
        QTest::keyClick(dialog.PortList()->lineEdit(), Qt::Key_Enter);
        QCOMPARE(s.Line(1), QStringLiteral("ttyS0"));
        QVERIFY(dialog.Confirmation()->isHidden());
        QVERIFY(dialog.isVisible()); // Enter in the field does not close the dialog either
    }

    void okAndEscapeHide_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("OK") << false;
        QTest::newRow("Escape") << true;
    }

    void okAndEscapeHide() {
        QFETCH(bool, escape);
        Session s;
        PortSelectionDialog dialog(nullptr, s.session, {"ttyS0"});
        dialog.ShowOnTop();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
        if (escape)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            ButtonCaptioned(dialog, "OK")->click();
        QVERIFY(dialog.isHidden());
        QVERIFY(!(dialog.windowFlags() & Qt::WindowStaysOnTopHint));
    }

    void helpButtonsAskForTheirTopics() {
        Session s;
        PortSelectionDialog dialog(nullptr, s.session, {"ttyS0"});
        QSignalSpy help(&dialog, &PortSelectionDialog::helpRequested);
        ButtonCaptioned(dialog, "&Aide RS232")->click();
        ButtonCaptioned(dialog, "A&ide USB")->click();
        QCOMPARE(help.size(), 2);
        QCOMPARE(help[0][0].toString(), QStringLiteral("rub11"));
        QCOMPARE(help[1][0].toString(), QStringLiteral("rub61"));
    }

    // The list is made with the dialog and kept at each opening; while the session's link
    // is lost, the ports present are listed anew at each opening (an adapter plugged in
    // again may come back under another name), the text of the field kept.
    void portsListedAnewWhileTheLinkIsLost() {
        SessionProbe probe;
        probe.Activate();
        QStringList present{"ttyUSB0"};
        PortSelectionDialog dialog(nullptr, probe.session, [&present] { return present; });
        present = {"ttyUSB0", "ttyS0"};
        dialog.ShowOnTop();
        QCOMPARE(Listed(dialog), QStringList{"ttyUSB0"});
        dialog.hide();

        probe.failOpen = true;
        probe.link->Lose();
        QVERIFY(probe.session.Reconnecting());
        present = {"ttyUSB1", "ttyS0"};
        const QString field = dialog.PortList()->currentText();
        dialog.ShowOnTop();
        QCOMPARE(Listed(dialog), (QStringList{"ttyS0", "ttyUSB1"}));
        QCOMPARE(dialog.PortList()->currentText(), field);
        dialog.hide();
        present = {"ttyUSB2"};
        dialog.ShowOnTop();
        QCOMPARE(Listed(dialog), QStringList{"ttyUSB2"});
        // A pick from the new list is the port of the next activation.
        dialog.PortList()->activated(0);
        QCOMPARE(probe.session.Settings().Line(SettingsLine::Port), QStringLiteral("ttyUSB2"));
    }
};

QTEST_MAIN(TestPortSelectionDialog)
#include "tst_portselectiondialog.moc"
