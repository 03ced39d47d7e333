#include "dialogs/MeasurementsWindow.h"

#include "analysis/ReadingText.h"
#include "core/ErrorGuard.h"
#include "core/Messages.h"
#include "measure/MeasurementController.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 820;

const char* const ColumnCaptions[MeasurementsWindow::ColumnCount] = {
    "Mesure", "Valeur", "Minimum", "Maximum", "Moyenne", "Écart type", "Balayages", "Remarques"};
constexpr int ColumnWidths[MeasurementsWindow::ColumnCount] = {130, 88, 88, 88, 88, 88, 70, 170};

const QString None = QStringLiteral("—");

std::size_t Index(Channel channel) {
    return channel == Channel::A ? 0 : 1;
}

QString ChannelName(Channel channel) {
    return channel == Channel::A ? QStringLiteral("VOIE A") : QStringLiteral("VOIE B");
}

void SetCell(QTableWidget* table, int row, int column, const QString& text) {
    QTableWidgetItem* item = table->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled);
        if (column != MeasurementsWindow::Name && column != MeasurementsWindow::Notes)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, column, item);
    }
    if (item->text() != text)
        item->setText(text);
}

} // namespace

MeasurementsWindow::MeasurementsWindow(MeasurementController& controller,
                                       std::function<std::optional<QString>()> choose,
                                       QWidget* parent)
    : AuxiliaryWindow(parent), measurements(controller), chooseLogFile(std::move(choose)) {
    setWindowTitle(QStringLiteral("Mesures automatiques"));
    auto* layout = new QVBoxLayout(this);

    sweepLabel = new QLabel(this);
    layout->addWidget(sweepLabel);

    for (Channel c : {Channel::A, Channel::B}) {
        auto* group = new QGroupBox(QStringLiteral(" %1 : ").arg(ChannelName(c)), this);
        QFont bold = group->font();
        bold.setBold(true);
        group->setFont(bold);
        auto* inner = new QVBoxLayout(group);
        QLabel* state = new QLabel(group);
        state->setFont(font());
        inner->addWidget(state);
        auto* table = new QTableWidget(ReadingKindCount, ColumnCount, group);
        table->setFont(font());
        table->verticalHeader()->hide();
        table->verticalHeader()->setDefaultSectionSize(19);
        table->setSelectionMode(QAbstractItemView::NoSelection);
        table->setFocusPolicy(Qt::NoFocus);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        for (int column = 0; column < ColumnCount; ++column) {
            table->setHorizontalHeaderItem(
                column, new QTableWidgetItem(QString::fromUtf8(ColumnCaptions[column])));
            table->setColumnWidth(column, ColumnWidths[column]);
        }
        table->horizontalHeader()->setStretchLastSection(true);
        for (int k = 0; k < ReadingKindCount; ++k)
            SetCell(table, k, Name, QString::fromUtf8(ReadingRowOf(ReadingKind(k)).label));
        table->setFixedHeight(table->horizontalHeader()->sizeHint().height() +
                              ReadingKindCount * 19 + 2 * table->frameWidth());
        inner->addWidget(table);
        layout->addWidget(group);
        tables[Index(c)] = table;
        channelStates[Index(c)] = state;
    }

    logLabel = new QLabel(this);
    logLabel->setWordWrap(true);
    layout->addWidget(logLabel);

    auto* buttons = new QHBoxLayout;
    reset = AddButton(QStringLiteral("Remise à zéro"),
                      QStringLiteral("Recommencer les statistiques des deux voies"), {});
    startLog = AddButton(QStringLiteral("Enregistrer les mesures..."),
                         QStringLiteral("Enregistrer une ligne de mesures par balayage dans un "
                                        "fichier CSV..."),
                         {});
    stopLog = AddButton(QStringLiteral("Arrêter l'enregistrement"),
                        QStringLiteral("Fermer le fichier des mesures"), {});
    QPushButton* help = AddHelpButton(QStringLiteral("&Aide"), QString::fromLatin1(HelpTopic), {});
    QPushButton* ok = AddOkButton({});
    for (QPushButton* b : {reset, startLog, stopLog})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(help);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    setFixedWidth(ClientWidth);

    connect(reset, &QPushButton::clicked, this,
            GuardedSlot([this] { measurements.ResetStatistics(); }));
    connect(startLog, &QPushButton::clicked, this, GuardedSlot([this] { StartLog(); }));
    connect(stopLog, &QPushButton::clicked, this, GuardedSlot([this] { measurements.StopLog(); }));
    connect(&measurements, &MeasurementController::updated, this, [this] {
        if (isVisible())
            Refresh();
    });
    connect(&measurements, &MeasurementController::logChanged, this, [this] { ShowLog(); });
    // Said once the sweep that met the failure is handled.
    connect(
        &measurements, &MeasurementController::logStopped, this,
        [this](const QString& message) {
            Messages::Show(Messages::Kind::Warning, message,
                           isVisible() ? static_cast<QObject*>(this) : QObject::parent());
        },
        Qt::QueuedConnection);
    Refresh();
}

QTableWidget* MeasurementsWindow::Table(Channel channel) const {
    return tables[Index(channel)];
}

QLabel* MeasurementsWindow::ChannelState(Channel channel) const {
    return channelStates[Index(channel)];
}

void MeasurementsWindow::Refresh() {
    const int sweep = measurements.LatestSweep();
    if (sweep == 0)
        sweepLabel->setText(QStringLiteral("Aucun balayage mesuré."));
    else
        sweepLabel->setText(QStringLiteral("Balayage n° %1").arg(sweep) +
                            (measurements.LatestCounted()
                                 ? QString()
                                 : QStringLiteral(" (hors statistiques : pause ou réglage en "
                                                  "cours)")));
    ShowChannel(Channel::A);
    ShowChannel(Channel::B);
    ShowLog();
}

void MeasurementsWindow::ShowChannel(Channel channel) {
    QTableWidget* table = tables[Index(channel)];
    const std::optional<ChannelMeasurements>& latest = measurements.Latest(channel);
    if (latest)
        channelStates[Index(channel)]->setText(
            QStringLiteral("Tensions mesurées par rapport à : %1 ; %2 points mesurés.")
                .arg(FrenchReferenceName(latest->reference))
                .arg(latest->pointCount));
    else
        channelStates[Index(channel)]->setText(measurements.LatestSweep() == 0
                                                   ? QStringLiteral("En attente d'un balayage.")
                                                   : QStringLiteral("Voie éteinte."));
    for (int k = 0; k < ReadingKindCount; ++k) {
        const ReadingRow& row = ReadingRowOf(ReadingKind(k));
        const ReadingStatistics& s = measurements.Statistics(channel, ReadingKind(k));
        const auto value = [&](double v) { return FrenchValueText(v, row.unit); };
        const bool any = s.Count() > 0;
        SetCell(table, k, Current,
                latest ? FrenchReadingText(latest->Of(row.kind), row.unit) : None);
        SetCell(table, k, Lowest, any ? value(s.Minimum()) : None);
        SetCell(table, k, Highest, any ? value(s.Maximum()) : None);
        SetCell(table, k, Mean, any ? value(s.Mean()) : None);
        SetCell(table, k, Deviation, s.Count() > 1 ? value(s.StandardDeviation()) : None);
        SetCell(table, k, Count, QString::number(s.Count()));
        SetCell(table, k, Notes, latest ? FrenchReadingNote(latest->Of(row.kind)) : QString());
    }
}

void MeasurementsWindow::ShowLog() {
    const bool logging = measurements.Logging();
    if (logging)
        logLabel->setText(QStringLiteral("Enregistrement en cours dans « %1 » : %2 balayage(s).")
                              .arg(QFileInfo(measurements.LogPath()).absoluteFilePath())
                              .arg(measurements.LoggedLines()));
    else
        logLabel->setText(QStringLiteral("Aucun enregistrement en cours."));
    stopLog->setEnabled(logging);
}

void MeasurementsWindow::StartLog() {
    if (!chooseLogFile)
        return;
    if (const std::optional<QString> path = chooseLogFile())
        measurements.StartLog(*path);
}
