#include "dialogs/SampleTableView.h"

#include "core/SampleTable.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QTimer>

class SampleTableModel : public QAbstractTableModel {
public:
    SampleTableModel(QObject* parent, const SampleTable& samples)
        : QAbstractTableModel(parent), table(samples) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : SampleTable::RowCount;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : SampleTable::ColumnCount;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return table.CellText(index.column(), index.row());
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }

    void Changed() {
        emit dataChanged(index(0, 0),
                         index(SampleTable::RowCount - 1, SampleTable::ColumnCount - 1),
                         {Qt::DisplayRole});
    }

private:
    const SampleTable& table;
};

SampleTableView::SampleTableView(QWidget* parent, const SampleTable& samples)
    : QTableView(parent), tableModel(new SampleTableModel(this, samples)),
      refresh(new QTimer(this)) {
    setModel(tableModel);
    // Row 0 of the table holds its own headers; the view's headers are not shown.
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(SampleTable::RowHeight);
    for (int column = 0; column < SampleTable::ColumnCount; ++column)
        setColumnWidth(column, SampleTable::ColumnWidth(column));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setWordWrap(false);
    setFont([this] {
        QFont small = font();
        small.setPointSize(7);
        return small;
    }());
    connect(refresh, &QTimer::timeout, this, [this] { Refresh(); });
    refresh->setInterval(RefreshMs);
    hide(); // shown on demand, in place of the trigger and translation groups
}

void SampleTableView::Refresh() {
    tableModel->Changed();
}

void SampleTableView::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    Refresh();
    refresh->start();
}

void SampleTableView::hideEvent(QHideEvent* event) {
    refresh->stop();
    QTableView::hideEvent(event);
}
