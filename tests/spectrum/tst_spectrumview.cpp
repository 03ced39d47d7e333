#include "SessionProbe.h"
#include "core/Colour.h"
#include "core/SettingsLines.h"
#include "core/SpectrumZoom.h"
#include "spectrum/SpectrumView.h"

#include <QCategoryAxis>
#include <QChart>
#include <QCheckBox>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QValueAxis>
#include <QtTest>
#include <memory>

// The spectrum view over a session: its start-up state, the controls over the chart and
// what they change, and how one computation shows on the chart (series, colours, labels
// that repeat, ranges, title, margins, value axis).
class SpectrumViewTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        probe = std::make_unique<SessionProbe>();
        probe->Activate();
        panel = std::make_unique<QWidget>();
        panel->resize(662, 341);
        view = new SpectrumView(probe->session, panel.get());
    }
    void cleanup() {
        panel.reset();
        probe.reset();
    }

    void startState();
    void controlsOverTheChart_data();
    void controlsOverTheChart();
    void scaleButtonsShowTheirControlsOnly();
    void zoomButtonsChangeTheCountOnly_data();
    void zoomButtonsChangeTheCountOnly();
    void showsOneComputation_data();
    void showsOneComputation();
    void everyBinKeepsItsLabel();
    void drawnLabelsNeverOverlap_data();
    void drawnLabelsNeverOverlap();
    void labelsKeepTheirSizeOnAFinerDevice();
    void rangesFollowEachComputation();
    void emptyBeforeTheFirstSweep();
    void gradientFromTheSettingToWhite();
    void eachSweepKeepsEveryPixel();
    void thinLinesPutTheThemesPixels();

private:
    Instrument& Session() { return probe->session; }
    // Weighted codes written straight into the store, as a completed sweep leaves them.
    void Weigh(int (*a)(int), int (*b)(int)) {
        SampleTable& samples = const_cast<SampleTable&>(Session().Samples());
        for (int n = 1; n <= 300; ++n) {
            samples.At(n).weightedA = a(n);
            samples.At(n).weightedB = b(n);
            samples.At(n).weightedWritten = true;
        }
    }
    static int Sine8(int n) { return 128 + int(std::lround(64 * std::sin(2 * M_PI * n / 32))); }
    static int Sine4(int n) { return 128 + int(std::lround(20 * std::sin(2 * M_PI * n / 64))); }
    static QList<double> Values(QLineSeries* s) {
        QList<double> values;
        for (const QPointF& p : s->points())
            values << p.y();
        return values;
    }

    std::unique_ptr<SessionProbe> probe;
    std::unique_ptr<QWidget> panel;
    SpectrumView* view = nullptr;
};

void SpectrumViewTest::startState() {
    QCOMPARE(view->geometry(), QRect(8, 8, 641, 321));
    QVERIFY(!probe->session.Spectrum().on);
    QCOMPARE(probe->session.Spectrum().binCount, 25);
    QVERIFY(view->LinearButton()->isChecked());
    QVERIFY(!view->LogarithmicButton()->isChecked());
    QVERIFY(!view->PositiveDbBox()->isChecked());
    QVERIFY(view->DbLabel()->isHidden());
    QVERIFY(view->PositiveDbBox()->isHidden());
    QCOMPARE(view->Series(Channel::A)->color(), QColor(Qt::red));
    QCOMPARE(view->Series(Channel::B)->color(), QColor(Qt::green));
    QCOMPARE(view->Series(Channel::A)->count(), 0);
    QVERIFY(!view->chart()->legend()->isVisible());
    QVERIFY(!view->Series(Channel::A)->pointsVisible());
    QCOMPARE(view->chart()->titleFont().pixelSize(), 13);
    QVERIFY(view->chart()->titleFont().bold());
    QCOMPARE(view->chart()->titleFont().family(), QStringLiteral("Times New Roman"));
    QCOMPARE(view->chart()->titleBrush().color(), QColor(Qt::blue));
    QVERIFY(!view->chart()->isPlotAreaBackgroundVisible());
    QCOMPARE(view->cursor().shape(), Qt::DragMoveCursor);
    QCOMPARE(view->ValueAxis()->titleText(), QStringLiteral("   "));
}

// Caption, hint, place and size of each control laid over the chart.
void SpectrumViewTest::controlsOverTheChart_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Linéaire") << "Linéaire"
                              << "Amplitude du spectre linéaire" << QRect(48, 2, 65, 13);
    QTest::newRow("Logarithmique") << "Logarithmique"
                                   << "Amplitude du spectre logarithmique" << QRect(48, 15, 89, 14);
    QTest::newRow("dB>0") << "dB>0"
                          << "Affichage logarithmique pour les valeurs supérieures à 0 dB."
                          << QRect(144, 15, 49, 14);
    QTest::newRow("<") << "<"
                       << "Dilatation du spectre" << QRect(480, 8, 41, 17);
    QTest::newRow("> | <") << "> | <"
                           << "Spectre par défaut" << QRect(528, 8, 41, 17);
    QTest::newRow(">") << ">"
                       << "Contraction du spectre" << QRect(576, 8, 41, 17);
}
void SpectrumViewTest::controlsOverTheChart() {
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(QRect, geometry);
    QAbstractButton* found = nullptr;
    for (QAbstractButton* b : view->findChildren<QAbstractButton*>())
        if (b->text() == caption)
            found = b;
    QVERIFY(found);
    QCOMPARE(found->parentWidget(), view);
    QCOMPARE(found->toolTip(), hint);
    QCOMPARE(found->geometry(), geometry);
    QCOMPARE(found->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(view->DbLabel()->pos(), QPoint(8, 9));
    QCOMPARE(view->DbLabel()->text(), QStringLiteral("dB"));
    QCOMPARE(view->DbLabel()->font().pixelSize(), 15);
}

// "Logarithmique" shows "dB" and "dB>0" at once; the chart changes only at the next
// computation.
void SpectrumViewTest::scaleButtonsShowTheirControlsOnly() {
    Weigh(Sine8, Sine4);
    view->ComputeSpectrum();
    const QList<double> linear = Values(view->Series(Channel::A));
    QCOMPARE(linear.size(), 25);
    QCOMPARE(linear[7], 32.0);

    panel->show();
    QTest::mouseClick(view->LogarithmicButton(), Qt::LeftButton, {}, QPoint(5, 6));
    QVERIFY(view->LogarithmicButton()->isChecked());
    QVERIFY(view->DbLabel()->isVisible());
    QVERIFY(view->PositiveDbBox()->isVisible());
    QCOMPARE(Values(view->Series(Channel::A)), linear);
    QCOMPARE(view->chart()->title(), QStringLiteral("Spectre d'amplitude linéaire"));
    QVERIFY(!view->ValueAxis()->isVisible());
    QCOMPARE(probe->session.Spectrum().scale.logarithmic, true);

    view->ComputeSpectrum();
    QCOMPARE(view->chart()->title(), QStringLiteral("Spectre d'amplitude logarithmique"));
    QVERIFY(view->ValueAxis()->isVisible());
    // 32 on the 1 V range: 20 log10(32 / 15.74) = 6.2 dB.
    QCOMPARE(Values(view->Series(Channel::A))[7], 6.0);

    const QList<double> decibels = Values(view->Series(Channel::A));
    QVERIFY(*std::min_element(decibels.begin(), decibels.end()) < 0);
    QTest::mouseClick(view->PositiveDbBox(), Qt::LeftButton, {}, QPoint(5, 6));
    QVERIFY(view->PositiveDbBox()->isChecked());
    QCOMPARE(Values(view->Series(Channel::A)), decibels); // unchanged until computed
    view->ComputeSpectrum();
    for (double v : Values(view->Series(Channel::A)))
        QVERIFY(v >= 0);

    QTest::mouseClick(view->LinearButton(), Qt::LeftButton, {}, QPoint(5, 6));
    QVERIFY(!view->DbLabel()->isVisible());
    QVERIFY(!view->PositiveDbBox()->isVisible());
    QVERIFY(view->PositiveDbBox()->isChecked()); // kept for the next time
}

// The zoom buttons at a time base: presses, and the counts after each.
void SpectrumViewTest::zoomButtonsChangeTheCountOnly_data() {
    QTest::addColumn<int>("timeBase");
    QTest::addColumn<QList<int>>("presses"); // button index 0 "<", 1 "> | <", 2 ">"
    QTest::addColumn<QList<int>>("counts");
    QTest::newRow("< three times") << 12 << QList<int>{0, 0, 0} << QList<int>{20, 15, 15};
    QTest::newRow("> at 1 µs") << 18 << QList<int>{2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}
                               << QList<int>{30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 75};
    QTest::newRow("> then default") << 12 << QList<int>{2, 2, 1} << QList<int>{30, 35, 25};
}
void SpectrumViewTest::zoomButtonsChangeTheCountOnly() {
    QFETCH(int, timeBase);
    QFETCH(QList<int>, presses);
    QFETCH(QList<int>, counts);
    Session().SelectTimeBase(timeBase);
    Weigh(Sine8, Sine4);
    view->ComputeSpectrum();
    QList<int> seen;
    for (int index : presses) {
        view->ZoomButton(index)->click();
        seen << probe->session.Spectrum().binCount;
        // Nothing is recomputed: the chart keeps its 25 points.
        QCOMPARE(view->Series(Channel::A)->count(), 25);
    }
    QCOMPARE(seen, counts);
    view->ComputeSpectrum();
    QCOMPARE(view->Series(Channel::A)->count(), counts.last());
    QCOMPARE(view->FrequencyLabels().size(), counts.last());
}

// One computation on the chart, by scale and traces: title, margin, axis, series.
void SpectrumViewTest::showsOneComputation_data() {
    QTest::addColumn<bool>("logarithmic");
    QTest::addColumn<bool>("traceA");
    QTest::addColumn<bool>("traceB");
    for (bool log : {false, true})
        for (int traces = 0; traces < 4; ++traces)
            QTest::addRow("%s, traces %d%d", log ? "log" : "linear", traces & 1, traces >> 1)
                << log << bool(traces & 1) << bool(traces & 2);
}
void SpectrumViewTest::showsOneComputation() {
    QFETCH(bool, logarithmic);
    QFETCH(bool, traceA);
    QFETCH(bool, traceB);
    Weigh(Sine8, Sine4);
    PersistedSettings& settings = const_cast<PersistedSettings&>(Session().Settings());
    settings.SetNumber(SettingsLine::ColourA, 16711680); // blue
    settings.SetNumber(SettingsLine::ColourB, 65535);    // yellow
    view->LogarithmicButton()->setChecked(logarithmic);
    Session().SwitchTrace(Channel::A, traceA);
    Session().SwitchTrace(Channel::B, traceB);
    // Points left by an earlier computation are always emptied.
    Session().SwitchTrace(Channel::A, true);
    Session().SwitchTrace(Channel::B, true);
    view->ComputeSpectrum();
    QCOMPARE(view->Series(Channel::B)->count(), 25);
    Session().SwitchTrace(Channel::A, traceA);
    Session().SwitchTrace(Channel::B, traceB);
    settings.SetNumber(SettingsLine::ColourA, 255);
    settings.SetNumber(SettingsLine::ColourB, 32768);

    view->ComputeSpectrum();
    QCOMPARE(view->chart()->title(), logarithmic
                                         ? QStringLiteral("Spectre d'amplitude logarithmique")
                                         : QStringLiteral("Spectre d'amplitude linéaire"));
    QCOMPARE(view->ValueAxis()->isVisible(), logarithmic);
    QCOMPARE(view->ValueAxis()->titleText(), QStringLiteral("   "));
    // Left margin 3 (linear) or 1 (logarithmic) hundredths of the width; top 3 and bottom
    // 1 hundredths of the height.
    QCOMPARE(view->chart()->margins(), QMargins(logarithmic ? 6 : 19, 10, 19, 3));
    QCOMPARE(view->Series(Channel::A)->count(), traceA ? 25 : 0);
    QCOMPARE(view->Series(Channel::B)->count(), traceB ? 25 : 0);
    // Recoloured only when on: an off trace keeps the colour of its last computation.
    QCOMPARE(view->Series(Channel::A)->color(), traceA ? QColor(255, 0, 0) : QColor(0, 0, 255));
    QCOMPARE(view->Series(Channel::B)->color(), traceB ? QColor(0, 128, 0) : QColor(255, 255, 0));
    QCOMPARE(view->FrequencyLabels().size(), traceA || traceB ? 25 : 0);
    if (traceA) {
        // The points stand on the axis by their sequence number.
        QCOMPARE(view->Series(Channel::A)->at(0).x(), 1.0);
        QCOMPARE(view->Series(Channel::A)->at(24).x(), 25.0);
    }
}

// At 500 ms/div the first four bins are all "0Hz" and the next four "1Hz": every bin
// keeps its own label, in bin order.
void SpectrumViewTest::everyBinKeepsItsLabel() {
    Session().SelectTimeBase(1);
    Weigh(Sine8, Sine4);
    view->ComputeSpectrum();
    const QStringList labels = view->FrequencyLabels();
    QCOMPARE(labels.size(), 25);
    QCOMPARE(labels.mid(0, 9),
             (QStringList{"0Hz", "0Hz", "0Hz", "0Hz", "1Hz", "1Hz", "1Hz", "1Hz", "2Hz"}));
    QCOMPARE(labels.last(), QStringLiteral("5Hz"));
    // Each label stands at its bin.
    QCategoryAxis* axis = view->FrequencyAxis();
    const QStringList raw = axis->categoriesLabels();
    for (int i = 0; i < raw.size(); ++i)
        QCOMPARE(axis->endValue(raw[i]), double(i + 1));

    // At 1 ms/div: 117, 234, 351 ... 2929 Hz.
    Session().SelectTimeBase(9);
    view->ComputeSpectrum();
    QCOMPARE(view->FrequencyLabels().mid(0, 3), (QStringList{"117Hz", "234Hz", "351Hz"}));
    QCOMPARE(view->FrequencyLabels().last(), QStringLiteral("2929Hz"));
}

// The labels drawn under the plot: whole, in bin order, never overlapping, the first and
// the last bin's always; at 300 lines most are left out, at 15 none.
void SpectrumViewTest::drawnLabelsNeverOverlap_data() {
    QTest::addColumn<int>("timeBase");
    QTest::addColumn<int>("presses"); // ">" (positive) or "<" (negative) presses from 25
    QTest::newRow("15 lines at 500 ms") << 1 << -2;
    QTest::newRow("25 lines at 1 ms") << 9 << 0;
    QTest::newRow("300 lines at 5 µs") << 16 << 55;
    QTest::newRow("75 lines at 1 µs") << 18 << 10;
}
void SpectrumViewTest::drawnLabelsNeverOverlap() {
    QFETCH(int, timeBase);
    QFETCH(int, presses);
    Session().SelectTimeBase(timeBase);
    for (int i = 0; i < std::abs(presses); ++i)
        view->ZoomButton(presses > 0 ? 2 : 0)->click();
    Weigh(Sine8, Sine4);
    panel->show();
    view->ComputeSpectrum();
    QCoreApplication::processEvents(); // the chart lays itself out
    const auto drawn = view->DrawnLabels();
    const int bins = probe->session.Spectrum().binCount;
    QVERIFY(!drawn.isEmpty());
    QCOMPARE(drawn.first().first, 0);
    QCOMPARE(drawn.last().first, bins - 1); // the highest frequency shown
    const QRectF plot = view->chart()->plotArea();
    for (int i = 0; i < drawn.size(); ++i) {
        const QRectF place = drawn[i].second;
        QVERIFY(place.top() >= plot.bottom());
        QVERIFY(place.left() >= 0 && place.right() <= SpectrumView::ChartWidth);
        if (i > 0) {
            QVERIFY(drawn[i].first > drawn[i - 1].first);
            QVERIFY2(place.left() > drawn[i - 1].second.right(),
                     qPrintable(QString::number(drawn[i].first)));
        }
    }
    if (bins == 300)
        QVERIFY(drawn.size() < 30);
    if (bins == 15)
        QCOMPARE(drawn.size(), 15);
}

// Both axes are ranged to the points at each computation.
// A printer has a finer resolution than the screen: the chart rendered onto it shows the
// bin labels as on the screen, only finer, not larger than their places and cut off.
void SpectrumViewTest::labelsKeepTheirSizeOnAFinerDevice() {
    Weigh(Sine8, Sine4);
    panel->show();
    view->ComputeSpectrum();
    QCoreApplication::processEvents();
    const QImage screen = view->ChartImage();
    const int factor = 4;
    QImage fine(screen.size() * factor, QImage::Format_RGB32);
    fine.setDotsPerMeterX(screen.dotsPerMeterX() * factor);
    fine.setDotsPerMeterY(screen.dotsPerMeterY() * factor);
    fine.fill(Qt::white);
    {
        QPainter painter(&fine);
        view->RenderChart(painter, QRectF(fine.rect()));
    }
    // The strip of the labels, under the plot: the finer picture, brought back to the
    // screen's size, shows the same labels in the same places.
    const QRectF plot = view->chart()->plotArea();
    const QRect strip(0, int(plot.bottom()) + 2, screen.width(), 14);
    const QImage back = fine.scaled(screen.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double ink = 0;
    double difference = 0;
    for (int y = strip.top(); y <= strip.bottom(); ++y)
        for (int x = strip.left(); x <= strip.right(); ++x) {
            ink += 255 - qGray(screen.pixel(x, y));
            difference += std::abs(qGray(screen.pixel(x, y)) - qGray(back.pixel(x, y)));
        }
    QVERIFY(ink > 0);
    QVERIFY2(difference < ink * 0.8,
             qPrintable(QStringLiteral("%1 against %2").arg(difference).arg(ink)));
}

void SpectrumViewTest::rangesFollowEachComputation() {
    Weigh(Sine8, Sine4);
    Session().SwitchTrace(Channel::A, true);
    view->ComputeSpectrum();
    QCOMPARE(view->FrequencyAxis()->min(), 1.0);
    QCOMPARE(view->FrequencyAxis()->max(), 25.0);
    QVERIFY(view->ValueAxis()->min() <= 0);
    QVERIFY(view->ValueAxis()->max() >= 32);
    QVERIFY(view->ValueAxis()->max() < 64);

    view->ZoomButton(2)->click();
    view->ZoomButton(2)->click();
    Weigh([](int n) { return 128 + int(std::lround(120 * std::sin(2 * M_PI * n / 32))); },
          [](int) { return 128; });
    view->ComputeSpectrum();
    QCOMPARE(view->FrequencyAxis()->max(), 35.0);
    QVERIFY(view->ValueAxis()->max() >= 60);

    // Decibels: the range reaches down to the lowest bin.
    view->LogarithmicButton()->setChecked(true);
    view->ComputeSpectrum();
    double lowest = 0;
    for (QLineSeries* s : {view->Series(Channel::A), view->Series(Channel::B)})
        for (const QPointF& p : s->points())
            lowest = std::min(lowest, p.y());
    QVERIFY2(view->ValueAxis()->min() <= lowest && view->ValueAxis()->min() > lowest - 100,
             qPrintable(QStringLiteral("%1 %2").arg(view->ValueAxis()->min()).arg(lowest)));
}

// Before the first completed sweep nothing is weighted: empty series, title and axis set,
// no error.
void SpectrumViewTest::emptyBeforeTheFirstSweep() {
    QVERIFY(!Session().Samples().WeightedWritten(256));
    view->LogarithmicButton()->setChecked(true);
    view->ComputeSpectrum();
    QCOMPARE(view->Series(Channel::A)->count(), 0);
    QCOMPARE(view->Series(Channel::B)->count(), 0);
    QCOMPARE(view->chart()->title(), QStringLiteral("Spectre d'amplitude logarithmique"));
    QVERIFY(view->ValueAxis()->isVisible());
    QVERIFY(view->FrequencyLabels().isEmpty());
}

void SpectrumViewTest::gradientFromTheSettingToWhite() {
    view->SetGradientStart(12582910);
    const QBrush brush = view->chart()->backgroundBrush();
    QVERIFY(brush.gradient());
    const QGradientStops stops = brush.gradient()->stops();
    QCOMPARE(stops.size(), 2);
    QCOMPARE(stops.first().second, ColourFromSetting(12582910));
    QCOMPARE(stops.last().second, QColor(Qt::white));
    QCOMPARE(view->GradientStart(), 12582910);
}

namespace {

// A view made for one picture, over the same session: nothing left from earlier sweeps.
struct FreshView {
    QWidget panel;
    SpectrumView* view;
    FreshView(Instrument& session, const SpectrumView& shown)
        : view(new SpectrumView(session, &panel)) {
        panel.resize(662, 341);
        view->SetGradientStart(shown.GradientStart());
        view->ShowSpectrum(shown.Shown());
    }
};

void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::sendPostedEvents();
}

} // namespace

// A view that has shown a series of sweeps (other counts of lines, the other scale, a
// trace off, the same sweep twice) shows each one as a view that shows it alone.
void SpectrumViewTest::eachSweepKeepsEveryPixel() {
    view->SetGradientStart(12582910);
    Session().SwitchTrace(Channel::A, true);
    Session().SwitchTrace(Channel::B, true);
    panel->show();
    int step = 0;
    const auto check = [&] {
        ++step;
        view->ComputeSpectrum();
        FreshView fresh(Session(), *view);
        fresh.panel.show();
        Settle(); // the chart lays itself out on a posted event, as in the event loop
        const QImage seen = view->grab().toImage();
        if (seen != fresh.view->grab().toImage() || view->ChartImage() != fresh.view->ChartImage())
            QFAIL(qPrintable(
                QStringLiteral("step %1: the chart differs from a new one's").arg(step)));
    };
    Weigh(Sine8, Sine4);
    check();
    check(); // the same sweep again
    Weigh(Sine4, Sine8);
    check();
    view->ZoomButton(2)->click();
    view->ZoomButton(2)->click();
    check();
    view->LogarithmicButton()->setChecked(true);
    check();
    view->PositiveDbBox()->setChecked(true);
    Weigh(Sine8, [](int n) { return 128 + (n % 7) * 9; });
    check();
    Session().SwitchTrace(Channel::B, false);
    check();
    view->LinearButton()->setChecked(true);
    view->ZoomButton(0)->click();
    check();
    // The same count of lines at another time base, straight after: other labels over the
    // same axis and plot.
    const QStringList before = view->FrequencyLabels();
    QVERIFY(!before.isEmpty());
    Session().SelectTimeBase(Session().State().timeBaseIndex == 12 ? 14 : 12);
    check();
    QVERIFY(view->FrequencyLabels() != before);
    // (With no trace on, the chart keeps the axes' lines of the points it showed, which a
    // new chart never drew: Qt Charts' own state, left out here.)
    Session().SwitchTrace(Channel::A, false);
    view->ComputeSpectrum();
    QCOMPARE(view->Series(Channel::A)->count(), 0);
    QCOMPARE(view->Series(Channel::B)->count(), 0);
    QVERIFY(view->FrequencyLabels().isEmpty());
    Session().SwitchTrace(Channel::A, true);
    Session().SwitchTrace(Channel::B, true);
    check(); // lines again after none
}

// The axes' lines are drawn with cosmetic pens: the pixels of the theme's one-pixel pens.
void SpectrumViewTest::thinLinesPutTheThemesPixels() {
    view->SetGradientStart(12582910);
    Session().SwitchTrace(Channel::A, true);
    Session().SwitchTrace(Channel::B, true);
    for (int i = 0; i < 60; ++i)
        view->ZoomButton(2)->click(); // 300 lines: 300 grid lines
    Weigh(Sine8, Sine4);
    view->LogarithmicButton()->setChecked(true); // the value axis shown too
    view->ComputeSpectrum();
    FreshView theme(Session(), *view);
    Settle();
    int widened = 0;
    for (QAbstractAxis* axis : theme.view->chart()->axes()) {
        for (auto [get, set] :
             {std::pair{&QAbstractAxis::linePen, &QAbstractAxis::setLinePen},
              std::pair{&QAbstractAxis::gridLinePen, &QAbstractAxis::setGridLinePen},
              std::pair{&QAbstractAxis::minorGridLinePen, &QAbstractAxis::setMinorGridLinePen},
              std::pair{&QAbstractAxis::shadesPen, &QAbstractAxis::setShadesPen}}) {
            QPen pen = (axis->*get)();
            if (pen.widthF() == 0) {
                pen.setWidthF(1);
                (axis->*set)(pen);
                ++widened;
            }
        }
    }
    QVERIFY(widened >= 4); // the line and the grid of each axis
    Settle();
    QCOMPARE(view->ChartImage(), theme.view->ChartImage());
}

QTEST_MAIN(SpectrumViewTest)
#include "tst_spectrumview.moc"
