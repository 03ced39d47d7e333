#pragma once

#include <QDialog>
#include <QStringList>

class Instrument;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// "Port RS232 physique ou virtuel USB": the choice of the port the box is on. Made once,
// after the settings are loaded, with the ports present then (the simulated box among
// them) and the port of SettingsLine::Port in its field; only shown and hidden afterwards.
// A pick from the list goes into SettingsLine::Port; the dialog does not save the file.
class PortSelectionDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 352;
    static constexpr int ClientHeight = 123;
    static const QString Invitation; // shown instead of the port on the first run

    // `ports` are the names listed; by default those of AvailablePorts().
    PortSelectionDialog(QWidget* parent, Instrument& session);
    PortSelectionDialog(QWidget* parent, Instrument& session, QStringList ports);
    ~PortSelectionDialog() override;

    // Shows the dialog above all other windows, centred on the desktop, without waiting.
    void ShowOnTop();

    QComboBox* PortList() const { return ports; }
    QLabel* Confirmation() const { return confirmation; }

signals:
    // A help button asks for its topic ("rub11" for RS-232, "rub61" for USB).
    void helpRequested(const QString& topic);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Activated();
    void Picked(int index);

    Instrument& session;
    QGroupBox* group;
    QComboBox* ports;
    QLabel* confirmation;
    QPushButton* ok;
    QPushButton* helpRs232;
    QPushButton* helpUsb;
    bool placed = false;
};
