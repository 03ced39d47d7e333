#include "panel/MarkerButtons.h"

#include "core/ErrorGuard.h"
#include "measure/MarkerController.h"
#include "panel/PanelControls.h"

#include <QImage>
#include <QPainter>
#include <QToolButton>

namespace {

constexpr QSize GlyphSize{32, 32};
constexpr int ButtonSide = 41;
constexpr int ButtonX = 3;
constexpr int ButtonY[] = {2, 47, 92};

const char* const MarkersOnGlyph = "marqueur_on.bmp";
const char* const MarkersOffGlyph = "marqueur_off.bmp";
const char* const TimeGlyph = "time_vertical.bmp";
const char* const VoltageGlyph = "volts_horizontal.bmp";
const char* const RmsOnGlyph = "rms_on.bmp";
const char* const RmsOffGlyph = "rms_off.bmp";

// A plain glyph for a picture missing from the program's folder: the marker lines it
// stands for, or "RMS", bright when on, grey when off.
QPixmap PlainGlyph(const QString& fileName) {
    QPixmap pixmap(GlyphSize);
    const bool off = fileName.endsWith(QStringLiteral("_off.bmp"));
    pixmap.fill(off ? QColor(208, 208, 208) : QColor(24, 40, 40));
    QPainter painter(&pixmap);
    const QColor ink = off ? QColor(150, 150, 150) : QColor(255, 0, 255);
    painter.setPen(QPen(ink, 2));
    const bool vertical = fileName.startsWith(QStringLiteral("time")) ||
                          fileName.startsWith(QStringLiteral("marqueur"));
    const bool horizontal = fileName.startsWith(QStringLiteral("volts")) ||
                            fileName.startsWith(QStringLiteral("marqueur"));
    if (vertical) {
        painter.drawLine(9, 3, 9, 28);
        painter.drawLine(23, 3, 23, 28);
    }
    if (horizontal) {
        painter.drawLine(3, 9, 28, 9);
        painter.drawLine(3, 23, 28, 23);
    }
    if (fileName.startsWith(QStringLiteral("rms"))) {
        painter.setPen(off ? ink : QColor(80, 220, 120));
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(11);
        painter.setFont(font);
        painter.drawText(QRect(QPoint(0, 0), GlyphSize), Qt::AlignCenter, QStringLiteral("RMS"));
    }
    return pixmap;
}

} // namespace

MarkerButtons::MarkerButtons(QWidget* parent, MarkerController& owner, const QString& folder)
    : QWidget(parent), markers(owner), programFolder(folder) {
    resize(PanelSize);
    const auto make = [this](int row, const QString& hint, bool toggle) {
        QToolButton* button = PanelControls::MakeButton(
            this, QRect(ButtonX, ButtonY[row], ButtonSide, ButtonSide), QString(), hint, toggle);
        button->setIconSize(GlyphSize);
        button->setAutoRaise(false);
        return button;
    };
    markersButton = make(0, QStringLiteral("ON / OFF marqueurs"), true);
    selectionButton = make(1,
                           QStringLiteral("Sélection marqueurs TIME/DIV (verticaux) ou marqueurs "
                                          "VOLTS/DIV (horizontaux)"),
                           false);
    rmsButton =
        make(2, QStringLiteral("Valeur efficace (RMS) pour un signal sinusoïdal : ON/OFF"), true);

    connect(markersButton, &QAbstractButton::clicked, this,
            GuardedSlot([this] { markers.ToggleMarkers(); }));
    connect(selectionButton, &QAbstractButton::clicked, this,
            GuardedSlot([this] { markers.ToggleSelection(); }));
    connect(rmsButton, &QAbstractButton::clicked, this,
            GuardedSlot([this] { markers.ToggleRms(); }));
    connect(&markers, &MarkerController::buttonsChanged, this, &MarkerButtons::ShowMarkers);
    ShowMarkers();
}

void MarkerButtons::ShowMarkers() {
    const MarkerState& state = markers.State();
    const bool on = state.On();
    markersButton->setChecked(on);
    ShowGlyph(markersButton, QString::fromLatin1(on ? MarkersOnGlyph : MarkersOffGlyph));
    // The two other buttons carry the glyphs of the state even while hidden: the time
    // pair and RMS off from start-up on.
    ShowGlyph(selectionButton,
              QString::fromLatin1(state.mode == MarkerMode::Voltage ? VoltageGlyph : TimeGlyph));
    rmsButton->setChecked(state.rmsShown);
    ShowGlyph(rmsButton, QString::fromLatin1(state.rmsShown ? RmsOnGlyph : RmsOffGlyph));
    selectionButton->setVisible(on);
    rmsButton->setVisible(on);
}

void MarkerButtons::ShowGlyph(QToolButton* button, const QString& fileName) {
    button->setProperty("glyph", fileName);
    const QImage picture(programFolder + fileName);
    button->setIcon(
        QIcon(picture.isNull() ? PlainGlyph(fileName) : PanelControls::TransparentPixmap(picture)));
}

QString MarkerButtons::GlyphOf(const QToolButton* button) {
    return button ? button->property("glyph").toString() : QString();
}
