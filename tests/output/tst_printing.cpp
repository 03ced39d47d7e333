// The print preview and printing: the rectangles of the picture and the title, the
// window's factors and title, and a page printed to PDF, rendered and looked at.

#include "output/PrintLayout.h"
#include "output/PrintPreviewWindow.h"
#include "output/SpectrumPrintWindow.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A screen whose background (bottom-left pixel) is yellow, with a red block and a blue
// block; the yellow must never reach the paper.
QImage Screen() {
    QImage image(640, 320, QImage::Format_RGB32);
    image.fill(QColor(255, 255, 0));
    QPainter p(&image);
    p.fillRect(0, 0, 320, 160, QColor(255, 0, 0));
    p.fillRect(480, 240, 160, 80, QColor(0, 0, 255));
    return image;
}

// A US Letter page (8.5 x 11 in) with half-inch margins: a printable area of 7.5 x 10 in,
// 9000 x 12000 printer pixels at 1200 dpi, from (600, 600) on the sheet.
void UseLetterPage(QPrinter& printer) {
    printer.setResolution(1200);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                      QMarginsF(36, 36, 36, 36), QPageLayout::Point));
}

// The first page of a PDF as an image, at `dpi`. The set-up installs pdftoppm
// (poppler-utils); a null image when it is missing or fails.
QImage RenderPdf(const QString& pdf, int dpi) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (tool.isEmpty())
        return {};
    const QString out = pdf + QStringLiteral("-page");
    QProcess::execute(tool, {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                             QStringLiteral("-singlefile"), pdf, out});
    return QImage(out + QStringLiteral(".png"));
}

// Colours of a rendered page, within what the renderer's colour handling changes.
bool Near(QRgb pixel, QColor expected) {
    const QColor c(pixel);
    return std::abs(c.red() - expected.red()) < 24 && std::abs(c.green() - expected.green()) < 24 &&
           std::abs(c.blue() - expected.blue()) < 24;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void rectangles_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("width");
        QTest::addColumn<QRect>("preview");
        QTest::addColumn<QRect>("printed");
        QTest::addColumn<QPoint>("title");
        QTest::newRow("7 x 7") << 7 << 7 << QRect(QPoint(10, 10), QPoint(457, 233))
                               << QRect(QPoint(10, 10), QPoint(4489, 2249)) << QPoint(50, 2265);
        QTest::newRow("1 x 1") << 1 << 1 << QRect(10, 10, 64, 32) << QRect(10, 10, 640, 320)
                               << QPoint(50, 345);
        QTest::newRow("10 x 10") << 10 << 10 << QRect(10, 10, 640, 320) << QRect(10, 10, 6400, 3200)
                                 << QPoint(50, 3225);
        QTest::newRow("height 10, width 1")
            << 10 << 1 << QRect(10, 10, 64, 320) << QRect(10, 10, 640, 3200) << QPoint(50, 3225);
    }
    void rectangles() {
        QFETCH(int, height);
        QFETCH(int, width);
        QFETCH(QRect, preview);
        QFETCH(QRect, printed);
        QFETCH(QPoint, title);
        QCOMPARE(PrintLayout::PreviewPictureRect(height, width), preview);
        QCOMPARE(PrintLayout::PrintedPictureRect(height, width), printed);
        QCOMPARE(PrintLayout::PrintedTitlePoint(height), title);
    }

    // The background colour is left out wherever it is; the rest keeps its colour.
    void backgroundIsTransparent() {
        const QImage image = PrintLayout::WithoutBackground(Screen());
        QCOMPARE(qAlpha(image.pixel(639, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(0, 319)), 0);
        QCOMPARE(image.pixel(10, 10), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(600, 300), qRgb(0, 0, 255));
    }

    // The page image: the picture at its place, yellow nowhere, white around it.
    void previewPage() {
        QImage page(800, 1100, QImage::Format_RGB32);
        PrintLayout::DrawPreview(page, Screen(), 7, 7, QString());
        QCOMPARE(page.pixel(10, 10), qRgb(255, 0, 0));
        QCOMPARE(page.pixel(233, 121), qRgb(255, 0, 0)); // last red pixel: 10 + 224 - 1
        QCOMPARE(page.pixel(234, 10), qRgb(255, 255, 255));
        QCOMPARE(page.pixel(457, 233), qRgb(0, 0, 255));
        QCOMPARE(page.pixel(458, 233), qRgb(255, 255, 255));
        QCOMPARE(page.pixel(457, 234), qRgb(255, 255, 255));
        for (int y = 0; y < page.height(); y += 3)
            for (int x = 0; x < page.width(); x += 3)
                QVERIFY(page.pixel(x, y) != qRgb(255, 255, 0));
    }

    // The window: factors 7 and an empty title at each opening; "Configuration" keeps the
    // title and puts the factors back to 7; the title typed is printed without "Ajouter".
    void previewWindowFactorsAndTitle() {
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        UseLetterPage(printer);
        int setups = 0;
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        PrintHooks hooks;
        hooks.pageSetup = [&](QPrinter&, QWidget*) {
            ++setups;
            return true;
        };
        hooks.printersAvailable = [] { return false; };
        hooks.choosePdf = [&] { return std::optional<QString>(pdf); };
        PrintPreviewWindow window(printer, Screen, hooks);
        window.Layout();
        QCOMPARE(window.HeightFactor(), 7);
        QCOMPARE(window.WidthFactor(), 7);
        QCOMPARE(window.PageImage().size(), QSize(900, 1200));
        QVERIFY(!window.OversizeWarning()->isVisibleTo(&window));

        window.HeightBar()->setValue(10);
        window.WidthBar()->setValue(2);
        // A picture 128 x 320: the red quarter is 64 x 160, the blue block ends the picture.
        QCOMPARE(window.PageImage().pixel(10 + 64 - 1, 10 + 160 - 1), qRgb(255, 0, 0));
        QCOMPARE(window.PageImage().pixel(10 + 64, 10), qRgb(255, 255, 255));
        QCOMPARE(window.PageImage().pixel(10 + 128 - 1, 10 + 320 - 1), qRgb(0, 0, 255));
        QCOMPARE(window.PageImage().pixel(10 + 128, 10 + 320 - 1), qRgb(255, 255, 255));
        window.TitleEdit()->setText(QStringLiteral("Essai"));
        for (QPushButton* b : window.findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("Configuration"))
                b->click();
        QCOMPARE(setups, 1);
        QCOMPARE(window.HeightFactor(), 7);
        QCOMPARE(window.WidthFactor(), 7);
        QCOMPARE(window.TitleEdit()->text(), QStringLiteral("Essai"));

        QVERIFY(window.Print());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(QFile::exists(pdf));
        const QImage rendered = RenderPdf(pdf, 60); // 1200 dpi / 20
        if (rendered.isNull())
            QFAIL("The printed page could not be rendered: pdftoppm (poppler-utils) is missing "
                  "or failed.");
        QCOMPARE(rendered.size(), QSize(510, 660)); // 8.5 x 11 in at 60 dpi
        // Picture: 4480 x 2240 printer pixels from (10, 10) of the printable area: 224 x 112
        // at 60 dpi, after the half-inch margin (30 pixels).
        const auto at = [&](int x, int y) { return rendered.pixel(30 + x, 30 + y); };
        QVERIFY(Near(at(50, 30), Qt::red));
        QVERIFY(Near(at(220, 108), Qt::blue));
        QVERIFY(Near(at(228, 108), Qt::white)); // right of the picture
        QVERIFY(Near(at(220, 116), Qt::white)); // under it
        // Where the screen is yellow the page stays white.
        QVERIFY(Near(at(200, 20), Qt::white));
        QVERIFY(Near(at(50, 100), Qt::white));
        for (int y = 0; y < rendered.height(); y += 2)
            for (int x = 0; x < rendered.width(); x += 2) {
                const QColor c(rendered.pixel(x, y));
                QVERIFY2(!(c.red() > 200 && c.green() > 200 && c.blue() < 100),
                         qPrintable(QStringLiteral("yellow at %1,%2").arg(x).arg(y)));
            }
        // The title under the picture, typed without "Ajouter": dark pixels near y = 2265 / 20.
        bool ink = false;
        for (int y = 113; y < 135 && !ink; ++y)
            for (int x = 2; x < 60 && !ink; ++x)
                ink = QColor(at(x, y)).lightness() < 128;
        QVERIFY(ink);
    }

    // The preview is redrawn, with the title as typed, by "Ajouter", by either track bar
    // and by "Configuration" (which puts the factors back to 7); typing alone redraws
    // nothing.
    void previewShowsTheTitleWhenRedrawn_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("heightFactor"); // after the action
        QTest::addColumn<bool>("shown");
        QTest::newRow("typed only") << "" << 7 << false;
        QTest::newRow("Ajouter") << "Ajouter" << 7 << true;
        QTest::newRow("Hauteur") << "Hauteur" << 4 << true;
        QTest::newRow("Largeur") << "Largeur" << 7 << true;
        QTest::newRow("Configuration") << "Configuration" << 7 << true;
    }
    void previewShowsTheTitleWhenRedrawn() {
        QFETCH(QString, action);
        QFETCH(int, heightFactor);
        QFETCH(bool, shown);
        QPrinter printer(QPrinter::HighResolution);
        UseLetterPage(printer);
        PrintHooks hooks;
        hooks.pageSetup = [](QPrinter&, QWidget*) { return true; };
        PrintPreviewWindow window(printer, Screen, hooks);
        window.Layout();
        window.TitleEdit()->setText(QStringLiteral("Essai du titre"));
        if (action == QStringLiteral("Hauteur"))
            window.HeightBar()->setValue(4);
        else if (action == QStringLiteral("Largeur"))
            window.WidthBar()->setValue(3);
        else if (!action.isEmpty())
            for (QPushButton* b : window.findChildren<QPushButton*>())
                if (b->text() == action)
                    b->click();
        QCOMPARE(window.HeightFactor(), heightFactor);
        // The title's line starts at x = 22, 5 pixels under the picture, whose bottom is
        // 10 + 32 x the height factor; the page is white there without a title.
        const int top = 10 + 32 * heightFactor + 5;
        int ink = 0;
        for (int y = top; y < top + 20; ++y)
            for (int x = 22; x < 300; ++x)
                ink += QColor(window.PageImage().pixel(x, y)).lightness() < 128;
        QCOMPARE(ink > 0, shown);
    }

    // The picture is taken when the window is laid out: a redraw of the screen behind the
    // window changes neither the preview nor the print.
    void pictureTakenAtLayout() {
        QPrinter printer(QPrinter::HighResolution);
        QColor colour(255, 0, 0);
        PrintPreviewWindow window(
            printer,
            [&] {
                QImage image = Screen();
                image.setPixel(0, 0, colour.rgb());
                QPainter(&image).fillRect(0, 0, 320, 160, colour);
                return image;
            },
            PrintHooks{});
        window.Layout();
        colour = QColor(0, 255, 0);
        window.HeightBar()->setValue(8);
        QCOMPARE(window.PageImage().pixel(20, 20), qRgb(255, 0, 0));
        window.Layout();
        QCOMPARE(window.PageImage().pixel(20, 20), qRgb(0, 255, 0));
    }

    // A picture larger than the printable area is announced in the preview.
    void oversizeIsAnnounced() {
        QPrinter printer(QPrinter::HighResolution);
        UseLetterPage(printer); // 9000 x 12000 printer pixels
        PrintPreviewWindow window(printer, Screen, PrintHooks{});
        window.Layout();
        window.WidthBar()->setValue(10);
        window.HeightBar()->setValue(10); // 6400 x 3200 from (10, 10): inside
        QVERIFY(!window.OversizeWarning()->isVisibleTo(&window));
        printer.setResolution(600); // 4500 x 6000: 6410 is too wide
        window.Layout();
        window.WidthBar()->setValue(10);
        QVERIFY(window.OversizeWarning()->isVisibleTo(&window));
        window.WidthBar()->setValue(1);
        QVERIFY(!window.OversizeWarning()->isVisibleTo(&window));
    }

    // The user gives up the PDF: nothing printed, the window stays open.
    void noFileNoPrint() {
        QPrinter printer(QPrinter::HighResolution);
        PrintHooks hooks;
        hooks.printersAvailable = [] { return false; };
        hooks.choosePdf = [] { return std::optional<QString>(); };
        PrintPreviewWindow window(printer, Screen, hooks);
        window.Layout();
        QVERIFY(!window.Print());
        QCOMPARE(window.result(), 0);
    }

    // A page that went to a PDF file for want of a printer leaves the shared printer as it
    // was: once a printer is installed, the next page is for it, and the file is neither
    // asked for nor written again.
    void pdfFallbackLeavesThePrinterAlone_data() {
        QTest::addColumn<bool>("spectrum");
        QTest::newRow("preview") << false;
        QTest::newRow("spectrum") << true;
    }
    void pdfFallbackLeavesThePrinterAlone() {
        QFETCH(bool, spectrum);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        UseLetterPage(printer);
        bool installed = false;
        int asked = 0;
        PrintHooks hooks;
        hooks.printersAvailable = [&] { return installed; };
        hooks.choosePdf = [&] {
            ++asked;
            return std::optional<QString>(pdf);
        };
        PrintPreviewWindow preview(printer, Screen, hooks);
        SpectrumPrintWindow spectrumWindow(
            printer, [](QPainter& p, const QRectF& r) { p.fillRect(r, Qt::blue); }, hooks);
        const auto print = [&] {
            if (spectrum)
                return spectrumWindow.Print(QPageLayout::Landscape);
            preview.Layout();
            return preview.Print();
        };
        QVERIFY(print());
        QCOMPARE(asked, 1);
        QVERIFY(QFile::exists(pdf));
        QVERIFY(QFile::remove(pdf));

        installed = true;
        try {
            print(); // this machine has no printer: the job may fail to start
        } catch (const std::runtime_error&) {
        }
        QCOMPARE(asked, 1);
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(printer.outputFileName().isEmpty());
        // The printer kept its page for the printer set-up and the preview.
        QCOMPARE(printer.pageLayout().paintRectPixels(printer.resolution()).size(),
                 QSize(9000, 12000));
    }

    // The spectrum in landscape: one page, wider than high, the printer's orientation
    // given back afterwards.
    void spectrumLandscapeKeepsOrientation() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("spectre.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageOrientation(QPageLayout::Portrait);
        QRectF target;
        PrintHooks hooks;
        hooks.printersAvailable = [] { return false; };
        hooks.choosePdf = [&] { return std::optional<QString>(pdf); };
        SpectrumPrintWindow window(
            printer,
            [&](QPainter& p, const QRectF& r) {
                target = r;
                p.fillRect(r.adjusted(0, 0, -r.width() / 2, -r.height() / 2), Qt::blue);
            },
            hooks);
        QVERIFY(window.Print(QPageLayout::Landscape));
        QVERIFY(target.width() > target.height());
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
        const QImage rendered = RenderPdf(pdf, 20);
        if (rendered.isNull())
            QFAIL("The printed page could not be rendered: pdftoppm (poppler-utils) is missing "
                  "or failed.");
        QVERIFY(rendered.width() > rendered.height());
        QVERIFY(Near(rendered.pixel(rendered.width() / 4, rendered.height() / 4), Qt::blue));
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
