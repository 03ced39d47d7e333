#include "instrument/RamWindow.h"

#include "core/Sweep.h"

#include <QStringList>
#include <algorithm>
#include <array>

namespace {

struct StepEntry {
    int samples;
    int column;
    int row;
};

// clang-format off
constexpr std::array<StepEntry, RamWindow::StepCount> Steps{{
    {3, 1, 1}, {6, 1, 2}, {12, 1, 3}, {18, 1, 4},
    {24, 2, 1}, {30, 2, 2}, {60, 2, 3}, {90, 2, 4},
    {120, 3, 1}, {150, 3, 2}, {300, 3, 3},
}};
// clang-format on

const StepEntry* StepAt(int index) {
    if (index < 1 || index > RamWindow::StepCount)
        return nullptr;
    return &Steps[static_cast<std::size_t>(index - 1)];
}

// A step in divisions, written with one decimal only when it is not whole ("0.4", "10").
QString Divisions(int samples, const MagnifierRow& magnifier) {
    const int perDivision = magnifier.pointsPerDivision;
    if (samples % perDivision == 0)
        return QString::number(samples / perDivision);
    return QString::number(static_cast<double>(samples) / perDivision, 'f', 1);
}

} // namespace

void RamWindow::SetStep(int index) {
    if (StepAt(index))
        step = index;
}

bool RamWindow::SetMagnification(int factor) {
    if (!MagnifierAt(factor))
        return false;
    magnification = factor;
    return true;
}

QString RamWindow::RangeLabel() const {
    return QStringLiteral("Echantillons RAM: de %1 à %2").arg(start).arg(start + Sweep::Points);
}

int RamWindow::StepSamples(int index) {
    const StepEntry* row = StepAt(index);
    return row ? row->samples : 0;
}

QString RamWindow::StepCaption(int index, int factor) {
    const StepEntry* row = StepAt(index);
    const MagnifierRow* magnifier = MagnifierAt(factor);
    if (!row || !magnifier)
        return {};
    return Divisions(row->samples, *magnifier) + QStringLiteral(" C");
}

QString RamWindow::StepHint(int index) {
    const StepEntry* row = StepAt(index);
    if (!row)
        return {};
    QStringList lines;
    for (const MagnifierRow& magnifier : MagnifierTable) {
        const bool plural = row->samples >= 2 * magnifier.pointsPerDivision;
        lines << QStringLiteral("%1 %2 en Time/Div x%3")
                     .arg(Divisions(row->samples, magnifier),
                          plural ? QStringLiteral("carreaux") : QStringLiteral("carreau"))
                     .arg(magnifier.factor);
    }
    return lines.join(QStringLiteral("\r\n"));
}

int RamWindow::StepColumn(int index) {
    const StepEntry* row = StepAt(index);
    return row ? row->column : 0;
}

int RamWindow::StepRow(int index) {
    const StepEntry* row = StepAt(index);
    return row ? row->row : 0;
}
