#include "app/DesktopIdentity.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

namespace DesktopIdentity {

void Apply(const QString& dataFolder) {
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopFileName));
    // Without its file the windows keep the desktop's generic icon.
    const QPixmap icon(dataFolder + QString::fromLatin1(IconFile));
    if (!icon.isNull())
        QApplication::setWindowIcon(QIcon(icon));
}

} // namespace DesktopIdentity
