#pragma once

#include <QTableView>

class SampleTable;
class SampleTableModel;
class QTimer;

// The hardware-check view: the sample table itself, every cell formatted from the store
// as it is shown (raw packet bytes included), in columns of fixed widths and rows 15
// pixels high. Hidden when made. While it is visible it refreshes itself a few times a
// second; Refresh() redraws it at once. Showing it changes nothing in the table.
class SampleTableView : public QTableView {
    Q_OBJECT
public:
    static constexpr int RefreshMs = 250;

    SampleTableView(QWidget* parent, const SampleTable& samples);

    void Refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    SampleTableModel* tableModel;
    QTimer* refresh;
};
