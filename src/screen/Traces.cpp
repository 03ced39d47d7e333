#include "screen/Traces.h"

#include "core/InstrumentSettings.h"
#include "core/PersistedSettings.h"
#include "core/SampleTable.h"
#include "core/Sweep.h"
#include "screen/ScreenCanvas.h"
#include "screen/ScreenGeometry.h"
#include "screen/ScreenInputs.h"

namespace {

constexpr int Bottom = ScreenGeometry::Bottom; // y of code 0

} // namespace

qint64 XYColumn(qint64 code) {
    // code x 1.875 = code x 15 / 8, rounded to the nearest integer, halves to even.
    const qint64 scaled = code * 15;
    qint64 quotient = scaled / 8;
    qint64 remainder = scaled % 8;
    if (remainder < 0) {
        remainder += 8;
        --quotient;
    }
    if (remainder > 4 || (remainder == 4 && (quotient & 1) != 0))
        ++quotient;
    return quotient + 80;
}

void DrawTraces(ScreenCanvas& canvas, const ScreenInputs& in) {
    const InstrumentSettings& instrument = in.instrument;
    const SampleTable& samples = in.samples;
    const bool bothOn = instrument.channelA.traceOn && instrument.channelB.traceOn;

    const MagnifierRow* magnifier = MagnifierAt(in.magnification);
    if (!magnifier)
        return;
    const int segments = magnifier->Segments();
    const int step = magnifier->pixelStep;
    const int lastRow = magnifier->lastPoint;

    const int mode = bothOn ? static_cast<int>(instrument.mathMode) : 0;
    const bool channelsShown = mode == 0 || mode == 1 || mode == 2;
    const bool weighted = in.showWindowEffect;
    bool drawA = instrument.channelA.traceOn && channelsShown;
    bool drawB = instrument.channelB.traceOn && channelsShown;
    const bool mathWritten = samples.MathWritten(lastRow);
    const bool drawSum = bothOn && mode == 1 && mathWritten;
    const bool drawDifference = bothOn && mode == 2 && mathWritten;
    const bool drawXY = bothOn && mode == 3;

    // Until the first sweep has completed the weighted values are not written: nothing is
    // drawn from them then.
    if (weighted && !samples.WeightedWritten(lastRow))
        drawA = drawB = false;

    const int colourA = in.settings.Number(SettingsLine::ColourA);
    const int colourB = in.settings.Number(SettingsLine::ColourB);
    const int colourMath = in.settings.Number(SettingsLine::MathColour);
    const qint64 sumOffset = in.sumOffset;
    const qint64 differenceOffset = in.differenceOffset;

    const auto codeA = [&](int row) -> qint64 {
        const SampleTable::Point& p = samples.At(row);
        return weighted ? p.weightedA : p.displayA;
    };
    const auto codeB = [&](int row) -> qint64 {
        const SampleTable::Point& p = samples.At(row);
        return weighted ? p.weightedB : p.displayB;
    };

    qint64 previousA = 20;
    qint64 previousB = 20;
    qint64 previousMath = 20;
    // One segment of a time-domain trace: from the previous x at row r's value to x at row
    // r + 1's, shifted up by `shift`.
    const auto segment = [&](int colour, qint64 from, qint64 to, qint64 shift, qint64& previous,
                             qint64 x) {
        canvas.SetPenColour(colour);
        canvas.MoveTo(previous, Bottom - (from + shift));
        canvas.LineTo(x, Bottom - (to + shift));
        previous = x;
    };
    for (int r = 1; r <= segments; ++r) {
        const qint64 x = 20 + static_cast<qint64>(step) * r;
        const SampleTable::Point& here = samples.At(r);
        const SampleTable::Point& next = samples.At(r + 1);
        if (drawA)
            segment(colourA, codeA(r), codeA(r + 1), 0, previousA, x);
        if (drawB)
            segment(colourB, codeB(r), codeB(r + 1), 0, previousB, x);
        if (drawSum)
            segment(colourMath, here.sum, next.sum, -sumOffset, previousMath, x);
        if (drawDifference)
            segment(colourMath, here.difference, next.difference, differenceOffset, previousMath,
                    x);
        if (drawXY) {
            canvas.SetPenColour(colourMath);
            canvas.MoveTo(XYColumn(here.displayA), Bottom - here.displayB);
            canvas.LineTo(XYColumn(next.displayA), Bottom - next.displayB);
        }
    }
}
