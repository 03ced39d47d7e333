#include "PanelFixture.h"

#include "panel/DialView.h"

#include <QLabel>
#include <QSlider>
#include <QtTest>

// Clicks on the time base, channel, trigger and run controls reach the session (seen in
// the commands the box receives), and the controls show what the session announces.
class PanelHandlersTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { f.reset(); }

    void timeBaseButton_data();
    void timeBaseButton();
    void voltsPerDivButton_data();
    void voltsPerDivButton();
    void couplingButton_data();
    void couplingButton();
    void groundWithArmedTriggerShowsOff();
    void probeButtons();
    void sliderReleaseSendsItsValue_data();
    void sliderReleaseSendsItsValue();
    void sliderIgnoresKeyboardAndWheel();
    void positionButtons_data();
    void positionButtons();
    void triggerButton_data();
    void triggerButton();
    void pauseThenRun();
    void traceSwitchTakesTheLeftButton();
    void displaysFollowTheSession();

private:
    QStringList Commands() const { return f->probe.Commands(); }
    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

    std::unique_ptr<PanelFixture> f;
};

void PanelHandlersTest::init() {
    f = std::make_unique<PanelFixture>();
    f->Activate();
}

void PanelHandlersTest::timeBaseButton_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("timeDiv");
    QTest::addColumn<QString>("sampling");
    QTest::addColumn<QString>("ramSweep");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("angle");
    QTest::newRow("0.5 ms") << 10 << "Time/Div : 0.5ms"
                            << "Fréquence d'échantillonnage : 60kHz"
                            << "Balayage RAM : 34,1ms"
                            << "T18&" << -7;
    QTest::newRow("1 µs") << 18 << "Time/Div : 1µs"
                          << "Fréquence d'échantillonnage : 30MHz"
                          << "Balayage RAM : 68,2µs"
                          << "T00&" << 135;
    QTest::newRow("500 ms") << 1 << "Time/Div : 500ms"
                            << "Fréquence d'échantillonnage : 60Hz"
                            << "Balayage RAM : 34,11s"
                            << "T21&" << -141;
    QTest::newRow("0.1 ms, the current range") << 12 << "Time/Div : 0.1ms"
                                               << "Fréquence d'échantillonnage : 300kHz"
                                               << "Balayage RAM : 6,82ms"
                                               << "T02&" << 31;
}

void PanelHandlersTest::timeBaseButton() {
    QFETCH(int, index);
    QFETCH(QString, timeDiv);
    QFETCH(QString, sampling);
    QFETCH(QString, ramSweep);
    QFETCH(QString, command);
    QFETCH(int, angle);
    TimeBasePanel& panel = f->panel->TimeBase();
    QVERIFY(PanelFixture::Clickable(panel.RangeButton(index)));
    Click(panel.RangeButton(index));

    QCOMPARE(Commands(), QStringList{command});
    QCOMPARE(panel.TimeDivLabel()->text(), timeDiv);
    QCOMPARE(panel.SamplingLabel()->text(), sampling);
    QCOMPARE(panel.RamSweepLabel()->text(), ramSweep);
    QCOMPARE(panel.Dial()->Angle(), angle);
}

void PanelHandlersTest::voltsPerDivButton_data() {
    QTest::addColumn<Channel>("channel");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("angle");
    QTest::newRow("A 500 mV") << Channel::A << 4 << "A4*&"
                              << "Volts/Div : 500mV" << 28;
    QTest::newRow("A 50 mV, code 8") << Channel::A << 7 << "A8*&"
                                     << "Volts/Div : 50mV" << 102;
    QTest::newRow("B 10 mV") << Channel::B << 9 << "B10*&"
                             << "Volts/Div : 10mV" << 151;
    QTest::newRow("B 5 V") << Channel::B << 1 << "B12*&"
                           << "Volts/Div : 5V" << -78;
}

void PanelHandlersTest::voltsPerDivButton() {
    QFETCH(Channel, channel);
    QFETCH(int, index);
    QFETCH(QString, command);
    QFETCH(QString, label);
    QFETCH(int, angle);
    if (channel == Channel::B)
        Click(&f->SwitchOf(Channel::B));
    f->probe.events.clear();
    ChannelPanel& panel = f->ChannelOf(channel);
    QVERIFY(PanelFixture::Clickable(panel.RangeButton(index)));
    Click(panel.RangeButton(index));

    QCOMPARE(Commands(), QStringList{command});
    QCOMPARE(panel.PanelLabel()->text(), label);
    QCOMPARE(panel.Dial()->Angle(), angle);
    // The other channel's knob stays at 1 V.
    const Channel other = channel == Channel::A ? Channel::B : Channel::A;
    QCOMPARE(f->ChannelOf(other).Dial()->Angle(), -25);
    QCOMPARE(f->ChannelOf(other).PanelLabel()->text(), QStringLiteral("Volts/Div : 1V"));
}

void PanelHandlersTest::couplingButton_data() {
    QTest::addColumn<Channel>("channel");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("label");
    QTest::newRow("A AC") << Channel::A << 1 << "G&"
                          << "VOIE A : AC";
    QTest::newRow("A DC") << Channel::A << 3 << "I&"
                          << "VOIE A : DC";
    QTest::newRow("B AC") << Channel::B << 1 << "J&"
                          << "VOIE B : AC";
    QTest::newRow("B DC") << Channel::B << 3 << "M&"
                          << "VOIE B : DC";
}

void PanelHandlersTest::couplingButton() {
    QFETCH(Channel, channel);
    QFETCH(int, value);
    QFETCH(QString, command);
    QFETCH(QString, label);
    if (channel == Channel::B)
        Click(&f->SwitchOf(Channel::B));
    f->probe.events.clear();
    ChannelPanel& panel = f->ChannelOf(channel);
    Click(panel.CouplingButton(value));
    QCOMPARE(Commands(), QStringList{command});
    QCOMPARE(panel.CouplingLabel()->text(), label);
    QVERIFY(panel.CouplingButton(value)->isChecked());
    QVERIFY(!panel.CouplingButton(2)->isChecked());

    // Back to GND.
    Click(panel.CouplingButton(2));
    QCOMPARE(Commands().last(),
             channel == Channel::A ? QStringLiteral("H&") : QStringLiteral("K&"));
    QCOMPARE(panel.CouplingLabel()->text(), channel == Channel::A ? QStringLiteral("VOIE A : GND")
                                                                  : QStringLiteral("VOIE B : GND"));
    QVERIFY(panel.CouplingButton(2)->isChecked());
    QVERIFY(!panel.CouplingButton(value)->isChecked());
}

void PanelHandlersTest::groundWithArmedTriggerShowsOff() {
    Click(&f->SwitchOf(Channel::B));
    Click(f->ChannelOf(Channel::B).CouplingButton(3));
    TriggerPanel& trigger = f->panel->Trigger();
    Click(trigger.SourceButton(2)); // "VOIE A"
    QCOMPARE(trigger.GlyphName(), QStringLiteral("ledoff.bmp"));
    f->probe.events.clear();

    Click(f->ChannelOf(Channel::B).CouplingButton(2));
    QCOMPARE(Commands(), QStringList{"K&"});
    QVERIFY(trigger.SourceButton(1)->isChecked());
    QVERIFY(!trigger.SourceButton(2)->isChecked());
    QCOMPARE(trigger.GlyphName(), QStringLiteral("ledon.bmp"));

    Click(trigger.SourceButton(2));
    QCOMPARE(Commands(), (QStringList{"K&", "U&"}));
    QVERIFY(trigger.SourceButton(2)->isChecked());
    QCOMPARE(trigger.GlyphName(), QStringLiteral("ledoff.bmp"));
}

void PanelHandlersTest::probeButtons() {
    ChannelPanel& panel = f->ChannelOf(Channel::A);
    QVERIFY(panel.ProbeButton(false)->isChecked());
    Click(panel.ProbeButton(true));
    QVERIFY(f->Session().State().channelA.probeTimesTen);
    QVERIFY(panel.ProbeButton(true)->isChecked() && !panel.ProbeButton(false)->isChecked());
    QCOMPARE(f->probe.events, QStringList{"redraw"});
    // The panel keeps the x1 range; only the screen shows the x10 one.
    QCOMPARE(panel.PanelLabel()->text(), QStringLiteral("Volts/Div : 1V"));

    Click(panel.ProbeButton(false));
    QVERIFY(!f->Session().State().channelA.probeTimesTen);
    QVERIFY(panel.ProbeButton(false)->isChecked() && !panel.ProbeButton(true)->isChecked());
    QCOMPARE(f->probe.events, (QStringList{"redraw", "redraw"}));
}

void PanelHandlersTest::sliderReleaseSendsItsValue_data() {
    QTest::addColumn<Channel>("channel");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QString>("command");
    QTest::newRow("A, left button") << Channel::A << Qt::LeftButton << "Q40#&";
    QTest::newRow("A, right button") << Channel::A << Qt::RightButton << "Q40#&";
    QTest::newRow("B, left button") << Channel::B << Qt::LeftButton << "R40#&";
}

void PanelHandlersTest::sliderReleaseSendsItsValue() {
    QFETCH(Channel, channel);
    QFETCH(Qt::MouseButton, button);
    QFETCH(QString, command);
    if (channel == Channel::B)
        Click(&f->SwitchOf(Channel::B));
    f->probe.events.clear();
    QSlider* slider = f->ChannelOf(channel).PositionSlider();
    QVERIFY(PanelFixture::Clickable(slider));
    slider->setValue(40); // as a drag leaves it: nothing is sent yet
    QVERIFY(f->probe.events.isEmpty());
    QTest::mouseRelease(slider, button);
    QCOMPARE(Commands(), QStringList{command});
    QCOMPARE(f->Session().State().Of(channel).verticalPosition, 40);
}

void PanelHandlersTest::sliderIgnoresKeyboardAndWheel() {
    QSlider* slider = f->ChannelOf(Channel::A).PositionSlider();
    for (int key : {Qt::Key_Up, Qt::Key_PageUp, Qt::Key_End})
        QTest::keyClick(slider, static_cast<Qt::Key>(key));
    QWheelEvent wheel(QPointF(16, 100), slider->mapToGlobal(QPointF(16, 100)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &wheel);
    QCOMPARE(slider->value(), 128);
    QCOMPARE(slider->focusPolicy(), Qt::NoFocus);
    QVERIFY(f->probe.events.isEmpty());
}

void PanelHandlersTest::positionButtons_data() {
    QTest::addColumn<Channel>("channel");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("slider");
    QTest::newRow("A up") << Channel::A << "up"
                          << "Q61#&" << 61;
    QTest::newRow("A down") << Channel::A << "down"
                            << "Q59#&" << 59;
    QTest::newRow("B centre") << Channel::B << "centre"
                              << "R128#&" << 128;
}

void PanelHandlersTest::positionButtons() {
    QFETCH(Channel, channel);
    QFETCH(QString, button);
    QFETCH(QString, command);
    QFETCH(int, slider);
    if (channel == Channel::B)
        Click(&f->SwitchOf(Channel::B));
    ChannelPanel& panel = f->ChannelOf(channel);
    panel.PositionSlider()->setValue(60);
    QTest::mouseRelease(panel.PositionSlider(), Qt::LeftButton);
    f->probe.events.clear();

    QAbstractButton* pressed = button == "up"     ? panel.UpButton()
                               : button == "down" ? panel.DownButton()
                                                  : panel.CentreButton();
    QVERIFY(PanelFixture::Clickable(pressed));
    Click(pressed);
    QCOMPARE(Commands(), QStringList{command});
    QCOMPARE(panel.PositionSlider()->value(), slider);
}

void PanelHandlersTest::triggerButton_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("glyph");
    QTest::newRow("EXTERNE") << 4 << "W&"
                             << "ledoff.bmp";
    QTest::newRow("VOIE B") << 3 << "V&"
                            << "ledoff.bmp";
    QTest::newRow("OFF") << 1 << "S&"
                         << "ledon.bmp";
}

void PanelHandlersTest::triggerButton() {
    QFETCH(int, source);
    QFETCH(QString, command);
    QFETCH(QString, glyph);
    TriggerPanel& trigger = f->panel->Trigger();
    Click(trigger.SourceButton(2)); // from a trigger armed on channel A
    f->probe.events.clear();
    Click(trigger.SourceButton(source));
    QCOMPARE(Commands(), QStringList{command});
    QCOMPARE(trigger.GlyphName(), glyph);
    QVERIFY(trigger.SourceButton(source)->isChecked());
    QVERIFY(!trigger.Glyph()->pixmap().isNull());
}

void PanelHandlersTest::pauseThenRun() {
    AcquisitionPanel& acquisition = f->panel->Acquisition();
    const QList<QWidget*> frozen{
        f->panel->TimeBase().RangeButton(3),        f->ChannelOf(Channel::A).RangeButton(4),
        f->ChannelOf(Channel::A).CouplingButton(1), f->ChannelOf(Channel::A).PositionSlider(),
        f->ChannelOf(Channel::A).CentreButton(),    f->panel->Trigger().SourceButton(3)};
    for (QWidget* w : frozen)
        QVERIFY(PanelFixture::Clickable(w));
    QVERIFY(acquisition.RunButton()->isChecked());

    Click(acquisition.PauseButton());
    QCOMPARE(Commands(), QStringList{"P&"});
    QVERIFY(acquisition.PauseButton()->isChecked() && !acquisition.RunButton()->isChecked());
    for (QWidget* w : frozen)
        QVERIFY2(!PanelFixture::Clickable(w), qPrintable(w->toolTip()));
    for (QGroupBox* group : {f->timeBase, f->channelA, f->channelB, f->trigger})
        QVERIFY2(!group->isEnabled(), qPrintable(group->title()));
    QVERIFY(PanelFixture::Clickable(acquisition.RunButton()));
    QVERIFY(PanelFixture::Clickable(f->panel->Translation().RightButton()));
    QVERIFY(PanelFixture::Clickable(f->panel->Magnifier().FactorButton(2)));
    QVERIFY(PanelFixture::Clickable(&f->SwitchOf(Channel::B)));

    Click(acquisition.RunButton());
    QCOMPARE(Commands(), (QStringList{"P&", "L&"}));
    QVERIFY(acquisition.RunButton()->isChecked() && !acquisition.PauseButton()->isChecked());
    for (QWidget* w : frozen)
        QVERIFY(PanelFixture::Clickable(w));
}

void PanelHandlersTest::traceSwitchTakesTheLeftButton() {
    TraceSwitch& b = f->SwitchOf(Channel::B);
    QTest::mouseClick(&b, Qt::RightButton);
    QVERIFY(!b.IsOn());
    QVERIFY(f->probe.events.isEmpty());

    QTest::mouseClick(&b, Qt::LeftButton);
    QVERIFY(b.IsOn());
    QVERIFY(f->Session().State().channelB.traceOn);
    QCOMPARE(f->probe.events, (QStringList{"redraw", "save"}));
    QVERIFY(PanelFixture::Clickable(f->ChannelOf(Channel::B).RangeButton(2)));

    QTest::mouseClick(&b, Qt::LeftButton);
    QVERIFY(!b.IsOn());
    QVERIFY(!PanelFixture::Clickable(f->ChannelOf(Channel::B).RangeButton(2)));
}

void PanelHandlersTest::displaysFollowTheSession() {
    // The session changed by something other than a click (the start-up restore does so).
    Instrument& s = f->Session();
    s.SelectTimeBase(9);
    s.SelectVoltsPerDiv(Channel::B, 5);
    s.SelectCoupling(Channel::A, 3);
    s.ReleasePosition(Channel::B, 77);
    s.SelectTrigger(4);
    s.SelectProbe(Channel::B, true);
    s.SwitchTrace(Channel::B, true);
    s.Pause();

    TimeBasePanel& timeBase = f->panel->TimeBase();
    QCOMPARE(timeBase.TimeDivLabel()->text(), QStringLiteral("Time/Div : 1ms"));
    QCOMPARE(timeBase.SamplingLabel()->text(),
             QStringLiteral("Fréquence d'échantillonnage : 30kHz"));
    QCOMPARE(timeBase.RamSweepLabel()->text(), QStringLiteral("Balayage RAM : 68,2ms"));
    QCOMPARE(timeBase.Dial()->Angle(), -24);
    ChannelPanel& a = f->ChannelOf(Channel::A);
    ChannelPanel& b = f->ChannelOf(Channel::B);
    QCOMPARE(b.PanelLabel()->text(), QStringLiteral("Volts/Div : 200mV"));
    QCOMPARE(b.Dial()->Angle(), 55);
    QCOMPARE(a.CouplingLabel()->text(), QStringLiteral("VOIE A : DC"));
    QVERIFY(a.CouplingButton(3)->isChecked());
    QCOMPARE(b.PositionSlider()->value(), 77);
    QVERIFY(b.ProbeButton(true)->isChecked());
    QVERIFY(f->SwitchOf(Channel::B).IsOn());
    // The channel's own controls are on; its group box is locked by the pause.
    QVERIFY(b.RangeButton(1)->isEnabledTo(f->channelB));
    QVERIFY(!f->channelB->isEnabled());
    QVERIFY(f->panel->Trigger().SourceButton(4)->isChecked());
    QCOMPARE(f->panel->Trigger().GlyphName(), QStringLiteral("ledoff.bmp"));
    QVERIFY(f->panel->Acquisition().PauseButton()->isChecked());
}

QTEST_MAIN(PanelHandlersTest)
#include "tst_panel_handlers.moc"
