#include "PanelFixture.h"

#include "panel/DialView.h"
#include "screen/Dial.h"

#include <QtTest>
#include <cmath>

// The knob pointers, checked on the pixels of the knob picture.
class PanelDialTest : public QObject {
    Q_OBJECT
private slots:
    void tips_data();
    void tips();
    void rings_data();
    void rings();
    void redrawingReplacesThePointer();
    void channelColourReachesThePointerOnRedraw();
    void colourLineThatIsNoNumberDrawsTheProgramsColour();
    void knobCornerIsTransparent();

private:
    static QImage Blank(DialKind kind);
};

QImage PanelDialTest::Blank(DialKind kind) {
    QImage picture(GeometryOf(kind).picture, QImage::Format_RGB32);
    picture.fill(QColor(200, 200, 200));
    return picture;
}

void PanelDialTest::tips_data() {
    QTest::addColumn<DialKind>("kind");
    QTest::addColumn<int>("angle");
    QTest::addColumn<QPoint>("tip");
    QTest::newRow("0.1 ms/div") << DialKind::TimeBase << 31 << QPoint(169, 60);
    QTest::newRow("1 V/div") << DialKind::VoltsPerDiv << -25 << QPoint(71, 43);
    QTest::newRow("12 o'clock") << DialKind::TimeBase << 0 << QPoint(128, 49);
    QTest::newRow("1 µs/div") << DialKind::TimeBase << 135 << QPoint(184, 184);
    QTest::newRow("10 mV/div") << DialKind::VoltsPerDiv << 151 << QPoint(125, 148);
}

void PanelDialTest::tips() {
    QFETCH(DialKind, kind);
    QFETCH(int, angle);
    QFETCH(QPoint, tip);
    QCOMPARE(DialTip(kind, angle), tip);

    const QColor pointer(10, 120, 30);
    QImage picture = Blank(kind);
    DrawDial(picture, kind, angle, pointer);
    QCOMPARE(picture.pixelColor(tip), pointer);
    // Just past the tip, on the pointer's line, lies the band or the rim, not the pointer.
    const QPoint centre = GeometryOf(kind).centre;
    const double t = angle * M_PI / 180.0;
    const int beyond = GeometryOf(kind).pointerLength + 3;
    const QPoint past(centre.x() + qRound(std::sin(t) * beyond),
                      centre.y() - qRound(std::cos(t) * beyond));
    QVERIFY(picture.pixelColor(past) != pointer);
    // Half-way between the inner rim and the tip, the pointer shows on the band.
    const int middle = (GeometryOf(kind).innerRimRadius + 3 + GeometryOf(kind).pointerLength) / 2;
    const QPoint on(centre.x() + qRound(std::sin(t) * middle),
                    centre.y() - qRound(std::cos(t) * middle));
    QCOMPARE(picture.pixelColor(on), pointer);
}

void PanelDialTest::rings_data() {
    // Colours at a distance from the centre, straight down (the pointer points up).
    QTest::addColumn<DialKind>("kind");
    QTest::addColumn<int>("radius");
    QTest::addColumn<QString>("expected");
    QTest::newRow("time base hub centre") << DialKind::TimeBase << 0 << "pointer";
    QTest::newRow("time base hub centre edge") << DialKind::TimeBase << 20 << "pointer";
    QTest::newRow("time base grey hub") << DialKind::TimeBase << 40 << "hub";
    QTest::newRow("time base inner rim") << DialKind::TimeBase << 60 << "inner";
    QTest::newRow("time base band") << DialKind::TimeBase << 70 << "band";
    QTest::newRow("time base outer rim") << DialKind::TimeBase << 81 << "outer";
    QTest::newRow("time base outside") << DialKind::TimeBase << 90 << "background";
    QTest::newRow("volts hub centre") << DialKind::VoltsPerDiv << 0 << "pointer";
    QTest::newRow("volts white ring") << DialKind::VoltsPerDiv << 25 << "white";
    QTest::newRow("volts grey ring") << DialKind::VoltsPerDiv << 35 << "hub";
    QTest::newRow("volts band") << DialKind::VoltsPerDiv << 50 << "band";
    QTest::newRow("volts outer rim") << DialKind::VoltsPerDiv << 61 << "outer";
    QTest::newRow("volts outside") << DialKind::VoltsPerDiv << 70 << "background";
}

void PanelDialTest::rings() {
    QFETCH(DialKind, kind);
    QFETCH(int, radius);
    QFETCH(QString, expected);
    const QColor pointer(10, 120, 30);
    const QMap<QString, QColor> colours{{"pointer", pointer},
                                        {"hub", DialHubColour()},
                                        {"inner", QColor(192, 220, 192)},
                                        {"band", QColor(255, 251, 240)},
                                        {"outer", QColor(128, 0, 0)},
                                        {"white", QColor(Qt::white)},
                                        {"background", QColor(200, 200, 200)}};
    QImage picture = Blank(kind);
    DrawDial(picture, kind, 0, pointer);
    const QPoint centre = GeometryOf(kind).centre;
    QCOMPARE(picture.pixelColor(centre + QPoint(0, radius)), colours.value(expected));
}

void PanelDialTest::redrawingReplacesThePointer() {
    for (DialKind kind : {DialKind::TimeBase, DialKind::VoltsPerDiv}) {
        QImage fresh = Blank(kind);
        DrawDial(fresh, kind, 31, Qt::red);
        QImage twice = Blank(kind);
        DrawDial(twice, kind, -141, Qt::red);
        DrawDial(twice, kind, 60, Qt::red);
        DrawDial(twice, kind, 31, Qt::red);
        QCOMPARE(twice, fresh);
    }
}

void PanelDialTest::channelColourReachesThePointerOnRedraw() {
    PanelFixture f;
    f.Activate();
    DialView* a = f.ChannelOf(Channel::A).Dial();
    DialView* timeBase = f.panel->TimeBase().Dial();
    const QPoint tip = DialTip(DialKind::VoltsPerDiv, -25);
    const QPoint hub = GeometryOf(DialKind::VoltsPerDiv).centre;
    QCOMPARE(a->Picture().pixelColor(tip), QColor(255, 0, 0));

    LoadSettingsLines(f.probe, {{10, QString::number(0x00FF00)}}); // green, as 0x00BBGGRR
    QCOMPARE(a->Picture().pixelColor(tip), QColor(255, 0, 0));     // not before the redraw
    f.panel->RedrawVoltsDials();
    QCOMPARE(a->Picture().pixelColor(tip), QColor(0, 255, 0));
    QCOMPARE(a->Picture().pixelColor(hub), QColor(0, 255, 0));
    QCOMPARE(a->Angle(), -25);
    QCOMPARE(f.ChannelOf(Channel::B).Dial()->Picture().pixelColor(tip), QColor(0, 0, 255));
    QCOMPARE(timeBase->Picture().pixelColor(DialTip(DialKind::TimeBase, 31)),
             QColor(166, 202, 240));

    // A range chosen later is drawn in the new colour too.
    QTest::mouseClick(f.ChannelOf(Channel::A).RangeButton(9), Qt::LeftButton);
    QCOMPARE(a->Picture().pixelColor(DialTip(DialKind::VoltsPerDiv, 151)), QColor(0, 255, 0));
    QVERIFY(a->Picture().pixelColor(tip) != QColor(0, 255, 0)); // the old pointer is gone
}

void PanelDialTest::colourLineThatIsNoNumberDrawsTheProgramsColour() {
    // The settings keep a number in every colour line: text that is none gives way to the
    // program's own colour (red for channel A), and the knob still follows its range.
    PanelFixture f;
    f.Activate();
    LoadSettingsLines(f.probe, {{10, QStringLiteral("rouge")}});
    QTest::mouseClick(f.ChannelOf(Channel::A).RangeButton(5), Qt::LeftButton);
    QCOMPARE(f.probe.Commands(), QStringList{"A5*&"});
    DialView* a = f.ChannelOf(Channel::A).Dial();
    QCOMPARE(a->Angle(), 55);
    QCOMPARE(a->Picture().pixelColor(DialTip(DialKind::VoltsPerDiv, 55)), QColor(255, 0, 0));
}

void PanelDialTest::knobCornerIsTransparent() {
    // With the program's knob picture, or a plain one when the data files are absent.
    const QString folder = qEnvironmentVariable("OSC_TEST_DATA") + QLatin1Char('/');
    QImage knob =
        LoadKnobPicture(DialKind::TimeBase, folder, QString::fromLatin1(TimeBaseKnobFile));
    QCOMPARE(knob.size(), QSize(264, 264));
    QWidget host;
    host.resize(257, 257);
    host.setAutoFillBackground(true);
    QPalette palette = host.palette();
    palette.setColor(QPalette::Window, QColor(255, 0, 255));
    host.setPalette(palette);
    auto* view = new DialView(&host, DialKind::TimeBase, knob);
    view->Draw(31, TimeBasePointerColour());
    const QImage shown = host.grab().toImage();
    QCOMPARE(shown.pixelColor(0, 256), QColor(255, 0, 255));
    QCOMPARE(shown.pixelColor(2, 2), QColor(255, 0, 255));
    // The hub, stretched by 257/264, stays at the middle of the control.
    QCOMPARE(shown.pixelColor(125, 125), TimeBasePointerColour());
}

QTEST_MAIN(PanelDialTest)
#include "tst_panel_dial.moc"
