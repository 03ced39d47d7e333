#include "panel/TriggerPanel.h"

#include "core/ErrorGuard.h"
#include "instrument/Instrument.h"
#include "panel/PanelControls.h"

#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace {

using namespace PanelControls;

constexpr QRect PanelRect{8, 16, 273, 97};
constexpr QPoint StateLabelPosition{72, 8};
constexpr QRect GlyphRect{168, 7, 25, 17};

struct SourceButtonSpec {
    QRect geometry;
    bool bold;
    bool offButton; // bold red, larger type, with a picture
};

// clang-format off
constexpr std::array<SourceButtonSpec, TriggerPanel::SourceCount> SourceButtons{{
    {{8, 32, 249, 25}, true, true},
    {{8, 64, 65, 17}, true, false},
    {{88, 64, 65, 17}, false, false},
    {{168, 64, 89, 17}, false, false},
}};
// clang-format on

// A small lamp, used when the lamp picture is missing from the program's folder.
QPixmap PlainLamp(bool on) {
    QPixmap pixmap(GlyphRect.size());
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(64, 64, 64));
    painter.setBrush(on ? QColor(0, 220, 0) : QColor(0, 80, 0));
    painter.drawEllipse(QRectF(7.5, 3.5, 10, 10));
    return pixmap;
}

// The picture of the "OFF" button.
QIcon StopIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(192, 0, 0), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(2, 2, 12, 12));
    painter.drawLine(QPointF(4, 12), QPointF(12, 4));
    return QIcon(pixmap);
}

} // namespace

TriggerPanel::TriggerPanel(QWidget* parent, Instrument& owner) : QWidget(parent), session(owner) {
    setGeometry(QRect(QPoint(0, 0), GroupSize));
    panel = MakeBorderedPanel(this, PanelRect);
    MakeLabel(panel, StateLabelPosition, QStringLiteral("Etat du trigger :"));
    glyph = new QLabel(panel);
    glyph->setGeometry(GlyphRect);
    glyph->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* group = new QButtonGroup(this);
    for (int source = 1; source <= SourceCount; ++source) {
        const TriggerRow& row = *TriggerAt(source);
        const SourceButtonSpec& entry = SourceButtons[static_cast<std::size_t>(source - 1)];
        QToolButton* button = MakeButton(panel, entry.geometry, QString::fromLatin1(row.caption),
                                         QString::fromUtf8(row.hint), true);
        if (entry.bold)
            SetBold(button, entry.offButton ? 2 : 0);
        if (entry.offButton) {
            SetTextColour(button, QColor(255, 0, 0));
            button->setIcon(StopIcon());
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        }
        group->addButton(button);
        connect(button, &QAbstractButton::clicked, this,
                GuardedSlot([this, source] { session.SelectTrigger(source); }));
        buttons[static_cast<std::size_t>(source - 1)] = button;
    }
    connect(&session, &Instrument::triggerChanged, this, &TriggerPanel::ShowTrigger);
    ShowTrigger();
}

void TriggerPanel::ShowTrigger() {
    const int source = static_cast<int>(session.State().triggerSource);
    if (!TriggerAt(source))
        return;
    buttons[static_cast<std::size_t>(source - 1)]->setChecked(true);
    ShowTriggerGlyph(source == static_cast<int>(TriggerSource::Off));
}

void TriggerPanel::ShowTriggerGlyph(bool on) {
    glyphName = on ? QStringLiteral("ledon.bmp") : QStringLiteral("ledoff.bmp");
    const QImage picture(session.ProgramFolder() + glyphName);
    if (picture.isNull()) {
        glyph->setPixmap(PlainLamp(on));
        return;
    }
    glyph->setPixmap(TransparentPixmap(picture));
}

void TriggerPanel::SetSourceButtonsEnabled(bool enabled) {
    for (QAbstractButton* button : buttons)
        button->setEnabled(enabled);
}

QAbstractButton* TriggerPanel::SourceButton(int source) const {
    if (source < 1 || source > SourceCount)
        return nullptr;
    return buttons[static_cast<std::size_t>(source - 1)];
}
