#include "app/MainWindow.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString());
    // The window's layout is drawn for an 8-point sans-serif face.
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    MainWindow window;
    QObject::connect(&window, &MainWindow::terminateRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (!window.ShouldServe())
        return 0;
    window.show();
    return QApplication::exec();
}
