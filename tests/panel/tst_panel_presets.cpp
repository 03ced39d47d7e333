#include "PanelFixture.h"

#include "panel/DialView.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

// The two presets, the enabling rules that hold across every handler, and the layout of
// the controls (places, captions, hints, colours).
class PanelPresetsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { f.reset(); }

    void inactivePresetLocksEverything();
    void presetsShowTheDefaults_data();
    void presetsShowTheDefaults();
    void activatedPresetEnablesChannelAAlone();
    void traceSwitchEnablesItsChannel();
    void enablingRulesHoldThroughAUserSession();
    void commandLockSparesTraceSwitches();

    void controlPlaces_data();
    void controlPlaces();
    void hintsAndColours();

private:
    // Every control of the front panel that sends a command when clicked.
    QList<QWidget*> SendingControls() const;
    QWidget* Control(const QString& key) const;
    void CheckEnablingRules(const char* step) const;

    std::unique_ptr<PanelFixture> f;
    std::array<QCheckBox*, 2> switches{};
    std::array<bool, 2> switchShown{};
    QWidget* markers = nullptr;
    QWidget* spectrum = nullptr;
    QMap<PresetToolButton, QString> toolHints;
};

void PanelPresetsTest::init() {
    f = std::make_unique<PanelFixture>();
    for (int i = 0; i < 2; ++i) {
        switches[i] = new QCheckBox(QStringLiteral("Trace"));
        const Channel c = i == 0 ? Channel::A : Channel::B;
        f->ChannelOf(c).PlaceTraceSwitch(switches[i], [this, i](bool on) {
            switchShown[i] = on;
            switches[i]->setChecked(on);
        });
    }
    markers = new QToolButton(&f->window);
    spectrum = new QToolButton(&f->window);
    f->panel->SetCompanionButtons(markers, spectrum);
    toolHints.clear();
    f->panel->SetToolHintSetter(
        [this](PresetToolButton b, const QString& hint) { toolHints[b] = hint; });
}

QList<QWidget*> PanelPresetsTest::SendingControls() const {
    QList<QWidget*> controls;
    for (int i = 1; i <= TimeBaseCount; ++i)
        controls << f->panel->TimeBase().RangeButton(i);
    for (Channel c : {Channel::A, Channel::B}) {
        ChannelPanel& panel = f->panel->ChannelOf(c);
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
    const InstrumentSettings& in = f->services.instrument;
    for (Channel c : {Channel::A, Channel::B}) {
        ChannelPanel& panel = f->panel->ChannelOf(c);
        QList<QWidget*> controls{panel.PositionSlider(),   panel.UpButton(),
                                 panel.CentreButton(),     panel.DownButton(),
                                 panel.ProbeButton(false), panel.ProbeButton(true)};
        for (int i = 1; i <= VoltsPerDivCount; ++i)
            controls << panel.RangeButton(i);
        for (int v = 1; v <= 3; ++v)
            controls << panel.CouplingButton(v);
        const bool allowed = in.Of(c).traceOn && f->services.linkActive && in.running;
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
}

void PanelPresetsTest::inactivePresetLocksEverything() {
    f->panel->ShowStartState();
    f->panel->ApplyInactivePreset();
    for (QWidget* w : SendingControls())
        QVERIFY2(!PanelFixture::Clickable(w), qPrintable(w->toolTip()));
    for (Channel c : {Channel::A, Channel::B}) {
        ChannelPanel& panel = f->panel->ChannelOf(c);
        for (QWidget* w :
             {static_cast<QWidget*>(panel.UpButton()), static_cast<QWidget*>(panel.CentreButton()),
              static_cast<QWidget*>(panel.DownButton()),
              static_cast<QWidget*>(panel.ProbeButton(false)),
              static_cast<QWidget*>(panel.ProbeButton(true))})
            QVERIFY(!w->isVisibleTo(&f->window));
        QVERIFY(panel.CouplingButton(2)->isChecked());
        QVERIFY(!f->services.instrument.Of(c).traceOn);
        QVERIFY(!PanelFixture::Clickable(panel.TraceSwitch()));
    }
    QVERIFY(!switches[0]->isChecked());
    for (int i = 1; i <= RamWindow::StepCount; ++i)
        QVERIFY(!PanelFixture::Clickable(f->panel->Translation().StepButton(i)));
    QVERIFY(!PanelFixture::Clickable(f->panel->Magnifier().FactorButton(2)));
    QVERIFY(!markers->isVisibleTo(&f->window) && !markers->isEnabled());
    QVERIFY(!spectrum->isVisibleTo(&f->window) && !spectrum->isEnabled());
    QCOMPARE(toolHints.value(PresetToolButton::Quit),
             QStringLiteral("Quitter | Quitter le programme..."));
    QCOMPARE(toolHints.value(PresetToolButton::Activate),
             QStringLiteral("Activer RS232 / USB | Activer la liaison RS232 / USB..."));
    QCOMPARE(toolHints.size(), 4);
    QVERIFY(f->services.events.isEmpty());
    QCOMPARE(f->panel->Translation().StepButton(1)->text(), QStringLiteral("0.1 C"));
    QCOMPARE(f->panel->Translation().StepButton(11)->text(), QStringLiteral("10 C"));
}

void PanelPresetsTest::presetsShowTheDefaults_data() {
    QTest::addColumn<bool>("activated");
    QTest::newRow("inactive") << false;
    QTest::newRow("activated") << true;
}

void PanelPresetsTest::presetsShowTheDefaults() {
    QFETCH(bool, activated);
    // A user-changed panel, as far as a preset must put it back.
    InstrumentSettings& in = f->services.instrument;
    f->panel->TimeBase().ShowTimeBase(3);
    in.timeBaseIndex = 3;
    f->ChannelOf(Channel::B).ShowVoltsPerDiv(8);
    in.channelB.voltsPerDivIndex = 8;
    f->ChannelOf(Channel::A).ShowCoupling(3);
    in.channelA.coupling = Coupling::DC;

    f->services.linkActive = activated;
    if (activated)
        f->panel->ApplyActivatedPreset();
    else
        f->panel->ApplyInactivePreset();

    TimeBasePanel& timeBase = f->panel->TimeBase();
    QCOMPARE(timeBase.Dial()->Angle(), 31);
    QCOMPARE(timeBase.TimeDivLabel()->text(), QStringLiteral("Time/Div : 0.1ms"));
    QCOMPARE(timeBase.SamplingLabel()->text(),
             QStringLiteral("Fréquence d'échantillonnage : 300kHz"));
    QCOMPARE(timeBase.RamSweepLabel()->text(), QStringLiteral("Balayage RAM : 6,82ms"));
    QCOMPARE(in.timeBaseIndex, 12);
    for (Channel c : {Channel::A, Channel::B}) {
        ChannelPanel& panel = f->ChannelOf(c);
        QCOMPARE(panel.Dial()->Angle(), -25);
        QCOMPARE(panel.PanelLabel()->text(), QStringLiteral("Volts/Div : 1V"));
        QCOMPARE(panel.CouplingLabel()->text(),
                 c == Channel::A ? QStringLiteral("VOIE A : GND") : QStringLiteral("VOIE B : GND"));
        QCOMPARE(in.Of(c).voltsPerDivIndex, 3);
        QCOMPARE(in.Of(c).coupling, Coupling::GND);
    }
    QCOMPARE(in.channelA.traceOn, activated);
    QVERIFY(!in.channelB.traceOn);
    QCOMPARE(switchShown[0], activated);
    QVERIFY(f->services.events.isEmpty()); // nothing saved, sent or redrawn
}

void PanelPresetsTest::activatedPresetEnablesChannelAAlone() {
    f->Activate();
    ChannelPanel& a = f->ChannelOf(Channel::A);
    ChannelPanel& b = f->ChannelOf(Channel::B);
    for (QWidget* w :
         {static_cast<QWidget*>(a.RangeButton(4)), static_cast<QWidget*>(a.CouplingButton(1)),
          static_cast<QWidget*>(a.PositionSlider()), static_cast<QWidget*>(a.CentreButton()),
          static_cast<QWidget*>(a.ProbeButton(true)), a.TraceSwitch(), b.TraceSwitch()})
        QVERIFY2(PanelFixture::Clickable(w), qPrintable(w->toolTip()));
    for (QWidget* w :
         {static_cast<QWidget*>(b.RangeButton(4)), static_cast<QWidget*>(b.CouplingButton(1)),
          static_cast<QWidget*>(b.PositionSlider()), static_cast<QWidget*>(b.CentreButton()),
          static_cast<QWidget*>(b.ProbeButton(true))})
        QVERIFY2(!PanelFixture::Clickable(w), qPrintable(w->toolTip()));
    QVERIFY(b.CentreButton()->isVisibleTo(&f->window) &&
            b.ProbeButton(false)->isVisibleTo(&f->window));
    QVERIFY(switches[0]->isChecked() && !switches[1]->isChecked());

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
    QVERIFY(PanelFixture::Clickable(f->panel->Acquisition().RunButton()));
    QVERIFY(f->panel->Acquisition().RunButton()->isChecked());
    QVERIFY(PanelFixture::Clickable(markers) && PanelFixture::Clickable(spectrum));
    QCOMPARE(toolHints.value(PresetToolButton::PrintPreview),
             QStringLiteral("Aperçu impression | Aperçu et dimensionnement de l'oscillogramme "
                            "avant impression..."));
    QCOMPARE(
        toolHints.value(PresetToolButton::Save),
        QStringLiteral("Sauvegarder | Sauvegarder l'oscillogramme dans la format image BMP..."));
}

void PanelPresetsTest::traceSwitchEnablesItsChannel() {
    f->Activate();
    ChannelPanel& b = f->ChannelOf(Channel::B);
    f->SetTrace(Channel::B, true);
    QVERIFY(PanelFixture::Clickable(b.RangeButton(9)));
    QVERIFY(PanelFixture::Clickable(b.CouplingButton(3)));
    QVERIFY(PanelFixture::Clickable(b.DownButton()));
    f->SetTrace(Channel::A, false);
    QVERIFY(!PanelFixture::Clickable(f->ChannelOf(Channel::A).RangeButton(9)));
    QVERIFY(!PanelFixture::Clickable(f->ChannelOf(Channel::A).PositionSlider()));
    QVERIFY(f->ChannelOf(Channel::A).CentreButton()->isVisibleTo(&f->window));
}

void PanelPresetsTest::enablingRulesHoldThroughAUserSession() {
    f->panel->ShowStartState();
    f->panel->ApplyInactivePreset();
    CheckEnablingRules("inactive");
    f->Activate();
    CheckEnablingRules("activated");
    f->SetTrace(Channel::B, true);
    CheckEnablingRules("trace B on");
    f->panel->Acquisition().PauseButton()->click();
    CheckEnablingRules("paused");
    f->SetTrace(Channel::B, false);
    f->SetTrace(Channel::B, true);
    CheckEnablingRules("trace B toggled while paused");
    f->panel->Translation().RightButton()->click();
    f->panel->Translation().LeftButton()->click();
    f->panel->Translation().RightButton()->click();
    f->panel->Translation().ResetButton()->click();
    CheckEnablingRules("translated while paused");
    f->panel->Magnifier().FactorButton(5)->click();
    CheckEnablingRules("magnified while paused");
    f->panel->Acquisition().RunButton()->click();
    CheckEnablingRules("running");
    QVERIFY(PanelFixture::Clickable(f->ChannelOf(Channel::B).RangeButton(2)));
    f->SetTrace(Channel::A, false);
    f->ChannelOf(Channel::B).CouplingButton(1)->click();
    CheckEnablingRules("trace A off");
    QCOMPARE(f->services.commands,
             (QStringList{"P&", "d30#&", "g0#&", "d30#&", "c0#&", "L&", "J&"}));
}

void PanelPresetsTest::commandLockSparesTraceSwitches() {
    f->Activate();
    bool lockedDuringSend = false;
    f->services.lock = [this, &lockedDuringSend](bool enabled) {
        f->panel->SetCommandGroupsEnabled(enabled);
        if (!enabled) {
            lockedDuringSend = !PanelFixture::Clickable(f->panel->TimeBase().RangeButton(1)) &&
                               !PanelFixture::Clickable(f->ChannelOf(Channel::A).RangeButton(1)) &&
                               !PanelFixture::Clickable(f->panel->Trigger().SourceButton(2)) &&
                               !PanelFixture::Clickable(f->panel->Translation().RightButton()) &&
                               !PanelFixture::Clickable(f->panel->Acquisition().PauseButton()) &&
                               PanelFixture::Clickable(switches[0]) &&
                               PanelFixture::Clickable(switches[1]) &&
                               PanelFixture::Clickable(f->panel->Magnifier().FactorButton(2));
        }
    };
    f->panel->TimeBase().RangeButton(1)->click();
    QVERIFY(lockedDuringSend);
    QVERIFY(PanelFixture::Clickable(f->panel->TimeBase().RangeButton(1)));
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

void PanelPresetsTest::hintsAndColours() {
    // Hints go to the status bar as status tips.
    const QColor purple(128, 0, 128);
    TimeBasePanel& timeBase = f->panel->TimeBase();
    QCOMPARE(timeBase.RangeButton(10)->statusTip(), QStringLiteral("Time/Div : 0.5ms"));
    QCOMPARE(timeBase.RangeButton(10)->palette().color(QPalette::ButtonText), QColor(Qt::black));
    QCOMPARE(timeBase.RangeButton(13)->palette().color(QPalette::ButtonText), purple);
    ChannelPanel& a = f->ChannelOf(Channel::A);
    ChannelPanel& b = f->ChannelOf(Channel::B);
    QCOMPARE(b.RangeButton(4)->statusTip(), QStringLiteral("Calibre 500mV - VOIE B"));
    QCOMPARE(b.RangeButton(4)->palette().color(QPalette::ButtonText), purple);
    QCOMPARE(b.RangeButton(3)->palette().color(QPalette::ButtonText), QColor(Qt::black));
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
    QCOMPARE(f->panel->Translation().LeftButton()->statusTip(),
             QStringLiteral("Translation de la fenêtre à gauche"));
    QCOMPARE(f->panel->Magnifier().FactorButton(5)->statusTip(), QStringLiteral("Time / Div x5"));
    QCOMPARE(f->panel->Trigger().SourceButton(1)->palette().color(QPalette::ButtonText),
             QColor(255, 0, 0));
    QVERIFY(f->panel->Trigger().SourceButton(1)->font().bold());
}

QTEST_MAIN(PanelPresetsTest)
#include "tst_panel_presets.moc"
