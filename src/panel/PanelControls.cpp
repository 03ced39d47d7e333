#include "panel/PanelControls.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QToolButton>

namespace PanelControls {

QColor Black() {
    return {0, 0, 0};
}

QColor Purple() {
    return {128, 0, 128};
}

void SetHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}

QToolButton* MakeButton(QWidget* parent, const QRect& geometry, const QString& caption,
                        const QString& hint, bool checkable) {
    auto* button = new QToolButton(parent);
    button->setGeometry(geometry);
    button->setText(caption);
    button->setAutoRaise(!checkable);
    button->setCheckable(checkable);
    button->setFocusPolicy(Qt::NoFocus);
    SetHint(button, hint);
    return button;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    // Disabled controls keep the style's greyed text.
    QPalette palette = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::ButtonText, colour);
        palette.setColor(group, QPalette::WindowText, colour);
    }
    widget->setPalette(palette);
}

void SetBold(QWidget* widget, int pointSizeDelta) {
    QFont font = widget->font();
    font.setBold(true);
    if (pointSizeDelta != 0 && font.pointSize() > 0)
        font.setPointSize(font.pointSize() + pointSizeDelta);
    widget->setFont(font);
}

QLabel* MakeLabel(QWidget* parent, QPoint position, const QString& text, const QColor& colour) {
    auto* label = new QLabel(parent);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->move(position);
    SetTextColour(label, colour);
    SetLabelText(label, text);
    return label;
}

void SetLabelText(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

QPixmap TransparentPixmap(const QImage& picture) {
    if (picture.isNull())
        return {};
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == transparent)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return QPixmap::fromImage(image);
}

QFrame* MakeBorderedPanel(QWidget* parent, const QRect& geometry) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(geometry);
    return panel;
}

} // namespace PanelControls
