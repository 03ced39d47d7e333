#include "PanelFixture.h"

#include "core/Colour.h"
#include "core/SettingsLines.h"
#include "measure/MarkerController.h"
#include "panel/MarkerButtons.h"
#include "screen/ScreenController.h"
#include "screen/ScreenView.h"

#include <QtTest>

// The three marker buttons: glyphs, pressed states, hints and visibility through a user's
// clicks; the presets that show and hide the markers button; and the buttons at work
// while the spectrum view is shown.
class PanelMarkersTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsOffWithTwoButtonsHidden();
    void clicksSwapGlyphsAndVisibility();
    void missingGlyphsAreDrawn();
    void presetsShowAndHideTheMarkersButton();
    void buttonsActAndPositionsSurviveInTheSpectrumView();

private:
    static QString DataFolder() { return qEnvironmentVariable("OSC_TEST_DATA") + u'/'; }
    void Click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    // Glyph names of the three buttons, "-" for a hidden one; "[x]" marks a button down.
    QStringList Shown() const;

    std::unique_ptr<PanelFixture> f;
    std::unique_ptr<MarkerController> markers;
    MarkerButtons* buttons = nullptr;
};

void PanelMarkersTest::init() {
    f = std::make_unique<PanelFixture>();
    markers = std::make_unique<MarkerController>();
    auto* column = new QWidget(f->client);
    column->setGeometry(313, 380, 47, 270);
    buttons = new MarkerButtons(column, *markers, DataFolder());
    f->panel->SetCompanionButtons(buttons->MarkersButton(), nullptr);
    f->window.show();
}

void PanelMarkersTest::cleanup() {
    f.reset();
    markers.reset();
}

QStringList PanelMarkersTest::Shown() const {
    QStringList shown;
    for (QToolButton* b :
         {buttons->MarkersButton(), buttons->SelectionButton(), buttons->RmsButton()}) {
        if (!b->isVisible())
            shown << QStringLiteral("-");
        else
            shown << MarkerButtons::GlyphOf(b) + (b->isChecked() ? QStringLiteral("[x]") : "");
    }
    return shown;
}

void PanelMarkersTest::startsOffWithTwoButtonsHidden() {
    QCOMPARE(Shown(), (QStringList{"marqueur_off.bmp", "-", "-"}));
    QCOMPARE(buttons->MarkersButton()->toolTip(), QStringLiteral("ON / OFF marqueurs"));
    QCOMPARE(buttons->MarkersButton()->statusTip(), QStringLiteral("ON / OFF marqueurs"));
    QCOMPARE(buttons->SelectionButton()->toolTip(),
             QStringLiteral("Sélection marqueurs TIME/DIV (verticaux) ou marqueurs VOLTS/DIV "
                            "(horizontaux)"));
    QCOMPARE(buttons->RmsButton()->toolTip(),
             QStringLiteral("Valeur efficace (RMS) pour un signal sinusoïdal : ON/OFF"));
    QVERIFY(buttons->MarkersButton()->isCheckable());
    QVERIFY(!buttons->SelectionButton()->isCheckable());
    QVERIFY(buttons->RmsButton()->isCheckable());
    // Hidden, they already show the glyphs of the time pair and of RMS off.
    QCOMPARE(MarkerButtons::GlyphOf(buttons->SelectionButton()),
             QStringLiteral("time_vertical.bmp"));
    QCOMPARE(MarkerButtons::GlyphOf(buttons->RmsButton()), QStringLiteral("rms_off.bmp"));
    QVERIFY(!buttons->RmsButton()->icon().isNull());
    // All three in the upper part of the centre column, one above the other, with the
    // glyph pictures of the program's folder.
    int previousBottom = -1;
    for (QToolButton* b :
         {buttons->MarkersButton(), buttons->SelectionButton(), buttons->RmsButton()}) {
        const QRect place = b->geometry().translated(buttons->pos());
        QVERIFY(QRect(0, 0, 47, 135).contains(place));
        QVERIFY(place.top() > previousBottom);
        previousBottom = place.bottom();
        QCOMPARE(b->iconSize(), QSize(32, 32));
    }
    const QImage shown = buttons->MarkersButton()->icon().pixmap(32, 32).toImage();
    const QImage file(DataFolder() + QStringLiteral("marqueur_off.bmp"));
    QVERIFY(!file.isNull());
    QCOMPARE(shown.pixelColor(16, 16), file.pixelColor(16, 16));
}

void PanelMarkersTest::clicksSwapGlyphsAndVisibility() {
    struct Step {
        QAbstractButton* button;
        QStringList shown;
    };
    QToolButton* on = buttons->MarkersButton();
    QToolButton* pair = buttons->SelectionButton();
    QToolButton* rms = buttons->RmsButton();
    const Step steps[] = {
        {on, {"marqueur_on.bmp[x]", "time_vertical.bmp", "rms_off.bmp"}},
        {pair, {"marqueur_on.bmp[x]", "volts_horizontal.bmp", "rms_off.bmp"}},
        {rms, {"marqueur_on.bmp[x]", "volts_horizontal.bmp", "rms_on.bmp[x]"}},
        {pair, {"marqueur_on.bmp[x]", "time_vertical.bmp", "rms_on.bmp[x]"}},
        {pair, {"marqueur_on.bmp[x]", "volts_horizontal.bmp", "rms_on.bmp[x]"}},
        {on, {"marqueur_off.bmp", "-", "-"}},
        // On again: the vertical pair and RMS off, whatever was left.
        {on, {"marqueur_on.bmp[x]", "time_vertical.bmp", "rms_off.bmp"}},
        {rms, {"marqueur_on.bmp[x]", "time_vertical.bmp", "rms_on.bmp[x]"}},
        {rms, {"marqueur_on.bmp[x]", "time_vertical.bmp", "rms_off.bmp"}},
    };
    int n = 0;
    for (const Step& step : steps) {
        Click(step.button);
        QVERIFY2(Shown() == step.shown,
                 qPrintable(QString::number(++n) + ": " + Shown().join(", ")));
    }
    QCOMPARE(markers->State().mode, MarkerMode::Time);
}

void PanelMarkersTest::missingGlyphsAreDrawn() {
    QWidget host;
    MarkerController own;
    MarkerButtons plain(&host, own, QStringLiteral("/nonexistent/"));
    own.ToggleMarkers();
    own.ToggleRms();
    for (QToolButton* b : {plain.MarkersButton(), plain.SelectionButton(), plain.RmsButton()}) {
        const QImage glyph = b->icon().pixmap(32, 32).toImage();
        QVERIFY(!glyph.isNull());
        // Not one flat colour: something is drawn on it.
        QVERIFY(glyph.pixelColor(9, 16) != glyph.pixelColor(1, 1) ||
                glyph.pixelColor(16, 9) != glyph.pixelColor(1, 1) ||
                glyph.pixelColor(16, 16) != glyph.pixelColor(1, 1));
    }
}

void PanelMarkersTest::presetsShowAndHideTheMarkersButton() {
    QToolButton* on = buttons->MarkersButton();
    f->Start();
    QVERIFY(!on->isVisible());
    QVERIFY(!on->isEnabled());
    QVERIFY(!f->spectrum->isVisible()); // the other centre-column button still follows
    f->Activate();
    QVERIFY(on->isVisible());
    QVERIFY(on->isEnabled());
    QVERIFY(f->spectrum->isVisible());
    // Shown and usable, the markers themselves still off.
    QCOMPARE(Shown(), (QStringList{"marqueur_off.bmp", "-", "-"}));
    Click(on);
    QCOMPARE(markers->State().mode, MarkerMode::Time);
}

void PanelMarkersTest::buttonsActAndPositionsSurviveInTheSpectrumView() {
    f->Activate();
    Instrument& session = f->Session();
    ScreenView view;
    ScreenController screen(session, view);
    screen.StopAnimation();
    screen.SetLayers(MarkerLayers(*markers, session));
    QObject::connect(markers.get(), &MarkerController::redrawRequested, &screen,
                     [&] { screen.RedrawScreen(); });
    const QRgb marker =
        ColourFromSetting(session.Settings().Number(SettingsLine::MarkerColour)).rgb();
    const auto markerPixels = [&] {
        int n = 0;
        for (int y = 0; y < 320; ++y)
            for (int x = 0; x < 640; ++x)
                n += (view.Image().pixel(x, y) | 0xff000000u) == marker;
        return n;
    };

    Click(buttons->MarkersButton());
    markers->Press({200, 100});
    markers->Release();
    QCOMPARE(markers->State().timeLeft, 200);
    QVERIFY(markerPixels() > 0);

    // The spectrum view: the buttons still act, nothing of the markers is drawn, the
    // positions stay.
    session.SwitchSpectrum(true);
    screen.RedrawScreen();
    const QImage hidden = view.Image();
    Click(buttons->SelectionButton());
    QCOMPARE(markers->State().mode, MarkerMode::Voltage);
    QCOMPARE(MarkerButtons::GlyphOf(buttons->SelectionButton()),
             QStringLiteral("volts_horizontal.bmp"));
    Click(buttons->RmsButton());
    QVERIFY(markers->State().rmsShown);
    Click(buttons->MarkersButton());
    QCOMPARE(markers->State().mode, MarkerMode::Off);
    Click(buttons->MarkersButton());
    QCOMPARE(markers->State().mode, MarkerMode::Time);
    QVERIFY(!markers->State().rmsShown);
    QCOMPARE(view.Image(), hidden); // only the channel labels were written again
    QCOMPARE(markers->State().timeLeft, 200);
    QCOMPARE(markers->State().timeRight, 590);

    // Back to the oscilloscope: the lines where they were left.
    session.SwitchSpectrum(false);
    screen.RedrawScreen();
    QCOMPARE(view.Image().pixel(200, 40) | 0xff000000u, marker);
    QCOMPARE(view.Image().pixel(590, 40) | 0xff000000u, marker);
    QVERIFY(view.Image().pixel(50, 40) != marker);
}

QTEST_MAIN(PanelMarkersTest)
#include "tst_panel_markers.moc"
