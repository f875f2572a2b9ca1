// The editable drop-down box every hex viewer dialog types into: a history list, a length limit, optional
// upper-casing as the user types, and the colours that show bad input or a disabled box.
#pragma once

#include "widgets/flat/FlatComboBox.h"

class HexInputCombo : public FlatComboBox {
    Q_OBJECT
public:
    // The longest address the boxes take: twelve hex digits reach 256 TiB.
    static constexpr int kAddressLength = 12;

    // The light red of a box holding bad input.
    static QColor BadColor();

    explicit HexInputCombo(int maxLength, QWidget* parent = nullptr);

    // Letters typed or pasted become upper case while this is on.
    void SetUpperCase(bool on);
    bool UpperCase() const { return upperCase_; }
    // Replaces the list; the text becomes the first item, or empty.
    void SetItems(const QStringList& items);
    // Red for bad input, else the normal window colour.
    void MarkBad(bool bad);
    bool MarkedBad() const { return marked_ == Mark::Bad; }
    // Disabled with the button-face colour, or enabled with the window colour.
    void SetFaceDisabled(bool disabled);

signals:
    // The user changed the text (typing, pasting, deleting), never a change made by the program.
    void edited(const QString& text);

private:
    enum class Mark { Normal, Bad, Face };
    void applyMark(Mark mark);

    bool upperCase_ = true;
    Mark marked_ = Mark::Normal;
    QPalette normal_;
};
