#include "core/WeightingWindow.h"

#include "core/InstrumentSettings.h"
#include "core/SampleTable.h"
#include "core/SweepExtremes.h"

void ApplyWeightingWindow(SampleTable& table, const InstrumentSettings& instrument,
                          const SweepExtremes& extremes) {
    (void)extremes; // the channel mid-levels of the weighted codes
    const bool copyA = instrument.channelA.traceOn;
    const bool copyB = instrument.channelB.traceOn;
    for (int row = 1; row <= SampleTable::PointCount; ++row) {
        SampleTable::Point& point = table.At(row);
        if (copyA)
            point.displayA = point.codeA;
        if (copyB)
            point.displayB = point.codeB;
    }
}
