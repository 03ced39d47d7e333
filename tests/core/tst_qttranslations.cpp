#include "core/QtTranslations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>
#include <QtTest>

// Qt's own texts in French, the default locale untouched.
class TestQtTranslations : public QObject {
    Q_OBJECT
private slots:
    void frenchWhateverTheLocale() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
        QTranslator* translator = InstallQtFrenchTranslations(*QCoreApplication::instance());
        QVERIFY2(translator, "qtbase_fr.qm is not installed (qt6-translations-l10n)");
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("Annuler"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "File &name:"),
                 QStringLiteral("&Nom de fichier :"));
        QCOMPARE(QLocale().language(), QLocale::English);
        QCOMPARE(QLocale().toString(1.5), QStringLiteral("1.5"));
    }
};

QTEST_MAIN(TestQtTranslations)
#include "tst_qttranslations.moc"
