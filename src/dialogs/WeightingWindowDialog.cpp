#include "dialogs/WeightingWindowDialog.h"

#include "core/ErrorGuard.h"
#include "instrument/Instrument.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

namespace {

struct WindowRow {
    const char* caption;
    const char* picture;
};
const WindowRow WindowRows[WeightingWindowCount] = {
    {"Fenêtre rectangulaire", "rectangle.bmp"}, {"Fenêtre de Hanning", "hanning.bmp"},
    {"Fenêtre de Hamming", "hamming.bmp"},      {"Fenêtre de Bartlett", "bartlett.bmp"},
    {"Fenêtre de Blackman", "blackman.bmp"},
};

} // namespace

const char* WeightingWindowDialog::PictureFile(int window) {
    return IsWeightingWindow(window) ? WindowRows[window - 1].picture : nullptr;
}

WeightingWindowDialog::WeightingWindowDialog(Instrument& owner, QWidget* parent)
    : AuxiliaryWindow(parent), session(owner) {
    setWindowTitle(QStringLiteral("Fenêtres de pondération pour l'analyse spectrale"));
    setFixedSize(ClientWidth, ClientHeight);

    auto* group = new QGroupBox(QStringLiteral(" Choix de la fenêtre de pondération : "), this);
    QFont bold = group->font();
    bold.setBold(true);
    group->setFont(bold);
    group->setGeometry(8, 8, 415, 283);

    // The group's caption is bold; what it holds keeps the dialog's face, but the notice.
    auto* body = new QWidget(group);
    QFont plain = QApplication::font();
    plain.setBold(false);
    body->setFont(plain);
    body->setGeometry(group->rect());

    notice = new QLabel(QStringLiteral("La fenêtre rectangulaire n'introduit aucune "
                                       "\"modification\"\n") +
                            QString(25, u' ') + QStringLiteral("au signal original"),
                        body);
    notice->setFont(bold);
    notice->setStyleSheet(QStringLiteral("color: red;"));
    notice->setGeometry(16, 22, 383, 34);

    auto* choices = new QButtonGroup(this);
    for (int w = 1; w <= WeightingWindowCount; ++w) {
        auto* button = new QRadioButton(QString::fromUtf8(WindowRows[w - 1].caption), body);
        button->setGeometry(16, 72 + (w - 1) * 30, 170, 20);
        choices->addButton(button, w);
        buttons[std::size_t(w - 1)] = button;
    }
    // A click chooses the window and its picture; nothing is weighed now.
    connect(choices, &QButtonGroup::idClicked, this, GuardedSlot([this](int window) {
                session.SelectWeightingWindow(window);
                ShowPicture(window);
            }));

    auto* frame = new QFrame(body);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(2);
    frame->setGeometry(196, 64, 200, 159);
    picture = new QLabel(frame);
    picture->setGeometry(2, 2, 196, 155);

    effect = new QCheckBox(
        QStringLiteral("Visualiser l'effet de la fenêtre sur le graticule de l'oscilloscope"),
        body);
    effect->setGeometry(12, 240, 399, 20);
    connect(effect, &QCheckBox::toggled, this,
            GuardedSlot([this](bool on) { session.SetShowWindowEffect(on); }));

    help =
        AddHelpButton(QStringLiteral("&Aide"), QString::fromLatin1(HelpTopic), {260, 300, 75, 25});
    ok = AddButton(QStringLiteral("&OK"), QStringLiteral("Fermer la fenêtre..."),
                   {348, 300, 75, 25});
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
}

void WeightingWindowDialog::Activated() {
    const int window = static_cast<int>(session.Weighting());
    WindowButton(window)->setChecked(true);
    ShowPicture(window);
    effect->setChecked(session.ShowWindowEffect());
}

void WeightingWindowDialog::ShowPicture(int window) {
    const char* file = PictureFile(window);
    if (!file)
        return;
    picturePath = session.ProgramFolder() + QString::fromLatin1(file);
    picture->setPixmap(QPixmap(picturePath));
}
