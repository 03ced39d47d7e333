#include "link/BoxCommands.h"

#include <QTest>

// Every command of the box, byte for byte, as the program writes it and as the box reads
// it back; and the byte strings that are no command.
Q_DECLARE_METATYPE(BoxCommand)

namespace {

using Kind = BoxCommand::Kind;

BoxCommand Make(Kind kind, int value = 0, Channel channel = Channel::A) {
    return BoxCommand{kind, channel, value};
}

} // namespace

class TestBoxCommands : public QObject {
    Q_OBJECT

private slots:
    void everyCommand_data() {
        QTest::addColumn<QByteArray>("encoded"); // by the command's own encoder
        QTest::addColumn<BoxCommand>("command");
        QTest::addColumn<QByteArray>("bytes");

        // Time bases by row of the table, slowest first.
        const char* timeBases[] = {"T21&", "T13&", "T05&", "T20&", "T12&", "T04&",
                                   "T19&", "T11&", "T03&", "T18&", "T10&", "T02&",
                                   "T17&", "T09&", "T01&", "T16&", "T08&", "T00&"};
        for (int i = 1; i <= 18; ++i)
            QTest::addRow("time base %d", i) << BoxCommands::TimeBase(i) << Make(Kind::TimeBase, i)
                                             << QByteArray(timeBases[i - 1]);

        // Volts/div by row, least sensitive first: the codes 7 and 11 are never used.
        const char* codes[] = {"12", "13", "14", "4", "5", "6", "8", "9", "10"};
        for (int i = 1; i <= 9; ++i) {
            QTest::addRow("volts/div A %d", i)
                << BoxCommands::VoltsPerDiv(Channel::A, i) << Make(Kind::VoltsPerDiv, i)
                << QByteArray("A") + codes[i - 1] + "*&";
            QTest::addRow("volts/div B %d", i)
                << BoxCommands::VoltsPerDiv(Channel::B, i) << Make(Kind::VoltsPerDiv, i, Channel::B)
                << QByteArray("B") + codes[i - 1] + "*&";
        }

        QTest::newRow("coupling A AC") << BoxCommands::CouplingOf(Channel::A, Coupling::AC)
                                       << Make(Kind::Coupling, 1) << QByteArray("G&");
        QTest::newRow("coupling A GND") << BoxCommands::CouplingOf(Channel::A, Coupling::GND)
                                        << Make(Kind::Coupling, 2) << QByteArray("H&");
        QTest::newRow("coupling A DC") << BoxCommands::CouplingOf(Channel::A, Coupling::DC)
                                       << Make(Kind::Coupling, 3) << QByteArray("I&");
        QTest::newRow("coupling B AC") << BoxCommands::CouplingOf(Channel::B, Coupling::AC)
                                       << Make(Kind::Coupling, 1, Channel::B) << QByteArray("J&");
        QTest::newRow("coupling B GND") << BoxCommands::CouplingOf(Channel::B, Coupling::GND)
                                        << Make(Kind::Coupling, 2, Channel::B) << QByteArray("K&");
        QTest::newRow("coupling B DC") << BoxCommands::CouplingOf(Channel::B, Coupling::DC)
                                       << Make(Kind::Coupling, 3, Channel::B) << QByteArray("M&");

        // Plain decimal, no leading zeros: position 7 is the four bytes Q7#&.
        const struct {
            int position;
            const char* a;
            const char* b;
        } positions[] = {{0, "Q0#&", "R0#&"},
                         {7, "Q7#&", "R7#&"},
                         {128, "Q128#&", "R128#&"},
                         {255, "Q255#&", "R255#&"}};
        for (const auto& p : positions) {
            QTest::addRow("position A %d", p.position)
                << BoxCommands::Position(Channel::A, p.position) << Make(Kind::Position, p.position)
                << QByteArray(p.a);
            QTest::addRow("position B %d", p.position)
                << BoxCommands::Position(Channel::B, p.position)
                << Make(Kind::Position, p.position, Channel::B) << QByteArray(p.b);
        }

        QTest::newRow("trigger off") << BoxCommands::Trigger(TriggerSource::Off)
                                     << Make(Kind::Trigger, 1) << QByteArray("S&");
        QTest::newRow("trigger A") << BoxCommands::Trigger(TriggerSource::ChannelA)
                                   << Make(Kind::Trigger, 2) << QByteArray("U&");
        QTest::newRow("trigger B") << BoxCommands::Trigger(TriggerSource::ChannelB)
                                   << Make(Kind::Trigger, 3) << QByteArray("V&");
        QTest::newRow("trigger external") << BoxCommands::Trigger(TriggerSource::External)
                                          << Make(Kind::Trigger, 4) << QByteArray("W&");

        QTest::newRow("run") << BoxCommands::Run() << Make(Kind::Run) << QByteArray("L&");
        QTest::newRow("pause") << BoxCommands::Pause() << Make(Kind::Pause) << QByteArray("P&");
        QTest::newRow("window right 30")
            << BoxCommands::WindowRight(30) << Make(Kind::WindowRight, 30) << QByteArray("d30#&");
        QTest::newRow("window right 1747")
            << BoxCommands::WindowRight(1747) << Make(Kind::WindowRight, 1747)
            << QByteArray("d1747#&");
        QTest::newRow("window left 0")
            << BoxCommands::WindowLeft(0) << Make(Kind::WindowLeft, 0) << QByteArray("g0#&");
        QTest::newRow("window left 1717") << BoxCommands::WindowLeft(1717)
                                          << Make(Kind::WindowLeft, 1717) << QByteArray("g1717#&");
        QTest::newRow("window reset")
            << BoxCommands::WindowReset() << Make(Kind::WindowReset) << QByteArray("c0#&");
        QTest::newRow("wake-up") << BoxCommands::WakeUp() << Make(Kind::WakeUp) << QByteArray("Z1");
        QTest::newRow("initialise")
            << BoxCommands::Initialise() << Make(Kind::Initialise) << QByteArray("?&");
        QTest::newRow("end of use")
            << BoxCommands::EndOfUse() << Make(Kind::EndOfUse) << QByteArray("F&");
    }

    void everyCommand() {
        QFETCH(QByteArray, encoded);
        QFETCH(BoxCommand, command);
        QFETCH(QByteArray, bytes);
        QCOMPARE(encoded, bytes);
        QCOMPARE(BoxCommands::Encode(command), bytes);
        const std::optional<BoxCommand> parsed = BoxCommands::Parse(bytes);
        QVERIFY(parsed.has_value());
        QVERIFY(*parsed == command);
    }

    void noCommand_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("leading zero") << QByteArray("Q07#&");
        QTest::newRow("position out of range") << QByteArray("Q256#&");
        QTest::newRow("window out of range") << QByteArray("d1748#&");
        QTest::newRow("window reset elsewhere") << QByteArray("c5#&");
        QTest::newRow("time base code not in the table") << QByteArray("T06&");
        QTest::newRow("volts/div code 7") << QByteArray("A7*&");
        QTest::newRow("volts/div code 11") << QByteArray("A11*&");
        QTest::newRow("volts/div code 11 on B") << QByteArray("B11*&");
        QTest::newRow("unknown letter") << QByteArray("X&");
        QTest::newRow("no number") << QByteArray("Q#&");
        QTest::newRow("sign") << QByteArray("Q-1#&");
        QTest::newRow("plus sign") << QByteArray("Q+1#&");
        QTest::newRow("lowercase run") << QByteArray("l&");
        QTest::newRow("lowercase position") << QByteArray("q7#&");
        QTest::newRow("lowercase wake-up") << QByteArray("z1");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("end mark alone") << QByteArray("&");
        QTest::newRow("without its end mark") << QByteArray("Q7#");
        QTest::newRow("doubled end mark") << QByteArray("L&&");
        QTest::newRow("wake-up with an end mark") << QByteArray("Z1&");
        QTest::newRow("one-digit time base") << QByteArray("T2&");
        QTest::newRow("five digits") << QByteArray("d10000#&");
        QTest::newRow("trailing blank") << QByteArray("P& ");
    }

    void noCommand() {
        QFETCH(QByteArray, bytes);
        QVERIFY(!BoxCommands::Parse(bytes).has_value());
    }

    void valuesOutsideTheirRangeEncodeNothing_data() {
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("time base 0") << BoxCommands::TimeBase(0);
        QTest::newRow("time base 19") << BoxCommands::TimeBase(19);
        QTest::newRow("volts/div A 0") << BoxCommands::VoltsPerDiv(Channel::A, 0);
        QTest::newRow("volts/div B 10") << BoxCommands::VoltsPerDiv(Channel::B, 10);
        QTest::newRow("coupling 0") << BoxCommands::CouplingOf(Channel::A, Coupling(0));
        QTest::newRow("coupling 4") << BoxCommands::CouplingOf(Channel::B, Coupling(4));
        QTest::newRow("position -1") << BoxCommands::Position(Channel::A, -1);
        QTest::newRow("position 256") << BoxCommands::Position(Channel::B, 256);
        QTest::newRow("trigger 0") << BoxCommands::Trigger(TriggerSource(0));
        QTest::newRow("trigger 5") << BoxCommands::Trigger(TriggerSource(5));
        QTest::newRow("window right -1") << BoxCommands::WindowRight(-1);
        QTest::newRow("window right 1748") << BoxCommands::WindowRight(1748);
        QTest::newRow("window left 1748") << BoxCommands::WindowLeft(1748);
        QTest::newRow("window reset to 5") << BoxCommands::Encode(Make(Kind::WindowReset, 5));
    }

    void valuesOutsideTheirRangeEncodeNothing() {
        QFETCH(QByteArray, encoded);
        QCOMPARE(encoded, QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestBoxCommands)
#include "tst_boxcommands.moc"
