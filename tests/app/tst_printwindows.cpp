#include "AppSupport.h"
#include "RecordingLink.h"
#include "TestTimings.h"
#include "app/MainWindow.h"
#include "output/PrintPreviewWindow.h"
#include "output/SpectrumPrintWindow.h"
#include "screen/ScreenController.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSlider>
#include <QtTest>
#include <memory>

// The print windows from the main window: the view shown chooses the window, each opens
// modally with the clock stopped, and every way out starts the clock again.
class PrintWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyWayOutRestartsTheClock_data();
    void everyWayOutRestartsTheClock();

private:
    void Start();

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MessageCapture> messages;
    std::unique_ptr<TimingsGuard> timings;
    std::unique_ptr<MainWindow> window;
};

void PrintWindowsTest::init() {
    folder = std::make_unique<ProgramFolder>();
    messages = std::make_unique<MessageCapture>();
    Timings quick = TimingsGuard::Quick();
    quick.splashTickMs = 1;
    timings = std::make_unique<TimingsGuard>(quick);
}

void PrintWindowsTest::cleanup() {
    window.reset();
    const QStringList texts = messages->texts;
    timings.reset();
    messages.reset();
    folder.reset();
    QVERIFY2(texts.isEmpty(), qPrintable(texts.join(u'\n')));
}

void PrintWindowsTest::Start() {
    folder->WriteSettings({{1, "SIMULATEUR"}, {16, "1"}});
    StartupEnvironment env;
    env.programFolder = folder->Path();
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    env.linkFactory = [](const QString&) { return std::make_unique<RecordingLink>(); };
    window = std::make_unique<MainWindow>(env);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void PrintWindowsTest::everyWayOutRestartsTheClock_data() {
    QTest::addColumn<bool>("spectrum");
    QTest::addColumn<QString>("exit"); // a button's caption, or empty for the close box
    QTest::newRow("preview, Sortir aperçu") << false << "Sortir aperçu";
    QTest::newRow("preview, close box") << false << "";
    QTest::newRow("spectrum, Sortir") << true << "&Sortir";
    QTest::newRow("spectrum, close box") << true << "";
}

void PrintWindowsTest::everyWayOutRestartsTheClock() {
    QFETCH(bool, spectrum);
    QFETCH(QString, exit);
    Start();
    if (spectrum)
        window->SwitchSpectrum(true);
    window->Surfaces().SetEnabled(Command::PrintPreview, true);
    QDialog* expected = spectrum ? static_cast<QDialog*>(window->SpectrumPrint())
                                 : static_cast<QDialog*>(window->PrintPreview());
    QDialog* other = spectrum ? static_cast<QDialog*>(window->PrintPreview())
                              : static_cast<QDialog*>(window->SpectrumPrint());
    if (!spectrum)
        window->PrintPreview()->TitleEdit()->setText(QStringLiteral("ancien titre"));
    // What the open window shows is recorded there and checked once exec() has returned.
    struct {
        bool ran = false;
        bool visible = false;
        bool modal = false;
        bool otherVisible = true;
        bool clockRunning = true;
        QString title = QStringLiteral("?");
        int heightFactor = 0;
        bool exitFound = false;
        bool left = false;
    } seen;
    QTimer::singleShot(0, this, [&] {
        // However this ends, the window is left, so that a fault shows below and not as a
        // window that waits for ever.
        const auto leave = qScopeGuard([&] {
            seen.left = !expected->isVisible();
            if (expected->isVisible())
                expected->reject();
        });
        seen.ran = true;
        seen.visible = expected->isVisible();
        seen.modal = expected->isModal();
        seen.otherVisible = other->isVisible();
        seen.clockRunning = window->Screen().ClockRunning();
        seen.title = window->PrintPreview()->TitleEdit()->text();
        seen.heightFactor = window->PrintPreview()->HeightFactor();
        if (exit.isEmpty()) {
            seen.exitFound = true;
            expected->close();
        } else if (QAbstractButton* b = ButtonIn(expected, exit)) {
            seen.exitFound = true;
            b->click();
        }
    });
    window->Surfaces().MenuAction(Command::PrintPreview)->trigger();
    QVERIFY(seen.ran);
    QVERIFY(seen.visible);
    QVERIFY(seen.modal);
    QVERIFY(!seen.otherVisible);
    QVERIFY(!seen.clockRunning);
    if (!spectrum) {
        QVERIFY(seen.title.isEmpty());
        QCOMPARE(seen.heightFactor, 7);
    }
    QVERIFY(seen.exitFound);
    QVERIFY(seen.left);
    QVERIFY(!expected->isVisible());
    QVERIFY(window->Screen().ClockRunning());
}

QTEST_MAIN(PrintWindowsTest)
#include "tst_printwindows.moc"
