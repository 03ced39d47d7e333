#pragma once

#include "output/PrintWindowHooks.h"

#include <QDialog>
#include <QPageLayout>

class QPainter;
class QPrinter;
class QRectF;

// "Impression du spectre": the chart printed on one page, in landscape or portrait; the
// printer keeps its own orientation afterwards. Modal.
class SpectrumPrintWindow : public QDialog {
    Q_OBJECT
public:
    // `renderChart` draws the chart into a rectangle of the page.
    SpectrumPrintWindow(QPrinter& printer,
                        std::function<void(QPainter& painter, const QRectF& target)> renderChart,
                        PrintHooks hooks, QWidget* parent = nullptr);

    int Open() { return exec(); }
    // Prints in the orientation and leaves the window; a failure is reported and the
    // window stays open.
    bool Print(QPageLayout::Orientation orientation);

private:
    QPrinter& printer;
    std::function<void(QPainter&, const QRectF&)> renderChart;
    PrintHooks hooks;
};
