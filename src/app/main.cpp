#include "app/MainWindow.h"
#include "core/QtTranslations.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString());
    // The program ends when the main window asks for it, which may be after a last
    // exchange with the box once the window is closed.
    QApplication::setQuitOnLastWindowClosed(false);
    // The window's layout is drawn for an 8-point sans-serif face.
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    // Qt's own dialogs and buttons in French.
    InstallQtFrenchTranslations(app);
    MainWindow window;
    QObject::connect(&window, &MainWindow::terminateRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (!window.ShouldServe())
        return 0;
    window.show();
    return QApplication::exec();
}
