#include "spectrum/WeightingWindow.h"

#include "app/InstrumentSettings.h"
#include "link/SampleTable.h"
#include "link/SweepExtremes.h"

void ApplyWeightingWindow(SampleTable& table, const InstrumentSettings& instrument,
                          const SweepExtremes& extremes) {
    (void)extremes; // the channel mid-levels of the weighted columns
    const bool copyA = instrument.channelA.traceOn;
    const bool copyB = instrument.channelB.traceOn;
    for (int row = 1; row <= SampleTable::PointCount; ++row) {
        if (copyA)
            table.SetCell(SampleTable::DisplayA, row, table.Cell(SampleTable::CodeA, row));
        if (copyB)
            table.SetCell(SampleTable::DisplayB, row, table.Cell(SampleTable::CodeB, row));
    }
}
