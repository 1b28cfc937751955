#include "platform/DrawingContext.h"

#include <QWidget>

#include <algorithm>

#include "platform/GdiPrivate.h"

namespace {

TGdiObject& StockBrush(int which)
{
    static TGdiObject white(TGdiObject::Kind::Brush, Qt::white);
    static TGdiObject black(TGdiObject::Kind::Brush, Qt::black);
    static TGdiObject null(TGdiObject::Kind::NullBrush);
    static TGdiObject dc(TGdiObject::Kind::DCBrush);
    switch (which) {
    case BLACK_BRUSH: return black;
    case NULL_BRUSH: return null;
    case DC_BRUSH: return dc;
    default: return white;
    }
}

TGdiObject& StockPen()
{
    static TGdiObject pen(TGdiObject::Kind::Pen, Qt::black);
    return pen;
}

COLORREF ToColorRef(QColor c) { return static_cast<COLORREF>(RGB(c.red(), c.green(), c.blue())); }

QColor FromColorRef(COLORREF c) { return ToQColor(static_cast<TColor>(c & 0xFFFFFF)); }

// The brush a context fills with, or none.
std::optional<QColor> FillColor(const TDeviceContext& dc)
{
    switch (dc.brush->kind) {
    case TGdiObject::Kind::DCBrush: return dc.dcBrushColor;
    case TGdiObject::Kind::Brush: return dc.brush->color;
    default: return std::nullopt;
    }
}

// The window system accepts corners in any order.
void Normalize(int& left, int& top, int& right, int& bottom)
{
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
}

} // namespace

TGdiObject::TGdiObject(const QFont& f) : kind(Kind::Font), font(f), metrics(std::in_place, f) {}

int TGdiObject::TextWidth(const char* text, int count) const
{
    std::string key(text, static_cast<size_t>(count));
    auto it = widths_.find(key);
    if (it != widths_.end()) return it->second;
    const int width = metrics->horizontalAdvance(QString::fromLatin1(text, count));
    if (widths_.size() > 4096) widths_.clear();
    widths_.emplace(std::move(key), width);
    return width;
}

void TDeviceContext::Reset()
{
    font = nullptr;
    fontKeep.reset();
    brush = &StockBrush(WHITE_BRUSH);
    pen = &StockPen();
    dcBrushColor = Qt::white;
    bkColor = Qt::white;
    textColor = Qt::black;
}

TWindow::~TWindow() { EndPaint(); }

void TWindow::Resize(int width, int height, QColor fill)
{
    EndPaint();
    surface = QImage(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    surface.fill(fill);
}

QPainter& TWindow::Painter()
{
    if (!painter_) {
        painter_ = std::make_unique<QPainter>();
        if (!surface.isNull()) painter_->begin(&surface);
    }
    return *painter_;
}

void TWindow::EndPaint()
{
    if (painter_ && painter_->isActive()) painter_->end();
    painter_.reset();
}

HDC TWindow::AcquireDC()
{
    auto free = std::find_if(dcs_.begin(), dcs_.end(), [](const auto& dc) { return !dc->inUse; });
    TDeviceContext* dc = free != dcs_.end() ? free->get() : dcs_.emplace_back(std::make_unique<TDeviceContext>(*this)).get();
    dc->Reset();
    dc->inUse = true;
    return dc;
}

void TWindow::ReleaseDC(HDC dc)
{
    dc->inUse = false;
    dc->fontKeep.reset();
}

QColor ToQColor(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

HDC GetDC(HWND window) { return window ? window->AcquireDC() : nullptr; }

int ReleaseDC(HWND window, HDC dc)
{
    if (!window || !dc || &dc->window != window || !dc->inUse) return 0;
    window->ReleaseDC(dc);
    return 1;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    if (!dc || !object) return nullptr;
    HGDIOBJ* slot = nullptr;
    switch (object->kind) {
    case TGdiObject::Kind::Font: slot = &dc->font; break;
    case TGdiObject::Kind::Pen: slot = &dc->pen; break;
    default: slot = &dc->brush; break;
    }
    HGDIOBJ previous = *slot;
    *slot = object;
    if (object->kind == TGdiObject::Kind::Font) dc->fontKeep = object->weak_from_this().lock();
    return previous;
}

HGDIOBJ GetStockObject(int which)
{
    if (which == BLACK_PEN) return &StockPen();
    return &StockBrush(which);
}

COLORREF SetDCBrushColor(HDC dc, COLORREF color)
{
    if (!dc) return 0xFFFFFFFF;
    const COLORREF previous = ToColorRef(dc->dcBrushColor);
    dc->dcBrushColor = FromColorRef(color);
    return previous;
}

COLORREF SetBkColor(HDC dc, COLORREF color)
{
    if (!dc) return 0xFFFFFFFF;
    const COLORREF previous = ToColorRef(dc->bkColor);
    dc->bkColor = FromColorRef(color);
    return previous;
}

COLORREF SetTextColor(HDC dc, COLORREF color)
{
    if (!dc) return 0xFFFFFFFF;
    const COLORREF previous = ToColorRef(dc->textColor);
    dc->textColor = FromColorRef(color);
    return previous;
}

bool Rectangle(HDC dc, int left, int top, int right, int bottom)
{
    if (!dc) return false;
    Normalize(left, top, right, bottom);
    if (right - left < 1 || bottom - top < 1) return true;
    QPainter& p = dc->window.Painter();
    if (auto fill = FillColor(*dc)) p.fillRect(QRect(left, top, right - left, bottom - top), *fill);
    // A one-pixel pen covers the outermost pixels inside the box.
    p.setPen(QPen(dc->pen->color, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
    return true;
}

bool Ellipse(HDC dc, int left, int top, int right, int bottom)
{
    if (!dc) return false;
    Normalize(left, top, right, bottom);
    if (right - left < 1 || bottom - top < 1) return true;
    QPainter& p = dc->window.Painter();
    p.setPen(QPen(dc->pen->color, 1));
    if (auto fill = FillColor(*dc)) p.setBrush(*fill);
    else p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
    return true;
}

int DrawTextA(HDC dc, const char* text, int count, RECT* rect, UINT format)
{
    if (!dc || !text || !rect) return 0;
    if (count < 0) count = static_cast<int>(std::char_traits<char>::length(text));
    if (count == 0) return 0;
    static TGdiObject systemFont = TGdiObject(QFont());
    const TGdiObject& font = dc->font ? *dc->font : systemFont;
    const int width = font.TextWidth(text, count);
    const int height = font.metrics->height();

    int x = rect->left;
    if (format & DT_CENTER) x = rect->left + (rect->right - rect->left - width) / 2;
    else if (format & DT_RIGHT) x = rect->right - width;
    int y = rect->top;
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) y = rect->top + (rect->bottom - rect->top - height) / 2;
    else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM)) y = rect->bottom - height;

    QPainter& p = dc->window.Painter();
    const bool clip = !(format & DT_NOCLIP);
    if (clip) {
        p.save();
        p.setClipRect(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top));
    }
    p.fillRect(QRect(x, y, width, height), dc->bkColor);
    p.setFont(font.font);
    p.setPen(dc->textColor);
    p.drawText(QPoint(x, y + font.metrics->ascent()), QString::fromLatin1(text, count));
    if (clip) p.restore();
    return height;
}

bool GetTextMetricsA(HDC dc, TEXTMETRICA* metrics)
{
    if (!dc || !metrics || !dc->font) return false;
    const QFontMetrics& m = *dc->font->metrics;
    metrics->tmHeight = m.height();
    metrics->tmAscent = m.ascent();
    metrics->tmDescent = m.descent();
    metrics->tmAveCharWidth = m.averageCharWidth();
    return true;
}
