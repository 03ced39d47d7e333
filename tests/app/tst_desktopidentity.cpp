#include "app/DesktopIdentity.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QtTest>

// The desktop entry name and the icon every window shows: the docks and window lists of
// the desktop match the windows to the menu entry by that name and show that icon.
class DesktopIdentityTest : public QObject {
    Q_OBJECT
private slots:
    void windowsCarryTheProgramsIdentity();
    void withoutTheIconFileTheWindowsKeepTheirs();
};

void DesktopIdentityTest::windowsCarryTheProgramsIdentity() {
    // The program's own data folder, as the build lays it out beside the executable.
    const QString data = qEnvironmentVariable("OSC_TEST_DATA") + u'/';
    const QImage file(data + QStringLiteral("oscilloscope.png"));
    QVERIFY(!file.isNull());
    QCOMPARE(file.size(), QSize(128, 128));
    QVERIFY(file.hasAlphaChannel());
    // The corners lie outside the drawing, its middle on the screen (white).
    QCOMPARE(qAlpha(file.pixel(0, 0)), 0);
    QCOMPARE(file.pixelColor(64, 30), QColor(Qt::white));

    DesktopIdentity::Apply(data);
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("oscilloscope"));
    // Every window, the main one and a dialog made afterwards, shows the icon.
    QMainWindow main;
    QDialog dialog;
    for (const QWidget* w : {static_cast<QWidget*>(&main), static_cast<QWidget*>(&dialog)}) {
        const QImage shown = w->windowIcon().pixmap(QSize(128, 128)).toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32),
                 file.convertToFormat(QImage::Format_ARGB32));
    }
}

void DesktopIdentityTest::withoutTheIconFileTheWindowsKeepTheirs() {
    const QIcon before = QApplication::windowIcon();
    QTemporaryDir empty;
    DesktopIdentity::Apply(empty.path() + u'/');
    QCOMPARE(QApplication::windowIcon().cacheKey(), before.cacheKey());
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("oscilloscope"));
}

QTEST_MAIN(DesktopIdentityTest)
#include "tst_desktopidentity.moc"
