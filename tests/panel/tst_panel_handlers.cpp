#include "PanelFixture.h"

#include "app/ErrorGuard.h"
#include "panel/DialView.h"

#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

// The handlers of the time base, channel, trigger and run controls, driven by clicks on
// the real buttons, against a fake that records saves, commands and redraws in order.
class PanelHandlersTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void timeBaseButton_data();
    void timeBaseButton();
    void timeBaseRepeatsTheCurrentRange();

    void voltsPerDivButton_data();
    void voltsPerDivButton();
    void couplingButton_data();
    void couplingButton();
    void groundWithArmedTriggerShowsOffAndSendsOnlyCoupling();
    void groundAfterTriggerOffLeavesTriggerAlone();
    void probeChangesDisplayOnly();

    void sliderReleaseSendsPosition_data();
    void sliderReleaseSendsPosition();
    void sliderIgnoresKeyboard();
    void positionButtons_data();
    void positionButtons();
    void centringChannelB();

    void triggerButton_data();
    void triggerButton();
    void pauseThenRun();

    void badColourLineAbandonsHandler();

private:
    std::unique_ptr<PanelFixture> f;
    QStringList errors;
};

void PanelHandlersTest::init() {
    f = std::make_unique<PanelFixture>();
    f->Activate();
    errors.clear();
    ErrorGuard::SetReporter([this](const QString& text) { errors << text; });
}

void PanelHandlersTest::cleanup() {
    ErrorGuard::SetReporter({});
    f.reset();
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
    QTest::mouseClick(panel.RangeButton(index), Qt::LeftButton);

    QCOMPARE(panel.TimeDivLabel()->text(), timeDiv);
    QCOMPARE(panel.SamplingLabel()->text(), sampling);
    QCOMPARE(panel.RamSweepLabel()->text(), ramSweep);
    QCOMPARE(panel.Dial()->Angle(), angle);
    QCOMPARE(f->services.instrument.timeBaseIndex, index);
    QCOMPARE(f->services.events, (QStringList{"save", "send " + command, "redraw"}));
    QCOMPARE(f->services.saved.back().Line(SettingsLine::TimeBase), QString::number(index));
}

void PanelHandlersTest::timeBaseRepeatsTheCurrentRange() {
    QAbstractButton* button = f->panel->TimeBase().RangeButton(12);
    button->click();
    button->click();
    QCOMPARE(f->services.commands, (QStringList{"T02&", "T02&"}));
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
    f->SetTrace(channel, true);
    ChannelPanel& panel = f->ChannelOf(channel);
    QVERIFY(PanelFixture::Clickable(panel.RangeButton(index)));
    QTest::mouseClick(panel.RangeButton(index), Qt::LeftButton);

    QCOMPARE(panel.PanelLabel()->text(), label);
    QCOMPARE(panel.Dial()->Angle(), angle);
    QCOMPARE(f->services.instrument.Of(channel).voltsPerDivIndex, index);
    QCOMPARE(f->services.events, (QStringList{"save", "send " + command, "redraw"}));
    QCOMPARE(f->services.saved.back().Line(SettingsLine::Volts(channel)), QString::number(index));
    // The other channel's line keeps its start value.
    const Channel other = channel == Channel::A ? Channel::B : Channel::A;
    QCOMPARE(f->services.saved.back().Line(SettingsLine::Volts(other)), QStringLiteral("3"));
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
    f->SetTrace(channel, true);
    ChannelPanel& panel = f->ChannelOf(channel);
    QTest::mouseClick(panel.CouplingButton(value), Qt::LeftButton);

    QCOMPARE(panel.CouplingLabel()->text(), label);
    QVERIFY(panel.CouplingButton(value)->isChecked());
    QVERIFY(!panel.CouplingButton(2)->isChecked());
    QCOMPARE(static_cast<int>(f->services.instrument.Of(channel).coupling), value);
    QCOMPARE(f->services.events, (QStringList{"save", "send " + command, "redraw"}));
    QCOMPARE(f->services.saved.back().Line(SettingsLine::CouplingOf(channel)),
             QString::number(value));

    // Back to GND: the marker becomes valid only after the redraw of the handler.
    f->services.instrument.Of(channel).groundMarkerShown = false;
    f->services.Clear();
    QTest::mouseClick(panel.CouplingButton(2), Qt::LeftButton);
    const auto atRedraw = f->services.groundShownAtRedraw.back();
    QCOMPARE(channel == Channel::A ? atRedraw.first : atRedraw.second, false);
    QVERIFY(f->services.instrument.Of(channel).groundMarkerShown);
    QCOMPARE(panel.CouplingLabel()->text(),
             QString(label).replace(QRegularExpression("\\w+$"), "GND"));
}

void PanelHandlersTest::groundWithArmedTriggerShowsOffAndSendsOnlyCoupling() {
    f->SetTrace(Channel::B, true);
    TriggerPanel& trigger = f->panel->Trigger();
    QTest::mouseClick(trigger.SourceButton(2), Qt::LeftButton); // "VOIE A"
    QCOMPARE(trigger.GlyphName(), QStringLiteral("ledoff.bmp"));
    f->services.Clear();

    QTest::mouseClick(f->ChannelOf(Channel::B).CouplingButton(2), Qt::LeftButton);
    QCOMPARE(f->services.commands, QStringList{"K&"});
    QVERIFY(trigger.SourceButton(1)->isChecked());
    QVERIFY(!trigger.SourceButton(2)->isChecked());
    QCOMPARE(trigger.GlyphName(), QStringLiteral("ledon.bmp"));
    QCOMPARE(f->services.instrument.triggerSource, TriggerSource::Off);
    QVERIFY(f->services.instrument.triggerArmed);
    QCOMPARE(f->services.saved.back().Line(SettingsLine::Trigger), QStringLiteral("2"));

    f->services.Clear();
    QTest::mouseClick(trigger.SourceButton(2), Qt::LeftButton);
    QCOMPARE(f->services.commands, QStringList{"U&"});
}

void PanelHandlersTest::groundAfterTriggerOffLeavesTriggerAlone() {
    QSignalSpy forced(&f->ChannelOf(Channel::A), &ChannelPanel::triggerForcedOff);
    TriggerPanel& trigger = f->panel->Trigger();
    QTest::mouseClick(trigger.SourceButton(4), Qt::LeftButton);
    QTest::mouseClick(trigger.SourceButton(1), Qt::LeftButton);
    QVERIFY(!f->services.instrument.triggerArmed);
    f->services.Clear();
    QTest::mouseClick(f->ChannelOf(Channel::A).CouplingButton(2), Qt::LeftButton);
    QCOMPARE(forced.count(), 0);
    QCOMPARE(f->services.commands, QStringList{"H&"});
}

void PanelHandlersTest::probeChangesDisplayOnly() {
    ChannelPanel& panel = f->ChannelOf(Channel::A);
    QTest::mouseClick(panel.ProbeButton(true), Qt::LeftButton);
    QVERIFY(f->services.instrument.channelA.probeTimesTen);
    QVERIFY(panel.ProbeButton(true)->isChecked() && !panel.ProbeButton(false)->isChecked());
    QCOMPARE(f->services.events, QStringList{"redraw"});
    QCOMPARE(panel.PanelLabel()->text(), QStringLiteral("Volts/Div : 1V"));

    f->services.Clear();
    QTest::mouseClick(panel.ProbeButton(false), Qt::LeftButton);
    QVERIFY(!f->services.instrument.channelA.probeTimesTen);
    QCOMPARE(f->services.events, QStringList{"redraw"});
}

void PanelHandlersTest::sliderReleaseSendsPosition_data() {
    QTest::addColumn<int>("coupling");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("markerAfter");
    QTest::newRow("DC hides the marker") << 3 << Qt::LeftButton << false;
    QTest::newRow("AC hides the marker") << 1 << Qt::LeftButton << false;
    QTest::newRow("GND keeps it") << 2 << Qt::LeftButton << true;
    QTest::newRow("right button too") << 3 << Qt::RightButton << false;
}

void PanelHandlersTest::sliderReleaseSendsPosition() {
    QFETCH(int, coupling);
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, markerAfter);
    ChannelPanel& panel = f->ChannelOf(Channel::A);
    panel.CouplingButton(coupling)->click();
    f->services.instrument.channelA.groundMarkerShown = true;
    f->services.Clear();

    panel.PositionSlider()->setValue(40); // as a drag leaves it: nothing sent yet
    QVERIFY(f->services.events.isEmpty());
    QTest::mouseRelease(panel.PositionSlider(), button);
    QCOMPARE(f->services.events, (QStringList{"save", "send Q40#&"}));
    QCOMPARE(f->services.saved.back().Line(SettingsLine::PositionA), QStringLiteral("40"));
    QCOMPARE(f->services.instrument.channelA.verticalPosition, 40);
    QCOMPARE(f->services.instrument.channelA.groundMarkerShown, markerAfter);
}

void PanelHandlersTest::sliderIgnoresKeyboard() {
    QSlider* slider = f->ChannelOf(Channel::A).PositionSlider();
    QTest::keyClick(slider, Qt::Key_Up);
    QTest::keyClick(slider, Qt::Key_PageUp);
    QCOMPARE(slider->value(), 128);
    QVERIFY(f->services.events.isEmpty());
}

void PanelHandlersTest::positionButtons_data() {
    QTest::addColumn<Channel>("channel");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("groundShift");
    // Two presses each; the ground marker follows the trace by two codes a unit, and
    // stays where it is when the slider is already at its end.
    QTest::newRow("A up") << Channel::A << 100 << true << "Q102#&" << 4;
    QTest::newRow("A down") << Channel::A << 100 << false << "Q98#&" << -4;
    QTest::newRow("A up to 255") << Channel::A << 254 << true << "Q255#&" << 2;
    QTest::newRow("A up at 255") << Channel::A << 255 << true << "Q255#&" << 0;
    QTest::newRow("A down at 0") << Channel::A << 0 << false << "Q0#&" << 0;
    QTest::newRow("B up") << Channel::B << 7 << true << "R9#&" << 4;
}

void PanelHandlersTest::positionButtons() {
    QFETCH(Channel, channel);
    QFETCH(int, start);
    QFETCH(bool, up);
    QFETCH(QString, command);
    QFETCH(int, groundShift);
    f->SetTrace(channel, true);
    ChannelPanel& panel = f->ChannelOf(channel);
    panel.ShowPosition(start);
    f->services.instrument.Of(channel).groundLevel = 140;

    QAbstractButton* button = up ? panel.UpButton() : panel.DownButton();
    QVERIFY(PanelFixture::Clickable(button));
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(f->services.commands.size(), 2);
    QCOMPARE(f->services.commands.last(), command);
    QCOMPARE(f->services.saved.back().Line(SettingsLine::Position(channel)),
             command.mid(1).chopped(2));
    QCOMPARE(f->services.instrument.Of(channel).groundLevel, 140 + groundShift);
    QVERIFY(!f->services.events.contains("redraw"));
}

void PanelHandlersTest::centringChannelB() {
    f->SetTrace(Channel::B, true);
    ChannelPanel& panel = f->ChannelOf(Channel::B);
    panel.ShowPosition(30);
    f->services.instrument.channelB.groundMarkerShown = false;
    QTest::mouseClick(panel.CentreButton(), Qt::LeftButton);
    QCOMPARE(f->services.events, (QStringList{"save", "send R128#&"}));
    QCOMPARE(f->services.saved.back().Line(SettingsLine::PositionB), QStringLiteral("128"));
    QCOMPARE(panel.PositionSlider()->value(), 128);
    QCOMPARE(f->services.instrument.channelB.groundLevel, 128);
    QVERIFY(f->services.instrument.channelB.groundMarkerShown);
}

void PanelHandlersTest::triggerButton_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("glyph");
    QTest::addColumn<bool>("armed");
    QTest::newRow("EXTERNE") << 4 << "W&"
                             << "ledoff.bmp" << true;
    QTest::newRow("VOIE B") << 3 << "V&"
                            << "ledoff.bmp" << true;
    QTest::newRow("OFF") << 1 << "S&"
                         << "ledon.bmp" << false;
}

void PanelHandlersTest::triggerButton() {
    QFETCH(int, source);
    QFETCH(QString, command);
    QFETCH(QString, glyph);
    QFETCH(bool, armed);
    TriggerPanel& trigger = f->panel->Trigger();
    trigger.SourceButton(2)->click(); // start from an armed trigger on channel A
    f->services.Clear();
    QTest::mouseClick(trigger.SourceButton(source), Qt::LeftButton);
    QCOMPARE(f->services.events, (QStringList{"save", "send " + command, "redraw"}));
    QCOMPARE(f->services.saved.back().Line(SettingsLine::Trigger), QString::number(source));
    QCOMPARE(trigger.GlyphName(), glyph);
    QCOMPARE(f->services.instrument.triggerArmed, armed);
    QCOMPARE(static_cast<int>(f->services.instrument.triggerSource), source);
    QVERIFY(trigger.SourceButton(source)->isChecked());
    QVERIFY(!trigger.Glyph()->pixmap().isNull());
}

void PanelHandlersTest::pauseThenRun() {
    QSignalSpy output(f->panel.get(), &FrontPanel::outputCommandsEnabled);
    AcquisitionPanel& acquisition = f->panel->Acquisition();
    const QList<QWidget*> frozen{
        f->panel->TimeBase().RangeButton(3),        f->ChannelOf(Channel::A).RangeButton(4),
        f->ChannelOf(Channel::A).CouplingButton(1), f->ChannelOf(Channel::A).PositionSlider(),
        f->ChannelOf(Channel::A).CentreButton(),    f->panel->Trigger().SourceButton(3)};
    for (QWidget* w : frozen)
        QVERIFY(PanelFixture::Clickable(w));

    QTest::mouseClick(acquisition.PauseButton(), Qt::LeftButton);
    QVERIFY(!f->services.instrument.running);
    QCOMPARE(f->services.events, QStringList{"send P&"});
    QCOMPARE(output.count(), 1);
    QCOMPARE(output.last().first().toBool(), true);
    for (QWidget* w : frozen)
        QVERIFY2(!PanelFixture::Clickable(w), qPrintable(w->toolTip()));
    QVERIFY(PanelFixture::Clickable(acquisition.RunButton()));
    QVERIFY(PanelFixture::Clickable(f->panel->Translation().RightButton()));
    QVERIFY(PanelFixture::Clickable(f->panel->Magnifier().FactorButton(2)));

    QTest::mouseClick(acquisition.RunButton(), Qt::LeftButton);
    QVERIFY(f->services.instrument.running);
    QCOMPARE(f->services.commands, (QStringList{"P&", "L&"}));
    QCOMPARE(output.count(), 2);
    QCOMPARE(output.last().first().toBool(), false);
    for (QWidget* w : frozen)
        QVERIFY(PanelFixture::Clickable(w));
    QVERIFY(f->services.saved.empty());
    QVERIFY(!f->services.events.contains("redraw"));
}

void PanelHandlersTest::badColourLineAbandonsHandler() {
    f->services.settings.SetLine(10, QStringLiteral("rouge"));
    QTest::mouseClick(f->ChannelOf(Channel::A).RangeButton(5), Qt::LeftButton);
    QCOMPARE(errors, QStringList{"'rouge' n'est pas une valeur entière correcte"});
    QVERIFY(f->services.events.isEmpty());
    QCOMPARE(f->services.instrument.channelA.voltsPerDivIndex, 3);
}

QTEST_MAIN(PanelHandlersTest)
#include "tst_panel_handlers.moc"
