#pragma once

#include <QWidget>

class QTimer;

// The borderless window that tells the user the box answered, shown above every other
// window while the box is being initialised. A small sweeping trace runs under the texts.
class CommunicationWindow : public QWidget {
    Q_OBJECT
public:
    explicit CommunicationWindow(QWidget* parent = nullptr);

    static QStringList Texts();

    // Shown centred on the desktop and kept above all other windows.
    void ShowOnTop();
    // Hidden and given back normal stacking.
    void HideAndRestack();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer* animation = nullptr;
    int phase = 0;
};
