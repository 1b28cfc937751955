#include "platform/Font.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "platform/GdiPrivate.h"
#include "platform/Properties.h"

namespace {

// Debian's fonts-wine ships a font with Tahoma's metrics; without it "Tahoma" falls back to
// the system sans through fontconfig.
void RegisterBundledFonts()
{
    static bool done = false;
    if (done || !QGuiApplication::instance()) return;
    done = true;
    for (const char* path : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
        if (QFile::exists(path)) QFontDatabase::addApplicationFont(path);
}

// Resolved fonts are shared: a font and every drawing context it is selected into hold it,
// so a selected handle stays valid when the font it came from changes size.
std::shared_ptr<TGdiObject> CachedFont(const TFont& font)
{
    static std::map<std::pair<std::string, int>, std::shared_ptr<TGdiObject>> cache;
    auto& slot = cache[{font.Name(), font.Height()}];
    if (!slot) {
        // Fitting a font to a cell tries many sizes; the cache keeps only a working set.
        if (cache.size() > 64) {
            auto keep = cache.extract({font.Name(), font.Height()});
            cache.clear();
            cache.insert(std::move(keep));
        }
        auto& fresh = cache[{font.Name(), font.Height()}];
        fresh = std::make_shared<TGdiObject>(ToQFont(font));
        return fresh;
    }
    return slot;
}

// A font may be up to this many pixels high (750 points), either sign: far above any text a
// form shows or a grid fits its cells with, and within what its glyphs can be drawn and measured
// in without pictures of gigabytes.
constexpr int kMaxHeight = 1000;
constexpr int kMaxSize = kMaxHeight * 72 / kPixelsPerInch;

} // namespace

QFont ToQFont(const TFont& font)
{
    RegisterBundledFonts();
    QFont q(QString::fromStdString(font.Name()));
    q.setStyleHint(QFont::SansSerif);
    q.setPixelSize(std::max(1, std::abs(font.Height())));
    return q;
}

TFont::TFont() = default;
TFont::~TFont() = default;

const TClassInfo& TFont::StaticClassInfo()
{
    static const TClassInfo info = [] {
        std::vector<TPropInfo> props;
        TPublished<TFont>(props)
            .Color("Color", &TFont::Color, &TFont::SetColor, clWindowText)
            .Int("Height", &TFont::Height, &TFont::SetHeight, std::nullopt)
            .String("Name", &TFont::Name, &TFont::SetName, std::nullopt)
            .Int("Size", &TFont::Size, &TFont::SetSize, std::nullopt);
        // Size and Height say the same thing; a description keeps Height.
        props.back().Stored = false;
        return TClassInfo("TFont", &TObject::StaticClassInfo(), std::move(props));
    }();
    return info;
}

const TClassInfo& TFont::ClassInfo() const { return StaticClassInfo(); }

void TFont::SetName(std::string name)
{
    if (name == name_) return;
    name_ = std::move(name);
    Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, kPixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(std::clamp(points, -kMaxSize, kMaxSize), kPixelsPerInch, 72)); }

void TFont::SetHeight(int pixels)
{
    pixels = std::clamp(pixels, -kMaxHeight, kMaxHeight);
    if (pixels == height_) return;
    height_ = pixels;
    Changed();
}

void TFont::SetColor(int color)
{
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TFont::Assign(const TFont& other)
{
    name_ = other.name_;
    height_ = other.height_;
    color_ = other.color_;
    Changed();
}

HFONT TFont::Handle() const
{
    if (!handle_) handle_ = CachedFont(*this);
    return handle_.get();
}

TTextMetric TFont::Metrics() const
{
    const TGdiObject& f = *Handle();
    return TTextMetric{f.height, f.aveCharWidth, f.ascent, f.descent};
}

void TFont::Changed()
{
    handle_.reset();
    if (OnChange) OnChange();
}
