#include "measure/MarkerState.h"

bool OutOfMarkerArea(int x, int y) {
    return x < MarkerState::AreaLeft || x > MarkerState::AreaRight || y < MarkerState::AreaTop ||
           y > MarkerState::AreaBottom;
}

MarkerPair MovePair(MarkerPair pair, int at, int areaLow, int areaHigh) {
    const int mid = pair.low + (pair.high - pair.low) / 2;
    // Four tests in turn, each reading the pair as the previous one left it.
    if (at >= areaLow && at <= pair.low)
        pair.low = at;
    if (at >= pair.low && at < mid)
        pair.low = at;
    if (at > mid && at <= pair.high)
        pair.high = at;
    if (at >= pair.high && at <= areaHigh)
        pair.high = at;
    return pair;
}

bool PlaceMarkers(MarkerState& state, int x, int y) {
    const bool outside = OutOfMarkerArea(x, y);
    switch (state.mode) {
    case MarkerMode::Off:
        return false;
    case MarkerMode::Time: {
        const MarkerPair pair =
            outside ? MarkerPair{MarkerState::TimeLeftStart, MarkerState::TimeRightStart}
                    : MovePair({state.timeLeft, state.timeRight}, x, MarkerState::AreaLeft,
                               MarkerState::AreaRight);
        state.timeLeft = pair.low;
        state.timeRight = pair.high;
        return true;
    }
    case MarkerMode::Voltage: {
        const MarkerPair pair =
            outside ? MarkerPair{MarkerState::VoltageTopStart, MarkerState::VoltageBottomStart}
                    : MovePair({state.voltageTop, state.voltageBottom}, y, MarkerState::AreaTop,
                               MarkerState::AreaBottom);
        state.voltageTop = pair.low;
        state.voltageBottom = pair.high;
        return true;
    }
    }
    return false;
}
