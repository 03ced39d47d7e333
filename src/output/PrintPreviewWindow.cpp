#include "output/PrintPreviewWindow.h"

#include "core/ErrorGuard.h"
#include "output/PrintLayout.h"
#include "output/PrinterSetupDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>
#include <stdexcept>

PrintJob PrepareJob(QPrinter& printer, const PrintHooks& hooks) {
    if (!printer.outputFileName().isEmpty())
        return {&printer, nullptr};
    const bool available = hooks.printersAvailable
                               ? hooks.printersAvailable()
                               : !QPrinterInfo::availablePrinterNames().isEmpty();
    if (available) {
        // Qt makes a printer created while none is installed a PDF printer; it goes to the
        // default printer now.
        if (printer.outputFormat() != QPrinter::NativeFormat)
            printer.setOutputFormat(QPrinter::NativeFormat);
        return {&printer, nullptr};
    }
    const std::optional<QString> path = hooks.choosePdf ? hooks.choosePdf() : std::nullopt;
    if (!path)
        return {};
    auto pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
    pdf->setOutputFormat(QPrinter::PdfFormat);
    pdf->setResolution(printer.resolution());
    pdf->setPageLayout(printer.pageLayout());
    pdf->setDocName(printer.docName());
    pdf->setOutputFileName(*path);
    QPrinter* device = pdf.get();
    return {device, std::move(pdf)};
}

namespace {

QSlider* FactorBar(const QString& hint, QWidget* parent) {
    auto* bar = new QSlider(Qt::Vertical, parent);
    bar->setRange(PrintLayout::MinFactor, PrintLayout::MaxFactor);
    bar->setInvertedAppearance(true);
    bar->setTickPosition(QSlider::TicksBothSides);
    bar->setPageStep(1);
    bar->setToolTip(hint);
    return bar;
}

} // namespace

PrintPreviewWindow::PrintPreviewWindow(QPrinter& printer, std::function<QImage()> screenImage,
                                       PrintHooks hooks, QWidget* parent)
    : QDialog(parent), printer(printer), screenImage(std::move(screenImage)),
      hooks(std::move(hooks)) {
    setWindowTitle(QStringLiteral("Aperçu avant impression"));
    // Modal over the main window only: the help it opens takes the mouse and the keys.
    setWindowModality(Qt::WindowModal);

    auto* grid = new QGridLayout(this);
    auto* left = new QVBoxLayout;
    QPushButton* print = PrintWindowButton(QStringLiteral("Imprimer"),
                                           QStringLiteral("Lancer l'impression..."), this);
    auto* ratio = new QGroupBox(QStringLiteral(" Rapport H/L : "), this);
    auto* ratioLayout = new QGridLayout(ratio);
    heightBar = FactorBar(QStringLiteral("Modification de la hauteur du graticule"), ratio);
    widthBar = FactorBar(QStringLiteral("Modification de la largeur du graticule"), ratio);
    ratioLayout->addWidget(new QLabel(QStringLiteral("Hauteur"), ratio), 0, 0, Qt::AlignHCenter);
    ratioLayout->addWidget(new QLabel(QStringLiteral("Largeur"), ratio), 0, 1, Qt::AlignHCenter);
    ratioLayout->addWidget(heightBar, 1, 0, Qt::AlignHCenter);
    ratioLayout->addWidget(widthBar, 1, 1, Qt::AlignHCenter);
    QPushButton* configure = PrintWindowButton(QStringLiteral("Configuration"),
                                               QStringLiteral("Configurer l'imprimante..."), this);
    QPushButton* leave =
        PrintWindowButton(QStringLiteral("Sortir aperçu"),
                          QStringLiteral("Revenir à la fenêtre principale..."), this);
    QPushButton* help = PrintWindowButton(QStringLiteral("Aide"),
                                          QStringLiteral("Appel au fichier d'aide..."), this);
    left->addWidget(print);
    left->addWidget(ratio, 1);
    left->addWidget(configure);
    left->addWidget(leave);
    left->addWidget(help);

    area = new QScrollArea(this);
    area->setAlignment(Qt::AlignCenter);
    QPalette grey = area->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    area->setPalette(grey);
    area->setBackgroundRole(QPalette::Window);
    pageLabel = new QLabel;
    area->setWidget(pageLabel);

    auto* bottom = new QHBoxLayout;
    auto* caption = new QLabel(
        QStringLiteral("Ajouter un titre à votre oscillogramme avant l'impression :"), this);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    titleEdit = new QLineEdit(this);
    QPushButton* add =
        PrintWindowButton(QStringLiteral("Ajouter"),
                          QStringLiteral("Inclure le titre sous l'oscillogramme..."), this);
    bottom->addWidget(caption);
    bottom->addWidget(titleEdit, 1);
    bottom->addWidget(add);

    oversize = new QLabel(this);
    oversize->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    oversize->hide();

    grid->addLayout(left, 0, 0);
    grid->addWidget(area, 0, 1);
    grid->addWidget(oversize, 1, 0, 1, 2);
    grid->addLayout(bottom, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);

    connect(heightBar, &QSlider::valueChanged, this, [this] { Guarded([&] { DrawPreview(); }); });
    connect(widthBar, &QSlider::valueChanged, this, [this] { Guarded([&] { DrawPreview(); }); });
    connect(add, &QPushButton::clicked, this, [this] { Guarded([&] { DrawPreview(); }); });
    connect(print, &QPushButton::clicked, this, [this] { Guarded([&] { Print(); }); });
    connect(configure, &QPushButton::clicked, this, [this] { Guarded([&] { Configure(); }); });
    connect(leave, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        Guarded([&] {
            if (this->hooks.help)
                this->hooks.help(PrintHelpTopic, this);
        });
    });
}

int PrintPreviewWindow::HeightFactor() const {
    return heightBar->value();
}

int PrintPreviewWindow::WidthFactor() const {
    return widthBar->value();
}

int PrintPreviewWindow::Open() {
    titleEdit->clear();
    setWindowState(windowState() | Qt::WindowMaximized);
    // Without a window manager the state alone does not size the window.
    if (const QScreen* screen = this->screen())
        setGeometry(screen->availableGeometry());
    Layout();
    return exec();
}

void PrintPreviewWindow::Layout() {
    // The picture as it is now: what the preview shows is what gets printed, even if the
    // screen is redrawn behind the window.
    picture = screenImage ? screenImage() : QImage();
    const QSize paper = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    page = QImage(std::max(1, paper.width() / 10), std::max(1, paper.height() / 10),
                  QImage::Format_RGB32);
    pageLabel->resize(page.size());
    // The bars move together without drawing twice; the preview is drawn once below.
    {
        const QSignalBlocker h(heightBar), w(widthBar);
        heightBar->setValue(PrintLayout::DefaultFactor);
        widthBar->setValue(PrintLayout::DefaultFactor);
    }
    DrawPreview();
}

QPoint PrintPreviewWindow::PagePosition() const {
    return pageLabel->pos();
}

void PrintPreviewWindow::DrawPreview() {
    PrintLayout::DrawPreview(page, picture, HeightFactor(), WidthFactor(), titleEdit->text());
    pageLabel->setPixmap(QPixmap::fromImage(page));
    ShowOversize();
}

void PrintPreviewWindow::ShowOversize() {
    const QRect paper(QPoint(0, 0),
                      printer.pageLayout().paintRectPixels(printer.resolution()).size());
    const QRect picture = PrintLayout::PrintedPictureRect(HeightFactor(), WidthFactor());
    const bool fits = paper.contains(picture);
    oversize->setText(fits ? QString()
                           : QStringLiteral("L'oscillogramme est plus grand que la zone imprimable "
                                            "de la page : ce qui dépasse ne sera pas imprimé."));
    oversize->setVisible(!fits);
}

void PrintPreviewWindow::Configure() {
    if (hooks.pageSetup)
        hooks.pageSetup(printer, this);
    Layout();
}

bool PrintPreviewWindow::Print() {
    const PrintJob job = PrepareJob(printer, hooks);
    if (!job.device)
        return false;
    QPainter painter;
    if (!painter.begin(job.device))
        throw std::runtime_error(
            "L'impression n'a pas pu commencer : l'imprimante ou le fichier n'est pas "
            "disponible.");
    PrintLayout::DrawPrintedPage(painter, picture, HeightFactor(), WidthFactor(),
                                 titleEdit->text());
    if (!painter.end())
        throw std::runtime_error("L'impression n'a pas pu être terminée.");
    accept();
    return true;
}
