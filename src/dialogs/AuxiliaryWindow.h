#pragma once

#include <QDialog>
#include <QRect>
#include <QString>

class QPushButton;

// How the program's non-modal small windows come and go, in one place. Opening one makes
// it stay above every other window and shows it, centred on the desktop the first time;
// opening one that is already open only brings it forward. Its "OK" button and its close
// box (and Escape) hide it, give it back the normal stacking and hand the focus back to
// the window it belongs to, which is where the changes made in it are saved.
void ShowOnTop(QWidget* window, bool& placed);
void HideAndRestack(QWidget* window);

// The base of the small windows that follow that pattern. A window says what it does when
// it becomes active and when it closes; the base does the showing and hiding.
class AuxiliaryWindow : public QDialog {
    Q_OBJECT
public:
    explicit AuxiliaryWindow(QWidget* parent = nullptr);

    void ShowOnTop();
    bool Placed() const { return placed; }

signals:
    // A help button asks for its topic of the help file.
    void helpRequested(const QString& topic);

protected:
    // Each time the window becomes the active window.
    virtual void Activated() {}
    // "OK" or the close box, just before the window hides.
    virtual void Closing() {}

    // The "OK" button (hint "Fermer la fenêtre...") that closes the window.
    QPushButton* AddOkButton(const QRect& geometry);
    // A help button (hint "Appel au fichier d'aide...") that asks for a topic.
    QPushButton* AddHelpButton(const QString& caption, const QString& topic, const QRect& geometry);
    QPushButton* AddButton(const QString& caption, const QString& hint, const QRect& geometry);

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    bool placed = false;
};
