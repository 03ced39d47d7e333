#pragma once

#include "screen/Dial.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

// The image control of a knob: shows the knob picture stretched to the control, with the
// colour of the picture's bottom-left pixel transparent so that the panel shows through.
class DialView : public QWidget {
    Q_OBJECT
public:
    DialView(QWidget* parent, DialKind kind, const QImage& knobPicture);

    // DrawDial on this knob's picture, then shows it.
    void Draw(int angle, const QColor& pointerColour);

    DialKind Kind() const { return kind; }
    int Angle() const { return angle; }
    const QImage& Picture() const { return picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void RefreshPixmap();

    DialKind kind;
    QImage picture;
    QPixmap shown;
    int angle = 0;
};
