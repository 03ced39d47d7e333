#pragma once

#include "dialogs/AuxiliaryWindow.h"

#include <QColor>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class Instrument;
class QPushButton;

// A rectangle filled with one colour.
class ColourSwatch : public QWidget {
    Q_OBJECT
public:
    explicit ColourSwatch(QWidget* parent = nullptr) : QWidget(parent) {}
    QColor Colour() const { return colour; }
    void SetColour(const QColor& c);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour = Qt::white;
};

// "Couleurs": the seven colours of the display, one row each (a label, a swatch and
// "Modifier..."), and "Couleurs par défaut". A colour confirmed in the colour chooser is
// written into its line at once, in memory; the screen takes it when the main window
// becomes active again. Becoming active shows the colours of the lines.
class ColoursWindow : public AuxiliaryWindow {
    Q_OBJECT
public:
    static constexpr int RowCount = 7;
    // Asks the user for a colour, starting from the given one; empty when cancelled.
    using Chooser = std::function<std::optional<QColor>(const QColor& start, QWidget* parent)>;

    ColoursWindow(QWidget* parent, Instrument& session);

    static int LineOf(int row);
    ColourSwatch* Swatch(int row) const { return swatches[static_cast<std::size_t>(row)]; }
    QPushButton* ModifyButton(int row) const { return modify[static_cast<std::size_t>(row)]; }
    // The colour the chooser of a row starts from.
    QColor StartColour(int row) const { return starts[static_cast<std::size_t>(row)]; }
    // The platform's colour chooser by default; tests give their own.
    void SetChooser(Chooser chooser) { choose = std::move(chooser); }

    void Modify(int row);
    void RestoreDefaults();

protected:
    void Activated() override;

private:
    void Show(int row, const QColor& colour);

    Instrument& session;
    Chooser choose;
    std::array<ColourSwatch*, RowCount> swatches{};
    std::array<QPushButton*, RowCount> modify{};
    std::array<QColor, RowCount> starts{};
};
