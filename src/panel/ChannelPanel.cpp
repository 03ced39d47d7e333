#include "panel/ChannelPanel.h"

#include "core/ErrorGuard.h"
#include "core/PersistedSettings.h"
#include "instrument/Instrument.h"
#include "panel/DialView.h"
#include "panel/PanelControls.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QToolButton>

namespace {

using namespace PanelControls;

constexpr QRect SliderRect{16, 16, 33, 209};
constexpr QRect DialPanelRect{72, 16, 209, 209};
constexpr QPoint DialPosition{8, 8};
constexpr QRect CouplingGroupRect{80, 232, 193, 41};
constexpr QPoint CouplingLabelPosition{8, 168};
constexpr QPoint PanelLabelPosition{8, 184};

// Texts of a channel's own controls: channel A first, channel B second.
struct ChannelTexts {
    const char* couplingTitle;
    const char* sliderHint;
    const char* upHint;
    const char* centreHint;
    const char* downHint;
    const char* probeHints[2];
};

// clang-format off
constexpr std::array<ChannelTexts, 2> Texts{{
    {" Couplage VOIE A : ", "Position verticale de la trace VOIE A",
     "Déplacement d'une unité vers le haut de la trace Voie A", "Centrage vertical VOIE A",
     "Déplacement d'une unité vers le bas de la trace Voie A",
     {"Sonde d'impédance x1 pour la Voie A", "Sonde d'impédance x10 pour la Voie A"}},
    {" Couplage VOIE B : ", "Position verticale de la trace VOIE B",
     "Déplacement d'une unité vers le haut de la trace Voie B", "Centrage vertical VOIE B",
     "Déplacement d'une unité vers le bas de la trace Voie B",
     {"Sonde d'impédance x1 pour la Voie B", "Sonde d'impédance x10 pour la Voie B"}},
}};

// Range buttons on the dial panel, by VoltsPerDivTable index: clockwise from 5 V at the
// left to 10 mV at the lower right.
constexpr std::array<QPoint, VoltsPerDivCount> RangePositions{{
    {8, 80}, {24, 48}, {56, 24}, {128, 24}, {160, 48}, {176, 80}, {176, 112}, {160, 144}, {128, 168},
}};
constexpr QSize RangeButtonSize{25, 17};

constexpr std::array<QRect, 2> ProbeRects{{{174, 5, 25, 17}, {174, 24, 25, 17}}};
constexpr std::array<const char*, 2> ProbeCaptions{"x1", "x10"};

constexpr std::array<QPoint, 3> CouplingPositions{{{8, 16}, {72, 16}, {136, 16}}};
constexpr QSize CouplingButtonSize{49, 17};

struct UnitLabel {
    QPoint position;
    const char* text;
    bool purple;
};
constexpr std::array<UnitLabel, 2> UnitLabels{{{{16, 16}, "V", false}, {{168, 176}, "mV", true}}};
// clang-format on

enum class Glyph { Up, Centre, Down };

struct PositionButton {
    QRect geometry;
    Glyph glyph;
};
constexpr std::array<PositionButton, 3> PositionButtons{{
    {{48, 88, 17, 17}, Glyph::Up},
    {{48, 108, 17, 25}, Glyph::Centre},
    {{48, 136, 17, 17}, Glyph::Down},
}};

// Small pictures of the position buttons.
QIcon GlyphIcon(Glyph glyph, QSize size) {
    QPixmap pixmap(size - QSize(4, 4));
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 128));
    const qreal w = pixmap.width();
    const qreal h = pixmap.height();
    switch (glyph) {
    case Glyph::Up:
        painter.drawPolygon(
            QPolygonF{{QPointF(w / 2, 1), QPointF(w - 1, h - 2), QPointF(1, h - 2)}});
        break;
    case Glyph::Down:
        painter.drawPolygon(QPolygonF{{QPointF(1, 2), QPointF(w - 1, 2), QPointF(w / 2, h - 1)}});
        break;
    case Glyph::Centre:
        painter.drawPolygon(
            QPolygonF{{QPointF(w / 2, 1), QPointF(w - 1, h / 2 - 2), QPointF(1, h / 2 - 2)}});
        painter.drawPolygon(
            QPolygonF{{QPointF(1, h / 2 + 2), QPointF(w - 1, h / 2 + 2), QPointF(w / 2, h - 1)}});
        break;
    }
    return QIcon(pixmap);
}

// The position slider: its value is what was last sent to the box, so only a released
// mouse button sends it. Keyboard and wheel would change it silently, so it takes neither.
class ReleaseSlider : public QSlider {
public:
    ReleaseSlider(QWidget* parent, std::function<void()> released)
        : QSlider(Qt::Vertical, parent), released(std::move(released)) {
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QSlider::mouseReleaseEvent(event);
        event->accept();
        released();
    }
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }
    void keyPressEvent(QKeyEvent* event) override { event->ignore(); }

private:
    std::function<void()> released;
};

std::size_t Slot(int index) {
    return static_cast<std::size_t>(index - 1);
}

} // namespace

ChannelPanel::ChannelPanel(QWidget* parent, Instrument& owner, Channel id)
    : QWidget(parent), session(owner), channel(id) {
    const ChannelTexts& texts = Texts[channel == Channel::A ? 0 : 1];
    setGeometry(QRect(QPoint(0, 0), GroupSize));

    slider = new ReleaseSlider(
        this, GuardedSlot([this] { session.ReleasePosition(channel, slider->value()); }));
    slider->setGeometry(SliderRect);
    slider->setRange(0, 255);
    slider->setSingleStep(1);
    SetHint(slider, QString::fromUtf8(texts.sliderHint));

    const std::array<const char*, 3> positionHints{texts.upHint, texts.centreHint, texts.downHint};
    const std::array<std::function<void()>, 3> positionHandlers{
        [this] { session.StepPosition(channel, +1); }, [this] { session.CentrePosition(channel); },
        [this] { session.StepPosition(channel, -1); }};
    std::array<QAbstractButton*, 3> positionButtons{};
    for (std::size_t i = 0; i < PositionButtons.size(); ++i) {
        QToolButton* button =
            MakeButton(this, PositionButtons[i].geometry, {}, QString::fromUtf8(positionHints[i]));
        button->setIcon(GlyphIcon(PositionButtons[i].glyph, PositionButtons[i].geometry.size()));
        button->setIconSize(PositionButtons[i].geometry.size() - QSize(4, 4));
        connect(button, &QAbstractButton::clicked, this, GuardedSlot(positionHandlers[i]));
        positionButtons[i] = button;
    }
    upButton = positionButtons[0];
    centreButton = positionButtons[1];
    downButton = positionButtons[2];

    dialPanel = MakeBorderedPanel(this, DialPanelRect);
    dial =
        new DialView(dialPanel, DialKind::VoltsPerDiv,
                     LoadKnobPicture(DialKind::VoltsPerDiv, session.ProgramFolder(),
                                     QString::fromLatin1(channel == Channel::A ? VoltsKnobFileA
                                                                               : VoltsKnobFileB)));
    dial->move(DialPosition);

    for (int index = 1; index <= VoltsPerDivCount; ++index) {
        const VoltsPerDivRow& row = *VoltsPerDivAt(index);
        QToolButton* button =
            MakeButton(dialPanel, QRect(RangePositions[Slot(index)], RangeButtonSize),
                       QString::fromUtf8(row.caption), VoltsPerDivHint(index, channel));
        SetTextColour(button,
                      QString::fromUtf8(row.unit) == QStringLiteral("mV") ? Purple() : Black());
        connect(button, &QAbstractButton::clicked, this,
                GuardedSlot([this, index] { session.SelectVoltsPerDiv(channel, index); }));
        rangeButtons[Slot(index)] = button;
    }
    for (const UnitLabel& unit : UnitLabels)
        MakeLabel(dialPanel, unit.position, QString::fromUtf8(unit.text),
                  unit.purple ? Purple() : Black());

    auto* probeGroup = new QButtonGroup(this);
    for (std::size_t i = 0; i < probeButtons.size(); ++i) {
        QToolButton* button =
            MakeButton(dialPanel, ProbeRects[i], QString::fromLatin1(ProbeCaptions[i]),
                       QString::fromUtf8(texts.probeHints[i]), true);
        SetBold(button);
        probeGroup->addButton(button);
        const bool timesTen = i == 1;
        connect(button, &QAbstractButton::clicked, this,
                GuardedSlot([this, timesTen] { session.SelectProbe(channel, timesTen); }));
        probeButtons[i] = button;
    }

    couplingLabel = MakeLabel(dialPanel, CouplingLabelPosition, {});
    panelLabel = MakeLabel(dialPanel, PanelLabelPosition, {});

    couplingGroup = new QGroupBox(QString::fromUtf8(texts.couplingTitle), this);
    couplingGroup->setGeometry(CouplingGroupRect);
    auto* couplingButtonGroup = new QButtonGroup(this);
    for (int value = 1; value <= 3; ++value) {
        QToolButton* button = MakeButton(
            couplingGroup, QRect(CouplingPositions[Slot(value)], CouplingButtonSize),
            QString::fromLatin1(CouplingAt(value)->caption), CouplingHint(value, channel), true);
        SetBold(button);
        couplingButtonGroup->addButton(button);
        connect(button, &QAbstractButton::clicked, this,
                GuardedSlot([this, value] { session.SelectCoupling(channel, value); }));
        couplingButtons[Slot(value)] = button;
    }

    const auto mine = [this](Channel c) { return c == channel; };
    connect(&session, &Instrument::voltsPerDivChanged, this, [this, mine](Channel c) {
        if (mine(c))
            ShowVoltsPerDiv();
    });
    connect(&session, &Instrument::couplingChanged, this, [this, mine](Channel c) {
        if (mine(c))
            ShowCoupling();
    });
    connect(&session, &Instrument::probeChanged, this, [this, mine](Channel c) {
        if (mine(c))
            ShowProbe();
    });
    connect(&session, &Instrument::positionChanged, this, [this, mine](Channel c) {
        if (mine(c))
            ShowPosition();
    });
    connect(&session, &Instrument::channelControlsChanged, this, [this, mine](Channel c) {
        if (mine(c))
            ShowControlsEnabled();
    });

    ShowVoltsPerDiv();
    ShowCoupling();
    ShowProbe();
    ShowPosition();
    ShowControlsEnabled();
}

const ChannelSettings& ChannelPanel::Settings() const {
    return session.State().Of(channel);
}

QColor ChannelPanel::PointerColour() const {
    return session.Settings().Colour(SettingsLine::ColourOf(channel));
}

void ChannelPanel::ShowVoltsPerDiv() {
    const VoltsPerDivRow* row = VoltsPerDivAt(Settings().voltsPerDivIndex);
    if (!row)
        return;
    dial->Draw(row->angle, PointerColour());
    SetLabelText(panelLabel, QString::fromUtf8(row->panelLabel));
}

void ChannelPanel::ShowCoupling() {
    const int value = static_cast<int>(Settings().coupling);
    if (!CouplingAt(value))
        return;
    SetLabelText(couplingLabel, CouplingPanelLabel(value, channel));
    couplingButtons[Slot(value)]->setChecked(true);
}

void ChannelPanel::ShowProbe() {
    probeButtons[Settings().probeTimesTen ? 1 : 0]->setChecked(true);
}

void ChannelPanel::ShowPosition() {
    slider->setValue(Settings().verticalPosition);
}

void ChannelPanel::RedrawDial() {
    dial->Draw(dial->Angle(), PointerColour());
}

void ChannelPanel::ShowControlsEnabled() {
    const bool on = session.ChannelControlsEnabled(channel);
    dialPanel->setEnabled(on);
    couplingGroup->setEnabled(on);
    for (QAbstractButton* button : couplingButtons)
        button->setEnabled(on);
    slider->setEnabled(on);
    for (QAbstractButton* button : {upButton, centreButton, downButton})
        button->setEnabled(on);
}

void ChannelPanel::ShowLinkControls(bool shown) {
    for (QAbstractButton* button : {upButton, centreButton, downButton})
        button->setVisible(shown);
    for (QAbstractButton* button : probeButtons)
        button->setVisible(shown);
}

QAbstractButton* ChannelPanel::RangeButton(int index) const {
    if (index < 1 || index > VoltsPerDivCount)
        return nullptr;
    return rangeButtons[Slot(index)];
}

QAbstractButton* ChannelPanel::CouplingButton(int value) const {
    if (value < 1 || value > 3)
        return nullptr;
    return couplingButtons[Slot(value)];
}
