#include "core/PersistedSettings.h"
#include "core/SettingsLines.h"
#include "core/StartupParameters.h"

#include <QTest>

// The rules of the personal start-up values: the three readings of line 40, the mask that
// follows the boxes, storing the settings in force and going back to the values of origin.
class TestStartupParameters : public QObject {
    Q_OBJECT

private slots:
    void stateOfLine40_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("state");
        using S = StartupParameters::State;
        QTest::newRow("0") << "0" << int(S::Origin);
        QTest::newRow("1") << "1" << int(S::Personal);
        QTest::newRow("2") << "2" << int(S::Other);
        QTest::newRow("-1") << "-1" << int(S::Other);
        QTest::newRow("01") << "01" << int(S::Other);
        QTest::newRow("empty") << "" << int(S::Other);
    }

    void stateOfLine40() {
        QFETCH(QString, text);
        QFETCH(int, state);
        QCOMPARE(int(StartupParameters::StateOf(text)), state);
    }

    // Checking all six boxes one after the other gives 63; unchecking the trigger then
    // gives 61.
    void maskFollowsTheBoxes() {
        int mask = 0;
        for (int bit : StartupParameters::GroupBits)
            mask = StartupParameters::MaskAfterToggle(mask, bit, true);
        QCOMPARE(mask, 63);
        QCOMPARE(StartupParameters::MaskAfterToggle(mask, 2, false), 61);
        QCOMPARE(StartupParameters::MaskAfterToggle(61, 2, true), 63);
    }

    void storeCopiesTheSettingsInForce() {
        PersistedSettings s;
        const QStringList inForce = {"100",       "156", "5", "3", "VOIE_A_OFF",
                                     "VOIE_B_ON", "1",   "3", "8", "2"};
        for (int i = 0; i < 10; ++i)
            s.SetLine(SettingsLine::PositionA + i, inForce[i]);
        s.SetLine(SettingsLine::RestoreMask, "0");
        s.SetLine(SettingsLine::PersonalSaved, "0");
        StartupParameters::StorePersonal(s);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(s.Line(30 + i), inForce[i]);
        QCOMPARE(s.Line(SettingsLine::PersonalSaved), QStringLiteral("1"));
        QCOMPARE(s.Line(SettingsLine::RestoreMask), QStringLiteral("0")); // the boxes' job
        for (int i = 0; i < 10; ++i) // the lines in force are untouched
            QCOMPARE(s.Line(SettingsLine::PositionA + i), inForce[i]);
    }

    void clearPutsBackTheValuesOfOrigin() {
        PersistedSettings s;
        for (int k = 30; k <= 39; ++k)
            s.SetLine(k, "7");
        s.SetLine(34, "VOIE_A_OFF");
        s.SetLine(35, "VOIE_B_ON");
        s.SetLine(SettingsLine::RestoreMask, "61");
        s.SetLine(SettingsLine::PersonalSaved, "1");
        StartupParameters::ClearPersonal(s);
        const QStringList origin = {"128",        "128", "12", "1", "VOIE_A_ON",
                                    "VOIE_B_OFF", "2",   "2",  "3", "3"};
        for (int i = 0; i < 10; ++i)
            QCOMPARE(s.Line(30 + i), origin[i]);
        QCOMPARE(s.Line(SettingsLine::RestoreMask), QStringLiteral("0"));
        QCOMPARE(s.Line(SettingsLine::PersonalSaved), QStringLiteral("0"));
    }
};

QTEST_MAIN(TestStartupParameters)
#include "tst_startupparameters.moc"
