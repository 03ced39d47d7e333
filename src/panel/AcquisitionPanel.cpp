#include "panel/AcquisitionPanel.h"

#include "core/ErrorGuard.h"
#include "instrument/Instrument.h"
#include "panel/PanelControls.h"

#include <QButtonGroup>
#include <QPainter>
#include <QToolButton>

namespace {

using namespace PanelControls;

enum class Picture { Play, Pause };

struct RunButtonSpec {
    QRect geometry;
    const char* caption;
    const char* hint;
    Picture picture;
};

constexpr std::array<RunButtonSpec, 2> RunButtons{{
    {{16, 16, 121, 25}, "Lecture", "Activer l'acquisition des traces", Picture::Play},
    {{152, 16, 121, 25}, "Pause", "Interrompre l'acquisition des traces", Picture::Pause},
}};

QIcon RunIcon(Picture picture) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 128));
    if (picture == Picture::Play) {
        painter.drawPolygon(QPolygonF{{QPointF(4, 2), QPointF(14, 8), QPointF(4, 14)}});
    } else {
        painter.drawRect(QRectF(3, 2, 4, 12));
        painter.drawRect(QRectF(9, 2, 4, 12));
    }
    return QIcon(pixmap);
}

} // namespace

AcquisitionPanel::AcquisitionPanel(QWidget* parent, Instrument& owner)
    : QWidget(parent), session(owner) {
    setGeometry(QRect(QPoint(0, 0), GroupSize));
    auto* group = new QButtonGroup(this);
    std::array<QAbstractButton*, 2> made{};
    for (std::size_t i = 0; i < RunButtons.size(); ++i) {
        const RunButtonSpec& entry = RunButtons[i];
        QToolButton* button = MakeButton(this, entry.geometry, QString::fromLatin1(entry.caption),
                                         QString::fromUtf8(entry.hint), true);
        button->setIcon(RunIcon(entry.picture));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        group->addButton(button);
        made[i] = button;
    }
    runButton = made[0];
    pauseButton = made[1];
    connect(runButton, &QAbstractButton::clicked, this, GuardedSlot([this] { session.Run(); }));
    connect(pauseButton, &QAbstractButton::clicked, this, GuardedSlot([this] { session.Pause(); }));
    connect(&session, &Instrument::runStateChanged, this, &AcquisitionPanel::ShowRunState);
    // The buttons are made as the session's locks start; they follow each change.
    runButtonsEnabled = session.Locks().runButtonsEnabled;
    connect(&session, &Instrument::locksChanged, this, [this] {
        if (session.Locks().runButtonsEnabled != runButtonsEnabled)
            SetRunButtonsEnabled(session.Locks().runButtonsEnabled);
    });
    ShowRunState();
}

void AcquisitionPanel::ShowRunState() {
    (session.State().running ? runButton : pauseButton)->setChecked(true);
}

void AcquisitionPanel::SetRunButtonsEnabled(bool enabled) {
    runButtonsEnabled = enabled;
    runButton->setEnabled(enabled);
    pauseButton->setEnabled(enabled);
}
