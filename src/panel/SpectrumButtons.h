#pragma once

#include <QRect>
#include <QWidget>

class QToolButton;

// The spectrum analyser's two buttons in the lower part of the centre column, between the
// two channel groups: the switch "ON / OFF Analyseur de spectre", a toggle that stays
// pressed while the spectrum view is on and shows "FFT_ON.bmp" or "FFT_OFF.bmp", and the
// button that opens the choice of the weighting window, seen only in the spectrum view.
class SpectrumButtons : public QWidget {
    Q_OBJECT
public:
    // The place of the buttons in the centre column.
    static constexpr QRect Area{0, 140, 47, 130};
    static constexpr const char* OnGlyph = "FFT_ON.bmp";
    static constexpr const char* OffGlyph = "FFT_OFF.bmp";

    SpectrumButtons(QWidget* centreColumn, const QString& programFolder);

    QToolButton* SwitchButton() const { return spectrumSwitch; }
    QToolButton* WindowButton() const { return windowChoice; }

    // The switch pressed or not, with its glyph.
    void ShowSwitch(bool on);
    // The file the switch's glyph was last loaded from.
    QString GlyphPath() const { return glyphPath; }

signals:
    // The user turned the spectrum view on or off.
    void switched(bool on);
    void windowChoiceRequested();

private:
    QString programFolder;
    QToolButton* spectrumSwitch = nullptr;
    QToolButton* windowChoice = nullptr;
    QString glyphPath;
};
