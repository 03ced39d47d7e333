#include "PanelFixture.h"

#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

// The RAM window moves and the magnifier.
class PanelTranslationTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { f.reset(); }

    void stepCaptions_data();
    void stepCaptions();
    void stepHints_data();
    void stepHints();

    void upperLimitBoundary_data();
    void upperLimitBoundary();
    void rightStopsAtTheUpperLimit();
    void leftStopsAtZero();
    void resetReturnsToZero();
    void movesNeitherSaveNorRedraw();
    void pausedMovesKeepInstrumentGroupsDisabled();
    void magnifierChangesCaptionsOnly();

private:
    void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void StartAt(int sample, int step);

    std::unique_ptr<PanelFixture> f;
};

void PanelTranslationTest::init() {
    f = std::make_unique<PanelFixture>();
    f->panel->ShowStartState();
    f->Activate();
}

void PanelTranslationTest::StartAt(int sample, int step) {
    f->ram.SetStart(sample);
    f->panel->Translation().ShowStartState();
    f->panel->Translation().StepButton(step)->click();
}

void PanelTranslationTest::stepCaptions_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("samples");
    QTest::addColumn<QStringList>("captions"); // x1, x2, x5
    QTest::newRow("1") << 1 << 3 << QStringList{"0.1 C", "0.2 C", "0.5 C"};
    QTest::newRow("2") << 2 << 6 << QStringList{"0.2 C", "0.4 C", "1 C"};
    QTest::newRow("3") << 3 << 12 << QStringList{"0.4 C", "0.8 C", "2 C"};
    QTest::newRow("4") << 4 << 18 << QStringList{"0.6 C", "1.2 C", "3 C"};
    QTest::newRow("5") << 5 << 24 << QStringList{"0.8 C", "1.6 C", "4 C"};
    QTest::newRow("6") << 6 << 30 << QStringList{"1 C", "2 C", "5 C"};
    QTest::newRow("7") << 7 << 60 << QStringList{"2 C", "4 C", "10 C"};
    QTest::newRow("8") << 8 << 90 << QStringList{"3 C", "6 C", "15 C"};
    QTest::newRow("9") << 9 << 120 << QStringList{"4 C", "8 C", "20 C"};
    QTest::newRow("10") << 10 << 150 << QStringList{"5 C", "10 C", "25 C"};
    QTest::newRow("11") << 11 << 300 << QStringList{"10 C", "20 C", "50 C"};
}

void PanelTranslationTest::stepCaptions() {
    QFETCH(int, step);
    QFETCH(int, samples);
    QFETCH(QStringList, captions);
    QCOMPARE(RamWindow::StepSamples(step), samples);
    QCOMPARE(RamWindow::StepCaption(step, 1), captions[0]);
    QCOMPARE(RamWindow::StepCaption(step, 2), captions[1]);
    QCOMPARE(RamWindow::StepCaption(step, 5), captions[2]);
    // The panel's buttons follow the magnifier.
    QRadioButton* button = f->panel->Translation().StepButton(step);
    QCOMPARE(button->text(), captions[0]);
    f->panel->Magnifier().FactorButton(5)->click();
    QCOMPARE(button->text(), captions[2]);
    f->panel->Magnifier().FactorButton(2)->click();
    QCOMPARE(button->text(), captions[1]);
}

void PanelTranslationTest::stepHints_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("hint");
    QTest::newRow("1")
        << 1
        << "0.1 carreau en Time/Div x1\r\n0.2 carreau en Time/Div x2\r\n0.5 carreau en Time/Div x5";
    QTest::newRow("2")
        << 2
        << "0.2 carreau en Time/Div x1\r\n0.4 carreau en Time/Div x2\r\n1 carreau en Time/Div x5";
    QTest::newRow("3")
        << 3
        << "0.4 carreau en Time/Div x1\r\n0.8 carreau en Time/Div x2\r\n2 carreaux en Time/Div x5";
    QTest::newRow("5")
        << 5
        << "0.8 carreau en Time/Div x1\r\n1.6 carreau en Time/Div x2\r\n4 carreaux en Time/Div x5";
    QTest::newRow("6")
        << 6
        << "1 carreau en Time/Div x1\r\n2 carreaux en Time/Div x2\r\n5 carreaux en Time/Div x5";
    QTest::newRow("11")
        << 11
        << "10 carreaux en Time/Div x1\r\n20 carreaux en Time/Div x2\r\n50 carreaux en Time/Div x5";
}

void PanelTranslationTest::stepHints() {
    QFETCH(int, step);
    QFETCH(QString, hint);
    QCOMPARE(f->panel->Translation().StepButton(step)->statusTip(), hint);
}

void PanelTranslationTest::upperLimitBoundary_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("reached");
    QTest::addColumn<bool>("limit");
    QTest::newRow("1716 + 30 stays") << 1716 << 6 << 1746 << false;
    QTest::newRow("1717 + 30 is 1747, still the limit") << 1717 << 6 << 1747 << true;
    QTest::newRow("1746 + 3 is past") << 1746 << 1 << 1747 << true;
    QTest::newRow("1747 + 300 stays at 1747") << 1747 << 11 << 1747 << true;
    QTest::newRow("0 + 300") << 0 << 11 << 300 << false;
}

void PanelTranslationTest::upperLimitBoundary() {
    QFETCH(int, start);
    QFETCH(int, step);
    QFETCH(int, reached);
    QFETCH(bool, limit);
    RamWindow window;
    window.SetStart(start);
    window.SetStep(step);
    const RamWindow::Move move = window.TranslateRight();
    QCOMPARE(move.start, reached);
    QCOMPARE(window.Start(), reached);
    QCOMPARE(move.upperLimitReached, limit);
    QCOMPARE(move.command, QStringLiteral("d%1#&").arg(reached));
}

void PanelTranslationTest::rightStopsAtTheUpperLimit() {
    TranslationPanel& t = f->panel->Translation();
    StartAt(1740, 1);
    Click(t.RightButton());
    Click(t.RightButton());
    QVERIFY(f->messages.isEmpty());
    QCOMPARE(t.RangeLabel()->text(), QStringLiteral("Echantillons RAM: de 1746 à 2046"));
    Click(t.RightButton());
    QCOMPARE(f->messages, QStringList{TranslationPanel::UpperLimitMessage});
    QCOMPARE(TranslationPanel::UpperLimitMessage,
             QStringLiteral("               Dernière  translation...\r\n"
                            "Vous avez atteint la limite supérieure de la RAM !"));
    QCOMPARE(f->services.commands, (QStringList{"d1743#&", "d1746#&", "d1747#&"}));
    QCOMPARE(f->ram.Start(), 1747);
    QCOMPARE(t.RangeLabel()->text(), QStringLiteral("Echantillons RAM: de 1747 à 2047"));
    QVERIFY(!PanelFixture::Clickable(t.RightButton()));
    QVERIFY(PanelFixture::Clickable(t.LeftButton()));
    QVERIFY(PanelFixture::Clickable(t.ResetButton()));

    // After a return to zero, a big step reaches the limit in one move.
    Click(t.ResetButton());
    StartAt(1500, 11);
    Click(t.RightButton());
    QCOMPARE(f->services.commands.last(), QStringLiteral("d1747#&"));
    QCOMPARE(f->messages.size(), 2);
    // Left from the limit gives ">" back.
    Click(t.LeftButton());
    QCOMPARE(f->services.commands.last(), QStringLiteral("g1447#&"));
    QVERIFY(PanelFixture::Clickable(t.RightButton()));
}

void PanelTranslationTest::leftStopsAtZero() {
    TranslationPanel& t = f->panel->Translation();
    StartAt(20, 6);
    QVERIFY(PanelFixture::Clickable(t.LeftButton()));
    Click(t.LeftButton());
    QCOMPARE(f->services.commands, QStringList{"g0#&"});
    QCOMPARE(f->ram.Start(), 0);
    QCOMPARE(t.RangeLabel()->text(), QStringLiteral("Echantillons RAM: de 0 à 300"));
    QVERIFY(!PanelFixture::Clickable(t.LeftButton()));
    QVERIFY(!PanelFixture::Clickable(t.ResetButton()));
    QVERIFY(PanelFixture::Clickable(t.RightButton()));
    QVERIFY(f->messages.isEmpty());
}

void PanelTranslationTest::resetReturnsToZero() {
    TranslationPanel& t = f->panel->Translation();
    t.StepButton(8)->click();
    Click(t.RightButton());
    QCOMPARE(t.RangeLabel()->text(), QStringLiteral("Echantillons RAM: de 90 à 390"));
    QVERIFY(PanelFixture::Clickable(t.ResetButton()));
    Click(t.ResetButton());
    QCOMPARE(f->services.commands, (QStringList{"d90#&", "c0#&"}));
    QCOMPARE(f->ram.Start(), 0);
    QCOMPARE(t.RangeLabel()->text(), QStringLiteral("Echantillons RAM: de 0 à 300"));
    QVERIFY(!PanelFixture::Clickable(t.LeftButton()));
    QVERIFY(!PanelFixture::Clickable(t.ResetButton()));
}

void PanelTranslationTest::movesNeitherSaveNorRedraw() {
    TranslationPanel& t = f->panel->Translation();
    Click(t.RightButton());
    Click(t.LeftButton());
    QCOMPARE(f->services.events, (QStringList{"send d30#&", "send g0#&"}));
}

void PanelTranslationTest::pausedMovesKeepInstrumentGroupsDisabled() {
    Click(f->panel->Acquisition().PauseButton());
    TranslationPanel& t = f->panel->Translation();
    for (QAbstractButton* button :
         {t.RightButton(), t.LeftButton(), t.RightButton(), t.ResetButton()}) {
        Click(button);
        QVERIFY(!PanelFixture::Clickable(f->panel->TimeBase().RangeButton(1)));
        QVERIFY(!PanelFixture::Clickable(f->ChannelOf(Channel::A).RangeButton(1)));
        QVERIFY(!PanelFixture::Clickable(f->ChannelOf(Channel::B).PositionSlider()));
        QVERIFY(!PanelFixture::Clickable(f->panel->Trigger().SourceButton(1)));
        QVERIFY(PanelFixture::Clickable(f->panel->Acquisition().RunButton()));
    }
    QCOMPARE(f->services.commands, (QStringList{"P&", "d30#&", "g0#&", "d30#&", "c0#&"}));
}

void PanelTranslationTest::magnifierChangesCaptionsOnly() {
    TranslationPanel& t = f->panel->Translation();
    t.StepButton(3)->click();
    Click(t.RightButton());
    f->services.Clear();
    Click(f->panel->Magnifier().FactorButton(5));
    QCOMPARE(f->ram.Magnification(), 5);
    QCOMPARE(f->services.events, QStringList{"redraw"});
    QCOMPARE(f->ram.Start(), 12);
    QVERIFY(t.StepButton(3)->isChecked());
    QCOMPARE(f->ram.StepSamples(), 12);
    QCOMPARE(t.StepButton(3)->text(), QStringLiteral("2 C"));
    QVERIFY(f->panel->Magnifier().FactorButton(5)->isChecked());
    QVERIFY(!f->panel->Magnifier().FactorButton(1)->isChecked());
    Click(f->panel->Magnifier().FactorButton(1));
    QCOMPARE(f->ram.Magnification(), 1);
    QCOMPARE(t.StepButton(3)->text(), QStringLiteral("0.4 C"));
}

QTEST_MAIN(PanelTranslationTest)
#include "tst_panel_translation.moc"
