#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The borderless window shown while the program starts. The main window's splash timer
// adds one to the counter each second; "Suite..." sets it to the end value at once.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int EndCount = 10;

    SplashWindow(const QString& programFolder, QWidget* parent = nullptr);

    int SplashCounter() const { return counter; }
    void SetSplashCounter(int value);
    void Tick() { SetSplashCounter(counter + 1); }

    void SetResolutionLine(const QString& text);
    QString ResolutionLine() const;

    // Places the window centred on a screen of the given size and shows it growing out of
    // its centre over the given time.
    void ShowExpanding(const QSize& screen, int durationMs);

    QPushButton* ContinueButton() const { return continueButton; }

signals:
    void counterChanged(int value);

private:
    int counter = 0;
    QLabel* resolution = nullptr;
    QPushButton* continueButton = nullptr;
};
