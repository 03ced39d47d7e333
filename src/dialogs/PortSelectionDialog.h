#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

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

    using PortLister = std::function<QStringList()>;

    // `ports` are the names listed; by default those of AvailablePorts(). `lister` says
    // which are present when asked.
    PortSelectionDialog(QWidget* parent, Instrument& session);
    PortSelectionDialog(QWidget* parent, Instrument& session, QStringList ports);
    PortSelectionDialog(QWidget* parent, Instrument& session, PortLister lister);
    ~PortSelectionDialog() override;

    // Shows the dialog above all other windows, centred on the desktop, without waiting.
    // The list is the one made with the dialog, but while the session's link is lost the
    // ports are listed anew at each opening: an adapter plugged in again may come back
    // under another name.
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
    void ListPorts();

    Instrument& session;
    PortLister lister;
    QGroupBox* group;
    QComboBox* ports;
    QLabel* confirmation;
    QPushButton* ok;
    QPushButton* helpRs232;
    QPushButton* helpUsb;
    bool placed = false;
};
