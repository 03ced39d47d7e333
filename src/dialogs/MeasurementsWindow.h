#pragma once

#include "dialogs/AuxiliaryWindow.h"

#include <QString>
#include <array>
#include <functional>
#include <optional>

class MeasurementController;
class QLabel;
class QPushButton;
class QTableWidget;
enum class Channel;

// "Mesures automatiques": one of the small non-modal windows. For each channel a table of
// the readings of the sweep shown (frequency to fall time), and for each reading, since
// the statistics last started, its lowest, highest and mean value, its standard deviation
// and the number of sweeps that had it; its notes ("écrêté", "moins de deux périodes",
// "limite de résolution") and the reference its volts are read from. Values in French:
// SI prefixes, decimal comma, "—" where there is none. Below, "Remise à zéro", and the
// log: "Enregistrer les mesures..." asks for a file as the program's other saves do and
// starts it, "Arrêter l'enregistrement" stops it. The window only shows: the readings, the
// statistics and the log are the controller's.
class MeasurementsWindow : public AuxiliaryWindow {
    Q_OBJECT
public:
    static constexpr const char* HelpTopic = "mesures";
    // Columns of the tables.
    enum Column { Name, Current, Lowest, Highest, Mean, Deviation, Count, Notes, ColumnCount };

    // `chooseLogFile` asks for the log's file (the save dialog, the overwrite question);
    // nothing when the user gives up.
    MeasurementsWindow(MeasurementController& measurements,
                       std::function<std::optional<QString>()> chooseLogFile,
                       QWidget* parent = nullptr);

    QTableWidget* Table(Channel channel) const;
    QLabel* ChannelState(Channel channel) const;
    QLabel* SweepLabel() const { return sweepLabel; }
    QLabel* LogLabel() const { return logLabel; }
    QPushButton* ResetButton() const { return reset; }
    QPushButton* StartLogButton() const { return startLog; }
    QPushButton* StopLogButton() const { return stopLog; }

    // Shows the controller's readings, statistics and log now.
    void Refresh();

protected:
    void Activated() override { Refresh(); }

private:
    void ShowChannel(Channel channel);
    void ShowLog();
    void StartLog();

    MeasurementController& measurements;
    std::function<std::optional<QString>()> chooseLogFile;
    std::array<QTableWidget*, 2> tables{};
    std::array<QLabel*, 2> channelStates{};
    QLabel* sweepLabel = nullptr;
    QLabel* logLabel = nullptr;
    QPushButton* reset = nullptr;
    QPushButton* startLog = nullptr;
    QPushButton* stopLog = nullptr;
};
