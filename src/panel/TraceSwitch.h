#pragma once

#include "core/InstrumentSettings.h"

#include <QWidget>

class Instrument;

// On/off switch of a channel's trace, over the channel's group of the front panel but not
// part of it: a command exchange or a pause does not lock it. It shows the channel's
// traceOn; a press with the left mouse button (or the space bar while it has the focus)
// asks the session to switch the trace.
class TraceSwitch : public QWidget {
    Q_OBJECT
public:
    TraceSwitch(QWidget* parent, Instrument& session, Channel channel);

    Channel ChannelOf() const { return channel; }
    bool IsOn() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Toggle();

    Instrument& session;
    Channel channel;
};
