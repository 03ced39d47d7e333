#include "PanelFixture.h"

#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

// The translation group and the magnifier: the buttons move the session's RAM window, and
// the buttons, label and step captions show it.
class PanelTranslationTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { f.reset(); }

    void stepCaptionsFollowTheMagnifier_data();
    void stepCaptionsFollowTheMagnifier();
    void stepHints_data();
    void stepHints();
    void stepChoiceSetsTheMove();

    void rightStopsAtTheUpperLimit();
    void leftStopsAtZero();
    void resetReturnsToZero();
    void pausedMovesKeepTheInstrumentGroupsLocked();
    void magnifierChangesCaptionsOnly();

private:
    void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    TranslationPanel& Translation() { return f->panel->Translation(); }
    QStringList Commands() const { return f->probe.Commands(); }
    // The window at a start reached through the session, the step chosen by its button.
    void StartAt(int start, int step);

    std::unique_ptr<PanelFixture> f;
};

void PanelTranslationTest::init() {
    f = std::make_unique<PanelFixture>();
    f->Activate();
}

void PanelTranslationTest::StartAt(int start, int step) {
    QVERIFY(MoveWindowTo(f->probe, start));
    Click(Translation().StepButton(step));
    f->probe.events.clear();
}

void PanelTranslationTest::stepCaptionsFollowTheMagnifier_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("captions"); // x1, x2, x5
    QTest::newRow("1") << 1 << QStringList{"0.1 C", "0.2 C", "0.5 C"};
    QTest::newRow("4") << 4 << QStringList{"0.6 C", "1.2 C", "3 C"};
    QTest::newRow("6") << 6 << QStringList{"1 C", "2 C", "5 C"};
    QTest::newRow("11") << 11 << QStringList{"10 C", "20 C", "50 C"};
}

void PanelTranslationTest::stepCaptionsFollowTheMagnifier() {
    QFETCH(int, step);
    QFETCH(QStringList, captions);
    QRadioButton* button = Translation().StepButton(step);
    QCOMPARE(button->text(), captions[0]);
    Click(f->panel->Magnifier().FactorButton(5));
    QCOMPARE(button->text(), captions[2]);
    Click(f->panel->Magnifier().FactorButton(2));
    QCOMPARE(button->text(), captions[1]);
    Click(f->panel->Magnifier().FactorButton(1));
    QCOMPARE(button->text(), captions[0]);
}

void PanelTranslationTest::stepHints_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("hint");
    QTest::newRow("1")
        << 1
        << "0.1 carreau en Time/Div x1\r\n0.2 carreau en Time/Div x2\r\n0.5 carreau en Time/Div x5";
    QTest::newRow("3")
        << 3
        << "0.4 carreau en Time/Div x1\r\n0.8 carreau en Time/Div x2\r\n2 carreaux en Time/Div x5";
    QTest::newRow("11")
        << 11
        << "10 carreaux en Time/Div x1\r\n20 carreaux en Time/Div x2\r\n50 carreaux en Time/Div x5";
}

void PanelTranslationTest::stepHints() {
    QFETCH(int, step);
    QFETCH(QString, hint);
    QCOMPARE(Translation().StepButton(step)->statusTip(), hint);
    QCOMPARE(Translation().StepButton(step)->toolTip(), hint);
}

void PanelTranslationTest::stepChoiceSetsTheMove() {
    QVERIFY(Translation().StepButton(6)->isChecked()); // "1 C" at start
    Click(Translation().StepButton(8));
    QVERIFY(Translation().StepButton(8)->isChecked());
    QVERIFY(!Translation().StepButton(6)->isChecked());
    Click(Translation().RightButton());
    QCOMPARE(Commands(), QStringList{"d90#&"});
    QCOMPARE(Translation().RangeLabel()->text(), QStringLiteral("Echantillons RAM: de 90 à 390"));
}

void PanelTranslationTest::rightStopsAtTheUpperLimit() {
    StartAt(1740, 1); // 3 samples
    bool rightEnabledAtMessage = true;
    QString labelAtMessage;
    MessageCatcher messages([&](Messages::Kind, const QString&) {
        rightEnabledAtMessage = Translation().RightButton()->isEnabled();
        labelAtMessage = Translation().RangeLabel()->text();
    });
    Click(Translation().RightButton());
    Click(Translation().RightButton());
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(Translation().RangeLabel()->text(),
             QStringLiteral("Echantillons RAM: de 1746 à 2046"));
    Click(Translation().RightButton());
    QCOMPARE(messages.shown.size(), 1);
    // The box is shown over a disabled ">", before the label moves.
    QVERIFY(!rightEnabledAtMessage);
    QCOMPARE(labelAtMessage, QStringLiteral("Echantillons RAM: de 1746 à 2046"));
    QCOMPARE(Commands(), (QStringList{"d1743#&", "d1746#&", "d1747#&"}));
    QCOMPARE(Translation().RangeLabel()->text(),
             QStringLiteral("Echantillons RAM: de 1747 à 2047"));
    QVERIFY(!PanelFixture::Clickable(Translation().RightButton()));
    QVERIFY(PanelFixture::Clickable(Translation().LeftButton()));
    QVERIFY(PanelFixture::Clickable(Translation().ResetButton()));

    // Left from the limit gives ">" back.
    Click(Translation().LeftButton());
    QCOMPARE(Commands().last(), QStringLiteral("g1744#&"));
    QVERIFY(PanelFixture::Clickable(Translation().RightButton()));
}

void PanelTranslationTest::leftStopsAtZero() {
    StartAt(12, 6); // 12 samples in, the step is 30
    QVERIFY(PanelFixture::Clickable(Translation().LeftButton()));
    Click(Translation().LeftButton());
    QCOMPARE(Commands(), QStringList{"g0#&"});
    QCOMPARE(Translation().RangeLabel()->text(), QStringLiteral("Echantillons RAM: de 0 à 300"));
    QVERIFY(!PanelFixture::Clickable(Translation().LeftButton()));
    QVERIFY(!PanelFixture::Clickable(Translation().ResetButton()));
    QVERIFY(PanelFixture::Clickable(Translation().RightButton()));
}

void PanelTranslationTest::resetReturnsToZero() {
    StartAt(90, 8);
    QCOMPARE(Translation().RangeLabel()->text(), QStringLiteral("Echantillons RAM: de 90 à 390"));
    QVERIFY(PanelFixture::Clickable(Translation().ResetButton()));
    Click(Translation().ResetButton());
    QCOMPARE(Commands(), QStringList{"c0#&"});
    QCOMPARE(Translation().RangeLabel()->text(), QStringLiteral("Echantillons RAM: de 0 à 300"));
    QVERIFY(!PanelFixture::Clickable(Translation().LeftButton()));
    QVERIFY(!PanelFixture::Clickable(Translation().ResetButton()));
}

void PanelTranslationTest::pausedMovesKeepTheInstrumentGroupsLocked() {
    Click(f->panel->Acquisition().PauseButton());
    TranslationPanel& t = Translation();
    for (QAbstractButton* button :
         {t.RightButton(), t.LeftButton(), t.RightButton(), t.ResetButton()}) {
        Click(button);
        for (QGroupBox* group : {f->timeBase, f->channelA, f->channelB, f->trigger})
            QVERIFY2(!group->isEnabled(), qPrintable(group->title()));
        QVERIFY(PanelFixture::Clickable(f->panel->Acquisition().RunButton()));
        QVERIFY(f->translation->isEnabled());
    }
    QCOMPARE(Commands(), (QStringList{"P&", "d30#&", "g0#&", "d30#&", "c0#&"}));
}

void PanelTranslationTest::magnifierChangesCaptionsOnly() {
    Click(Translation().StepButton(3));
    Click(Translation().RightButton());
    f->probe.events.clear();
    MagnifierPanel& magnifier = f->panel->Magnifier();
    QVERIFY(magnifier.FactorButton(1)->isChecked());
    Click(magnifier.FactorButton(5));
    QCOMPARE(f->probe.events, QStringList{"redraw"});
    QVERIFY(magnifier.FactorButton(5)->isChecked());
    QVERIFY(!magnifier.FactorButton(1)->isChecked());
    QVERIFY(Translation().StepButton(3)->isChecked());
    QCOMPARE(Translation().StepButton(3)->text(), QStringLiteral("2 C"));
    QCOMPARE(Translation().RangeLabel()->text(), QStringLiteral("Echantillons RAM: de 12 à 312"));
}

QTEST_MAIN(PanelTranslationTest)
#include "tst_panel_translation.moc"
