#include "panel/SpectrumButtons.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

namespace {

// The weighting button's face: a bell-shaped window over its base line.
QIcon WindowChoiceIcon() {
    QPixmap face(32, 32);
    face.fill(Qt::transparent);
    QPainter painter(&face);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath bell;
    bell.moveTo(3, 26);
    bell.cubicTo(11, 26, 11, 5, 16, 5);
    bell.cubicTo(21, 5, 21, 26, 29, 26);
    painter.setPen(QPen(QColor(0, 0, 160), 2));
    painter.setBrush(QColor(190, 210, 255));
    painter.drawPath(bell);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(2, 27, 30, 27);
    return QIcon(face);
}

} // namespace

SpectrumButtons::SpectrumButtons(QWidget* centreColumn, const QString& folder)
    : QWidget(centreColumn), programFolder(folder) {
    setGeometry(Area);

    spectrumSwitch = new QToolButton(this);
    spectrumSwitch->setCheckable(true);
    spectrumSwitch->setIconSize(QSize(32, 32));
    spectrumSwitch->setGeometry(4, 10, 39, 39);
    spectrumSwitch->setToolTip(QStringLiteral("ON / OFF Analyseur de spectre"));
    spectrumSwitch->setCursor(Qt::PointingHandCursor);
    connect(spectrumSwitch, &QToolButton::clicked, this, &SpectrumButtons::switched);

    windowChoice = new QToolButton(this);
    windowChoice->setIcon(WindowChoiceIcon());
    windowChoice->setIconSize(QSize(32, 32));
    windowChoice->setGeometry(4, 60, 39, 39);
    windowChoice->setToolTip(QStringLiteral("Choix du type de fenêtres de pondération"));
    windowChoice->setCursor(Qt::PointingHandCursor);
    windowChoice->hide();
    connect(windowChoice, &QToolButton::clicked, this, &SpectrumButtons::windowChoiceRequested);

    ShowSwitch(false);
}

void SpectrumButtons::ShowSwitch(bool on) {
    spectrumSwitch->setChecked(on);
    glyphPath = programFolder + QString::fromLatin1(on ? OnGlyph : OffGlyph);
    spectrumSwitch->setIcon(QIcon(QPixmap(glyphPath)));
}
