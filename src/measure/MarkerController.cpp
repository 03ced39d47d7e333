#include "measure/MarkerController.h"

#include "instrument/Instrument.h"
#include "measure/MarkerReadouts.h"

MarkerController::MarkerController(QObject* parent) : QObject(parent) {}

void MarkerController::ToggleMarkers() {
    if (state.On()) {
        state.mode = MarkerMode::Off;
    } else {
        state.mode = MarkerMode::Time;
        state.rmsShown = false;
    }
    emit buttonsChanged();
    emit redrawRequested();
}

void MarkerController::ToggleSelection() {
    if (!state.On())
        return;
    state.mode = state.mode == MarkerMode::Time ? MarkerMode::Voltage : MarkerMode::Time;
    emit buttonsChanged();
    emit redrawRequested();
}

void MarkerController::ToggleRms() {
    if (!state.On())
        return;
    state.rmsShown = !state.rmsShown;
    emit buttonsChanged();
    emit redrawRequested();
}

void MarkerController::Press(QPoint pixel) {
    state.buttonHeld = true;
    Place(pixel);
}

void MarkerController::Move(QPoint pixel) {
    if (state.buttonHeld)
        Place(pixel);
}

void MarkerController::Release() {
    state.buttonHeld = false;
}

void MarkerController::LoseMouse() {
    state.buttonHeld = false;
}

void MarkerController::Place(QPoint pixel) {
    if (PlaceMarkers(state, pixel.x(), pixel.y()))
        emit redrawRequested();
}

ScreenLayers MarkerLayers(const MarkerController& markers, const Instrument& session) {
    ScreenLayers layers;
    layers.drawMarkerLines = [&markers, &session](ScreenCanvas& canvas) {
        DrawMarkerLines(canvas, markers.State(), session.Settings());
    };
    layers.drawTimeReadout = [&markers, &session](ScreenCanvas& canvas) {
        DrawTimeReadout(canvas, markers.State(), session.ShownState(),
                        session.ShownMagnification());
    };
    layers.drawVoltageReadout = [&markers, &session](ScreenCanvas& canvas) {
        DrawVoltageReadout(canvas, markers.State(), session.ShownState(), session.Settings());
    };
    return layers;
}
