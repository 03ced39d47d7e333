#include "AppSupport.h"
#include "TestTimings.h"
#include "app/MainWindow.h"
#include "app/Skin.h"
#include "panel/FrontPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// A desktop theme: the palette the platform would hand the program.
QPalette DesktopPalette(bool dark) {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette p = fusion->standardPalette();
    if (dark) {
        p.setColor(QPalette::Window, QColor(40, 40, 44));
        p.setColor(QPalette::WindowText, QColor(230, 230, 230));
        p.setColor(QPalette::Button, QColor(50, 50, 55));
        p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
        p.setColor(QPalette::Base, QColor(25, 25, 28));
        p.setColor(QPalette::Text, QColor(230, 230, 230));
    }
    return p;
}

// The program's start without the skin, then with it.
void Unskinned(bool dark = false) {
    qApp->setStyleSheet(QString());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(DesktopPalette(dark));
}

using Maker = std::function<QWidget*()>;

QImage Render(const Maker& make) {
    std::unique_ptr<QWidget> w(make());
    w->resize(160, 60); // the same size with and without the skin
    w->ensurePolished();
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Pixels of a colour close to `colour` in an image.
int CountNear(const QImage& image, QColor colour, int tolerance = 40) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= tolerance &&
                std::abs(c.green() - colour.green()) <= tolerance &&
                std::abs(c.blue() - colour.blue()) <= tolerance)
                ++n;
        }
    return n;
}

} // namespace

// The skin: one style sheet from the program's resources that draws every listed kind of
// control, the same on a light and a dark desktop, and leaves each control the colours and
// fonts it sets for itself.
class SkinTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Unskinned(); }
    void styleSheetComesFromTheResources();
    void everyKindOfControlIsSkinned_data();
    void everyKindOfControlIsSkinned();
    void sameLookOnLightAndDarkDesktops();
    void controlsKeepTheirOwnColoursAndFonts();
};

void SkinTest::styleSheetComesFromTheResources() {
    const QString sheet = Skin::StyleSheet();
    QVERIFY(sheet.contains(QStringLiteral("QGroupBox")));
    Skin::Apply(*qApp);
    QCOMPARE(qApp->styleSheet(), sheet);
    // No rule gives a font: the bold captions and the larger trigger caption are the
    // controls' own.
    QVERIFY(!sheet.contains(QRegularExpression(QStringLiteral("font(-[a-z]+)?\\s*:"))));
}

void SkinTest::everyKindOfControlIsSkinned_data() {
    QTest::addColumn<Maker>("make");
    QTest::newRow("main menu") << Maker([] {
        auto* bar = new QMenuBar;
        bar->addMenu(QStringLiteral("&Fichier"));
        return bar;
    });
    QTest::newRow("pop-up menu") << Maker([] {
        auto* menu = new QMenu;
        menu->addAction(QStringLiteral("Aide"));
        menu->addSeparator();
        menu->addAction(QStringLiteral("Copier"));
        return menu;
    });
    QTest::newRow("tool bar") << Maker([] {
        auto* bar = new QToolBar;
        bar->addAction(QStringLiteral("Q"));
        return bar;
    });
    QTest::newRow("combo box") << Maker([] {
        auto* box = new QComboBox;
        box->addItem(QStringLiteral("SIMULATEUR"));
        return box;
    });
    QTest::newRow("check box") << Maker([] { return new QCheckBox(QStringLiteral("Heure")); });
    QTest::newRow("radio button") << Maker(
        [] { return new QRadioButton(QStringLiteral("Linéaire")); });
    QTest::newRow("progress bar") << Maker([] {
        auto* bar = new QProgressBar;
        bar->setValue(40);
        return bar;
    });
    QTest::newRow("scroll bar") << Maker([] { return new QScrollBar(Qt::Vertical); });
    QTest::newRow("edit field") << Maker([] { return new QLineEdit(QStringLiteral("COM1")); });
    QTest::newRow("push button") << Maker([] { return new QPushButton(QStringLiteral("OK")); });
    QTest::newRow("speed button") << Maker([] {
        auto* b = new QToolButton;
        b->setText(QStringLiteral("x1"));
        b->setCheckable(true);
        b->setChecked(true);
        return b;
    });
    QTest::newRow("spin button") << Maker([] { return new QSpinBox; });
    QTest::newRow("group box") << Maker(
        [] { return new QGroupBox(QStringLiteral(" Time/Div : ")); });
    QTest::newRow("status bar") << Maker([] {
        auto* bar = new QStatusBar;
        bar->showMessage(QStringLiteral("Prêt"));
        return bar;
    });
    QTest::newRow("tabs") << Maker([] {
        auto* tabs = new QTabBar;
        tabs->addTab(QStringLiteral("Général"));
        tabs->addTab(QStringLiteral("Système"));
        return tabs;
    });
}

void SkinTest::everyKindOfControlIsSkinned() {
    QFETCH(Maker, make);
    Unskinned();
    const QImage plain = Render(make);
    Skin::Apply(*qApp);
    const QImage skinned = Render(make);
    QVERIFY2(skinned != plain, "the skin does not change how the control is drawn");
}

void SkinTest::sameLookOnLightAndDarkDesktops() {
    const Maker group = [] {
        auto* box = new QGroupBox(QStringLiteral(" Sélection du Trigger : "));
        auto* button = new QPushButton(QStringLiteral("VOIE A"), box);
        button->setGeometry(10, 24, 80, 25);
        auto* radio = new QRadioButton(QStringLiteral("Linéaire"), box);
        radio->setGeometry(100, 24, 90, 20);
        box->setMinimumSize(200, 60);
        return box;
    };
    Unskinned(false);
    Skin::Apply(*qApp);
    const QImage light = Render(group);
    Unskinned(true);
    const QImage darkPlain = Render(group);
    Skin::Apply(*qApp);
    const QImage dark = Render(group);
    QVERIFY(darkPlain != light); // the dark desktop does change an unskinned window
    QCOMPARE(dark, light);
    // Light panels with dark text.
    QVERIFY(QColor(dark.pixel(dark.width() / 2, dark.height() - 5)).lightness() > 180);
    QVERIFY(CountNear(dark, QColor(0x1a, 0x1f, 0x26), 30) > 20);
}

void SkinTest::controlsKeepTheirOwnColoursAndFonts() {
    Unskinned(true);
    Skin::Apply(*qApp);
    ProgramFolder folder;
    MessageCapture messages;
    Timings quickSplash;
    quickSplash.splashTickMs = 1;
    TimingsGuard timings(quickSplash);
    StartupEnvironment env;
    env.programFolder = folder.Path();
    env.screenSize = QSize(1280, 1024);
    env.soundDevice = false;
    env.playSound = [](const QString&) {};
    MainWindow window(env);

    // Bold captions stay bold; the translation group's stays plain.
    QVERIFY(RegionOf(&window, Region::TimeBase)->font().bold());
    QVERIFY(RegionOf(&window, Region::Trigger)->font().bold());
    QVERIFY(!RegionOf(&window, Region::Translation)->font().bold());
    // The red caption of the trigger's "OFF" keeps its red on a skinned button.
    QAbstractButton* off = nullptr;
    for (QAbstractButton* b : RegionOf(&window, Region::Trigger)->findChildren<QAbstractButton*>())
        if (b->text() == QStringLiteral("OFF"))
            off = b;
    QVERIFY(off);
    // (The front panel is locked until the link is active.)
    RegionOf(&window, Region::Trigger)->setEnabled(true);
    off->setEnabled(true);
    QVERIFY(CountNear(off->grab().toImage(), QColor(255, 0, 0), 50) > 5);
}

QTEST_MAIN(SkinTest)
#include "tst_skin.moc"
