#include "panel/ChannelPanel.h"

#include "app/Colour.h"
#include "app/Conversion.h"
#include "app/ErrorGuard.h"
#include "app/PersistedSettings.h"
#include "app/ProgramServices.h"
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

constexpr int CentrePositionValue = 128;
constexpr int GroundCodesPerUnit = 2; // one position unit moves the trace by two codes

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
    char positionLetter;
};

// clang-format off
constexpr std::array<ChannelTexts, 2> Texts{{
    {" Couplage VOIE A : ", "Position verticale de la trace VOIE A",
     "Déplacement d'une unité vers le haut de la trace Voie A", "Centrage vertical VOIE A",
     "Déplacement d'une unité vers le bas de la trace Voie A",
     {"Sonde d'impédance x1 pour la Voie A", "Sonde d'impédance x10 pour la Voie A"}, 'Q'},
    {" Couplage VOIE B : ", "Position verticale de la trace VOIE B",
     "Déplacement d'une unité vers le haut de la trace Voie B", "Centrage vertical VOIE B",
     "Déplacement d'une unité vers le bas de la trace Voie B",
     {"Sonde d'impédance x1 pour la Voie B", "Sonde d'impédance x10 pour la Voie B"}, 'R'},
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

ChannelPanel::ChannelPanel(QWidget* parent, ProgramServices& services, Channel channel)
    : QWidget(parent), services(services), channel(channel) {
    const ChannelTexts& texts = Texts[channel == Channel::A ? 0 : 1];
    setGeometry(QRect(QPoint(0, 0), GroupSize));
    body = new QWidget(this);
    body->setGeometry(rect());

    slider = new ReleaseSlider(body, GuardedSlot([this] { PositionReleased(); }));
    slider->setGeometry(SliderRect);
    slider->setRange(0, 255);
    slider->setSingleStep(1);
    slider->setValue(CentrePositionValue);
    SetHint(slider, QString::fromUtf8(texts.sliderHint));

    const std::array<const char*, 3> positionHints{texts.upHint, texts.centreHint, texts.downHint};
    const std::array<std::function<void()>, 3> positionHandlers{
        [this] { StepPositionUp(); }, [this] { CentrePosition(); }, [this] { StepPositionDown(); }};
    std::array<QAbstractButton*, 3> positionButtons{};
    for (std::size_t i = 0; i < PositionButtons.size(); ++i) {
        QToolButton* button =
            MakeButton(body, PositionButtons[i].geometry, {}, QString::fromUtf8(positionHints[i]));
        button->setIcon(GlyphIcon(PositionButtons[i].glyph, PositionButtons[i].geometry.size()));
        button->setIconSize(PositionButtons[i].geometry.size() - QSize(4, 4));
        connect(button, &QAbstractButton::clicked, this, GuardedSlot(positionHandlers[i]));
        positionButtons[i] = button;
    }
    upButton = positionButtons[0];
    centreButton = positionButtons[1];
    downButton = positionButtons[2];

    dialPanel = MakeBorderedPanel(body, DialPanelRect);
    dial =
        new DialView(dialPanel, DialKind::VoltsPerDiv,
                     LoadKnobPicture(DialKind::VoltsPerDiv, services.ProgramFolder(),
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
                GuardedSlot([this, index] { SelectVoltsPerDiv(index); }));
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
                GuardedSlot([this, timesTen] { SelectProbe(timesTen); }));
        probeButtons[i] = button;
    }
    probeButtons[Settings().probeTimesTen ? 1 : 0]->setChecked(true);

    couplingLabel = MakeLabel(dialPanel, CouplingLabelPosition, {});
    panelLabel = MakeLabel(dialPanel, PanelLabelPosition, {});

    couplingGroup = new QGroupBox(QString::fromUtf8(texts.couplingTitle), body);
    couplingGroup->setGeometry(CouplingGroupRect);
    auto* couplingButtonGroup = new QButtonGroup(this);
    for (int value = 1; value <= 3; ++value) {
        QToolButton* button = MakeButton(
            couplingGroup, QRect(CouplingPositions[Slot(value)], CouplingButtonSize),
            QString::fromLatin1(CouplingAt(value)->caption), CouplingHint(value, channel), true);
        SetBold(button);
        couplingButtonGroup->addButton(button);
        connect(button, &QAbstractButton::clicked, this,
                GuardedSlot([this, value] { SelectCoupling(value); }));
        couplingButtons[Slot(value)] = button;
    }

    ShowCoupling(static_cast<int>(Settings().coupling));
    if (const VoltsPerDivRow* row = VoltsPerDivAt(Settings().voltsPerDivIndex))
        SetLabelText(panelLabel, QString::fromUtf8(row->panelLabel));
}

ChannelSettings& ChannelPanel::Settings() {
    return services.Instrument().Of(channel);
}

QColor ChannelPanel::PointerColour() const {
    return ColourFromSetting(StrToInt(services.Settings().Line(SettingsLine::ColourOf(channel))));
}

void ChannelPanel::SelectVoltsPerDiv(int index) {
    if (!VoltsPerDivAt(index))
        return;
    ShowVoltsPerDiv(index);
    Settings().voltsPerDivIndex = index;
    services.Settings().SetLine(SettingsLine::Volts(channel), SettingsText::FromNumber(index));
    services.SaveSettings();
    services.SendCommand(VoltsPerDivCommand(index, channel));
    services.RedrawScreen();
}

void ChannelPanel::SelectCoupling(int value) {
    if (!CouplingAt(value))
        return;
    const bool ground = value == static_cast<int>(Coupling::GND);
    InstrumentSettings& instrument = services.Instrument();
    if (ground && instrument.triggerArmed) {
        // The trigger shows OFF; the box is not told and triggerArmed stays set.
        instrument.triggerSource = TriggerSource::Off;
        emit triggerForcedOff();
    }
    ShowCoupling(value);
    Settings().coupling = static_cast<Coupling>(value);
    services.Settings().SetLine(SettingsLine::CouplingOf(channel), SettingsText::FromNumber(value));
    services.SaveSettings();
    services.SendCommand(CouplingCommand(value, channel));
    services.RedrawScreen();
    if (ground)
        Settings().groundMarkerShown = true; // the next redraw measures the ground level
}

void ChannelPanel::SelectProbe(bool timesTen) {
    Settings().probeTimesTen = timesTen;
    probeButtons[timesTen ? 1 : 0]->setChecked(true);
    services.RedrawScreen();
}

void ChannelPanel::SendPosition(int position) {
    Settings().verticalPosition = position;
    services.Settings().SetLine(SettingsLine::Position(channel),
                                SettingsText::FromNumber(position));
    services.SaveSettings();
    const ChannelTexts& texts = Texts[channel == Channel::A ? 0 : 1];
    services.SendCommand(QChar::fromLatin1(texts.positionLetter) + QString::number(position) +
                         QStringLiteral("#&"));
}

void ChannelPanel::PositionReleased() {
    SendPosition(slider->value());
    if (Settings().coupling != Coupling::GND)
        Settings().groundMarkerShown = false; // the marker no longer knows where zero is
}

void ChannelPanel::CentrePosition() {
    slider->setValue(CentrePositionValue);
    SendPosition(CentrePositionValue);
    Settings().groundLevel = CentrePositionValue;
    Settings().groundMarkerShown = true;
}

void ChannelPanel::StepPositionUp() {
    StepPosition(+1);
}

void ChannelPanel::StepPositionDown() {
    StepPosition(-1);
}

void ChannelPanel::StepPosition(int delta) {
    const int before = slider->value();
    slider->setValue(before + delta); // the slider keeps its value within 0..255
    const int position = slider->value();
    SendPosition(position);
    // The marker follows the trace, which does not move when the slider is at its end.
    Settings().groundLevel += GroundCodesPerUnit * (position - before);
}

void ChannelPanel::ShowVoltsPerDiv(int index) {
    const VoltsPerDivRow* row = VoltsPerDivAt(index);
    if (!row)
        return;
    dial->Draw(row->angle, PointerColour());
    SetLabelText(panelLabel, QString::fromUtf8(row->panelLabel));
}

void ChannelPanel::ShowCoupling(int value, bool putButtonDown) {
    if (!CouplingAt(value))
        return;
    SetLabelText(couplingLabel, CouplingPanelLabel(value, channel));
    if (putButtonDown)
        couplingButtons[Slot(value)]->setChecked(true);
}

void ChannelPanel::ShowPosition(int position) {
    slider->setValue(position);
}

void ChannelPanel::RedrawDial() {
    dial->Draw(dial->Angle(), PointerColour());
}

void ChannelPanel::UpdateEnabling() {
    ApplyEnabling(services.LinkActive());
}

void ChannelPanel::ApplyEnabling(bool linkActive) {
    const bool on = linkActive && Settings().traceOn;
    dialPanel->setEnabled(on);
    couplingGroup->setEnabled(on);
    for (QAbstractButton* button : couplingButtons)
        button->setEnabled(on);
    slider->setEnabled(on);
    for (QAbstractButton* button : {upButton, centreButton, downButton}) {
        button->setEnabled(on);
        button->setVisible(linkActive);
    }
    for (QAbstractButton* button : probeButtons)
        button->setVisible(linkActive);
}

void ChannelPanel::SetGroupEnabled(bool enabled) {
    body->setEnabled(enabled);
}

bool ChannelPanel::IsGroupEnabled() const {
    return body->isEnabled();
}

void ChannelPanel::PlaceTraceSwitch(QWidget* traceSwitchWidget,
                                    std::function<void(bool on)> showState) {
    traceSwitch = traceSwitchWidget;
    showTraceState = std::move(showState);
    if (!traceSwitch)
        return;
    traceSwitch->setParent(this);
    // At its own size when it has one, centred in its place.
    QRect place(QPoint(0, 0), traceSwitch->sizeHint().isValid()
                                  ? traceSwitch->sizeHint().boundedTo(TraceSwitchRect.size())
                                  : TraceSwitchRect.size());
    place.moveCenter(TraceSwitchRect.center());
    traceSwitch->setGeometry(place);
    traceSwitch->raise();
    traceSwitch->show();
}

void ChannelPanel::SetTraceSwitch(bool on, bool enabled) {
    Settings().traceOn = on;
    if (showTraceState)
        showTraceState(on);
    if (traceSwitch)
        traceSwitch->setEnabled(enabled);
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
