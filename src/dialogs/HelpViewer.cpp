#include "dialogs/HelpViewer.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpViewer::HelpViewer(const QString& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), programFolder(programFolder) {
    setWindowTitle(QStringLiteral("Aide"));
    resize(620, 560);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    browser = new QTextBrowser(this);
    browser->setOpenLinks(true);
    browser->setOpenExternalLinks(false);
    layout->addWidget(browser);
}

void HelpViewer::ShowHelpTopic(const QString& wanted) {
    topic = wanted;
    if (!placed) { // centred on the desktop the first time it is shown
        placed = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    show();
    raise();
    activateWindow();
    const QString path = programFolder + QString::fromLatin1(FileName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        browser->setHtml(QStringLiteral("<h3>Aide indisponible</h3><p>Le fichier d'aide « %1 » est "
                                        "introuvable.</p>")
                             .arg(path.toHtmlEscaped()));
        return;
    }
    const QString html = QString::fromUtf8(file.readAll());
    if (!html.contains(QStringLiteral("name=\"%1\"").arg(wanted))) {
        browser->setHtml(QStringLiteral("<p><b>La rubrique « %1 » n'existe pas dans le fichier "
                                        "d'aide.</b></p><hr>")
                             .arg(wanted.toHtmlEscaped()) +
                         html);
        return;
    }
    browser->setHtml(html);
    browser->scrollToAnchor(wanted);
}
