#pragma once

#include "dialogs/AuxiliaryWindow.h"

#include <array>
#include <functional>

class Instrument;
class QCheckBox;
class QLabel;
class QPushButton;

// "Paramètres de démarrage": the user's own set of start-up values and, group by group,
// which of them link activation re-applies. Six rows of a check box and its label, each
// tied to one bit of the restore mask (SettingsLine::RestoreMask); "Sauvegarder" stores the
// settings in force as the personal values and "Effacer" goes back to the values of origin, each
// after a question. The window writes the restore mask, the saved start-up lines and
// SettingsLine::PersonalSaved in memory only.
//
// The window keeps a mirror of the mask that follows the boxes: a box that becomes
// checked adds its bit, one that becomes unchecked takes it away, and the restore mask is then the
// mirror. SettingsLine::PersonalSaved is read once, when the window is made: "0" (origin) locks the
// boxes and "Effacer", "1" (personal) locks "Sauvegarder", anything else locks nothing.
class StartupParametersWindow : public AuxiliaryWindow {
    Q_OBJECT
public:
    static constexpr int GroupCount = 6;
    // Asks a question; true for "&Oui".
    using Question = std::function<bool(const QString& text, QWidget* parent)>;

    static const QString SaveQuestion;
    static const QString ClearQuestion;

    StartupParametersWindow(QWidget* parent, Instrument& session);

    QCheckBox* Box(int row) const { return boxes[static_cast<std::size_t>(row)]; }
    QLabel* Label(int row) const { return labels[static_cast<std::size_t>(row)]; }
    QPushButton* SaveButton() const { return save; }
    QPushButton* ClearButton() const { return clear; }
    int Mirror() const { return mirror; }
    // The platform's warning box with "&Oui" and "&Non" by default; tests give their own.
    void SetQuestion(Question question) { ask = std::move(question); }

    void SavePersonal();
    void ClearPersonal();

protected:
    void Activated() override;

private:
    void Toggled(int row, bool checked);
    void SetGroupsEnabled(bool enabled);

    Instrument& session;
    Question ask;
    int mirror = 0;
    std::array<QCheckBox*, GroupCount> boxes{};
    std::array<QLabel*, GroupCount> labels{};
    QPushButton* save = nullptr;
    QPushButton* clear = nullptr;
};
