#include "AppSupport.h"
#include "RecordingLink.h"
#include "TestTimings.h"
#include "app/MainWindow.h"
#include "dialogs/HelpViewer.h"
#include "output/OutputCommands.h"
#include "output/PrintPreviewWindow.h"
#include "output/SpectrumPrintWindow.h"
#include "panel/SpectrumButtons.h"
#include "screen/ScreenController.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWindow>
#include <QtTest>
#include <memory>

// The print windows from the main window: the view shown chooses the window, each opens
// modally with the clock stopped, and every way out starts the clock again; the printer
// set-up; and the help asked from a window over the main window, which must be usable and
// not hidden by the window that asked.
class PrintWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyWayOutRestartsTheClock_data();
    void everyWayOutRestartsTheClock();
    void setUpChoosesThePrinterOfTheNextPrint();
    void previewConfigurationIsTheSameSetUp();
    void helpOverTheWindowThatAsks_data();
    void helpOverTheWindowThatAsks();

private:
    // Starts the window; the questions not answered in `prompts` go to the program's dialogs.
    void Start(const OutputPrompts& prompts = {});
    PrintPreviewWindow* Preview() const {
        return Part<PrintPreviewWindow>(window.get(), "printPreview");
    }
    SpectrumPrintWindow* SpectrumPrint() const {
        return Part<SpectrumPrintWindow>(window.get(), "spectrumPrint");
    }

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<MessageCapture> messages;
    std::unique_ptr<TimingsGuard> timings;
    std::unique_ptr<MainWindow> window;
    QTemporaryDir files;
};

namespace {

// Counts the mouse presses that reach a window's widgets. A window blocked by a modal
// window gets none: Qt drops the window system's events before any widget sees them.
class PressCounter : public QObject {
public:
    explicit PressCounter(QWidget* watched) : watched(watched) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~PressCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    int presses = 0;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        auto* w = qobject_cast<QWidget*>(receiver);
        if (event->type() == QEvent::MouseButtonPress && w &&
            (w == watched || watched->isAncestorOf(w)))
            ++presses;
        return false;
    }

private:
    QWidget* watched;
};

// Clicks the middle of a window as the window system would; the presses its widgets got.
int PressesReaching(QWidget* window) {
    QWindow* handle = window->windowHandle();
    if (!handle)
        return -1;
    PressCounter counter(window);
    QTest::mouseClick(handle, Qt::LeftButton, {},
                      QPoint(handle->width() / 2, handle->height() / 2));
    return counter.presses;
}

// What the printer set-up showed, recorded while it was open.
struct SetUpSeen {
    bool ran = false;
    bool printDialog = false;    // a dialog that chooses the printer too
    QPrinter* printer = nullptr; // the printer it sets up
    QStringList printers;
    bool paperChosen = false;
    QString acceptCaption;
};

// Clicks the button of a dialog's button box that has the role.
QString ClickRole(QWidget* dialog, QDialogButtonBox::ButtonRole role) {
    if (auto* buttons = dialog->findChild<QDialogButtonBox*>())
        for (QAbstractButton* b : buttons->buttons())
            if (buttons->buttonRole(b) == role) {
                const QString caption = b->text();
                b->click();
                return caption;
            }
    return {};
}

// Handles the printer's properties open at this moment: A5 paper in landscape.
void ChooseA5Landscape(bool& done) {
    QWidget* modal = QApplication::activeModalWidget();
    const auto leave = qScopeGuard([&] {
        if (modal && modal->isVisible())
            modal->close();
    });
    auto* size = modal ? modal->findChild<QComboBox*>(QStringLiteral("pageSizeCombo")) : nullptr;
    auto* landscape =
        modal ? modal->findChild<QRadioButton*>(QStringLiteral("landscape")) : nullptr;
    if (!size || !landscape || size->findText(QStringLiteral("A5")) < 0)
        return;
    size->setCurrentIndex(size->findText(QStringLiteral("A5")));
    landscape->click();
    done = !ClickRole(modal, QDialogButtonBox::AcceptRole).isEmpty();
}

// Handles the printer set-up open at this moment: records it, chooses "Print to File
// (PDF)" with the file `pdf` (the one printer a machine without printers offers), A5 paper
// in landscape through the properties, and confirms; closes it whatever happens.
void ChoosePdfInSetUp(SetUpSeen& seen, const QString& pdf) {
    QWidget* modal = QApplication::activeModalWidget();
    const auto leave = qScopeGuard([&] {
        if (modal && modal->isVisible())
            modal->close();
    });
    seen.ran = modal != nullptr;
    auto* dialog = qobject_cast<QPrintDialog*>(modal);
    if (!dialog)
        return;
    seen.printDialog = true;
    seen.printer = dialog->printer();
    auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
    auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
    auto* properties = dialog->findChild<QPushButton*>(QStringLiteral("properties"));
    if (!printers || !file || !properties)
        return;
    for (int i = 0; i < printers->count(); ++i)
        seen.printers << printers->itemText(i);
    printers->setCurrentIndex(printers->count() - 1); // the file comes last
    file->setText(pdf);
    QTimer::singleShot(0, dialog, [&] { ChooseA5Landscape(seen.paperChosen); });
    properties->click();
    seen.acceptCaption = ClickRole(dialog, QDialogButtonBox::AcceptRole);
}

} // namespace

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

void PrintWindowsTest::Start(const OutputPrompts& prompts) {
    folder->WriteSettings({{1, "SIMULATEUR"}, {16, "1"}});
    StartupEnvironment env;
    env.programFolder = folder->Path();
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    env.outputPrompts = prompts;
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
        SessionOf(window.get()).SwitchSpectrum(true);
    SurfacesOf(window.get()).SetEnabled(Command::PrintPreview, true);
    QDialog* expected =
        spectrum ? static_cast<QDialog*>(SpectrumPrint()) : static_cast<QDialog*>(Preview());
    QDialog* other =
        spectrum ? static_cast<QDialog*>(Preview()) : static_cast<QDialog*>(SpectrumPrint());
    if (!spectrum)
        Preview()->TitleEdit()->setText(QStringLiteral("ancien titre"));
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
        seen.clockRunning = ScreenOf(window.get()).ClockRunning();
        seen.title = Preview()->TitleEdit()->text();
        seen.heightFactor = Preview()->HeightFactor();
        if (exit.isEmpty()) {
            seen.exitFound = true;
            expected->close();
        } else if (QAbstractButton* b = ButtonIn(expected, exit)) {
            seen.exitFound = true;
            b->click();
        }
    });
    SurfacesOf(window.get()).MenuAction(Command::PrintPreview)->trigger();
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
    QVERIFY(ScreenOf(window.get()).ClockRunning());
}

// "&Configuration de l'impression" chooses the printer, not only the paper: the choice
// made there is where the next "Imprimer" goes, without asking for a file.
void PrintWindowsTest::setUpChoosesThePrinterOfTheNextPrint() {
    int fileAsked = 0;
    OutputPrompts prompts;
    prompts.chooseFile = [&](const SaveRequest&) {
        ++fileAsked;
        return std::optional<QString>();
    };
    Start(prompts);
    SurfacesOf(window.get()).SetEnabled(Command::PrintSetup, true);
    SurfacesOf(window.get()).SetEnabled(Command::PrintPreview, true);
    const QString pdf = files.filePath(QStringLiteral("choisi.pdf"));
    SetUpSeen seen;
    QTimer::singleShot(0, this, [&] { ChoosePdfInSetUp(seen, pdf); });
    SurfacesOf(window.get()).MenuAction(Command::PrintSetup)->trigger();
    QVERIFY(seen.ran);
    QVERIFY(seen.printDialog);
    QVERIFY(!seen.printers.isEmpty());
    QVERIFY(seen.paperChosen);
    QCOMPARE(seen.acceptCaption, QStringLiteral("OK")); // it prints nothing itself
    QVERIFY(seen.printer);
    QCOMPARE(seen.printer->outputFileName(), pdf);
    QCOMPARE(seen.printer->pageLayout().pageSize().id(), QPageSize::A5);
    QCOMPARE(seen.printer->pageLayout().orientation(), QPageLayout::Landscape);
    QVERIFY(!QFile::exists(pdf));

    bool printed = false;
    QTimer::singleShot(0, this, [&] {
        const auto leave = qScopeGuard([&] {
            if (Preview()->isVisible())
                Preview()->reject();
        });
        if (QAbstractButton* b = ButtonIn(Preview(), QStringLiteral("Imprimer")))
            b->click();
        printed = !Preview()->isVisible();
    });
    SurfacesOf(window.get()).MenuAction(Command::PrintPreview)->trigger();
    QVERIFY(printed);
    QCOMPARE(fileAsked, 0);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
}

// The preview's "Configuration" is the same set-up, opened over the preview; the preview is
// laid out again afterwards: factors back to 7, the title kept.
void PrintWindowsTest::previewConfigurationIsTheSameSetUp() {
    Start();
    SurfacesOf(window.get()).SetEnabled(Command::PrintPreview, true);
    const QString pdf = files.filePath(QStringLiteral("apercu.pdf"));
    PrintPreviewWindow* preview = Preview();
    SetUpSeen seen;
    struct {
        bool ran = false;
        int heightFactor = 0;
        QString title;
        QSize page;
    } after;
    QTimer::singleShot(0, this, [&] {
        const auto leave = qScopeGuard([&] {
            if (preview->isVisible())
                preview->reject();
        });
        after.ran = true;
        preview->HeightBar()->setValue(3);
        preview->TitleEdit()->setText(QStringLiteral("Essai"));
        QTimer::singleShot(0, this, [&] { ChoosePdfInSetUp(seen, pdf); });
        if (QAbstractButton* b = ButtonIn(preview, QStringLiteral("Configuration")))
            b->click();
        after.heightFactor = preview->HeightFactor();
        after.title = preview->TitleEdit()->text();
        after.page = preview->PageImage().size();
    });
    SurfacesOf(window.get()).MenuAction(Command::PrintPreview)->trigger();
    QVERIFY(after.ran);
    QVERIFY(seen.ran);
    QVERIFY(seen.printDialog);
    QVERIFY(seen.printer);
    QCOMPARE(seen.printer->outputFileName(), pdf);
    QVERIFY(seen.paperChosen);
    QCOMPARE(after.heightFactor, 7);
    QCOMPARE(after.title, QStringLiteral("Essai"));
    // The page image follows the new page, now wider than high.
    QVERIFY2(
        after.page.width() > after.page.height(),
        qPrintable(QStringLiteral("%1 x %2").arg(after.page.width()).arg(after.page.height())));

    // The printer set up is the window's one, which the menu's set-up shows too.
    QPrinter* shown = nullptr;
    QTimer::singleShot(0, this, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        const auto leave = qScopeGuard([&] {
            if (modal && modal->isVisible())
                modal->close();
        });
        if (auto* dialog = qobject_cast<QPrintDialog*>(modal))
            shown = dialog->printer();
    });
    SurfacesOf(window.get()).SetEnabled(Command::PrintSetup, true);
    SurfacesOf(window.get()).MenuAction(Command::PrintSetup)->trigger();
    QVERIFY(shown);
    QCOMPARE(shown, seen.printer);
}

void PrintWindowsTest::helpOverTheWindowThatAsks_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("helpCaption");
    QTest::addColumn<bool>("fillsScreen");
    QTest::newRow("Aperçu avant impression") << "preview"
                                             << "Aide" << true;
    QTest::newRow("Impression du spectre") << "spectrum"
                                           << "&Aide" << false;
    QTest::newRow("Graticule") << "graticule"
                               << "&Aide" << false;
    QTest::newRow("Couleurs") << "colours"
                              << "&Aide" << false;
    QTest::newRow("Paramètres de démarrage") << "startup"
                                             << "&Aide" << false;
    QTest::newRow("Fenêtres de pondération") << "weighting"
                                             << "&Aide" << false;
    QTest::newRow("port") << "port"
                          << "&Aide RS232" << false;
}

// The help asked from a modal print window takes the mouse while that window is open (the
// main window does not), and the help asked from any of these windows stays above the
// window that asked: its middle is beside that window, or, beside a window that fills the
// screen, it belongs to that window, which keeps it above. It belongs to no window once
// that window is left.
void PrintWindowsTest::helpOverTheWindowThatAsks() {
    QFETCH(QString, which);
    QFETCH(QString, helpCaption);
    QFETCH(bool, fillsScreen);
    Start();
    if (which == QStringLiteral("startup")) // reached once the link is active
        SurfacesOf(window.get()).MenuAction(Command::Activate)->trigger();
    const bool modal = which == QStringLiteral("preview") || which == QStringLiteral("spectrum");
    if (which == QStringLiteral("spectrum") || which == QStringLiteral("weighting"))
        SessionOf(window.get()).SwitchSpectrum(true);
    SurfacesOf(window.get()).SetEnabled(Command::PrintPreview, true);
    HelpViewer* help = Part<HelpViewer>(window.get(), "helpViewer");
    const QMap<QString, const char*> windows{
        {QStringLiteral("preview"), "printPreview"},
        {QStringLiteral("spectrum"), "spectrumPrint"},
        {QStringLiteral("graticule"), "graticuleOptions"},
        {QStringLiteral("colours"), "colours"},
        {QStringLiteral("startup"), "startupParameters"},
        {QStringLiteral("weighting"), "weightingDialog"},
        {QStringLiteral("port"), "portDialog"},
    };
    const QMap<QString, Command> commands{
        {QStringLiteral("preview"), Command::PrintPreview},
        {QStringLiteral("spectrum"), Command::PrintPreview},
        {QStringLiteral("graticule"), Command::Graticule},
        {QStringLiteral("colours"), Command::Colours},
        {QStringLiteral("startup"), Command::StartupParameters},
        {QStringLiteral("port"), Command::ChoosePort},
    };
    QVERIFY(windows.contains(which));
    QWidget* asker = Part<QWidget>(window.get(), windows.value(which));
    QVERIFY(asker);
    struct {
        bool ran = false;
        bool shown = false;
        int helpPresses = -1;
        int mainPresses = -1;
        bool transient = false;
        QRect helpFrame;
        QRect askerFrame;
        QRect screen;
    } seen;
    const auto askHelp = [&] {
        seen.ran = true;
        QAbstractButton* button = ButtonIn(asker, helpCaption);
        if (!button)
            return;
        button->click();
        seen.shown = help->isVisible();
        seen.helpPresses = PressesReaching(help);
        seen.mainPresses = PressesReaching(window.get());
        seen.transient = help->windowHandle() &&
                         help->windowHandle()->transientParent() == asker->windowHandle();
        seen.helpFrame = help->frameGeometry();
        seen.askerFrame = asker->frameGeometry();
        seen.screen = asker->screen()->availableGeometry();
    };
    if (modal) {
        QTimer::singleShot(0, this, [&] {
            const auto leave = qScopeGuard([&] { asker->close(); });
            askHelp();
        });
        SurfacesOf(window.get()).MenuAction(commands.value(which))->trigger();
    } else {
        if (commands.contains(which))
            SurfacesOf(window.get()).MenuAction(commands.value(which))->trigger();
        else
            Part<SpectrumButtons>(window.get(), "spectrumButtons")->WindowButton()->click();
        QTRY_VERIFY(asker->isVisible());
        askHelp();
        asker->close();
    }
    QVERIFY(seen.ran);
    QVERIFY(seen.shown);
    QVERIFY(seen.helpPresses > 0);
    if (modal)
        QCOMPARE(seen.mainPresses, 0); // the print window is modal over the main window
    QVERIFY(seen.transient);
    if (!fillsScreen) {
        QVERIFY2(!seen.askerFrame.contains(seen.helpFrame.center()),
                 qPrintable(QStringLiteral("help %1,%2 %3x%4 under the window %5,%6 %7x%8")
                                .arg(seen.helpFrame.x())
                                .arg(seen.helpFrame.y())
                                .arg(seen.helpFrame.width())
                                .arg(seen.helpFrame.height())
                                .arg(seen.askerFrame.x())
                                .arg(seen.askerFrame.y())
                                .arg(seen.askerFrame.width())
                                .arg(seen.askerFrame.height())));
        QVERIFY(seen.screen.contains(seen.helpFrame));
    }
    QVERIFY(!asker->isVisible());
    QVERIFY(help->isVisible());
    QCOMPARE(help->windowHandle()->transientParent(), nullptr);
    help->hide();
}

// The program needs a screen of at least 1024 x 768; the offscreen platform's own is
// 800 x 800. Its screen is given the size of the program's start-up here (1280 x 1024).
int main(int argc, char** argv) {
    QTemporaryDir config;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        QFile file(config.filePath(QStringLiteral("screen.json")));
        if (file.open(QIODevice::WriteOnly))
            file.write(R"({"screens": [{"name": "ecran", "x": 0, "y": 0, "width": 1280, )"
                       R"("height": 1024, "logicalDpi": 96}]})");
        file.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + file.fileName().toLocal8Bit());
    }
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    PrintWindowsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printwindows.moc"
