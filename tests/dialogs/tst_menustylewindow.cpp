#include "core/SettingsFile.h"
#include "dialogs/MenuStyleWindow.h"
#include "instrument/Instrument.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A session whose settings file holds lines 6 and 7 as given, loaded as at start-up.
struct Session {
    QTemporaryDir dir;
    Instrument session{dir.path() + QLatin1Char('/')};

    Session(const QString& line6, const QString& line7) {
        PersistedSettings lines;
        lines.SetLine(6, line6);
        lines.SetLine(7, line7);
        SettingsFile::Save(FilePath(), lines);
        session.LoadSettings();
        session.NoteProgramFolder();
    }
    QString FilePath() const { return dir.path() + QStringLiteral("/parametres.inf"); }
    QString Line(int k) const { return session.Settings().Line(k); }
};

void Activate(QWidget& window) {
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window, &activate);
}

QPushButton* ButtonCaptioned(QWidget& window, const QString& caption) {
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

// Which button is selected: "xp", "conventionnel" or "aucun".
QString Selected(const MenuStyleWindow& window) {
    if (window.OfficeXpButton()->isChecked())
        return window.ConventionalButton()->isChecked() ? "les deux" : "xp";
    return window.ConventionalButton()->isChecked() ? "conventionnel" : "aucun";
}

} // namespace

// The menu style window: its buttons follow lines 6 and 7 each time it becomes active,
// and "OK", the close box and Escape write both lines back, in memory only.
class MenuStyleWindowTest : public QObject {
    Q_OBJECT
private slots:
    void captions();
    void activationShowsTheLines_data();
    void activationShowsTheLines();
    void closingWritesBothLines_data();
    void closingWritesBothLines();
    void helpAsksForItsTopic();
};

void MenuStyleWindowTest::captions() {
    Session s(QStringLiteral("OFFICEXP_OFF"), QStringLiteral("CONVENTIONNEL_OFF"));
    MenuStyleWindow window(nullptr, s.session);
    QCOMPARE(window.windowTitle(), QStringLiteral("Types de menus déroulant"));
    auto* group = window.findChild<QGroupBox*>();
    QVERIFY(group);
    QCOMPARE(group->title(), QStringLiteral(" Quels types de menus déroulant souhaitez-vous ? "));
    QCOMPARE(window.OfficeXpButton()->text(), QStringLiteral("Menus de type Microsoft Office XP."));
    QCOMPARE(window.ConventionalButton()->text(), QStringLiteral("Menus de type conventionnel."));
    QPushButton* help = ButtonCaptioned(window, QStringLiteral("&Aide"));
    QPushButton* ok = ButtonCaptioned(window, QStringLiteral("OK"));
    QVERIFY(help && ok);
    QCOMPARE(help->toolTip(), QStringLiteral("Appel au fichier d'aide..."));
    QCOMPARE(ok->toolTip(), QStringLiteral("Fermer la fenêtre..."));
    QVERIFY(!window.isVisible()); // made hidden; shown only when asked
}

void MenuStyleWindowTest::activationShowsTheLines_data() {
    QTest::addColumn<QString>("line6");
    QTest::addColumn<QString>("line7");
    QTest::addColumn<QString>("selected");
    QTest::newRow("first on") << "OFFICEXP_ON"
                              << "CONVENTIONNEL_OFF"
                              << "xp";
    QTest::newRow("second on") << "OFFICEXP_OFF"
                               << "CONVENTIONNEL_ON"
                               << "conventionnel";
    QTest::newRow("neither on") << "OFFICEXP_OFF"
                                << "CONVENTIONNEL_OFF"
                                << "aucun";
    QTest::newRow("both on: the second is selected last") << "OFFICEXP_ON"
                                                          << "CONVENTIONNEL_ON"
                                                          << "conventionnel";
    QTest::newRow("empty lines") << ""
                                 << ""
                                 << "aucun";
    QTest::newRow("other text") << "officexp_on"
                                << "CONVENTIONNEL_ON "
                                << "aucun";
}

void MenuStyleWindowTest::activationShowsTheLines() {
    QFETCH(QString, line6);
    QFETCH(QString, line7);
    QFETCH(QString, selected);
    Session s(line6, line7);
    MenuStyleWindow window(nullptr, s.session);
    // A selection left from an earlier showing is cleared first.
    window.OfficeXpButton()->setChecked(true);
    Activate(window);
    QCOMPARE(Selected(window), selected);
}

void MenuStyleWindowTest::closingWritesBothLines_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("pick"); // "xp", "conventionnel" or "aucun"
    QTest::addColumn<QString>("line6");
    QTest::addColumn<QString>("line7");
    for (const char* how : {"OK", "close box", "Escape"}) {
        QTest::addRow("%s, xp", how) << how << "xp"
                                     << "OFFICEXP_ON"
                                     << "CONVENTIONNEL_OFF";
        QTest::addRow("%s, conventionnel", how) << how << "conventionnel"
                                                << "OFFICEXP_OFF"
                                                << "CONVENTIONNEL_ON";
        QTest::addRow("%s, none", how) << how << "aucun"
                                       << "OFFICEXP_OFF"
                                       << "CONVENTIONNEL_OFF";
    }
}

void MenuStyleWindowTest::closingWritesBothLines() {
    QFETCH(QString, how);
    QFETCH(QString, pick);
    QFETCH(QString, line6);
    QFETCH(QString, line7);
    // The file starts from the other choice (or from empty lines), so that each line
    // must be written to pass.
    Session s(pick == "xp"              ? "OFFICEXP_OFF"
              : pick == "conventionnel" ? "OFFICEXP_ON"
                                        : "",
              pick == "xp"              ? "CONVENTIONNEL_ON"
              : pick == "conventionnel" ? "CONVENTIONNEL_OFF"
                                        : "");
    QFile file(s.FilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    MenuStyleWindow window(nullptr, s.session);
    window.ShowOnTop();
    QVERIFY(window.isVisible());
    QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
    Activate(window);
    if (pick == "xp")
        QTest::mouseClick(window.OfficeXpButton(), Qt::LeftButton);
    else if (pick == "conventionnel")
        QTest::mouseClick(window.ConventionalButton(), Qt::LeftButton);
    QCOMPARE(Selected(window), pick);

    if (how == "OK") {
        QTest::mouseClick(ButtonCaptioned(window, QStringLiteral("OK")), Qt::LeftButton);
    } else if (how == "close box") {
        QVERIFY(window.close());
    } else {
        QTest::keyClick(&window, Qt::Key_Escape);
    }
    QVERIFY(!window.isVisible());
    QVERIFY(!(window.windowFlags() & Qt::WindowStaysOnTopHint));
    QCOMPARE(s.Line(6), line6);
    QCOMPARE(s.Line(7), line7);
    // The window writes memory only: the file waits for the main window.
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void MenuStyleWindowTest::helpAsksForItsTopic() {
    Session s(QStringLiteral("OFFICEXP_ON"), QStringLiteral("CONVENTIONNEL_OFF"));
    MenuStyleWindow window(nullptr, s.session);
    QSignalSpy asked(&window, &MenuStyleWindow::helpRequested);
    QTest::mouseClick(ButtonCaptioned(window, QStringLiteral("&Aide")), Qt::LeftButton);
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.first().first().toString(), QStringLiteral("rub15"));
}

QTEST_MAIN(MenuStyleWindowTest)
#include "tst_menustylewindow.moc"
