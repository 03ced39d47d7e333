#include "panel/TraceSwitch.h"

#include "core/ErrorGuard.h"
#include "instrument/Instrument.h"
#include "panel/PanelControls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

TraceSwitch::TraceSwitch(QWidget* parent, Instrument& owner, Channel id)
    : QWidget(parent), session(owner), channel(id) {
    // The hint goes to the status bar like every other control's.
    PanelControls::SetHint(this, channel == Channel::A ? QStringLiteral("ON/OFF Trace VOIE A")
                                                       : QStringLiteral("ON/OFF Trace VOIE B"));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    resize(sizeHint());
    connect(&session, &Instrument::traceChanged, this, [this](Channel c) {
        if (c == channel)
            update();
    });
}

bool TraceSwitch::IsOn() const {
    return session.State().Of(channel).traceOn;
}

QSize TraceSwitch::sizeHint() const {
    return {52, 22};
}

void TraceSwitch::Toggle() {
    Guarded([this] { session.SwitchTrace(channel, !IsOn()); });
}

void TraceSwitch::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Toggle();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TraceSwitch::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        Toggle();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TraceSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool on = IsOn();
    const bool enabled = isEnabled();

    // The track keeps its height in a taller area and is centred in it.
    QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal trackHeight = std::min<qreal>(track.height(), 20);
    track = QRectF(track.left(), track.center().y() - trackHeight / 2, track.width(), trackHeight);
    const qreal radius = track.height() / 2;
    QColor trackColour = on ? QColor(46, 160, 67) : QColor(150, 150, 150);
    if (!enabled)
        trackColour = trackColour.lighter(150);
    painter.setPen(QPen(trackColour.darker(130), 1));
    painter.setBrush(trackColour);
    painter.drawRoundedRect(track, radius, radius);

    const qreal knobSize = track.height() - 4;
    const qreal knobX = on ? track.right() - 2 - knobSize : track.left() + 2;
    painter.setPen(QPen(QColor(90, 90, 90), 1));
    painter.setBrush(enabled ? QColor(250, 250, 250) : QColor(225, 225, 225));
    painter.drawEllipse(QRectF(knobX, track.top() + 2, knobSize, knobSize));

    QFont caption = font();
    caption.setPixelSize(9);
    caption.setBold(true);
    painter.setFont(caption);
    painter.setPen(enabled ? Qt::white : QColor(240, 240, 240));
    const QRectF textArea =
        on ? QRectF(track.left() + 4, track.top(), track.width() - knobSize - 8, track.height())
           : QRectF(knobX + knobSize + 2, track.top(), track.right() - knobX - knobSize - 4,
                    track.height());
    painter.drawText(textArea, Qt::AlignCenter, on ? QStringLiteral("ON") : QStringLiteral("OFF"));

    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(track.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
    }
}
