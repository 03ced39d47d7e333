#include "dialogs/HelpViewer.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <array>

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

std::optional<QRect> HelpViewer::PlaceBeside(const QRect& help, const QRect& asking,
                                             const QRect& screen) {
    struct Side {
        int room;
        bool horizontal; // left or right of the window
        bool after;      // right or below
    };
    std::array<Side, 4> sides{{
        {screen.right() - asking.right(), true, true},
        {asking.left() - screen.left(), true, false},
        {screen.bottom() - asking.bottom(), false, true},
        {asking.top() - screen.top(), false, false},
    }};
    std::stable_sort(sides.begin(), sides.end(),
                     [](const Side& a, const Side& b) { return a.room > b.room; });
    const auto within = [](int value, int low, int high) {
        return std::max(low, std::min(value, high));
    };
    for (const Side& side : sides) {
        QSize size(std::min(help.width(), screen.width()),
                   std::min(help.height(), screen.height()));
        if (side.horizontal) {
            size.setWidth(std::min(size.width(), side.room));
            if (size.width() < std::min(MinimumSize.width(), help.width()))
                continue;
            const int x = side.after ? asking.right() + 1 : asking.left() - size.width();
            const int y = within(asking.center().y() - size.height() / 2, screen.top(),
                                 screen.bottom() + 1 - size.height());
            return QRect(QPoint(x, y), size);
        }
        size.setHeight(std::min(size.height(), side.room));
        if (size.height() < std::min(MinimumSize.height(), help.height()))
            continue;
        const int x = within(asking.center().x() - size.width() / 2, screen.left(),
                             screen.right() + 1 - size.width());
        const int y = side.after ? asking.bottom() + 1 : asking.top() - size.height();
        return QRect(QPoint(x, y), size);
    }
    return std::nullopt;
}

void HelpViewer::ShowHelpTopic(const QString& wanted, QWidget* asking) {
    topic = wanted;
    if (!placed) { // centred on the desktop the first time it is shown
        placed = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QWidget* over = asking ? asking->window() : nullptr;
    if (!windowHandle())
        create();
    // The help belongs to the window that asked until that window is left: the window
    // manager keeps it above that window, and a modal window does not block it.
    disconnect(askingLeft);
    windowHandle()->setTransientParent(over ? over->windowHandle() : nullptr);
    if (over && over->windowHandle())
        askingLeft = connect(over->windowHandle(), &QWindow::visibleChanged, this,
                             [this, handle = over->windowHandle()](bool visible) {
                                 if (!visible && windowHandle() &&
                                     windowHandle()->transientParent() == handle)
                                     windowHandle()->setTransientParent(nullptr);
                             });
    // Beside the window that asked when that window would hide the help's middle.
    if (over && over->isVisible() && over->frameGeometry().contains(frameGeometry().center())) {
        const QScreen* screen = over->screen();
        const QRect area = screen ? screen->availableGeometry() : QRect();
        const QRect frame = frameGeometry();
        if (const std::optional<QRect> beside = PlaceBeside(frame, over->frameGeometry(), area)) {
            // The frame around the help's contents keeps its thickness.
            resize(size() + beside->size() - frame.size());
            move(beside->topLeft());
        }
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
