#pragma once

#include "output/PrintWindowHooks.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QScrollArea;
class QSlider;

// "Aperçu avant impression": the screen picture on a page at one tenth of its printed
// size, its height and width set apart (factors 1 to 10), a title under it. Modal.
class PrintPreviewWindow : public QDialog {
    Q_OBJECT
public:
    PrintPreviewWindow(QPrinter& printer, std::function<QImage()> screenImage, PrintHooks hooks,
                       QWidget* parent = nullptr);

    // Empties the title, lays the window out and waits until it is left.
    int Open();
    // Sizes the page image to the printer's page and puts both factors back to 7.
    void Layout();
    // Draws the page image with the factors and the title as typed now. "Ajouter", the track
    // bars and "Configuration" redraw it; typing alone does not, so a title shows once one
    // of them has been used.
    void DrawPreview();
    // Prints the picture and the title as typed; leaves the window when done. A failure is
    // reported and the window stays open.
    bool Print();
    void Configure();

    int HeightFactor() const;
    int WidthFactor() const;
    const QImage& PageImage() const { return page; }
    QPoint PagePosition() const;
    QSlider* HeightBar() const { return heightBar; }
    QSlider* WidthBar() const { return widthBar; }
    QLineEdit* TitleEdit() const { return titleEdit; }
    QLabel* OversizeWarning() const { return oversize; }
    QScrollArea* Area() const { return area; }

private:
    void ShowOversize();

    QPrinter& printer;
    std::function<QImage()> screenImage;
    PrintHooks hooks;
    QImage picture;
    QImage page;
    QSlider* heightBar = nullptr;
    QSlider* widthBar = nullptr;
    QLineEdit* titleEdit = nullptr;
    QScrollArea* area = nullptr;
    QLabel* pageLabel = nullptr;
    QLabel* oversize = nullptr;
};
