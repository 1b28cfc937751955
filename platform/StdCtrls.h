// Labels and check boxes. A label shows a caption on its own background colour; a check
// box raises OnClick whenever Checked changes, by the user or by the program, except while
// its form is being loaded.
#pragma once

#include <string>

#include "platform/Control.h"

enum class TTextLayout { tlTop, tlCenter, tlBottom };
using enum TTextLayout;

class TLabel : public TWinControl {
public:
    explicit TLabel(TComponent* owner);

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    // When on, the label takes the size of its caption; off, it keeps the size it is given.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout layout);

protected:
    void FontChanged() override;
    void Loaded() override;

private:
    void AdjustSize();
    void ApplyAlignment();

    std::string caption_;
    bool autoSize_ = true;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
};

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    bool Checked() const;
    // Raises OnClick when the state changes, unless the form is being loaded.
    void SetChecked(bool checked);

protected:
    // Raises OnClick.
    virtual void Click();

private:
    std::string caption_;
    bool updating_ = false;  // the program, not the user, is changing the box
};
