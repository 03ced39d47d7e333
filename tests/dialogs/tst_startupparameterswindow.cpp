#include "DialogsSupport.h"
#include "core/SettingsLines.h"
#include "dialogs/StartupParametersWindow.h"
#include "output/SaveFileDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

const QStringList Origin = {"128", "128", "12", "1", "VOIE_A_ON", "VOIE_B_OFF", "2", "2", "3", "3"};

// The settings in force of a session that ran: lines 18 to 27, channel B's trace on.
const QList<QPair<int, QString>> InForce = {
    {18, "100"},       {19, "140"}, {20, "5"}, {21, "3"}, {22, "VOIE_A_ON"},
    {23, "VOIE_B_ON"}, {24, "1"},   {25, "3"}, {26, "6"}, {27, "8"}};

QList<QPair<int, QString>> With(QList<QPair<int, QString>> lines,
                                const QList<QPair<int, QString>>& more) {
    lines += more;
    return lines;
}

QStringList Lines(const PersistedSettings& s, int from, int to) {
    QStringList texts;
    for (int k = from; k <= to; ++k)
        texts << s.Line(k);
    return texts;
}

bool AllBoxes(const StartupParametersWindow& w, bool checked, bool enabled) {
    for (int row = 0; row < StartupParametersWindow::GroupCount; ++row)
        if (w.Box(row)->isChecked() != checked || w.Box(row)->isEnabled() != enabled ||
            w.Label(row)->isEnabled() != enabled)
            return false;
    return true;
}

} // namespace

// "Paramètres de démarrage": the origin and personal states of line 40, the mask that
// follows the boxes, "Sauvegarder" and "Effacer" with their questions, and the file left
// alone until the main window saves it.
class TestStartupParametersWindow : public QObject {
    Q_OBJECT

private slots:
    void layout() {
        SettingsSession s;
        StartupParametersWindow w(nullptr, s.session);
        QCOMPARE(w.windowTitle(), QStringLiteral("Paramètres de démarrage"));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QCOMPARE(w.findChild<QGroupBox*>()->title(),
                 QStringLiteral(" Sélectionnez les paramètres à modifier au démarrage du "
                                "logiciel : "));
        const QStringList labels = {"Calibres Time / Div",
                                    "Trigger : Voie A, Voie B et Externe",
                                    "Position des interrupteurs ON/OFF : Voie A et Voie B",
                                    "Couplage d'entrée AC, DC et GND : Voie A et Voie B",
                                    "Calibres Volts / Div : Voie A et Voie B",
                                    "Position verticale des traces : Voie A et Voie B"};
        for (int row = 0; row < StartupParametersWindow::GroupCount; ++row) {
            QCOMPARE(w.Label(row)->text(), labels[row]);
            // Top to bottom, each label right of its box.
            QCOMPARE(w.Label(row)->y(), w.Box(row)->y());
            QVERIFY(w.Label(row)->x() > w.Box(row)->x());
            if (row > 0)
                QVERIFY(w.Box(row)->y() > w.Box(row - 1)->y());
        }
        // Left to right: "&Aide", "Effacer", "Sauvegarder", "OK", with their hints.
        const QStringList captions = {"&Aide", "Effacer", "Sauvegarder", "OK"};
        const QStringList hints = {
            "Appel au fichier d'aide...", "Revenir aux paramètres d'origines...",
            "Sauvegarder vos paramètres personnels...", "Fermer la fenêtre..."};
        int left = -1;
        for (int i = 0; i < 4; ++i) {
            QPushButton* b = ButtonCaptioned(w, captions[i]);
            QVERIFY2(b, qPrintable(captions[i]));
            QCOMPARE(b->toolTip(), hints[i]);
            QVERIFY(b->x() > left);
            left = b->x();
        }
    }

    // Line 40 is read once, when the window is made.
    void line40States_data() {
        QTest::addColumn<QString>("line40");
        QTest::addColumn<bool>("groups");
        QTest::addColumn<bool>("clear");
        QTest::addColumn<bool>("save");
        QTest::newRow("origin") << "0" << false << false << true;
        QTest::newRow("personal") << "1" << true << true << false;
        QTest::newRow("another text") << "7" << true << true << true;
    }

    void line40States() {
        QFETCH(QString, line40);
        QFETCH(bool, groups);
        QFETCH(bool, clear);
        QFETCH(bool, save);
        SettingsSession s({{40, line40}, {28, "0"}});
        StartupParametersWindow w(nullptr, s.session);
        Activate(w);
        QVERIFY(AllBoxes(w, false, groups));
        QCOMPARE(w.ClearButton()->isEnabled(), clear);
        QCOMPARE(w.SaveButton()->isEnabled(), save);
        // A later change of line 40 does not reach the window.
        s.session.StorePersonalStartup();
        Activate(w);
        QCOMPARE(w.SaveButton()->isEnabled(), save);
    }

    // Activation sets the boxes from the bits of line 28 and the mirror follows them.
    void activationSetsTheBoxesFromLine28_data() {
        QTest::addColumn<QString>("line28");
        QTest::addColumn<QList<bool>>("checked");
        QTest::addColumn<int>("mirror");
        QTest::newRow("0") << "0" << QList<bool>{false, false, false, false, false, false} << 0;
        QTest::newRow("63") << "63" << QList<bool>{true, true, true, true, true, true} << 63;
        QTest::newRow("61") << "61" << QList<bool>{true, false, true, true, true, true} << 61;
        QTest::newRow("bits above 32 dropped")
            << "65" << QList<bool>{true, false, false, false, false, false} << 1;
        QTest::newRow("-1") << "-1" << QList<bool>{true, true, true, true, true, true} << 63;
    }

    void activationSetsTheBoxesFromLine28() {
        QFETCH(QString, line28);
        QFETCH(QList<bool>, checked);
        QFETCH(int, mirror);
        SettingsSession s({{40, "1"}, {28, line28}});
        StartupParametersWindow w(nullptr, s.session);
        QCOMPARE(w.Mirror(), 0);
        Activate(w);
        for (int row = 0; row < StartupParametersWindow::GroupCount; ++row)
            QCOMPARE(w.Box(row)->isChecked(), checked[row]);
        QCOMPARE(w.Mirror(), mirror);
        // Line 28 is written only by boxes that changed: a mask the boxes already show
        // stays as it was.
        QCOMPARE(s.Line(28), mirror == 0 ? line28 : QString::number(mirror));
    }

    // Origin state: "Sauvegarder", answered "&Oui", stores the settings in force and
    // checks the six boxes (63); unchecking the trigger gives 61; the file does not change.
    void saveThenUncheckTheTrigger() {
        SettingsSession s(With(InForce, {{40, "0"}, {28, "0"}}));
        StartupParametersWindow w(nullptr, s.session);
        Activate(w);
        QVERIFY(AllBoxes(w, false, false));
        QStringList asked;
        QWidget* askedFrom = nullptr;
        w.SetQuestion([&](const QString& text, QWidget* parent) {
            asked << text;
            askedFrom = parent;
            return true;
        });
        const QByteArray fileBefore = [&] {
            QFile f(s.FilePath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        w.SaveButton()->click();
        QCOMPARE(asked, QStringList{StartupParametersWindow::SaveQuestion});
        QCOMPARE(askedFrom, &w);
        QVERIFY(AllBoxes(w, true, true));
        QCOMPARE(s.Line(28), QStringLiteral("63"));
        QCOMPARE(w.Mirror(), 63);
        QCOMPARE(
            Lines(s.session.Settings(), 30, 39),
            QStringList({"100", "140", "5", "3", "VOIE_A_ON", "VOIE_B_ON", "1", "3", "6", "8"}));
        QCOMPARE(s.Line(40), QStringLiteral("1"));
        QVERIFY(!w.SaveButton()->isEnabled());
        QVERIFY(w.ClearButton()->isEnabled());

        QTest::mouseClick(w.Box(1), Qt::LeftButton);
        QVERIFY(!w.Box(1)->isChecked());
        QCOMPARE(s.Line(28), QStringLiteral("61"));
        // An activation keeps what the user chose.
        Activate(w);
        QCOMPARE(s.Line(28), QStringLiteral("61"));
        QVERIFY(!w.Box(1)->isChecked());

        // Nothing reached the file: the main window saves it when it becomes active.
        QFile f(s.FilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), fileBefore);
        s.session.SaveSettings();
        QCOMPARE(s.File().Line(28), QStringLiteral("61"));
        QCOMPARE(s.File().Line(35), QStringLiteral("VOIE_B_ON"));
    }

    // Personal state: "Effacer", answered "&Oui", puts back the values of origin.
    void clearGoesBackToOrigin() {
        SettingsSession s({{40, "1"}, {28, "61"}, {30, "90"}, {32, "4"}, {35, "VOIE_B_ON"}});
        StartupParametersWindow w(nullptr, s.session);
        Activate(w);
        QStringList asked;
        w.SetQuestion([&](const QString& text, QWidget*) {
            asked << text;
            return true;
        });
        w.ClearButton()->click();
        QCOMPARE(asked, QStringList{StartupParametersWindow::ClearQuestion});
        QCOMPARE(Lines(s.session.Settings(), 30, 39), Origin);
        QCOMPARE(s.Line(28), QStringLiteral("0"));
        QCOMPARE(s.Line(40), QStringLiteral("0"));
        QCOMPARE(w.Mirror(), 0);
        QVERIFY(AllBoxes(w, false, false));
        QVERIFY(!w.ClearButton()->isEnabled());
        QVERIFY(w.SaveButton()->isEnabled());
    }

    // Any answer but "&Oui" changes nothing, in the window or the lines.
    void noChangesNothing_data() {
        QTest::addColumn<bool>("saving");
        QTest::newRow("Sauvegarder") << true;
        QTest::newRow("Effacer") << false;
    }

    void noChangesNothing() {
        QFETCH(bool, saving);
        SettingsSession s(With(InForce, {{40, "7"}, {28, "5"}, {30, "90"}}));
        StartupParametersWindow w(nullptr, s.session);
        Activate(w);
        const PersistedSettings before = s.session.Settings();
        int asked = 0;
        w.SetQuestion([&](const QString&, QWidget*) {
            ++asked;
            return false;
        });
        (saving ? w.SaveButton() : w.ClearButton())->click();
        QCOMPARE(asked, 1);
        QVERIFY(s.session.Settings() == before);
        QCOMPARE(w.Mirror(), 5);
        QVERIFY(w.SaveButton()->isEnabled());
        QVERIFY(w.ClearButton()->isEnabled());
        QVERIFY(w.Box(0)->isChecked() && !w.Box(1)->isChecked() && w.Box(2)->isChecked());
    }

    // The platform's box: a warning with "&Oui" and "&Non", a child of the window that
    // asks, so that it opens above it; "&Non" and Escape answer no.
    void theQuestionBox_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("yes");
        QTest::newRow("&Oui") << "&Oui" << true;
        QTest::newRow("&Non") << "&Non" << false;
        QTest::newRow("Escape") << "" << false;
    }

    void theQuestionBox() {
        QFETCH(QString, answer);
        QFETCH(bool, yes);
        QWidget window;
        QString title, text;
        QStringList buttons;
        QWidget* parent = nullptr;
        bool aMessageBox = false;
        ModalAnswer answerBox([&](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            if (!box)
                return;
            aMessageBox = true;
            title = box->windowTitle();
            text = box->text();
            parent = box->parentWidget();
            for (QAbstractButton* b : box->buttons())
                buttons << b->text();
            if (answer.isEmpty())
                QTest::keyClick(box, Qt::Key_Escape);
            else
                for (QAbstractButton* b : box->buttons())
                    if (b->text() == answer)
                        b->click();
        });
        QCOMPARE(AskYesNo(StartupParametersWindow::SaveQuestion, &window), yes);
        QVERIFY(answerBox.Answered());
        QVERIFY(aMessageBox);
        QCOMPARE(title, QStringLiteral("Avertissement"));
        QCOMPARE(text, StartupParametersWindow::SaveQuestion);
        QCOMPARE(parent, &window);
        buttons.sort();
        QCOMPARE(buttons, QStringList({"&Non", "&Oui"}));
    }

    void helpAsksForItsTopic() {
        SettingsSession s;
        StartupParametersWindow w(nullptr, s.session);
        QSignalSpy help(&w, &AuxiliaryWindow::helpRequested);
        ButtonCaptioned(w, "&Aide")->click();
        QCOMPARE(help.size(), 1);
        QCOMPARE(help[0][0].toString(), QStringLiteral("rub59"));
    }
};

QTEST_MAIN(TestStartupParametersWindow)
#include "tst_startupparameterswindow.moc"
