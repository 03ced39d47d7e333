#include "app/Conversion.h"
#include "app/InstrumentSettings.h"
#include "app/PersistedSettings.h"
#include "app/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void conversionAcceptsWholeDecimals_data();
    void conversionAcceptsWholeDecimals();
    void conversionRejectsWithFrenchText_data();
    void conversionRejectsWithFrenchText();
};

void SettingsTest::conversionAcceptsWholeDecimals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("colour") << "16711680" << 16711680;
    QTest::newRow("negative") << "-7" << -7;
    QTest::newRow("max") << "2147483647" << 2147483647;
    QTest::newRow("min") << "-2147483648" << int(-2147483648LL);
}

void SettingsTest::conversionAcceptsWholeDecimals()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(StrToInt(text), value);
}

void SettingsTest::conversionRejectsWithFrenchText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("word") << "SON_ON";
    QTest::newRow("space") << " 12";
    QTest::newRow("trailing") << "12 ";
    QTest::newRow("sign only") << "-";
    QTest::newRow("overflow") << "2147483648";
    QTest::newRow("hex") << "0x10";
    QTest::newRow("decimal point") << "1.5";
}

void SettingsTest::conversionRejectsWithFrenchText()
{
    QFETCH(QString, text);
    try {
        StrToInt(text);
        QFAIL("no error raised");
    } catch (const ConversionError& e) {
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text));
    }
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
