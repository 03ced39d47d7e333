#pragma once

#include "measure/MarkerState.h"
#include "screen/ScreenInputs.h"

#include <QObject>
#include <QPoint>

class Instrument;

// The markers of the oscilloscope screen: their state for the whole run (never saved),
// the three buttons' operations and the mouse on the screen image. The buttons follow
// `buttonsChanged`; the screen follows `redrawRequested`. The state does not depend on the
// spectrum view: the buttons act and the positions stay while it is shown.
class MarkerController : public QObject {
    Q_OBJECT
public:
    explicit MarkerController(QObject* parent = nullptr);

    const MarkerState& State() const { return state; }

    // The markers button: on -> Off; off -> Time, with RMS off (the vertical pair is
    // always the first one selected). The positions are kept. Redraws.
    void ToggleMarkers();
    // The selection button: Time <-> Voltage. Redraws. Does nothing while the markers
    // are off (the button is hidden then).
    void ToggleSelection();
    // The RMS button: RMS shown on <-> off. Redraws. Does nothing while the markers are
    // off (the button is hidden then).
    void ToggleRms();

    // The mouse on the screen image, in image pixels, any button. A press holds the
    // button and places the markers; a move places them while the button is held; a
    // release lets it go. Placing redraws unless the markers are off.
    void Press(QPoint pixel);
    void Move(QPoint pixel);
    void Release();
    // The screen image lost the mouse without seeing the release (a pop-up menu took it,
    // the image was hidden or its window deactivated): the button is no longer held.
    void LoseMouse();

signals:
    // The mode or RMS changed: the buttons' glyphs and visibility follow.
    void buttonsChanged();
    void redrawRequested();

private:
    void Place(QPoint pixel);

    MarkerState state;
};

// The marker layers of the screen redraw, reading the markers' state and the session's
// instrument state, settings and magnifier at each redraw. The spectrum hook is left
// empty.
ScreenLayers MarkerLayers(const MarkerController& markers, const Instrument& session);
