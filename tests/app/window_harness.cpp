// The main window started from a program folder, with the menu style window opened over
// it (no command of the program opens that one): for looking at both under a real X
// server, with or without the skin, on a light or a dark desktop palette.
//   window_harness <program folder> [plain] [sombre]
#include "app/MainWindow.h"
#include "app/Skin.h"
#include "dialogs/MenuStyleWindow.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyleFactory>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QStringLiteral("sombre"))) {
        // What a dark desktop theme hands the program.
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QPalette dark(QColor(45, 45, 48));
        dark.setColor(QPalette::WindowText, QColor(225, 225, 225));
        dark.setColor(QPalette::ButtonText, QColor(225, 225, 225));
        dark.setColor(QPalette::Text, QColor(225, 225, 225));
        dark.setColor(QPalette::Base, QColor(28, 28, 30));
        QApplication::setPalette(dark);
    }
    if (!args.contains(QStringLiteral("plain")))
        Skin::Apply(app);
    StartupEnvironment environment;
    environment.programFolder = args.value(1);
    MainWindow window(environment);
    QObject::connect(&window, &MainWindow::terminateRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    QTimer::singleShot(1500, &window, [&] {
        if (auto* style = window.findChild<MenuStyleWindow*>(QStringLiteral("menuStyle")))
            style->ShowOnTop();
    });
    return QApplication::exec();
}
