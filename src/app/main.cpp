#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString());
    MainWindow window;
    if (!window.ShouldServe())
        return 0;
    window.show();
    return QApplication::exec();
}
