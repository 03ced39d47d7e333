#include "LinkTestSupport.h"
#include "link/SampleDecoder.h"
#include "dialogs/SampleTableView.h"

#include <QApplication>
#include <QHeaderView>
#include <QTest>

// The hardware-check view of the sample table.
class TestSampleTableView : public QObject {
    Q_OBJECT

    static QString Shown(const SampleTableView& view, int column, int row) {
        return view.model()->index(row, column).data().toString();
    }

private slots:
    void layout() {
        LinkServices services;
        SampleTableView view(nullptr, services);
        QVERIFY(view.isHidden());
        QCOMPARE(view.model()->columnCount(), 19);
        QCOMPARE(view.model()->rowCount(), 301);
        const int widths[19] = {25, 65, 15, 15, 15, 15, 15, 15, 15, 15,
                                15, 25, 25, 25, 25, 50, 50, 40, 40};
        for (int c = 0; c < 19; ++c)
            QCOMPARE(view.columnWidth(c), widths[c]);
        for (int r : {0, 1, 150, 300})
            QCOMPARE(view.rowHeight(r), 15);
        QVERIFY(view.horizontalHeader()->isHidden());
        QVERIFY(view.verticalHeader()->isHidden());
    }

    void initialContent_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::newRow("corner") << 0 << 0 << "";
        QTest::newRow("VA header") << 11 << 0 << "VA";
        QTest::newRow("display A header") << 13 << 0 << "VA\"";
        QTest::newRow("sum header") << 15 << 0 << "VA\"+VB\"";
        QTest::newRow("difference header") << 16 << 0 << "VA\"-VB\"";
        QTest::newRow("FPVB header") << 18 << 0 << "FPVB";
        QTest::newRow("first point number") << 0 << 1 << "1";
        QTest::newRow("last point number") << 0 << 300 << "300";
        QTest::newRow("centre code") << 12 << 77 << "128";
        QTest::newRow("display B centre") << 14 << 300 << "128";
        QTest::newRow("no packet yet") << 1 << 5 << "";
        QTest::newRow("no sum yet") << 15 << 5 << "";
    }

    void initialContent() {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, text);
        LinkServices services;
        SampleTableView view(nullptr, services);
        QCOMPARE(Shown(view, column, row), text);
    }

    void showsNewPacketsAfterRefresh() {
        LinkServices services;
        SampleTableView view(nullptr, services);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        int changes = 0;
        connect(view.model(), &QAbstractItemModel::dataChanged, [&] { ++changes; });
        SampleDecoder decoder(services);
        decoder.DecodeSamplePacket("A1x5%12zB");
        QCOMPARE(Shown(view, 1, 1), QStringLiteral("A1x5%12zB"));
        QCOMPARE(Shown(view, 4, 1), QStringLiteral("x"));
        QCOMPARE(Shown(view, 11, 1), QStringLiteral("125"));
        view.Refresh();
        QCOMPARE(changes, 1);
        // While shown it refreshes by itself; hidden, it does not.
        QTRY_VERIFY_WITH_TIMEOUT(changes >= 2, 2 * SampleTableView::RefreshMs + 200);
        view.hide();
        const int seen = changes;
        QTest::qWait(2 * SampleTableView::RefreshMs);
        QCOMPARE(changes, seen);
    }

    void showingChangesNothing() {
        LinkServices services;
        const SampleTable before = services.samples;
        SampleTableView view(nullptr, services);
        view.show();
        view.Refresh();
        view.hide();
        view.show();
        for (int c = 0; c < SampleTable::ColumnCount; ++c)
            for (int r = 0; r < SampleTable::RowCount; ++r)
                QCOMPARE(services.samples.Cell(c, r), before.Cell(c, r));
    }
};

QTEST_MAIN(TestSampleTableView)
#include "tst_sampletableview.moc"
