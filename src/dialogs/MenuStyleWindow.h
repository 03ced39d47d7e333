#pragma once

#include "dialogs/AuxiliaryWindow.h"

class Instrument;
class QButtonGroup;
class QGroupBox;
class QRadioButton;

// "Types de menus déroulant": the menu style choice, kept in SettingsLine::MenuStyleFirst and
// MenuStyleSecond and acted on by nothing else. No command of the main window opens it. Each time
// it becomes active its buttons show the lines; "OK", the close box and Escape write the lines (in
// memory: the file is rewritten when the main window is active again) and hide it.
class MenuStyleWindow : public AuxiliaryWindow {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 330;
    static constexpr int ClientHeight = 132;

    MenuStyleWindow(QWidget* parent, Instrument& session);

    QRadioButton* OfficeXpButton() const { return officeXp; }
    QRadioButton* ConventionalButton() const { return conventional; }

protected:
    void Activated() override;
    // "OK", the close box and Escape write both lines.
    void Closing() override;

private:
    Instrument& session;
    QGroupBox* group;
    QButtonGroup* choice;
    QRadioButton* officeXp;
    QRadioButton* conventional;
};
