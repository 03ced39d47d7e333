#pragma once

struct InstrumentSettings;
struct SweepExtremes;
class SampleTable;

// The pass over points 1 to 300 that ends every sweep: copies the channel codes
// (columns 11 and 12) into the display columns (13 and 14) of the channels whose trace
// is on. A channel whose trace is off keeps the display values of its last sweep.
void ApplyWeightingWindow(SampleTable& table, const InstrumentSettings& instrument,
                          const SweepExtremes& extremes);
