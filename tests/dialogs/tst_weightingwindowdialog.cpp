#include "SessionProbe.h"
#include "dialogs/WeightingWindowDialog.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

// The weighting-window dialog: its texts, what it shows each time it becomes active, and
// that a choice changes the session's window and effect flag without weighting anything.
class WeightingWindowDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        probe = std::make_unique<SessionProbe>();
        probe->Activate();
        // The pictures beside the program.
        const QString data = qEnvironmentVariable("OSC_TEST_DATA") + QLatin1Char('/');
        for (int w = 1; w <= 5; ++w) {
            const QString file = QString::fromLatin1(WeightingWindowDialog::PictureFile(w));
            QFile::copy(data + file, probe->dir.filePath(file));
        }
        dialog = std::make_unique<WeightingWindowDialog>(probe->session);
    }
    void cleanup() {
        dialog.reset();
        probe.reset();
    }

    void texts();
    void activationShowsTheSessionsChoice_data();
    void activationShowsTheSessionsChoice();
    void aChoiceWeighsNothing();
    void okAndCloseBoxHide();
    void help();

private:
    void Activate() {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(dialog.get(), &activate);
    }
    std::unique_ptr<SessionProbe> probe;
    std::unique_ptr<WeightingWindowDialog> dialog;
};

void WeightingWindowDialogTest::texts() {
    QCOMPARE(dialog->windowTitle(),
             QStringLiteral("Fenêtres de pondération pour l'analyse spectrale"));
    QCOMPARE(dialog->size(), QSize(431, 334));
    const auto groups = dialog->findChildren<QGroupBox*>();
    QCOMPARE(groups.size(), 1);
    QCOMPARE(groups[0]->title(), QStringLiteral(" Choix de la fenêtre de pondération : "));
    QVERIFY(groups[0]->font().bold());
    QCOMPARE(dialog->Notice()->text(),
             QStringLiteral("La fenêtre rectangulaire n'introduit aucune \"modification\"\n"
                            "                         au signal original"));
    QVERIFY(dialog->Notice()->font().bold());
    dialog->Notice()->ensurePolished();
    QCOMPARE(dialog->Notice()->palette().color(QPalette::WindowText), QColor(Qt::red));
    const QStringList captions{"Fenêtre rectangulaire", "Fenêtre de Hanning", "Fenêtre de Hamming",
                               "Fenêtre de Bartlett", "Fenêtre de Blackman"};
    for (int w = 1; w <= 5; ++w) {
        QCOMPARE(dialog->WindowButton(w)->text(), captions[w - 1]);
        QVERIFY(!dialog->WindowButton(w)->font().bold()); // only the caption and notice are
    }
    QVERIFY(!dialog->EffectBox()->font().bold());
    QCOMPARE(dialog->EffectBox()->text(),
             QStringLiteral("Visualiser l'effet de la fenêtre sur le graticule de l'oscilloscope"));
    QCOMPARE(dialog->OkButton()->text(), QStringLiteral("&OK"));
    QCOMPARE(dialog->OkButton()->toolTip(), QStringLiteral("Fermer la fenêtre..."));
    QCOMPARE(dialog->HelpButton()->text(), QStringLiteral("&Aide"));
    QCOMPARE(dialog->HelpButton()->toolTip(), QStringLiteral("Appel au fichier d'aide..."));
    QCOMPARE(dialog->Picture()->size(), QSize(196, 155));
}

// The session's window and flag, and the picture file each window shows.
void WeightingWindowDialogTest::activationShowsTheSessionsChoice_data() {
    QTest::addColumn<int>("window");
    QTest::addColumn<bool>("effect");
    QTest::addColumn<QString>("picture");
    QTest::newRow("rectangular") << 1 << false << "rectangle.bmp";
    QTest::newRow("Hanning") << 2 << true << "hanning.bmp";
    QTest::newRow("Hamming") << 3 << false << "hamming.bmp";
    QTest::newRow("Bartlett") << 4 << true << "bartlett.bmp";
    QTest::newRow("Blackman") << 5 << false << "blackman.bmp";
}
void WeightingWindowDialogTest::activationShowsTheSessionsChoice() {
    QFETCH(int, window);
    QFETCH(bool, effect);
    QFETCH(QString, picture);
    // Shown once with another choice, then the session changes behind it.
    Activate();
    QVERIFY(dialog->WindowButton(1)->isChecked());
    probe->session.SelectWeightingWindow(window);
    probe->session.SetShowWindowEffect(effect);
    Activate();
    QVERIFY(dialog->WindowButton(window)->isChecked());
    QCOMPARE(dialog->EffectBox()->isChecked(), effect);
    QCOMPARE(dialog->PicturePath(), probe->session.ProgramFolder() + picture);
    QVERIFY(!dialog->Picture()->pixmap().isNull());
    QCOMPARE(dialog->Picture()->pixmap().size(), QSize(196, 155));
}

void WeightingWindowDialogTest::aChoiceWeighsNothing() {
    dialog->show();
    Activate();
    const SampleTable before = probe->session.Samples();
    probe->events.clear();
    QTest::mouseClick(dialog->WindowButton(4), Qt::LeftButton, {}, QPoint(5, 10));
    QCOMPARE(probe->session.Weighting(), WeightingWindow::Bartlett);
    QCOMPARE(dialog->PicturePath(), probe->session.ProgramFolder() + "bartlett.bmp");
    QTest::mouseClick(dialog->EffectBox(), Qt::LeftButton, {}, QPoint(5, 10));
    QVERIFY(probe->session.ShowWindowEffect());
    QTest::mouseClick(dialog->EffectBox(), Qt::LeftButton, {}, QPoint(5, 10));
    QVERIFY(!probe->session.ShowWindowEffect());
    QVERIFY(before == probe->session.Samples());
    QVERIFY(probe->events.isEmpty()); // no redraw, no command, no save
}

void WeightingWindowDialogTest::okAndCloseBoxHide() {
    dialog->ShowOnTop();
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!dialog->isModal());
    dialog->OkButton()->click();
    QVERIFY(!dialog->isVisible());
    QVERIFY(!(dialog->windowFlags() & Qt::WindowStaysOnTopHint));
    dialog->ShowOnTop();
    dialog->close(); // the close box
    QVERIFY(!dialog->isVisible());
    QVERIFY(!(dialog->windowFlags() & Qt::WindowStaysOnTopHint));
}

void WeightingWindowDialogTest::help() {
    QSignalSpy asked(dialog.get(), &WeightingWindowDialog::helpRequested);
    dialog->HelpButton()->click();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0][0].toString(), QStringLiteral("rub58"));
}

QTEST_MAIN(WeightingWindowDialogTest)
#include "tst_weightingwindowdialog.moc"
