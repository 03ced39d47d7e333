#include "dialogs/HelpViewer.h"

#include <QtTest>
#include <optional>

Q_DECLARE_METATYPE(std::optional<QRect>)

// Where the help goes when the window asking for it would hide its middle: beside that
// window on the side with the most room, centred on it along that side, on the screen,
// made smaller when the room is smaller (not below 300 x 240), nowhere when no side has
// that room. Worked out for a 1280 x 1024 screen and, but for one row, a help window of
// 620 x 560.
class HelpViewerTest : public QObject {
    Q_OBJECT
private slots:
    void placeBeside_data() {
        QTest::addColumn<QRect>("asking");
        QTest::addColumn<QSize>("help");
        QTest::addColumn<std::optional<QRect>>("expected");
        // Right and left have 540 pixels each: right first, 540 wide; centred on the
        // window's middle (y 511), 280 above it.
        QTest::newRow("centred, narrower on the right")
            << QRect(540, 412, 200, 200) << QSize(620, 560)
            << std::optional<QRect>(QRect(740, 231, 540, 560));
        // 880 pixels on the right; centred on y 249 would start at -31: kept on the screen.
        QTest::newRow("left edge, top kept on the screen")
            << QRect(0, 100, 400, 300) << QSize(620, 560)
            << std::optional<QRect>(QRect(400, 0, 620, 560));
        // Only the 524 pixels below: 524 high, centred on x 639.
        QTest::newRow("only below") << QRect(0, 0, 1280, 500) << QSize(620, 560)
                                    << std::optional<QRect>(QRect(329, 500, 620, 524));
        QTest::newRow("only above") << QRect(0, 600, 1280, 424) << QSize(620, 560)
                                    << std::optional<QRect>(QRect(329, 40, 620, 560));
        // 900 pixels on the left; centred on y 899 would go past the bottom: up to 464.
        QTest::newRow("bottom right corner") << QRect(900, 800, 300, 200) << QSize(620, 560)
                                             << std::optional<QRect>(QRect(280, 464, 620, 560));
        QTest::newRow("fills the screen")
            << QRect(0, 0, 1280, 1024) << QSize(620, 560) << std::optional<QRect>();
        // A help made smaller than the least size by the user keeps its size: 250 wide
        // fits in the 300 pixels left of the window, centred on its middle (y 511).
        QTest::newRow("small help") << QRect(300, 100, 980, 824) << QSize(250, 200)
                                    << std::optional<QRect>(QRect(50, 411, 250, 200));
        QTest::newRow("100 pixels on every side")
            << QRect(100, 100, 1080, 824) << QSize(620, 560) << std::optional<QRect>();
    }
    void placeBeside() {
        QFETCH(QRect, asking);
        QFETCH(QSize, help);
        QFETCH(std::optional<QRect>, expected);
        const QRect screen(0, 0, 1280, 1024);
        const std::optional<QRect> placed =
            HelpViewer::PlaceBeside(QRect(QPoint(10, 10), help), asking, screen);
        QCOMPARE(placed.has_value(), expected.has_value());
        if (!expected)
            return;
        QCOMPARE(*placed, *expected);
        QVERIFY(screen.contains(*placed));
        QVERIFY(!asking.intersects(*placed));
    }
};

QTEST_MAIN(HelpViewerTest)
#include "tst_helpviewer.moc"
