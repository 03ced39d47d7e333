#include "dialogs/CommunicationWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace {

const QString Congratulations =
    QStringLiteral("          Félicitations !\r\nCommunication établie.");
const QString Initialising = QStringLiteral("Initialisation de l'oscilloscope en cours.");
const QString PleaseWait = QStringLiteral("Veuillez patienter quelques secondes...");

QLabel* TextLabel(const QString& text, int pixelSize, bool italic, const char* colour,
                  QWidget* parent) {
    // The line break of the first text is CR LF; a label breaks on LF alone.
    auto* label = new QLabel(QString(text).remove(u'\r'), parent);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setItalic(italic);
    label->setFont(font);
    label->setStyleSheet(
        QStringLiteral("color: %1; background: transparent;").arg(QLatin1String(colour)));
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

constexpr int AnimationHeight = 44;

} // namespace

CommunicationWindow::CommunicationWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setFixedSize(380, 200);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14 + AnimationHeight);
    layout->setSpacing(6);
    auto* first = TextLabel(Congratulations, 22, false, "maroon", this);
    first->setAlignment(Qt::AlignLeft);
    layout->addWidget(first, 0, Qt::AlignHCenter);
    layout->addWidget(TextLabel(Initialising, 14, false, "navy", this));
    layout->addWidget(TextLabel(PleaseWait, 14, true, "green", this));

    animation = new QTimer(this);
    animation->setInterval(40);
    connect(animation, &QTimer::timeout, this, [this] {
        phase = (phase + 1) % 1000;
        update();
    });
}

QStringList CommunicationWindow::Texts() {
    return {Congratulations, Initialising, PleaseWait};
}

void CommunicationWindow::ShowOnTop() {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->availableGeometry();
        move(desk.center().x() - width() / 2, desk.center().y() - height() / 2);
    }
    show();
    raise();
}

void CommunicationWindow::HideAndRestack() {
    hide();
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
}

void CommunicationWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0, 128, 0));
    const QRect panel = rect().adjusted(5, 5, -5, -5);
    p.fillRect(panel, Qt::white);

    // A trace sweeping across a small screen, like the box's first sweeps.
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF screen(panel.left() + 60, panel.bottom() - AnimationHeight - 4,
                        panel.width() - 120, AnimationHeight);
    p.setPen(QPen(QColor(200, 200, 200), 1, Qt::DotLine));
    for (int i = 1; i < 10; ++i)
        p.drawLine(QPointF(screen.left() + i * screen.width() / 10, screen.top()),
                   QPointF(screen.left() + i * screen.width() / 10, screen.bottom()));
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(screen);
    const int reach = static_cast<int>(screen.width()) * (phase % 50) / 49;
    QPainterPath trace;
    for (int x = 0; x <= reach; ++x) {
        const double y =
            screen.center().y() - std::sin((x + phase * 2) * 0.09) * (screen.height() / 2 - 4);
        if (x == 0)
            trace.moveTo(screen.left() + x, y);
        else
            trace.lineTo(screen.left() + x, y);
    }
    p.setPen(QPen(QColor(255, 0, 0), 1.5));
    p.drawPath(trace);
}

void CommunicationWindow::showEvent(QShowEvent*) {
    animation->start();
}

void CommunicationWindow::hideEvent(QHideEvent*) {
    animation->stop();
}
