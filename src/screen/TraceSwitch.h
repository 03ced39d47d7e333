#pragma once

#include "app/InstrumentSettings.h"

#include <QWidget>

class ProgramServices;

// On/off switch of a channel's trace, on the channel's group of the front panel. Its state
// is the channel's traceOn. A press with the left mouse button (or the space bar while it
// has the focus) toggles it and emits Switched with the new state; SetOn changes it
// without that signal, as the presets do.
class TraceSwitch : public QWidget {
    Q_OBJECT
public:
    TraceSwitch(QWidget* parent, ProgramServices& services, Channel channel);

    Channel ChannelOf() const { return channel; }
    bool IsOn() const;
    void SetOn(bool on);

    QSize sizeHint() const override;

signals:
    void Switched(Channel channel, bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Toggle();

    ProgramServices& services;
    Channel channel;
};
