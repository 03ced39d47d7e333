#include "LinkTestSupport.h"
#include "dialogs/PortSelectionDialog.h"
#include "link/SerialLink.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

// The port selection dialog.
class TestPortSelectionDialog : public QObject {
    Q_OBJECT

    static void Activate(QWidget& dialog) {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&dialog, &activate);
    }

    static QPushButton* ButtonCaptioned(QWidget& dialog, const QString& caption) {
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            if (b->text() == caption)
                return b;
        return nullptr;
    }

private slots:
    void layout() {
        LinkServices services;
        PortSelectionDialog dialog(nullptr, services, {"ttyS0"});
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

    void listsThePortsSortedAsText() {
        LinkServices services;
        PortSelectionDialog dialog(nullptr, services,
                                   {"COM2", "SIMULATEUR", "COM10", "ttyUSB0", "ttyACM0"});
        QStringList listed;
        for (int i = 0; i < dialog.PortList()->count(); ++i)
            listed << dialog.PortList()->itemText(i);
        QCOMPARE(listed, (QStringList{"COM10", "COM2", "SIMULATEUR", "ttyACM0", "ttyUSB0"}));
    }

    void listsTheMachinesPortsAndTheSimulator() {
        LinkServices services;
        PortSelectionDialog dialog(nullptr, services);
        QStringList listed;
        for (int i = 0; i < dialog.PortList()->count(); ++i)
            listed << dialog.PortList()->itemText(i);
        QCOMPARE(listed, AvailablePorts());
        QVERIFY(listed.contains(SimulatedPortName));
    }

    void editFieldShowsTheSettingsPort_data() {
        QTest::addColumn<QString>("asked"); // line 16
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("askedAfter");
        QTest::newRow("asked before") << "1"
                                      << "ttyUSB0"
                                      << "1";
        QTest::newRow("first run") << "0" << PortSelectionDialog::Invitation << "1";
    }

    void editFieldShowsTheSettingsPort() {
        QFETCH(QString, asked);
        QFETCH(QString, shown);
        QFETCH(QString, askedAfter);
        LinkServices services;
        services.settings.SetLine(1, "ttyUSB0");
        services.settings.SetLine(16, asked);
        PortSelectionDialog dialog(nullptr, services, {"ttyS0", "ttyUSB0"});
        QCOMPARE(dialog.PortList()->currentText(), QStringLiteral("ttyUSB0"));
        Activate(dialog);
        QCOMPARE(dialog.PortList()->currentText(), shown);
        QCOMPARE(services.settings.Line(16), askedAfter);
        QCOMPARE(services.settings.Line(1), QStringLiteral("ttyUSB0")); // not changed by showing
        // Later activations leave the field alone.
        dialog.PortList()->setEditText("ttyS0");
        Activate(dialog);
        QCOMPARE(dialog.PortList()->currentText(), QStringLiteral("ttyS0"));
    }

    void pickingAPort() {
        LinkServices services;
        services.settings.SetLine(1, "ttyS0");
        PortSelectionDialog dialog(nullptr, services, {"COM3", "ttyS0"});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QComboBox* list = dialog.PortList();
        // Pick the first entry with the keyboard, as a user would from the drop-down.
        list->setFocus();
        list->showPopup();
        QTest::keyClick(list->view(), Qt::Key_Home);
        QTest::keyClick(list->view(), Qt::Key_Return);
        QCOMPARE(services.settings.Line(1), QStringLiteral("COM3"));
        QLabel* label = dialog.Confirmation();
        QVERIFY(label->isVisible());
        QCOMPARE(label->text(), QStringLiteral("Vous avez sélectionné le port COM3"));
        QCOMPARE(label->x(), int(std::nearbyint((352 - label->width()) / 2.0 - 4)));
        QCOMPARE(label->y(), 65);
        QCOMPARE(label->font().bold(), true);
    }

    void typedTextIsNotTaken_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("unlisted path") << "/dev/ttyXYZ";
        QTest::newRow("listed name") << "ttyUSB0";
    }

    void typedTextIsNotTaken() {
        QFETCH(QString, typed);
        LinkServices services;
        services.settings.SetLine(1, "ttyS0");
        PortSelectionDialog dialog(nullptr, services, {"ttyS0", "ttyUSB0"});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.PortList()->lineEdit()->clear();
        QTest::keyClicks(dialog.PortList()->lineEdit(), typed);
        QTest::keyClick(dialog.PortList()->lineEdit(), Qt::Key_Return);
        QCOMPARE(services.settings.Line(1), QStringLiteral("ttyS0"));
        QVERIFY(dialog.Confirmation()->isHidden());
    }

    void okAndEscapeHide_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("OK") << false;
        QTest::newRow("Escape") << true;
    }

    void okAndEscapeHide() {
        QFETCH(bool, escape);
        LinkServices services;
        PortSelectionDialog dialog(nullptr, services, {"ttyS0"});
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
        LinkServices services;
        PortSelectionDialog dialog(nullptr, services, {"ttyS0"});
        QSignalSpy help(&dialog, &PortSelectionDialog::helpRequested);
        ButtonCaptioned(dialog, "&Aide RS232")->click();
        ButtonCaptioned(dialog, "A&ide USB")->click();
        QCOMPARE(help.size(), 2);
        QCOMPARE(help[0][0].toString(), QStringLiteral("rub11"));
        QCOMPARE(help[1][0].toString(), QStringLiteral("rub61"));
    }
};

QTEST_MAIN(TestPortSelectionDialog)
#include "tst_portselectiondialog.moc"
