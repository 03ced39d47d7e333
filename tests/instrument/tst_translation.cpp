#include "ProbeTools.h"

#include <QtTest>
#include <memory>

// The RAM window: its step table, the moves over the box's memory with the message at the
// upper limit, and the magnifier. The link is active, with the activated preset.
class TranslationTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { probe.reset(); }

    void stepTable_data();
    void stepTable();
    void stepHints_data();
    void stepHints();

    void upperLimitBoundary_data();
    void upperLimitBoundary();
    void rightStopsAtTheUpperLimit();
    void leftFromTheLimitGivesRightBack();
    void leftStopsAtZero();
    void resetReturnsToZero();
    void movesNeitherSaveNorRedraw();
    void pausedMovesKeepTheInstrumentGroupsLocked_data();
    void pausedMovesKeepTheInstrumentGroupsLocked();
    void magnifierKeepsTheWindowAndTheStep();
    void moveWindowToAStart_data();
    void moveWindowToAStart();
    void moveWindowToWhilePaused();

private:
    Instrument& Session() { return probe->session; }
    // The window at `start` with step `step` chosen, the events cleared.
    void StartAt(int start, int step);

    std::unique_ptr<SessionProbe> probe;
};

void TranslationTest::init() {
    probe = std::make_unique<SessionProbe>();
    probe->Activate();
}

void TranslationTest::StartAt(int start, int step) {
    QVERIFY(MoveWindowTo(*probe, start));
    Session().SelectStep(step);
    probe->events.clear();
}

void TranslationTest::stepTable_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("samples");
    QTest::addColumn<QStringList>("captions"); // x1, x2, x5
    QTest::addColumn<QPoint>("place");         // column, row
    QTest::newRow("1") << 1 << 3 << QStringList{"0.1 C", "0.2 C", "0.5 C"} << QPoint(1, 1);
    QTest::newRow("2") << 2 << 6 << QStringList{"0.2 C", "0.4 C", "1 C"} << QPoint(1, 2);
    QTest::newRow("3") << 3 << 12 << QStringList{"0.4 C", "0.8 C", "2 C"} << QPoint(1, 3);
    QTest::newRow("4") << 4 << 18 << QStringList{"0.6 C", "1.2 C", "3 C"} << QPoint(1, 4);
    QTest::newRow("5") << 5 << 24 << QStringList{"0.8 C", "1.6 C", "4 C"} << QPoint(2, 1);
    QTest::newRow("6") << 6 << 30 << QStringList{"1 C", "2 C", "5 C"} << QPoint(2, 2);
    QTest::newRow("7") << 7 << 60 << QStringList{"2 C", "4 C", "10 C"} << QPoint(2, 3);
    QTest::newRow("8") << 8 << 90 << QStringList{"3 C", "6 C", "15 C"} << QPoint(2, 4);
    QTest::newRow("9") << 9 << 120 << QStringList{"4 C", "8 C", "20 C"} << QPoint(3, 1);
    QTest::newRow("10") << 10 << 150 << QStringList{"5 C", "10 C", "25 C"} << QPoint(3, 2);
    QTest::newRow("11") << 11 << 300 << QStringList{"10 C", "20 C", "50 C"} << QPoint(3, 3);
}

void TranslationTest::stepTable() {
    QFETCH(int, step);
    QFETCH(int, samples);
    QFETCH(QStringList, captions);
    QFETCH(QPoint, place);
    QCOMPARE(RamWindow::StepSamples(step), samples);
    QCOMPARE(RamWindow::StepCaption(step, 1), captions[0]);
    QCOMPARE(RamWindow::StepCaption(step, 2), captions[1]);
    QCOMPARE(RamWindow::StepCaption(step, 5), captions[2]);
    QCOMPARE(QPoint(RamWindow::StepColumn(step), RamWindow::StepRow(step)), place);
    // The chosen step moves the window by its samples.
    Session().SelectStep(step);
    Session().TranslateRight();
    QCOMPARE(probe->Commands(), QStringList{QStringLiteral("d%1#&").arg(samples)});
}

void TranslationTest::stepHints_data() {
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

void TranslationTest::stepHints() {
    QFETCH(int, step);
    QFETCH(QString, hint);
    QCOMPARE(RamWindow::StepHint(step), hint);
}

void TranslationTest::upperLimitBoundary_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("startAtMessage"); // 0: no message
    // The message comes while the window is still past the limit and after ">" has been
    // disabled ("buttons"); the start becomes 1747 when the box is closed.
    QTest::newRow("1716 + 30 stays")
        << 1716 << 6 << QStringList{"buttons", "range", "send d1746#&"} << 0;
    QTest::newRow("1717 + 30 is 1747, above 1746")
        << 1717 << 6 << QStringList{"buttons", "message", "buttons", "range", "send d1747#&"}
        << 1747;
    QTest::newRow("1746 + 3 is past")
        << 1746 << 1 << QStringList{"buttons", "message", "buttons", "range", "send d1747#&"}
        << 1749;
    QTest::newRow("1747 + 300 stays at 1747")
        << 1747 << 11 << QStringList{"buttons", "message", "buttons", "range", "send d1747#&"}
        << 2047;
    QTest::newRow("0 + 300") << 0 << 11 << QStringList{"buttons", "range", "send d300#&"} << 0;
}

void TranslationTest::upperLimitBoundary() {
    QFETCH(int, start);
    QFETCH(int, step);
    QFETCH(QStringList, events);
    QFETCH(int, startAtMessage);
    StartAt(start, step);
    RecordDisplays(*probe);
    int seenStart = 0;
    bool rightEnabledAtMessage = true;
    MessageCatcher messages([&](Messages::Kind, const QString&) {
        probe->events << QStringLiteral("message");
        seenStart = Session().Ram().Start();
        rightEnabledAtMessage = Session().Ram().RightEnabled();
    });

    Session().TranslateRight();
    QCOMPARE(probe->events, events);
    QCOMPARE(seenStart, startAtMessage);
    QCOMPARE(rightEnabledAtMessage, startAtMessage == 0);
}

void TranslationTest::rightStopsAtTheUpperLimit() {
    StartAt(1740, 1); // 0.1 division: 3 samples
    int seenStart = 0;
    bool rightEnabledAtMessage = true;
    MessageCatcher messages([&](Messages::Kind, const QString&) {
        seenStart = Session().Ram().Start();
        rightEnabledAtMessage = Session().Ram().RightEnabled();
    });

    Session().TranslateRight();
    Session().TranslateRight();
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(Session().Ram().RangeLabel(), QStringLiteral("Echantillons RAM: de 1746 à 2046"));
    Session().TranslateRight();
    QCOMPARE(messages.shown,
             QStringList{QStringLiteral("Information:                Dernière  translation...\r\n"
                                        "Vous avez atteint la limite supérieure de la RAM !")});
    QCOMPARE(seenStart, 1749);
    QVERIFY(!rightEnabledAtMessage);
    QCOMPARE(probe->Commands(), (QStringList{"d1743#&", "d1746#&", "d1747#&"}));
    QCOMPARE(Session().Ram().Start(), 1747);
    QCOMPARE(Session().Ram().RangeLabel(), QStringLiteral("Echantillons RAM: de 1747 à 2047"));
    QVERIFY(!Session().Ram().RightEnabled());
    QVERIFY(Session().Ram().LeftEnabled());
    QVERIFY(Session().Ram().ResetEnabled());
}

void TranslationTest::leftFromTheLimitGivesRightBack() {
    StartAt(1500, 11);
    MessageCatcher messages;
    Session().TranslateRight();
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(!Session().Ram().RightEnabled());
    Session().TranslateLeft();
    QCOMPARE(probe->Commands(), (QStringList{"d1747#&", "g1447#&"}));
    QVERIFY(Session().Ram().RightEnabled());
    QCOMPARE(messages.shown.size(), 1); // no message at the lower end
}

void TranslationTest::leftStopsAtZero() {
    StartAt(12, 6); // 12 samples in, the step is 30
    MessageCatcher messages;
    RecordDisplays(*probe);
    Session().TranslateLeft();
    QCOMPARE(probe->events, (QStringList{"buttons", "range", "send g0#&"}));
    QCOMPARE(Session().Ram().Start(), 0);
    QCOMPARE(Session().Ram().RangeLabel(), QStringLiteral("Echantillons RAM: de 0 à 300"));
    QVERIFY(!Session().Ram().LeftEnabled());
    QVERIFY(!Session().Ram().ResetEnabled());
    QVERIFY(Session().Ram().RightEnabled());
    QVERIFY(messages.shown.isEmpty());
}

void TranslationTest::resetReturnsToZero() {
    StartAt(90, 8);
    QVERIFY(Session().Ram().ResetEnabled());
    RecordDisplays(*probe);
    Session().ResetTranslation();
    QCOMPARE(probe->events, (QStringList{"buttons", "range", "send c0#&"}));
    QCOMPARE(Session().Ram().Start(), 0);
    QCOMPARE(Session().Ram().RangeLabel(), QStringLiteral("Echantillons RAM: de 0 à 300"));
    QVERIFY(!Session().Ram().LeftEnabled());
    QVERIFY(!Session().Ram().ResetEnabled());
    QVERIFY(Session().Ram().RightEnabled());
}

void TranslationTest::movesNeitherSaveNorRedraw() {
    Session().TranslateRight();
    Session().TranslateLeft();
    Session().TranslateRight();
    Session().ResetTranslation();
    QCOMPARE(probe->events, (QStringList{"send d30#&", "send g0#&", "send d30#&", "send c0#&"}));
}

void TranslationTest::pausedMovesKeepTheInstrumentGroupsLocked_data() {
    QTest::addColumn<bool>("paused");
    QTest::addColumn<QStringList>("locks"); // around each move
    QTest::newRow("running") << false
                             << QStringList{"groups off", "transfer off", "groups on",
                                            "transfer on"};
    // The pause has locked the four instrument groups already; the exchange unlocks every
    // group at its end, and a paused move locks the four again after it.
    QTest::newRow("paused") << true
                            << QStringList{"transfer off", "groups on", "transfer on",
                                           "groups off"};
}

void TranslationTest::pausedMovesKeepTheInstrumentGroupsLocked() {
    QFETCH(bool, paused);
    QFETCH(QStringList, locks);
    if (paused)
        Session().Pause();
    RecordLocks(*probe);
    const QList<void (Instrument::*)()> moves{
        &Instrument::TranslateRight, &Instrument::TranslateLeft, &Instrument::TranslateRight,
        &Instrument::ResetTranslation};
    for (auto move : moves) {
        probe->events.clear();
        (Session().*move)();
        probe->events.removeIf(
            [](const QString& e) { return e.startsWith(QStringLiteral("send")); });
        QCOMPARE(probe->events, locks);
    }
}

void TranslationTest::magnifierKeepsTheWindowAndTheStep() {
    StartAt(12, 3);
    RecordDisplays(*probe);
    Session().SetMagnification(5);
    // The screen first, then the step captions; nothing is sent or saved.
    QCOMPARE(probe->events, (QStringList{"redraw", "captions"}));
    QCOMPARE(Session().Ram().Magnification(), 5);
    QCOMPARE(Session().Ram().Start(), 12);
    QCOMPARE(Session().Ram().Step(), 3);
    QCOMPARE(Session().Ram().StepSamples(), 12);

    probe->events.clear();
    Session().SetMagnification(2);
    Session().SetMagnification(1);
    QCOMPARE(probe->events, (QStringList{"redraw", "captions", "redraw", "captions"}));
    QCOMPARE(Session().Ram().Magnification(), 1);
    QCOMPARE(Session().Ram().Start(), 12);
    // A later move still steps by 12 samples.
    Session().TranslateRight();
    QCOMPARE(probe->Commands(), QStringList{"d24#&"});
}

void TranslationTest::moveWindowToAStart_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("start");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("startAfter");
    QTest::addColumn<QString>("buttons"); // "<", "> | <", ">": 1 usable, 0 not
    // Any start, reached in one command whatever the steps allow, and no message even at
    // the last start; the buttons as a move there would leave them.
    QTest::newRow("0 to 1, no step's multiple")
        << 0 << 1 << QStringList{"buttons", "range", "send d1#&"} << 1 << "111";
    QTest::newRow("300 to 0, still a right move")
        << 300 << 0 << QStringList{"buttons", "range", "send d0#&"} << 0 << "001";
    QTest::newRow("0 to 1000") << 0 << 1000 << QStringList{"buttons", "range", "send d1000#&"}
                               << 1000 << "111";
    QTest::newRow("to 1746, > still usable")
        << 30 << 1746 << QStringList{"buttons", "range", "send d1746#&"} << 1746 << "111";
    QTest::newRow("to 1747, the last start")
        << 30 << 1747 << QStringList{"buttons", "range", "send d1747#&"} << 1747 << "110";
    QTest::newRow("from 1747 back to 5")
        << 1747 << 5 << QStringList{"buttons", "range", "send d5#&"} << 5 << "111";
    // Outside the memory nothing changes and nothing is sent.
    QTest::newRow("1748") << 30 << 1748 << QStringList{} << 30 << "111";
    QTest::newRow("-1") << 30 << -1 << QStringList{} << 30 << "111";
}

void TranslationTest::moveWindowToAStart() {
    QFETCH(int, from);
    QFETCH(int, start);
    QFETCH(QStringList, events);
    QFETCH(int, startAfter);
    QFETCH(QString, buttons);
    StartAt(from, 6);
    RecordDisplays(*probe);
    MessageCatcher messages;
    Session().MoveWindowTo(start);
    QCOMPARE(probe->events, events);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(Session().Ram().Start(), startAfter);
    QCOMPARE(Session().Ram().RangeLabel(),
             QStringLiteral("Echantillons RAM: de %1 à %2").arg(startAfter).arg(startAfter + 300));
    const QString shown = QString::number(int(Session().Ram().LeftEnabled())) +
                          QString::number(int(Session().Ram().ResetEnabled())) +
                          QString::number(int(Session().Ram().RightEnabled()));
    QCOMPARE(shown, buttons);
    QCOMPARE(Session().Ram().Step(), 6); // the chosen step stays
}

void TranslationTest::moveWindowToWhilePaused() {
    // As after any move while paused, the instrument groups are locked again.
    Session().Pause();
    RecordLocks(*probe);
    probe->events.clear();
    Session().MoveWindowTo(60);
    QCOMPARE(probe->events,
             (QStringList{"transfer off", "send d60#&", "groups on", "transfer on", "groups off"}));
}

QTEST_MAIN(TranslationTest)
#include "tst_translation.moc"
