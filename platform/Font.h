// Fonts laid out for 96 pixels per inch: a font of S points is MulDiv(S, 96, 72) pixels
// high. The handle carries the resolved font and its metrics, made once per change.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Component.h"
#include "platform/Types.h"

class TGdiObject;
using HFONT = TGdiObject*;

struct TTextMetric {
    int Height = 0;        // character height in pixels (ascent + descent)
    int AveCharWidth = 0;  // average character width in pixels
    int Ascent = 0;
    int Descent = 0;
};

constexpr int kPixelsPerInch = 96;

class TFont : public TObject {
public:
    TFont();
    ~TFont() override;

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    const std::string& Name() const { return name_; }
    void SetName(std::string name);
    // Points; setting it sets Height to -MulDiv(size, 96, 72).
    int Size() const;
    void SetSize(int points);
    // Pixels; negative for character height without internal leading, as the window system does.
    // Kept within -1000 .. 1000 (750 points either way).
    int Height() const { return height_; }
    void SetHeight(int pixels);
    int Color() const { return color_; }
    void SetColor(int color);

    void Assign(const TFont& other);
    // The drawable font, resolved and measured once per change.
    HFONT Handle() const;
    // Metrics of the font as drawn.
    TTextMetric Metrics() const;

    std::function<void()> OnChange;

private:
    void Changed();

    std::string name_ = "Tahoma";
    int height_ = -11;
    int color_ = clWindowText;
    mutable std::shared_ptr<TGdiObject> handle_;
};
