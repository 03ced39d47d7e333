#include "panel/TimeBasePanel.h"

#include "core/ErrorGuard.h"
#include "instrument/Instrument.h"
#include "panel/DialView.h"
#include "panel/PanelControls.h"

#include <QFrame>
#include <QLabel>
#include <QToolButton>

namespace {

using namespace PanelControls;

constexpr QRect DialPanelRect{8, 16, 273, 273};
constexpr QPoint DialPosition{8, 8};

// Top-left corner of each range button on the dial panel, by TimeBaseTable index: the
// ranges run clockwise from 500 ms at the lower left to 1 µs at the lower right.
// clang-format off
constexpr std::array<QPoint, TimeBaseCount> ButtonPositions{{
    {64, 208}, {40, 184}, {24, 160}, {22, 136}, {24, 112}, {32, 88},
    {48, 64},  {66, 46},  {88, 38},  {112, 32}, {144, 32}, {176, 40},
    {216, 80}, {224, 104}, {226, 128}, {224, 152}, {216, 176}, {200, 200},
}};
// clang-format on
constexpr int ButtonHeight = 17;

struct UnitLabel {
    QPoint position;
    const char* text;
    bool purple;
};
constexpr std::array<UnitLabel, 2> UnitLabels{{{{16, 56}, "ms", false}, {{240, 192}, "µs", true}}};

constexpr QPoint TimeDivLabelPosition{8, 5};
constexpr QPoint SamplingLabelPosition{8, 235};
constexpr QPoint RamSweepLabelPosition{8, 249};

bool IsMicroseconds(const TimeBaseRow& row) {
    return QString::fromUtf8(row.unit) == QStringLiteral("µs");
}

} // namespace

TimeBasePanel::TimeBasePanel(QWidget* parent, Instrument& owner) : QWidget(parent), session(owner) {
    setGeometry(QRect(QPoint(0, 0), GroupSize));
    dialPanel = MakeBorderedPanel(this, DialPanelRect);
    dial = new DialView(dialPanel, DialKind::TimeBase,
                        LoadKnobPicture(DialKind::TimeBase, session.ProgramFolder(),
                                        QString::fromLatin1(TimeBaseKnobFile)));
    dial->move(DialPosition);

    for (int index = 1; index <= TimeBaseCount; ++index) {
        const TimeBaseRow& row = *TimeBaseAt(index);
        const QString caption = QString::fromUtf8(row.caption);
        const int width = caption.size() == 3 ? 25 : 17;
        QToolButton* button = MakeButton(
            dialPanel,
            QRect(ButtonPositions[static_cast<std::size_t>(index - 1)], QSize(width, ButtonHeight)),
            caption, QString::fromUtf8(row.hint));
        SetTextColour(button, IsMicroseconds(row) ? Purple() : Black());
        connect(button, &QAbstractButton::clicked, this,
                GuardedSlot([this, index] { session.SelectTimeBase(index); }));
        buttons[static_cast<std::size_t>(index - 1)] = button;
    }

    for (const UnitLabel& unit : UnitLabels)
        MakeLabel(dialPanel, unit.position, QString::fromUtf8(unit.text),
                  unit.purple ? Purple() : Black());
    timeDivLabel = MakeLabel(dialPanel, TimeDivLabelPosition, {});
    samplingLabel = MakeLabel(dialPanel, SamplingLabelPosition, {});
    ramSweepLabel = MakeLabel(dialPanel, RamSweepLabelPosition, {});
    connect(&session, &Instrument::timeBaseChanged, this, &TimeBasePanel::ShowTimeBase);
    ShowTimeBase();
}

void TimeBasePanel::ShowTimeBase() {
    const TimeBaseRow* row = TimeBaseAt(session.State().timeBaseIndex);
    if (!row)
        return;
    dial->Draw(row->angle, TimeBasePointerColour());
    SetLabelText(timeDivLabel, QString::fromUtf8(row->hint));
    SetLabelText(samplingLabel, QString::fromUtf8(row->sampling));
    SetLabelText(ramSweepLabel, QString::fromUtf8(row->ramSweep));
}

QAbstractButton* TimeBasePanel::RangeButton(int index) const {
    if (index < 1 || index > TimeBaseCount)
        return nullptr;
    return buttons[static_cast<std::size_t>(index - 1)];
}
