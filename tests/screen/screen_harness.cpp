// A small window with the screen view over a session in a temporary folder, two check
// boxes for the trace switches and the idle animation running: for looking at the screen
// under a real X server.
//   screen_harness [phase [milliseconds before quitting]]
#include "ScreenTestSupport.h"
#include "core/ErrorGuard.h"
#include "core/SettingsFile.h"
#include "instrument/Instrument.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir folder;
    PersistedSettings lines = ScreenTest::DisplaySettings();
    lines.SetLine(2, QStringLiteral("PERIPHERIQUE_ON"));
    lines.SetLine(3, QStringLiteral("LIGNE1090%_ON"));
    lines.SetLine(8, QStringLiteral("0"));
    lines.SetLine(9, QStringLiteral("0"));
    SettingsFile::Save(folder.path() + QStringLiteral("/parametres.inf"), lines);
    Instrument session(folder.path() + QLatin1Char('/'));
    session.LoadSettings();
    session.NoteProgramFolder();
    session.SetInitialState();
    session.ApplyInactivePreset();

    QWidget window;
    window.setWindowTitle(QStringLiteral("Screen"));
    auto* layout = new QVBoxLayout(&window);
    auto* panel = new QFrame;
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(3);
    panel->setFixedSize(662, 341);
    auto* view = new ScreenView(panel);
    view->move(8, 8);
    layout->addWidget(panel);
    auto* row = new QHBoxLayout;
    for (Channel channel : {Channel::A, Channel::B}) {
        auto* traceSwitch = new QCheckBox(channel == Channel::A ? QStringLiteral("VOIE A")
                                                                : QStringLiteral("VOIE B"));
        QObject::connect(
            traceSwitch, &QCheckBox::toggled, &session,
            GuardedSlot([&session, channel](bool on) { session.SwitchTrace(channel, on); }));
        row->addWidget(traceSwitch);
    }
    row->addStretch();
    layout->addLayout(row);
    ScreenController controller(session, *view);
    if (argc > 1)
        controller.Screen().SetAnimationPhase(atof(argv[1]));
    controller.RedrawScreen();
    window.show();
    if (argc > 2)
        QTimer::singleShot(atoi(argv[2]), &app, &QApplication::quit);
    return app.exec();
}
