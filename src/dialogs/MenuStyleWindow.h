#pragma once

#include <QDialog>

class Instrument;
class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;

// "Types de menus déroulant": the menu style choice, kept in settings lines 6 and 7 and
// acted on by nothing else. No command of the main window opens it. Each time it becomes
// active its buttons show the lines; "OK", the close box and Escape write the lines (in
// memory: the file is rewritten when the main window is active again) and hide it.
class MenuStyleWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 330;
    static constexpr int ClientHeight = 132;

    MenuStyleWindow(QWidget* parent, Instrument& session);

    // Shows the window above all other windows, centred on the desktop, without waiting.
    void ShowOnTop();

    QRadioButton* OfficeXpButton() const { return officeXp; }
    QRadioButton* ConventionalButton() const { return conventional; }

signals:
    // "&Aide" asks for its topic, "rub15".
    void helpRequested(const QString& topic);

public slots:
    void reject() override;

protected:
    bool event(QEvent* event) override;

private:
    void Activated();
    void WriteAndHide();

    Instrument& session;
    QGroupBox* group;
    QButtonGroup* choice;
    QRadioButton* officeXp;
    QRadioButton* conventional;
    QPushButton* help;
    QPushButton* ok;
};
