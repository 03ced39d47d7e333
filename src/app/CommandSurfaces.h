#pragma once

#include <QObject>
#include <QString>
#include <array>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

// Every command of the main window, whatever surface it is reached from.
enum class Command {
    Save,
    ExportSamples,
    PrintPreview,
    PrintSetup,
    Quit,
    Copy,
    Activate,
    ChoosePort,
    HardwareCheck,
    Graticule,
    Colours,
    StartupParameters,
    MathNone,
    MathSum,
    MathDifference,
    MathXY,
    Help,
    About,
    Measurements,
    SingleShot,
};
inline constexpr int CommandCount = static_cast<int>(Command::SingleShot) + 1;

// The menu bar, the pop-up menu and the tool bar, built from one table. The copies of a
// command on the three surfaces run the same operation (the triggered signal) and are
// enabled together, except where a caller sets one surface on its own.
class CommandSurfaces : public QObject {
    Q_OBJECT
public:
    CommandSurfaces(QMenuBar* menuBar, QToolBar* toolBar, QWidget* shortcutOwner);

    QMenu* PopupMenu() const { return popup; }

    // Each is null where the command has no item on that surface.
    QAction* MenuAction(Command c) const { return menuActions[Index(c)]; }
    QAction* PopupAction(Command c) const { return popupActions[Index(c)]; }
    QAction* ToolAction(Command c) const { return toolActions[Index(c)]; }

    // Enables or disables the command on every surface it has.
    void SetEnabled(Command c, bool enabled);
    bool IsEnabled(Command c) const;

    // Sets a tool button's hint: the text before the bar is its tooltip, the text after
    // it goes to the status bar. With shown false the button shows no hint.
    void SetToolHint(Command c, const QString& hint, bool shown = true);

signals:
    void triggered(Command command);

private:
    static int Index(Command c) { return static_cast<int>(c); }

    QMenu* popup = nullptr;
    std::array<QAction*, CommandCount> menuActions{};
    std::array<QAction*, CommandCount> popupActions{};
    std::array<QAction*, CommandCount> toolActions{};
};

// Splits "tooltip | status text" at the bar; both halves trimmed.
std::pair<QString, QString> SplitHint(const QString& hint);
