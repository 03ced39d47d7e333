// Saving, copying and exporting: the proposed names, the files written, the overwrite
// question, the folder memory of line 12 and the clipboard notice.

#include "core/Messages.h"
#include "core/SettingsFile.h"
#include "core/SettingsLines.h"
#include "instrument/Instrument.h"
#include "output/OutputCommands.h"
#include "output/SaveFileDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

Q_DECLARE_METATYPE(std::optional<WeightingWindow>)

namespace {

QImage ScreenPicture() {
    QImage image(640, 320, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(QColor(255, 0, 0));
    p.drawLine(20, 32, 620, 288);
    p.fillRect(100, 100, 30, 10, QColor(0, 0, 255));
    return image;
}

QImage ChartPicture() {
    QImage image(657, 337, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(5, 5, qRgb(0, 128, 0));
    return image;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A session over a settings file of its own, and the output commands answered by the
// test: the file chooser returns `answer` (or cancels), after visiting `visit`.
struct Fixture {
    QTemporaryDir dir;
    Instrument session{dir.path() + QLatin1Char('/')};
    std::optional<QString> answer;
    QStringList visit;
    int overwriteQuestions = 0;
    bool overwrite = false;
    SaveRequest lastRequest;
    QList<QPair<Messages::Kind, QString>> messages;
    Messages::Handler previous;
    OutputCommands output;

    Fixture()
        : output(
              session,
              OutputSources{
                  [] { return ScreenPicture(); },
                  [] { return ChartPicture(); },
                  [] { return ClockReading::From(QDateTime(QDate(2010, 1, 1), QTime(9, 7, 3))); },
                  {}},
              OutputPrompts{[this](const SaveRequest& r) -> std::optional<QString> {
                                lastRequest = r;
                                for (const QString& folder : visit)
                                    r.folderChanged(folder);
                                return answer;
                            },
                            [this] {
                                ++overwriteQuestions;
                                return overwrite;
                            }}) {
        PersistedSettings file = SettingsFile::Load(qEnvironmentVariable("OSC_TEST_DATA") +
                                                    QStringLiteral("/parametres.inf"));
        SettingsFile::Save(SettingsPath(), file);
        session.LoadSettings();
        session.NoteProgramFolder();
        previous = Messages::SetHandler([this](Messages::Kind kind, const QString& text, QObject*) {
            messages.append({kind, text});
        });
    }
    ~Fixture() { Messages::SetHandler(previous); }
    QString SettingsPath() const { return dir.path() + QStringLiteral("/parametres.inf"); }
    QString Path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
};

} // namespace

class TestOutputCommands : public QObject {
    Q_OBJECT
private slots:
    void proposedName_data() {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<bool>("spectrum");
        QTest::addColumn<QString>("name");
        QTest::newRow("8 March 2009")
            << QDateTime(QDate(2009, 3, 8), QTime(14, 5, 9)) << false << "Trace_8_3_2009__14_05_09";
        QTest::newRow("1 January 2010")
            << QDateTime(QDate(2010, 1, 1), QTime(9, 7, 3)) << false << "Trace_1_1_2010__9_07_03";
        QTest::newRow("spectrum") << QDateTime(QDate(2010, 1, 1), QTime(9, 7, 3)) << true
                                  << "Spectre_1_1_2010__9_07_03";
        QTest::newRow("midnight") << QDateTime(QDate(2024, 12, 31), QTime(0, 0, 0)) << false
                                  << "Trace_31_12_2024__0_00_00";
        QTest::newRow("two digits") << QDateTime(QDate(2024, 11, 10), QTime(23, 59, 10)) << true
                                    << "Spectre_10_11_2024__23_59_10";
    }
    void proposedName() {
        QFETCH(QDateTime, moment);
        QFETCH(bool, spectrum);
        QFETCH(QString, name);
        QCOMPARE(ProposedFileName(spectrum, ClockReading::From(moment)), name);
    }

    // The dialog is asked with the filter, the suffix, line 12 and the proposed name; the
    // file is a BMP whose pixels are the screen's, even under another extension.
    void saveWritesTheScreenAsBmp_data() {
        QTest::addColumn<bool>("spectrum");
        QTest::addColumn<QString>("name");
        QTest::newRow("screen") << false << "ecran.bmp";
        QTest::newRow("screen, other extension") << false << "ecran.png";
        QTest::newRow("spectrum") << true << "spectre.bmp";
    }
    void saveWritesTheScreenAsBmp() {
        QFETCH(bool, spectrum);
        QFETCH(QString, name);
        Fixture f;
        f.session.SwitchSpectrum(spectrum);
        f.session.SetSaveFolder(f.dir.path());
        f.answer = f.Path(name);
        f.output.SaveScreenImage();

        QCOMPARE(f.lastRequest.filter, QStringLiteral("BMP (*.bmp)"));
        QCOMPARE(f.lastRequest.defaultSuffix, QStringLiteral("bmp"));
        QCOMPARE(f.lastRequest.folder, f.dir.path());
        QCOMPARE(f.lastRequest.proposedName, spectrum ? QStringLiteral("Spectre_1_1_2010__9_07_03")
                                                      : QStringLiteral("Trace_1_1_2010__9_07_03"));
        const QByteArray bytes = ReadAll(*f.answer);
        QVERIFY(bytes.startsWith("BM"));
        QImage saved;
        QVERIFY(saved.loadFromData(bytes, "BMP"));
        const QImage expected = spectrum ? ChartPicture() : ScreenPicture();
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), expected);
        QCOMPARE(f.overwriteQuestions, 0);
    }

    void overwriteQuestion_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("&Non") << false;
        QTest::newRow("&Oui") << true;
    }
    void overwriteQuestion() {
        QFETCH(bool, yes);
        Fixture f;
        f.answer = f.Path("existe.bmp");
        QFile old(*f.answer);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("garder");
        old.close();
        f.overwrite = yes;
        f.output.SaveScreenImage();
        QCOMPARE(f.overwriteQuestions, 1);
        if (yes)
            QVERIFY(ReadAll(*f.answer).startsWith("BM"));
        else
            QCOMPARE(ReadAll(*f.answer), QByteArray("garder"));
    }

    // Every folder visited is written to line 12 and saved, also when the dialog is then
    // cancelled; in UTF-8; a name with a line break is not recorded.
    void folderChangesReachLine12_data() {
        QTest::addColumn<QStringList>("visit");
        QTest::addColumn<QString>("line12");
        QTest::newRow("one folder") << QStringList{"/tmp/a"} << "/tmp/a";
        QTest::newRow("last folder") << QStringList{"/tmp/a", "/home/b"} << "/home/b";
        QTest::newRow("accents") << QStringList{"/tmp/Données été"} << "/tmp/Données été";
        QTest::newRow("line feed") << QStringList{"/tmp/a", "/tmp/x\ny"} << "/tmp/a";
        QTest::newRow("carriage return") << QStringList{"/tmp/a", "/tmp/x\ry"} << "/tmp/a";
    }
    void folderChangesReachLine12() {
        QFETCH(QStringList, visit);
        QFETCH(QString, line12);
        Fixture f;
        f.visit = visit;
        f.answer.reset(); // cancelled
        f.output.SaveScreenImage();
        const PersistedSettings file = SettingsFile::Load(f.SettingsPath());
        QCOMPARE(file.RawLine(SettingsLine::SaveFolder), line12.toUtf8());
        QCOMPARE(file.RawLine(SettingsLine::SoundDevice),
                 f.session.Settings().RawLine(SettingsLine::SoundDevice));
        QFile raw(f.SettingsPath());
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QCOMPARE(raw.readAll().count("\r\n"), PersistedSettings::LineCount);
        QVERIFY(!QFile::exists(f.Path("Trace_1_1_2010__9_07_03.bmp")));
    }

    // A folder change whose settings cannot be saved (a folder has taken the settings
    // file's name) is reported as an error from inside the dialog; the dialog stays open on
    // the new folder and the picture is still saved there.
    void folderChangeThatCannotBeSaved() {
        Fixture f;
        f.output.Prompts() = DialogPrompts(nullptr);
        QVERIFY(QDir(f.dir.path()).mkpath(QStringLiteral("depart")));
        f.session.SetSaveFolder(f.Path("depart"));
        QVERIFY(QFile::remove(f.SettingsPath()));
        QVERIFY(QDir().mkdir(f.SettingsPath()));
        struct {
            bool ran = false;
            bool escaped = false; // the error left the dialog's slot
            QStringList messagesAfterChange;
            bool openAfterChange = false;
            QString folderAfterChange;
        } seen;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            // However this ends, the dialog is closed, so that exec() returns.
            const auto close = qScopeGuard([&] {
                if (dialog && dialog->isVisible())
                    dialog->reject();
            });
            if (!dialog)
                return;
            seen.ran = true;
            auto* up = dialog->findChild<QToolButton*>(QStringLiteral("toParentButton"));
            if (!up)
                return;
            try {
                up->click(); // from "depart" up to the test's folder
            } catch (...) {
                seen.escaped = true;
            }
            for (const auto& m : f.messages)
                seen.messagesAfterChange
                    << Messages::Title(m.first) + QStringLiteral(": ") + m.second;
            seen.openAfterChange = dialog->isVisible();
            seen.folderAfterChange = dialog->directory().absolutePath();
            dialog->selectFile(QStringLiteral("ecran.bmp"));
            static_cast<QDialog*>(dialog)->accept();
        });
        f.output.SaveScreenImage();
        QVERIFY(seen.ran);
        QVERIFY(!seen.escaped);
        QCOMPARE(seen.messagesAfterChange.size(), 1);
        QVERIFY2(seen.messagesAfterChange[0].startsWith(
                     QStringLiteral("Erreur: Impossible d'enregistrer le fichier")),
                 qPrintable(seen.messagesAfterChange[0]));
        QVERIFY(seen.openAfterChange);
        QCOMPARE(seen.folderAfterChange, QDir(f.dir.path()).absolutePath());
        QVERIFY(ReadAll(f.Path("ecran.bmp")).startsWith("BM"));
    }

    void unwritableFolderIsReported() {
        Fixture f;
        f.answer = f.Path("absent/ecran.bmp");
        try {
            f.output.SaveScreenImage();
            QFAIL("no error");
        } catch (const OutputError& e) {
            QVERIFY(QString::fromUtf8(e.what()).contains(*f.answer));
        }
        QVERIFY(!QFile::exists(*f.answer));
        QVERIFY(QDir(f.dir.path()).entryList(QDir::Files) == QStringList{"parametres.inf"});
    }

    void copyPutsTheImageOnTheClipboard_data() {
        QTest::addColumn<bool>("spectrum");
        QTest::newRow("screen") << false;
        QTest::newRow("spectrum") << true;
    }
    void copyPutsTheImageOnTheClipboard() {
        QFETCH(bool, spectrum);
        Fixture f;
        f.session.SwitchSpectrum(spectrum);
        f.output.CopyScreenImage();
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                 spectrum ? ChartPicture() : ScreenPicture());
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].first, Messages::Kind::Information);
        QCOMPARE(f.messages[0].second, spectrum ? SpectrumCopiedNotice : ScreenCopiedNotice);
    }

    // One notice per run, whatever the kinds of the copies.
    void noticeOncePerRun() {
        Fixture f;
        f.output.CopyScreenImage();
        f.session.SwitchSpectrum(true);
        f.output.CopyScreenImage();
        f.session.SwitchSpectrum(false);
        f.output.CopyScreenImage();
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].second, ScreenCopiedNotice);
        QVERIFY(f.output.ClipboardNoticeShown());
    }

    // A known sweep, value for value: time from the time base's sampling period and the
    // RAM window's start, volts from the centre line with volts/div and probe, the codes.
    void sweepCsv() {
        // Under a French default locale the file still has decimal points.
        const QLocale previous;
        const auto restore = qScopeGuard([&] { QLocale::setDefault(previous); });
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        SampleTable table;
        for (int row = 1; row <= Sweep::Points; ++row) {
            table.At(row).displayA = 128;
            table.At(row).displayB = 128;
        }
        table.At(1).displayA = 160;
        table.At(1).displayB = 96;
        table.At(2).displayA = 129;
        table.At(2).displayB = 0;
        table.At(300).displayA = 255;
        table.At(300).codeA = 7; // the received code is not what the screen shows
        SweepExport sweep;
        sweep.instrument.timeBaseIndex = 9; // 1 ms/div: 30 kHz
        sweep.instrument.channelA = {};
        sweep.instrument.channelA.traceOn = true;
        sweep.instrument.channelA.voltsPerDivIndex = 3; // 1 V
        sweep.instrument.channelB.traceOn = true;
        sweep.instrument.channelB.voltsPerDivIndex = 4; // 500 mV with a x10 probe: 5 V
        sweep.instrument.channelB.probeTimesTen = true;
        sweep.samples = &table;
        sweep.ramWindowStart = 30;
        sweep.magnification = 1;
        const QList<QByteArray> lines = SweepCsv(sweep).split('\n');
        QCOMPARE(lines.size(), 302); // header, 300 points, nothing after the last CR LF
        QCOMPARE(lines[0], QStringLiteral("Point,Temps (s),Voie A (V par rapport à la ligne "
                                          "centrale),Voie B (V par rapport à la ligne "
                                          "centrale),Code A,Code B\r")
                               .toUtf8());
        QCOMPARE(lines[1], QByteArray("1,0.001,1,-5,160,96\r"));
        QCOMPARE(lines[2], QByteArray("2,0.00103333333333333,0.03125,-20,129,0\r"));
        QCOMPARE(lines[3], QByteArray("3,0.00106666666666667,0,0,128,128\r"));
        QCOMPARE(lines[300], QByteArray("300,0.0109666666666667,3.96875,0,255,128\r"));
        QCOMPARE(lines[301], QByteArray());
    }

    // A channel switched off is left out; the magnifier shows fewer points.
    void sweepCsvOneChannelMagnified() {
        SampleTable table;
        table.At(61).displayB = 100;
        SweepExport sweep;
        sweep.instrument.timeBaseIndex = 18; // 1 us/div: 30 MHz
        sweep.instrument.channelA.traceOn = false;
        sweep.instrument.channelB.traceOn = true;
        sweep.instrument.channelB.voltsPerDivIndex = 9;
        sweep.samples = &table;
        sweep.ramWindowStart = 0;
        sweep.magnification = 5;
        const QList<QByteArray> lines = SweepCsv(sweep).split('\n');
        QCOMPARE(lines.size(), 63);
        QCOMPARE(lines[0], QStringLiteral("Point,Temps (s),Voie B (V par rapport à la ligne "
                                          "centrale),Code B\r")
                               .toUtf8());
        QCOMPARE(lines[1], QByteArray("1,0,0,128\r"));
        // 1 us / 30, with its 15 significant digits.
        QCOMPARE(lines[2], QByteArray("2,0.0000000333333333333333,0,128\r"));
        // 60 x 1 us / 30; (100 - 128) x 10 mV / 32
        QCOMPARE(lines[61], QByteArray("61,0.000002,-0.00875,100\r"));
    }

    // While the screen shows the effect of a weighting window, the channel columns hold the
    // weighted codes the traces are drawn from, under names that say so and name the window;
    // otherwise the codes as received under the usual names. Until a sweep has been weighted
    // nothing is drawn from the weighted codes, and the file has no rows.
    void sweepCsvWeighted_data() {
        QTest::addColumn<std::optional<WeightingWindow>>("weighting");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::newRow("codes as received")
            << std::optional<WeightingWindow>() << true
            << QList<QByteArray>{"Point,Temps (s),Voie A (V par rapport à la ligne centrale),"
                                 "Voie B (V par rapport à la ligne centrale),Code A,Code B\r",
                                 "1,0,1,-5,160,96\r", "2,0.0000333333333333333,0,0,128,128\r"};
        QTest::newRow("Hanning")
            << std::optional<WeightingWindow>(WeightingWindow::Hanning) << true
            << QList<QByteArray>{
                   "Point,Temps (s),Voie A pondérée par la fenêtre de Hanning (V par rapport à "
                   "la ligne centrale),Voie B pondérée par la fenêtre de Hanning (V par rapport "
                   "à la ligne centrale),Code A pondéré par la fenêtre de Hanning,Code B pondéré "
                   "par la fenêtre de Hanning\r",
                   "1,0,0.375,-2.5,140,112\r", "2,0.0000333333333333333,0,0,128,128\r"};
        QTest::newRow("rectangular")
            << std::optional<WeightingWindow>(WeightingWindow::Rectangular) << true
            << QList<QByteArray>{
                   "Point,Temps (s),Voie A pondérée par la fenêtre rectangulaire (V par rapport "
                   "à la ligne centrale),Voie B pondérée par la fenêtre rectangulaire (V par "
                   "rapport à la ligne centrale),Code A pondéré par la fenêtre rectangulaire,Code "
                   "B pondéré par la fenêtre rectangulaire\r",
                   "1,0,0.375,-2.5,140,112\r", "2,0.0000333333333333333,0,0,128,128\r"};
        QTest::newRow("Blackman, not weighted yet")
            << std::optional<WeightingWindow>(WeightingWindow::Blackman) << false
            << QList<QByteArray>{
                   "Point,Temps (s),Voie A pondérée par la fenêtre de Blackman (V par rapport à "
                   "la ligne centrale),Voie B pondérée par la fenêtre de Blackman (V par rapport "
                   "à la ligne centrale),Code A pondéré par la fenêtre de Blackman,Code B pondéré "
                   "par la fenêtre de Blackman\r",
                   ""};
    }
    void sweepCsvWeighted() {
        QFETCH(std::optional<WeightingWindow>, weighting);
        QFETCH(bool, written);
        QFETCH(QList<QByteArray>, expected);
        SampleTable table;
        for (int row = 1; row <= Sweep::Points; ++row) {
            SampleTable::Point& p = table.At(row);
            p.displayA = p.displayB = 128;
            p.weightedA = p.weightedB = 128;
            p.weightedWritten = written;
        }
        table.At(1).displayA = 160;  // (160 - 128) / 32 x 1 V = 1 V
        table.At(1).displayB = 96;   // (96 - 128) / 32 x 5 V = -5 V
        table.At(1).weightedA = 140; // 12 / 32 x 1 V = 0.375 V
        table.At(1).weightedB = 112; // -16 / 32 x 5 V = -2.5 V
        SweepExport sweep;
        sweep.instrument.timeBaseIndex = 9; // 1 ms/div: a point every 1/30 ms
        sweep.instrument.channelA.traceOn = true;
        sweep.instrument.channelA.voltsPerDivIndex = 3; // 1 V
        sweep.instrument.channelB.traceOn = true;
        sweep.instrument.channelB.voltsPerDivIndex = 1; // 5 V
        sweep.samples = &table;
        sweep.weighting = weighting;
        const QList<QByteArray> lines = SweepCsv(sweep).split('\n');
        QCOMPARE(lines.size(), written ? 302 : 2);
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(lines[i], expected[i]);
    }

    // The volts follow the measurements' reference: a channel's measured ground level
    // (named "masse" in the header), else the centre line, whatever its ground marker says;
    // the weighted codes, moved about their mid-level, keep the centre line.
    void sweepCsvReference_data() {
        QTest::addColumn<bool>("measuredA");
        QTest::addColumn<bool>("measuredB");
        QTest::addColumn<std::optional<WeightingWindow>>("weighting");
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::newRow("markers valid, nothing measured")
            << false << false << std::optional<WeightingWindow>()
            << QList<QByteArray>{"Point,Temps (s),Voie A (V par rapport à la ligne centrale),"
                                 "Voie B (V par rapport à la ligne centrale),Code A,Code B\r",
                                 "1,0,1,-1,160,96\r"};
        QTest::newRow("A measured at 96")
            << true << false << std::optional<WeightingWindow>()
            << QList<QByteArray>{"Point,Temps (s),Voie A (V par rapport à la masse),Voie B (V "
                                 "par rapport à la ligne centrale),Code A,Code B\r",
                                 "1,0,2,-1,160,96\r"};
        QTest::newRow("both measured, B at 40")
            << true << true << std::optional<WeightingWindow>()
            << QList<QByteArray>{"Point,Temps (s),Voie A (V par rapport à la masse),Voie B (V "
                                 "par rapport à la masse),Code A,Code B\r",
                                 "1,0,2,1.75,160,96\r"};
        QTest::newRow("both measured, weighted")
            << true << true << std::optional<WeightingWindow>(WeightingWindow::Hamming)
            << QList<QByteArray>{
                   "Point,Temps (s),Voie A pondérée par la fenêtre de Hamming (V par rapport à "
                   "la ligne centrale),Voie B pondérée par la fenêtre de Hamming (V par rapport "
                   "à la ligne centrale),Code A pondéré par la fenêtre de Hamming,Code B pondéré "
                   "par la fenêtre de Hamming\r",
                   "1,0,0.375,-0.5,140,112\r"};
    }
    void sweepCsvReference() {
        QFETCH(bool, measuredA);
        QFETCH(bool, measuredB);
        QFETCH(std::optional<WeightingWindow>, weighting);
        QFETCH(QList<QByteArray>, expected);
        SampleTable table;
        for (int row = 1; row <= Sweep::Points; ++row) {
            SampleTable::Point& p = table.At(row);
            p.displayA = p.displayB = p.weightedA = p.weightedB = 128;
            p.weightedWritten = true;
        }
        table.At(1).displayA = 160;  // 64 codes above 96, 32 above 128: 2 V or 1 V
        table.At(1).displayB = 96;   // 56 codes above 40, 32 below 128: 1.75 V or -1 V
        table.At(1).weightedA = 140; // 12 codes above 128: 0.375 V
        table.At(1).weightedB = 112; // 16 below: -0.5 V
        SweepExport sweep;
        sweep.instrument.timeBaseIndex = 9;
        for (Channel c : {Channel::A, Channel::B}) {
            ChannelSettings& ch = sweep.instrument.Of(c);
            ch.traceOn = true;
            ch.voltsPerDivIndex = 3; // 1 V
            ch.groundMarkerShown = true;
            ch.groundMeasured = c == Channel::A ? measuredA : measuredB;
            ch.groundLevel = c == Channel::A ? 96 : 40;
        }
        sweep.samples = &table;
        sweep.weighting = weighting;
        const QList<QByteArray> lines = SweepCsv(sweep).split('\n');
        QCOMPARE(lines.size(), 302);
        QCOMPARE(lines[0], expected[0]);
        QCOMPARE(lines[1], expected[1]);
    }

    // The traces show the weighted codes while the effect is shown, except in X-Y mode,
    // where both traces on give the figure drawn from the codes as received.
    void shownWeighting_data() {
        QTest::addColumn<bool>("effect");
        QTest::addColumn<bool>("traceB");
        QTest::addColumn<int>("mathMode");
        QTest::addColumn<bool>("weighted");
        QTest::newRow("effect off") << false << true << 0 << false;
        QTest::newRow("effect on") << true << true << 0 << true;
        QTest::newRow("effect on, A + B") << true << true << 1 << true;
        QTest::newRow("effect on, X-Y") << true << true << 3 << false;
        QTest::newRow("effect on, X-Y chosen, B off") << true << false << 3 << true;
    }
    void shownWeighting() {
        QFETCH(bool, effect);
        QFETCH(bool, traceB);
        QFETCH(int, mathMode);
        QFETCH(bool, weighted);
        InstrumentSettings in;
        in.channelA.traceOn = true;
        in.channelB.traceOn = traceB;
        in.mathMode = static_cast<MathMode>(mathMode);
        const std::optional<WeightingWindow> shown =
            ShownWeighting(in, WeightingWindow::Hamming, effect);
        QCOMPARE(shown.has_value(), weighted);
        if (weighted)
            QCOMPARE(*shown, WeightingWindow::Hamming);
    }

    // The header names the scale of the values; a channel without values is left out.
    void spectrumCsv_data() {
        QTest::addColumn<bool>("logarithmic");
        QTest::addColumn<bool>("withA");
        QTest::addColumn<bool>("withB");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("dB, A alone") << true << true << false
                                     << QByteArray("Fréquence (Hz),Voie A (dB)\r\n"
                                                   "117.1875,10\r\n234.375,-5\r\n"
                                                   "351.5625,0\r\n");
        QTest::newRow("linear, both")
            << false << true << true
            << QByteArray("Fréquence (Hz),Voie A (linéaire),Voie B (linéaire)\r\n"
                          "117.1875,10,7\r\n234.375,-5,8\r\n351.5625,0,9\r\n");
        QTest::newRow("linear, B alone") << false << false << true
                                         << QByteArray("Fréquence (Hz),Voie B (linéaire)\r\n"
                                                       "117.1875,7\r\n234.375,8\r\n351.5625,9\r\n");
    }
    void spectrumCsv() {
        QFETCH(bool, logarithmic);
        QFETCH(bool, withA);
        QFETCH(bool, withB);
        QFETCH(QByteArray, expected);
        SpectrumExport spectrum;
        spectrum.logarithmic = logarithmic;
        spectrum.samplingFrequency = 30000; // 1 ms/div
        spectrum.bins = 3;
        if (withA)
            spectrum.valuesA = {10, -5, 0};
        if (withB)
            spectrum.valuesB = {7, 8, 9};
        QCOMPARE(SpectrumCsv(spectrum), expected);
    }

    // Each bin's frequency is k x fs / 256 exactly, never the chart's whole-hertz label: at
    // 500 ms/div (60 Hz) the labels of bins 1 to 4 all read 0 and those of 5 to 8 read 1.
    void spectrumCsvFrequencies_data() {
        QTest::addColumn<qint64>("fs");
        QTest::addColumn<QList<int>>("bins");
        QTest::addColumn<QList<QByteArray>>("frequencies");
        QTest::newRow("500 ms/div")
            << qint64(60) << QList<int>{1, 2, 3, 4, 5, 6, 7, 8}
            << QList<QByteArray>{"0.234375", "0.46875", "0.703125", "0.9375",
                                 "1.171875", "1.40625", "1.640625", "1.875"};
        QTest::newRow("200 ms/div")
            << qint64(150) << QList<int>{1, 25} << QList<QByteArray>{"0.5859375", "14.6484375"};
        QTest::newRow("1 ms/div") << qint64(30000) << QList<int>{1, 25, 128}
                                  << QList<QByteArray>{"117.1875", "2929.6875", "15000"};
        QTest::newRow("1 us/div") << qint64(30000000) << QList<int>{1, 75, 300}
                                  << QList<QByteArray>{"117187.5", "8789062.5", "35156250"};
    }
    void spectrumCsvFrequencies() {
        QFETCH(qint64, fs);
        QFETCH(QList<int>, bins);
        QFETCH(QList<QByteArray>, frequencies);
        SpectrumExport spectrum;
        spectrum.samplingFrequency = fs;
        spectrum.bins = bins.last();
        spectrum.valuesA.assign(std::size_t(spectrum.bins), 1);
        const QList<QByteArray> lines = SpectrumCsv(spectrum).split('\n');
        QCOMPARE(lines.size(), spectrum.bins + 2); // header, the bins, nothing after the last
        for (int i = 0; i < bins.size(); ++i)
            QCOMPARE(lines[bins[i]], frequencies[i] + ",1\r");
    }

    // The export goes through the same dialog and question, with its own filter.
    void exportAsksLikeTheSave() {
        Fixture f;
        f.answer = f.Path("points.csv");
        f.output.ExportSamples();
        QCOMPARE(f.lastRequest.filter, QStringLiteral("CSV (*.csv)"));
        QCOMPARE(f.lastRequest.defaultSuffix, QStringLiteral("csv"));
        QCOMPARE(f.lastRequest.proposedName, QStringLiteral("Trace_1_1_2010__9_07_03"));
        QVERIFY(ReadAll(*f.answer).startsWith("Point,Temps (s)"));
        QCOMPARE(ReadAll(*f.answer).count("\r\n"), 301);
        f.overwrite = false;
        f.output.ExportSamples();
        QCOMPARE(f.overwriteQuestions, 1);
    }
};

QTEST_MAIN(TestOutputCommands)
#include "tst_outputcommands.moc"
