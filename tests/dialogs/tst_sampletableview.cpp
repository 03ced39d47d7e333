#include "TestTimings.h"
#include "core/SampleTable.h"
#include "dialogs/SampleTableView.h"
#include "link/SampleDecoder.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

QString Shown(const SampleTableView& view, int column, int row) {
    return view.model()->index(row, column).data().toString();
}

} // namespace

// The hardware-check view of the sample table: its layout, the texts of the cells (headers,
// point numbers, the packets as received, numbers, nothing where nothing is written yet),
// and its refresh while it is shown.
class TestSampleTableView : public QObject {
    Q_OBJECT

private slots:
    void layout() {
        SampleTable samples;
        SampleTableView view(nullptr, samples);
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
        QTest::newRow("packet header") << 1 << 0 << "";
        QTest::newRow("VA header") << 11 << 0 << "VA";
        QTest::newRow("VB header") << 12 << 0 << "VB";
        QTest::newRow("display A header") << 13 << 0 << "VA\"";
        QTest::newRow("display B header") << 14 << 0 << "VB\"";
        QTest::newRow("sum header") << 15 << 0 << "VA\"+VB\"";
        QTest::newRow("difference header") << 16 << 0 << "VA\"-VB\"";
        QTest::newRow("FPVA header") << 17 << 0 << "FPVA";
        QTest::newRow("FPVB header") << 18 << 0 << "FPVB";
        QTest::newRow("first point number") << 0 << 1 << "1";
        QTest::newRow("last point number") << 0 << 300 << "300";
        QTest::newRow("centre code") << 12 << 77 << "128";
        QTest::newRow("display B centre") << 14 << 300 << "128";
        QTest::newRow("no packet yet") << 1 << 5 << "";
        QTest::newRow("no start byte yet") << 2 << 5 << "";
        QTest::newRow("no stop byte yet") << 10 << 300 << "";
        QTest::newRow("no sum yet") << 15 << 5 << "";
        QTest::newRow("no difference yet") << 16 << 1 << "";
        QTest::newRow("no weighted A yet") << 17 << 300 << "";
    }

    void initialContent() {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, text);
        SampleTable samples;
        SampleTableView view(nullptr, samples);
        QCOMPARE(Shown(view, column, row), text);
    }

    // A packet whose digits are partly not digits ("x" counts as 2 tens, "z" as 7 units),
    // then a short packet: only its bytes are stored, in the next point.
    void decodedPackets_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        const QString packet = QStringLiteral("A1x5%12zB");
        QTest::newRow("packet") << 1 << 1 << packet;
        for (int i = 0; i < 9; ++i)
            QTest::addRow("byte %d", i) << 2 + i << 1 << QString(packet[i]);
        QTest::newRow("VA") << 11 << 1 << "125";
        QTest::newRow("VB") << 12 << 1 << "127";
        QTest::newRow("display A not copied yet") << 13 << 1 << "128";
        QTest::newRow("sum") << 15 << 1 << "252";
        QTest::newRow("difference") << 16 << 1 << "-2";
        QTest::newRow("weighted A not written") << 17 << 1 << "";
        QTest::newRow("weighted B not written") << 18 << 1 << "";
        QTest::newRow("short packet") << 1 << 2 << "A12";
        QTest::newRow("short packet, byte 2") << 4 << 2 << "2";
        QTest::newRow("short packet, no byte 3") << 5 << 2 << "";
        QTest::newRow("short packet, VA as before") << 11 << 2 << "128";
        QTest::newRow("short packet, no sum") << 15 << 2 << "";
        QTest::newRow("point 3 untouched") << 1 << 3 << "";
    }

    void decodedPackets() {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, text);
        SampleTable samples;
        SampleDecoder decoder(samples);
        SampleTableView view(nullptr, samples);
        decoder.DecodeSamplePacket("A1x5%12zB");
        decoder.DecodeSamplePacket("A12");
        QCOMPARE(Shown(view, column, row), text);
    }

    // While shown, the view refreshes itself: at once when shown, on Refresh(), and a few
    // times a second.
    void refreshesWhileShown() {
        SampleTable samples;
        SampleDecoder decoder(samples);
        SampleTableView view(nullptr, samples);
        QSignalSpy changed(view.model(), &QAbstractItemModel::dataChanged);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(changed.count() >= 1);

        decoder.DecodeSamplePacket("A255#000B");
        changed.clear();
        view.Refresh();
        QCOMPARE(changed.count(), 1);
        const QList<QVariant> range = changed.first();
        QCOMPARE(range.at(0).toModelIndex(), view.model()->index(0, 0));
        QCOMPARE(range.at(1).toModelIndex(), view.model()->index(300, 18));
        QCOMPARE(Shown(view, 11, 1), QStringLiteral("255"));
        QCOMPARE(Shown(view, 16, 1), QStringLiteral("255"));
        QTRY_VERIFY_WITH_TIMEOUT(changed.count() >= 3, 40 * SampleTableView::RefreshMs);
    }

    // Hidden, it does not refresh: over several refresh periods nothing is signalled.
    void noRefreshWhileHidden() {
        SampleTable samples;
        SampleTableView view(nullptr, samples);
        QSignalSpy changed(view.model(), &QAbstractItemModel::dataChanged);
        LetTicksPass(SampleTableView::RefreshMs, 3); // never shown yet
        QCOMPARE(changed.count(), 0);

        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_VERIFY_WITH_TIMEOUT(changed.count() >= 2, 40 * SampleTableView::RefreshMs);
        view.hide();
        changed.clear();
        LetTicksPass(SampleTableView::RefreshMs, 4);
        QCOMPARE(changed.count(), 0);

        view.show(); // refreshed at once again
        QCOMPARE(changed.count(), 1);
    }

    void showingChangesNothing() {
        SampleTable samples;
        SampleDecoder decoder(samples);
        decoder.DecodeSamplePacket("A1x5%12zB");
        const SampleTable before = samples;
        SampleTableView view(nullptr, samples);
        view.show();
        view.Refresh();
        for (int c = 0; c < SampleTable::ColumnCount; ++c)
            for (int r = 0; r < SampleTable::RowCount; ++r)
                view.model()->index(r, c).data();
        view.hide();
        view.show();
        QVERIFY(samples == before);
    }
};

QTEST_MAIN(TestSampleTableView)
#include "tst_sampletableview.moc"
