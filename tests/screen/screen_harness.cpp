// A small window with the screen view and the two trace switches over a stand-in main
// window, the idle animation running: for looking at the screen under a real X server.
//   screen_harness [phase [milliseconds before quitting]]
#include "ScreenTestSupport.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"
#include "screen/TraceSwitch.h"
#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ScreenTest::ScreenServices services;
    services.settings.SetLine(2, QStringLiteral("PERIPHERIQUE_ON"));
    services.settings.SetLine(3, QStringLiteral("LIGNE1090%_ON"));
    services.settings.SetLine(8, QStringLiteral("0"));
    services.settings.SetLine(9, QStringLiteral("0"));
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
    auto* a = new TraceSwitch(nullptr, services, Channel::A);
    auto* b = new TraceSwitch(nullptr, services, Channel::B);
    row->addWidget(new QLabel(QStringLiteral("VOIE A")));
    row->addWidget(a);
    row->addSpacing(40);
    row->addWidget(new QLabel(QStringLiteral("VOIE B")));
    row->addWidget(b);
    row->addStretch();
    layout->addLayout(row);
    ScreenController controller(services, *view);
    services.onRedraw = [&] { controller.RedrawScreen(); };
    controller.ConnectTraceSwitch(a);
    controller.ConnectTraceSwitch(b);
    if (argc > 1)
        controller.Screen().SetAnimationPhase(atof(argv[1]));
    controller.RedrawScreen();
    window.show();
    if (argc > 2)
        QTimer::singleShot(atoi(argv[2]), &app, &QApplication::quit);
    return app.exec();
}
