#pragma once

#include <QString>
#include <QWidget>

class MarkerController;
class QToolButton;

// The three marker buttons in the upper part of the centre column, one above the other:
// "ON / OFF marqueurs" (a toggle button, down while the markers are on), the selection of
// the pair the mouse moves (a push button whose glyph shows the pair), and the RMS
// readout (a toggle button, down while shown). The selection and RMS buttons are seen only
// while the markers are on. Each glyph is loaded from the program's folder whenever the
// state changes; a missing file gives a plain drawn glyph. The presets show, hide,
// enable and disable the markers button itself.
class MarkerButtons : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize PanelSize{47, 135};

    MarkerButtons(QWidget* parent, MarkerController& markers, const QString& programFolder);

    QToolButton* MarkersButton() const { return markersButton; }
    QToolButton* SelectionButton() const { return selectionButton; }
    QToolButton* RmsButton() const { return rmsButton; }
    // The file name of the glyph a button shows ("marqueur_on.bmp"...).
    static QString GlyphOf(const QToolButton* button);

    // Shows the markers' mode and RMS: glyphs, pressed states, visibility.
    void ShowMarkers();

private:
    void ShowGlyph(QToolButton* button, const QString& fileName);

    MarkerController& markers;
    QString programFolder;
    QToolButton* markersButton = nullptr;
    QToolButton* selectionButton = nullptr;
    QToolButton* rmsButton = nullptr;
};
