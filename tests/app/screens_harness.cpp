// The main window taken through a fixed series of states on a fixed sweep, each state's
// window and screen raster written as PNG files: for comparing the program's pictures
// before and after a change that must leave them alone (the clock aside).
//   screens_harness <program folder holding the data files> <output folder>
// The window is driven as a user drives it, by the captions and hints of its controls and
// menu items, and the box is a recording link that acknowledges every command at once.
#include "AppSupport.h"
#include "RecordingLink.h"
#include "TestTimings.h"
#include "app/MainWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QGroupBox>
#include <QMenuBar>
#include <QTest>
#include <QTextStream>
#include <cmath>
#include <cstdio>

namespace {

// A sine on channel A (96 codes peak around 140) and a square wave on channel B, both of
// a period of 75 points, with a little fixed ripple so that the spectrum has bins of its
// own.
QByteArray FixedSweep() {
    QByteArray bytes;
    for (int point = 1; point <= 300; ++point) {
        const double phase = 2 * M_PI * point / 75.0;
        const int a =
            static_cast<int>(std::lround(140 + 96 * std::sin(phase) + 3 * std::sin(7 * phase)));
        const int b = (point / 37) % 2 ? 200 : 60;
        bytes += "A" + QByteArray::number(a).rightJustified(3, '0') + (point == 1 ? "#" : "%") +
                 QByteArray::number(b).rightJustified(3, '0') + "B";
    }
    return bytes;
}

class Harness {
public:
    Harness(const QString& programFolder, const QString& out) : outFolder(out) {
        StartupEnvironment env;
        env.programFolder = programFolder;
        env.screenSize = QSize(1280, 1024);
        env.soundDevice = false;
        env.playSound = [](const QString&) {};
        env.linkFactory = [this](const QString&) {
            auto made = std::make_unique<RecordingLink>();
            link = made.get();
            return made;
        };
        window = std::make_unique<MainWindow>(env);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            std::fprintf(stderr, "the window was not shown\n");
    }

    // A control whose caption or hint is `text`, inside the group box titled `group` when
    // one is given.
    QAbstractButton* Button(const QString& text, const QString& group = {}) const {
        const QWidget* within = window.get();
        if (!group.isEmpty())
            for (QGroupBox* box : window->findChildren<QGroupBox*>())
                if (box->title() == group)
                    within = box;
        for (QAbstractButton* b : within->findChildren<QAbstractButton*>())
            if (b->text() == text || b->toolTip() == text)
                return b;
        std::fprintf(stderr, "no control \"%s\" in \"%s\"\n", qPrintable(text), qPrintable(group));
        return nullptr;
    }
    void Click(const QString& text, const QString& group = {}) {
        if (QAbstractButton* b = Button(text, group))
            b->click();
        Settle();
    }
    // A widget of a class, the n-th from the left.
    QWidget* Widget(const char* className, int n = 0) const {
        QList<QWidget*> found;
        for (QWidget* w : window->findChildren<QWidget*>())
            if (qstrcmp(w->metaObject()->className(), className) == 0)
                found << w;
        std::sort(found.begin(), found.end(), [this](QWidget* l, QWidget* r) {
            return l->mapTo(window.get(), QPoint()).x() < r->mapTo(window.get(), QPoint()).x();
        });
        return found.value(n);
    }
    // A control of the widget of a class (the magnifier's "x1" is not a probe's "x1").
    void ClickIn(const char* className, const QString& text) {
        if (QWidget* w = Widget(className))
            for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
                if (b->text() == text) {
                    b->click();
                    break;
                }
        Settle();
    }
    void Press(QWidget* w) {
        if (w)
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
        Settle();
    }
    void Menu(const QString& caption) {
        for (QAction* a : window->menuBar()->findChildren<QAction*>())
            if (a->text() == caption) {
                a->trigger();
                break;
            }
        Settle();
    }
    void Sweep() {
        if (link)
            link->Receive(FixedSweep());
        Settle();
    }
    void Settle() {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
            QTest::qWait(5);
        }
    }
    void Shoot(const QString& name) {
        const QString stem =
            QStringLiteral("%1/%2-%3").arg(outFolder).arg(++count, 2, 10, QChar('0')).arg(name);
        window->grab().save(stem + QStringLiteral("-window.png"));
        if (QWidget* view = Widget("ScreenView"))
            if (view->isVisible())
                view->grab().save(stem + QStringLiteral("-screen.png"));
    }

    std::unique_ptr<MainWindow> window;
    RecordingLink* link = nullptr;

private:
    QString outFolder;
    int count = 0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: screens_harness <program folder> <output folder>\n");
        return 2;
    }
    QDir().mkpath(args[2]);
    TimingsGuard quick(TimingsGuard::Quick());
    Harness h(args[1], args[2]);
    const QString channelA = QStringLiteral(" Volts/Div VOIE A (Axe X) : ");
    const QString channelB = QStringLiteral(" Volts/Div VOIE B (Axe Y) : ");
    const QString timeBase = QStringLiteral(" Time/Div : ");

    h.Shoot(QStringLiteral("inactive"));
    h.Menu(QStringLiteral("&Activer la communication"));
    h.Sweep();
    h.Shoot(QStringLiteral("activated"));
    h.Press(h.Widget("TraceSwitch", 1));
    h.Sweep();
    h.Shoot(QStringLiteral("both-traces"));
    h.Click(QStringLiteral("DC"), channelA);
    h.Click(QStringLiteral("AC"), channelB);
    h.Sweep();
    h.Shoot(QStringLiteral("couplings"));
    h.Click(QStringLiteral("GND"), channelB);
    h.Sweep();
    h.Shoot(QStringLiteral("ground-b"));
    for (const char* caption : {"500", "1", "20"}) {
        h.Click(QString::fromUtf8(caption), timeBase);
        h.Sweep();
        h.Shoot(QStringLiteral("time-base-%1").arg(QString::fromUtf8(caption)));
    }
    h.Click(QStringLiteral("5"), channelA);
    h.Click(QStringLiteral("10"), channelB);
    h.Sweep();
    h.Shoot(QStringLiteral("volts"));
    h.Click(QStringLiteral("x10"), channelA);
    h.Sweep();
    h.Shoot(QStringLiteral("probe"));
    h.Click(QStringLiteral("DC"), channelB);
    h.Click(QStringLiteral("VOIE A"), QStringLiteral(" Sélection du Trigger : "));
    h.Sweep();
    h.Shoot(QStringLiteral("trigger"));
    for (const char* mode : {"Voie A + Voie &B", "&Voie A - Voie B",
                             "Mode &X Y (Voie A = X et Voie B = Y)", "Pas de Mat&h"}) {
        h.Menu(QString::fromUtf8(mode));
        h.Sweep();
        h.Shoot(QStringLiteral("math"));
    }
    for (const char* factor : {"x2", "x5", "x1"}) {
        h.ClickIn("MagnifierPanel", QString::fromUtf8(factor));
        h.Sweep();
        h.Shoot(QStringLiteral("magnifier-%1").arg(QString::fromUtf8(factor)));
    }
    QWidget* markers = h.Widget("MarkerButtons");
    if (markers) {
        const auto buttons = markers->findChildren<QAbstractButton*>();
        for (int i = 0; i < buttons.size(); ++i) {
            buttons[i]->click();
            h.Sweep();
            h.Shoot(QStringLiteral("markers-%1").arg(i));
        }
        h.ClickIn("MagnifierPanel", QStringLiteral("x5"));
        h.Sweep();
        h.Shoot(QStringLiteral("markers-x5"));
        h.ClickIn("MagnifierPanel", QStringLiteral("x1"));
    }
    h.Click(QStringLiteral(">"), QStringLiteral(" Translation des traces (C = Carreaux) : "));
    h.Sweep();
    h.Shoot(QStringLiteral("translated"));
    h.Click(QStringLiteral("Pause"));
    h.Shoot(QStringLiteral("paused"));
    h.Click(QStringLiteral("Lecture"));
    h.Sweep();
    if (QWidget* spectrum = h.Widget("SpectrumButtons")) {
        if (auto* on = spectrum->findChildren<QAbstractButton*>().value(0))
            on->click();
        h.Sweep();
        h.Shoot(QStringLiteral("spectrum"));
        h.Click(QStringLiteral("Logarithmique"));
        h.Sweep();
        h.Shoot(QStringLiteral("spectrum-log"));
        h.Click(QStringLiteral("Pause"));
        h.Shoot(QStringLiteral("spectrum-paused"));
        h.Click(QStringLiteral("Lecture"));
        if (auto* on = spectrum->findChildren<QAbstractButton*>().value(0))
            on->click();
        h.Sweep();
    }
    h.Menu(QStringLiteral("Vérifications &matérielles"));
    h.Shoot(QStringLiteral("hardware-check"));
    return 0;
}
