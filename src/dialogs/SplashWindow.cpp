#include "dialogs/SplashWindow.h"

#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>

namespace {

// Drawn in place of the picture file when it is missing: a small screen with two traces.
QPixmap FallbackPicture(const QSize& size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF screen(40, 90, size.width() - 80, 140);
    p.fillRect(screen, QColor(250, 250, 250));
    p.setPen(QPen(QColor(180, 180, 180), 1, Qt::DotLine));
    for (int i = 1; i < 10; ++i)
        p.drawLine(QPointF(screen.left() + i * screen.width() / 10, screen.top()),
                   QPointF(screen.left() + i * screen.width() / 10, screen.bottom()));
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(screen);
    QFont title(QStringLiteral("DejaVu Serif"));
    title.setPixelSize(22);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRect(0, 20, size.width(), 50), Qt::AlignCenter,
               QStringLiteral("Oscilloscope Numérique à mémoire"));
    return pixmap;
}

} // namespace

SplashWindow::SplashWindow(const QString& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setFixedSize(535, 421);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(212, 208, 200));
    setPalette(pal);

    auto* panel = new QLabel(this);
    panel->setGeometry(16, 16, 505, 393);
    panel->setStyleSheet(QStringLiteral("background: white;"));
    QPixmap picture(programFolder + QStringLiteral("splash.bmp"));
    panel->setPixmap(picture.isNull() ? FallbackPicture(panel->size())
                                      : picture.scaled(panel->size()));

    auto* subtitle = new QLabel(QStringLiteral("avec analyseur de spectre"), this);
    QFont subtitleFont(QStringLiteral("Times New Roman"));
    subtitleFont.setPixelSize(24);
    subtitleFont.setBold(true);
    subtitleFont.setItalic(true);
    subtitle->setFont(subtitleFont);
    subtitle->setStyleSheet(QStringLiteral("color: teal; background: transparent;"));
    auto* shadow = new QGraphicsDropShadowEffect(subtitle);
    shadow->setColor(QColor(192, 192, 192));
    shadow->setOffset(2, 2);
    shadow->setBlurRadius(0);
    subtitle->setGraphicsEffect(shadow);
    subtitle->move(115, 248);
    subtitle->adjustSize();

    resolution = new QLabel(this);
    QFont resolutionFont(QStringLiteral("Times New Roman"));
    resolutionFont.setPixelSize(15);
    resolutionFont.setBold(true);
    resolution->setFont(resolutionFont);
    resolution->setStyleSheet(QStringLiteral("color: maroon; background: transparent;"));
    resolution->move(96, 368);

    continueButton = new QPushButton(QStringLiteral("Suite..."), this);
    continueButton->setGeometry(432, 360, 65, 25);
    continueButton->setToolTip(QStringLiteral("Cliquez ici pour poursuivre..."));
    continueButton->setStyleSheet(QStringLiteral(
        "QPushButton { color: white; background: #0000c0; font-family: Arial; font-weight: bold;"
        " border: 2px outset #4040ff; } QPushButton:pressed { border-style: inset; }"));
    connect(continueButton, &QPushButton::clicked, this, [this] { SetSplashCounter(EndCount); });
}

void SplashWindow::SetSplashCounter(int value) {
    counter = value;
    emit counterChanged(counter);
}

void SplashWindow::SetResolutionLine(const QString& text) {
    resolution->setText(text);
    resolution->adjustSize();
}

QString SplashWindow::ResolutionLine() const {
    return resolution->text();
}

void SplashWindow::ShowExpanding(const QSize& screen, int durationMs) {
    const QRect target(screen.width() / 2 - width() / 2, screen.height() / 2 - height() / 2,
                       width(), height());
    setMinimumSize(1, 1);
    setMaximumSize(target.size());
    auto* animation = new QPropertyAnimation(this, "geometry", this);
    animation->setDuration(durationMs);
    animation->setStartValue(QRect(target.center(), QSize(1, 1)));
    animation->setEndValue(target);
    connect(animation, &QPropertyAnimation::finished, this, [this, target] {
        setFixedSize(target.size());
        setGeometry(target);
    });
    setGeometry(animation->startValue().toRect());
    show();
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}
