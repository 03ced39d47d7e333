#include "app/DesktopIdentity.h"
#include "app/MainWindow.h"
#include "app/SingleInstanceGuard.h"
#include "app/Skin.h"
#include "core/CommandLineMessage.h"
#include "core/Messages.h"
#include "core/ProgramLocations.h"
#include "core/QtTranslations.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QMessageBox>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString());

    // A copy started while another runs hands over its command line and ends here,
    // before it shows, plays, writes or opens anything. An acquisition file named on the
    // command line goes over as an absolute path; one whose path does not fit the message
    // is not handed over, and this copy says so.
    const QStringList arguments = QCoreApplication::arguments();
    const QString acquisitionFile = AcquisitionFileArgument(arguments);
    const bool fits = acquisitionFile.toUtf8().size() <= CommandLineMessage::MaxTextBytes;
    QStringList handedOver;
    for (const QString& argument : arguments)
        if (handedOver.isEmpty() || argument.isEmpty() || argument.startsWith(u'-') ||
            !QFileInfo(argument).isFile())
            handedOver << argument;
        else if (fits)
            handedOver << QFileInfo(argument).absoluteFilePath();
    SingleInstanceGuard guard(SingleInstanceGuard::UserRuntimeFolder(),
                              QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    switch (guard.Claim(handedOver)) {
    case SingleInstanceGuard::Outcome::HandedOver:
    case SingleInstanceGuard::Outcome::NoAnswer:
        if (!fits) {
            QMessageBox::warning(nullptr, Messages::Title(Messages::Kind::Warning),
                                 QStringLiteral("Le chemin du fichier est trop long (plus de %1 "
                                                "octets) : %2")
                                     .arg(CommandLineMessage::MaxTextBytes)
                                     .arg(acquisitionFile));
            return 1;
        }
        return 0;
    case SingleInstanceGuard::Outcome::First:
    case SingleInstanceGuard::Outcome::Unguarded:
        break;
    }

    // The data files beside the executable or in the installed data folder; the settings
    // beside them, or in the user's configuration folder for an installed copy.
    const ProgramLocations::Folders folders = ProgramLocations::Locate(
        ProgramLocations::ForThisProgram(QCoreApplication::applicationDirPath()));
    ProgramLocations::SeedSettingsFile(folders);
    // The desktop entry and the icon the windows show in docks and window lists.
    DesktopIdentity::Apply(folders.data);
    StartupEnvironment environment;
    environment.programFolder = folders.data;
    environment.settingsFolder = folders.settings;
    environment.instanceGuard = &guard;
    environment.acquisitionFile = acquisitionFile;

    // The program ends when the main window asks for it, which may be after a last
    // exchange with the box once the window is closed.
    QApplication::setQuitOnLastWindowClosed(false);
    // The window's layout is drawn for an 8-point sans-serif face.
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    Skin::Apply(app);
    // Qt's own dialogs and buttons in French.
    InstallQtFrenchTranslations(app);
    MainWindow window(environment);
    QObject::connect(&window, &MainWindow::terminateRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (!window.ShouldServe())
        return 0;
    window.show();
    return QApplication::exec();
}
