#include "screen/Traces.h"

#include "app/Conversion.h"
#include "app/InstrumentSettings.h"
#include "app/PersistedSettings.h"
#include "link/SampleTable.h"
#include "screen/ScreenCanvas.h"
#include "screen/ScreenInputs.h"

namespace {

constexpr MathModeRow MathModes[MathModeCount] = {
    {"Pas de Mat&h", "Ctrl+F2", "Pas de Math | Désactiver les fonctions mathématiques...",
     "                      "},
    {"Voie A + Voie &B", "Ctrl+F3",
     "Voie A + Voie B | Activer la fonction mathématique : Voie A + Voie B...",
     "Math : Voie A + Voie B"},
    {"&Voie A - Voie B", "Ctrl+F4",
     "Voie A - Voie B | Activer la fonction mathématique : Voie A - Voie B...",
     "Math : Voie A - Voie B"},
    {"Mode &X Y (Voie A = X et Voie B = Y)", "Ctrl+F5",
     "Mode X-Y (Voie A = X et Voie B = Y) | Activer la fonction mathématique : Mode X-Y (Voie A "
     "= X et Voie B = Y)...",
     "Math : Mode X Y       "},
};

constexpr int Bottom = 288; // y of code 0

// A colour line parsed at its first use, so that a bad line fails only when its trace is
// about to be drawn.
class LazyColour {
public:
    LazyColour(const PersistedSettings& settings, int line) : settings(settings), line(line) {}
    int Get() {
        if (!parsed) {
            value = StrToInt(settings.Line(line));
            parsed = true;
        }
        return value;
    }

private:
    const PersistedSettings& settings;
    int line;
    bool parsed = false;
    int value = 0;
};

// Whether a column still holds an empty cell among the rows a trace reads.
bool HasEmptyCell(const SampleTable& samples, int column, int lastRow) {
    for (int row = 1; row <= lastRow; ++row)
        if (samples.Cell(column, row).isEmpty())
            return true;
    return false;
}

// Clamps the A + B value of a row so that its trace stays on the screen; the corrected
// value is written back into the table.
qint64 ClampedSum(SampleTable& samples, int row, qint64 offset) {
    qint64 code = samples.Number(SampleTable::Sum, row);
    if (code - offset < 0) {
        samples.SetCell(SampleTable::Sum, row, QString::number(offset));
        code = samples.Number(SampleTable::Sum, row);
    }
    if (code - offset > 255) {
        samples.SetCell(SampleTable::Sum, row, QString::number(offset + 255));
        code = samples.Number(SampleTable::Sum, row);
    }
    return code;
}

// The same for A - B, whose offset is added.
qint64 ClampedDifference(SampleTable& samples, int row, qint64 offset) {
    qint64 code = samples.Number(SampleTable::Difference, row);
    if (code + offset < 0) {
        samples.SetCell(SampleTable::Difference, row, QString::number(-offset));
        code = samples.Number(SampleTable::Difference, row);
    }
    if (code + offset > 255) {
        samples.SetCell(SampleTable::Difference, row, QString::number(255 - offset));
        code = samples.Number(SampleTable::Difference, row);
    }
    return code;
}

} // namespace

const MathModeRow* MathModeAt(int mode) {
    if (mode < 0 || mode >= MathModeCount)
        return nullptr;
    return &MathModes[mode];
}

QString MathCaption(int mode) {
    const MathModeRow* row = MathModeAt(mode);
    return row ? QString::fromUtf8(row->caption) : QString();
}

QString MathShortcut(int mode) {
    const MathModeRow* row = MathModeAt(mode);
    return row ? QString::fromUtf8(row->shortcut) : QString();
}

QString MathHint(int mode) {
    const MathModeRow* row = MathModeAt(mode);
    return row ? QString::fromUtf8(row->hint) : QString();
}

QString MathToolTip(int mode) {
    return MathHint(mode).section(QLatin1Char('|'), 0, 0).trimmed();
}

QString MathStatusHelp(int mode) {
    return MathHint(mode).section(QLatin1Char('|'), 1).trimmed();
}

QString MathScreenLabel(int mode) {
    const MathModeRow* row = MathModeAt(mode);
    return row ? QString::fromUtf8(row->screenLabel) : QString();
}

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

void DrawTraces(ScreenCanvas& canvas, ScreenInputs& in, MathMenuState& menu) {
    InstrumentSettings& instrument = in.instrument;
    SampleTable& samples = in.samples;

    const bool bothOn = instrument.channelA.traceOn && instrument.channelB.traceOn;
    menu.modesEnabled = bothOn;
    menu.hintsShown = bothOn;
    if (!bothOn)
        instrument.mathMode = MathMode::None;

    int segments = 0;
    int step = 0;
    switch (in.magnification) {
    case 1:
        segments = 299;
        step = 2;
        break;
    case 2:
        segments = 150;
        step = 4;
        break;
    case 5:
        segments = 60;
        step = 10;
        break;
    default:
        return;
    }
    const int lastRow = segments + 1;

    const int mode = static_cast<int>(instrument.mathMode);
    const bool channelsShown = mode == 0 || mode == 1 || mode == 2;
    const int columnA = in.showWindowEffect ? SampleTable::WeightedA : SampleTable::DisplayA;
    const int columnB = in.showWindowEffect ? SampleTable::WeightedB : SampleTable::DisplayB;
    bool drawA = instrument.channelA.traceOn && channelsShown;
    bool drawB = instrument.channelB.traceOn && channelsShown;
    bool drawSum = bothOn && mode == 1;
    bool drawDifference = bothOn && mode == 2;
    const bool drawXY = bothOn && mode == 3;

    // Until the first sweep has completed the math and weighted columns hold empty cells:
    // nothing is drawn from them then.
    if (in.showWindowEffect) {
        drawA = drawA && !HasEmptyCell(samples, columnA, lastRow);
        drawB = drawB && !HasEmptyCell(samples, columnB, lastRow);
    }
    drawSum = drawSum && !HasEmptyCell(samples, SampleTable::Sum, lastRow);
    drawDifference = drawDifference && !HasEmptyCell(samples, SampleTable::Difference, lastRow);

    LazyColour colourA(in.settings, SettingsLine::ColourA);
    LazyColour colourB(in.settings, SettingsLine::ColourB);
    LazyColour colourMath(in.settings, SettingsLine::MathColour);
    const qint64 sumOffset = in.sumOffset;
    const qint64 differenceOffset = in.differenceOffset;

    qint64 previousA = 20;
    qint64 previousB = 20;
    qint64 previousMath = 20;
    // Values of row r carried over from the previous step, where they were row r + 1.
    qint64 a = 0, b = 0, sum = 0, difference = 0, xyA = 0, xyB = 0;
    // One segment of a time-domain trace: from the previous x at row r's value to x at row
    // r + 1's, shifted up by `shift`. Row r's value is the one read at the step before
    // (read here only for the first row), so each cell is read, and clamped, once.
    const auto segment = [&](LazyColour& colour, const auto& read, qint64 shift, qint64& previous,
                             qint64& carried, int r, qint64 x) {
        canvas.SetPenColour(colour.Get());
        if (r == 1)
            carried = read(r);
        const qint64 next = read(r + 1);
        canvas.MoveTo(previous, Bottom - (carried + shift));
        canvas.LineTo(x, Bottom - (next + shift));
        previous = x;
        carried = next;
    };
    const auto readA = [&](int row) -> qint64 { return samples.Number(columnA, row); };
    const auto readB = [&](int row) -> qint64 { return samples.Number(columnB, row); };
    const auto readSum = [&](int row) -> qint64 { return ClampedSum(samples, row, sumOffset); };
    const auto readDifference = [&](int row) -> qint64 {
        return ClampedDifference(samples, row, differenceOffset);
    };
    for (int r = 1; r <= segments; ++r) {
        const qint64 x = 20 + static_cast<qint64>(step) * r;
        if (drawA)
            segment(colourA, readA, 0, previousA, a, r, x);
        if (drawB)
            segment(colourB, readB, 0, previousB, b, r, x);
        if (drawSum)
            segment(colourMath, readSum, -sumOffset, previousMath, sum, r, x);
        if (drawDifference)
            segment(colourMath, readDifference, differenceOffset, previousMath, difference, r, x);
        if (drawXY) {
            canvas.SetPenColour(colourMath.Get());
            if (r == 1) {
                xyA = samples.Number(SampleTable::DisplayA, r);
                xyB = samples.Number(SampleTable::DisplayB, r);
            }
            const qint64 nextA = samples.Number(SampleTable::DisplayA, r + 1);
            const qint64 nextB = samples.Number(SampleTable::DisplayB, r + 1);
            canvas.MoveTo(XYColumn(xyA), Bottom - xyB);
            canvas.LineTo(XYColumn(nextA), Bottom - nextB);
            xyA = nextA;
            xyB = nextB;
        }
    }
}
