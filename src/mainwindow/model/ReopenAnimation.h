// The typewriter animation of the six reopen labels: each tick types nine more characters into the label
// being written, label after label, and the animation ends after the sixth. Plain state, so the window's
// timer drives it and tests step it.
#pragma once

#include <QString>
#include <QStringList>

class ReopenAnimation {
public:
    static constexpr int kLabels = 6;
    static constexpr int kCharactersPerTick = 9;

    // What one label shows.
    struct Label {
        bool visible = false;
        QString text;
    };

    // Starts over from the first label (both counters 0).
    void Restart() {
        labelIndex_ = 0;
        characterCount_ = 0;
    }
    // True when the next tick is the first of a run: the caller reloads the list before it.
    bool AtStart() const { return labelIndex_ == 0 && characterCount_ == 0; }
    bool Finished() const { return labelIndex_ >= kLabels; }
    int LabelIndex() const { return labelIndex_; }

    // One tick over the display texts (one per listed path). Updates the label being typed in labels and
    // returns false when the animation has ended (after the sixth label) and the timer should stop. A
    // label past the end of the list is hidden and finished at once, so the animation always ends.
    bool Tick(const QStringList& displayTexts, Label (&labels)[kLabels]);

    // Every label at once with its full text: what the labels show when the animation is not running.
    static void ShowAll(const QStringList& displayTexts, Label (&labels)[kLabels]);

private:
    int labelIndex_ = 0;
    int characterCount_ = 0;
};
