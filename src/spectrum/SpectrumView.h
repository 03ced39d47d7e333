#pragma once

#include "core/InstrumentSettings.h"
#include "spectrum/SpectrumComputation.h"

#include <QChartView>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPair>
#include <QRectF>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

class Instrument;
class QCategoryAxis;
class QChart;
class QCheckBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QRadioButton;
class QValueAxis;

// The spectrum view: a chart of the amplitude spectra of both channels that covers the
// oscilloscope screen while the spectrum analyser is on, with the scale controls ("dB",
// "Linéaire", "Logarithmique", "dB>0") and the three zoom buttons laid over it.
//
// It shows what ComputeSpectrum gives over the session's spectrum settings (the number of
// spectrum lines and the scale): the chart's title, left margin and value axis, and one
// point per bin in each series of a trace that is on, labelled with the bin's frequency.
// The scale and zoom controls change the session's settings only; the next computation
// (the next redraw) applies them.
class SpectrumView : public QChartView {
    Q_OBJECT
public:
    // The chart's size and its place in the spectrum panel.
    static constexpr int ChartWidth = 641;
    static constexpr int ChartHeight = 321;
    static constexpr int Inset = 8;

    // Made inside the spectrum panel, at the start-up state.
    SpectrumView(Instrument& session, QWidget* panel);

    // The start-up picture: the session's scale on the controls (at start-up "Linéaire"
    // checked, "dB>0" unchecked, the "dB" label and "dB>0" hidden), series A red and
    // series B green, no points.
    void Reset();

    // The background gradient runs from this colour (0x00BBGGRR) at the top to white.
    void SetGradientStart(int colour);
    int GradientStart() const { return gradientStart; }

    // ComputeSpectrum over the session's weighted codes, shown at once.
    void ComputeSpectrum();
    // Shows one computation: both series emptied, then refilled and recoloured for the
    // traces that are on; title, margin and value axis; both axes ranged to the points.
    void ShowSpectrum(const SpectrumChartData& data);

    // The last computation shown, the scale it was made in and the sampling frequency of
    // its bins (the scale buttons may have changed since, without a computation).
    const SpectrumChartData& Shown() const { return shown; }
    SpectrumScale ShownScale() const { return shownScale; }
    qint64 ShownSamplingFrequency() const { return shownSamplingFrequency; }
    // The chart alone as the user sees it, at its size on the screen, on white and
    // without the controls laid over it.
    QImage ChartImage() const;
    // The chart alone drawn into a rectangle of another surface (a printed page), scaled
    // to fit it with its proportions kept.
    void RenderChart(QPainter& painter, const QRectF& target) const;

    // What the chart shows, for the tests.
    QLineSeries* Series(Channel channel) const;
    QValueAxis* ValueAxis() const { return valueAxis; }
    QCategoryAxis* FrequencyAxis() const { return frequencyAxis; }
    // The labels of the frequency axis, in bin order, as the user reads them.
    QStringList FrequencyLabels() const;
    // The labels drawn under the plot: each bin's label centred under its point, left out
    // where it would overlap the label drawn before it. Pairs of bin index (0 for bin 1)
    // and the label's rectangle in the view.
    QList<QPair<int, QRectF>> DrawnLabels() const;
    QLabel* DbLabel() const { return dbLabel; }
    QRadioButton* LinearButton() const { return linear; }
    QRadioButton* LogarithmicButton() const { return logarithmic; }
    QCheckBox* PositiveDbBox() const { return positiveDb; }
    // "<", "> | <", ">".
    QPushButton* ZoomButton(int index) const { return zoom[std::size_t(index)]; }

protected:
    void drawForeground(QPainter* painter, const QRectF& rect) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The session's scale on the controls; "dB" and "dB>0" only for the logarithmic one.
    void ShowSettings();
    void SetFrequencyLabels(const std::vector<qint64>& frequencies);
    void SetMargins(int leftUnits);
    QList<QPair<int, QRectF>> PlaceLabels(const QRectF& plot, const QFont& face) const;

    Instrument& session;
    QChart* spectrumChart = nullptr;
    std::array<QLineSeries*, 2> series{};
    QValueAxis* valueAxis = nullptr;
    QCategoryAxis* frequencyAxis = nullptr;
    QLabel* dbLabel = nullptr;
    QRadioButton* linear = nullptr;
    QRadioButton* logarithmic = nullptr;
    QCheckBox* positiveDb = nullptr;
    std::array<QPushButton*, 3> zoom{};

    // The frequencies the axis's labels show (none before the first SetFrequencyLabels).
    std::optional<std::vector<qint64>> labelledFrequencies;
    // The labels' places as last measured, with what they were measured for.
    struct LabelPlaces {
        QRectF plot;
        double min = 0;
        double max = 0;
        QFont face;
        std::optional<std::vector<qint64>> labelsShown;
        QStringList texts;
        QList<QPair<int, QRectF>> drawn;
    };
    mutable std::optional<LabelPlaces> labelPlaces;
    SpectrumChartData shown;
    SpectrumScale shownScale;
    qint64 shownSamplingFrequency = 0;
    int gradientStart = 0;
    qint64 computedAtNs = 0; // PaintLog's clock at the computation not painted yet, or 0
};
