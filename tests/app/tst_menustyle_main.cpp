#include "AppSupport.h"
#include "TestTimings.h"
#include "app/MainWindow.h"
#include "dialogs/HelpViewer.h"
#include "dialogs/MenuStyleWindow.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

// The menu style window in the program: made with the other windows and hidden, reached
// from code, its help at its topic, its choice written to the file when the main window
// is active again.
class MenuStyleInProgramTest : public QObject {
    Q_OBJECT
private slots:
    void reachedFromCodeOnly();
};

void MenuStyleInProgramTest::reachedFromCodeOnly() {
    ProgramFolder folder;
    MessageCapture messages;
    Timings quickSplash;
    quickSplash.splashTickMs = 1;
    TimingsGuard timings(quickSplash);
    folder.WriteSettings({{6, "OFFICEXP_ON"}, {7, "CONVENTIONNEL_OFF"}, {16, "1"}});
    QVERIFY(QFile::copy(qEnvironmentVariable("OSC_TEST_DATA") + QStringLiteral("/aide.hlp"),
                        folder.Path() + QStringLiteral("aide.hlp")));
    StartupEnvironment env;
    env.programFolder = folder.Path();
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    env.playSound = [](const QString&) {};
    MainWindow window(env);

    MenuStyleWindow* style = Part<MenuStyleWindow>(&window, "menuStyle");
    QVERIFY(style);
    QVERIFY(!style->isVisible());
    style->ShowOnTop();
    QVERIFY(style->isVisible());
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(style, &activate);
    QVERIFY(style->OfficeXpButton()->isChecked());

    for (QPushButton* b : style->findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("&Aide"))
            b->click();
    QCOMPARE(Part<HelpViewer>(&window, "helpViewer")->CurrentTopic(), QStringLiteral("rub15"));
    QVERIFY(Part<HelpViewer>(&window, "helpViewer")
                ->Browser()
                ->toPlainText()
                .contains(QStringLiteral("Types de menus déroulant")));

    style->ConventionalButton()->click();
    for (QPushButton* b : style->findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("OK"))
            b->click();
    QVERIFY(!style->isVisible());
    QCOMPARE(folder.SettingsLine(6), QByteArray("OFFICEXP_ON")); // not yet in the file
    window.MainWindowActivated();
    QCOMPARE(folder.SettingsLine(6), QByteArray("OFFICEXP_OFF"));
    QCOMPARE(folder.SettingsLine(7), QByteArray("CONVENTIONNEL_ON"));
    QVERIFY(messages.Errors().isEmpty());
}

QTEST_MAIN(MenuStyleInProgramTest)
#include "tst_menustyle_main.moc"
