#include "spectrum/SpectrumView.h"

#include "core/Colour.h"
#include "core/ErrorGuard.h"
#include "instrument/Instrument.h"
#include "screen/PaintLog.h"

#include <QCategoryAxis>
#include <QChart>
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineSeries>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// The chart's margins are counted in hundredths of its width (left, right) or height
// (top, bottom).
constexpr int TopMargin = 3;
constexpr int BottomMargin = 1;
constexpr int RightMargin = 3;

const QColor StartColourA(Qt::red);
const QColor StartColourB(Qt::green);

struct ZoomRow {
    const char* caption;
    const char* hint;
    int x;
};
const ZoomRow ZoomRows[] = {
    {"<", "Dilatation du spectre", 480},
    {"> | <", "Spectre par défaut", 528},
    {">", "Contraction du spectre", 576},
};

// A category label must be unique on its axis, but bins of slow time bases share their
// frequency ("0Hz" for the first four bins at 500 ms/div). Each repeat gets as many
// zero-width spaces as repeats before it: the same text to the eye, a label of its own.
QString UniqueLabel(const QString& text, int repeat) {
    return text + QString(repeat, QChar(0x200B));
}

// The step between the value axis's labels: about a fifth of the span, rounded to 1, 2
// or 5 times a power of ten, and never below 0.001.
double LabelStep(double span) {
    const double rough = span / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double ratio = rough / power;
    const double step = (ratio <= 1 ? 1 : ratio <= 2 ? 2 : ratio <= 5 ? 5 : 10) * power;
    return std::max(step, 0.001);
}

} // namespace

SpectrumView::SpectrumView(Instrument& owner, QWidget* panel) : QChartView(panel), session(owner) {
    setGeometry(Inset, Inset, ChartWidth, ChartHeight);
    setRenderHint(QPainter::Antialiasing, false);
    setFrameStyle(QFrame::NoFrame);
    setCursor(Qt::DragMoveCursor);
    setRubberBand(QChartView::NoRubberBand);
    // The labels drawn over the chart move with its layout: the whole view is repainted.
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);

    spectrumChart = new QChart;
    spectrumChart->legend()->hide();
    spectrumChart->setBackgroundRoundness(0);
    spectrumChart->setPlotAreaBackgroundVisible(false); // transparent back wall
    spectrumChart->setAnimationOptions(QChart::NoAnimation);
    QFont titleFont(QStringLiteral("Times New Roman"));
    titleFont.setBold(true);
    titleFont.setPixelSize(13);
    spectrumChart->setTitleFont(titleFont);
    spectrumChart->setTitleBrush(QBrush(Qt::blue));

    valueAxis = new QValueAxis;
    valueAxis->setLabelFormat(QStringLiteral("%g"));
    valueAxis->setTickType(QValueAxis::TicksDynamic);
    valueAxis->setTickAnchor(0);
    valueAxis->setMinorTickCount(0);
    valueAxis->setTitleText(ValueAxisTitle);
    frequencyAxis = new QCategoryAxis;
    frequencyAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    // The axis holds every bin's label, but the view draws them itself (drawForeground):
    // whole, and leaving out those that would overlap, where the chart would cut each down
    // to its bin's width. A blank title of the labels' face keeps one line for them.
    frequencyAxis->setLabelsVisible(false);
    frequencyAxis->setTitleFont(frequencyAxis->labelsFont());
    frequencyAxis->setTitleBrush(QBrush(Qt::transparent));
    frequencyAxis->setTitleText(QStringLiteral("&nbsp;"));
    spectrumChart->addAxis(valueAxis, Qt::AlignLeft);
    spectrumChart->addAxis(frequencyAxis, Qt::AlignBottom);
    for (std::size_t c = 0; c < series.size(); ++c) {
        series[c] = new QLineSeries;
        series[c]->setPointsVisible(false);
        spectrumChart->addSeries(series[c]);
        series[c]->attachAxis(frequencyAxis);
        series[c]->attachAxis(valueAxis);
    }
    // The view made a chart of its own; setChart leaves it to its maker.
    const std::unique_ptr<QChart> madeByTheView(chart());
    setChart(spectrumChart);
    // The theme's lines of the axes are one pixel wide: drawn unscaled and without
    // antialiasing, a cosmetic pen puts the same pixels, where the chart would otherwise
    // stroke each of the axes' hundreds of lines into a path to paint it and to find its
    // bounds at each paint.
    for (QAbstractAxis* axis : std::initializer_list<QAbstractAxis*>{valueAxis, frequencyAxis}) {
        const auto cosmetic = [](QPen pen) {
            if (pen.widthF() == 1.0)
                pen.setWidthF(0);
            return pen;
        };
        axis->setLinePen(cosmetic(axis->linePen()));
        axis->setGridLinePen(cosmetic(axis->gridLinePen()));
        axis->setMinorGridLinePen(cosmetic(axis->minorGridLinePen()));
        axis->setShadesPen(cosmetic(axis->shadesPen()));
    }

    // The controls over the chart.
    QFont dbFont = font();
    dbFont.setBold(true);
    dbFont.setPixelSize(15);
    dbLabel = new QLabel(QStringLiteral("dB"), this);
    dbLabel->setFont(dbFont);
    dbLabel->setStyleSheet(QStringLiteral("background: white;"));
    dbLabel->adjustSize();
    dbLabel->move(8, 9);

    // The scale controls have fixed sizes: their face is made to fit them.
    QFont small = font();
    small.setPixelSize(11);
    const QString white = QStringLiteral("background: white;");
    linear = new QRadioButton(QStringLiteral("Linéaire"), this);
    linear->setToolTip(QStringLiteral("Amplitude du spectre linéaire"));
    linear->setGeometry(48, 2, 65, 13);
    logarithmic = new QRadioButton(QStringLiteral("Logarithmique"), this);
    logarithmic->setToolTip(QStringLiteral("Amplitude du spectre logarithmique"));
    logarithmic->setGeometry(48, 15, 89, 14);
    positiveDb = new QCheckBox(QStringLiteral("dB>0"), this);
    positiveDb->setToolTip(
        QStringLiteral("Affichage logarithmique pour les valeurs supérieures à 0 dB."));
    positiveDb->setGeometry(144, 15, 49, 14);
    for (QWidget* control : std::initializer_list<QWidget*>{linear, logarithmic, positiveDb}) {
        control->setStyleSheet(white);
        control->setCursor(Qt::PointingHandCursor);
        QFont face = small;
        control->setFont(face);
        while (face.pixelSize() > 8 && control->sizeHint().width() > control->width()) {
            face.setPixelSize(face.pixelSize() - 1);
            control->setFont(face);
        }
    }
    dbLabel->setCursor(Qt::PointingHandCursor);
    // The controls change the session's settings and show them back.
    connect(linear, &QRadioButton::toggled, this, GuardedSlot([this](bool checked) {
                if (checked)
                    session.SelectSpectrumScale(false);
            }));
    connect(logarithmic, &QRadioButton::toggled, this, GuardedSlot([this](bool checked) {
                if (checked)
                    session.SelectSpectrumScale(true);
            }));
    connect(positiveDb, &QCheckBox::toggled, this,
            GuardedSlot([this](bool checked) { session.SetPositiveDbOnly(checked); }));
    connect(&session, &Instrument::spectrumSettingsChanged, this, &SpectrumView::ShowSettings);

    for (std::size_t i = 0; i < zoom.size(); ++i) {
        const ZoomRow& row = ZoomRows[i];
        zoom[i] = new QPushButton(QString::fromUtf8(row.caption), this);
        zoom[i]->setToolTip(QString::fromUtf8(row.hint));
        zoom[i]->setGeometry(row.x, 8, 41, 17);
        zoom[i]->setCursor(Qt::PointingHandCursor);
        zoom[i]->setFocusPolicy(Qt::NoFocus);
    }
    // None of the zoom buttons redraws: the new count shows at the next computation.
    connect(zoom[0], &QPushButton::clicked, this,
            GuardedSlot([this] { session.DilateSpectrum(); }));
    connect(zoom[1], &QPushButton::clicked, this,
            GuardedSlot([this] { session.DefaultSpectrum(); }));
    connect(zoom[2], &QPushButton::clicked, this,
            GuardedSlot([this] { session.ContractSpectrum(); }));

    Reset();
}

void SpectrumView::Reset() {
    ShowSettings();
    series[0]->setColor(StartColourA);
    series[1]->setColor(StartColourB);
    for (QLineSeries* s : series)
        s->clear();
    SetFrequencyLabels({});
    spectrumChart->setTitle(LinearTitle);
    valueAxis->setVisible(false);
    SetMargins(1);
}

void SpectrumView::ShowSettings() {
    const SpectrumScale& scale = session.Spectrum().scale;
    (scale.logarithmic ? logarithmic : linear)->setChecked(true);
    positiveDb->setChecked(scale.positiveDbOnly);
    dbLabel->setVisible(scale.logarithmic);
    positiveDb->setVisible(scale.logarithmic);
}

void SpectrumView::SetGradientStart(int colour) {
    gradientStart = colour;
    QLinearGradient gradient(0, 0, 0, 1);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0, ColourFromSetting(colour));
    gradient.setColorAt(1, Qt::white);
    spectrumChart->setBackgroundBrush(QBrush(gradient));
}

void SpectrumView::SetMargins(int leftUnits) {
    const auto scaled = [](int units, int size) { return int(std::lround(units * size / 100.0)); };
    const QMargins margins(scaled(leftUnits, ChartWidth), scaled(TopMargin, ChartHeight),
                           scaled(RightMargin, ChartWidth), scaled(BottomMargin, ChartHeight));
    if (spectrumChart->margins() != margins)
        spectrumChart->setMargins(margins);
}

void SpectrumView::ComputeSpectrum() {
    if (PaintLog::Enabled())
        computedAtNs = PaintLog::Now();
    const SpectrumSettings& settings = session.Spectrum();
    const SpectrumScale scale = settings.scale;
    ShowSpectrum(::ComputeSpectrum(
        {session.ShownSamples(), session.ShownState(), session.Settings(), settings.binCount,
         scale}));
    shownScale = scale;
    shownSamplingFrequency = SamplingFrequency(session.ShownState().timeBaseIndex);
}

void SpectrumView::ShowSpectrum(const SpectrumChartData& data) {
    shown = data;
    // Each sweep changes the points only, as a rule: the chart is told of nothing else,
    // so that it lays out its axes and title again only when they change. A series is
    // replaced at once, never emptied first (each change is a repaint of the chart).
    if (spectrumChart->title() != data.title)
        spectrumChart->setTitle(data.title);
    if (valueAxis->isVisible() != data.valueAxisShown)
        valueAxis->setVisible(data.valueAxisShown);
    SetMargins(data.leftMargin);
    if (data.valueAxisTitleSet && valueAxis->titleText() != ValueAxisTitle)
        valueAxis->setTitleText(ValueAxisTitle);

    int lowest = 0;
    int highest = 0;
    bool any = false;
    for (std::size_t c = 0; c < series.size(); ++c) {
        const SpectrumSeriesData& d = data.series[c];
        if (!d.filled) {
            if (series[c]->count() != 0)
                series[c]->clear();
            continue;
        }
        const QColor colour = ColourFromSetting(d.colour);
        if (series[c]->color() != colour)
            series[c]->setColor(colour);
        QList<QPointF> points;
        points.reserve(qsizetype(d.values.size()));
        for (std::size_t i = 0; i < d.values.size(); ++i) {
            const int value = d.values[i];
            points.append(QPointF(double(i + 1), value));
            lowest = any ? std::min(lowest, value) : value;
            highest = any ? std::max(highest, value) : value;
            any = true;
        }
        series[c]->replace(points);
    }

    // The axes follow the points present; the chart does not range them by itself when
    // points are added.
    SetFrequencyLabels(any ? data.frequencies : std::vector<qint64>{});
    if (any) {
        frequencyAxis->setRange(1, std::max<double>(2, double(data.frequencies.size())));
        if (lowest == highest) {
            --lowest;
            ++highest;
        }
        // The step first: a range set under the old step lays out the old step's labels.
        valueAxis->setTickInterval(LabelStep(highest - lowest));
        valueAxis->setRange(lowest, highest);
    } else {
        frequencyAxis->setRange(0, 1);
        valueAxis->setRange(0, 1);
    }
}

void SpectrumView::SetFrequencyLabels(const std::vector<qint64>& frequencies) {
    // The axis relays itself out at each label removed or added: the labels change only
    // with the number of lines or the time base.
    if (labelledFrequencies && *labelledFrequencies == frequencies)
        return;
    labelledFrequencies = frequencies;
    for (const QString& label : frequencyAxis->categoriesLabels())
        frequencyAxis->remove(label);
    frequencyAxis->setStartValue(0.5);
    QString previous;
    int repeat = 0;
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        const QString text = BinLabel(frequencies[i]);
        repeat = text == previous ? repeat + 1 : 0;
        previous = text;
        frequencyAxis->append(UniqueLabel(text, repeat), double(i + 1));
    }
}

QStringList SpectrumView::FrequencyLabels() const {
    QStringList labels = frequencyAxis->categoriesLabels();
    for (QString& label : labels)
        label.remove(QChar(0x200B));
    return labels;
}

QLineSeries* SpectrumView::Series(Channel channel) const {
    return series[channel == Channel::A ? 0 : 1];
}

QList<QPair<int, QRectF>> SpectrumView::DrawnLabels() const {
    // The places change only with the labels, the plot area and the frequency axis's
    // range: measuring 300 labels at each paint would cost more than the paint.
    const QRectF plot = spectrumChart->plotArea();
    const QFont face = frequencyAxis->labelsFont();
    if (labelPlaces && labelPlaces->plot == plot && labelPlaces->min == frequencyAxis->min() &&
        labelPlaces->max == frequencyAxis->max() && labelPlaces->face == face &&
        labelPlaces->labelsShown == labelledFrequencies)
        return labelPlaces->drawn;
    labelPlaces = LabelPlaces{plot,
                              frequencyAxis->min(),
                              frequencyAxis->max(),
                              face,
                              labelledFrequencies,
                              FrequencyLabels(),
                              PlaceLabels(plot, face)};
    return labelPlaces->drawn;
}

QList<QPair<int, QRectF>> SpectrumView::PlaceLabels(const QRectF& plot, const QFont& face) const {
    QList<QPair<int, QRectF>> drawn;
    const QStringList labels = FrequencyLabels();
    if (labels.isEmpty())
        return drawn;
    const QFontMetricsF metrics(face);
    const double top = plot.bottom() + 2;
    const double gap = metrics.horizontalAdvance(u' ');
    const auto place = [&](int i) {
        const double x =
            spectrumChart->mapToPosition(QPointF(i + 1, valueAxis->min()), series[0]).x();
        const double width = metrics.horizontalAdvance(labels[i]);
        const double left = std::max(std::min(x - width / 2, double(ChartWidth) - width), 0.0);
        return QRectF(left, top, width, metrics.height());
    };
    double free = 0; // the first x a label may start at
    for (int i = 0; i < labels.size(); ++i) {
        const QRectF rect = place(i);
        if (rect.left() < free)
            continue;
        drawn.append({i, rect});
        free = rect.right() + gap;
    }
    // The last bin's label, the highest frequency shown, always: the labels before it give
    // way.
    const int last = int(labels.size()) - 1;
    if (drawn.last().first != last) {
        const QRectF rect = place(last);
        while (drawn.size() > 1 && drawn.last().second.right() + gap > rect.left())
            drawn.removeLast();
        drawn.append({last, rect});
    }
    return drawn;
}

void SpectrumView::drawForeground(QPainter* painter, const QRectF& rect) {
    QChartView::drawForeground(painter, rect);
    const QList<QPair<int, QRectF>> drawn = DrawnLabels();
    if (drawn.isEmpty())
        return;
    const QStringList& labels = labelPlaces->texts;
    // The places were measured in screen pixels: the face is given the same height in
    // pixels, so that a printer's finer resolution draws the labels at the same size on the
    // page instead of too large for their places.
    QFont font = frequencyAxis->labelsFont();
    font.setPixelSize(QFontInfo(font).pixelSize());
    painter->save();
    painter->setFont(font);
    painter->setPen(Qt::black);
    for (const auto& [index, place] : drawn)
        painter->drawText(place, Qt::AlignLeft | Qt::AlignTop, labels[index]);
    painter->restore();
}

void SpectrumView::paintEvent(QPaintEvent* event) {
    QChartView::paintEvent(event);
    if (computedAtNs != 0) {
        PaintLog::Write(computedAtNs, PaintLog::Now());
        computedAtNs = 0;
    }
}

QImage SpectrumView::ChartImage() const {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    RenderChart(painter, QRectF(image.rect()));
    return image;
}

void SpectrumView::RenderChart(QPainter& painter, const QRectF& target) const {
    // Drawn at the view's own size, the painter scaled to the target: the bin labels the
    // view draws over the plot keep their places.
    const QSizeF own = size();
    if (own.isEmpty() || target.isEmpty())
        return;
    const qreal scale = std::min(target.width() / own.width(), target.height() / own.height());
    painter.save();
    painter.translate(target.center() - QPointF(own.width(), own.height()) * scale / 2);
    painter.scale(scale, scale);
    // The view's own rendering draws the scene and the bin labels, not the child widgets.
    const_cast<SpectrumView*>(this)->render(&painter, QRectF(QPointF(0, 0), own), rect());
    painter.restore();
}
