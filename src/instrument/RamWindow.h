#pragma once

#include <QString>

// The window of a sweep's points over the box's memory, the translation step, the
// magnifier and which of the three translation buttons may be used. Plain state, owned
// by the instrument session for the whole run and never saved; the session moves it.
class RamWindow {
public:
    static constexpr int StepCount = 11;
    static constexpr int DefaultStep = 6; // "1 C": 30 samples

    int Start() const { return start; }
    int Magnification() const { return magnification; }
    int Step() const { return step; }
    int StepSamples() const { return StepSamples(step); }

    // Places the window at a start (nothing is sent). A move may pass the last start for
    // a moment: the session brings it back.
    void SetStart(int sample) { start = sample; }
    // Chooses step 1..11; other values are ignored.
    void SetStep(int index);
    // 1, 2 or 5; other values are ignored and give false.
    bool SetMagnification(int factor);

    // The translation buttons "<", "> | <" and ">".
    bool LeftEnabled() const { return leftEnabled; }
    bool ResetEnabled() const { return resetEnabled; }
    bool RightEnabled() const { return rightEnabled; }
    void SetLeftEnabled(bool enabled) { leftEnabled = enabled; }
    void SetResetEnabled(bool enabled) { resetEnabled = enabled; }
    void SetRightEnabled(bool enabled) { rightEnabled = enabled; }

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
    bool leftEnabled = false;
    bool resetEnabled = false;
    bool rightEnabled = false;
};
