#pragma once

struct InstrumentSettings;
struct SweepExtremes;
class SampleTable;

// The pass over points 1 to 300 that ends every sweep: copies the channel codes into the
// display codes of the channels whose trace is on. A channel whose trace is off keeps
// the display codes of its last sweep.
void ApplyWeightingWindow(SampleTable& table, const InstrumentSettings& instrument,
                          const SweepExtremes& extremes);
