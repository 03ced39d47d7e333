#pragma once

#include <QString>

// The 300-sample window over the box's 2048-sample memory, the translation step and the
// magnifier. Plain state, owned by the main window for the whole run and never saved.
class RamWindow {
public:
    static constexpr int MemorySamples = 2048;
    static constexpr int WindowPoints = 300;
    static constexpr int LastStart = 1747; // the last start the program allows
    static constexpr int StepCount = 11;
    static constexpr int DefaultStep = 6; // "1 C": 30 samples

    // One move of the window: its new start and the command that tells the box.
    struct Move {
        int start = 0;
        QString command;
        bool upperLimitReached = false; // the move went past the last allowed start
    };

    int Start() const { return start; }
    int Magnification() const { return magnification; }
    int Step() const { return step; }
    int StepSamples() const { return StepSamples(step); }

    // Places the window at a start, kept within 0..LastStart (nothing is sent).
    void SetStart(int sample);
    // Chooses step 1..11; other values are ignored.
    void SetStep(int index);
    // 1, 2 or 5; other values are ignored and give false.
    bool SetMagnification(int factor);

    // The three moves of the translation buttons.
    Move TranslateRight();
    Move TranslateLeft();
    Move ResetTranslation();

    // "Echantillons RAM: de 0 à 300".
    QString RangeLabel() const;

    // The step of button 1..11 in samples (0 outside the table).
    static int StepSamples(int index);
    // Caption of step button 1..11 at a magnification, such as "0.4 C" or "10 C".
    static QString StepCaption(int index, int factor);
    // Three lines, CR LF apart: the step in divisions at x1, x2 and x5.
    static QString StepHint(int index);
    // Column and row (1-based) of step button 1..11 in the translation group.
    static int StepColumn(int index);
    static int StepRow(int index);

private:
    int start = 0;
    int magnification = 1;
    int step = DefaultStep;
};
