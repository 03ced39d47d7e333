#include "output/SpectrumPrintWindow.h"

#include "core/ErrorGuard.h"
#include "output/PrinterSetupDialog.h"

#include <QGroupBox>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>

namespace {

// Gives the printer back its orientation, however the printing ends.
struct OrientationKeeper {
    QPrinter& printer;
    QPageLayout::Orientation kept;
    ~OrientationKeeper() { printer.setPageOrientation(kept); }
};

} // namespace

SpectrumPrintWindow::SpectrumPrintWindow(QPrinter& printer,
                                         std::function<void(QPainter&, const QRectF&)> renderChart,
                                         PrintHooks hooks, QWidget* parent)
    : QDialog(parent), printer(printer), renderChart(std::move(renderChart)),
      hooks(std::move(hooks)) {
    setWindowTitle(QStringLiteral("Impression du spectre"));
    // Modal over the main window only: the help it opens takes the mouse and the keys.
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral(" Choix du type d'impression : "), this);
    auto* groupLayout = new QVBoxLayout(group);
    QPushButton* landscape =
        PrintWindowButton(QStringLiteral("Impression du spectre en mode &paysage"),
                          QStringLiteral("Lancer l'impression au format paysage..."), group);
    QPushButton* portrait =
        PrintWindowButton(QStringLiteral("Impression du spectre en mode por&trait"),
                          QStringLiteral("Lancer l'impression au format portrait..."), group);
    groupLayout->addWidget(landscape);
    groupLayout->addWidget(portrait);
    QPushButton* configure = PrintWindowButton(QStringLiteral("&Configuration"),
                                               QStringLiteral("Configurer l'imprimante..."), this);
    QPushButton* help = PrintWindowButton(QStringLiteral("&Aide"),
                                          QStringLiteral("Appel au fichier d'aide..."), this);
    QPushButton* leave = PrintWindowButton(
        QStringLiteral("&Sortir"), QStringLiteral("Revenir à la fenêtre principale..."), this);
    layout->addWidget(group);
    layout->addWidget(configure);
    layout->addWidget(help);
    layout->addWidget(leave);

    connect(landscape, &QPushButton::clicked, this,
            [this] { Guarded([&] { Print(QPageLayout::Landscape); }); });
    connect(portrait, &QPushButton::clicked, this,
            [this] { Guarded([&] { Print(QPageLayout::Portrait); }); });
    connect(configure, &QPushButton::clicked, this, [this] {
        Guarded([&] {
            if (this->hooks.pageSetup)
                this->hooks.pageSetup(this->printer, this);
        });
    });
    connect(help, &QPushButton::clicked, this, [this] {
        Guarded([&] {
            if (this->hooks.help)
                this->hooks.help(PrintHelpTopic, this);
        });
    });
    connect(leave, &QPushButton::clicked, this, &QDialog::reject);
}

bool SpectrumPrintWindow::Print(QPageLayout::Orientation orientation) {
    {
        OrientationKeeper keeper{printer, printer.pageLayout().orientation()};
        printer.setPageOrientation(orientation);
        const PrintJob job = PrepareJob(printer, hooks);
        if (!job.device)
            return false;
        QPainter painter;
        if (!painter.begin(job.device))
            throw std::runtime_error(
                "L'impression n'a pas pu commencer : l'imprimante ou le fichier n'est pas "
                "disponible.");
        const QRect pageRect(
            QPoint(0, 0),
            job.device->pageLayout().paintRectPixels(job.device->resolution()).size());
        if (renderChart)
            renderChart(painter, QRectF(pageRect));
        if (!painter.end())
            throw std::runtime_error("L'impression n'a pas pu être terminée.");
    }
    accept();
    return true;
}
