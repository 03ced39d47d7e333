#pragma once

#include "app/InstrumentSettings.h"
#include "app/PersistedSettings.h"

#include <QMainWindow>

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // False when start-up decided the program must end without serving the user.
    bool ShouldServe() const { return serve; }

private:
    PersistedSettings settings;
    InstrumentSettings instrument;
    bool serve = true;
};
