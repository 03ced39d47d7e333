#include "app/CommandSurfaces.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QToolBar>

namespace {

struct MenuRow {
    Command command;
    const char* menu;    // top-level menu caption
    const char* submenu; // sub-menu caption, or null
    const char* caption;
    const char* shortcut;
    bool separatorBefore;
    bool radio;
};

// clang-format off
constexpr MenuRow MenuTable[] = {
    {Command::Save,              "&Fichier",       nullptr,       "&Sauvegarder",                               "Ctrl+S",     false, false},
    {Command::ExportSamples,     "&Fichier",       nullptr,       "Exporter les échantillons...",               "",           false, false},
    {Command::PrintPreview,      "&Fichier",       "Imprimer...", "&Aperçu avant impression",                   "Ctrl+I",     false, false},
    {Command::PrintSetup,        "&Fichier",       "Imprimer...", "&Configuration de l'impression",             "Ctrl+E",     false, false},
    {Command::Quit,              "&Fichier",       nullptr,       "&Quitter",                                   "Ctrl+Q",     true,  false},
    {Command::Copy,              "&Edition",       nullptr,       "Cop&ier",                                    "Ctrl+C",     false, false},
    {Command::Activate,          "&Communication", nullptr,       "&Activer la communication",                  "Ctrl+A",     false, false},
    {Command::ChoosePort,        "&Communication", nullptr,       "Choix du &port (physique ou virtuel USB)",   "Ctrl+P",     false, false},
    {Command::HardwareCheck,     "&Communication", nullptr,       "Vérifications &matérielles",                 "Ctrl+Alt+M", true,  false},
    {Command::Graticule,         "&Options",       nullptr,       "&Graticule",                                 "Ctrl+G",     false, false},
    {Command::Colours,           "&Options",       nullptr,       "Coul&eurs",                                  "Ctrl+L",     false, false},
    {Command::StartupParameters, "&Options",       nullptr,       "Paramèt&res de démarrage",                   "Ctrl+R",     false, false},
    {Command::Measurements,      "&Options",       nullptr,       "&Mesures automatiques...",                   "Ctrl+M",     true,  false},
    {Command::SingleShot,        "&Options",       nullptr,       "Mo&nocoup",                                  "Ctrl+U",     false, false},
    {Command::MathNone,          "Math",           nullptr,       "Pas de Mat&h",                               "Ctrl+F2",    false, true},
    {Command::MathSum,           "Math",           nullptr,       "Voie A + Voie &B",                           "Ctrl+F3",    false, true},
    {Command::MathDifference,    "Math",           nullptr,       "&Voie A - Voie B",                           "Ctrl+F4",    false, true},
    {Command::MathXY,            "Math",           nullptr,       "Mode &X Y (Voie A = X et Voie B = Y)",       "Ctrl+F5",    false, true},
    {Command::Help,              "&Aide",          nullptr,       "Ai&de",                                      "Ctrl+D",     false, false},
    {Command::About,             "&Aide",          nullptr,       "A pr&opos de...",                            "Ctrl+O",     false, false},
};

struct PopupRow {
    Command command;
    const char* caption;
    bool separatorBefore;
};

constexpr PopupRow PopupTable[] = {
    {Command::Activate,          "&Activer la communication",                false},
    {Command::ChoosePort,        "Choix du &port (physique ou virtuel USB)", false},
    {Command::Save,              "Sauvegarder",                              true},
    {Command::Copy,              "Copier",                                   false},
    {Command::PrintPreview,      "Aperçu avant impression",                  false},
    {Command::Graticule,         "Graticule",                                true},
    {Command::Colours,           "Couleurs",                                 false},
    {Command::StartupParameters, "Paramèt&res de démarrage",                 false},
    {Command::Help,              "Aide",                                     true},
};

enum class Glyph { Quit, Activate, Save, Copy, Preview, Graticule, Colours, MathNone, MathSum, MathDifference, MathXY, Help, Measurements, SingleShot };

struct ToolRow {
    Command command;
    Glyph glyph;
    bool dividerBefore;
};

constexpr ToolRow ToolTable[] = {
    {Command::Quit,           Glyph::Quit,           false},
    {Command::Activate,       Glyph::Activate,       true},
    {Command::Save,           Glyph::Save,           true},
    {Command::Copy,           Glyph::Copy,           false},
    {Command::PrintPreview,   Glyph::Preview,        false},
    {Command::Graticule,      Glyph::Graticule,      true},
    {Command::Colours,        Glyph::Colours,        false},
    {Command::MathNone,       Glyph::MathNone,       true},
    {Command::MathSum,        Glyph::MathSum,        false},
    {Command::MathDifference, Glyph::MathDifference, false},
    {Command::MathXY,         Glyph::MathXY,         false},
    {Command::Help,           Glyph::Help,           true},
    {Command::Measurements,   Glyph::Measurements,   true},
    {Command::SingleShot,     Glyph::SingleShot,     false},
};
// clang-format on

void DrawLabel(QPainter& p, const QString& text, const QColor& colour) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(text.size() > 2 ? 8 : 10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, text);
}

// The tool bar pictures: small drawings, so the bar needs no picture files.
QIcon GlyphIcon(Glyph glyph) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 40, 60);
    switch (glyph) {
    case Glyph::Quit:
        p.setPen(QPen(QColor(190, 30, 30), 2.5));
        p.drawEllipse(QRectF(3.5, 3.5, 13, 13));
        p.drawLine(QPointF(10, 1.5), QPointF(10, 9));
        break;
    case Glyph::Activate: {
        p.setPen(QPen(ink, 1.2));
        p.setBrush(QColor(230, 230, 230));
        p.drawRoundedRect(QRectF(1.5, 6.5, 17, 8), 2, 2);
        p.setBrush(QColor(30, 160, 60));
        for (int i = 0; i < 4; ++i)
            p.drawEllipse(QRectF(3.5 + i * 3.7, 9, 2.4, 2.4));
        break;
    }
    case Glyph::Save:
        p.setPen(QPen(ink, 1.2));
        p.setBrush(QColor(60, 90, 170));
        p.drawRect(QRectF(2.5, 2.5, 15, 15));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 2.5, 9, 6));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(5.5, 11.5, 9, 6));
        break;
    case Glyph::Copy:
        p.setPen(QPen(ink, 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 2.5, 10, 12));
        p.drawRect(QRectF(7.5, 5.5, 10, 12));
        break;
    case Glyph::Preview:
        p.setPen(QPen(ink, 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 11, 15));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(30, 60, 160), 2));
        p.drawEllipse(QRectF(8, 8, 7, 7));
        p.drawLine(QPointF(14, 14), QPointF(18.5, 18.5));
        break;
    case Glyph::Graticule:
        p.setPen(QPen(ink, 1));
        for (int i = 0; i <= 4; ++i) {
            p.drawLine(QPointF(2 + i * 4, 2), QPointF(2 + i * 4, 18));
            p.drawLine(QPointF(2, 2 + i * 4), QPointF(18, 2 + i * 4));
        }
        break;
    case Glyph::Colours:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(220, 30, 30));
        p.drawEllipse(QRectF(1, 1, 10, 10));
        p.setBrush(QColor(30, 60, 220));
        p.drawEllipse(QRectF(9, 1, 10, 10));
        p.setBrush(QColor(30, 170, 50));
        p.drawEllipse(QRectF(5, 9, 10, 10));
        break;
    case Glyph::MathNone:
        DrawLabel(p, QStringLiteral("Ø"), ink);
        break;
    case Glyph::MathSum:
        DrawLabel(p, QStringLiteral("A+B"), QColor(27, 140, 34));
        break;
    case Glyph::MathDifference:
        DrawLabel(p, QStringLiteral("A-B"), QColor(27, 140, 34));
        break;
    case Glyph::MathXY:
        DrawLabel(p, QStringLiteral("XY"), QColor(27, 140, 34));
        break;
    case Glyph::Help:
        p.setPen(QPen(QColor(30, 60, 160), 1.5));
        p.setBrush(QColor(220, 230, 255));
        p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
        DrawLabel(p, QStringLiteral("?"), QColor(30, 60, 160));
        break;
    case Glyph::Measurements: {
        // A table of readings beside a wave.
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 17, 15));
        for (int i = 1; i <= 3; ++i)
            p.drawLine(QPointF(10, 2.5 + i * 3.75), QPointF(18, 2.5 + i * 3.75));
        QPainterPath wave(QPointF(2.5, 10));
        wave.cubicTo(QPointF(4, 2), QPointF(6, 18), QPointF(8.5, 10));
        p.setPen(QPen(QColor(27, 140, 34), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
        break;
    }
    case Glyph::SingleShot: {
        // One pulse on a line, and its trigger mark.
        p.setPen(QPen(QColor(190, 30, 30), 1.8));
        QPainterPath pulse(QPointF(1, 15));
        pulse.lineTo(7, 15);
        pulse.lineTo(7, 4);
        pulse.lineTo(12, 4);
        pulse.lineTo(12, 15);
        pulse.lineTo(19, 15);
        p.drawPath(pulse);
        p.setPen(QPen(ink, 1));
        p.drawLine(QPointF(7, 18.5), QPointF(7, 16.5));
        break;
    }
    }
    return QIcon(pixmap);
}

QMenu* MenuNamed(QMenuBar* bar, const QString& title) {
    for (QAction* a : bar->actions())
        if (a->menu() && a->text() == title)
            return a->menu();
    return bar->addMenu(title);
}

QMenu* SubmenuNamed(QMenu* menu, const QString& title) {
    for (QAction* a : menu->actions())
        if (a->menu() && a->text() == title)
            return a->menu();
    return menu->addMenu(title);
}

} // namespace

std::pair<QString, QString> SplitHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(u'|');
    if (bar < 0)
        return {hint, hint};
    return {hint.left(bar).trimmed(), hint.mid(bar + 1).trimmed()};
}

CommandSurfaces::CommandSurfaces(QMenuBar* menuBar, QToolBar* toolBar, QWidget* shortcutOwner)
    : QObject(shortcutOwner) {
    auto* mathGroup = new QActionGroup(this);
    mathGroup->setExclusive(true);
    for (const MenuRow& row : MenuTable) {
        QMenu* menu = MenuNamed(menuBar, QString::fromUtf8(row.menu));
        if (row.submenu)
            menu = SubmenuNamed(menu, QString::fromUtf8(row.submenu));
        if (row.separatorBefore)
            menu->addSeparator();
        QAction* action = menu->addAction(QString::fromUtf8(row.caption));
        action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        action->setShortcutContext(Qt::WindowShortcut);
        if (row.radio) {
            action->setCheckable(true);
            mathGroup->addAction(action);
        }
        const Command c = row.command;
        connect(action, &QAction::triggered, this, [this, c] { emit triggered(c); });
        menuActions[Index(c)] = action;
    }

    popup = new QMenu(shortcutOwner);
    for (const PopupRow& row : PopupTable) {
        if (row.separatorBefore)
            popup->addSeparator();
        QAction* action = popup->addAction(QString::fromUtf8(row.caption));
        // The shortcut is shown in the pop-up but served by the menu bar's item.
        action->setShortcut(MenuAction(row.command)->shortcut());
        action->setShortcutContext(Qt::WidgetShortcut);
        const Command c = row.command;
        connect(action, &QAction::triggered, this, [this, c] { emit triggered(c); });
        popupActions[Index(c)] = action;
    }

    for (const ToolRow& row : ToolTable) {
        if (row.dividerBefore)
            toolBar->addSeparator();
        QAction* action = toolBar->addAction(GlyphIcon(row.glyph), QString());
        const Command c = row.command;
        connect(action, &QAction::triggered, this, [this, c] { emit triggered(c); });
        toolActions[Index(c)] = action;
    }
    SetToolHint(Command::Help, QStringLiteral(" Aide"));
    SetToolHint(Command::Measurements,
                QStringLiteral("Mesures automatiques | Fréquence, période, tensions, rapport "
                               "cyclique et temps de montée des voies affichées..."));
    SetToolHint(Command::SingleShot,
                QStringLiteral("Monocoup | Capturer le prochain balayage puis passer en "
                               "pause..."));
    // Single shot stays pressed while it is armed.
    for (QAction* a : {MenuAction(Command::SingleShot), ToolAction(Command::SingleShot)})
        a->setCheckable(true);
}

void CommandSurfaces::SetEnabled(Command c, bool enabled) {
    for (QAction* a : {MenuAction(c), PopupAction(c), ToolAction(c)})
        if (a)
            a->setEnabled(enabled);
}

bool CommandSurfaces::IsEnabled(Command c) const {
    return MenuAction(c)->isEnabled();
}

void CommandSurfaces::SetToolHint(Command c, const QString& hint, bool shown) {
    QAction* a = ToolAction(c);
    if (!a)
        return;
    const auto [tip, status] = SplitHint(hint);
    a->setToolTip(shown ? (tip.isEmpty() ? status : tip) : QString());
    a->setStatusTip(shown ? status : QString());
    a->setProperty("hint", hint);
}
