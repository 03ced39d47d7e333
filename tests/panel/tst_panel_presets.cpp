#include "PanelFixture.h"

#include "panel/DialView.h"

#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QtTest>

// The widgets of the two presets, the enabling rules that hold through a session of use,
// the lock of a command exchange, and the layout of the controls (places, captions,
// hints, colours).
class PanelPresetsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { f = std::make_unique<PanelFixture>(); }
    void cleanup() { f.reset(); }

    void inactivePresetLocksEverything();
    void presetsShowTheDefaults_data();
    void presetsShowTheDefaults();
    void activatedPresetEnablesChannelAAlone();
    void traceSwitchEnablesItsChannel();
    void enablingRulesHoldThroughAUserSession();
    void exchangeLocksTheGroupBoxesAndSparesTheTraceSwitches();

    void controlPlaces_data();
    void controlPlaces();
    void traceSwitchesStandOutsideTheirGroups();
    void hintsReachTheStatusBar_data();
    void hintsReachTheStatusBar();
    void hintsAndColours();

private:
    // Every control of the front panel that sends a command when clicked.
    QList<QWidget*> SendingControls() const;
    QWidget* Control(const QString& key) const;
    void CheckEnablingRules(const char* step) const;
    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

    std::unique_ptr<PanelFixture> f;
};

QList<QWidget*> PanelPresetsTest::SendingControls() const {
    QList<QWidget*> controls;
    for (int i = 1; i <= TimeBaseCount; ++i)
        controls << f->panel->TimeBase().RangeButton(i);
    for (Channel c : {Channel::A, Channel::B}) {
        ChannelPanel& panel = f->ChannelOf(c);
        for (int i = 1; i <= VoltsPerDivCount; ++i)
            controls << panel.RangeButton(i);
        for (int v = 1; v <= 3; ++v)
            controls << panel.CouplingButton(v);
        controls << panel.PositionSlider() << panel.UpButton() << panel.CentreButton()
                 << panel.DownButton();
    }
    for (int s = 1; s <= 4; ++s)
        controls << f->panel->Trigger().SourceButton(s);
    controls << f->panel->Acquisition().RunButton() << f->panel->Acquisition().PauseButton();
    TranslationPanel& translation = f->panel->Translation();
    controls << translation.LeftButton() << translation.ResetButton() << translation.RightButton();
    return controls;
}

void PanelPresetsTest::CheckEnablingRules(const char* step) const {
    const InstrumentSettings& in = f->Session().State();
    for (Channel c : {Channel::A, Channel::B}) {
        ChannelPanel& panel = f->ChannelOf(c);
        QList<QWidget*> controls{panel.PositionSlider(),   panel.UpButton(),
                                 panel.CentreButton(),     panel.DownButton(),
                                 panel.ProbeButton(false), panel.ProbeButton(true)};
        for (int i = 1; i <= VoltsPerDivCount; ++i)
            controls << panel.RangeButton(i);
        for (int v = 1; v <= 3; ++v)
            controls << panel.CouplingButton(v);
        const bool allowed = in.Of(c).traceOn && f->Session().LinkActive() && in.running;
        for (QWidget* w : controls)
            QVERIFY2(allowed || !PanelFixture::Clickable(w),
                     qPrintable(QString("%1: %2").arg(step, w->toolTip())));
    }
    if (!in.running) {
        for (int i = 1; i <= TimeBaseCount; ++i)
            QVERIFY2(!PanelFixture::Clickable(f->panel->TimeBase().RangeButton(i)), step);
        for (int s = 1; s <= 4; ++s)
            QVERIFY2(!PanelFixture::Clickable(f->panel->Trigger().SourceButton(s)), step);
    }
    // The trace switches can be used whenever the link is active.
    for (Channel c : {Channel::A, Channel::B})
        QVERIFY2(PanelFixture::Clickable(&f->SwitchOf(c)) == f->Session().LinkActive(), step);
}

void PanelPresetsTest::inactivePresetLocksEverything() {
    f->Start();
    for (QWidget* w : SendingControls())
        QVERIFY2(!PanelFixture::Clickable(w), qPrintable(w->toolTip()));
    for (Channel c : {Channel::A, Channel::B}) {
        ChannelPanel& panel = f->ChannelOf(c);
        for (QWidget* w :
             QList<QWidget*>{panel.UpButton(), panel.CentreButton(), panel.DownButton(),
                             panel.ProbeButton(false), panel.ProbeButton(true)})
            QVERIFY2(!w->isVisibleTo(&f->window), qPrintable(w->toolTip()));
        QVERIFY(panel.CouplingButton(2)->isChecked());
        QVERIFY(!f->SwitchOf(c).IsOn());
        QVERIFY(!PanelFixture::Clickable(&f->SwitchOf(c)));
    }
    // The time base, acquisition and trigger groups are off as a whole, captions
    // included; the channel and translation groups only have their controls off.
    for (QGroupBox* group : {f->timeBase, f->acquisition, f->trigger})
        QVERIFY2(!group->isEnabled(), qPrintable(group->title()));
    for (QGroupBox* group : {f->channelA, f->channelB, f->translation})
        QVERIFY2(group->isEnabled(), qPrintable(group->title()));
    for (int i = 1; i <= RamWindow::StepCount; ++i)
        QVERIFY(!PanelFixture::Clickable(f->panel->Translation().StepButton(i)));
    QCOMPARE(f->panel->Translation().StepButton(1)->text(), QStringLiteral("0.1 C"));
    QCOMPARE(f->panel->Translation().StepButton(11)->text(), QStringLiteral("10 C"));
    QVERIFY(!PanelFixture::Clickable(f->panel->Magnifier().FactorButton(2)));
    for (QToolButton* companion : {f->markers, f->spectrum})
        QVERIFY(!companion->isVisibleTo(&f->window) && !companion->isEnabled());
    QVERIFY(f->panel->Trigger().SourceButton(1)->isChecked());
    QCOMPARE(f->panel->Trigger().GlyphName(), QStringLiteral("ledon.bmp"));
    QVERIFY(f->probe.events.isEmpty());
}

void PanelPresetsTest::presetsShowTheDefaults_data() {
    QTest::addColumn<bool>("activated");
    QTest::newRow("inactive") << false;
    QTest::newRow("activated") << true;
}

void PanelPresetsTest::presetsShowTheDefaults() {
    QFETCH(bool, activated);
    // A panel the user has changed, as far as a preset must put it back.
    f->Activate();
    Instrument& s = f->Session();
    s.SelectTimeBase(3);
    s.SelectVoltsPerDiv(Channel::B, 8);
    s.SelectCoupling(Channel::A, 3);
    s.SelectTrigger(3);
    f->probe.events.clear();

    if (activated)
        s.ApplyActivatedPreset();
    else
        s.ApplyInactivePreset();

    TimeBasePanel& timeBase = f->panel->TimeBase();
    QCOMPARE(timeBase.Dial()->Angle(), 31);
    QCOMPARE(timeBase.TimeDivLabel()->text(), QStringLiteral("Time/Div : 0.1ms"));
    QCOMPARE(timeBase.SamplingLabel()->text(),
             QStringLiteral("Fréquence d'échantillonnage : 300kHz"));
    QCOMPARE(timeBase.RamSweepLabel()->text(), QStringLiteral("Balayage RAM : 6,82ms"));
    for (Channel c : {Channel::A, Channel::B}) {
        ChannelPanel& panel = f->ChannelOf(c);
        QCOMPARE(panel.Dial()->Angle(), -25);
        QCOMPARE(panel.PanelLabel()->text(), QStringLiteral("Volts/Div : 1V"));
        QCOMPARE(panel.CouplingLabel()->text(),
                 c == Channel::A ? QStringLiteral("VOIE A : GND") : QStringLiteral("VOIE B : GND"));
        QVERIFY(panel.CouplingButton(2)->isChecked());
    }
    QCOMPARE(f->SwitchOf(Channel::A).IsOn(), activated);
    QVERIFY(!f->SwitchOf(Channel::B).IsOn());
    if (activated) {
        QVERIFY(f->panel->Trigger().SourceButton(1)->isChecked());
        QCOMPARE(f->panel->Trigger().GlyphName(), QStringLiteral("ledon.bmp"));
    }
    QVERIFY(f->probe.events.isEmpty()); // nothing saved, sent or redrawn
}

void PanelPresetsTest::activatedPresetEnablesChannelAAlone() {
    f->Activate();
    ChannelPanel& a = f->ChannelOf(Channel::A);
    ChannelPanel& b = f->ChannelOf(Channel::B);
    for (QWidget* w : QList<QWidget*>{a.RangeButton(4), a.CouplingButton(1), a.PositionSlider(),
                                      a.CentreButton(), a.UpButton(), a.ProbeButton(true),
                                      &f->SwitchOf(Channel::A), &f->SwitchOf(Channel::B)})
        QVERIFY2(PanelFixture::Clickable(w), qPrintable(w->toolTip()));
    for (QWidget* w : QList<QWidget*>{b.RangeButton(4), b.CouplingButton(1), b.PositionSlider(),
                                      b.CentreButton(), b.DownButton(), b.ProbeButton(true)})
        QVERIFY2(!PanelFixture::Clickable(w), qPrintable(w->toolTip()));
    // Channel B's position and probe buttons are shown, disabled.
    QVERIFY(b.CentreButton()->isVisibleTo(&f->window));
    QVERIFY(b.ProbeButton(false)->isVisibleTo(&f->window));
    QVERIFY(f->SwitchOf(Channel::A).IsOn() && !f->SwitchOf(Channel::B).IsOn());

    TriggerPanel& trigger = f->panel->Trigger();
    QVERIFY(trigger.SourceButton(1)->isChecked());
    for (int s = 1; s <= 4; ++s)
        QVERIFY(PanelFixture::Clickable(trigger.SourceButton(s)));
    TranslationPanel& translation = f->panel->Translation();
    QVERIFY(PanelFixture::Clickable(translation.RightButton()));
    QVERIFY(!PanelFixture::Clickable(translation.LeftButton()));
    QVERIFY(!PanelFixture::Clickable(translation.ResetButton()));
    QVERIFY(PanelFixture::Clickable(translation.StepButton(1)));
    QVERIFY(translation.StepButton(6)->isChecked());
    QVERIFY(PanelFixture::Clickable(f->panel->Magnifier().FactorButton(5)));
    QVERIFY(f->panel->Magnifier().FactorButton(1)->isChecked());
    QVERIFY(PanelFixture::Clickable(f->panel->Acquisition().RunButton()));
    QVERIFY(PanelFixture::Clickable(f->panel->Acquisition().PauseButton()));
    QVERIFY(f->panel->Acquisition().RunButton()->isChecked());
    QVERIFY(PanelFixture::Clickable(f->markers) && PanelFixture::Clickable(f->spectrum));
}

void PanelPresetsTest::traceSwitchEnablesItsChannel() {
    f->Activate();
    ChannelPanel& b = f->ChannelOf(Channel::B);
    Click(&f->SwitchOf(Channel::B));
    QVERIFY(PanelFixture::Clickable(b.RangeButton(9)));
    QVERIFY(PanelFixture::Clickable(b.CouplingButton(3)));
    QVERIFY(PanelFixture::Clickable(b.DownButton()));
    QVERIFY(PanelFixture::Clickable(b.PositionSlider()));
    Click(&f->SwitchOf(Channel::A));
    ChannelPanel& a = f->ChannelOf(Channel::A);
    QVERIFY(!PanelFixture::Clickable(a.RangeButton(9)));
    QVERIFY(!PanelFixture::Clickable(a.PositionSlider()));
    QVERIFY(!PanelFixture::Clickable(a.CentreButton()));
    QVERIFY(a.CentreButton()->isVisibleTo(&f->window));
    QVERIFY(!a.CouplingGroup()->isEnabled());
    QVERIFY(!a.DialPanel()->isEnabled());
    QVERIFY(f->channelA->isEnabled()); // the group box itself is not the switch's
    QCOMPARE(f->probe.Commands(), QStringList{});
}

void PanelPresetsTest::enablingRulesHoldThroughAUserSession() {
    f->Start();
    CheckEnablingRules("inactive");
    f->Session().ActivateLink();
    CheckEnablingRules("activated");
    Click(&f->SwitchOf(Channel::B));
    CheckEnablingRules("trace B on");
    Click(f->panel->Acquisition().PauseButton());
    CheckEnablingRules("paused");
    Click(&f->SwitchOf(Channel::B));
    Click(&f->SwitchOf(Channel::B));
    CheckEnablingRules("trace B toggled while paused");
    TranslationPanel& t = f->panel->Translation();
    for (QAbstractButton* button :
         {t.RightButton(), t.LeftButton(), t.RightButton(), t.ResetButton()})
        Click(button);
    CheckEnablingRules("translated while paused");
    Click(f->panel->Magnifier().FactorButton(5));
    CheckEnablingRules("magnified while paused");
    Click(f->panel->Acquisition().RunButton());
    CheckEnablingRules("running");
    QVERIFY(PanelFixture::Clickable(f->ChannelOf(Channel::B).RangeButton(2)));
    Click(&f->SwitchOf(Channel::A));
    Click(f->ChannelOf(Channel::B).CouplingButton(1));
    CheckEnablingRules("trace A off");
    QCOMPARE(f->probe.Commands(),
             (QStringList{"Z1", "?&", "P&", "d30#&", "g0#&", "d30#&", "c0#&", "L&", "J&"}));
}

void PanelPresetsTest::exchangeLocksTheGroupBoxesAndSparesTheTraceSwitches() {
    f->Activate();
    // What can be used while the command is written.
    QStringList lockedGroups;
    QStringList usable;
    f->probe.link->onWrite = [this, &lockedGroups, &usable,
                              record = f->probe.link->onWrite](const QByteArray& bytes) {
        record(bytes);
        for (QGroupBox* group :
             {f->timeBase, f->channelA, f->channelB, f->trigger, f->translation, f->acquisition})
            if (!group->isEnabled())
                lockedGroups << group->title();
        for (QWidget* w : QList<QWidget*>{&f->SwitchOf(Channel::A), &f->SwitchOf(Channel::B),
                                          f->panel->Magnifier().FactorButton(2)})
            if (PanelFixture::Clickable(w))
                usable << w->statusTip();
    };
    Click(f->panel->TimeBase().RangeButton(1));
    QCOMPARE(f->probe.Commands(), QStringList{"T21&"});
    // The group boxes themselves, captions and all.
    QCOMPARE(lockedGroups, (QStringList{" Time/Div : ", " Volts/Div VOIE A (Axe X) : ",
                                        " Volts/Div VOIE B (Axe Y) : ", " Sélection du Trigger : ",
                                        " Translation des traces (C = Carreaux) : ",
                                        " Acquisition des traces : "}));
    QCOMPARE(usable, (QStringList{"ON/OFF Trace VOIE A", "ON/OFF Trace VOIE B", "Time / Div x2"}));
    for (QGroupBox* group :
         {f->timeBase, f->channelA, f->channelB, f->trigger, f->translation, f->acquisition})
        QVERIFY2(group->isEnabled(), qPrintable(group->title()));
}

QWidget* PanelPresetsTest::Control(const QString& key) const {
    TimeBasePanel& timeBase = f->panel->TimeBase();
    ChannelPanel& b = f->ChannelOf(Channel::B);
    TriggerPanel& trigger = f->panel->Trigger();
    AcquisitionPanel& acquisition = f->panel->Acquisition();
    const QMap<QString, QWidget*> controls{
        {"500 ms", timeBase.RangeButton(1)},
        {"1 ms", timeBase.RangeButton(9)},
        {"0.1 ms", timeBase.RangeButton(12)},
        {"1 µs", timeBase.RangeButton(18)},
        {"time base knob", timeBase.Dial()},
        {"time base panel", timeBase.Dial()->parentWidget()},
        {"B slider", b.PositionSlider()},
        {"B up", b.UpButton()},
        {"B centre", b.CentreButton()},
        {"B down", b.DownButton()},
        {"B dial panel", b.DialPanel()},
        {"B knob", b.Dial()},
        {"B 5 V", b.RangeButton(1)},
        {"B 500 mV", b.RangeButton(4)},
        {"B 10 mV", b.RangeButton(9)},
        {"B x1", b.ProbeButton(false)},
        {"B x10", b.ProbeButton(true)},
        {"B coupling group", b.CouplingGroup()},
        {"B GND", b.CouplingButton(2)},
        {"B DC", b.CouplingButton(3)},
        {"OFF", trigger.SourceButton(1)},
        {"VOIE B", trigger.SourceButton(3)},
        {"EXTERNE", trigger.SourceButton(4)},
        {"lamp", trigger.Glyph()},
        {"Lecture", acquisition.RunButton()},
        {"Pause", acquisition.PauseButton()},
        {"reset", f->panel->Translation().ResetButton()},
        {"magnifier", &f->panel->Magnifier()},
    };
    return controls.value(key);
}

void PanelPresetsTest::controlPlaces_data() {
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");
    // Places in the dial panels, the trigger panel or the group, as each control stands.
    QTest::newRow("500 ms") << QRect(64, 208, 25, 17) << "500";
    QTest::newRow("1 ms") << QRect(88, 38, 17, 17) << "1";
    QTest::newRow("0.1 ms") << QRect(176, 40, 25, 17) << "0.1";
    QTest::newRow("1 µs") << QRect(200, 200, 17, 17) << "1";
    QTest::newRow("time base knob") << QRect(8, 8, 257, 257) << "";
    QTest::newRow("time base panel") << QRect(8, 16, 273, 273) << "";
    QTest::newRow("B slider") << QRect(16, 16, 33, 209) << "";
    QTest::newRow("B up") << QRect(48, 88, 17, 17) << "";
    QTest::newRow("B centre") << QRect(48, 108, 17, 25) << "";
    QTest::newRow("B down") << QRect(48, 136, 17, 17) << "";
    QTest::newRow("B dial panel") << QRect(72, 16, 209, 209) << "";
    QTest::newRow("B knob") << QRect(8, 8, 193, 193) << "";
    QTest::newRow("B 5 V") << QRect(8, 80, 25, 17) << "5";
    QTest::newRow("B 500 mV") << QRect(128, 24, 25, 17) << "500";
    QTest::newRow("B 10 mV") << QRect(128, 168, 25, 17) << "10";
    QTest::newRow("B x1") << QRect(174, 5, 25, 17) << "x1";
    QTest::newRow("B x10") << QRect(174, 24, 25, 17) << "x10";
    QTest::newRow("B coupling group") << QRect(80, 232, 193, 41) << " Couplage VOIE B : ";
    QTest::newRow("B GND") << QRect(72, 16, 49, 17) << "GND";
    QTest::newRow("B DC") << QRect(136, 16, 49, 17) << "DC";
    QTest::newRow("OFF") << QRect(8, 32, 249, 25) << "OFF";
    QTest::newRow("VOIE B") << QRect(88, 64, 65, 17) << "VOIE B";
    QTest::newRow("EXTERNE") << QRect(168, 64, 89, 17) << "EXTERNE";
    QTest::newRow("lamp") << QRect(168, 7, 25, 17) << "";
    QTest::newRow("Lecture") << QRect(16, 16, 121, 25) << "Lecture";
    QTest::newRow("Pause") << QRect(152, 16, 121, 25) << "Pause";
    QTest::newRow("reset") << QRect(96, 92, 81, 22) << "> | <";
    QTest::newRow("magnifier") << QRect(0, 0, 98, 29) << "";
}

void PanelPresetsTest::controlPlaces() {
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    QWidget* control = Control(QString::fromUtf8(QTest::currentDataTag()));
    QVERIFY(control);
    QCOMPARE(control->geometry(), place);
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        QCOMPARE(button->text(), caption);
    if (auto* group = qobject_cast<QGroupBox*>(control))
        QCOMPARE(group->title(), caption);
}

void PanelPresetsTest::traceSwitchesStandOutsideTheirGroups() {
    // Over the lower left corner of their channel's group, beside the coupling group, but
    // children of the window's client area: a lock of the group does not reach them.
    for (Channel c : {Channel::A, Channel::B}) {
        TraceSwitch& traceSwitch = f->SwitchOf(c);
        QCOMPARE(traceSwitch.parentWidget(), f->client);
        const QRect inGroup = traceSwitch.geometry().translated(-f->GroupOf(c)->pos());
        QVERIFY2(QRect(16, 232, 57, 41).contains(inGroup),
                 qPrintable(QString::number(inGroup.x())));
        QVERIFY(!inGroup.intersects(f->ChannelOf(c).CouplingGroup()->geometry()));
        QVERIFY(!inGroup.intersects(f->ChannelOf(c).PositionSlider()->geometry()));
    }
}

void PanelPresetsTest::hintsReachTheStatusBar_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("hint");
    QTest::newRow("trace switch A") << "switch A"
                                    << "ON/OFF Trace VOIE A";
    QTest::newRow("trace switch B") << "switch B"
                                    << "ON/OFF Trace VOIE B";
    QTest::newRow("time base 0.5 ms") << "0.5 ms"
                                      << "Time/Div : 0.5ms";
    QTest::newRow("B 500 mV") << "B 500 mV"
                              << "Calibre 500mV - VOIE B";
}

void PanelPresetsTest::hintsReachTheStatusBar() {
    QFETCH(QString, control);
    QFETCH(QString, hint);
    f->Activate();
    const QMap<QString, QWidget*> controls{
        {"switch A", &f->SwitchOf(Channel::A)},
        {"switch B", &f->SwitchOf(Channel::B)},
        {"0.5 ms", f->panel->TimeBase().RangeButton(10)},
        {"B 500 mV", f->ChannelOf(Channel::B).RangeButton(4)},
    };
    QWidget* w = controls.value(control);
    QCOMPARE(w->statusTip(), hint);
    QCOMPARE(w->toolTip(), hint);
    // The mouse comes over the control: the main window's status bar shows the hint.
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(w, &enter);
    QCOMPARE(f->window.statusBar()->currentMessage(), hint);
}

void PanelPresetsTest::hintsAndColours() {
    const QColor purple(128, 0, 128);
    TimeBasePanel& timeBase = f->panel->TimeBase();
    QCOMPARE(timeBase.RangeButton(10)->palette().color(QPalette::Active, QPalette::ButtonText),
             QColor(Qt::black));
    QCOMPARE(timeBase.RangeButton(13)->palette().color(QPalette::Active, QPalette::ButtonText),
             purple);
    ChannelPanel& a = f->ChannelOf(Channel::A);
    ChannelPanel& b = f->ChannelOf(Channel::B);
    QCOMPARE(b.RangeButton(4)->palette().color(QPalette::Active, QPalette::ButtonText), purple);
    QCOMPARE(b.RangeButton(3)->palette().color(QPalette::Active, QPalette::ButtonText),
             QColor(Qt::black));
    QCOMPARE(a.CouplingButton(3)->statusTip(), QStringLiteral("Couplage DC VOIE A"));
    QCOMPARE(a.ProbeButton(true)->statusTip(),
             QStringLiteral("Sonde d'impédance x10 pour la Voie A"));
    QCOMPARE(b.ProbeButton(false)->statusTip(),
             QStringLiteral("Sonde d'impédance x1 pour la Voie B"));
    QCOMPARE(a.PositionSlider()->statusTip(),
             QStringLiteral("Position verticale de la trace VOIE A"));
    QCOMPARE(b.UpButton()->statusTip(),
             QStringLiteral("Déplacement d'une unité vers le haut de la trace Voie B"));
    QCOMPARE(b.CentreButton()->statusTip(), QStringLiteral("Centrage vertical VOIE B"));
    QCOMPARE(a.DownButton()->statusTip(),
             QStringLiteral("Déplacement d'une unité vers le bas de la trace Voie A"));
    QCOMPARE(f->panel->Trigger().SourceButton(4)->statusTip(),
             QStringLiteral("Trigger synchronisé sur l'entrée EXTERNE"));
    QCOMPARE(f->panel->Acquisition().PauseButton()->statusTip(),
             QStringLiteral("Interrompre l'acquisition des traces"));
    QCOMPARE(f->panel->Acquisition().RunButton()->statusTip(),
             QStringLiteral("Activer l'acquisition des traces"));
    QCOMPARE(f->panel->Translation().LeftButton()->statusTip(),
             QStringLiteral("Translation de la fenêtre à gauche"));
    QCOMPARE(f->panel->Translation().ResetButton()->statusTip(),
             QStringLiteral("Retour à zéro de la fenêtre de translation"));
    QCOMPARE(f->panel->Magnifier().FactorButton(5)->statusTip(), QStringLiteral("Time / Div x5"));
    QCOMPARE(f->panel->Trigger().SourceButton(1)->palette().color(QPalette::Active,
                                                                  QPalette::ButtonText),
             QColor(255, 0, 0));
    QVERIFY(f->panel->Trigger().SourceButton(1)->font().bold());
}

QTEST_MAIN(PanelPresetsTest)
#include "tst_panel_presets.moc"
