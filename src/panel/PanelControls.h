#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

class QFrame;
class QImage;
class QPixmap;
class QLabel;
class QToolButton;
class QWidget;

// Small builders shared by the front-panel groups. Every control's hint is both its
// tooltip and its status tip: the main window shows status tips in the first panel of
// its status bar as the mouse passes over a control.
namespace PanelControls {

QColor Black();
QColor Purple(); // the colour of the microsecond and millivolt ranges

void SetHint(QWidget* widget, const QString& hint);

// A flat button at a fixed place. Checkable buttons get a down state.
QToolButton* MakeButton(QWidget* parent, const QRect& geometry, const QString& caption,
                        const QString& hint, bool checkable = false);
void SetTextColour(QWidget* widget, const QColor& colour);
void SetBold(QWidget* widget, int pointSizeDelta = 0);

// A label that sizes itself to its text and lets clicks through to the controls under it.
QLabel* MakeLabel(QWidget* parent, QPoint position, const QString& text,
                  const QColor& colour = Black());
void SetLabelText(QLabel* label, const QString& text);

// A picture shown transparent: the colour of its bottom-left pixel lets the panel show
// through wherever it occurs.
QPixmap TransparentPixmap(const QImage& picture);

// A panel with a sunken border, like the dial panels.
QFrame* MakeBorderedPanel(QWidget* parent, const QRect& geometry);

} // namespace PanelControls
