// The spin editor of the sample components: a text box with up and down buttons. Its text
// may hold any number or none; nothing typed is rejected or corrected. Value reads the
// number the text holds, or MinValue when it holds none; the buttons (and the arrow keys)
// step Value by Increment and keep it within MinValue .. MaxValue. OnChange follows every
// change of the text, typed or stepped, except while the form is being loaded.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Control.h"

class TCSpinEdit : public TWinControl {
public:
    explicit TCSpinEdit(TComponent* owner);

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    // The number the text holds, or MinValue when it holds none.
    int Value() const;
    // Writes the value as text, brought within MinValue .. MaxValue when they differ.
    void SetValue(int value);
    int MinValue() const { return minValue_; }
    void SetMinValue(int value) { minValue_ = value; }
    // Equal bounds (0 and 0 at first) mean no bounds.
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int value) { maxValue_ = value; }
    int Increment() const { return increment_; }
    void SetIncrement(int value) { increment_ = value; }

    std::string Text() const;
    // Replaces the text; a different text raises OnChange (not while loading).
    void SetText(std::string text);

    // What the up and down buttons do.
    void UpClick();
    void DownClick();

    TNotifyEvent OnChange;

    // The two buttons, for the platform layer and tests.
    QWidget* UpButton() const { return upButton_; }
    QWidget* DownButton() const { return downButton_; }

protected:
    virtual void Change();
    void KeyDown(WORD& key, TShiftState shift) override;
    void ColorChanged() override;
    void FontChanged() override;

private:
    void Step(long long by);
    void TextEdited();

    int minValue_ = 0;
    int maxValue_ = 0;
    int increment_ = 1;
    bool updating_ = false;  // the program, not the user, is writing the text
    QWidget* upButton_ = nullptr;
    QWidget* downButton_ = nullptr;
};

// The decimal integer a text holds: an optional sign and digits, blanks around them allowed,
// within the 32-bit range; nothing for any other text.
std::optional<int> ParseInteger(std::string_view text);
